// Grid ticking and input. The cells are not children, so both passes reach
// the scrollbar and the cells in view themselves; input also hands the wheel
// to the grid's scrollbar while the pointer is over the grid and, with
// keyboard navigation, moves the focus between cells and scrolls by keys.
#include <vector>

#include "../wm_platform.h"
#include "grid_internal.h"
#include "input.h"
#include "wm_globals.h"
#include "wm_scrollbar.h"
#include "../wm_internal.h"

namespace {

bool control_held() {
  return wm_key_is_down(KEYCODE_CONTROL_LEFT) || wm_key_is_down(KEYCODE_CONTROL_RIGHT);
}

// The cell objects a pass reaches: the header row's while a fixed header
// covers a scrolled list, then those of the shown rows, left to right.
void pass_targets(WM_GRID& g, std::vector<WM_SCREEN_OBJECT*>& out, INT_U8 input) {
  GRID_ROW** rows = g.rows;
  const INT_S16 row_count = g.row_count;
  const INT_S16 first_shown_row = g.first_shown_row, last_shown_row = g.last_shown_row;
  // The header row is never cut off: it stays at the top, over the list.
  const bool fixed_header = (g.style.ssef & ssef_grid_fix_top_row) && row_count > 0;
  auto add_row = [&](INT_S16 r, bool shown_row) {
    if (r < 0 || r >= row_count) return;
    GRID_ROW* gr = rows[r];
    const INT_S32 inner_bottom = g.y + g.height - 1 - grid_gap(g.style.border_bottom_gap);
    const INT_S32 inner = g.inner_height();
    const INT_S32 inner_top = g.y + grid_gap(g.style.border_top_gap) +
                              (fixed_header ? rows[0]->height + grid_gap(g.style.y_spacing) : 0);
    for (INT_S16 c = 0; gr->cells && c < gr->cell_count; ++c) {
      WM_SCREEN_OBJECT* o = gr->cells[c];
      if (!o) continue;
      if (input && shown_row && !(fixed_header && r == 0)) {
        if (!o->visible) continue;
        // A cell cut off by the bottom edge takes no input once its middle
        // is out of sight, unless it is taller than the view itself.
        // The same holds at the top edge (or under a fixed header), where a
        // cell scrolled half out of view would otherwise take clicks meant
        // for whatever lies above the grid.
        const INT_S32 middle = o->y + o->height / 2;
        if ((middle >= inner_bottom || middle < inner_top) && o->height <= inner) continue;
      }
      out.push_back(o);
    }
  };
  if (first_shown_row != 0 && (g.style.ssef & ssef_grid_fix_top_row)) add_row(0, false);
  for (INT_S16 r = first_shown_row; r <= last_shown_row; ++r) add_row(r, true);
}

}  // namespace

INT_S32 WM_GRID::pass_cells(INT_U8 input, INT_U8 popups) {
  std::vector<WM_SCREEN_OBJECT*> targets;
  pass_targets(*this, targets, input);
  // A cell's callback may refill the grid: once the cells changed, an
  // object of the snapshot is reached only while the grid still holds it.
  // It may also delete the grid itself, which ends the walk; the callers
  // make this call through wm_call_survives.
  const unsigned generation = cell_generation_;
  for (WM_SCREEN_OBJECT* o : targets) {
    INT_U16 r, c;
    if (generation != cell_generation_ && !find_cell(o, &r, &c, 1)) continue;
    INT_S32 result = 0;
    if (!wm_call_survives(this, [&] { result = input ? o->handle_input() : o->update(popups); }) ||
        result)
      return result;
  }
  return 0;
}

INT_S32 WM_GRID::update(INT_U8 popups) {
  if (!visible) return 0;
  INT_S32 result = 0;
  if (!wm_call_survives(this, [&] { result = WM_SCREEN_OBJECT::update(popups); })) return result;
  if (!result && scrollbar &&
      !wm_call_survives(this, [&] { result = scrollbar->update(popups); }))
    return result;
  if (!result && !wm_call_survives(this, [&] { result = pass_cells(0, popups); })) return result;
  sync_scroll();
  return result;
}

void WM_GRID::handle_keys() {
  KEYBOARD keyboard;  // held for the whole step
  const INT_S32 key = keyboard_state.last_keycode;
  INT_U16 fc, fr;
  if ((key == KEYCODE_LEFT || key == KEYCODE_RIGHT || key == KEYCODE_UP || key == KEYCODE_DOWN) &&
      find_focus_cell(&fc, &fr, 0)) {
    KEYBOARD::take_key();
    const INT_U8 direction = key == KEYCODE_LEFT    ? GRID_LEFT
                             : key == KEYCODE_RIGHT ? GRID_RIGHT
                             : key == KEYCODE_UP    ? GRID_UP
                                                : GRID_DOWN;
    INT_S16 c2, r2;
    WM_SCREEN_OBJECT* n = find_neighbour_cell(direction, static_cast<INT_S16>(fc),
                                              static_cast<INT_S16>(fr), &c2, &r2, 1);
    if (!n) return;
    // Either cell's focus callback may delete the grid; the caller makes
    // this call through wm_call_survives as well.
    if (!wm_call_survives(this, [&] { n->take_focus(); })) return;
    if (!is_row_visible(r2))
      scroll.set_long(&scroll.value, scroll_value() + rows[fr]->bottom - rows[r2]->bottom);
    return;
  }
  if (!scrollbar || wm_wheel_target != scrollbar) return;
  switch (key) {
    case KEYCODE_HOME:
      scroll.set_long(&scroll.value, scroll_maximum());
      break;
    case KEYCODE_UP:
      scroll.set_long(&scroll.value,
                      scroll_value() +
                          scroll_amount(scrollbar, control_held() ? GRID_PAGE_UP : GRID_LINE_UP));
      break;
    case KEYCODE_PAGE_UP:
      scroll.set_long(&scroll.value, scroll_value() + scroll_amount(scrollbar, GRID_PAGE_UP));
      break;
    case KEYCODE_END:
      scroll.set_long(&scroll.value, 0);
      break;
    case KEYCODE_DOWN:
      scroll.set_long(&scroll.value,
                      scroll_value() - scroll_amount(scrollbar, control_held() ? GRID_PAGE_DOWN
                                                                                : GRID_LINE_DOWN));
      break;
    case KEYCODE_PAGE_DOWN:
      scroll.set_long(&scroll.value, scroll_value() - scroll_amount(scrollbar, GRID_PAGE_DOWN));
      break;
    default:
      return;  // left for other objects
  }
  KEYBOARD::take_key();
  show();
}

INT_S32 WM_GRID::handle_input() {
  if (!visible) return 0;
  // A cell's callback may delete the grid: nothing of it is touched after.
  INT_S32 result = 0;
  if (!wm_call_survives(this, [&] { result = WM_SCREEN_OBJECT::handle_input(); })) return result;
  if (scrollbar && scrollbar != wm_wheel_target && is_over(mouse_state.x, mouse_state.y))
    scrollbar->take_wheel();
  if (keyboard_navigation && !wm_call_survives(this, [&] { handle_keys(); })) return result;
  if (!result && scrollbar &&
      !wm_call_survives(this, [&] { result = scrollbar->handle_input(); }))
    return result;
  if (!result && !wm_call_survives(this, [&] { result = pass_cells(1, 0); })) return result;
  sync_scroll();
  return result;
}

WM_SCREEN_OBJECT* WM_GRID::find_neighbour_cell(INT_U8 direction, INT_S16 column, INT_S16 row,
                                               INT_S16* out_column, INT_S16* out_row,
                                               INT_U8 focusable_only) {
  INT_S32 c = column, r = row;
  const INT_S32 dc = direction == GRID_LEFT ? -1 : direction == GRID_RIGHT ? 1 : 0;
  const INT_S32 dr = direction == GRID_UP ? -1 : direction == GRID_DOWN ? 1 : 0;
  if (!dc && !dr) return nullptr;
  for (;;) {
    c += dc;
    r += dr;
    if (r < 0 || r >= row_count || c < 0) break;
    if (dc && c >= rows[r]->cell_count) break;
    *out_column = static_cast<INT_S16>(c);
    *out_row = static_cast<INT_S16>(r);
    WM_SCREEN_OBJECT* o = get_cell(static_cast<INT_S16>(c), static_cast<INT_S16>(r));
    if (o && o->visible && (!focusable_only || o->can_focus())) return o;
  }
  return nullptr;
}
