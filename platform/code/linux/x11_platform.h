// State shared by the platform layer's X11 modules (display, window, pump,
// input, clipboard, cursors, GL). Not a public header.
#ifndef ZORV_X11_PLATFORM_H
#define ZORV_X11_PLATFORM_H

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/xf86vmode.h>

#include "zorv_types.h"

struct X11_PLATFORM {
  Display* display;
  Window window;
  // Interned (made when missing) when the display opens.
  Atom clipboard, text, compound_text, utf8_string, targets;
  // Desktop video mode, read when the server has the video-mode extension.
  INT_U8 has_vidmode;
  INT_U8 has_desktop_mode;
  XF86VidModeModeInfo desktop_mode;
  INT_U8 full_screen;         // the video mode was switched
  INT_U8 decoration_hints;    // the undecorated hints were put on the window
  INT_S16 desktop_width, desktop_height;
  INT_S16 border_width, border_height, title_height;
  GC gc;
  XImage* ximage;
  INT_U16 red_shift, green_shift, blue_shift, red_loss, green_loss, blue_loss;
  Cursor blank_cursor;
  Pixmap blank_bitmap;
  // OpenGL presentation.
  void* gl_context;           // GLXContext
  XVisualInfo* gl_visual;
  INT_U8 gl_force_present;
  INT_U32* gl_buffer;
  INT_S32 gl_buffer_width, gl_buffer_height;
  int glx_opcode;             // major opcode of GLX on this server; 0 = none
  // The window held the input focus when the key map was read (the keys
  // count only then); worked out with the key map, once a frame.
  INT_U8 key_map_focused;
  // The window holds the keyboard grab: keys come here whatever the focus.
  INT_U8 keyboard_grabbed;
  // Where keys go, followed through focus and crossing events rather than
  // asked each frame: the window has the focus itself; the focus is
  // PointerRoot (keys go to the window under the pointer); the pointer is in
  // the window.
  INT_U8 window_focused;
  INT_U8 focus_pointer_root;
  INT_U8 pointer_inside;
  // The request that asked for the focus when the window was made: root
  // focus events from before it are older than its answer.
  unsigned long focus_query_serial;
  // Presentation at the frame pace: when the last frame went out, and a
  // frame asked for within the interval that waits for its turn.
  INT_U64 last_present_us;
  INT_U8 present_pending;
  // Set while work that blocks at once asks for what waits to be drawn.
  INT_U8 blocking_work;
  // The frame running answers an edge that followed another closely (a tap's
  // release behind its press): what it draws goes out when it ends, not at
  // the pace; the pumps inside it do not wait for the turn.
  INT_U8 edge_frame;
  // When the key map was last read.
  INT_U64 last_key_map_us;
};

extern X11_PLATFORM x11;
// The window show_please_wait opened last (read by signal handlers).
extern volatile Window please_wait_window;

// What a window request leaves unset, and the frame allowed for around a
// decorated window: its borders and its title bar.
const INT_U16 kNoLimit = 65535;
const int kFrameBorder = 5;
const int kFrameTitle = 25;

// At most one frame, and one key map read without a key event, per 16 ms: a
// fixed interval near a common refresh, not the display's own.
const INT_U64 kFixedFrameIntervalUs = 16000;
// Monotonic microseconds for the pacing; tests may replace the source
// (null = the real clock).
extern INT_U64 (*pace_clock_source)();
INT_U64 pace_clock_us();
// Whether a frame may go out at `now`.
bool present_is_due(INT_U64 now);
// The pump's wait on the X connection for at most the given microseconds;
// tests may replace it (null = select on the connection).
extern void (*pump_wait_source)(INT_U64 us);

// Window-manager protocol atoms, interned on first use.
Atom wm_protocols_atom();
Atom wm_delete_window_atom();

// X error handling (the program entry installs it; the GL context creation
// makes sure it is in place).
int handle_x_error(Display* display, XErrorEvent* error);
void install_x_error_handler();
void restore_x_error_handler();

class IMAGE;
IMAGE* platform_screen_image();

// Presentation through the shared-memory extension where the server offers
// it; tests clear it before a window opens to take the plain path.
extern INT_U8 x11_shared_memory_allowed;
// "segment" (the screen pixels live in a shared segment), "shared"
// (converted into one), "borrowed" (the screen pixels themselves), "copied"
// or "none".
const char* x11_presentation_kind();

// Event dispatch of the frame pump.
bool handle_window_event(XEvent* event);
Bool accept_any_event(Display* display, XEvent* event, XPointer arg);
// The clipboard's share of the event dispatch.
void handle_selection_clear(XSelectionClearEvent* event);
void handle_selection_request(XSelectionRequestEvent* event);
// Focus tracking of a new window: starts following the root window's focus
// and asks for the focus once; stopped when the window closes.
void start_focus_tracking();
void stop_focus_tracking();
// Grabs of a full-screen window.
void grab_input();
void release_input();
// Reads the server's keyboard mapping into the keycode translation.
void load_keycode_map(Display* display);
// Frees the cursors and forgets them (the display is going away).
void forget_cursors();

#endif
