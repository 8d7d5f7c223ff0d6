// The demonstration package in each of its languages in the installer
// program on a private Xvfb, driven with xdotool: every page, the quit box,
// the folder browser and the about box, each checked against the mirror and
// kept as a screenshot with the test output.
#include "wm_about.h"
#include "wm_file_select.h"
#include "x_program.h"

using namespace xi;

namespace {

class DemoLookX : public ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    if (!HasFatalFailure()) load_demo_package();
  }


  // Walks the pages in language `l`, the screenshots named after the pages
  // and the boxes.
  void walk(INT_S16 l) {
    program.reset(new ProgramRun(installer_e2e_path(), {"-x", "$ROOT2" + folder + "/installer.xml"}));
    window = wait_for_window(*probe, mirror.text(TEXT_APPLICATION_TITLE));
    ASSERT_NE(window, 0u) << program->err();
    DATABASE& d = installer_database;
    expect_page(INSTALL_PAGE_LANGUAGE, 0);
    const INT_S32 after_language = d.next_page();
    click_to_page(rect_of(install_grid->get_cell(0, l)), after_language, l);

    // The quit box over the first page after the language page.
    const Rect quit = rect_of(dialog->quit_button);
    ASSERT_TRUE(click(window, quit.cx(), quit.cy()));
    park_pointer(window);
    WM_CONFIRM* box = mirror.show_quit_box();
    ASSERT_TRUE(box);
    EXPECT_TRUE(wait_for_match(*probe, window, mirror, rect_of(box)));
    screenshot(window, "quit-box");
    const Rect no = rect_of(box->second_button);
    const Rect where = rect_of(box);
    ASSERT_TRUE(click(window, no.cx(), no.cy()));
    mirror.close_quit_box();
    EXPECT_TRUE(wait_for_match(*probe, window, mirror, where));

    // The folder browser of the target page, then Cancel.
    walk_to(after_language, INSTALL_PAGE_TARGET);
    if (HasFatalFailure()) return;
    press(browse_button);
    auto* s = dynamic_cast<WM_FILE_SELECT*>(find_popup(WM_KIND_FILE_SELECT));
    ASSERT_TRUE(s);
    EXPECT_TRUE(wait_for_match(*probe, window, mirror, rect_of(s->ok_button)));
    screenshot(window, "browser");
    const Rect where_browser = rect_of(s);
    press(s->cancel_button);
    EXPECT_TRUE(wait_for_match(*probe, window, mirror, where_browser));

    walk_to_finished_run(INSTALL_PAGE_TARGET);
    if (HasFatalFailure()) return;
    screenshot(window, "page-7-done");
    click_to_page(rect_of(dialog->next_button), INSTALL_PAGE_README);

    // The about box of the readme page.
    press(dialog->quit_button);
    auto* about = dynamic_cast<WM_ABOUT*>(find_popup(WM_KIND_ABOUT));
    ASSERT_TRUE(about);
    EXPECT_TRUE(wait_for_match(*probe, window, mirror, rect_of(about)));
    screenshot(window, "about");
  }
};

TEST_F(DemoLookX, English) { walk(0); }
TEST_F(DemoLookX, Deutsch) { walk(1); }
TEST_F(DemoLookX, Francais) { walk(2); }

}  // namespace
