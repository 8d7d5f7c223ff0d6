// The push button's optional features: the hint label, drag and drop, and
// the idle click.
#include "page_manager.h"
#include "random.h"
#include "utilities.h"
#include "wm_button.h"
#include "wm_globals.h"
#include "wm_script.h"
#include "../wm_internal.h"

namespace {

bool later_than(INT_U32 now, INT_U32 since, INT_U32 period) { return now - since > period; }

INT_U32 wall_seconds() { return static_cast<INT_U32>(utility_clock(nullptr)); }

// The object of the page areas under the point; none without a page manager.
WM_SCREEN_OBJECT* page_object_at(INT_S16 px, INT_S16 py) {
  return wm_page_manager ? wm_page_manager->object_at(px, py) : nullptr;
}

bool simulated_pointer_set(const PAGE_MANAGER* pm) {
  return pm->pointer_override_x != -1 && pm->pointer_override_y != -1;
}

void set_simulated_pointer(PAGE_MANAGER* pm, INT_S16 px, INT_S16 py, INT_U8 left) {
  pm->pointer_override_x = px;
  pm->pointer_override_y = py;
  pm->pointer_override_button = left;
}

}  // namespace

// ---- hint label ---------------------------------------------------------------

void WM_BUTTON::set_hint(const char* hint_text) {
  if (hint) {
    hint->hide(0, 0);
    remove_popup(hint, 0, 0);
    delete hint;
    hint = nullptr;
  }
  if (!hint_text || !*hint_text) return;
  wm_button_hint_style.visible = 0;  // the label is born hidden
  hint = new WM_SCRIPT(0, 0, -5, -3, &wm_button_hint_style, hint_text);
  set_layer(0);
  // Input reaching the label while it is up goes to the button first; the
  // pop-up list never deletes it.
  hint->input_target = this;
  hint->not_owned = 1;
}

// The label's bottom-left corner at the point, kept on the screen.
void WM_BUTTON::place_hint(INT_S16 px, INT_S16 py) {
  INT_S32 hx = px, hy = py - hint->height;
  if (wm_surface) {
    const INT_S32 sw = wm_surface->width, sh = wm_surface->height;
    if (hx + hint->width >= sw) hx = sw - hint->width;
    if (hy + hint->height >= sh) hy = sh - hint->height;
  }
  if (hx < 0) hx = 0;
  if (hy < 0) hy = 0;
  hint->set_position(static_cast<INT_S16>(hx), static_cast<INT_S16>(hy));
}

void WM_BUTTON::hint_step(INT_S16 px, INT_S16 py, INT_U8 left) {
  const bool shown = is_popup(hint);
  if (!is_over(px, py)) {
    if (shown) {
      hint->hide(0, 0);
      remove_popup(hint, 0, 0);
    }
    // Moving straight from an open hint onto a neighbouring button opens
    // the neighbour's hint at once. Only an open hint hands over: a rest
    // that ended long ago would open every other hint without a wait.
    if (WM_BUTTON* next = shown ? dynamic_cast<WM_BUTTON*>(page_object_at(px, py)) : nullptr) {
      if (next != this) {
        next->hint_time = hint_time;
        next->hint_x = x;
        next->hint_y = y;
      }
    }
    hint_x = hint_y = -1;
    return;
  }
  if (hint_x == -1 || left) {
    if (is_popup(hint)) {
      hint->hide(0, 0);
      remove_popup(hint, 0, 0);
    }
    hint_time = wall_seconds();
    hint_x = px;
    hint_y = py;
  }
  if (!is_popup(hint) && wall_seconds() > hint_time + 1) {
    add_popup(hint, 0);
    hint->show();
    place_hint(hint_x, hint_y);
  }
  if (px != hint_x || py != hint_y) {
    hint_x = px;
    hint_y = py;
    place_hint(px, py);
  }
}

// ---- drag and drop ----------------------------------------------------------------

INT_S32 WM_BUTTON::drag_step(INT_S16 px, INT_S16 py, INT_U8 over, INT_U8 left, INT_U8 right) {
  // The drag callback may delete the button (a drop that consumes its source):
  // the step ends there. The caller makes this call through wm_call_survives.
  const bool by_right = right_button_drags != 0;
  const bool held = left || (by_right && right);
  const bool running = drag_x != -1 && drag_y != -1;

  // Start: remember where the pointer took hold of the button.
  if (over && ((left && !was_left_down) || (by_right && right && !was_right_down))) {
    drag_x = px;
    drag_y = py;
    grab_dx = static_cast<INT_S16>(x - px);
    grab_dy = static_cast<INT_S16>(y - py);
    drag_shown = 0;
    show();
    return 0;
  }

  if (held && running && (px != drag_x || py != drag_y)) {
    const INT_S16 ox = static_cast<INT_S16>(drag_x + grab_dx);
    const INT_S16 oy = static_cast<INT_S16>(drag_y + grab_dy);
    invalidate_rect(ox, oy, static_cast<INT_S16>(ox + width - 1),
                    static_cast<INT_S16>(oy + height - 1));
    drag_x = px;
    drag_y = py;
    INT_S32 result = 0;
    if (!drag_shown) {
      add_popup(this, 0);
      drag_shown = 1;
      if ((drag_events & DRAG_EVENT_START) && !wm_call_survives(this, [&] {
            result = drag_callback(this, page_object_at(px, py), px, py, DRAG_EVENT_START,
                                   drag_arg1, drag_arg2);
          }))
        return result;
    }
    show();
    return result;
  }

  if (!held && running) {
    show();
    remove_popup(this, 0, 0);
    INT_S32 result = 0;
    WM_SCREEN_OBJECT* target = page_object_at(px, py);
    INT_U32 event = DRAG_EVENT_CANCEL;
    if (px != x - grab_dx || py != y - grab_dy) {
      event = target == this ? DRAG_EVENT_DROP_SELF : DRAG_EVENT_DROP;
      armed = 0;
    }
    if ((drag_events & event) && !wm_call_survives(this, [&] {
          result = drag_callback(this, target, px, py, static_cast<INT_S32>(event), drag_arg1,
                                 drag_arg2);
        }))
      return result;
    drag_x = drag_y = -1;
    drag_shown = 0;
    return result;
  }
  return 0;
}

// ---- idle click -------------------------------------------------------------------------

// One step of the idle click; true when it acted and the pass ends.
bool WM_BUTTON::idle_click_step() {
  PAGE_MANAGER* pm = wm_page_manager;
  if (!pm) return false;
  const INT_U32 now = wm_frame_ms;

  if (!wm_idle_click_button) {
    if (wm_idle_click_time == 0 ||
        static_cast<INT_U32>(get_last_input_time()) == wall_seconds()) {
      wm_idle_click_time = now;
      return false;
    }
    if (idle_chance && later_than(now, wm_idle_click_time, wm_idle_click_delay) && enabled &&
        get_random_below(idle_chance) == 0) {
      wm_idle_click_button = this;
      wm_idle_click_time = now;
      set_simulated_pointer(pm, static_cast<INT_S16>(x + width / 2),
                            static_cast<INT_S16>(y + height / 2), 1);
      return true;
    }
    return false;
  }

  if (!later_than(now, wm_idle_click_time, wm_idle_click_step)) return false;
  if (!simulated_pointer_set(pm)) {
    wm_idle_click_button = nullptr;
    return false;
  }
  if (pm->pointer_override_button) {
    WM_BUTTON* b = wm_idle_click_button;
    set_simulated_pointer(pm, static_cast<INT_S16>(b->x + b->width / 2),
                          static_cast<INT_S16>(b->y + b->height / 2), 0);
    wm_idle_click_time = now;
  } else {
    set_simulated_pointer(pm, -1, -1, 0);
    wm_idle_click_time = 0;
    wm_idle_click_button = nullptr;
  }
  return true;
}
