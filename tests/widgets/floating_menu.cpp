// The floating menu's layout: sizes, the visible run, the scroll buttons and
// the entries they lend their rows from, separators at the run's ends, the
// menu bounds, and menus too short for both scroll buttons.
#include "menu_test_env.h"

namespace {

using namespace mt;

// Rows are 18 pixels (16-pixel font, cell top gap 1, y spacing 1); the
// empty menu is 4 high (frame top 1, grid gaps 1 + 1, frame bottom 1).
const INT_S16 kRow = 18, kEmptyHeight = 4;

class FloatingMenu : public MenuTest {};

TEST_F(FloatingMenu, LayoutTable) {
  struct CASE {
    const char* name;
    int items;
    INT_S16 bottom;  // menu bounds bottom (top 0)
    INT_S16 first, last;
    bool up, down;
    INT_S16 height;
  } cases[] = {
      {"all fit", 5, -1, 0, 4, false, false, kEmptyHeight + 5 * kRow},
      {"empty", 0, -1, 0, 0, false, false, kEmptyHeight},
      {"overflow", 10, 99, 0, 4, false, true, kEmptyHeight + 5 * kRow},
      {"one row", 6, 30, 0, 0, false, false, kEmptyHeight + kRow},
      {"less than a row", 6, 10, 0, 0, false, false, kEmptyHeight + kRow},
      {"two rows", 6, 50, 0, 1, false, true, kEmptyHeight + 2 * kRow},
  };
  for (const CASE& c : cases) {
    SCOPED_TRACE(c.name);
    set_bounds(-1, -1, 0, c.bottom);
    WM_FLOATING_MENU* m = free_menu(10, 0);
    fill(m, names(c.items));
    EXPECT_EQ(m->first_visible, c.first);
    EXPECT_EQ(m->last_visible, c.last);
    EXPECT_EQ(m->up_displaced != nullptr, c.up);
    EXPECT_EQ(m->down_displaced != nullptr, c.down);
    EXPECT_EQ(m->height, c.height);
    if (c.down) {
      EXPECT_EQ(m->down_row, c.last);
      EXPECT_STREQ(m->down_button->text, "v");
    }
    expect_entries_intact(m);
    delete m;
  }
}

TEST_F(FloatingMenu, ARunOfTwoRowsHoldsTheButtonOfTheLastScroll) {
  set_bounds(-1, -1, 0, 50);
  WM_FLOATING_MENU* m = free_menu(0, 0);
  fill(m, names(6));
  ASSERT_EQ(m->down_row, 1);
  const INT_WORD self = word_from_pointer(m);
  // Down one: both would be due, "v" stays beside the entry above it.
  WM_FLOATING_MENU::on_scroll_button(m->down_button, self, 0);
  EXPECT_EQ(m->first_visible, 1);
  EXPECT_EQ(m->last_visible, 2);
  EXPECT_EQ(m->up_displaced, nullptr);
  ASSERT_NE(m->down_displaced, nullptr);
  EXPECT_EQ(m->down_row, 2);
  expect_entries_intact(m);
  WM_FLOATING_MENU::on_scroll_button(m->down_button, self, 0);
  // Up one from the middle: "^" instead.
  WM_FLOATING_MENU::on_scroll_button(m->down_button, self, 1);
  EXPECT_EQ(m->first_visible, 1);
  EXPECT_EQ(m->down_displaced, nullptr);
  ASSERT_NE(m->up_displaced, nullptr);
  EXPECT_EQ(m->up_row, 1);
  expect_entries_intact(m);
  delete m;
}

TEST_F(FloatingMenu, WidthFollowsTheWidestEntryAndTheMinimum) {
  WM_FLOATING_MENU* m = free_menu(0, 0);
  fill(m, {"a", "a much longer entry", "b"});
  // text + item borders (1 + 1) + grid gaps (1 + 1) + frame (1 + 1).
  EXPECT_EQ(m->width, text_width("a much longer entry") + 6);
  m->min_client_width = 250;
  m->layout();
  EXPECT_EQ(m->width, 252);
  delete m;
}

TEST_F(FloatingMenu, ScrollingDownAndUpMovesTheButtonsToTheRunsEnds) {
  set_bounds(-1, -1, 0, 99);
  WM_FLOATING_MENU* m = free_menu(0, 0);
  fill(m, names(10));
  const INT_WORD self = word_from_pointer(m);
  // Down one entry: "^" takes the first row of the run, "v" the last.
  WM_FLOATING_MENU::on_scroll_button(m->down_button, self, 0);
  EXPECT_EQ(m->first_visible, 1);
  EXPECT_EQ(m->last_visible, 5);
  EXPECT_EQ(m->up_row, 1);
  EXPECT_EQ(m->down_row, 5);
  EXPECT_STREQ(m->up_button->text, "^");
  expect_entries_intact(m);
  for (int i = 0; i < 4; ++i) WM_FLOATING_MENU::on_scroll_button(m->down_button, self, 0);
  EXPECT_EQ(m->first_visible, 5);
  EXPECT_EQ(m->last_visible, 9);
  EXPECT_EQ(m->down_displaced, nullptr);  // at the end "v" is gone
  EXPECT_NE(m->up_displaced, nullptr);
  expect_entries_intact(m);
  for (int i = 0; i < 5; ++i) WM_FLOATING_MENU::on_scroll_button(m->up_button, self, 1);
  EXPECT_EQ(m->first_visible, 0);
  EXPECT_EQ(m->up_displaced, nullptr);  // at the top "^" is gone
  EXPECT_NE(m->down_displaced, nullptr);
  expect_entries_intact(m);
  delete m;
}

TEST_F(FloatingMenu, SeparatorsAreTrimmedFromTheRunAndScrolledOut) {
  set_bounds(-1, -1, 0, 95);
  WM_FLOATING_MENU* m = free_menu(0, 0);
  fill(m, {"a", "b", "c", "d", "-", "e", "f", "g", "h"});
  // Four items and the separator fit, the fifth item not: the separator
  // does not end the run.
  EXPECT_EQ(m->last_visible, 3);
  EXPECT_EQ(m->height, kEmptyHeight + 4 * kRow);
  expect_entries_intact(m);
  const INT_WORD self = word_from_pointer(m);
  for (int i = 0; i < 4; ++i) WM_FLOATING_MENU::on_scroll_button(m->down_button, self, 0);
  // The separator would start the run: it is scrolled out.
  EXPECT_EQ(m->first_visible, 5);
  expect_entries_intact(m);
  // Up brings back one entry and the separator above it.
  WM_FLOATING_MENU::on_scroll_button(m->up_button, self, 1);
  EXPECT_EQ(m->first_visible, 3);
  expect_entries_intact(m);
  delete m;
}

TEST_F(FloatingMenu, IsPushedInsideTheBoundsOnAllFourSides) {
  set_bounds(20, 300, 10, 230);
  WM_FLOATING_MENU* m = free_menu(-50, -50);
  fill(m, names(3));
  EXPECT_EQ(m->x, 20);
  EXPECT_EQ(m->y, 10);
  m->set_position(310, 235);
  m->layout();
  EXPECT_EQ(m->x + m->width - 1, 300);
  EXPECT_EQ(m->y + m->height - 1, 230);
  // Wider than the bounds: it starts left of bx1.
  set_bounds(20, 60, 10, 230);
  m->layout();
  EXPECT_EQ(m->x + m->width - 1, 60);
  EXPECT_LT(m->x, 20);
  delete m;
}

TEST_F(FloatingMenu, HiddenArrowsGiveEmptyScrollButtons) {
  set_bounds(-1, -1, 0, 99);
  WM_STYLE_SET arrows = flat(kEvenColour);
  arrows.ssef |= ssef_fm_hide_scrolling_arrows;
  WM_FLOATING_MENU* m =
      new WM_FLOATING_MENU(0, 0, nullptr, &frame_style, &frame_style, &even_style, &odd_style, 0,
                           0, nullptr, &arrows, &arrows, &kInstant, nullptr);
  entries[m].clear();
  fill(m, names(10));
  ASSERT_NE(m->down_button, nullptr);
  EXPECT_STREQ(m->down_button->text, "");
  delete m;
}

TEST_F(FloatingMenu, NewBoundsMoveTheRunAndTheButtonsWithIt) {
  set_bounds(-1, -1, 0, 99);
  WM_FLOATING_MENU* m = free_menu(0, 0);
  fill(m, names(10));
  WM_FLOATING_MENU::on_scroll_button(m->down_button, word_from_pointer(m), 0);
  ASSERT_EQ(m->down_row, 5);
  set_bounds(-1, -1, 0, 63);  // room for three rows
  m->layout();
  EXPECT_EQ(m->first_visible, 1);
  EXPECT_EQ(m->last_visible, 3);
  EXPECT_EQ(m->down_row, 3);
  EXPECT_EQ(m->up_row, 1);
  expect_entries_intact(m);
  set_bounds(-1, -1, 0, -1);  // the whole screen: the top entry stays on top
  m->layout();
  EXPECT_EQ(m->first_visible, 1);
  EXPECT_EQ(m->last_visible, 9);
  EXPECT_EQ(m->up_row, 1);
  EXPECT_EQ(m->down_displaced, nullptr);
  expect_entries_intact(m);
  WM_FLOATING_MENU::on_scroll_button(m->up_button, word_from_pointer(m), 1);
  EXPECT_EQ(m->first_visible, 0);
  EXPECT_EQ(m->up_displaced, nullptr);
  expect_entries_intact(m);
  delete m;
}

TEST_F(FloatingMenu, SetTitleWithoutACaptionChangesNothing) {
  set_bounds(-1, -1, 0, 99);
  WM_FLOATING_MENU* m = free_menu(0, 0);
  fill(m, names(10));
  WM_FLOATING_MENU::on_scroll_button(m->down_button, word_from_pointer(m), 0);
  const INT_S16 w = m->width, h = m->height, first = m->first_visible;
  m->set_title("Another");
  EXPECT_EQ(m->caption, nullptr);
  EXPECT_EQ(m->width, w);
  EXPECT_EQ(m->height, h);
  EXPECT_EQ(m->first_visible, first);
  expect_entries_intact(m);
  delete m;

  WM_FLOATING_MENU* t = free_menu(0, 0, "T");
  fill(t, names(10));
  WM_FLOATING_MENU::on_scroll_button(t->down_button, word_from_pointer(t), 0);
  const INT_S16 tf = t->first_visible;
  t->set_title("A much longer title than any entry");
  EXPECT_STREQ(t->get_title(), "A much longer title than any entry");
  EXPECT_GE(t->width, text_width("A much longer title than any entry"));
  EXPECT_EQ(t->first_visible, tf);
  expect_entries_intact(t);
  delete t;
}

}  // namespace
