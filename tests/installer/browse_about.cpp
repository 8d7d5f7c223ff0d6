// The about box of the last pages: placement, texts, draggability, and one
// box however often it is opened.
#include "install_dialog_env.h"
#include "wm_about.h"
#include "wm_globals.h"

using namespace inst;

namespace {

int about_boxes() {
  int n = 0;
  for (LIST_NODE* node = wm_popup_list.head; node; node = node->next) {
    auto* o = static_cast<WM_SCREEN_OBJECT*>(PTRLLIST::stored_pointer(node));
    if (o && (o->kind & WM_KIND_ABOUT)) ++n;
  }
  return n;
}

// Presses and releases a button the way its input pass reports a click.
INT_S32 click(WM_BUTTON* b) {
  b->released = 0;
  b->action_callback(b, b->action_arg1, b->action_arg2);
  b->released = 1;
  return b->action_callback(b, b->action_arg1, b->action_arg2);
}

class AboutTest : public InstallerTest {};

TEST_F(AboutTest, TheReadmePageOpensTheBoxWithTheDatabasesLayoutAndTexts) {
  make_database(1, 1, "", "0");
  DATABASE& d = installer_database;
  d.about_box = {30, 40, 360, 260};
  for (INT_U8 draggable : {0, 1}) {
    SCOPED_TRACE(draggable);
    d.about_box_draggable = draggable;
    INSTALL_DIALOG* dialog = registered ? rebuild(INSTALL_PAGE_README) : show_page(INSTALL_PAGE_README);
    ASSERT_TRUE(dialog);
    ASSERT_EQ(command_of(dialog->quit_button), INSTALL_CMD_ABOUT);
    EXPECT_EQ(find_popup(WM_KIND_ABOUT), nullptr);
    EXPECT_EQ(click(dialog->quit_button), WM_ACTION_NONE);
    auto* box = dynamic_cast<WM_ABOUT*>(find_popup(WM_KIND_ABOUT));
    ASSERT_TRUE(box);
    EXPECT_EQ(box->get_x(), 30);
    EXPECT_EQ(box->get_y(), 40);
    EXPECT_EQ(box->width, 360);
    EXPECT_EQ(box->height, 260);
    EXPECT_STREQ(box->get_title(), "T21");
    EXPECT_EQ(text_of(box->close_button), "T45");
    EXPECT_EQ(box->draggable, draggable);
    // Above the page: the topmost pop-up.
    EXPECT_EQ(PTRLLIST::stored_pointer(wm_popup_list.tail), box);
    for (int i = 0; i < 40; ++i) frame(50);
  }
  // The page change deleted the first box with the other pop-ups.
  EXPECT_EQ(about_boxes(), 1);
}

TEST_F(AboutTest, DefaultLayoutIsCentredAndOpeningAgainKeepsOneBox) {
  make_database(1, 1, "0", "");
  DATABASE& d = installer_database;
  d.about_box = {-1, -1, -1, -1};
  show_page(INSTALL_PAGE_PROGRESS);
  install_dialog->update_buttons();  // the run ended, no readme follows
  ASSERT_EQ(command_of(install_dialog->quit_button), INSTALL_CMD_ABOUT);
  click(install_dialog->quit_button);
  auto* box = dynamic_cast<WM_ABOUT*>(find_popup(WM_KIND_ABOUT));
  ASSERT_TRUE(box);
  EXPECT_EQ(box->width, 440);
  EXPECT_EQ(box->height, 320);
  EXPECT_EQ(box->get_x(), (kScreenW - 440) / 2);
  EXPECT_EQ(box->get_y(), (kScreenH - 320) / 2);
  for (int i = 0; i < 40; ++i) frame(50);
  // Its "Close" hides it; opened again, the old box is replaced.
  EXPECT_EQ(click(box->close_button), WM_ACTION_CLOSE);
  box->close(0);
  for (int i = 0; i < 40; ++i) frame(50);
  EXPECT_FALSE(box->visible);
  click(install_dialog->quit_button);
  EXPECT_EQ(about_boxes(), 1);
  EXPECT_NE(find_popup(WM_KIND_ABOUT), nullptr);
  // Three times in a row while it is open (no input reaches the page then,
  // but a call does): still one.
  click(install_dialog->quit_button);
  click(install_dialog->quit_button);
  EXPECT_EQ(about_boxes(), 1);
}

}  // namespace
