// The application headless: the options, the frame-rate line, the background
// animation's timing, the pictures and the icon, and the run script.
#include <map>
#include <set>

#include "anim_strip.h"
#include "install_dialog_env.h"
#include "options.h"

using namespace inst;

namespace {

class AppTest : public InstallerTest {
 protected:
  void SetUp() override {
    reset_installer_state();
    InstallerTest::SetUp();
  }

  // Reads the options of a command line (argv[0] is the program).
  void read(std::vector<std::string> args) {
    args.insert(args.begin(), "installer");
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(&a[0]);
    argv.push_back(nullptr);
    read_installer_options(static_cast<INT_S16>(args.size()), argv.data());
  }
};

TEST_F(AppTest, OptionsSetPlatformAutomaticAndConfiguration) {
  const std::string dir = zt::make_temp_dir("cfg");
  zt::sh("mkdir -p '" + dir + "/sub'");
  read({"-p", "LINUX_I86", "-a", "-x", "$ROOT2" + dir + "/sub/setup.xml"});
  DATABASE& d = installer_database;
  EXPECT_EQ(d.target_platform, 1);
  EXPECT_EQ(d.automatic, 1);
  EXPECT_EQ(std::string(d.config_folder.native_path_text()), dir + "/sub");
  EXPECT_STREQ(d.config_name.text, "setup.xml");
  // The walk stops at the deepest folder there is.
  read({"-x", "$ROOT2" + dir + "/missing/deeper/other.xml", "-p", "psp"});
  EXPECT_EQ(std::string(d.config_folder.native_path_text()), dir);
  EXPECT_STREQ(d.config_name.text, "other.xml");
  EXPECT_EQ(d.target_platform, 0x83);
  read({"-p", "linux"});
  EXPECT_EQ(d.target_platform, 0);
}

TEST_F(AppTest, AnUnknownOptionEndsTheProgram) {
  auto r = zt::run_in_child([&] { read({"-z", "-a"}); });
  EXPECT_EQ(r.status, 255);
  EXPECT_EQ(installer_database.automatic, 0);
}

TEST_F(AppTest, AnUnknownPathVariableIsRefusedBeforeAnyFolderIsSet) {
  const std::string before = installer_database.config_folder.native_path_text();
  auto r = zt::run_in_child([&] { read({"-x", "$NOPE/installer.xml"}); });
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "installer: -x $NOPE/installer.xml: unknown path variable\n");
  EXPECT_EQ(std::string(installer_database.config_folder.native_path_text()), before);
}

TEST_F(AppTest, FrameRateLineAtTheBottom) {
  make_database(1, 1);
  show_page(5);
  installer_database.show_frame_rate = 1;
  const COLOUR black = 0xFF000000u;
  screen->clear(&black, 1);
  installer_step();
  // White text between the default font's height plus 10 and 10 pixels
  // above the bottom, at the left.
  const int top = kScreenH - screen->font_height - 10, bottom = kScreenH - 10;
  int white = 0, below = 0;
  for (int y = 0; y < kScreenH; ++y)
    for (int x = 0; x < 200; ++x)
      if (*screen->pixel_at(x, y) == 0xFFFFFFFFu) (y >= top && y < bottom ? white : below)++;
  EXPECT_GT(white, 20);
  EXPECT_EQ(below, 0);
}

TEST_F(AppTest, StepAnswersGoOnUntilTheEnd) {
  make_database(1, 1);
  show_page(5);
  EXPECT_EQ(installer_step(), 1);
  WM_BUTTON* next = install_dialog->next_button;
  next->action_arg2 = word_from_s32(INSTALL_PAGE_FINISH);
  next->released = 1;
  kick = new PROBE("end", 0, 0, 1, 1);
  kick->tick_result = next->action_callback(next, next->action_arg1, next->action_arg2);
  page_manager.current_manager->add_child(kick, 0);
  EXPECT_EQ(installer_step(), 0);
}

TEST_F(AppTest, AnimationWaitsForItsDelayAndAScreenLargerThanTheDialog) {
  make_database(1, 1);
  DATABASE& d = installer_database;
  d.animation_period = 600;
  d.animation_delay = 2000;
  d.window_width = kScreenW;
  d.window_height = kScreenH;
  show_page(5);
  ASSERT_TRUE(background_strip);
  animation_start_ms = 0;
  // A dialog as large as the screen: the animation never starts.
  d.dialog_width = kScreenW;
  frame();
  EXPECT_EQ(animation_start_ms, 0u);
  d.dialog_width = 480;
  frame();
  EXPECT_EQ(animation_start_ms, wm_frame_ms + 2000);
  const INT_U32 start = animation_start_ms;
  frame(1000);
  EXPECT_EQ(animation_start_ms, start);
  EXPECT_EQ(background_strip->start, wm_frame_ms);  // held at its first frame
  EXPECT_EQ(background_strip->offset_x, 0);
  // Past the delay the strip moves on with the clock.
  frame(1100);
  frame(200);
  EXPECT_GT(background_strip->offset_x, 0);
}

TEST_F(AppTest, TitleBannerAndBackgroundPicture) {
  make_database(1, 1);
  DATABASE& d = installer_database;
  d.show_title_banner = 1;
  const COLOUR teal = 0xFF108080u;
  d.background.create(12, 8);
  d.background.clear(&teal, 1);
  show_page(5);
  // The background picture is the page manager's background of display 0:
  // the whole screen, the picture at its top-left and black around it.
  const IMAGE& back = page_manager.backgrounds[0];
  ASSERT_EQ(back.width, kScreenW);
  ASSERT_EQ(back.height, kScreenH);
  EXPECT_EQ(*back.pixel_at(0, 0), teal);
  EXPECT_EQ(*back.pixel_at(11, 7), teal);
  EXPECT_EQ(*back.pixel_at(12, 7), 0xFF000000u);
  EXPECT_EQ(*back.pixel_at(11, 8), 0xFF000000u);
  EXPECT_EQ(*back.pixel_at(kScreenW - 1, kScreenH - 1), 0xFF000000u);
  // The banner: text 2 at the top left, sized from its text, beside the dialog.
  WM_SCRIPT* banner = nullptr;
  for (INT_S16 i = 0; WM_SCREEN_OBJECT* o = page_manager.current_manager->child_at(i); ++i)
    if (auto* s = dynamic_cast<WM_SCRIPT*>(o)) banner = s;
  ASSERT_TRUE(banner);
  EXPECT_EQ(label_of(banner), "T2");
  EXPECT_EQ(banner->x, 0);
  EXPECT_EQ(banner->y, 0);
  EXPECT_GT(banner->width, 0);
  EXPECT_LT(banner->width, kScreenW);
  // A page change rebuilds both.
  rebuild(6);
  int banners = 0;
  for (INT_S16 i = 0; WM_SCREEN_OBJECT* o = page_manager.current_manager->child_at(i); ++i)
    banners += dynamic_cast<WM_SCRIPT*>(o) != nullptr;
  EXPECT_EQ(banners, 1);
}

// A background picture smaller than the window: a hint that opened right of
// the dialog and a box that slid in and out leave nothing behind; every
// pixel outside the dialog shows the background afterwards.
TEST_F(AppTest, ClosedPopUpsLeaveNoPixelsOnASmallBackground) {
  make_database(1, 1);
  DATABASE& d = installer_database;
  d.background.create(2, 1);
  *d.background.pixel_at(0, 0) = 0xFFC03020u;
  *d.background.pixel_at(1, 0) = 0xFF20C030u;
  d.quit_box = {510, 200, 120, 150};  // right of the dialog
  show_page(INSTALL_PAGE_TARGET);
  for (int i = 0; i < 60; ++i) frame(50);  // the first page's fade ends
  INSTALL_DIALOG* dialog = install_dialog;
  ASSERT_TRUE(dialog);
  WM_BUTTON* next = dialog->next_button;
  const INT_S16 hx = static_cast<INT_S16>(next->x + next->width - 2), hy = static_cast<INT_S16>(next->y + 2);
  pointer(hx, hy, 0);
  frame();
  wall_now() += 2;
  frame();
  frame();
  ASSERT_TRUE(next->hint);
  ASSERT_EQ(next->hint->visible, 1);
  ASSERT_GT(next->hint->x + next->hint->width, dialog->x + dialog->width);  // reaches out of the dialog
  pointer(-1, -1, 0);
  for (int i = 0; i < 5; ++i) frame();
  ASSERT_EQ(next->hint->visible, 0);

  open_quit_box(0);
  for (int i = 0; i < 40; ++i) frame(100);  // slid in
  ASSERT_TRUE(quit_confirm_box);
  click_button(quit_confirm_box->second_button);  // No
  ASSERT_FALSE(quit_confirm_box);
  for (int i = 0; i < 40; ++i) frame(100);  // slid out

  int differing = 0;
  for (int y = 0; y < kScreenH; ++y)
    for (int x = 0; x < kScreenW; ++x) {
      if (x >= dialog->x && x < dialog->x + dialog->width && y >= dialog->y && y < dialog->y + dialog->height)
        continue;
      const COLOUR want = y == 0 && x < 2 ? *d.background.pixel_at(x, 0) : 0xFF000000u;
      if (*screen->pixel_at(x, y) != want && differing++ < 5)
        ADD_FAILURE() << "pixel " << x << "," << y << ": " << std::hex << *screen->pixel_at(x, y);
    }
  EXPECT_EQ(differing, 0);
}

TEST(AppPictures, IconIsA64By64XpmWithTwoCharactersPerPixel) {
  const char* const* xpm = installer_icon_xpm();
  ASSERT_TRUE(xpm);
  int w = 0, h = 0, colours = 0, chars = 0;
  ASSERT_EQ(std::sscanf(xpm[0], "%d %d %d %d", &w, &h, &colours, &chars), 4);
  EXPECT_EQ(w, 64);
  EXPECT_EQ(h, 64);
  EXPECT_EQ(chars, 2);
  EXPECT_GT(colours, 2);
  std::set<std::string> codes;
  for (int i = 1; i <= colours; ++i) {
    ASSERT_TRUE(xpm[i]);
    codes.insert(std::string(xpm[i], 2));
  }
  EXPECT_EQ(codes.size(), static_cast<size_t>(colours));
  EXPECT_TRUE(codes.size() > 0);
  std::map<std::string, int> used;
  for (int row = 0; row < 64; ++row) {
    const char* line = xpm[1 + colours + row];
    ASSERT_TRUE(line);
    ASSERT_EQ(std::strlen(line), 128u) << row;
    for (int x = 0; x < 64; ++x) {
      const std::string code(line + 2 * x, 2);
      EXPECT_TRUE(codes.count(code)) << row << "," << x;
      used[code]++;
    }
  }
  EXPECT_EQ(xpm[1 + colours + 64], nullptr);
  // The corners are transparent, the middle is not.
  EXPECT_NE(std::string(xpm[1 + colours]).substr(0, 2), std::string(xpm[1 + colours + 32]).substr(64, 2));
}

TEST(AppPictures, PleaseWaitPicturesAre353By143AndDiffer) {
  wgt::install_default_font();
  IMAGE start, end;
  draw_please_wait_picture(&start, 0);
  draw_please_wait_picture(&end, 1);
  ASSERT_EQ(start.width, PLEASE_WAIT_WIDTH);
  ASSERT_EQ(start.height, PLEASE_WAIT_HEIGHT);
  ASSERT_EQ(end.width, 353);
  ASSERT_EQ(end.height, 143);
  int differ = 0, transparent = 0;
  for (int y = 0; y < 143; ++y)
    for (int x = 0; x < 353; ++x) {
      differ += *start.pixel_at(x, y) != *end.pixel_at(x, y);
      transparent += (*start.pixel_at(x, y) >> 24) == 0;
    }
  EXPECT_GT(differ, 100);
  EXPECT_EQ(transparent, 0);
}

// The cases above share the program's globals: run in one process, in any
// order, each gives what it gives alone.
TEST(AppSuite, CasesPassTogetherInAnyOrder) {
  std::string out;
  const int status = run_this_program("--gtest_filter='AppTest.*' --gtest_shuffle --gtest_repeat=3", &out);
  EXPECT_EQ(status, 0) << out;
}

TEST(AppScript, RunWithoutDisplaySaysSoAndEnds) {
  std::string out;
  const int status = zt::sh("env -u DISPLAY '" ZORV_SOURCE_DIR "/tools/run.sh' 2>&1", &out);
  EXPECT_EQ(status, 1);
  EXPECT_NE(out.find("DISPLAY"), std::string::npos) << out;
}

}  // namespace
