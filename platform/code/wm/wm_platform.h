// The window manager's view of the platform layer, in one place: clock,
// input state, screen image, presentation, cursors, fatal errors.
#ifndef WM_PLATFORM_H
#define WM_PLATFORM_H

#include "zorv_types.h"

class IMAGE;

INT_U32 wm_clock_ms();
INT_U8 wm_key_is_down(INT_S32 keycode);
INT_S32 wm_last_key();
INT_S32 wm_take_key();
INT_S16 wm_pointer_x();
INT_S16 wm_pointer_y();
void wm_set_pointer(INT_S16 px, INT_S16 py);
INT_U32 wm_button_mask();
void wm_button_event(INT_U16 button, INT_U8 pressed);
void wm_stamp_mouse_time();
void wm_resize_key_queue(INT_S32 size);

IMAGE* wm_screen_image(INT_U16 display);
INT_U16 wm_screen_width(INT_U16 display);
INT_U16 wm_screen_height(INT_U16 display);
INT_U8 wm_window_open(INT_U16 display);
void wm_present_all();
// Whether a frame drawn now is shown without a later frame's help (see
// frame_goes_out_now), through the seam when a test set it.
INT_U8 wm_present_goes_out();
INT_U32 wm_idle_wait();
// Hands the platform the drawer of what the window manager left undrawn.
void wm_set_deferred_frame_drawer(void (*drawer)());
INT_U8 wm_platform_set_cursor(INT_U8 kind, INT_U8 defer);

INT_U32 wm_unique_stamp();
[[noreturn]] void wm_fatal(INT_U32 code);
void wm_install_shutdown_hook(void (*hook)());

#endif
