// A grid of button cells that overflows its area: the wheel scrolls it, a
// click on a cell prints the cell's command, and with keyboard navigation Tab
// and the arrow keys move the focus between cells. Prints the grid's place
// once, "scroll <pixels scrolled past at the top>" on every change, and
// "focus <row>" whenever a cell takes the focus.
#include <cstdio>

#include "widget_demo.h"
#include "wm_button.h"
#include "wm_globals.h"
#include "wm_grid.h"

namespace {

const COLOUR kFace = 0xFFC0C0C0u, kInk = 0xFF000000u, kGridBack = 0xFF304060u;
const INT_S16 kX = 20, kY = 20, kW = 200, kH = 120;
const INT_U16 kPitch = 30;  // rows of 28 and 2 pixels of spacing
const int kRows = 12;

WM_GRID* grid = nullptr;

INT_S32 command(WM_SCREEN_OBJECT*, INT_WORD row, INT_WORD) {
  widget_demo_say("command %d", word_to_s32(row));
  return 0;
}

class WATCHER : public WM_SCREEN_OBJECT {
 public:
  WATCHER() : WM_SCREEN_OBJECT(1, nullptr, 0, 0) {}
  INT_S32 update(INT_U8) override {
    const INT_S32 pos = grid->scroll_pos();
    if (pos != pos_) {
      pos_ = pos;
      widget_demo_say("scroll %d", pos);
    }
    INT_U16 c, r;
    WM_SCREEN_OBJECT* f = grid->find_focus_cell(&c, &r, 1) ? wm_focus_object : nullptr;
    if (f && f != focus_) widget_demo_say("focus %d", r);
    focus_ = f;
    return 0;
  }

 private:
  INT_S32 pos_ = -1;
  WM_SCREEN_OBJECT* focus_ = nullptr;
};

void build(PAGE_MANAGER* pm) {
  WM_STYLE_SET style;
  style.ssf = 0;
  style.shading_flags = 0;
  style.bg_colour = kGridBack;
  style.border_left_gap = style.border_right_gap = style.border_top_gap =
      style.border_bottom_gap = 0;
  style.cell_left_gap = style.cell_right_gap = style.cell_top_gap = style.cell_bottom_gap = 0;
  style.y_spacing = 2;
  style.grid_scrollbar_width = 15;
  WM_STYLE_SET bar;
  bar.bg_colour = 0xFF808080u;
  bar.fg_colour = 0xFFE0E0E0u;
  grid = new WM_GRID(1);
  grid->init(kX, kY, kX + kW - 1, kY + kH - 1, 1, nullptr, &style, &bar);
  grid->set_row_height(kPitch);
  grid->keyboard_navigation = 1;
  pm->current_manager->add_child(grid, 0);
  for (int r = 0; r < kRows; ++r) {
    char text[16];
    std::snprintf(text, sizeof text, "Row %d", r);
    WM_BUTTON* b = grid->add_font_button_cell(0, static_cast<INT_S16>(r), text, &kInk, &kFace, 0,
                                              command, word_from_s32(r), 0,
                                              BUTTON_EVENT_RELEASE);
    b->focusable = 1;
  }
  pm->current_manager->add_child(new WATCHER, 0);
  widget_demo_say("grid %d %d %d %d pitch %d", kX, kY, kW, kH, kPitch);
}

}  // namespace

WIDGET_DEMO_SCENE("grid", build);
