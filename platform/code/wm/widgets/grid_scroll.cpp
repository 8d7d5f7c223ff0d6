// Grid scrolling and geometry: the scroll value and the rows in view, the
// screen rectangle of a cell, resizing, the scrollbar's step amounts and the
// operations that move the focus to a cell.
#include <cstring>

#include "grid_internal.h"
#include "../wm_internal.h"
#include "wm_globals.h"
#include "wm_scrollbar.h"

GRID_SLOTS grid_slots(const WM_GRID& g, INT_S32 filler_height) {
  GRID_SLOTS s;
  const INT_S32 ys = grid_gap(g.style.y_spacing);
  const INT_S32 inner = g.inner_height();
  INT_S32 heights = 0;
  if (g.last_shown_row >= 0 && g.last_shown_row < g.row_count && g.first_shown_row >= 0) {
    s.shown = g.last_shown_row - g.first_shown_row + 1;
    if (s.shown < 0) s.shown = 0;
    for (INT_S32 r = g.first_shown_row; r <= g.last_shown_row; ++r) heights += g.rows[r]->height;
  }
  const INT_S32 used = heights + (s.shown > 0 ? (s.shown - 1) * ys : 0);
  if (g.rows_per_page != 0)
    s.fillers = g.rows_per_page - s.shown;
  else
    s.fillers = filler_height + ys > 0 ? (inner - used) / (filler_height + ys) : 0;
  if (s.fillers < 0) s.fillers = 0;
  if (s.fillers == 0 && s.shown == 0) s.fillers = 1;  // an empty view still has one slot
  s.total = s.shown + s.fillers;
  if (!g.overflows()) {
    const INT_S32 gaps = s.total > 0 ? s.total - 1 : 0;
    const INT_S32 spare = inner - heights - s.fillers * filler_height - gaps * ys;
    s.spare = spare > 0 ? spare : 0;
  }
  return s;
}

void grid_empty_row(WM_GRID& g, GRID_ROW& row, INT_U8 with_cells) {
  row.height = g.new_row_height();
  row.set_cell_span(&g.style);
  if (with_cells) row.set_cells(g.width, g.column_count, g.column_weights, &g.style);
}

// ---- rows in view -------------------------------------------------------------------

INT_U8 WM_GRID::is_row_visible(INT_S16 row) {
  if (!visible || row < 0 || row >= row_count) return 0;
  if ((style.ssef & ssef_grid_fix_top_row) && row == 0) return 0;
  const INT_S32 bt = grid_gap(style.border_top_gap), bb = grid_gap(style.border_bottom_gap);
  const INT_S32 top = y + bt + row_top(row) - (overflows() ? scroll_pos() : 0);
  return top >= y + bt + header_height() && top + rows[row]->height - 1 <= y + height - 1 - bb
             ? 1
             : 0;
}

INT_U8 WM_GRID::find_focus_cell(INT_U16* column, INT_U16* row, INT_U8 any_row) {
  if (!wm_focus_object) return 0;
  for (INT_S16 r = 0; r < row_count; ++r) {
    if (!any_row && !is_row_visible(r)) continue;
    GRID_ROW* gr = rows[r];
    for (INT_S16 c = 0; gr->cells && c < gr->cell_count; ++c)
      if (gr->cells[c] == wm_focus_object) {
        *column = static_cast<INT_U16>(c);
        *row = static_cast<INT_U16>(r);
        return 1;
      }
  }
  return 0;
}

void WM_GRID::sync_scroll() {
  if (!rows) return;
  const INT_S32 value = scroll_value(), maximum = scroll_maximum();
  if (value == last_seen_scroll && maximum == last_seen_maximum) return;
  INT_U16 fc = 0, fr = 0;
  const INT_U8 focused = find_focus_cell(&fc, &fr, 1);
  last_seen_scroll = value;
  last_seen_maximum = maximum;
  const INT_S32 pos = maximum - value;

  if (first_shown_row < 0 || first_shown_row >= row_count) first_shown_row = 0;
  if (first_shown_row >= 1 && rows[first_shown_row - 1]->bottom > pos) {
    while (first_shown_row > 0 && rows[first_shown_row - 1]->bottom > pos) --first_shown_row;
  } else {
    while (first_shown_row < row_count - 1 && rows[first_shown_row]->bottom < pos)
      ++first_shown_row;
  }

  last_shown_row = -1;
  const INT_S32 inner = inner_height();
  for (INT_S16 r = first_shown_row; r < row_count; ++r)
    if (row_top(r) - pos <= inner) last_shown_row = r;

  if (focused && wm_rendering) {
    // A paint that resized the grid (a grid in a cell, fitted to it) runs no
    // focus callbacks, which may delete what is being painted: the next tick
    // looks again and moves the focus.
    last_seen_scroll = -1;
  } else if (focused) {
    INT_S32 r = fr;
    if (!visible || !is_row_visible(static_cast<INT_S16>(r))) {
      if (!visible) {
        r = -1;
      } else if (r <= (last_shown_row - first_shown_row) / 2 + first_shown_row) {
        do ++r;
        while (r < row_count && !is_row_visible(static_cast<INT_S16>(r)));
      } else {
        do --r;
        while (r >= 0 && !is_row_visible(static_cast<INT_S16>(r)));
      }
    }
    if (WM_SCREEN_OBJECT* o = get_cell(static_cast<INT_S16>(fc), static_cast<INT_S16>(r))) {
      // The cell losing the focus, or the one taking it, may delete the grid.
      if (!wm_call_survives(this, [&] { o->take_focus(); })) return;
    }
  }
  if (visible) show();
}

void WM_GRID::set_scroll(INT_S32 value) {
  scroll.set_long(&scroll.value, value);
  if (visible) sync_scroll();
}

INT_U8 WM_GRID::is_scrolled_to_top() { return scroll_value() == scroll_maximum() ? 1 : 0; }

// ---- resizing ---------------------------------------------------------------------------

void WM_GRID::set_size(INT_S16 new_width, INT_S16 new_height, INT_U8 children_too) {
  if (new_width == width && new_height == height) return;
  WM_SCREEN_OBJECT::set_size(new_width, new_height, children_too);
  // The scrollbar (deleted here) and a cell that loses the focus to a row the
  // new size cuts away tell their focus callbacks, which may delete the grid.
  if (!wm_call_survives(this, [&] { delete_scrollbar(); })) return;
  const INT_S32 ys = grid_gap(style.y_spacing);
  const INT_S32 inner = inner_height();
  if (rows_per_page != 0) {
    const INT_S32 h = (inner + ys) / rows_per_page - ys;
    row_height = grid_clamp16(h < 1 ? 1 : h);
  }
  auto refit_maximum = [&]() {
    const INT_S32 excess = content_height() - inner;
    const INT_S32 maximum = excess > 0 ? excess : 0;
    if (maximum == scroll_maximum()) return;
    set_scroll_maximum(maximum);
    if (visible) show();
  };
  INT_S32 offset = 0;
  if (row_count > 0) {
    refit_maximum();
    last_seen_scroll = last_seen_maximum = -1;
    if (!wm_call_survives(this, [&] { sync_scroll(); })) return;
    if (inner < content_height()) offset = row_top(first_shown_row) - scroll_pos();
  }
  last_shown_row = -1;
  const INT_S32 first_top = row_top(first_shown_row);
  for (INT_S16 r = 0; r < row_count; ++r) {
    GRID_ROW* gr = rows[r];
    if (rows_per_page != 0) {
      gr->height = new_row_height();
      gr->set_cell_span(&style);
      gr->bottom = (r > 0 ? rows[r - 1]->bottom : 0) + ys + gr->height;
    }
    gr->layout_cells(width, &style);
    if (row_top(r) - first_top + offset <= inner) last_shown_row = r;
  }
  // Rows refitted to a page change the content: the maximum follows, so the
  // last rows stay reachable and the top stays the top.
  if (rows_per_page != 0 && row_count > 0) {
    refit_maximum();
    last_seen_scroll = last_seen_maximum = -1;
    sync_scroll();
  }
}

// ---- geometry ----------------------------------------------------------------------------

INT_U8 WM_GRID::get_cell_rect(INT_U16 column, INT_U16 row, INT_S16* x1, INT_S16* y1,
                              INT_S16* x2, INT_S16* y2) {
  GRID_ROW empty;
  grid_empty_row(*this, empty, 1);
  const INT_S32 ys = grid_gap(style.y_spacing);
  const GRID_SLOTS slots = grid_slots(*this, empty.height);
  const INT_S32 pitch = empty.height + ys;

  INT_S32 t;
  INT_U8 in_view;
  const GRID_ROW* used = &empty;
  if (row < row_count) {
    used = rows[row];
    t = row_top(static_cast<INT_S16>(row)) - row_top(first_shown_row);
    in_view = row >= first_shown_row && row <= last_shown_row ? 1 : 0;
  } else if (last_shown_row == -1) {
    t = static_cast<INT_S32>(row) * pitch;
    in_view = row < slots.fillers ? 1 : 0;
  } else {
    t = rows[last_shown_row]->bottom - row_top(first_shown_row) +
        (static_cast<INT_S32>(row) - last_shown_row - 1) * pitch;
    in_view = static_cast<INT_S32>(row) - last_shown_row - 1 < slots.fillers ? 1 : 0;
  }
  const INT_S32 k = static_cast<INT_S32>(row) - first_shown_row;
  t += slots.extra_above(k);

  INT_S16 rx1, ry1, rx2, ry2;
  used->get_cell_rect(static_cast<INT_S16>(column), scrollbar ? 1 : 0, &rx1, &ry1, &rx2, &ry2);
  *x1 = grid_clamp16(x + rx1);
  *x2 = grid_clamp16(x + rx2);
  *y1 = grid_clamp16(y + t + ry1);
  *y2 = grid_clamp16(y + t + ry2 + slots.extra(k));
  return in_view;
}

void WM_GRID::row_cell_rect(INT_U16 column, INT_S16* x1, INT_S16* y1, INT_S16* x2, INT_S16* y2) {
  GRID_ROW empty;
  grid_empty_row(*this, empty, 1);
  empty.get_cell_rect(static_cast<INT_S16>(column), scrollbar ? 1 : 0, x1, y1, x2, y2);
}

INT_U8 WM_GRID::get_row_span(INT_S16 row, INT_S32* y1, INT_S32* y2) {
  if (row < 0 || row >= row_count) return 0;
  *y1 = y + grid_gap(style.border_top_gap) + row_top(row) - (overflows() ? scroll_pos() : 0);
  *y2 = *y1 + rows[row]->height - 1;
  return 1;
}

INT_S32 WM_GRID::rows_fit_height(INT_S16 n) {
  if (n == 0) return 0;
  return (inner_height() + grid_gap(style.y_spacing)) / n;
}

// ---- moving the view and the focus ------------------------------------------------------

void WM_GRID::scroll_to_row(INT_S16 row) {
  if (row < 0 || row >= row_count) return;
  const INT_S16 ref = row < first_shown_row ? first_shown_row : last_shown_row;
  if (visible && is_row_visible(row)) {
    sync_scroll();
    return;
  }
  if (ref < 0 || ref >= row_count) return;
  scroll.set_long(&scroll.value, scroll_value() + rows[ref]->bottom - rows[row]->bottom);
  if (visible && is_row_visible(row)) {
    sync_scroll();
    return;
  }
  scroll.set_long(&scroll.value, scroll_value() - rows[row]->height);
  if (visible) sync_scroll();
}

void WM_GRID::focus_cell(INT_U16 column, INT_U16 row) {
  WM_SCREEN_OBJECT* o = get_cell(static_cast<INT_S16>(column), static_cast<INT_S16>(row));
  if (!o || !o->can_focus()) return;
  INT_U16 fc, fr;
  INT_S32 ref = find_focus_cell(&fc, &fr, 0) ? fr : first_shown_row;
  // A focus callback may delete the grid.
  if (!wm_call_survives(this, [&] { o->take_focus(); })) return;
  if (visible && is_row_visible(static_cast<INT_S16>(row))) return;
  if (ref == 0 && row > 0) ref = 1;
  if (ref < 0 || ref >= row_count) return;
  scroll.set_long(&scroll.value, scroll_value() + rows[ref]->bottom - rows[row]->bottom);
}

INT_S32 WM_GRID::scroll_amount(WM_SCROLLBAR* bar, INT_S32 step_kind) {
  WM_GRID* g = bar ? word_to_pointer<WM_GRID>(bar->action_arg1) : nullptr;
  if (!g || g->row_count < 1) return 0;
  if ((step_kind == GRID_LINE_UP || step_kind == GRID_LINE_DOWN) && g->fixed_line_amount)
    return g->fixed_line_amount;
  if ((step_kind == GRID_PAGE_UP || step_kind == GRID_PAGE_DOWN) && g->fixed_page_amount)
    return g->fixed_page_amount;

  GRID_ROW** rows = g->rows;
  const INT_S32 count = g->row_count;
  const INT_S32 ys = grid_gap(g->style.y_spacing);
  const INT_S32 inner = g->inner_height();
  const INT_S32 pos = g->scroll_pos();
  INT_S32 r = g->first_shown_row < 0 ? 0 : g->first_shown_row;
  while (r < count && !(pos < rows[r]->bottom)) ++r;
  if (r >= count) r = count - 1;
  const INT_S32 b = rows[r]->bottom;
  const INT_S32 rem = pos - g->row_top(static_cast<INT_S16>(r));

  INT_S32 amount = 0;
  switch (step_kind) {
    case GRID_LINE_DOWN:
      amount = rows[r]->height + ys - rem;
      break;
    case GRID_LINE_UP:
      amount = rem ? rem : (r > 0 ? rows[r - 1]->height + ys : 0);
      break;
    case GRID_PAGE_UP: {
      const INT_S32 lim = b - inner + 1;
      if (r < 1 || rows[r - 1]->bottom < lim) {
        amount = rem;
      } else {
        INT_S32 k = r - 1;
        while (k >= 1 && rows[k - 1]->bottom >= lim) --k;
        amount = rem + b - rows[k]->bottom;
      }
      break;
    }
    case GRID_PAGE_DOWN: {
      // A view of a pixel or less has no row below to measure to.
      if (inner <= 1) break;
      const INT_S32 lim = b + inner - 1;
      INT_S32 k = r + 1;
      while (k < count && rows[k]->bottom < lim) ++k;
      if (k < count)
        amount = rows[k - 1]->bottom - b - rem;
      else if (count >= 2)
        amount = rows[count - 2]->bottom - b - rem;
      break;
    }
    default:
      break;
  }
  // A step never moves the view against its direction.
  return amount > 0 ? amount : 0;
}
