// Grid input through the page manager's frames: arrow keys moving the focus
// between cells, the scroll keys of the wheel target, the wheel target moving
// between grids, cells cut off at the edges, and Tab visiting only cells of
// rows wholly in view.
#include "grid_test_util.h"
#include "wm_scrollbar.h"

namespace {

using namespace gt;

const INT_S32 kHome = 97, kUp = 98, kPrior = 99, kRight = 102, kEnd = 103, kDown = 104,
              kNext = 105, kTab = 23, kCtrl = 37;

class GridInput : public WidgetTest {
 protected:
  // One column of `n` rows of `pitch` in a 100 x 100 grid at (x, 0).
  WM_GRID* column_grid(int n, INT_U16 pitch, INT_U8 focusable, INT_S16 x = 0,
                       INT_U16 columns = 1) {
    WM_GRID* g = add(make_grid(x, 0, static_cast<INT_S16>(x + 99), 99, flat_style(), pitch,
                               columns));
    for (int r = 0; r < n; ++r)
      for (INT_U16 c = 0; c < columns; ++c)
        put_probe(g, c, static_cast<INT_S16>(r), "r" + std::to_string(r) + "c" + std::to_string(c),
                  focusable);
    return g;
  }
  INT_S32 key_frame(INT_S32 code) {
    press_key(code);
    return frame();
  }
};

TEST_F(GridInput, DownSkipsAnEmptyRowAndBringsTheCellIntoView) {
  WM_GRID* g = add(make_grid(0, 0, 99, 99, flat_style(), 25));
  for (INT_S16 r : {0, 1, 2, 3, 5}) put_probe(g, 0, r, "r" + std::to_string(r), 1);
  g->keyboard_navigation = 1;
  frame();
  g->get_cell(0, 3)->take_focus();
  const INT_S32 before = g->scroll_value();
  ASSERT_EQ(before, 50);
  key_frame(kDown);
  EXPECT_EQ(wm_focus_object, g->get_cell(0, 5));
  EXPECT_EQ(keyboard_state.last_keycode, 0);
  EXPECT_EQ(g->scroll_value(), before - (150 - 100));  // bottom(5) - bottom(3)
  EXPECT_EQ(g->is_row_visible(5), 1);
  // Up goes back over the gap; row 3 is in view, so the view stays.
  key_frame(kUp);
  EXPECT_EQ(wm_focus_object, g->get_cell(0, 3));
  EXPECT_EQ(g->scroll_value(), 0);
}

TEST_F(GridInput, RightInTheLastColumnIsTakenAndChangesNothing) {
  WM_GRID* g = column_grid(6, 25, 1, 0, 2);
  g->keyboard_navigation = 1;
  frame();
  g->get_cell(1, 1)->take_focus();
  const INT_S32 before = g->scroll_value();
  key_frame(kRight);
  EXPECT_EQ(keyboard_state.last_keycode, 0);
  EXPECT_EQ(wm_focus_object, g->get_cell(1, 1));
  EXPECT_EQ(g->scroll_value(), before);
}

TEST_F(GridInput, WithoutNavigationNoKeyIsTaken) {
  WM_GRID* g = column_grid(8, 25, 1);
  frame();
  g->get_cell(0, 1)->take_focus();
  for (INT_S32 key : {kDown, kRight, kHome, kNext}) {
    key_frame(key);
    EXPECT_EQ(keyboard_state.last_keycode, key);
    EXPECT_EQ(wm_focus_object, g->get_cell(0, 1));
  }
  EXPECT_EQ(g->scroll_value(), g->scroll_maximum());
}

// With the focus outside the grid the scroll keys act, but only while the
// grid's scrollbar is the wheel target.
TEST_F(GridInput, ScrollKeysActOnlyForTheWheelTarget) {
  WM_GRID* g = column_grid(10, 30, 0);  // rows of 30: maximum 200
  g->keyboard_navigation = 1;
  frame();
  ASSERT_NE(g->scrollbar, nullptr);
  ASSERT_EQ(wm_wheel_target, g->scrollbar);
  struct Step {
    INT_S32 key;
    bool ctrl;
    INT_S32 value;
  } steps[] = {
      {kEnd, false, 0},     {kHome, false, 200}, {kDown, false, 170}, {kDown, true, 80},
      {kUp, false, 110},    {kUp, true, 200},    {kNext, false, 110}, {kPrior, false, 200},
  };
  for (const Step& s : steps) {
    if (s.ctrl) key_down(kCtrl);
    key_frame(s.key);
    key_up(kCtrl);
    EXPECT_EQ(keyboard_state.last_keycode, 0) << s.key;
    EXPECT_EQ(g->scroll_value(), s.value) << s.key << (s.ctrl ? " with Ctrl" : "");
  }
  wm_wheel_target = nullptr;
  key_frame(kEnd);
  EXPECT_EQ(keyboard_state.last_keycode, kEnd);
  EXPECT_EQ(g->scroll_value(), 200);
}

// The pointer moving onto another grid takes the wheel to that grid's bar and
// drops the notches counted so far (the second grid gets its input first).
TEST_F(GridInput, WheelTargetMovesBetweenGrids) {
  WM_GRID* b = column_grid(10, 30, 0, 150);
  WM_GRID* a = column_grid(10, 30, 0, 0);
  frame();
  move_to(50, 50);
  frame();
  ASSERT_EQ(wm_wheel_target, a->scrollbar);
  wheel(-1);
  frame();
  EXPECT_EQ(a->scroll_value(), 200 - 15);  // half a row per notch
  move_to(200, 50);
  wheel(-2);
  frame();
  EXPECT_EQ(wm_wheel_target, b->scrollbar);
  EXPECT_EQ(mouse_state.wheel, 0);
  EXPECT_EQ(b->scroll_value(), 200);
  EXPECT_EQ(a->scroll_value(), 185);
  wheel(-1);
  frame();
  EXPECT_EQ(b->scroll_value(), 185);
}

TEST_F(GridInput, CellsCutOffAtAnEdgeGetNoInput) {
  WM_GRID* g = column_grid(6, 30, 0);
  redraw_all();
  auto probe = [&](INT_S16 r) { return static_cast<PROBE*>(g->get_cell(0, r)); };
  frame();
  EXPECT_EQ(probe(2)->inputs, 1);
  EXPECT_EQ(probe(3)->inputs, 0);  // 90..119: its middle lies below the edge
  g->set_scroll(g->scroll_maximum() - 20);
  redraw_all();
  frame();
  EXPECT_EQ(probe(0)->inputs, 1);  // -20..9: its middle lies above the view
  EXPECT_EQ(probe(1)->inputs, 2);
  g->set_scroll(g->scroll_maximum() - 10);
  redraw_all();
  frame();
  EXPECT_EQ(probe(0)->inputs, 2);  // -10..19: its middle is in view
}

TEST_F(GridInput, TheFixedHeaderTakesInputScrolledOrNot) {
  WM_STYLE_SET s = flat_style();
  s.ssef = ssef_grid_fix_top_row;
  WM_GRID* g = add(make_grid(0, 0, 99, 99, s, 30));
  for (INT_S16 r = 0; r < 6; ++r) put_probe(g, 0, r, "r" + std::to_string(r));
  PROBE* header = static_cast<PROBE*>(g->get_cell(0, 0));
  redraw_all();
  frame();
  EXPECT_EQ(header->inputs, 1);
  g->set_scroll(0);
  redraw_all();
  frame();
  EXPECT_EQ(header->inputs, 2);
  EXPECT_EQ(header->y, 0);
}

TEST_F(GridInput, TabVisitsOnlyCellsOfRowsInView) {
  PROBE* first = add(new PROBE("A", 200, 0, 20, 20));
  first->focusable = 1;
  WM_GRID* g = column_grid(6, 25, 1);  // rows 0 to 3 in view, row 4 cut off
  PROBE* last = add(new PROBE("Z", 200, 50, 20, 20));
  last->focusable = 1;
  frame();
  first->take_focus();
  std::vector<WM_SCREEN_OBJECT*> expected = {g->get_cell(0, 0), g->get_cell(0, 1),
                                             g->get_cell(0, 2), g->get_cell(0, 3), last, first};
  for (WM_SCREEN_OBJECT* o : expected) {
    key_frame(kTab);
    EXPECT_EQ(wm_focus_object, o) << (wm_focus_object ? static_cast<PROBE*>(wm_focus_object)->name : "none");
  }
  g->set_scroll(10);  // rows 1 and 5 cut off at the edges
  frame();
  first->take_focus();
  for (WM_SCREEN_OBJECT* o : {g->get_cell(0, 2), g->get_cell(0, 3), g->get_cell(0, 4),
                              static_cast<WM_SCREEN_OBJECT*>(last)}) {
    key_frame(kTab);
    EXPECT_EQ(wm_focus_object, o);
  }
}

// A cell whose input empties its grid (as a file list refilled on a click):
// the rest of the pass skips the objects that went with the rows.
class CLEARING_CELL : public WM_SCREEN_OBJECT {
 public:
  explicit CLEARING_CELL(WM_GRID* g) : WM_SCREEN_OBJECT(1, nullptr, 0, 0), grid(g) {}
  INT_S32 handle_input() override {
    WM_GRID* g = grid;
    g->clear_rows(1);  // deletes this object too: nothing of it is touched after
    return 0;
  }
  WM_GRID* grid;
};

TEST_F(GridInput, ACellThatEmptiesTheGridEndsThePassSafely) {
  WM_GRID* g = add(make_grid(0, 0, 99, 99, flat_style(), 20));
  put_probe(g, 0, 0, "before");
  g->place_object(0, 1, new CLEARING_CELL(g));
  put_probe(g, 0, 2, "after");
  redraw_all();
  frame();
  EXPECT_EQ(g->row_count, 0);
  EXPECT_EQ(joined_log(), "~before ~after");
  frame();
}

}  // namespace
