// The command handler: a table of calls against the action codes and the
// database changes, and the commands that act on the page's widgets.
#include "install_dialog_env.h"

using namespace inst;

namespace {

class CommandTest : public InstallerTest {
 protected:
  // A released (or only pressed) button that sends the command.
  WM_BUTTON* button(INT_S32 command, INT_S32 value, INT_U8 released) {
    WM_BUTTON* b = new WM_BUTTON(0, 0, -1, -1, &wm_dialog_button_style, "b", nullptr,
                                 handle_install_dialog_command, word_from_s32(command),
                                 word_from_s32(value), 3);
    b->released = released;
    owned.push_back(b);
    return b;
  }
  INT_S32 send(WM_SCREEN_OBJECT* caller) {
    return caller->action_callback(caller, caller->action_arg1, caller->action_arg2);
  }
  void TearDown() override {
    for (WM_BUTTON* b : owned) delete b;
  }
  std::vector<WM_BUTTON*> owned;
};

TEST_F(CommandTest, TableOfCallsAndResults) {
  struct Case {
    const char* name;
    INT_S32 command, value;
    INT_U8 released;
    INT_S32 result;
    INT_S32 page_after;  // current_page afterwards
  } cases[] = {
      {"a press is ignored", 100, 7, 0, 0, 5},
      {"go to 7", 100, 7, 1, 7, 7},
      {"go to 6", 100, 6, 1, 7, 6},
      {"go to 9 ends", 100, 9, 1, -1, 9},
      {"continue closes the box", 101, 0, 1, 2, 9},
      {"above 101", 102, 7, 1, 0, 9},
      {"far above", 1000, 7, 1, 0, 9},
      {"negative", -1, 7, 1, 0, 9},
      {"browse opens the folder browser", 5, 0, 1, 0, 9},
      {"about opens the box", 8, 0, 1, 0, 9},
      {"no such command", 9, 7, 1, 0, 9},
      {"language press ignored", 3, 4, 0, 0, 9},
  };
  make_database(2, 2);
  installer_database.current_page = 5;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(send(button(c.command, c.value, c.released)), c.result);
    EXPECT_EQ(installer_database.current_page, c.page_after);
  }
  EXPECT_FALSE(quit_confirm_box);
}

TEST_F(CommandTest, LanguageIsStoredBeforeThePage) {
  make_database(2, 2);
  installer_database.current_page = 3;
  WM_BUTTON* b = button(INSTALL_CMD_LANGUAGE, 4, 1);
  b->click_arg1 = word_from_s32(1);
  EXPECT_EQ(send(b), PAGE_ACTION_REBUILD_CLOSE_POPUPS);
  EXPECT_EQ(installer_database.current_language, 1);
  EXPECT_EQ(installer_database.current_page, 4);
  // A language index outside the table changes nothing.
  b->click_arg1 = word_from_s32(2);
  installer_database.current_page = 3;
  EXPECT_EQ(send(b), 0);
  EXPECT_EQ(installer_database.current_language, 1);
  EXPECT_EQ(installer_database.current_page, 3);
}

TEST_F(CommandTest, TheNextPageIsBuiltInTheChosenLanguage) {
  make_database(2, 2, "01");
  show_page(3);
  ASSERT_TRUE(install_grid);
  WM_BUTTON* second = dynamic_cast<WM_BUTTON*>(install_grid->get_cell(0, 1));
  ASSERT_TRUE(second);
  second->released = 1;
  // The page manager acts on the handler's result as on a click's.
  kick = nullptr;
  const INT_S32 r = send(second);
  ASSERT_EQ(r, PAGE_ACTION_REBUILD_CLOSE_POPUPS);
  INSTALL_DIALOG* licence = rebuild(installer_database.current_page);
  EXPECT_STREQ(licence->get_title(), "L1 T28");
  EXPECT_EQ(text_of(licence->next_button), "L1 T15");
}

TEST_F(CommandTest, ItemBoxesAreOneRadioGroup) {
  make_database(1, 3);
  show_page(5);
  ASSERT_TRUE(install_grid);
  auto box = [](INT_S16 i) { return dynamic_cast<WM_CHECK_BOX*>(install_grid->get_cell(0, i)); };
  std::snprintf(installer_database.target_folder, FOLDER_PATH_SIZE, "$ROOT0/browsed");
  // The box toggles itself before it calls back.
  box(2)->checked = 1;
  EXPECT_EQ(send(box(2)), 0);
  EXPECT_EQ(installer_database.selected_item, 2);
  EXPECT_STREQ(installer_database.target_folder, "$ROOT0/item2");
  EXPECT_EQ(box(0)->checked, 0);
  EXPECT_EQ(box(1)->checked, 0);
  EXPECT_EQ(box(2)->checked, 1);
  // A click on the chosen item's box unticks it; the handler ticks it again
  // and resets the folder.
  std::snprintf(installer_database.target_folder, FOLDER_PATH_SIZE, "$ROOT0/browsed");
  box(2)->checked = 0;
  EXPECT_EQ(send(box(2)), 0);
  EXPECT_EQ(installer_database.selected_item, 2);
  EXPECT_EQ(box(2)->checked, 1);
  EXPECT_STREQ(installer_database.target_folder, "$ROOT0/item2");
}

TEST_F(CommandTest, OptionBoxesSetTheOptionsAndSwitchThePathButtons) {
  make_database(1, 1);
  installer_database.use_second_folders = 0;
  show_page(6);
  ASSERT_TRUE(install_grid);
  WM_CHECK_BOX* second = dynamic_cast<WM_CHECK_BOX*>(install_grid->get_cell(1, 2));
  ASSERT_TRUE(second);
  ASSERT_TRUE(target_path_button);
  EXPECT_EQ(target_path_button->enabled, 1);
  second->checked = 1;
  EXPECT_EQ(send(second), 0);
  EXPECT_EQ(installer_database.use_second_folders, 1);
  EXPECT_EQ(target_path_button->enabled, 0);
  EXPECT_EQ(browse_button->enabled, 0);
  second->checked = 0;
  EXPECT_EQ(send(second), 0);
  EXPECT_EQ(installer_database.use_second_folders, 0);
  EXPECT_EQ(target_path_button->enabled, 1);
  EXPECT_EQ(browse_button->enabled, 1);

  WM_CHECK_BOX* desktop = dynamic_cast<WM_CHECK_BOX*>(install_grid->get_cell(1, 7));
  WM_CHECK_BOX* menu = dynamic_cast<WM_CHECK_BOX*>(install_grid->get_cell(1, 8));
  ASSERT_TRUE(desktop);
  ASSERT_TRUE(menu);
  EXPECT_EQ(desktop->checked, 1);
  desktop->checked = 0;
  EXPECT_EQ(send(desktop), 0);
  EXPECT_EQ(installer_database.desktop_shortcuts, 0);
  menu->checked = 0;
  EXPECT_EQ(send(menu), 0);
  EXPECT_EQ(installer_database.menu_entries, 0);
  EXPECT_EQ(installer_database.desktop_shortcuts, 0);
}

TEST_F(CommandTest, QuitOpensTheQuitBox) {
  make_database(1, 1);
  show_page(6);
  EXPECT_EQ(send(button(INSTALL_CMD_QUIT, 0, 1)), 0);
  ASSERT_TRUE(quit_confirm_box);
  EXPECT_TRUE(is_popup(quit_confirm_box));
  EXPECT_EQ(installer_database.current_page, 6);
}

// ---- the quit box --------------------------------------------------------------

class QuitBoxTest : public InstallerTest {
 protected:
  void SetUp() override {
    InstallerTest::SetUp();
    make_database(1, 1);
    show_page(6);
  }
  static int boxes() {
    int n = 0;
    for (LIST_NODE* node = wm_popup_list.head; node; node = node->next) {
      auto* o = static_cast<WM_SCREEN_OBJECT*>(PTRLLIST::stored_pointer(node));
      if (o && (o->kind & WM_KIND_CONFIRM)) ++n;
    }
    return n;
  }
  static INT_S32 answer(WM_BUTTON* b) {
    b->released = 1;
    return b->action_callback(b, b->action_arg1, b->action_arg2);
  }
};

TEST_F(QuitBoxTest, TextsSizeAndPlace) {
  DATABASE& d = installer_database;
  d.quit_box = {30, 40, 220, 160};
  d.quit_box_draggable = 0;
  EXPECT_EQ(open_quit_box(0), 0);
  WM_CONFIRM* box = quit_confirm_box;
  ASSERT_TRUE(box);
  EXPECT_STREQ(box->get_title(), "T3");
  EXPECT_EQ(box->width, 220);
  EXPECT_EQ(box->height, 160);
  EXPECT_EQ(box->get_x(), 30);
  EXPECT_EQ(box->get_y(), 40);
  EXPECT_EQ(box->draggable, 0);
  ASSERT_TRUE(box->first_button);
  ASSERT_TRUE(box->second_button);
  EXPECT_EQ(text_of(box->first_button), "T5");
  EXPECT_EQ(text_of(box->second_button), "T6");
  ASSERT_TRUE(box->text_window);
  EXPECT_EQ(box->text_window->flags, 0);
  ASSERT_GE(box->text_window->paragraph_total, 1);
  EXPECT_STREQ(box->text_window->paragraphs[0].text, "T4");
}

TEST_F(QuitBoxTest, ASecondRequestLeavesOneBox) {
  open_quit_box(0);
  frame();
  open_quit_box(0);
  EXPECT_EQ(boxes(), 1);
  EXPECT_TRUE(is_popup(quit_confirm_box));
}

TEST_F(QuitBoxTest, YesEndsTheProgram) {
  open_quit_box(0);
  EXPECT_EQ(answer(quit_confirm_box->first_button), PAGE_ACTION_END);
  // A press alone answers nothing.
  WM_BUTTON* yes = quit_confirm_box->first_button;
  yes->released = 0;
  EXPECT_EQ(yes->action_callback(yes, yes->action_arg1, yes->action_arg2), 0);
}

TEST_F(QuitBoxTest, NoDeletesTheBoxOnceItsFadeHasEnded) {
  open_quit_box(0);
  frame();
  EXPECT_EQ(answer(quit_confirm_box->second_button), 0);
  EXPECT_FALSE(quit_confirm_box);
  for (int i = 0; i < 100 && boxes(); ++i) frame(50);
  EXPECT_EQ(boxes(), 0);
  // A new request opens a new box.
  open_quit_box(0);
  EXPECT_EQ(boxes(), 1);
}

// Clicks on the box's buttons, as the page manager hands them input.
TEST_F(QuitBoxTest, ClicksOnNoAndYes) {
  auto click = [&](WM_BUTTON* b) {
    const INT_S16 cx = static_cast<INT_S16>(b->x + b->width / 2), cy = static_cast<INT_S16>(b->y + b->height / 2);
    pointer(cx, cy, 0);
    frame();
    pointer(cx, cy, 1);
    EXPECT_NE(frame(), PAGE_ACTION_END);  // the press alone answers nothing
    pointer(cx, cy, 0);
    return frame();
  };
  open_quit_box(0);
  for (int i = 0; i < 20; ++i) frame(100);  // opened
  EXPECT_NE(click(quit_confirm_box->second_button), PAGE_ACTION_END);
  EXPECT_FALSE(quit_confirm_box);
  for (int i = 0; i < 20 && boxes(); ++i) frame(100);
  EXPECT_EQ(boxes(), 0);
  open_quit_box(0);
  for (int i = 0; i < 20; ++i) frame(100);
  EXPECT_EQ(click(quit_confirm_box->first_button), PAGE_ACTION_END);
}

TEST_F(QuitBoxTest, APageChangeDeletesTheBoxAndANewRequestOpensOne) {
  open_quit_box(0);
  frame();
  rebuild(7);  // action 7 deletes every pop-up
  EXPECT_EQ(boxes(), 0);
  EXPECT_FALSE(quit_confirm_box);
  open_quit_box(0);
  EXPECT_EQ(boxes(), 1);
  ASSERT_TRUE(quit_confirm_box);
  frame();
}

TEST_F(QuitBoxTest, TheMayQuitAnswerIsAlwaysNo) {
  EXPECT_EQ(open_quit_box(0), 0);
  EXPECT_EQ(open_quit_box(1), 0);
  EXPECT_EQ(boxes(), 1);
}

}  // namespace
