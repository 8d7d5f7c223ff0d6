// The menu button: placing and flipping, following the button, rings as a
// menu bar, sub-menu items opened by the pointer, the chain unwound by a
// choice, the shortcut key and the press-mode setting.
#include "menu_test_env.h"

namespace {

using namespace mt;

class Menu : public MenuTest {
 protected:
  void SetUp() override {
    MenuTest::SetUp();
    bar_style = flat(kBarColour);
  }
  WM_MENU* make(INT_S16 x, INT_S16 y, const char* text, INT_U32 dir, int items,
                const char* prefix = "item") {
    WM_MENU* b = new WM_MENU(x, y, static_cast<INT_S16>(x + 59), static_cast<INT_S16>(y + 19),
                             text, dir, &bar_style, &frame_style, &even_style, &odd_style,
                             nullptr, nullptr, nullptr, &kInstant, nullptr);
    entries[b->menu].clear();
    fill(b->menu, names(items, prefix));
    return b;
  }
  // Pressed and released over the button: the menu opens.
  void open_by_click(WM_MENU* b) {
    click(static_cast<INT_S16>(b->x + 5), static_cast<INT_S16>(b->y + 5));
  }
  WM_STYLE_SET bar_style;
};

TEST_F(Menu, FlipTable) {
  // Measured once: the menu's size does not depend on where it opens.
  WM_MENU* probe = make(100, 100, "M", MENU_BELOW, 3);
  const INT_S16 mw = probe->menu->width, mh = probe->menu->height, w = 60, h = 20;
  const INT_S16 gap = 1;  // the button style's spacings
  delete probe;
  const INT_S16 by2 = 239, bx2 = 319;
  struct CASE {
    const char* name;
    INT_U32 dir;
    INT_S16 x, y;
    int items;
    INT_U32 want;
  } cases[] = {
      {"below fits", MENU_BELOW, 100, static_cast<INT_S16>(by2 - h - gap - mh), 3, MENU_BELOW},
      {"bottom edge on by2 flips up", MENU_BELOW, 100, static_cast<INT_S16>(by2 - h - gap - mh + 1),
       3, MENU_ABOVE},
      {"below, neither side fits", MENU_BELOW, 100, 100, 12, MENU_BELOW},
      {"above fits", MENU_ABOVE, 100, static_cast<INT_S16>(mh + gap), 3, MENU_ABOVE},
      {"above near the top flips down", MENU_ABOVE, 100, static_cast<INT_S16>(mh + gap - 1), 3,
       MENU_BELOW},
      {"above, neither side fits", MENU_ABOVE, 100, 100, 12, MENU_ABOVE},
      {"left fits", MENU_LEFT, static_cast<INT_S16>(mw + gap), 100, 3, MENU_LEFT},
      {"left near the edge flips right", MENU_LEFT, static_cast<INT_S16>(mw + gap - 1), 100, 3,
       MENU_RIGHT},
      {"right fits", MENU_RIGHT, static_cast<INT_S16>(bx2 - gap - w - mw), 100, 3, MENU_RIGHT},
      {"right near the edge flips left", MENU_RIGHT, static_cast<INT_S16>(bx2 - gap - w - mw + 1),
       100, 3, MENU_LEFT},
  };
  for (const CASE& c : cases) {
    SCOPED_TRACE(c.name);
    WM_MENU* b = make(150, 100, "M", c.dir, c.items);
    b->set_position(c.x, c.y);
    EXPECT_EQ(b->direction, c.want);
    WM_FLOATING_MENU* m = b->menu;
    switch (c.want) {
      case MENU_BELOW:
        if (c.items == 3) {
          EXPECT_EQ(m->y, b->y + h + gap);
        }
        break;
      case MENU_ABOVE:
        if (c.items == 3) {
          EXPECT_EQ(m->y, b->y - mh - gap);
        }
        break;
      case MENU_LEFT: EXPECT_EQ(m->x, b->x - mw - gap); break;
      default: EXPECT_EQ(m->x, b->x + w + gap); break;
    }
    // Wherever it opens, it stays inside the bounds.
    EXPECT_GE(m->y, 0);
    EXPECT_LE(m->y + m->height - 1, by2);
    delete b;
  }
}

TEST_F(Menu, TheOpenMenuFollowsTheButtonAndStaysAtLeastAsWide) {
  WM_MENU* b = add(make(20, 20, "File", MENU_BELOW, 3));
  open_by_click(b);
  ASSERT_TRUE(b->menu->visible);
  ASSERT_TRUE(b->open);
  b->set_position(50, 40);
  EXPECT_EQ(b->menu->x, 50);
  EXPECT_EQ(b->menu->y, 40 + 20 + 1);
  b->set_size(200, 20, 0);
  EXPECT_TRUE(b->menu->visible);
  EXPECT_GE(b->menu->width, 200);
  b->set_size(250, 20, 0);
  EXPECT_GE(b->menu->width, 250);
}

TEST_F(Menu, RingLinksTable) {
  WM_MENU* a = make(0, 0, "A", MENU_BELOW, 1);
  WM_MENU* b = make(60, 0, "B", MENU_BELOW, 1);
  WM_MENU* c = make(120, 0, "C", MENU_BELOW, 1);
  b->link(a);  // a ring of two
  EXPECT_EQ(a->ring_next, b);
  EXPECT_EQ(a->ring_prev, b);
  EXPECT_EQ(b->ring_next, a);
  c->link(a);  // just before a: a -> b -> c -> a
  EXPECT_EQ(b->ring_next, c);
  EXPECT_EQ(c->ring_next, a);
  EXPECT_EQ(a->ring_prev, c);
  EXPECT_EQ(c->ring_prev, b);
  EXPECT_EQ(b->unlink(), c);  // the longer ring stays circular
  EXPECT_EQ(a->ring_next, c);
  EXPECT_EQ(c->ring_next, a);
  EXPECT_EQ(a->ring_prev, c);
  EXPECT_EQ(c->ring_prev, a);
  EXPECT_EQ(b->ring_next, nullptr);
  EXPECT_EQ(b->unlink(), nullptr);
  EXPECT_EQ(a->unlink(), c);  // from a ring of two: the other has no links
  EXPECT_EQ(c->ring_next, nullptr);
  EXPECT_EQ(c->ring_prev, nullptr);
  // Deleting a member unlinks it.
  a->link(b);
  c->link(a);
  delete b;
  EXPECT_EQ(a->ring_next, c);
  EXPECT_EQ(c->ring_next, a);
  delete a;
  EXPECT_EQ(c->ring_next, nullptr);
  delete c;
}

TEST_F(Menu, PointingAtAnotherRingMemberSwapsTheMenusAtOnce) {
  WM_MENU* file = add(make(0, 0, "File", MENU_BELOW, 3, "f"));
  WM_MENU* edit = add(make(60, 0, "Edit", MENU_BELOW, 3, "e"));
  WM_MENU* off = add(make(120, 0, "Off", MENU_BELOW, 3, "o"));
  edit->link(file);
  off->link(file);
  off->set_enabled(0);
  open_by_click(file);
  ASSERT_TRUE(file->menu->visible);
  move_to(130, 5);  // the disabled member
  frames(3);
  EXPECT_TRUE(file->menu->visible);
  EXPECT_FALSE(off->menu->visible);
  move_to(70, 5);  // no click
  frames(3);
  EXPECT_FALSE(file->menu->visible);
  EXPECT_TRUE(edit->menu->visible);
  EXPECT_TRUE(edit->open);
  EXPECT_EQ(edit->pressed, 1);
  EXPECT_EQ(file->pressed, 0);
  move_to(5, 5);
  frames(3);
  EXPECT_TRUE(file->menu->visible);
  EXPECT_FALSE(edit->menu->visible);
}

TEST_F(Menu, ASubMenuItemOpensOnEntryAndClosesWhenThePointerLeavesBoth) {
  WM_MENU* file = add(make(0, 0, "File", MENU_BELOW, 2, "f"));
  WM_MENU* recent = file->menu->add_submenu("Recent", 0, 1, nullptr, nullptr);
  ASSERT_NE(recent, nullptr);
  entries[file->menu].push_back(recent);
  fill(recent->menu, names(3, "r"));
  EXPECT_EQ(recent->parent, file);
  EXPECT_EQ(recent->press_mode, static_cast<INT_U32>(BUTTON_PRESS_ON_ENTRY));
  EXPECT_EQ(file->menu->submenu_at(2), recent);
  EXPECT_EQ(file->menu->submenu_at(0), nullptr);
  EXPECT_NE(recent->button_flags & BUTTON_ARROW_RIGHT, 0u);
  expect_entries_intact(file->menu);
  open_by_click(file);
  frames(2);
  INT_S16 px, py;
  row_centre(file->menu, 2, &px, &py);
  move_to(px, py);
  frames(3);
  ASSERT_TRUE(recent->menu->visible);
  EXPECT_EQ(recent->menu->x, recent->x + recent->width + recent->gap_x);
  // Onto the sub-menu: it stays.
  row_centre(recent->menu, 1, &px, &py);
  move_to(px, py);
  frames(3);
  EXPECT_TRUE(recent->menu->visible);
  EXPECT_TRUE(file->menu->is_over_tree(px, py));
  // Back onto another item of the first menu: the sub-menu closes.
  row_centre(file->menu, 0, &px, &py);
  move_to(px, py);
  frames(10);  // the sub-menu's closing slide takes 100 ms
  EXPECT_FALSE(recent->menu->visible);
  EXPECT_TRUE(file->menu->visible);
}

TEST_F(Menu, ACommandInASubMenuCallsBackOnceAndUnwindsTheChain) {
  WM_MENU* file = add(make(0, 0, "File", MENU_BELOW, 2, "f"));
  WM_MENU* recent = file->menu->add_submenu("Recent", 1, 0, nullptr, nullptr);
  entries[recent->menu].clear();
  fill(recent->menu, names(3, "r"));
  open_by_click(file);
  frames(2);
  INT_S16 px, py;
  row_centre(file->menu, 3, &px, &py);  // after the separator
  move_to(px, py);
  frames(3);
  ASSERT_TRUE(recent->menu->visible);
  row_centre(recent->menu, 2, &px, &py);
  click(px, py);
  EXPECT_EQ(choices, std::vector<int>({2}));
  EXPECT_FALSE(recent->menu->visible);
  EXPECT_FALSE(file->menu->visible);
  EXPECT_EQ(file->pressed, 0);
  frames(3);
  EXPECT_FALSE(file->open);
  EXPECT_EQ(count_visible_popups(), 0);
  // It opens again as before.
  open_by_click(file);
  EXPECT_TRUE(file->menu->visible);
  EXPECT_FALSE(recent->menu->visible);
}

TEST_F(Menu, EscapeInASubMenuClosesTheChainAbove) {
  WM_MENU* file = add(make(0, 0, "File", MENU_BELOW, 2, "f"));
  WM_MENU* recent = file->menu->add_submenu("Recent", 0, 0, nullptr, nullptr);
  fill(recent->menu, names(3, "r"));
  open_by_click(file);
  INT_S16 px, py;
  row_centre(file->menu, 2, &px, &py);
  move_to(px, py);
  frames(3);
  ASSERT_TRUE(recent->menu->visible);
  row_centre(recent->menu, 0, &px, &py);
  move_to(px, py);
  frames(2);
  press_key(kEscape);
  frames(12);  // the menus' closing slides
  EXPECT_FALSE(recent->menu->visible);
  EXPECT_FALSE(file->menu->visible);
  EXPECT_EQ(file->pressed, 0);
  EXPECT_TRUE(choices.empty());
  frames(2);
  EXPECT_EQ(count_visible_popups(), 0);
  EXPECT_FALSE(file->open);
}

TEST_F(Menu, TheShortcutKeyOpensAndClosesOnlyAfterItsRelease) {
  const INT_S32 kF10 = 76;
  WM_MENU* file = add(make(0, 0, "File", MENU_BELOW, 2));
  file->set_shortcut_key(kF10);
  EXPECT_EQ(file->menu->close_key, static_cast<INT_U32>(kF10));
  key_down(kF10);
  frames(3);
  EXPECT_TRUE(file->menu->visible);
  frames(3);  // still held: the menu stays
  EXPECT_TRUE(file->menu->visible);
  key_up(kF10);
  frames(2);
  EXPECT_TRUE(file->menu->visible);
  key_down(kF10);
  frames(2);
  key_up(kF10);
  frames(3);
  EXPECT_FALSE(file->menu->visible);
  frames(2);
  EXPECT_FALSE(file->open);
}

TEST_F(Menu, AKeptMenuClosedByEscapeLeavesTheListAtItsButtonsNextPass) {
  WM_MENU* file = add(make(0, 0, "File", MENU_BELOW, 3));
  open_by_click(file);
  ASSERT_TRUE(is_popup(file->menu));
  press_key(kEscape);
  frames(2);
  EXPECT_FALSE(file->menu->visible);
  EXPECT_FALSE(is_popup(file->menu));
  EXPECT_FALSE(file->open);
  EXPECT_EQ(file->pressed, 0);
  open_by_click(file);  // and it opens again
  EXPECT_TRUE(file->menu->visible);
}

TEST_F(Menu, ThePressModeSettingAndTheOpenCallback) {
  wm_menu_press_mode = 2;
  WM_MENU* hover = add(make(0, 0, "Hover", MENU_BELOW, 2));
  EXPECT_EQ(hover->press_mode, static_cast<INT_U32>(BUTTON_PRESS_ON_ENTRY));
  static int opened = 0;
  hover->open_callback = [](WM_MENU*, INT_WORD a, INT_WORD) -> INT_U32 {
    opened += static_cast<int>(a);
    return 0;
  };
  hover->open_arg1 = 5;
  move_to(10, 10);
  frames(3);
  EXPECT_TRUE(hover->menu->visible);
  EXPECT_EQ(opened, 5);
  move_to(200, 200);
  frames(4);
  EXPECT_FALSE(hover->menu->visible);
  wm_menu_press_mode = 1;
  WM_MENU* normal = make(0, 100, "N", MENU_BELOW, 1);
  EXPECT_EQ(normal->press_mode, static_cast<INT_U32>(BUTTON_PRESS_NORMAL));
  delete normal;
}

TEST_F(Menu, HidingTheButtonHidesTheWholeTree) {
  WM_MENU* file = add(make(0, 0, "File", MENU_BELOW, 2, "f"));
  WM_MENU* recent = file->menu->add_submenu("Recent", 0, 0, nullptr, nullptr);
  fill(recent->menu, names(2, "r"));
  open_by_click(file);
  INT_S16 px, py;
  row_centre(file->menu, 2, &px, &py);
  move_to(px, py);
  frames(3);
  ASSERT_TRUE(recent->menu->visible);
  file->hide(0, 0);
  EXPECT_FALSE(file->menu->visible);
  EXPECT_FALSE(recent->menu->visible);
}

}  // namespace
