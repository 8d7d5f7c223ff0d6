// The installer program on a private Xvfb with the demonstration package,
// driven with xdotool: the walk through every page, -a, decline, the quit box
// and termination signals. A screenshot of every page is kept with the test
// output.
#include "x_program.h"

using namespace xi;

namespace {

class InstallerX : public ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    if (!HasFatalFailure()) load_demo_package();
  }

  void open_quit_box_and_check() {
    park_pointer(window);
    WM_CONFIRM* box = mirror.show_quit_box();
    ASSERT_TRUE(box);
    EXPECT_TRUE(wait_for_match(*probe, window, mirror, rect_of(box)));
    quit_box = box;
    yes = rect_of(box->first_button);
    no = rect_of(box->second_button);
  }

  WM_CONFIRM* quit_box = nullptr;
  Rect yes, no;
};

TEST_F(InstallerX, WalksEveryPageInDeutschAndFinishes) {
  start_on_demo(INSTALL_PAGE_LANGUAGE);
  ASSERT_TRUE(install_grid);
  const Rect deutsch = rect_of(install_grid->get_cell(0, 1));
  click_to_page(deutsch, INSTALL_PAGE_LICENCE, 1);
  // The title follows the chosen language's text 2.
  const std::string title = installer_database.languages[1].text(TEXT_APPLICATION_TITLE);
  EXPECT_EQ(probe->property_text(window, "WM_NAME"), title);
  click_to_page(rect_of(dialog->next_button), INSTALL_PAGE_ITEM, 1);
  click_to_page(rect_of(dialog->next_button), INSTALL_PAGE_TARGET, 1);
  click_to_page(rect_of(dialog->next_button), INSTALL_PAGE_PROGRESS, 1);
  // The run completes: the status line shows text 44.
  ASSERT_TRUE(dialog->status_label);
  EXPECT_TRUE(wait_for_match(*probe, window, mirror, rect_of(dialog->status_label)));
  screenshot(window, "page-7-done");
  click_to_page(rect_of(dialog->next_button), INSTALL_PAGE_README, 1);
  ASSERT_TRUE(click(window, dialog->next_button->x + dialog->next_button->width / 2,
                    dialog->next_button->y + dialog->next_button->height / 2));
  EXPECT_EQ(program->wait_exit(), 0) << program->err();
}

TEST_F(InstallerX, OptionAStartsOnTheLicencePage) {
  start_on_demo(INSTALL_PAGE_LICENCE, {"-a"});
  EXPECT_TRUE(program->running());
}

TEST_F(InstallerX, DeclineEndsAtOnceWithoutAQuitBox) {
  start_on_demo(INSTALL_PAGE_LANGUAGE);
  click_to_page(rect_of(install_grid->get_cell(0, 0)), INSTALL_PAGE_LICENCE, 0);
  ASSERT_TRUE(click(window, dialog->back_button->x + dialog->back_button->width / 2,
                    dialog->back_button->y + dialog->back_button->height / 2));
  EXPECT_EQ(program->wait_exit(3000), 0) << program->err();
  // Nothing was installed.
  EXPECT_FALSE(zt::file_exists(expand_path_text(installer_database.items[0].default_folder, nullptr)));
}

TEST_F(InstallerX, QuitBoxNoKeepsTheProgramAndYesEndsIt) {
  start_on_demo(INSTALL_PAGE_LANGUAGE);
  const Rect quit = rect_of(dialog->quit_button);
  ASSERT_TRUE(click(window, quit.cx(), quit.cy()));
  open_quit_box_and_check();
  screenshot(window, "quit-box");
  ASSERT_TRUE(click(window, no.cx(), no.cy()));
  // The box goes; the page shows again where it stood.
  const Rect where = rect_of(quit_box);
  mirror.close_quit_box();
  EXPECT_TRUE(wait_for_match(*probe, window, mirror, where));
  EXPECT_TRUE(program->running());
  ASSERT_TRUE(click(window, quit.cx(), quit.cy()));
  open_quit_box_and_check();
  ASSERT_TRUE(click(window, yes.cx(), yes.cy()));
  EXPECT_EQ(program->wait_exit(), 0) << program->err();
}

TEST_F(InstallerX, TerminationSignalsOpenOneQuitBox) {
  start_on_demo(INSTALL_PAGE_LANGUAGE);
  program->signal(SIGTERM);
  open_quit_box_and_check();
  program->signal(SIGTERM);
  usleep(300000);
  open_quit_box_and_check();
  EXPECT_TRUE(program->running());
  // One No clears the screen of boxes: the second request replaced the first.
  ASSERT_TRUE(click(window, no.cx(), no.cy()));
  const Rect where = rect_of(quit_box);
  mirror.close_quit_box();
  EXPECT_TRUE(wait_for_match(*probe, window, mirror, where));
  EXPECT_TRUE(program->running());
  // The window's close button asks the same question.
  ASSERT_TRUE(send_close_request(*probe, window));
  open_quit_box_and_check();
  EXPECT_TRUE(program->running());
}

}  // namespace
