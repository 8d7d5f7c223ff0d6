// Pointer shapes over the window, hiding and warping the pointer.
#include <X11/cursorfont.h>

#include <ctime>

#include "clipboard.h"
#include "clock.h"
#include "input.h"
#include "x11_platform.h"

static INT_U8 current_cursor_kind = 0;
static INT_U8 pointer_hidden = 0;
static Cursor font_cursors[7];
// What the window shows: None is its default pointer. Widgets ask for their
// shape every frame; only a change is sent, and only a change is something
// new to see, which keeps the frame after it from resting.
static Window shape_window = 0;
static Cursor shown_shape = None;

// X cursor font shapes of kinds 1 to 6. Kind 4 (a dragged object) shows the
// four-way move arrows.
static const unsigned cursor_shapes[7] = {0, XC_hand2, XC_hand1, XC_sizing, XC_fleur, XC_xterm, XC_watch};

void forget_cursors() {
  for (Cursor& c : font_cursors) {
    if (c && x11.display) XFreeCursor(x11.display, c);
    c = 0;
  }
  shape_window = 0;
  shown_shape = None;
}

// Puts `shape` on the window unless it shows it already; true when it changed.
static bool show_shape(Cursor shape) {
  if (shape_window == x11.window && shown_shape == shape) return false;
  if (shape == None) XUndefineCursor(x11.display, x11.window);
  else XDefineCursor(x11.display, x11.window, shape);
  shape_window = x11.window;
  shown_shape = shape;
  frame_activity = 1;
  return true;
}

bool set_cursor(INT_U8 kind, INT_U8 defer) {
  if (kind > 6 && kind != 255) return false;
  if (kind != 255 && !x11.window) return false;
  if (kind == 0) {
    current_cursor_kind = 0;
    if (!pointer_hidden && show_shape(None)) update_platform();
    return true;
  }
  if (kind == 255) {
    current_cursor_kind = 0;
    if (x11.window && !pointer_hidden && show_shape(None)) update_platform();
    forget_cursors();
    return true;
  }
  current_cursor_kind = kind;
  if (!font_cursors[kind]) {
    font_cursors[kind] = XCreateFontCursor(x11.display, cursor_shapes[kind]);
    if (!font_cursors[kind]) return false;
  }
  if (!defer && !pointer_hidden && show_shape(font_cursors[kind])) update_platform();
  return true;
}

bool show_cursor(MOUSE*, INT_U8 show) {
  if (!x11.window) return false;
  if ((show != 0) == !pointer_hidden) return true;
  if (show) {
    pointer_hidden = 0;
    set_cursor(current_cursor_kind, 0);
  } else {
    pointer_hidden = 1;
    show_shape(x11.blank_cursor);
    XFlush(x11.display);
  }
  return true;
}

void warp_pointer(MOUSE*, INT_S16 x, INT_S16 y) {
  if (x11.display && x11.window) XWarpPointer(x11.display, None, x11.window, 0, 0, 0, 0, x, y);
  mouse_state.x = x;
  mouse_state.y = y;
  mouse_state.last_mouse_time = static_cast<INT_U32>(time(nullptr));
  frame_activity = 1;
}
