// tools/config_select_app on a private Xvfb: the full-screen selector opens in
// "$APPDATA" (a copy of the program beside a "data" folder), the
// configuration chosen there hands over to the install page at the package's
// window size, the walk ends with status 0, and the next start opens where
// the choice was made.
#include <sys/stat.h>

#include "config_select.h"
#include "wm_file_select.h"
#include "x_program.h"

using namespace xi;

namespace {

std::string text_of(const WM_BUTTON* b) { return b && b->text ? b->text : ""; }

// The fonts the program loads before a package is there: the DejaVu files
// under their built-in names.
void load_dejavu_as_builtin() {
  init_fonts();
  const std::string dir = zt::make_temp_dir("fonts");
  FOLDER source(FOLDER::UNSET{}), folder(FOLDER::UNSET{});
  ASSERT_TRUE(source.set_if_directory(BUILTIN_FONT_SOURCE_FOLDER));
  ASSERT_TRUE(folder.set_if_directory(dir.c_str()));
  for (INT_U8 i = 0; i < BUILTIN_FONT_COUNT; i++) {
    const char* file = get_builtin_font_file(i);
    if (copy_file(&source, get_builtin_font_source(i), &folder, file) && font_file_usable(&folder, file))
      load_font(file, get_builtin_font_family(i), i, &folder);
  }
}

class ConfigSelectX : public ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    if (HasFatalFailure()) return;
    app = zt::make_temp_dir("app");
    data = app + "/data";
    ASSERT_EQ(mkdir(data.c_str(), 0755), 0);
    ASSERT_TRUE(make_demo_package(data));
    zt::write_text(data + "/installer.xml", "<installer/>\n");
    ASSERT_EQ(zt::sh("cp '" ZORV_BUILD_DIR "/config_select_app' '" + app + "/'"), 0);
  }
  void TearDown() override {
    program.reset();
    probe.reset();
    server.reset();
  }

  // Starts the program; returns its "selector <folder> <name>" line.
  std::string start() {
    program.reset(new ProgramRun(app + "/config_select_app", {}));
    for (int waited = 0; waited < 15000; waited += 50) {
      const size_t end = program->out().find('\n');
      if (end != std::string::npos) return program->out().substr(0, end);
      if (!program->running()) break;
      usleep(50000);
    }
    return "";
  }

  std::string app, data;
};

TEST_F(ConfigSelectX, TheChosenConfigurationIsInstalledAndRemembered) {
  EXPECT_EQ(start(), "selector " + data + " ") << program->err();
  window = wait_for_window(*probe, "Installer");
  ASSERT_NE(window, 0u) << program->err();
  screenshot(window, "selector");

  // Where the rows and the Open button are: the same selector built here.
  load_dejavu_as_builtin();
  wmt::make_screen(640, 480);
  wm_use_cursor_shapes = 0;
  build_configuration_page(&page_manager);
  auto* s = dynamic_cast<WM_FILE_SELECT*>(find_popup(WM_KIND_FILE_SELECT));
  ASSERT_TRUE(s);
  FOLDER folder(FOLDER::UNSET{});
  ASSERT_TRUE(folder.set_if_directory(data.c_str()));
  s->set_mode(FILE_SELECT_OPEN, &folder, nullptr, ".xml");
  for (int i = 0; i < 3; ++i) {
    wmt::clock_now() += 20;
    page_manager.update(0);
  }
  WM_BUTTON* row = nullptr;
  for (INT_S16 r = 0; r < s->row_count && !row; ++r) {
    auto* b = dynamic_cast<WM_BUTTON*>(s->list->get_cell(1, r));
    if (b && text_of(b) == "installer.xml") row = b;
  }
  ASSERT_TRUE(row);
  const Rect file = rect_of(row), open = rect_of(s->ok_button);
  page_manager.current_manager->remove_popup(s, 1, 0);

  ASSERT_TRUE(click(window, file.x + 4, file.cy()));
  screenshot(window, "file-chosen");
  ASSERT_TRUE(click(window, open.cx(), open.cy()));
  // The window takes the package's size, and the install page follows.
  ASSERT_TRUE(mirror.load(data));
  const DATABASE& d = installer_database;
  int x = 0, y = 0, w = 0, h = 0;
  for (int waited = 0; waited < 5000 && !(w == d.window_width && h == d.window_height); waited += 50) {
    probe->geometry(window, &x, &y, &w, &h);
    usleep(50000);
  }
  EXPECT_EQ(w, d.window_width);
  EXPECT_EQ(h, d.window_height);
  expect_page(INSTALL_PAGE_LANGUAGE);
  click_to_page(rect_of(install_grid->get_cell(0, 0)), INSTALL_PAGE_LICENCE);
  click_to_page(rect_of(dialog->next_button), INSTALL_PAGE_ITEM);
  click_to_page(rect_of(dialog->next_button), INSTALL_PAGE_TARGET);
  click_to_page(rect_of(dialog->next_button), INSTALL_PAGE_PROGRESS);
  ASSERT_TRUE(dialog->status_label);
  EXPECT_TRUE(wait_for_match(*probe, window, mirror, rect_of(dialog->status_label), 15000));
  click_to_page(rect_of(dialog->next_button), INSTALL_PAGE_README);
  const Rect finish = rect_of(dialog->next_button);
  ASSERT_TRUE(click(window, finish.cx(), finish.cy()));
  EXPECT_EQ(program->wait_exit(), 0) << program->err();

  // The next start opens where the choice was made, the name filled in.
  EXPECT_EQ(start(), "selector " + data + " installer.xml") << program->err();
}

}  // namespace
