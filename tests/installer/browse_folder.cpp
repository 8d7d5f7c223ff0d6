// The folder browser of the target page: how it is built from the database,
// and what its answer does to the target folder and the path button.
#include <sys/stat.h>

#include "install_dialog_env.h"
#include "wm_file_select.h"
#include "wm_globals.h"
#include "wm_grid.h"
#include "wm_menu.h"
#include "wm_text_edit.h"

using namespace inst;

namespace {

INT_S32 click(WM_BUTTON* b) {
  b->released = 0;
  b->action_callback(b, b->action_arg1, b->action_arg2);
  b->released = 1;
  return b->action_callback(b, b->action_arg1, b->action_arg2);
}

int selectors() {
  int n = 0;
  for (LIST_NODE* node = wm_popup_list.head; node; node = node->next) {
    auto* o = static_cast<WM_SCREEN_OBJECT*>(PTRLLIST::stored_pointer(node));
    if (o && (o->kind & WM_KIND_FILE_SELECT)) ++n;
  }
  return n;
}

std::string variable_form(const FOLDER& f) {
  char text[FOLDER_PATH_SIZE];
  f.get_path_text(text, nullptr);
  return text;
}

class BrowseTest : public InstallerTest {
 protected:
  WM_FILE_SELECT* open_from(WM_BUTTON* button) {
    EXPECT_EQ(click(button), WM_ACTION_NONE);
    return dynamic_cast<WM_FILE_SELECT*>(find_popup(WM_KIND_FILE_SELECT));
  }
  // The selector answers as its OK (1) or Cancel (0) button makes it.
  INT_S32 answer(WM_FILE_SELECT* s, INT_U8 ok) {
    WM_BUTTON* b = ok ? s->ok_button : s->cancel_button;
    return WM_FILE_SELECT::on_command(b, ok ? 1 : 2, reinterpret_cast<INT_WORD>(s));
  }
  void settle() {
    for (int i = 0; i < 60; ++i) frame(50);
  }
};

TEST_F(BrowseTest, BothButtonsOpenTheSelectorAsTheDatabaseSays) {
  make_database(1, 1);
  DATABASE& d = installer_database;
  const std::string dir = zt::make_temp_dir("start");
  std::snprintf(d.target_folder, sizeof d.target_folder, "$ROOT2%s/not/yet", dir.c_str());
  d.browser_box = {-1, -1, -1, -1};
  d.browser_prompt_on_box = 1;
  d.browser_draggable = 0;
  // Each style set in its role: a colour of its own.
  d.styles[STYLE_TEXT].bg_colour = 0xFF102030u;
  d.styles[STYLE_SCROLLBAR].bg_colour = 0xFF203040u;
  d.styles[STYLE_MENU_DROPDOWN].bg_colour = 0xFF304050u;
  d.styles[STYLE_MENU_BUTTON].bg_colour = 0xFF405060u;
  d.icons[ICON_YES].create(8, 6);
  d.icons[ICON_NEW_FOLDER].create(5, 4);
  show_page(INSTALL_PAGE_TARGET);
  ASSERT_TRUE(browse_button && target_path_button);
  for (WM_BUTTON* button : {browse_button, target_path_button}) {
    WM_FILE_SELECT* s = open_from(button);
    ASSERT_TRUE(s);
    EXPECT_EQ(s->width, 500);
    EXPECT_EQ(s->height, 350);
    EXPECT_EQ(s->get_x(), (kScreenW - 500) / 2);
    EXPECT_EQ(s->get_y(), (kScreenH - 350) / 2);
    EXPECT_EQ(s->action_callback, handle_install_dialog_command);
    EXPECT_EQ(word_to_s32(s->action_arg1), INSTALL_CMD_BROWSE);
    EXPECT_EQ(s->mode, FILE_SELECT_FOLDER);
    // The deepest existing folder of the target.
    EXPECT_EQ(std::string(s->folder.native_path_text(nullptr)), dir);
    EXPECT_EQ(s->prompt_over_selector, 1);
    EXPECT_EQ(s->draggable, 0);
    EXPECT_EQ(s->entry_style.bg_colour, 0xFF102030u);  // style set 5 as the name box's
    EXPECT_EQ(s->list->style.bg_colour, 0xFF102030u);  // and the list's
    EXPECT_EQ(s->list->scrollbar_style.bg_colour, 0xFF203040u);
    EXPECT_EQ(s->location_menu->back_colour, 0xFF405060u);
    ASSERT_TRUE(s->location_menu->menu);
    EXPECT_EQ(s->location_menu->menu->style.bg_colour, 0xFF304050u);
    EXPECT_EQ(s->location_menu->menu->alternate_item_style, &d.styles[STYLE_MENU_ALT_ITEM]);
    EXPECT_STREQ(s->get_title(), "T48");
    EXPECT_EQ(text_of(s->ok_button), "T45");
    EXPECT_EQ(text_of(s->cancel_button), "T46");
    EXPECT_EQ(text_of(s->new_folder_button), "T47");
    EXPECT_EQ(label_of(s->status_label), "T49");
    EXPECT_EQ(label_of(s->location_label), "T50");
    EXPECT_STREQ(s->my_computer_text.text, "T51");
    EXPECT_STREQ(s->new_folder_title.text, "T52");
    EXPECT_STREQ(s->new_folder_prompt.text, "T53");
    // Icons only where the skin has them.
    EXPECT_EQ(s->ok_button->icon.width, 8);
    EXPECT_EQ(s->cancel_button->icon.width, 0);
    EXPECT_EQ(s->new_folder_button->icon.width, 5);
    EXPECT_EQ(PTRLLIST::stored_pointer(wm_popup_list.tail), s);
    answer(s, 0);
    settle();
  }
  EXPECT_EQ(selectors(), 0);
}

TEST_F(BrowseTest, PlacedAtTheBrowserBox) {
  make_database(1, 1);
  installer_database.browser_box = {10, 20, 400, 300};
  show_page(INSTALL_PAGE_TARGET);
  WM_FILE_SELECT* s = open_from(browse_button);
  ASSERT_TRUE(s);
  EXPECT_EQ(s->get_x(), 10);
  EXPECT_EQ(s->get_y(), 20);
  EXPECT_EQ(s->width, 400);
  EXPECT_EQ(s->height, 300);
}

TEST_F(BrowseTest, AChosenFolderBecomesTheTargetAndCancelChangesNothing) {
  make_database(1, 1);
  DATABASE& d = installer_database;
  const std::string base = zt::make_temp_dir("pick");
  struct Case {
    const char* name;
  } cases[] = {{"plain"}, {"$x"}, {"$APP"}};
  show_page(INSTALL_PAGE_TARGET);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string dir = base + "/" + c.name;
    ASSERT_EQ(mkdir(dir.c_str(), 0700), 0);
    // Cancel first: nothing changes.
    const std::string before = d.target_folder, shown = text_of(target_path_button);
    WM_FILE_SELECT* s = open_from(browse_button);
    ASSERT_TRUE(s);
    ASSERT_TRUE(s->folder.set_if_directory(dir.c_str()));
    EXPECT_EQ(answer(s, 0), WM_ACTION_NONE);
    EXPECT_EQ(d.target_folder, before);
    EXPECT_EQ(text_of(target_path_button), shown);
    settle();
    EXPECT_EQ(selectors(), 0);
    // OK: the variable form is stored, the native path shown.
    s = open_from(browse_button);
    ASSERT_TRUE(s);
    ASSERT_TRUE(s->folder.set_if_directory(dir.c_str()));
    FOLDER expected(FOLDER::UNSET{});
    ASSERT_TRUE(expected.set_if_directory(dir.c_str()));
    EXPECT_EQ(answer(s, 1), WM_ACTION_NONE);
    EXPECT_EQ(d.target_folder, variable_form(expected));
    EXPECT_EQ(d.target_folder[0], '$');
    EXPECT_EQ(text_of(target_path_button), dir);
    settle();
    EXPECT_EQ(selectors(), 0);
    // The page built again from the stored target shows the same path.
    rebuild(INSTALL_PAGE_TARGET);
    EXPECT_EQ(text_of(target_path_button), dir);
  }
}

TEST_F(BrowseTest, ANameTypedInTheBoxIsEnteredWhenChosen) {
  make_database(1, 1);
  const std::string dir = zt::make_temp_dir("typed");
  ASSERT_EQ(mkdir((dir + "/sub").c_str(), 0700), 0);
  show_page(INSTALL_PAGE_TARGET);
  WM_FILE_SELECT* s = open_from(browse_button);
  ASSERT_TRUE(s);
  ASSERT_TRUE(s->folder.set_if_directory(dir.c_str()));
  s->name_box->set_text("sub");
  answer(s, 1);
  EXPECT_EQ(text_of(target_path_button), dir + "/sub");
}

}  // namespace
