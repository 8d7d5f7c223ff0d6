// Deleting menus in every state they can be deleted in: a menu bar with an
// open sub-menu chain, a list box with its menu open, a page rebuilt while a
// list box cell's menu is open, and free-standing menus after Escape, a
// click choice and Return. Run under AddressSanitizer these show no use of
// freed memory and no pop-up left dangling on the list.
#include "grid_test_util.h"
#include "menu_test_env.h"
#include "page_manager.h"

namespace {

using namespace mt;

const char* kChoices[] = {"One", "Two", "Three", "Four"};

INT_S32 page_action = 0;
WM_LIST_BOX* page_box = nullptr;
int builds = 0;

void build_page(PAGE_MANAGER* pm) {
  ++builds;
  static WM_STYLE_SET grid_style = gt::flat_style();
  static WM_STYLE_SET item = flat(kEvenColour);
  WM_GRID* g = gt::make_grid(10, 10, 149, 109, grid_style, 20);
  pm->current_manager->add_child(g, 0);
  for (INT_S16 r = 0; r < 8; ++r) g->add_script_cell(0, r, "row", &item);
  page_box = g->add_list_box_cell(0, 1, 0, 4, kChoices, 0, &item, 0, &item, 0, &item, nullptr, 0,
                                  0, &item);
}
INT_S32 process_page() {
  const INT_S32 a = page_action;
  page_action = 0;
  return a;
}

class MenuDeletion : public MenuTest {
 protected:
  WM_MENU* bar_with_open_chain(WM_MENU** sub_out) {
    WM_MENU* file = add(new WM_MENU(0, 0, 59, 19, "File", MENU_BELOW, &even_style, &frame_style,
                                    &even_style, &odd_style, nullptr, nullptr, nullptr, &kInstant,
                                    nullptr));
    fill(file->menu, names(2));
    WM_MENU* sub = file->menu->add_submenu("More", 0, 1, nullptr, nullptr);
    fill(sub->menu, names(3, "m"));
    WM_MENU* deeper = sub->menu->add_submenu("Deeper", 0, 1, nullptr, nullptr);
    fill(deeper->menu, names(2, "d"));
    click(5, 5);
    INT_S16 px, py;
    row_centre(file->menu, 2, &px, &py);
    move_to(px, py);
    frames(3);
    row_centre(sub->menu, 3, &px, &py);
    move_to(px, py);
    frames(3);
    EXPECT_TRUE(deeper->menu->visible);
    *sub_out = deeper;
    return file;
  }
};

TEST_F(MenuDeletion, AMenuBarWithAnOpenSubMenuChain) {
  WM_MENU* deeper = nullptr;
  WM_MENU* file = bar_with_open_chain(&deeper);
  ASSERT_GE(count_visible_popups(), 3);
  root()->remove_child(file, 1, 0);
  EXPECT_EQ(count_visible_popups(), 0);
  EXPECT_EQ(find_popup(0), nullptr);
  frames(3);
}

TEST_F(MenuDeletion, AListBoxWithItsMenuOpen) {
  WM_LIST_BOX* box = add(new WM_LIST_BOX(10, 10, 109, 29, 0, 4, kChoices, 0, &even_style,
                                         &frame_style, 0, &even_style, &odd_style, nullptr,
                                         nullptr, nullptr, 0, 0, &kInstant));
  click(15, 15);
  ASSERT_TRUE(box->menu->visible);
  root()->remove_child(box, 1, 0);
  EXPECT_EQ(find_popup(0), nullptr);
  frames(3);
}

TEST_F(MenuDeletion, APageRebuildWhileAListBoxCellsMenuIsOpen) {
  delete manager;  // a page manager whose first page is this one
  manager = new PAGE_MANAGER(1, -1);
  manager->request_page(0, build_page, nullptr, 0, process_page, 0, 0, nullptr);
  frames(3);
  ASSERT_NE(page_box, nullptr);
  click(static_cast<INT_S16>(page_box->x + 5), static_cast<INT_S16>(page_box->y + 5));
  ASSERT_TRUE(page_box->menu->visible);
  const int before = builds;
  page_action = PAGE_ACTION_REBUILD_CLOSE_POPUPS;
  frames(3);
  EXPECT_EQ(builds, before + 1);
  EXPECT_EQ(find_popup(0), nullptr);
  // The new page's box opens as before.
  click(static_cast<INT_S16>(page_box->x + 5), static_cast<INT_S16>(page_box->y + 5));
  EXPECT_TRUE(page_box->menu->visible);
}

TEST_F(MenuDeletion, FreeStandingMenusAfterEscapeAClickChoiceAndReturn) {
  for (int way = 0; way < 3; ++way) {
    SCOPED_TRACE(way);
    set_bounds(-1, -1, 0, 99);
    WM_FLOATING_MENU* m = free_menu(10, 0);
    fill(m, names(8));
    m->delete_when_closed = 1;
    root()->add_popup(m, 0);
    frames(2);
    if (way == 0) {
      press_key(kEscape);
    } else if (way == 1) {
      INT_S16 px, py;
      row_centre(m, 1, &px, &py);
      click(px, py);
    } else {
      press_key(kDown);
      press_key(kDown);
      press_key(kReturn);
    }
    frames(3);
    EXPECT_FALSE(is_popup(m));
    EXPECT_EQ(find_popup(0), nullptr);
  }
  EXPECT_EQ(choices, std::vector<int>({1, 1}));
}

}  // namespace
