// Per-frame tick and input dispatch of the screen objects.
#include "wm_globals.h"
#include "wm_internal.h"
#include "wm_platform.h"
#include "wm_screen_object.h"
#include "input.h"

namespace {

// Periods of the eight flash square waves, bit 0 first.
const INT_U32 kFlashPeriods[8] = {50, 125, 250, 500, 1000, 2000, 4000, 8000};

// The button that drives the base click: library button 2, the right one.
// Widgets take the left button for their own clicks.
const INT_U32 kClickButtonBit = 1u << 1;

}  // namespace

INT_U8 wm_compute_flash_phase(INT_U32 ms) {
  INT_U8 phase = 0;
  for (int n = 0; n < 8; ++n)
    if ((ms / kFlashPeriods[n]) & 1u) phase |= static_cast<INT_U8>(1u << n);
  return phase;
}

INT_S32 WM_SCREEN_OBJECT::update(INT_U8 popups) {
  const INT_U8 armed_on_entry = wm_tick_armed;
  if (wm_tick_armed) {
    wm_tick_armed = 0;
    wm_frame_ms = wm_clock_ms();
    wm_flash_phase = wm_compute_flash_phase(wm_frame_ms);
  }
  INT_S32 result = 0;
  if (popups) {
    // Lowest first. A tick may delete pop-ups further up (a closing dialog
    // takes its buttons' hints with it): those are skipped, not followed.
    WM_SNAPSHOT pops(wm_popup_list, false);
    for (size_t i = 0; i < pops.size(); ++i) {
      if (!pops.still_listed(i)) continue;
      WM_SCREEN_OBJECT* p = pops.at(i);
      bool pop_lives = true;
      if (!wm_call_survives(this, [&] {
            pop_lives = wm_call_survives(p, [&] { result = p->update(0); });
          }))
        break;
      if (result == WM_ACTION_DELETE) {
        // One that deleted itself is gone already, and its address may
        // since have been given to a new pop-up.
        if (pop_lives) remove_popup(p, 1, 0);
        result = 0;
        continue;
      }
      if (result) break;
    }
  } else if (visible) {
    // A child's tick may delete this object (its parent): the walk ends there.
    WM_SNAPSHOT kids(children, false);
    for (size_t i = 0; i < kids.size(); ++i) {
      if (!kids.still_listed(i)) continue;
      WM_SCREEN_OBJECT* c = kids.at(i);
      if (!wm_call_survives(this, [&] { result = c->update(0); }) || result) break;
    }
  }
  wm_tick_armed = armed_on_entry;
  return result;
}

INT_S32 WM_SCREEN_OBJECT::handle_input() {
  if (wm_focus_object == this) wm_focus_changed = 1;

  if (wm_popup_pass_armed && wm_popup_list.head) {
    if (WM_SCREEN_OBJECT* p = find_popup(0)) {
      wm_popup_pass_armed = 0;
      if (p->layer >= 0) p->set_layer(static_cast<INT_S16>(-2 - layer));
      INT_S32 result = 0;
      bool pop_lives = true;
      const bool lives = wm_call_survives(this, [&] {
        pop_lives = wm_call_survives(p, [&] { result = p->handle_input(); });
      });
      wm_popup_pass_armed = 1;
      if (result == WM_ACTION_DELETE) {
        // One that deleted itself is gone already, and its address may
        // since have been given to a new pop-up.
        if (pop_lives && lives) remove_popup(p, 1, 0);
        return 0;
      }
      return result;
    }
  }

  if (!visible) return 0;
  {
    // A child's callback may delete this object (its parent): then the walk
    // and the object's own click end there.
    WM_SNAPSHOT kids(children, false);
    for (size_t i = 0; i < kids.size(); ++i) {
      if (!kids.still_listed(i)) continue;
      WM_SCREEN_OBJECT* c = kids.at(i);
      INT_S32 result = 0;
      if (!wm_call_survives(this, [&] { result = c->handle_input(); }) || result) return result;
    }
  }
  if (!click_callback) return 0;
  return own_click();
}

INT_S32 WM_SCREEN_OBJECT::own_click() {
  INT_U8 pressed = (wm_button_mask() & kClickButtonBit) ? 1 : 0;
  INT_S16 px = wm_pointer_x();
  INT_S16 py = wm_pointer_y();
  const INT_U8 key = wm_key_is_down(static_cast<INT_S32>(wm_activate_key)) ? 1 : 0;

  if (wm_focus_object == this && (key || activate_key_state) &&
      (wm_key_is_down(KEYCODE_CONTROL_LEFT) || wm_key_is_down(KEYCODE_CONTROL_RIGHT))) {
    pressed = key;
    px = static_cast<INT_S16>(x + width / 2);
    py = static_cast<INT_S16>(y + height / 2);
  }
  activate_key_state = key;
  // Nothing of the object is touched after its callback.
  const auto click = [this] {
    INT_S32 result = 0;
    wm_call_survives(this, [&] { result = click_callback(this, click_arg1, click_arg2); });
    return result;
  };

  if (pressed) {
    if (wm_pressed_object) return 0;
    if (!is_over(px, py)) return 0;
    wm_pressed_object = this;
    if (!wm_call_survives(this, [&] { take_focus(); })) return WM_ACTION_HANDLED;
    if (click_mode == CLICK_ON_PRESS || click_mode == CLICK_ON_BOTH) return click();
    return 0;
  }
  if (wm_pressed_object != this) return 0;
  wm_pressed_object = nullptr;
  if (!is_over(px, py)) return 0;
  if (click_mode == CLICK_ON_RELEASE || click_mode == CLICK_ON_BOTH) return click();
  return 0;
}
