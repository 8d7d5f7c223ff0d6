// Grid model: the column layout of a row, rows made by placing, the row
// height's floor, refused cells, deleting and clearing rows, the smallest
// grid, the row limit, the 32-bit row bottoms and the style functions.
#include <vector>

#include "grid_test_util.h"
#include "wm_scrollbar.h"

namespace {

using namespace gt;

class GridModel : public WidgetTest {};

bool logged(const std::string& entry) {
  for (const std::string& e : log())
    if (e == entry) return true;
  return false;
}

TEST_F(GridModel, WeightsShareTheWidthAfterFixedColumns) {
  const INT_U16 weights[3] = {1, 2, static_cast<INT_U16>(-40)};
  WM_STYLE_SET s = flat_style();
  s.grid_scrollbar_width = 15;
  WM_GRID* g = add(make_grid(0, 0, 199, 99, s, 20, 3, weights));
  put_probe(g, 0, 0, "a");
  const GRID_ROW* r = g->rows[0];
  ASSERT_EQ(r->cell_count, 3);
  const INT_S16 left[3] = {0, 53, 160}, right[3] = {52, 159, 199};
  // With the scrollbar's 15 pixels taken off the shared part: 145 x 1/3, 145.
  const INT_S16 left_sb[3] = {0, 48, 145}, right_sb[3] = {47, 144, 199 - 15 - 1};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(r->left[i], left[i]) << i;
    EXPECT_EQ(r->right[i], right[i]) << i;
    EXPECT_EQ(r->left_sb[i], left_sb[i]) << i;
    EXPECT_EQ(r->right_sb[i], right_sb[i]) << i;
  }
}

TEST_F(GridModel, GapsAndSpacingNarrowTheCellBoxes) {
  WM_STYLE_SET s = flat_style();
  s.border_left_gap = 4;
  s.border_right_gap = 6;
  s.cell_left_gap = 2;
  s.cell_right_gap = 3;
  s.x_spacing = 5;
  s.grid_scrollbar_width = 0;
  WM_GRID* g = add(make_grid(0, 0, 109, 99, s, 20, 2));
  put_probe(g, 0, 0, "a");
  // A = 110 - 4 - 6 = 100; column 1 starts at 4 + 50 + 2.
  EXPECT_EQ(g->rows[0]->left[0], 6);
  EXPECT_EQ(g->rows[0]->left[1], 56);
  EXPECT_EQ(g->rows[0]->right[0], 56 - 5 - 3 - 1 - 2);
  EXPECT_EQ(g->rows[0]->right[1], 110 - 6 - 3 - 1);
  // The scrollbar layout's last cell ends one pixel further in.
  EXPECT_EQ(g->rows[0]->right_sb[1], 110 - 6 - 0 - 3 - 2);
}

TEST_F(GridModel, PlacingAtRowFiveMakesSixRowsAndClampsTheScroll) {
  WM_STYLE_SET s = flat_style(1);
  WM_GRID* g = add(make_grid(0, 0, 99, 99, s, 31));  // rows of 30 and a pixel of spacing
  ASSERT_EQ(g->row_height, 30);
  PROBE* p = put_probe(g, 0, 5, "p");
  ASSERT_TRUE(p);
  EXPECT_EQ(g->row_count, 6);
  for (INT_S16 r = 0; r < 5; ++r) {
    EXPECT_EQ(g->get_cell(0, r), nullptr);
    EXPECT_EQ(g->rows[r]->cell_count, 1);
  }
  EXPECT_EQ(g->get_cell(0, 5), p);
  EXPECT_EQ(g->content_height(), 6 * 31 - 1);
  EXPECT_EQ(g->scroll_maximum(), 185 - 100);
  // 6 x 31 added to the value, clamped to the new maximum: the top in view.
  EXPECT_EQ(g->scroll_value(), 85);
  EXPECT_EQ(g->first_shown_row, 0);
  EXPECT_EQ(g->last_shown_row, 3);  // row 3's top (93) is the last within 100
}

TEST_F(GridModel, RowHeightIsRaisedAboveTheCellGaps) {
  WM_STYLE_SET s = flat_style();
  s.cell_top_gap = s.cell_bottom_gap = 1;
  WM_GRID* g = add(make_grid(0, 0, 99, 99, s, 0));
  g->row_height = 2;
  put_probe(g, 0, 0, "p");
  EXPECT_EQ(g->rows[0]->height, 4);
  EXPECT_EQ(g->rows[0]->cell_top, 1);
  EXPECT_EQ(g->rows[0]->cell_bottom, 1);
  INT_S16 x1, y1, x2, y2;
  g->get_cell_rect(0, 0, &x1, &y1, &x2, &y2);
  EXPECT_EQ(y1, 1);
  EXPECT_EQ(y2, 1);
}

TEST_F(GridModel, AColumnBeyondTheRowIsRefusedAndTheObjectSurvives) {
  WM_GRID* g = add(make_grid(10, 20, 109, 119, flat_style(), 25, 2));
  PROBE* p = new PROBE("outside", 0, 0, 1, 1);
  EXPECT_EQ(g->place_object(2, 1, p), nullptr);
  EXPECT_EQ(g->row_count, 2);  // the row was made all the same
  EXPECT_FALSE(logged("~outside"));
  // Sized and placed as if it had a cell: the empty box of a column past the row.
  EXPECT_EQ(p->x, 10);
  EXPECT_EQ(p->y, 20 + 25);
  delete p;
  PROBE neg("neg", 0, 0, 1, 1);
  EXPECT_EQ(g->place_object(0, -1, &neg), nullptr);
  EXPECT_FALSE(logged("~neg"));
}

TEST_F(GridModel, DeletingTheFirstRowKeepsTheOthersAndTheirObjects) {
  // 209 = ten rows of 21 less the last spacing: no spare pixels to spread.
  WM_GRID* g = add(make_grid(0, 0, 99, 208, flat_style(1), 21));
  PROBE* a = put_probe(g, 0, 0, "A");
  PROBE* b = put_probe(g, 0, 1, "B");
  PROBE* c = put_probe(g, 0, 2, "C");
  ASSERT_TRUE(a && b && c);
  g->delete_rows(0, 0);
  EXPECT_TRUE(logged("~A"));
  EXPECT_FALSE(logged("~B"));
  EXPECT_FALSE(logged("~C"));
  EXPECT_EQ(g->row_count, 2);
  EXPECT_EQ(g->get_cell(0, 0), b);
  EXPECT_EQ(g->get_cell(0, 1), c);
  EXPECT_EQ(b->y, 0);
  EXPECT_EQ(c->y, 21);
  EXPECT_EQ(g->row_height, 20);  // restored
  // Out-of-range requests change nothing.
  g->delete_rows(1, 0);
  g->delete_rows(0, 2);
  EXPECT_EQ(g->row_count, 2);
}

TEST_F(GridModel, KeptRowsWithoutObjectsAreNotRecreatedAtTheEnd) {
  WM_GRID* g = add(make_grid(0, 0, 99, 199, flat_style(), 20));
  put_probe(g, 0, 0, "A");
  put_probe(g, 0, 3, "D");  // rows 1 and 2 empty
  g->delete_rows(0, 0);
  EXPECT_EQ(g->row_count, 3);  // the empty rows survive only under D
  EXPECT_EQ(g->get_cell(0, 2)->y, 40);
  g->delete_rows(2, 2);
  EXPECT_EQ(g->row_count, 0);  // nothing left holds an object
}

TEST_F(GridModel, OnePixelGridIsSixBySix) {
  WM_GRID* g = add(make_grid(30, 40, 30, 90, flat_style(), 20));
  EXPECT_EQ(g->width, 6);
  EXPECT_EQ(g->height, 6);
  EXPECT_EQ(g->x, 30);
  EXPECT_EQ(g->y, 40);
}

TEST_F(GridModel, UnsetGapsGetTheGridDefaults) {
  WM_STYLE_SET s;  // the defaults: border drawn, shading type 1, gaps unset
  s.shading_type = 2;
  WM_GRID* g = add(make_grid(0, 0, 99, 99, s, 20));
  EXPECT_EQ(g->style.border_left_gap, 4);  // border width 3, and a pixel
  EXPECT_EQ(g->style.cell_top_gap, 0);
  EXPECT_EQ(g->style.font_id, kFont);
  EXPECT_EQ(g->style.font_y_sz, kFontSize);
  EXPECT_EQ(get_border_gaps_width(&s), 8u);
  s.ssf = 0;
  EXPECT_EQ(get_border_gaps_height(&s), 2u);
  EXPECT_EQ(get_cell_gaps_width(&s), 0u);
  // Font height, both border widths (no extra pixel) and the spacing.
  EXPECT_EQ(get_grid_row_height(&s, nullptr), static_cast<INT_U32>(kFontSize + 3 + 3 + 1));
}

TEST_F(GridModel, RowLimitRefusesRow1024AndGetCellNeverMakesRows) {
  WM_GRID* g = add(make_grid(0, 0, 99, 99, flat_style(), 2));
  EXPECT_EQ(g->get_cell(0, 7), nullptr);
  EXPECT_EQ(g->row_count, 0);
  PROBE* p = new PROBE("late", 0, 0, 1, 1);
  EXPECT_EQ(g->place_object(0, 1024, p), nullptr);
  EXPECT_EQ(g->row_count, 0);
  delete p;
  EXPECT_TRUE(put_probe(g, 0, 1023, "last"));
  EXPECT_EQ(g->row_count, 1024);
}

// Without a limit the row count (16-bit) still ends the grid: row 32,766 is
// the last one made, 32,767 and negative rows are refused and change nothing.
TEST_F(GridModel, WithoutALimitTheLastRowIs32766) {
  const struct {
    INT_S16 row;
    INT_S32 limit;
    INT_S16 rows_after;
  } cases[] = {{32766, -1, 32767}, {32767, -1, 0}, {-1, -1, 0}, {32767, 40000, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.row) + " limit " + std::to_string(c.limit));
    WM_GRID* g = add(make_grid(0, 0, 99, 99, flat_style(), 2));
    g->row_limit = c.limit;
    PROBE* p = new PROBE("p", 0, 0, 1, 1);
    WM_SCREEN_OBJECT* placed = g->place_object(0, c.row, p);
    EXPECT_EQ(g->row_count, c.rows_after);
    if (c.rows_after) {
      EXPECT_EQ(placed, p);
      EXPECT_EQ(g->get_cell(0, c.row), p);
      EXPECT_EQ(g->rows[c.row]->bottom, 2 * 32767);
      EXPECT_EQ(g->scroll_maximum(), 2 * 32767 - 100);
      EXPECT_EQ(g->scroll_value(), g->scroll_maximum());
      EXPECT_EQ(g->last_shown_row, 50);  // row 50 starts at 100, the inner height
    } else {
      EXPECT_EQ(placed, nullptr);
      EXPECT_EQ(g->rows, nullptr);
      delete p;
    }
    root()->remove_child(g, 1, 0);
  }
}

// 1,024 rows of 39 pixels and a pixel of spacing run past 32,767: bottoms,
// content and maximum are 32-bit, and the last row can be scrolled to.
TEST_F(GridModel, ThousandRowsOfFortyPixelsStayReachable) {
  WM_GRID* g = add(make_grid(0, 0, 99, 99, flat_style(1), 40));
  for (INT_S16 r = 0; r < 1024; ++r) ASSERT_TRUE(put_probe(g, 0, r, "r"));
  EXPECT_EQ(g->rows[1023]->bottom, 40960);
  EXPECT_EQ(g->content_height(), 40959);
  EXPECT_EQ(g->scroll_maximum(), 40859);
  EXPECT_EQ(g->scroll_value(), 40859);
  g->set_scroll(0);
  EXPECT_EQ(g->last_shown_row, 1023);
  EXPECT_EQ(g->first_shown_row, 1021);
  EXPECT_EQ(g->is_row_visible(1023), 1);
  EXPECT_EQ(g->is_row_visible(1021), 0);
  INT_S32 y1, y2;
  ASSERT_EQ(g->get_row_span(1023, &y1, &y2), 1);
  EXPECT_EQ(y1, 99 - 38);
  EXPECT_EQ(y2, 99);
  // Painting places the last row's object inside the grid.
  redraw_all();
  EXPECT_EQ(g->get_cell(0, 1023)->y, 61);
  EXPECT_EQ(g->get_cell(0, 1023)->height, 39);
}

TEST_F(GridModel, RemovingACellDeletesItEvenWhenNotOwned) {
  WM_GRID* g = add(make_grid(0, 0, 99, 99, flat_style(), 20));
  PROBE* a = put_probe(g, 0, 0, "A");
  a->not_owned = 1;
  g->remove_child(a, 1, 0);
  EXPECT_TRUE(logged("~A"));
  EXPECT_EQ(g->get_cell(0, 0), nullptr);
  EXPECT_EQ(g->row_count, 1);
  // A real child takes the base path: kept when not destroyed.
  PROBE* child = new PROBE("child", 0, 0, 5, 5);
  g->add_child(child, 0);
  g->remove_child(child, 0, 0);
  EXPECT_FALSE(logged("~child"));
  EXPECT_EQ(child->layer, 0);
  delete child;
}

TEST_F(GridModel, ClearAndResetRowsDeleteTheObjects) {
  WM_GRID* g = add(make_grid(0, 0, 99, 99, flat_style(), 20, 2));
  put_probe(g, 0, 0, "A");
  put_probe(g, 1, 1, "B");
  put_probe(g, 0, 2, "C");
  g->reset_rows(1, 1);
  EXPECT_TRUE(logged("~B"));
  EXPECT_EQ(g->row_count, 3);
  EXPECT_EQ(g->rows[1]->cell_count, 2);
  g->clear_rows(1);
  EXPECT_TRUE(logged("~A"));
  EXPECT_TRUE(logged("~C"));
  EXPECT_EQ(g->row_count, 0);
  EXPECT_EQ(g->column_count, 2);  // kept for refilling
  EXPECT_EQ(g->last_shown_row, -1);
  g->clear_rows(0);
  EXPECT_EQ(g->column_count, 0);
  EXPECT_EQ(g->row_height, 0);
}

TEST_F(GridModel, FindCellAndSelectedRows) {
  WM_GRID* g = add(make_grid(0, 0, 99, 99, flat_style(), 20, 2));
  PROBE* a = put_probe(g, 1, 0, "A");
  INT_U16 r = 9, c = 9;
  EXPECT_EQ(g->find_cell(a, &r, &c, 0), 1);
  EXPECT_EQ(r, 0);
  EXPECT_EQ(c, 1);
  PROBE other("other", 0, 0, 1, 1);
  EXPECT_EQ(g->find_cell(&other, &r, &c, 1), 0);
  g->set_row_selected(0, 1);
  EXPECT_EQ(g->rows[0]->selected, 1);
  g->set_row_selected(4, 1);  // out of range: nothing
  g->set_row_selected(0, 0);
  EXPECT_EQ(g->rows[0]->selected, 0);
}

// A grid deleted while its scrollbar is the wheel target leaves no pointer
// behind that could later be taken for a live bar.
TEST_F(GridModel, DeletedGridTakesItsScrollbarOffTheWheel) {
  WM_GRID* g = add(make_grid(0, 0, 99, 49, flat_style(), 20));
  for (INT_S16 r = 0; r < 5; ++r) put_probe(g, 0, r, "r");
  redraw_all();
  ASSERT_NE(g->scrollbar, nullptr);
  EXPECT_EQ(wm_wheel_target, g->scrollbar);
  delete g;
  EXPECT_EQ(wm_wheel_target, nullptr);
}

}  // namespace
