// Grids for the grid tests: a flat style with every gap written out, and a
// grid made the way every creator makes one (construct, init, row height).
#ifndef GRID_TEST_UTIL_H
#define GRID_TEST_UTIL_H

#include <string>

#include "style_set.h"
#include "widget_test_env.h"
#include "wm_grid.h"

namespace gt {

using namespace wgt;

// No border, no gaps, no rounding; y_spacing as given.
inline WM_STYLE_SET flat_style(INT_S16 y_spacing = 0, COLOUR bg = 0) {
  WM_STYLE_SET s;
  s.ssf = 0;
  s.ssef = 0;
  s.shading_flags = 0;
  s.bg_colour = bg;
  s.border_left_gap = s.border_right_gap = s.border_top_gap = s.border_bottom_gap = 0;
  s.cell_left_gap = s.cell_right_gap = s.cell_top_gap = s.cell_bottom_gap = 0;
  s.x_spacing = 0;
  s.y_spacing = y_spacing;
  return s;
}

// A grid over the inclusive rectangle whose rows are `pitch` high including
// the spacing below them.
inline WM_GRID* make_grid(INT_S16 x1, INT_S16 y1, INT_S16 x2, INT_S16 y2, const WM_STYLE_SET& s,
                          INT_U16 pitch, INT_U16 columns = 1, const INT_U16* weights = nullptr) {
  WM_GRID* g = new WM_GRID(1);
  WM_STYLE_SET bar = flat_style();
  bar.grid_scrollbar_width = 15;
  g->init(static_cast<INT_U16>(x1), static_cast<INT_U16>(y1), static_cast<INT_U16>(x2),
          static_cast<INT_U16>(y2), columns, weights, &s, &bar);
  if (pitch) g->set_row_height(pitch);
  return g;
}

// A probe in the grid's cell; focusable when asked.
inline PROBE* put_probe(WM_GRID* g, INT_U16 column, INT_S16 row, const std::string& name,
                        INT_U8 focusable = 0, COLOUR fill = 0xFF00FF00u) {
  PROBE* p = new PROBE(name, 0, 0, 1, 1, fill);
  p->focusable = focusable;
  if (!g->place_object(column, row, p)) {
    delete p;
    return nullptr;
  }
  return p;
}

}  // namespace gt

#endif
