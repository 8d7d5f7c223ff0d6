// The floating menu's input pass: keyboard navigation and paging, scrolling
// when the focus lands on a scroll button, first-letter search, the wheel,
// and when the menu goes away (Escape or the close key, the activate key, a
// choice, a click outside), unwinding the chain of menus it was opened from.
#include <cctype>

#include "../wm_platform.h"
#include "input.h"
#include "wm_button.h"
#include "wm_floating_menu.h"
#include "wm_globals.h"
#include "wm_grid.h"
#include "wm_menu.h"
#include "../wm_internal.h"

namespace {

// Pointer buttons 1 (left) and 2 (right) of the input state's mask.
const INT_U32 kLeftBit = 1u, kRightBit = 2u;

bool is_navigation_key(INT_S32 k) {
  return k == KEYCODE_HOME || k == KEYCODE_UP || k == KEYCODE_PAGE_UP || k == KEYCODE_LEFT ||
         k == KEYCODE_RIGHT || k == KEYCODE_END || k == KEYCODE_DOWN || k == KEYCODE_PAGE_DOWN;
}
bool is_paging_key(INT_S32 k) {
  return k == KEYCODE_PAGE_UP || k == KEYCODE_PAGE_DOWN || k == KEYCODE_HOME || k == KEYCODE_END;
}

WM_MENU* as_menu_button(WM_SCREEN_OBJECT* o) {
  return o && (o->kind & WM_KIND_MENU) ? static_cast<WM_MENU*>(o) : nullptr;
}

}  // namespace

INT_S32 WM_FLOATING_MENU::update(INT_U8 popups) {
  // A chosen free-standing menu was hidden at once; hidden pop-ups get no
  // input, so its deletion is asked for here.
  if (delete_pending) {
    delete_pending = 0;
    return WM_ACTION_DELETE;
  }
  INT_S32 r = 0;
  wm_call_survives(this, [&] { r = WM_DIALOG::update(popups); });
  return r;
}

// Focuses the entry at row and scrolls so that it is shown and not taken by
// a scroll button once layout has placed them again. A focus callback (of
// the entry losing the focus or of the one taking it) may delete the menu:
// every step that can move the focus is made through wm_call_survives, and
// so are the calls of this one.
void WM_FLOATING_MENU::focus_entry(INT_S16 row) {
  if (!grid || row < 0 || row >= entry_count) return;
  remove_scroll_buttons();
  if (!wm_call_survives(this, [&] { grid->focus_cell(0, static_cast<INT_U16>(row)); })) return;
  if (!wm_call_survives(this, [&] { layout(); })) return;
  // One row at a time towards the entry until it lies in the run and no
  // scroll button takes its row.
  for (INT_S32 guard = 0; guard <= 2 * entry_count; ++guard) {
    const bool lent = (up_displaced && row == up_row) || (down_displaced && row == down_row);
    if (row >= first_visible && row <= last_visible && !lent) break;
    const bool upwards = row <= first_visible;
    if (upwards && first_visible == 0) break;
    if (!upwards && grid->scroll_value() == 0) break;
    remove_scroll_buttons();
    const INT_S32 to =
        upwards ? grid->scroll_value() + entry_height(static_cast<INT_S16>(first_visible - 1))
                : grid->scroll_value() - entry_height(first_visible);
    if (!wm_call_survives(this, [&] { grid->set_scroll(to); })) return;
    if (!wm_call_survives(this, [&] { layout(); })) return;
  }
  if (WM_SCREEN_OBJECT* o = entry_at(row))
    if (o->can_focus() && wm_focus_object != o) wm_call_survives(this, [&] { o->take_focus(); });
}

void WM_FLOATING_MENU::page_keys(INT_U32 key) {
  INT_U16 fc, fr;
  if (!grid->find_focus_cell(&fc, &fr, 0)) return;
  remove_scroll_buttons();
  KEYBOARD::take_key();
  const INT_S32 r = fr, last = entry_count - 1;
  INT_S32 target = r;
  if (key == KEYCODE_PAGE_UP) {
    target = first_visible + r - last_visible;
    if (target >= r && r > 0) target = r - 1;  // a run of one still moves
    if (target < 0) target = 0;
  } else if (key == KEYCODE_HOME) {
    target = 0;
  } else if (key == KEYCODE_END) {
    target = last;
  } else {
    target = last_visible - 1 + r - first_visible;
    if (target <= r && r < last) target = r + 1;
    if (target > last) target = last;
  }
  // Separators take no focus: step on to the nearest item the key's way.
  const INT_S32 dir = (key == KEYCODE_PAGE_UP || key == KEYCODE_HOME) ? -1 : 1;
  INT_S32 t = target;
  while (t >= 0 && t <= last && !(item_at(static_cast<INT_S16>(t)))) t += dir;
  if (t < 0 || t > last) {
    t = target;
    while (t >= 0 && t <= last && !(item_at(static_cast<INT_S16>(t)))) t -= dir;
  }
  if (t >= 0 && t <= last) focus_entry(static_cast<INT_S16>(t));
}

// Focus moved onto "^" or "v": one row further, the focus on the entry
// revealed.
void WM_FLOATING_MENU::scroll_to_focus_button() {
  if (!wm_focus_object) return;
  const bool up = up_displaced && up_button && wm_focus_object == up_button;
  const bool down = down_displaced && down_button && wm_focus_object == down_button;
  if (!up && !down) return;
  const INT_S16 row = up ? up_row : down_row;
  remove_scroll_buttons();
  const INT_S32 to = grid->scroll_value() + (up ? entry_height(row) : -entry_height(row));
  if (wm_call_survives(this, [&] { grid->set_scroll(to); })) focus_entry(row);
}

void WM_FLOATING_MENU::letter_search(char c) {
  if (entry_count < 1) return;
  INT_U16 fc, fr;
  const INT_S32 start = grid->find_focus_cell(&fc, &fr, 0) ? fr + 1 : 0;
  const int wanted = std::tolower(static_cast<unsigned char>(c));
  for (INT_S32 i = 0; i < entry_count; ++i) {
    const INT_S16 row = static_cast<INT_S16>((start + i) % entry_count);
    // Entries are read by index: an entry lent to a scroll button counts.
    WM_BUTTON* b = item_at(row);
    if (!b || !b->text || !b->text[0]) continue;
    if (std::tolower(static_cast<unsigned char>(b->text[0])) != wanted) continue;
    if (!grid->keyboard_navigation) set_items_focusable(1);
    focus_entry(row);
    return;
  }
}

// One entry per notch: the grid has no scrollbar to take the wheel.
INT_S32 WM_FLOATING_MENU::wheel_step() {
  if (!grid || !mouse_state.wheel || !is_over(wm_pointer_x(), wm_pointer_y())) return 0;
  const INT_S32 notches = mouse_state.wheel;
  mouse_state.wheel = 0;
  if (!grid->overflows()) return 1;
  remove_scroll_buttons();
  // Scrolling may move the focus, and a focus callback may delete the menu.
  INT_S32 n = notches < 0 ? -notches : notches;
  for (; n > 0; --n) {
    INT_S32 to;
    if (notches > 0) {
      if (first_visible <= 0) break;
      to = grid->scroll_value() + entry_height(static_cast<INT_S16>(first_visible - 1));
    } else {
      if (grid->scroll_value() == 0) break;
      to = grid->scroll_value() - entry_height(first_visible);
    }
    if (!wm_call_survives(this, [&] { grid->set_scroll(to); })) return 1;
    if (!wm_call_survives(this, [&] { layout(); })) return 1;
    remove_scroll_buttons();
  }
  // With keyboard navigation on, the focus stays on an entry in view: left
  // on one scrolled away or lent to a scroll button, it would pass to "^" or
  // "v", and the next pass would scroll back a row.
  INT_U16 fc = 0, fr = 0;
  const bool focused = grid->keyboard_navigation && grid->find_focus_cell(&fc, &fr, 1);
  if (!wm_call_survives(this, [&] { layout(); })) return 1;
  if (focused) focus_nearest_shown(static_cast<INT_S16>(fr));
  return 1;
}

// Focuses the item nearest to row among those the run shows, the rows lent
// to scroll buttons left out; the view does not move.
void WM_FLOATING_MENU::focus_nearest_shown(INT_S16 row) {
  const INT_S32 lo = first_visible + (up_displaced && up_row == first_visible ? 1 : 0);
  const INT_S32 hi = last_visible - (down_displaced && down_row == last_visible ? 1 : 0);
  if (lo > hi) return;
  const INT_S32 from = row < lo ? lo : row > hi ? hi : row;
  for (INT_S32 d = 0; d <= hi - lo; ++d) {
    for (const INT_S32 r : {from - d, from + d}) {
      if (r < lo || r > hi || !item_at(static_cast<INT_S16>(r))) continue;
      if (entry_at(static_cast<INT_S16>(r)) != wm_focus_object) focus_entry(static_cast<INT_S16>(r));
      return;
    }
  }
}

void WM_FLOATING_MENU::close_as_escape() {
  close(not_owned ? 0 : 1);
  if (not_owned) reset_items();
  close_chain(1);
}

// A choice by key or click: hidden at once, the chain above hidden too.
void WM_FLOATING_MENU::choose_and_unwind() {
  hide(0, 0);
  hide_chain(1);
  if (delete_when_closed) delete_pending = 1;
  if (owner && (owner->kind & WM_KIND_BUTTON)) static_cast<WM_BUTTON*>(owner)->reset_state();
}

INT_S32 WM_FLOATING_MENU::handle_input() {
  KEYBOARD keyboard;  // the typed queue stays while the pass reads it
  if (delete_pending) return WM_ACTION_DELETE;
  if (visible != was_visible) {
    was_visible = visible;
    if (visible) {
      close_key_latched = just_opened = 1;
      // Letters typed before the menu opened search nothing in it.
      KEYBOARD::discard_chars();
    }
  }
  if (!visible) return 0;

  // A focus callback of an entry the keys or the wheel move to, or an item's
  // own callback, may delete the menu: nothing of it is touched after.
  if (grid) {
    const INT_S32 key = keyboard_state.last_keycode;
    if (!grid->keyboard_navigation && is_navigation_key(key)) {
      KEYBOARD::take_key();
      set_items_focusable(1);
    } else if (grid->keyboard_navigation && is_paging_key(key)) {
      if (!wm_call_survives(this, [&] { page_keys(static_cast<INT_U32>(key)); })) return 0;
    } else if (grid->keyboard_navigation) {
      if (!wm_call_survives(this, [&] { scroll_to_focus_button(); })) return 0;
    }
    if (keyboard_state.last_index >= 0) {
      const char c = static_cast<char>(KEYBOARD::pop_char());
      if (c && !wm_call_survives(this, [&] { letter_search(c); })) return 0;
    }
    if (!wm_call_survives(this, [&] { wheel_step(); })) return 0;
  }

  INT_U8 escape = wm_key_is_down(KEYCODE_ESCAPE);
  if (!close_key_latched && close_key && wm_key_is_down(static_cast<INT_S32>(close_key)))
    escape = 1;
  const INT_U8 activate = wm_key_is_down(static_cast<INT_S32>(wm_activate_key));
  const INT_U32 buttons = wm_button_mask();
  const INT_U8 any_down = (buttons & (kLeftBit | kRightBit)) ? 1 : 0;

  // The click that opened the menu does not act inside it.
  const bool mask_left = just_opened && (buttons & kLeftBit);
  // Written straight into the state: a reported event would stamp input times.
  if (mask_left) mouse_state.buttons &= ~kLeftBit;
  draggable = menu_draggable && !just_opened;
  const INT_S32 scroll_before = grid ? grid->scroll_value() : 0;
  INT_S32 result = 0;
  const bool lives = wm_call_survives(this, [&] { result = WM_DIALOG::handle_input(); });
  if (mask_left) mouse_state.buttons |= kLeftBit;
  if (!lives) return result;
  if (grid && visible && grid->scroll_value() != scroll_before) {
    // The grid's arrow keys scrolled to an entry beyond the run: the run
    // follows, the entry shown and not lent to a scroll button.
    INT_U16 fc, fr;
    const bool entry_focused = grid->find_focus_cell(&fc, &fr, 1) &&
                               wm_focus_object != up_button && wm_focus_object != down_button;
    if (!wm_call_survives(this, [&] {
          if (entry_focused)
            focus_entry(static_cast<INT_S16>(fr));
          else
            layout();
        }))
      return result;
  }

  const INT_S16 px = wm_pointer_x(), py = wm_pointer_y();
  if (prev_escape && !escape) {
    close_as_escape();
  } else if (prev_activate && !activate) {
    INT_U16 fc, fr;
    if (visible && grid && grid->find_focus_cell(&fc, &fr, 0))
      choose_and_unwind();
    else if (visible)
      close_as_escape();
  } else if (!just_opened && !any_down && prev_buttons && visible && !is_over_caption(px, py)) {
    bool on_entry = false;
    for (INT_S16 r = 0; grid && r < grid->row_count && !on_entry; ++r) {
      WM_SCREEN_OBJECT* o = grid->get_cell(0, r);
      on_entry = o && !(o->kind & WM_KIND_MENU) && o->is_over(px, py);
    }
    if (on_entry)
      choose_and_unwind();
    else if (!is_over_tree(px, py))
      close_as_escape();
  }

  if (!any_down) just_opened = 0;
  if (!close_key || !wm_key_is_down(static_cast<INT_S32>(close_key))) close_key_latched = 0;
  prev_buttons = any_down;
  prev_escape = escape;
  prev_activate = activate;
  return result;
}

// ---- the chain above a dismissed menu ------------------------------------------------------

void WM_FLOATING_MENU::close_chain(INT_U8 recursive) {
  WM_FLOATING_MENU* m = this;
  for (;;) {
    WM_MENU* own = as_menu_button(m->owner);
    if (!own || !own->parent) return;
    WM_SCREEN_OBJECT* parent = own->parent;
    if (WM_MENU* pb = as_menu_button(parent)) {
      if (WM_FLOATING_MENU* pm = pb->menu) {
        pm->delete_when_closed = 0;
        pm->set_fade(0);
        pm->start_transition(0);
        pm->immediate = 0;
        if (recursive) pm->close_chain(1);
      }
      pb->reset_state();
      return;
    }
    if (!(parent->kind & WM_KIND_FLOATING_MENU)) return;
    WM_FLOATING_MENU* pm = static_cast<WM_FLOATING_MENU*>(parent);
    pm->close(0);
    if (!recursive) return;
    m = pm;
    recursive = 0;
  }
}

void WM_FLOATING_MENU::hide_chain(INT_U8 recursive) {
  WM_FLOATING_MENU* m = this;
  for (;;) {
    WM_MENU* own = as_menu_button(m->owner);
    if (!own || !own->parent) return;
    WM_SCREEN_OBJECT* parent = own->parent;
    if (WM_MENU* pb = as_menu_button(parent)) {
      if (WM_FLOATING_MENU* pm = pb->menu) {
        pm->hide(0, 0);
        if (recursive) pm->hide_chain(1);
      }
      pb->reset_state();
      return;
    }
    if (!(parent->kind & WM_KIND_FLOATING_MENU)) return;
    WM_FLOATING_MENU* pm = static_cast<WM_FLOATING_MENU*>(parent);
    pm->hide(0, 0);
    if (!recursive) return;
    m = pm;
    recursive = 0;
  }
}
