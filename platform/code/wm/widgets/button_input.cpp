// The push button: the input pass and the pointer shape.
#include "../wm_platform.h"
#include "page_manager.h"
#include "wm_button.h"
#include "wm_globals.h"
#include "../wm_internal.h"
#include "widget_shared.h"

namespace {

enum : INT_U8 { kPointerArrow = 1, kPointerPressed = 2, kPointerDraggable = 3, kPointerDragging = 4 };

bool is_set(COLOUR c) { return (c >> 24) != 0; }

// Milliseconds from `since` to `now` exceed `period` (wraps with the clock).
bool later_than(INT_U32 now, INT_U32 since, INT_U32 period) { return now - since > period; }

bool cursor_available(INT_U8 kind) { return wm_platform_set_cursor(kind, 1) != 0; }

}  // namespace

INT_S32 WM_BUTTON::handle_input() {
  const INT_U32 now = wm_frame_ms;

  // 1. Pointer.
  const INT_S16 px = wm_pointer_x(), py = wm_pointer_y();
  const INT_U32 mask = wm_button_mask();
  INT_U8 left = (mask & 1u) ? 1 : 0;
  INT_U8 right = (mask & 2u) ? 1 : 0;
  INT_U8 over = is_over(px, py);
  bool entry = press_mode == BUTTON_PRESS_ON_ENTRY;

  // 2. Keys stand in for the pointer: the focus key (alone, unlike the base
  // class) when focused or the default button, else the shortcut key.
  const INT_U8 activate = wm_key_is_down(static_cast<INT_S32>(wm_activate_key));
  const INT_U8 shortcut =
      shortcut_key && wm_key_is_down(static_cast<INT_S32>(shortcut_key)) ? 1 : 0;
  enum { NONE, PRESS, RELEASE } simulated = NONE;
  if ((wm_focus_object == this || default_button) && activate)
    simulated = PRESS;
  else if ((wm_focus_object == this || default_button) && was_activate_key_down)
    simulated = RELEASE;
  else if (shortcut)
    simulated = PRESS;
  else if (was_shortcut_key_down)
    simulated = RELEASE;
  if (simulated != NONE) {
    over = 1;
    left = simulated == PRESS ? 1 : 0;
    right = 0;
    entry = false;
  }
  was_activate_key_down = activate;
  was_shortcut_key_down = shortcut;

  // 3. Idle click.
  if (wm_idle_click_delay && idle_click_step()) return WM_ACTION_HANDLED;

  // 4. Entry presses: entering is a press, leaving a release.
  if (entry) {
    if (!left) {
      if (pressed != over) show();
      pressed = over;
      left = over;
    } else if (over) {
      return WM_ACTION_NONE;
    } else {
      left = 0;
      if (pressed) show();
      pressed = 0;
    }
  }

  // 5. Pop-ups, children and the base click. From here on callbacks may
  // delete the button (or its grid row, or its grid): nothing of it is
  // touched after that.
  INT_S32 result = 0;
  if (!wm_call_survives(this, [&] { result = WM_SCREEN_OBJECT::handle_input(); }) || result ||
      !visible)
    return result;

  // 6, 7. Drag and drop, hint.
  if (drag_callback) {
    if (!wm_call_survives(this, [&] { result = drag_step(px, py, over, left, right); }) || result)
      return result;
  }
  if (hint) hint_step(px, py, left);

  // 8. The owner's state.
  if (state_callback) {
    INT_U8 s = 0;
    if (!wm_call_survives(this, [&] { s = state_callback(this, state_callback_arg); }))
      return WM_ACTION_NONE;
    if (s != state) {
      state = s;
      show();
    }
  }

  // 9. A disabled button still follows the pointer button, so that a press
  // it saw never turns into a release once it is enabled again.
  if (!enabled) {
    was_left_down = left;
    was_right_down = right;
    armed = 0;
    repeating = 0;
    return WM_ACTION_NONE;
  }

  // 10, 11. Hover and the pressed look that follows the pointer.
  if ((state_skins[BUTTON_SKIN_OVER].is_valid() || is_set(mouse_over_colour) ||
       is_set(mouse_over_text_colour) || over_icon.width) &&
      hover != over) {
    hover = over;
    show();
  }
  if (press_mode == BUTTON_PRESS_FOLLOWS_POINTER && pressed != over) {
    pressed = over;
    show();
  }

  // 12. Events.
  INT_U8 event = 0;
  if ((entry || over) && left != was_left_down) {
    if (left) {
      armed = 1;
      repeating = 0;
      press_time = now;
      // A focus callback may delete the button.
      if (!wm_call_survives(this, [&] { take_focus(); })) return WM_ACTION_HANDLED;
      event = BUTTON_EVENT_PRESS;
    } else if (armed || always_armed) {
      armed = 0;
      press_time = 0;
      if (!repeating) event = BUTTON_EVENT_RELEASE;  // a repeat already answered the press
      repeating = 0;
    }
  }
  if ((click_events & BUTTON_EVENT_RELEASE_OUTSIDE) && !over && was_left_down && !left && armed) {
    armed = 0;
    event = BUTTON_EVENT_RELEASE_OUTSIDE;
  }
  if ((click_events & BUTTON_EVENT_REPEAT) && (left || entry) && over && (armed || always_armed) &&
      later_than(now, press_time, repeating ? wm_repeat_interval : wm_repeat_delay)) {
    repeating = 1;
    press_time = now;
    event = BUTTON_EVENT_REPEAT;
  }

  // 13. The callback.
  if (event) {
    if (press_mode == BUTTON_PRESS_NORMAL) pressed = left;
    if (event & click_events) {
      released =
          (event == BUTTON_EVENT_RELEASE || event == BUTTON_EVENT_RELEASE_OUTSIDE) ? 1 : 0;
      widgets::play_click_sound();
      bool lives = true;
      if (action_callback)
        lives = wm_call_survives(
            this, [&] { result = action_callback(this, action_arg1, action_arg2); });
      if (result == WM_ACTION_NONE) result = WM_ACTION_HANDLED;
      if (!lives) return result;
      released = 0;
    }
    if (state_callback) {
      INT_U8 s = 0;
      if (!wm_call_survives(this, [&] { s = state_callback(this, state_callback_arg); }))
        return result ? result : WM_ACTION_HANDLED;
      state = s;
    }
    if (visible) show();
  }

  // 14. A normal button lets go of its pressed look with the pointer button.
  if (press_mode == BUTTON_PRESS_NORMAL && !left && pressed) {
    pressed = 0;
    armed = 0;
    if (visible) show();
  }

  // 15, 16.
  set_pointer_shape(over, left, right);
  was_left_down = left;
  was_right_down = right;
  if (!left) armed = 0;
  return result;
}

void WM_BUTTON::set_pointer_shape(INT_U8 over, INT_U8 left, INT_U8 right) {
  INT_U8 kind;
  if (drag_x != -1 && drag_y != -1) {
    kind = cursor_available(kPointerDragging) ? kPointerDragging : kPointerDraggable;
  } else if (over) {
    if ((left || right || pressed) && cursor_available(kPointerPressed))
      kind = kPointerPressed;
    else if (drag_callback && cursor_available(kPointerDraggable))
      kind = kPointerDraggable;
    else
      kind = kPointerArrow;
  } else {
    return;
  }
  if (wm_page_manager) wm_page_manager->set_cursor_shape(kind);
}
