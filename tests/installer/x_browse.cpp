// The folder browser and the about box in the installer program on a private
// Xvfb with the demonstration package, driven with xdotool: a folder opened
// in the list and chosen, one made through New Folder as "$x", Cancel, the
// installation landing in the chosen folder, and the about box of the readme page.
#include <sys/stat.h>

#include "wm_about.h"
#include "wm_file_select.h"
#include "wm_menu.h"
#include "wm_text_edit.h"
#include "wm_text_edit_dialog.h"
#include "x_program.h"

using namespace xi;

namespace {

std::string text_of(const WM_BUTTON* b) { return b && b->text ? b->text : ""; }

class BrowseX : public ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    if (!HasFatalFailure()) load_demo_package();
  }

  // Starts the program (without its language page) and walks to the target
  // page, clearing the second-folders box when it holds the path buttons.
  void start_to_target_page() {
    program.reset(new ProgramRun(installer_e2e_path(), {"-a", "-x", "$ROOT2" + folder + "/installer.xml"}));
    DATABASE& d = installer_database;
    d.automatic = 1;
    d.current_page = INSTALL_PAGE_START;
    INT_S32 page = d.next_page();
    window = wait_for_window(*probe, mirror.text(TEXT_APPLICATION_TITLE));
    ASSERT_NE(window, 0u) << program->err();
    expect_page(page);
    walk_to(page, INSTALL_PAGE_TARGET);
    if (HasFatalFailure()) return;
    if (!target_path_button->enabled) {
      WM_SCREEN_OBJECT* box = install_grid->get_cell(1, 2);
      ASSERT_TRUE(box);
      ASSERT_TRUE(click(window, box->x + 8, box->y + box->height / 2));
      send(box);
      redraw_mirror();
      ASSERT_TRUE(target_path_button->enabled);
      EXPECT_TRUE(wait_for_match(*probe, window, mirror, rect_of(target_path_button)));
    }
  }

  // Clicks "..." in both and waits until the program's selector shows what
  // the mirror's does.
  WM_FILE_SELECT* open_browser() {
    const Rect browse = rect_of(browse_button);
    EXPECT_TRUE(click(window, browse.cx(), browse.cy()));
    send(browse_button);
    settle_mirror();
    auto* s = dynamic_cast<WM_FILE_SELECT*>(find_popup(WM_KIND_FILE_SELECT));
    EXPECT_TRUE(s);
    if (s) {
      EXPECT_TRUE(wait_for_match(*probe, window, mirror, rect_of(s->ok_button)));
    }
    return s;
  }
  // Clicks the list row of a folder in both: the folder is entered.
  void enter(WM_FILE_SELECT* s, const std::string& name) {
    WM_BUTTON* row = nullptr;
    for (INT_S16 r = 0; r < s->row_count && !row; ++r) {
      auto* b = dynamic_cast<WM_BUTTON*>(s->list->get_cell(1, r));
      if (b && text_of(b) == name) row = b;
    }
    ASSERT_TRUE(row) << name;
    ASSERT_TRUE(click(window, row->x + 4, row->y + row->height / 2));
    send(row);
    settle_mirror();
    EXPECT_TRUE(wait_for_match(*probe, window, mirror, rect_of(s->location_menu)));
    screenshot(window, "entered-" + name);
  }

  // Installs and waits for the end of the run.
  void install() {
    click_to_page(rect_of(dialog->next_button), INSTALL_PAGE_PROGRESS);
    ASSERT_TRUE(dialog->status_label);
    EXPECT_TRUE(wait_for_match(*probe, window, mirror, rect_of(dialog->status_label), 15000));
  }
};

TEST_F(BrowseX, AFolderOpenedInTheListIsChosenAndCancelKeepsIt) {
  const std::string home = getenv("HOME");
  ASSERT_EQ(mkdir((home + "/pick").c_str(), 0700), 0);
  start_to_target_page();
  // The selector opens where the target's deepest existing folder is: choose
  // "pick" below HOME by opening it and pressing OK.
  WM_FILE_SELECT* s = open_browser();
  ASSERT_TRUE(s);
  screenshot(window, "browser");
  s->folder.set_if_directory(home.c_str());  // where the program's stands
  s->refresh_needed = 1;
  settle_mirror();
  enter(s, "pick");
  press(s->ok_button);
  EXPECT_EQ(text_of(target_path_button), home + "/pick");
  EXPECT_TRUE(wait_for_match(*probe, window, mirror, rect_of(dialog)));
  screenshot(window, "chosen");
  // Browse again and Cancel: the target stays.
  s = open_browser();
  ASSERT_TRUE(s);
  press(s->cancel_button);
  EXPECT_TRUE(wait_for_match(*probe, window, mirror, rect_of(dialog)));
  install();
  EXPECT_TRUE(zt::file_exists(home + "/pick/install_log.txt")) << program->err();
}

TEST_F(BrowseX, AFolderMadeThroughNewFolderAsDollarXIsChosen) {
  const std::string home = getenv("HOME");
  start_to_target_page();
  WM_FILE_SELECT* s = open_browser();
  ASSERT_TRUE(s);
  s->folder.set_if_directory(home.c_str());
  s->refresh_needed = 1;
  settle_mirror();
  press(s->new_folder_button);
  auto* entry = dynamic_cast<WM_TEXT_EDIT_DIALOG*>(find_popup(WM_KIND_TEXT_EDIT_DIALOG));
  ASSERT_TRUE(entry);
  EXPECT_TRUE(wait_for_match(*probe, window, mirror, rect_of(entry->ok_button)));
  screenshot(window, "new-folder");
  // Typed as a person types it, into the focused entry box.
  const Rect box = rect_of(entry->edit_box);
  ASSERT_TRUE(click(window, box.cx(), box.cy()));
  ASSERT_TRUE(zt::xdotool("windowfocus --sync " + std::to_string(window)));
  ASSERT_TRUE(zt::xdotool("type --delay 200 '$x'"));
  entry->edit_box->set_text("$x");
  settle_mirror();
  EXPECT_TRUE(wait_for_match(*probe, window, mirror, box));
  press(entry->ok_button);
  // The new folder was made and entered.
  EXPECT_TRUE(is_directory((home + "/$x").c_str()));
  EXPECT_TRUE(wait_for_match(*probe, window, mirror, rect_of(s->location_menu)));
  screenshot(window, "entered-new-folder");
  press(s->ok_button);
  EXPECT_EQ(text_of(target_path_button), home + "/$x");
  EXPECT_TRUE(wait_for_match(*probe, window, mirror, rect_of(target_path_button)));
  screenshot(window, "chosen");
  install();
  EXPECT_TRUE(zt::file_exists(home + "/$x/install_log.txt")) << program->err();
}

TEST_F(BrowseX, OnTheReadmePageInFrancaisTheLeftButtonOpensTheAboutBox) {
  program.reset(new ProgramRun(installer_e2e_path(), {"-x", "$ROOT2" + folder + "/installer.xml"}));
  window = wait_for_window(*probe, mirror.text(TEXT_APPLICATION_TITLE));
  ASSERT_NE(window, 0u) << program->err();
  DATABASE& d = installer_database;
  INT_S16 francais = -1;
  for (INT_S16 l = 0; l < d.language_count; ++l)
    if (std::string(d.languages[l].text(TEXT_LANGUAGE_OWN_NAME)) == "Fran\xE7" "ais") francais = l;
  ASSERT_GE(francais, 0);
  language = 0;
  expect_page(INSTALL_PAGE_LANGUAGE);
  // The language buttons' page was computed when the page was built, in the
  // language current then.
  const INT_S32 after_language = d.next_page();
  language = francais;
  click_to_page(rect_of(install_grid->get_cell(0, francais)), after_language);
  walk_to_finished_run(after_language);
  if (HasFatalFailure()) return;
  // The readme follows; on its page the left button is the about button.
  click_to_page(rect_of(dialog->next_button), INSTALL_PAGE_README);
  EXPECT_EQ(word_to_s32(dialog->quit_button->action_arg1), INSTALL_CMD_ABOUT);
  EXPECT_TRUE(wait_for_match(*probe, window, mirror, rect_of(dialog->quit_button)));
  press(dialog->quit_button);
  auto* box = dynamic_cast<WM_ABOUT*>(find_popup(WM_KIND_ABOUT));
  ASSERT_TRUE(box);
  // Centred in the window.
  EXPECT_EQ(box->get_x(), (d.window_width - box->width) / 2);
  EXPECT_EQ(box->get_y(), (d.window_height - box->height) / 2);
  EXPECT_TRUE(wait_for_match(*probe, window, mirror, rect_of(box)));
  screenshot(window, "about");
  // Its button closes it.
  const Rect where = rect_of(box);
  const Rect close_button = rect_of(box->close_button);
  ASSERT_TRUE(click(window, close_button.cx(), close_button.cy()));
  box->close(0);
  settle_mirror();
  EXPECT_TRUE(wait_for_match(*probe, window, mirror, where));
  EXPECT_TRUE(program->running());
}

}  // namespace
