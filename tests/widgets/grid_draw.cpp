// Grid painting, against pixels written out here: the plain, lines and cells
// looks, two-tone rows and filler slots, spare pixels spread over the slots
// (and get_cell_rect agreeing with them), the fixed header over a scrolled
// list, an empty grid shorter than a row, and the two rounded shorthands.
#include <cstdio>

#include "folder.h"
#include "grid_test_util.h"
#include "image_files.h"
#include "test_support.h"
#include "wm_scrollbar.h"

namespace {

using namespace gt;

const COLOUR kBg = 0xFF2080C0u;
const COLOUR kBgDark = 0xFF104060u;  // kBg darkened by 50 %, channels truncated
const COLOUR kHighlight = 0xFFE0C000u;
const COLOUR kCellColour = 0xFF00FF00u;
const INT_U16 kNarrowRight[2] = {1, static_cast<INT_U16>(-10)};  // a 10-pixel column at the right

class GridDraw : public WidgetTest {
 protected:
  WM_STYLE_SET look(INT_U32 ssef, INT_S16 ys = 0) {
    WM_STYLE_SET s = flat_style(ys, kBg);
    s.ssef = ssef;
    s.highlight_colour = kHighlight;
    s.grid_two_tone_value = 50;
    return s;
  }
  // Rows 0 .. n-1; with `objects` a probe in the narrow right column of each.
  WM_GRID* rows_of(const WM_STYLE_SET& s, INT_S16 x1, INT_S16 y1, INT_S16 x2, INT_S16 y2, int n,
                   INT_U16 pitch, bool objects) {
    WM_GRID* g = add(make_grid(x1, y1, x2, y2, s, pitch, 2, kNarrowRight));
    for (int r = 0; r < n; ++r) {
      if (objects)
        put_probe(g, 1, static_cast<INT_S16>(r), "p" + std::to_string(r), 0, kCellColour);
      else
        g->place_object(0, static_cast<INT_S16>(r), nullptr);
    }
    return g;
  }
  // The colour down the grid's left part at each of the rows given.
  void expect_column(INT_S16 px, std::initializer_list<std::pair<INT_S16, COLOUR>> rows) {
    for (const auto& r : rows)
      EXPECT_EQ(pixel(px, r.first), r.second) << "y " << r.first << std::hex << " got "
                                              << pixel(px, r.first);
  }
};

TEST_F(GridDraw, PlainLookPaintsTheBackgroundHighlightAndTwoTone) {
  WM_GRID* g = rows_of(look(ssef_grid_two_tone), 10, 10, 109, 109, 3, 20, false);
  g->set_row_selected(1, 1);
  redraw_all();
  // Rows at 10, 30 (selected), 50; filler slots at 70 (odd: darkened) and 90.
  expect_column(20, {{9, kBackdrop}, {10, kBg}, {29, kBg}, {30, kHighlight}, {49, kHighlight},
                     {50, kBg}, {70, kBgDark}, {89, kBgDark}, {90, kBg}, {109, kBg},
                     {110, kBackdrop}});
  EXPECT_EQ(pixel(9, 20), kBackdrop);
  EXPECT_EQ(pixel(109, 20), kBg);
  // The selected row's highlight runs over the whole inner width.
  EXPECT_EQ(pixel(108, 35), kHighlight);
}

// Three rows in an area that holds eight: five filler slots continue the
// alternation below them; with only the used lines drawn there are none.
TEST_F(GridDraw, FillerSlotsContinueTheTwoToneAlternation) {
  for (bool used_only : {false, true}) {
    WM_STYLE_SET s = look(ssef_grid_two_tone | (used_only ? ssef_grid_only_draw_used_lines : 0u));
    WM_GRID* g = rows_of(s, 10, 10, 109, 169, 3, 20, true);
    redraw_all();
    for (int slot = 0; slot < 8; ++slot) {
      const bool dark = (slot & 1) && (slot < 3 || !used_only);
      EXPECT_EQ(pixel(20, static_cast<INT_S16>(10 + slot * 20 + 10)), dark ? kBgDark : kBg)
          << "slot " << slot << (used_only ? " used lines only" : "");
    }
    delete g;
  }
}

TEST_F(GridDraw, LinesLookDrawsOneBoxPerSlotWithFillers) {
  // Inner 108: three rows of 20 and two filler slots, 2 pixels apart, fill it.
  WM_GRID* g = rows_of(look(ssef_grid_type_lines | ssef_grid_two_tone, 2), 10, 10, 109, 117, 3,
                       22, true);
  redraw_all();
  expect_column(20, {{10, kBg}, {29, kBg}, {30, kBackdrop}, {31, kBackdrop}, {32, kBgDark},
                     {51, kBgDark}, {54, kBg}, {74, kBackdrop}, {76, kBgDark}, {95, kBgDark},
                     {98, kBg}, {117, kBg}});
  EXPECT_EQ(pixel(105, 15), kCellColour);  // the probe of row 0 in its column
  EXPECT_EQ(g->get_cell(1, 2)->y, 54);
  EXPECT_EQ(g->get_cell(1, 2)->height, 20);
}

TEST_F(GridDraw, OnlyUsedLinesDrawsNoFillersAndSkipsEmptyRows) {
  WM_STYLE_SET s = look(ssef_grid_type_lines | ssef_grid_two_tone | ssef_grid_only_draw_used_lines, 2);
  WM_GRID* g = rows_of(s, 10, 10, 109, 117, 3, 22, true);
  g->remove_child(g->get_cell(1, 1), 1, 0);  // row 1 keeps no object
  redraw_all();
  // Row 2 moves up into row 1's slot and keeps the parity of its own index.
  expect_column(20, {{10, kBg}, {29, kBg}, {30, kBackdrop}, {32, kBg}, {51, kBg},
                     {52, kBackdrop}, {54, kBackdrop}, {76, kBackdrop}, {117, kBackdrop}});
  EXPECT_EQ(g->get_cell(1, 2)->y, 32);
}

TEST_F(GridDraw, CellsLookDrawsABoxPerCellAndEmptyCellsInFillers) {
  WM_STYLE_SET s = look(ssef_grid_type_cells);
  s.x_spacing = 4;
  WM_GRID* g = rows_of(s, 10, 10, 109, 109, 2, 25, true);
  redraw_all();
  // Column 0 spans 10 .. 10 + 90 - 4 - 1; the spacing shows the backdrop.
  EXPECT_EQ(pixel(20, 20), kBg);
  EXPECT_EQ(pixel(95, 20), kBg);
  EXPECT_EQ(pixel(96, 20), kBackdrop);
  EXPECT_EQ(pixel(99, 20), kBackdrop);
  EXPECT_EQ(pixel(100, 20), kCellColour);
  // Two filler rows of empty boxes, both columns.
  EXPECT_EQ(pixel(20, 60), kBg);
  EXPECT_EQ(pixel(105, 60), kBg);
  EXPECT_EQ(pixel(98, 60), kBackdrop);
  EXPECT_EQ(pixel(105, 100), kBg);
  EXPECT_EQ(g->scrollbar, nullptr);
}

// Four rows per page of which two exist, rows of 20 in an inner height of 85:
// the five spare pixels go 2, 1, 1, 1 to the slots, and the cells grow too.
TEST_F(GridDraw, SparePixelsAreSpreadOverTheSlotsFromTheTop) {
  WM_GRID* g = add(make_grid(10, 10, 109, 94, look(ssef_grid_type_lines | ssef_grid_two_tone),
                             0, 2, kNarrowRight));
  g->rows_per_page = 4;
  g->row_height = 20;  // set_row_height would turn rows per page off
  put_probe(g, 1, 0, "a", 0, kCellColour);
  put_probe(g, 1, 1, "b", 0, kCellColour);
  redraw_all();
  expect_column(20, {{10, kBg}, {31, kBg}, {32, kBgDark}, {52, kBgDark}, {53, kBg}, {73, kBg},
                     {74, kBgDark}, {94, kBgDark}});
  EXPECT_EQ(g->get_cell(1, 0)->height, 22);
  EXPECT_EQ(g->get_cell(1, 1)->y, 32);
  EXPECT_EQ(g->get_cell(1, 1)->height, 21);
}

// Spacing 1, inner 100, two rows of 23, four rows per page: the slots stand
// at 0, 26, 51 and 76 and end on the inner area's last pixel, and the cell
// rectangles the grid reports are the ones it paints.
TEST_F(GridDraw, SlotsFillTheInnerHeightAndCellRectanglesAgree) {
  WM_GRID* g = add(make_grid(10, 10, 109, 109, look(ssef_grid_type_lines, 1), 0, 2, kNarrowRight));
  g->rows_per_page = 4;
  g->row_height = 23;
  put_probe(g, 1, 0, "a", 0, kCellColour);
  put_probe(g, 1, 1, "b", 0, kCellColour);
  redraw_all();
  expect_column(20, {{10, kBg}, {34, kBg}, {35, kBackdrop}, {36, kBg}, {59, kBg},
                     {60, kBackdrop}, {61, kBg}, {84, kBg}, {85, kBackdrop}, {86, kBg},
                     {109, kBg}});
  const INT_S16 tops[4] = {10, 36, 61, 86}, bottoms[4] = {34, 59, 84, 109};
  for (INT_U16 r = 0; r < 4; ++r) {
    INT_S16 x1, y1, x2, y2;
    EXPECT_EQ(g->get_cell_rect(1, r, &x1, &y1, &x2, &y2), 1) << r;
    EXPECT_EQ(y1, tops[r]) << r;
    EXPECT_EQ(y2, bottoms[r]) << r;
  }
  EXPECT_EQ(g->get_cell(1, 1)->y, 36);
  EXPECT_EQ(g->get_cell(1, 1)->height, 24);
}

TEST_F(GridDraw, FixedHeaderStaysOverAScrolledList) {
  WM_STYLE_SET s = look(ssef_grid_fix_top_row);
  WM_GRID* g = add(make_grid(10, 10, 109, 109, s, 20));
  const COLOUR kHeader = 0xFFFF00FFu;
  for (INT_S16 r = 0; r < 10; ++r)
    put_probe(g, 0, r, "r" + std::to_string(r), 0,
              r == 0 ? kHeader : 0xFF000000u | static_cast<COLOUR>(0x100000 * r + 0x40));
  redraw_all();
  g->set_scroll(g->scroll_maximum() - 60);
  redraw_all();
  ASSERT_NE(g->scrollbar, nullptr);
  EXPECT_EQ(g->scrollbar->y, 30);  // below the header
  EXPECT_EQ(g->scrollbar->height, 80);
  WM_SCREEN_OBJECT* header = g->get_cell(0, 0);
  EXPECT_EQ(header->y, 10);
  EXPECT_EQ(header->width, 100);  // over the scrollbar column too
  EXPECT_EQ(g->get_cell(0, 4)->width, 100 - 16);
  EXPECT_EQ(g->first_shown_row, 2);
  EXPECT_EQ(g->get_cell(0, 2)->y, 10 - 20);  // parked above the inner area
  EXPECT_EQ(g->get_cell(0, 4)->y, 30);
  EXPECT_EQ(pixel(20, 15), kHeader);
  EXPECT_EQ(pixel(105, 15), kHeader);
  EXPECT_EQ(pixel(20, 35), static_cast<PROBE*>(g->get_cell(0, 4))->fill);
  EXPECT_NE(pixel(105, 35), static_cast<PROBE*>(g->get_cell(0, 4))->fill);  // the scrollbar
  EXPECT_EQ(pixel(20, 9), kBackdrop);  // nothing parked shows outside
}

TEST_F(GridDraw, EmptyGridShorterThanARowDraws) {
  for (INT_U32 ssef : {0u, static_cast<INT_U32>(ssef_grid_type_lines | ssef_grid_two_tone),
                       static_cast<INT_U32>(ssef_grid_type_cells)}) {
    WM_GRID* g = add(make_grid(10, 10, 109, 19, look(ssef), 30, 2, kNarrowRight));
    redraw_all();
    EXPECT_EQ(pixel(20, 10), kBg) << ssef;
    EXPECT_EQ(pixel(20, 19), kBg) << ssef;
    EXPECT_EQ(pixel(20, 20), kBackdrop) << ssef;
    delete g;
    screen->clear(&kBackdrop, 1);
  }
}

TEST_F(GridDraw, BorderIsPaintedAroundTheGrid) {
  WM_STYLE_SET s = look(0);
  s.ssf = ssf_draw_border;
  s.shading_type = 3;  // one-pixel bevel
  s.shading_flags = 15;  // four sides, square corners
  s.border_left_gap = s.border_right_gap = s.border_top_gap = s.border_bottom_gap = -1;
  WM_GRID* g = rows_of(s, 10, 10, 109, 109, 1, 20, false);
  EXPECT_EQ(g->style.border_left_gap, 2);
  redraw_all();
  EXPECT_NE(pixel(10, 50), kBg);
  EXPECT_EQ(pixel(60, 50), kBg);
}

// Row skins: single-image frames in a folder of their own.
struct RowSkin {
  std::string path = zt::make_temp_dir("rows");
  char text[FOLDER_PATH_SIZE] = {};
  RowSkin() {
    FOLDER folder;
    EXPECT_TRUE(folder.set_if_directory(path.c_str()));
    folder.get_path_text(text, nullptr);
  }
  void put(const std::string& name, COLOUR colour) const {
    IMAGE im(4, 4);
    im.clear(&colour, 1);
    FILE* f = std::fopen((path + "/" + name + ".png").c_str(), "wb");
    ASSERT_NE(f, nullptr);
    EXPECT_TRUE(save_png_stream(&im, f));
    std::fclose(f);
  }
};

const COLOUR kNormalSkin = 0xFF406080u, kHighSkin = 0xFFF0A020u, kAltSkin = 0xFF80A040u;

TEST_F(GridDraw, RowSkinsReplaceColoursAndBorder) {
  RowSkin skin;
  skin.put("row", kNormalSkin);
  skin.put("row_highlighted", kHighSkin);
  skin.put("row_alternate", kAltSkin);
  WM_STYLE_SET s = look(0);
  s.ssf = ssf_draw_border;
  s.shading_flags = 15;
  WM_GRID* g = rows_of(s, 10, 10, 109, 109, 3, 20, false);
  ASSERT_EQ(g->load_skin(skin.text, "row", nullptr), 1);
  g->set_row_selected(2, 1);
  redraw_all();
  // Plain look: the normal frame over the whole grid, no border around it,
  // the highlighted frame over the selected row only.
  EXPECT_EQ(pixel(10, 10), kNormalSkin);
  EXPECT_EQ(pixel(20, 35), kNormalSkin);
  EXPECT_EQ(pixel(20, 55), kHighSkin);
  EXPECT_EQ(pixel(20, 75), kNormalSkin);
  // Lines look: odd slots take the alternate frame.
  g->style.ssef = ssef_grid_type_lines;
  redraw_all();
  EXPECT_EQ(pixel(20, 15), kNormalSkin);
  EXPECT_EQ(pixel(20, 35), kAltSkin);
  EXPECT_EQ(pixel(20, 55), kHighSkin);
  EXPECT_EQ(pixel(20, 75), kAltSkin);
  // Without a highlighted frame a selected row looks like any other.
  g->highlighted_frame.release();
  g->style.ssef = 0;
  redraw_all();
  EXPECT_EQ(pixel(20, 55), kNormalSkin);
  g->release_skin();
  EXPECT_EQ(g->has_skin(), 0);
}

// Rows are painted within the rectangle being redrawn: what lies over the
// grid elsewhere (a pop-up's pixels, say) is left alone.
TEST_F(GridDraw, PaintingStaysInsideTheDirtyRectangle) {
  WM_GRID* g = rows_of(look(ssef_grid_type_lines | ssef_grid_two_tone), 10, 10, 109, 109, 3,
                       20, false);
  redraw_all();
  const COLOUR marker = 0xFFABCDEFu;
  screen->fill_rect(15, 75, 20, 80, &marker, 0);
  screen->fill_rect(15, 15, 20, 20, &marker, 0);
  g->invalidate_rect(10, 10, 109, 40);
  pm().redraw();
  EXPECT_EQ(pixel(17, 17), kBg);
  EXPECT_EQ(pixel(17, 77), marker);
}

TEST_F(GridDraw, RoundedShorthandsFillAndDarkenInsideTheCorners) {
  const COLOUR white = 0xFFFFFFFFu;
  screen->fill_rect(0, 0, 99, 99, &white, 0);
  screen->fill_rounded_colour(10, 10, 49, 49, &kBg, 10, 15);
  EXPECT_EQ(pixel(10, 10), white);   // the corner stays
  EXPECT_EQ(pixel(30, 30), kBg);
  EXPECT_EQ(pixel(30, 10), kBg);     // the straight edge is filled
  screen->darken_rounded(10, 10, 49, 49, 10, 50, 15);
  EXPECT_EQ(pixel(30, 30), kBgDark);
  EXPECT_EQ(pixel(10, 10), white);
  screen->fill_rounded_colour(60, 10, 99, 49, &kBg, 10, 0);  // no corners rounded
  EXPECT_EQ(pixel(60, 10), kBg);
}

}  // namespace
