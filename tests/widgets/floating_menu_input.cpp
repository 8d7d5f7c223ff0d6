// The floating menu's input pass through page-manager frames: keyboard
// navigation and paging, the focus moving onto a scroll button, first-letter
// search, Escape, the close key and the activate key, clicks on items and
// outside, and what a choice does to a free-standing menu.
#include "menu_test_env.h"

namespace {

using namespace mt;

class MenuInput : public MenuTest {
 protected:
  // A free-standing menu of n items opened on the pop-up list and drawn.
  WM_FLOATING_MENU* opened(int n, INT_S16 bottom = -1, INT_U8 keep = 0,
                           const std::vector<std::string>& texts = {}) {
    set_bounds(-1, -1, 0, bottom);
    WM_FLOATING_MENU* m = free_menu(10, 0, nullptr, keep);
    fill(m, texts.empty() ? names(n) : texts);
    root()->add_popup(m, 0);
    frames(2);
    return m;
  }
  INT_S32 focused_row(WM_FLOATING_MENU* m) {
    for (INT_S16 i = 0; i < m->entry_count; ++i)
      if (m->entry_at(i) == wm_focus_object) return i;
    return -1;
  }
  // Navigation on, and the focus on entry `row` (through the keys).
  void navigate_to(WM_FLOATING_MENU* m, INT_S32 row) {
    press_key(kDown);  // switches navigation on; the focus goes to the first item
    ASSERT_EQ(m->grid->keyboard_navigation, 1);
    for (int guard = 0; guard < 40 && focused_row(m) != row; ++guard) press_key(kDown);
    ASSERT_EQ(focused_row(m), row);
  }
};

TEST_F(MenuInput, AnArrowKeyFirstOnlySwitchesNavigationOn) {
  WM_FLOATING_MENU* m = opened(4);
  press_key(kDown);
  EXPECT_EQ(m->grid->keyboard_navigation, 1);
  EXPECT_EQ(focused_row(m), 0);
  press_key(kDown);
  EXPECT_EQ(focused_row(m), 1);
  expect_entries_intact(m);
}

// Rows 0..4 are in view of a 99-pixel bound; twelve entries.
TEST_F(MenuInput, PagingKeysTable) {
  struct CASE {
    const char* name;
    INT_S32 from;
    INT_S32 key;
    INT_S32 to;
  } cases[] = {
      {"Prior at the first item stays at 0", 0, kPrior, 0},
      {"Prior from row 2 goes back a page, never before 0", 2, kPrior, 0},
      {"Next from row 0 moves a page on", 0, kNext, 3},
      {"Home", 3, kHome, 0},
      {"End", 1, kEnd, 11},
      {"Next near the end stops at the last", 10, kNext, 11},
  };
  for (const CASE& c : cases) {
    SCOPED_TRACE(c.name);
    WM_FLOATING_MENU* m = opened(12, 99);
    navigate_to(m, c.from);
    press_key(c.key);
    EXPECT_EQ(focused_row(m), c.to);
    // The focused entry is shown, not lent to a scroll button.
    EXPECT_TRUE(m->entry_at(static_cast<INT_S16>(c.to))->visible);
    EXPECT_EQ(m->grid->get_cell(0, static_cast<INT_S16>(c.to)), m->entry_at(static_cast<INT_S16>(c.to)));
    expect_entries_intact(m);
    root()->remove_popup(m, 1, 0);
    frames(1);
  }
}

TEST_F(MenuInput, DownOntoTheDownButtonScrollsOneRowAndFocusesTheEntryRevealed) {
  WM_FLOATING_MENU* m = opened(10, 99);
  ASSERT_EQ(m->down_row, 4);
  navigate_to(m, 3);
  press_key(kDown);
  EXPECT_EQ(focused_row(m), 4);
  EXPECT_EQ(m->first_visible, 1);
  EXPECT_TRUE(m->entry_at(4)->visible);
  expect_entries_intact(m);
}

TEST_F(MenuInput, FirstLetterSearchWrapsStartsAfterTheFocusAndIgnoresCase) {
  WM_FLOATING_MENU* m = opened(0, -1, 0, {"Save", "open", "Sort", "close", "send"});
  type('s');
  EXPECT_EQ(m->grid->keyboard_navigation, 1);
  EXPECT_EQ(focused_row(m), 0);
  type('S');
  EXPECT_EQ(focused_row(m), 2);
  type('s');
  EXPECT_EQ(focused_row(m), 4);
  type('s');
  EXPECT_EQ(focused_row(m), 0);  // wrapped
  type('x');
  EXPECT_EQ(focused_row(m), 0);
}

TEST_F(MenuInput, LettersTypedBeforeTheMenuOpenedSearchNothing) {
  // Typed where nothing read them, and still queued when the menu opens.
  KEYBOARD::char_event('c');
  KEYBOARD::char_event('s');
  WM_FLOATING_MENU* m = opened(0, -1, 0, {"Save", "open", "Sort", "close", "send"});
  EXPECT_EQ(m->grid->keyboard_navigation, 0);
  EXPECT_EQ(focused_row(m), -1);
  type('o');
  EXPECT_EQ(focused_row(m), 1);
}

TEST_F(MenuInput, TheLetterOfTheEntryUnderTheDownButtonThenReturnChoosesIt) {
  WM_FLOATING_MENU* m =
      opened(0, 99, 0, {"a0", "a1", "a2", "a3", "zebra", "a5", "a6", "a7"});
  ASSERT_EQ(m->down_row, 4);  // "zebra" is lent to "v"
  type('z');
  EXPECT_EQ(focused_row(m), 4);
  EXPECT_TRUE(m->entry_at(4)->visible);
  EXPECT_NE(m->down_row, 4);
  expect_entries_intact(m);
  press_key(kReturn);
  EXPECT_EQ(choices, std::vector<int>({4}));
  EXPECT_FALSE(m->visible);
}

TEST_F(MenuInput, EscapeClosesAKeptMenuAndDeletesAFreeStandingOne) {
  WM_FLOATING_MENU* kept = opened(3, -1, 1);
  press_key(kEscape);
  frames(3);
  EXPECT_FALSE(kept->visible);
  EXPECT_TRUE(is_popup(kept));  // hidden, allocated, still listed
  root()->remove_popup(kept, 1, 0);
  delete kept;

  WM_FLOATING_MENU* m = opened(3);
  press_key(kEscape);
  frames(3);
  EXPECT_FALSE(is_popup(m));  // deleted by the pop-up list
  EXPECT_EQ(count_visible_popups(), 0);
}

TEST_F(MenuInput, ReturnWithoutAFocusedItemClosesLikeEscape) {
  WM_FLOATING_MENU* m = opened(3);
  press_key(kReturn);
  frames(3);
  EXPECT_FALSE(is_popup(m));
  EXPECT_TRUE(choices.empty());
}

TEST_F(MenuInput, TheCloseKeyActsOnlyAfterItWasReleasedOnce) {
  const INT_S32 kF2 = 68;
  WM_FLOATING_MENU* m = opened(3, -1, 1);
  m->close_key = kF2;
  m->reset_items();
  key_down(kF2);  // still held from opening
  frames(3);
  key_up(kF2);
  frames(2);
  EXPECT_TRUE(m->visible);
  press_key(kF2);
  frames(3);
  EXPECT_FALSE(m->visible);
  root()->remove_popup(m, 1, 0);
  delete m;
}

TEST_F(MenuInput, ClickOutsideClosesAndTheOpeningClickDoesNotAct) {
  set_bounds(-1, -1, 0, -1);
  WM_FLOATING_MENU* m = free_menu(10, 0);
  fill(m, names(3));
  INT_S16 px, py;
  row_centre(m, 1, &px, &py);
  move_to(px, py);
  left_down();
  root()->add_popup(m, 0);  // opened while the button is held over an item
  frames(2);
  left_up();
  frames(2);
  EXPECT_TRUE(choices.empty());
  EXPECT_TRUE(m->visible);
  click(300, 200);
  frames(3);
  EXPECT_FALSE(is_popup(m));
  EXPECT_TRUE(choices.empty());
}

TEST_F(MenuInput, AChoiceDeletesAFreeStandingMenuOnlyWhenAsked) {
  for (INT_U8 destroy : {0, 1}) {
    SCOPED_TRACE(destroy);
    choices.clear();
    WM_FLOATING_MENU* m = opened(3);
    m->delete_when_closed = destroy;
    INT_S16 px, py;
    row_centre(m, 2, &px, &py);
    click(px, py);
    EXPECT_EQ(choices, std::vector<int>({2}));
    EXPECT_EQ(is_popup(m), destroy ? 0 : 1);
    if (!destroy) {
      EXPECT_FALSE(m->visible);
      root()->remove_popup(m, 1, 0);
    }
  }
  // The same by Return.
  choices.clear();
  WM_FLOATING_MENU* m = opened(3);
  m->delete_when_closed = 1;
  navigate_to(m, 1);
  press_key(kReturn);
  EXPECT_EQ(choices, std::vector<int>({1}));
  EXPECT_FALSE(is_popup(m));
}

TEST_F(MenuInput, OneRowMenusReachEveryEntryByKeysAndWheel) {
  WM_FLOATING_MENU* m = opened(5, 30);
  ASSERT_EQ(m->first_visible, m->last_visible);
  press_key(kDown);
  for (INT_S32 row = 0; row < 5; ++row) {
    EXPECT_EQ(focused_row(m), row);
    EXPECT_EQ(m->first_visible, row);
    EXPECT_EQ(m->up_displaced, nullptr);
    EXPECT_EQ(m->down_displaced, nullptr);
    expect_entries_intact(m);
    press_key(kDown);
  }
  press_key(kPrior);
  EXPECT_EQ(focused_row(m), 3);
  press_key(kHome);
  EXPECT_EQ(focused_row(m), 0);
  press_key(kNext);
  EXPECT_EQ(focused_row(m), 1);
  // The wheel: one entry per notch, both ways.
  INT_S16 px, py;
  row_centre(m, m->first_visible, &px, &py);
  move_to(px, py);
  for (INT_S32 k = 0; k < 6; ++k) {
    wheel(-1);
    frames(1);
  }
  EXPECT_EQ(m->first_visible, 4);
  for (INT_S32 k = 0; k < 6; ++k) {
    wheel(1);
    frames(1);
  }
  EXPECT_EQ(m->first_visible, 0);
  expect_entries_intact(m);
}

// A mouse without a wheel scrolls a run of two rows by its one button, held,
// to the end of the list and back.
TEST_F(MenuInput, ARunOfTwoRowsScrollsByItsOneButtonBothWays) {
  WM_FLOATING_MENU* m = opened(6, 50);
  ASSERT_EQ(m->last_visible - m->first_visible, 1);
  INT_S16 px, py;
  row_centre(m, m->down_row, &px, &py);
  move_to(px, py);
  frames(1);
  EXPECT_EQ(m->first_visible, 1);  // entering presses
  EXPECT_NE(m->down_displaced, nullptr);
  EXPECT_EQ(m->up_displaced, nullptr);
  expect_entries_intact(m);
  frames(100, 100);
  EXPECT_EQ(m->first_visible, 4);
  EXPECT_EQ(m->down_displaced, nullptr);
  ASSERT_NE(m->up_displaced, nullptr);
  row_centre(m, m->up_row, &px, &py);
  move_to(px, py);
  frames(100, 100);
  EXPECT_EQ(m->first_visible, 0);
  EXPECT_EQ(m->up_displaced, nullptr);
  EXPECT_NE(m->down_displaced, nullptr);
  expect_entries_intact(m);
  EXPECT_TRUE(choices.empty());
}

// The wheel with keyboard navigation on scrolls one row per notch and leaves
// the focus on an entry in view, never on a scroll button.
TEST_F(MenuInput, WheelWithNavigationOnScrollsOneRowPerNotch) {
  struct CASE {
    INT_S32 from;     // focused row before the wheel
    INT_S32 notches;  // negative: down the list, one per frame
    INT_S32 first;    // first_visible afterwards
  } cases[] = {{0, -1, 1}, {0, -3, 3}, {2, -10, 10}, {3, -1, 1}, {0, -20, 15}, {19, 3, 12}};
  for (const CASE& c : cases) {
    SCOPED_TRACE(std::to_string(c.from) + " " + std::to_string(c.notches));
    WM_FLOATING_MENU* m = opened(20, 99);
    navigate_to(m, c.from);
    INT_S16 px, py;
    row_centre(m, static_cast<INT_S16>(m->first_visible + 2), &px, &py);
    move_to(px, py);
    for (INT_S32 k = 0; k < (c.notches < 0 ? -c.notches : c.notches); ++k) {
      wheel(c.notches < 0 ? -1 : 1);
      frames(1);
    }
    frames(3);
    EXPECT_EQ(m->first_visible, c.first);
    const INT_S32 row = focused_row(m);
    EXPECT_GE(row, m->first_visible);
    EXPECT_LE(row, m->last_visible);
    if (row >= 0) {
      EXPECT_TRUE(m->entry_at(static_cast<INT_S16>(row))->visible);
    }
    EXPECT_NE(wm_focus_object, m->up_button);
    EXPECT_NE(wm_focus_object, m->down_button);
    expect_entries_intact(m);
    root()->remove_popup(m, 1, 0);
    frames(1);
  }
}

TEST_F(MenuInput, PointerOnTheDownButtonScrollsWithItsRepeatAndAClickThereHides) {
  WM_FLOATING_MENU* m = opened(10, 99);
  INT_S16 px, py;
  row_centre(m, m->down_row, &px, &py);
  move_to(px, py);
  frames(1);
  EXPECT_EQ(m->first_visible, 1);  // entering presses
  expect_entries_intact(m);
  // Held there, it repeats until the end.
  frames(100, 100);
  EXPECT_EQ(m->first_visible, 5);
  EXPECT_EQ(m->down_displaced, nullptr);
  expect_entries_intact(m);
  // Onto "^" and back up with its repeat.
  row_centre(m, m->up_row, &px, &py);
  move_to(px, py);
  frames(100, 100);
  EXPECT_EQ(m->first_visible, 0);
  expect_entries_intact(m);
  // A click released on "v" hides the menu like a choice.
  row_centre(m, m->down_row, &px, &py);
  click(px, py);
  EXPECT_FALSE(m->visible);
  expect_entries_intact(m);
  EXPECT_TRUE(choices.empty());
}

}  // namespace
