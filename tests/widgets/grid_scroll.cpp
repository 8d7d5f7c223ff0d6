// Grid scrolling and geometry: the maximum and the rows in view, the fixed
// header, rows fitted to a page, the scrollbar's step amounts, the focus
// following a scroll, cell rectangles past the last row, moving to a row or
// cell, and the scrollbar of a grid too short for end buttons.
#include "grid_test_util.h"
#include "wm_scrollbar.h"

namespace {

using namespace gt;

class GridScroll : public WidgetTest {
 protected:
  // n rows of `pitch` (y_spacing ys) with a focusable probe in each.
  WM_GRID* filled(INT_S16 x1, INT_S16 y1, INT_S16 x2, INT_S16 y2, int n, INT_U16 pitch,
                  INT_S16 ys = 0, INT_U32 ssef = 0) {
    WM_STYLE_SET s = flat_style(ys);
    s.ssef = ssef;
    WM_GRID* g = add(make_grid(x1, y1, x2, y2, s, pitch));
    for (int r = 0; r < n; ++r) put_probe(g, 0, static_cast<INT_S16>(r), "r" + std::to_string(r), 1);
    return g;
  }
  static INT_S32 cell_top(WM_GRID* g, INT_U16 row) {
    INT_S16 x1, y1, x2, y2;
    g->get_cell_rect(0, row, &x1, &y1, &x2, &y2);
    return y1;
  }
};

TEST_F(GridScroll, ContentBeyondTheInnerHeightScrollsFromTheBottom) {
  WM_GRID* g = filled(0, 0, 99, 99, 10, 30);
  EXPECT_EQ(g->content_height(), 300);
  EXPECT_EQ(g->scroll_maximum(), 200);
  EXPECT_EQ(g->scroll_value(), 200);  // the top in view
  EXPECT_EQ(g->first_shown_row, 0);
  EXPECT_EQ(g->last_shown_row, 3);
  g->set_scroll(0);  // the bottom
  EXPECT_EQ(g->first_shown_row, 6);
  EXPECT_EQ(g->last_shown_row, 9);
  EXPECT_EQ(g->is_row_visible(6), 0);  // 20 of its pixels are above the view
  EXPECT_EQ(g->is_row_visible(7), 1);
  EXPECT_EQ(g->is_scrolled_to_top(), 0);
  g->set_scroll(500);
  EXPECT_EQ(g->scroll_value(), 200);
  EXPECT_EQ(g->is_scrolled_to_top(), 1);
  g->set_scroll(-5);
  EXPECT_EQ(g->scroll_value(), 0);
}

TEST_F(GridScroll, FittingRowsNeverScrollAndHaveNoScrollbar) {
  WM_GRID* g = filled(0, 10, 99, 109, 3, 30);
  EXPECT_EQ(g->scroll_maximum(), 0);
  g->set_scroll(50);
  EXPECT_EQ(g->scroll_value(), 0);
  redraw_all();
  EXPECT_EQ(g->scrollbar, nullptr);
  INT_S32 y1, y2;
  ASSERT_EQ(g->get_row_span(2, &y1, &y2), 1);
  EXPECT_EQ(y1, 70);
  EXPECT_EQ(y2, 99);
  EXPECT_EQ(g->get_row_span(3, &y1, &y2), 0);
  for (INT_S16 r = 0; r < 3; ++r) EXPECT_EQ(g->is_row_visible(r), 1);
  g->hide(0, 0);
  EXPECT_EQ(g->is_row_visible(1), 0);
}

TEST_F(GridScroll, FixedHeaderRowIsNeverFullyVisible) {
  WM_GRID* g = filled(0, 0, 99, 99, 3, 30, 0, ssef_grid_fix_top_row);
  EXPECT_EQ(g->is_row_visible(0), 0);
  EXPECT_EQ(g->is_row_visible(1), 1);
  EXPECT_EQ(g->is_row_visible(2), 1);
}

TEST_F(GridScroll, RowsPerPageFitTheRowsAndTheMaximumFollows) {
  WM_GRID* g = filled(0, 0, 99, 49, 6, 11, 1);  // rows of 10: content 65, maximum 15
  EXPECT_EQ(g->scroll_maximum(), 15);
  g->rows_per_page = 4;
  g->set_size(100, 100, 1);
  EXPECT_EQ(g->row_height, 24);
  EXPECT_EQ(g->rows[5]->height, 24);
  EXPECT_EQ(g->rows[5]->bottom, 150);
  // Measured again after the rows were refitted: 149 - 100.
  EXPECT_EQ(g->scroll_maximum(), 49);
  EXPECT_EQ(g->rows_fit_height(4), 25);
  EXPECT_EQ(g->rows_fit_height(0), 0);
}

TEST_F(GridScroll, StepAmounts) {
  WM_GRID* g = filled(0, 0, 99, 99, 10, 31, 1);  // rows of 30, pitch 31, content 309
  redraw_all();
  WM_SCROLLBAR* bar = g->scrollbar;
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(bar->action_arg1, word_from_pointer(g));
  struct Case {
    INT_S32 pos, kind, amount;
  } cases[] = {
      {0, GRID_LINE_DOWN, 31},   // exactly at a row top: height + spacing
      {10, GRID_LINE_DOWN, 21},  // the rest of the row
      {31, GRID_LINE_UP, 31},    // at a row top: the row above comes in
      {40, GRID_LINE_UP, 9},     // within a row: its top comes back
      {0, GRID_LINE_UP, 0},
      {0, GRID_PAGE_DOWN, 93},   // to the bottom of the last row that fits a page
      {93, GRID_PAGE_UP, 93},
      {10, GRID_PAGE_UP, 10},
      {0, 9, 0},
  };
  for (const Case& c : cases) {
    g->set_scroll(g->scroll_maximum() - c.pos);
    EXPECT_EQ(WM_GRID::scroll_amount(bar, c.kind), c.amount) << c.pos << " kind " << c.kind;
  }
  g->fixed_line_amount = 7;
  g->fixed_page_amount = 50;
  EXPECT_EQ(WM_GRID::scroll_amount(bar, GRID_LINE_UP), 7);
  EXPECT_EQ(WM_GRID::scroll_amount(bar, GRID_PAGE_DOWN), 50);
  EXPECT_EQ(WM_GRID::scroll_amount(nullptr, GRID_LINE_UP), 0);
}

// Rows taller than the view: near the end no row reaches a page below, and
// the distance to the second-last row's bottom would point back up. A step
// never moves the view against its direction.
TEST_F(GridScroll, PageDownNearTheEndOfTallRowsNeverScrollsUp) {
  WM_GRID* g = filled(0, 0, 99, 99, 3, 150);
  redraw_all();
  ASSERT_NE(g->scrollbar, nullptr);
  g->set_scroll(g->scroll_maximum() - 340);
  EXPECT_EQ(WM_GRID::scroll_amount(g->scrollbar, GRID_PAGE_DOWN), 0);
  g->set_scroll(g->scroll_maximum());
  EXPECT_EQ(WM_GRID::scroll_amount(g->scrollbar, GRID_PAGE_DOWN), 0);  // row 1 is past a page
  EXPECT_EQ(WM_GRID::scroll_amount(g->scrollbar, GRID_LINE_DOWN), 150);
}

TEST_F(GridScroll, PageDownInAOnePixelViewIsZero) {
  WM_STYLE_SET s = flat_style();
  s.border_top_gap = 2;
  s.border_bottom_gap = 3;  // height 6: an inner height of 1
  WM_GRID* g = add(make_grid(0, 0, 99, 5, s, 10));
  put_probe(g, 0, 0, "a");
  put_probe(g, 0, 1, "b");
  redraw_all();
  ASSERT_NE(g->scrollbar, nullptr);
  EXPECT_EQ(g->inner_height(), 1);
  EXPECT_EQ(WM_GRID::scroll_amount(g->scrollbar, GRID_PAGE_DOWN), 0);
}

// After a scroll the focus moves to the same column of the nearest fully
// visible row: downwards when the old row lies in the upper half of the new
// range (it went out at the top), else upwards.
TEST_F(GridScroll, FocusFollowsTheRowsInView) {
  struct Case {
    INT_S16 focused;
    INT_S32 pos;
    INT_S16 expected;
  } cases[] = {
      {0, 40, 2},   // out at the top: the first fully visible row
      {9, 40, 6},   // out at the bottom: the last fully visible row
      {3, 40, 3},   // still in view: stays
      {0, 10, 1},
  };
  for (const Case& c : cases) {
    WM_GRID* g = filled(0, 0, 99, 99, 10, 20);
    g->get_cell(0, c.focused)->take_focus();
    g->set_scroll(g->scroll_maximum() - c.pos);
    EXPECT_EQ(wm_focus_object, g->get_cell(0, c.expected)) << c.focused << " at " << c.pos;
    delete g;
  }
}

TEST_F(GridScroll, CellRectanglesContinuePastTheLastRow) {
  WM_GRID* g = filled(5, 10, 104, 109, 3, 20);
  INT_S16 x1, y1, x2, y2;
  EXPECT_EQ(g->get_cell_rect(0, 3, &x1, &y1, &x2, &y2), 1);
  EXPECT_EQ(x1, 5);
  EXPECT_EQ(x2, 104);
  EXPECT_EQ(y1, 10 + 60);
  EXPECT_EQ(y2, 10 + 79);
  EXPECT_EQ(g->get_cell_rect(0, 10, &x1, &y1, &x2, &y2), 0);  // beyond the two filler slots
  EXPECT_EQ(y1, 10 + 200);
  // Scrolled, the rows continue below the last shown one, counted from the
  // first shown row as for existing rows.
  WM_GRID* h = filled(0, 0, 99, 99, 10, 20);
  h->set_scroll(0);
  ASSERT_EQ(h->first_shown_row, 4);  // its bottom touches the view's top
  EXPECT_EQ(cell_top(h, 9), 100);
  EXPECT_EQ(cell_top(h, 12), 160);
}

TEST_F(GridScroll, FocusCellAndScrollToRowBringTheRowIntoView) {
  WM_GRID* g = filled(0, 0, 99, 99, 20, 20);
  g->focus_cell(0, 8);
  EXPECT_EQ(wm_focus_object, g->get_cell(0, 8));
  g->sync_scroll();
  INT_S32 y1, y2;
  g->get_row_span(8, &y1, &y2);
  EXPECT_EQ(y1, 20);  // where row 1 was: a top row of 0 counts as 1
  // An unfocusable cell, or none, is left alone.
  g->get_cell(0, 15)->focusable = 0;
  const INT_S32 before = g->scroll_value();
  g->focus_cell(0, 15);
  g->focus_cell(3, 2);
  g->focus_cell(0, 40);
  EXPECT_EQ(g->scroll_value(), before);
  EXPECT_EQ(wm_focus_object, g->get_cell(0, 8));
  g->set_scroll(g->scroll_maximum());
  g->scroll_to_row(12);
  g->get_row_span(12, &y1, &y2);
  EXPECT_EQ(y2, 99);  // moved to the last shown row's place, then wholly in
  EXPECT_EQ(g->is_row_visible(12), 1);
}

TEST_F(GridScroll, RowCellRectUsesTheCurrentRowHeight) {
  WM_STYLE_SET s = flat_style();
  s.cell_top_gap = 2;
  s.cell_left_gap = 3;
  WM_GRID* g = add(make_grid(40, 40, 139, 139, s, 25, 2));
  INT_S16 x1, y1, x2, y2;
  g->row_cell_rect(1, &x1, &y1, &x2, &y2);
  EXPECT_EQ(x1, 53);
  EXPECT_EQ(y1, 2);
  EXPECT_EQ(x2, 99);
  EXPECT_EQ(y2, 22);
}

// A grid overflowing a scroll area shorter than a slider and two end buttons
// gets a bar without end buttons, where a bar with them could not be laid out.
TEST_F(GridScroll, ShortGridGetsABarWithoutEndButtons) {
  WM_STYLE_SET s = flat_style();
  WM_STYLE_SET bar = flat_style();
  bar.ssef = ssef_sb_with_buttons;
  WM_GRID* g = new WM_GRID(1);
  g->init(0, 0, 99, 35, 1, nullptr, &s, &bar);
  g->row_height = 24;
  add(g);
  put_probe(g, 0, 0, "a");
  put_probe(g, 0, 1, "b");
  redraw_all();
  ASSERT_NE(g->scrollbar, nullptr);
  EXPECT_FALSE(g->scrollbar->has_buttons());
  EXPECT_EQ(g->scrollbar->height, 36);
  EXPECT_EQ(g->scrollbar->x, 100 - 1 - 15);
  // A taller grid of the same style keeps its buttons.
  WM_GRID* tall = new WM_GRID(1);
  tall->init(0, 100, 99, 199, 1, nullptr, &s, &bar);
  tall->row_height = 60;
  add(tall);
  put_probe(tall, 0, 0, "c");
  put_probe(tall, 0, 1, "d");
  redraw_all();
  ASSERT_NE(tall->scrollbar, nullptr);
  EXPECT_TRUE(tall->scrollbar->has_buttons());
}

}  // namespace
