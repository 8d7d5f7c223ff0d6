// Cell makers: each makes its widget on the cell's box and places it; a
// widget refused for its column is still returned, and is the caller's.
#include <cstdio>
#include <cstring>

#include "folder.h"
#include "grid_test_util.h"
#include "image_files.h"
#include "test_support.h"
#include "wm_button.h"
#include "wm_image_widget.h"
#include "wm_script.h"

namespace {

using namespace gt;

class GridMakers : public WidgetTest {
 protected:
  WM_GRID* grid() {
    WM_STYLE_SET s = flat_style(1);
    s.cell_left_gap = 2;
    s.cell_top_gap = 1;
    return add(make_grid(10, 10, 209, 112, s, 26, 2));  // four rows fill it
  }
};

INT_S32 noted(WM_SCREEN_OBJECT*, INT_WORD arg1, INT_WORD) {
  log().push_back("cmd" + std::to_string(word_to_s32(arg1)));
  return 0;
}

TEST_F(GridMakers, TextAndScriptCellsAreLabelsInTheirCells) {
  WM_GRID* g = grid();
  const COLOUR ink = 0xFF000000u, paper = 0xFFFFFFFFu;
  WM_SCRIPT* t = g->add_text_cell(1, 0, "Size", &ink, &paper, 0);
  ASSERT_EQ(g->get_cell(1, 0), t);
  EXPECT_EQ(t->font, kFont);  // the grid's font
  EXPECT_EQ(t->back_colour, paper);
  EXPECT_EQ(t->x, 10 + 100 + 2);
  EXPECT_EQ(t->y, 10 + 1);
  EXPECT_EQ(t->width, 200 - 100 - 2);
  EXPECT_EQ(t->height, 25 - 2);  // a cell's bottom leaves out both cell gaps
  WM_STYLE_SET label = flat_style();
  WM_SCRIPT* s = g->add_script_cell(0, 3, "Name", &label);
  EXPECT_EQ(g->get_cell(0, 3), s);
  EXPECT_EQ(s->y, 10 + 3 * 26 + 1);
  EXPECT_STREQ(s->text.value.text, "Name");
}

TEST_F(GridMakers, ButtonCellsClickThroughTheGrid) {
  WM_GRID* g = grid();
  WM_STYLE_SET b = flat_style();
  b.bg_colour = 0xFF808080u;
  WM_BUTTON* first = g->add_button_cell(0, 0, "One", &b, noted, 1, 0, BUTTON_EVENT_RELEASE);
  const COLOUR ink = 0xFF000000u, face = 0xFFC0C0C0u;
  WM_BUTTON* second =
      g->add_font_button_cell(1, 1, "Two", &ink, &face, 0, noted, 2, 0, BUTTON_EVENT_RELEASE);
  EXPECT_EQ(second->click_events, BUTTON_EVENT_RELEASE);
  EXPECT_EQ(second->highlight_colour, wm_default_colour);
  EXPECT_EQ(g->get_cell(0, 0), first);
  EXPECT_EQ(g->get_cell(1, 1), second);
  frame();
  move_to(static_cast<INT_S16>(second->x + 5), static_cast<INT_S16>(second->y + 5));
  frame();
  left_down();
  frames(2);
  left_up();
  frames(2);
  EXPECT_EQ(joined_log(), "cmd2");
}

TEST_F(GridMakers, ImageCellLoadsItsPictureAtTheCellSize) {
  const std::string dir = zt::make_temp_dir("pics");
  IMAGE pic(8, 8);
  const COLOUR red = 0xFFFF0000u;
  pic.clear(&red, 1);
  FILE* f = std::fopen((dir + "/dot.png").c_str(), "wb");
  ASSERT_NE(f, nullptr);
  ASSERT_TRUE(save_png_stream(&pic, f));
  std::fclose(f);
  FOLDER folder;
  ASSERT_TRUE(folder.set_if_directory(dir.c_str()));
  WM_GRID* g = grid();
  WM_IMAGE* image = g->add_image_cell(1, 2, &folder, "dot", noted, 7, 0);
  ASSERT_EQ(g->get_cell(1, 2), image);
  EXPECT_EQ(image->picture.width, 200 - 100 - 2);
  EXPECT_EQ(image->picture.height, 25 - 2);
  EXPECT_EQ(*image->picture.pixel_at(image->picture.x + 3, image->picture.y + 3), red);
  redraw_all();
  EXPECT_EQ(pixel(150, 10 + 2 * 26 + 10), red);
}

TEST_F(GridMakers, ARefusedCellIsReturnedToTheCaller) {
  WM_GRID* g = grid();
  WM_STYLE_SET label = flat_style();
  WM_SCRIPT* s = g->add_script_cell(5, 0, "Lost", &label);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(g->get_cell(0, 0), nullptr);
  EXPECT_EQ(g->get_cell(1, 0), nullptr);
  INT_U16 r, c;
  EXPECT_EQ(g->find_cell(s, &r, &c, 1), 0);
  delete s;
}

}  // namespace
