// The window manager's calls into the platform layer and the core services.
#include <ctime>

#include "wm_platform.h"

#include "app.h"
#include "clipboard.h"
#include "clock.h"
#include "errors.h"
#include "input.h"
#include "utilities.h"
#include "window.h"
#include "wm_globals.h"

INT_U32 (*wm_key_down_source)(INT_S32 keycode) = nullptr;
INT_U8 (*wm_set_cursor_source)(INT_U8 kind, INT_U8 defer) = nullptr;
INT_U8 (*wm_present_goes_out_source)() = nullptr;

INT_U32 wm_clock_ms() { return get_time_ms(); }

INT_U8 wm_key_is_down(INT_S32 keycode) {
  if (wm_key_down_source) return wm_key_down_source(keycode) ? 1 : 0;
  return KEYBOARD::is_key_down(keycode) ? 1 : 0;
}

INT_S32 wm_last_key() { return keyboard_state.last_keycode; }
INT_S32 wm_take_key() { return KEYBOARD::take_key(); }
INT_S16 wm_pointer_x() { return mouse_state.x; }
INT_S16 wm_pointer_y() { return mouse_state.y; }

void wm_set_pointer(INT_S16 px, INT_S16 py) {
  mouse_state.x = px;
  mouse_state.y = py;
}

INT_U32 wm_button_mask() { return mouse_state.buttons; }
void wm_button_event(INT_U16 button, INT_U8 pressed) { MOUSE::button_event(button, pressed); }
void wm_stamp_mouse_time() { mouse_state.last_mouse_time = static_cast<INT_U32>(time(nullptr)); }
void wm_resize_key_queue(INT_S32 size) { KEYBOARD::resize_queue(size); }

IMAGE* wm_screen_image(INT_U16 display) { return get_screen_image(display); }
INT_U16 wm_screen_width(INT_U16 display) { return get_screen_width(display); }
INT_U16 wm_screen_height(INT_U16 display) { return get_screen_height(display); }
INT_U8 wm_window_open(INT_U16 display) { return is_window_open(display) ? 1 : 0; }
void wm_present_all() { swap_screens(-1); }
INT_U8 wm_present_goes_out() {
  if (wm_present_goes_out_source) return wm_present_goes_out_source();
  return frame_goes_out_now() ? 1 : 0;
}
INT_U32 wm_idle_wait() { return get_idle_wait(); }
void wm_set_deferred_frame_drawer(void (*drawer)()) { deferred_frame_drawer = drawer; }
INT_U8 wm_platform_set_cursor(INT_U8 kind, INT_U8 defer) {
  if (wm_set_cursor_source) return wm_set_cursor_source(kind, defer) ? 1 : 0;
  return set_cursor(kind, defer) ? 1 : 0;
}

INT_U32 wm_unique_stamp() { return get_unique_time_stamp(); }
void wm_fatal(INT_U32 code) { report_fatal_error(code, nullptr); }
void wm_install_shutdown_hook(void (*hook)()) { platform_shutdown_hook = hook; }
