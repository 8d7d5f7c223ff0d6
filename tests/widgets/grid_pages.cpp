// Grids built the way the installer's language, item and target pages build
// theirs, rendered and kept as PNG files with the test output
// (build/test_output/widgets), and Tab walking their cells in order.
#include <sys/stat.h>

#include <cstdio>
#include <string>
#include <vector>

#include "grid_test_util.h"
#include "image_files.h"
#include "wm_button.h"
#include "wm_check_box.h"
#include "wm_script.h"

namespace {

using namespace gt;

const INT_S16 kWidth = 480, kHeight = 320;
const INT_S16 kContentW = 400, kContentH = 240;  // the dialog's content area
const INT_S32 kTab = 23;

class GridPages : public WidgetTest {
 protected:
  void SetUp() override {
    WidgetTest::SetUp();
    screen = make_screen(kWidth, kHeight, kBackdrop);
    screen->font = static_cast<INT_S8>(kFont);
    screen->font_width = screen->font_height = kFontSize;

    grid_style = WM_STYLE_SET();
    grid_style.ssf = ssf_draw_border | ssf_indent_border;
    grid_style.ssef = ssef_grid_two_tone;
    grid_style.shading_type = 6;
    grid_style.bg_colour = 0xFFE8ECF4u;
    grid_style.grid_two_tone_value = 8;
    grid_style.cell_left_gap = grid_style.cell_right_gap = 2;
    grid_style.cell_top_gap = grid_style.cell_bottom_gap = 1;
    grid_style.y_spacing = 2;
    grid_style.x_spacing = 4;

    bar_style = WM_STYLE_SET();
    bar_style.bg_colour = 0xFFC8CCD8u;
    bar_style.fg_colour = 0xFF6070A0u;
    bar_style.highlight_colour = 0xFF6070A0u;
    bar_style.active_colour = 0xFF6070A0u;
    button_style = WM_STYLE_SET();
    button_style.shading_type = 6;
    button_style.bg_colour = 0xFF3A5F9Au;
    button_style.fg_colour = 0xFFFFFFFFu;
    text_style = WM_STYLE_SET();
    text_style.ssf = ssf_left_justify_text;
    text_style.fg_colour = 0xFF101010u;
    text_style.bg_colour = 0;  // none: the row shows through
    path_style = button_style;
    path_style.bg_colour = 0xFFFFFFFFu;
    path_style.fg_colour = 0xFF000000u;
    path_style.ssf |= ssf_left_justify_text;
    box_style = WM_STYLE_SET();
    box_style.bg_colour = 0xFFFFFFFFu;
    box_style.fg_colour = 0xFF101010u;
  }

  // A choice grid over the content area, laid out once as the pages do.
  WM_GRID* choice_grid(INT_S16 rows_per_page) {
    WM_GRID* g = new WM_GRID(1);
    g->init(0, 0, kContentW - 1, kContentH - 1, 1, nullptr, &grid_style, &bar_style);
    g->rows_per_page = rows_per_page;
    const INT_S16 w = g->width, h = g->height;
    g->width = static_cast<INT_S16>(w - 1);
    g->set_size(w, h, 1);
    return g;
  }

  // The language and item pages: one object a row, the grid fitted round them.
  void fit_and_centre(WM_GRID* g, INT_S32 largest, INT_S32 total) {
    g->set_size(static_cast<INT_S16>(largest + get_border_gaps_width(&grid_style) +
                                     get_cell_gaps_width(&grid_style)),
                static_cast<INT_S16>(get_border_gaps_height(&grid_style) + total), 1);
    g->set_position(static_cast<INT_S16>(40 + (kContentW - g->width) / 2),
                    static_cast<INT_S16>(40 + (kContentH - g->height) / 2));
    add(g);
  }
  template <typename MAKE>
  WM_GRID* list_grid(int n, MAKE make) {
    WM_GRID* g = choice_grid(static_cast<INT_S16>(n));
    INT_S32 largest = 0, total = 0;
    for (int i = 0; i < n; ++i) {
      WM_SCREEN_OBJECT* o = make(i);
      if (o->width > largest) largest = o->width;
      total += grid_style.y_spacing + o->height;
      g->set_row_height(static_cast<INT_U16>(o->height + grid_style.y_spacing));
      g->place_object(0, static_cast<INT_S16>(i), o);
    }
    fit_and_centre(g, largest, total);
    return g;
  }

  WM_GRID* target_grid() {
    WM_GRID* g = choice_grid(8);
    g->set_position(40, 40);
    add(g);
    const INT_S32 h = g->row_height, s = h / 3, t = h + ((h - s) * 3) / 5;
    g->add_script_cell(0, 0, "Install into this folder:", &text_style);
    const INT_U16 four[4] = {2, 11, 1, 2};
    g->set_column_weights(4, four);
    g->set_row_height(static_cast<INT_U16>(s));
    g->add_script_cell(0, 1, "", &text_style);
    g->set_row_height(static_cast<INT_U16>(t));
    box(g, 1, 2, "Use the second folders");
    WM_BUTTON* path = g->add_button_cell(1, 3, "/opt/demo", &path_style, nullptr, 5, 0, 3);
    WM_BUTTON* browse = g->add_button_cell(2, 3, "...", &button_style, nullptr, 5, 0, 3);
    path->focusable = browse->focusable = 1;
    g->set_row_height(static_cast<INT_U16>(s));
    g->add_script_cell(0, 4, "", &text_style);
    g->set_row_height(static_cast<INT_U16>(t));
    g->set_column_weights(1, nullptr);
    g->add_script_cell(0, 5, "Shortcuts:", &text_style);
    const INT_U16 three[3] = {2, 11, 1};
    g->set_column_weights(3, three);
    g->set_row_height(static_cast<INT_U16>(s));
    g->add_script_cell(0, 6, "", &text_style);
    g->set_row_height(static_cast<INT_U16>(t));
    box(g, 1, 7, "Desktop shortcut");
    box(g, 1, 8, "Menu entry");
    return g;
  }
  WM_CHECK_BOX* box(WM_GRID* g, INT_U16 column, INT_S16 row, const char* text) {
    INT_S16 x1, y1, x2, y2;
    g->row_cell_rect(column, &x1, &y1, &x2, &y2);
    WM_CHECK_BOX* b = new WM_CHECK_BOX(x1, y1, &box_style, text, nullptr, 0, 0);
    g->place_object(column, row, b);
    return b;
  }

  // The cell holding the focus (the focus may sit on an object inside it).
  static WM_SCREEN_OBJECT* focused_cell(WM_GRID* g) {
    for (WM_SCREEN_OBJECT* o = wm_focus_object; o; o = o->get_parent()) {
      INT_U16 r, c;
      if (g->find_cell(o, &r, &c, 1)) return o;
    }
    return nullptr;
  }
  // From the focused cell, Tab pressed until the focus comes round; the
  // cells it passed, in order.
  std::vector<WM_SCREEN_OBJECT*> tab_round(WM_GRID* g) {
    std::vector<WM_SCREEN_OBJECT*> seen;
    if (WM_SCREEN_OBJECT* c = focused_cell(g)) seen.push_back(c);
    for (int i = 0; i < 20; ++i) {
      press_key(kTab);
      frame();
      WM_SCREEN_OBJECT* c = focused_cell(g);
      if (!c || (!seen.empty() && c == seen.back())) continue;  // inside the same cell
      if (!seen.empty() && c == seen.front()) break;
      seen.push_back(c);
    }
    return seen;
  }

  void keep_png(const std::string& name) {
    const std::string dir = std::string(ZORV_BUILD_DIR) + "/test_output";
    mkdir(dir.c_str(), 0755);
    mkdir((dir + "/widgets").c_str(), 0755);
    const std::string path = dir + "/widgets/" + name + ".png";
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr) << path;
    const bool saved = save_png_stream(screen, f);
    EXPECT_EQ(std::fclose(f), 0);
    ASSERT_TRUE(saved) << path;
    // Read back: the file holds what the screen shows.
    IMAGE back;
    f = std::fopen(path.c_str(), "rb");
    ASSERT_NE(f, nullptr);
    unsigned char sig[4];
    ASSERT_EQ(std::fread(sig, 1, 4, f), 4u);
    ASSERT_TRUE(load_png_stream(&back, f));
    std::fclose(f);
    ASSERT_EQ(back.width, kWidth);
    EXPECT_EQ(*back.pixel_at(kWidth / 2, kHeight / 2), pixel(kWidth / 2, kHeight / 2));
  }

  WM_STYLE_SET grid_style, bar_style, button_style, text_style, path_style, box_style;
};

TEST_F(GridPages, LanguageGrid) {
  const char* names[3] = {"English", "Deutsch", "Fran\xE7" "ais"};
  std::vector<WM_BUTTON*> buttons;
  std::vector<INT_S32> heights;
  WM_GRID* g = list_grid(3, [&](int i) {
    WM_BUTTON* b = new WM_BUTTON(0, 0, -1, -1, &button_style, names[i], nullptr, nullptr, 3, 4, 2);
    b->click_arg1 = static_cast<INT_WORD>(i);
    b->focusable = 1;
    buttons.push_back(b);
    heights.push_back(b->height);
    return b;
  });
  // Three buttons of one height and a spacing of 2 each, inside the borders.
  EXPECT_EQ(g->height, 3 * (heights[0] + 2) + 6);
  EXPECT_EQ(g->scroll_maximum(), 0);
  frame();
  redraw_all();
  EXPECT_EQ(buttons[0]->y, g->y + 3 + 1);
  for (int i = 0; i < 3; ++i) {
    INT_S16 x1, y1, x2, y2;
    g->get_cell_rect(0, static_cast<INT_U16>(i), &x1, &y1, &x2, &y2);
    // The reported rectangle leaves out the top border gap; painting adds it.
    EXPECT_EQ(buttons[i]->y, y1 + 3) << i;
    EXPECT_EQ(buttons[i]->y + buttons[i]->height - 1, y2 + 3) << i;
    EXPECT_EQ(pixel(buttons[i]->x + buttons[i]->width / 2, buttons[i]->y + 3),
              button_style.bg_colour)
        << i;
  }
  keep_png("grid_language");
  const std::vector<WM_SCREEN_OBJECT*> order = tab_round(g);
  EXPECT_EQ(order, (std::vector<WM_SCREEN_OBJECT*>{buttons[0], buttons[1], buttons[2]}));
}

TEST_F(GridPages, ItemGrid) {
  const char* names[4] = {"Complete", "Program only", "Documentation", "Sources"};
  std::vector<WM_CHECK_BOX*> boxes;
  WM_GRID* g = list_grid(4, [&](int i) {
    WM_CHECK_BOX* b = new WM_CHECK_BOX(0, 0, &box_style, names[i], nullptr, 2, i);
    if (i == 1) b->set_checked(1);
    boxes.push_back(b);
    return b;
  });
  frame();
  redraw_all();
  for (int i = 1; i < 4; ++i) EXPECT_GT(boxes[i]->y, boxes[i - 1]->y);
  EXPECT_GE(boxes[3]->y + boxes[3]->height - 1, g->y);
  EXPECT_LE(boxes[3]->y + boxes[3]->height - 1, g->y + g->height - 1);
  keep_png("grid_item");
  const std::vector<WM_SCREEN_OBJECT*> order = tab_round(g);
  EXPECT_EQ(order, (std::vector<WM_SCREEN_OBJECT*>{boxes[0], boxes[1], boxes[2], boxes[3]}));
}

TEST_F(GridPages, TargetGrid) {
  WM_GRID* g = target_grid();
  frame();
  redraw_all();
  // Row heights as the page sets them: h, s, t (each less the spacing).
  const INT_S32 h = g->rows[0]->height;
  EXPECT_EQ(h, (kContentH - 6 + 2) / 8 - 2);
  EXPECT_EQ(g->rows[1]->height, h / 3 - 2);
  EXPECT_EQ(g->rows[2]->height, h + ((h - h / 3) * 3) / 5 - 2);
  EXPECT_EQ(g->rows[0]->cell_count, 1);
  EXPECT_EQ(g->rows[3]->cell_count, 4);
  EXPECT_EQ(g->rows[7]->cell_count, 3);
  WM_SCREEN_OBJECT* path = g->get_cell(1, 3);
  WM_SCREEN_OBJECT* browse = g->get_cell(2, 3);
  EXPECT_EQ(path->y, browse->y);
  EXPECT_LT(path->x + path->width, browse->x);
  keep_png("grid_target");
  std::vector<WM_SCREEN_OBJECT*> expected;
  for (INT_S16 r : {2, 3, 7, 8})
    for (INT_S16 c = 0; c < g->get_cell_count(r); ++c)
      if (WM_SCREEN_OBJECT* o = g->get_cell(c, r))
        if (o->can_focus() && g->is_row_visible(r)) expected.push_back(o);
  ASSERT_GE(expected.size(), 3u);
  EXPECT_EQ(tab_round(g), expected);
}

}  // namespace
