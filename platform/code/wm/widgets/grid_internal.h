// What the grid's geometry and painting share: how the shown rows and the
// filler rows below them are given the inner height.
#ifndef GRID_INTERNAL_H
#define GRID_INTERNAL_H

#include "wm_grid.h"

// The row slots of the view: the shown rows, then filler rows of the empty
// row's height, all separated by y_spacing. Pixels the slots leave over (only
// while the content fits) are spread over the slots from the top, one more to
// each of the first `spare % total` slots, so the slots fill the inner height.
struct GRID_SLOTS {
  INT_S32 shown = 0;    // rows from the first to the last shown row
  INT_S32 fillers = 0;  // empty slots below them
  INT_S32 spare = 0;    // pixels spread over the slots
  INT_S32 total = 0;    // shown + fillers

  // Extra pixels of slot k (0 = the first shown row); none outside the slots.
  INT_S32 extra(INT_S32 k) const {
    if (spare == 0 || k < 0 || k >= total) return 0;
    return spare / total + (k < spare % total ? 1 : 0);
  }
  // Extra pixels of the slots above slot k.
  INT_S32 extra_above(INT_S32 k) const {
    if (spare == 0 || k <= 0) return 0;
    const INT_S32 m = k < total ? k : total;
    const INT_S32 rest = spare % total;
    return spare / total * m + (m < rest ? m : rest);
  }
};

// filler_height: the height of an empty row (the row height raised above the
// cell gaps).
GRID_SLOTS grid_slots(const WM_GRID& grid, INT_S32 filler_height);

// An empty row of the grid's columns and current row height.
void grid_empty_row(WM_GRID& grid, GRID_ROW& row, INT_U8 with_cells);

inline INT_S32 grid_gap(INT_S16 v) { return v < 0 ? 0 : v; }

inline INT_S16 grid_clamp16(INT_S32 v) {
  return static_cast<INT_S16>(v < -32768 ? -32768 : (v > 32767 ? 32767 : v));
}

#endif
