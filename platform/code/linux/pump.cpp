// The frame pump: application events, X events into the input state, the
// idle wait and the key map.
#include <sys/select.h>

#include <ctime>

#include "app.h"
#include "clock.h"
#include "events.h"
#include "image.h"
#include "input.h"
#include "sound.h"
#include "window.h"
#include "x11_platform.h"

Atom wm_protocols_atom() {
  static Display* owner = nullptr;
  static Atom atom = None;
  if (owner != x11.display) {
    owner = x11.display;
    atom = x11.display ? XInternAtom(x11.display, "WM_PROTOCOLS", False) : None;
  }
  return atom;
}

Atom wm_delete_window_atom() {
  static Display* owner = nullptr;
  static Atom atom = None;
  if (owner != x11.display) {
    owner = x11.display;
    atom = x11.display ? XInternAtom(x11.display, "WM_DELETE_WINDOW", False) : None;
  }
  return atom;
}

Bool accept_any_event(Display*, XEvent*, XPointer) { return True; }

static INT_U32 now_seconds() { return static_cast<INT_U32>(time(nullptr)); }

// X buttons 1, 2, 3 are the library's left, middle and right: 1, 3, 2.
static INT_U16 library_button(unsigned x_button) {
  switch (x_button) {
    case 1: return 1;
    case 2: return 3;
    case 3: return 2;
    default: return 0;
  }
}

bool handle_window_event(XEvent* event) {
  if (event->type == MappingNotify) {
    // The keyboard changed: keep the keycode translation in step with it.
    XRefreshKeyboardMapping(&event->xmapping);
    if (event->xmapping.request == MappingKeyboard && x11.display) load_keycode_map(x11.display);
    return false;
  }
  if (event->xany.window == 0 || event->type > 33) return false;
  MOUSE_STATE& m = mouse_state;
  switch (event->type) {
    case KeyPress: {
      XKeyEvent key = event->xkey;
      key.state &= ~static_cast<unsigned>(ControlMask);
      char text[1] = {0};
      KeySym sym = NoSymbol;
      int n = XLookupString(&key, text, 1, &sym, nullptr);
      INT_U8 c = n > 0 ? static_cast<INT_U8>(text[0]) : 0;
      if (c == 13) c = 10;
      KEYBOARD::key_down(classic_from_server_keycode(event->xkey.keycode));
      KEYBOARD::char_event(c);
      return true;
    }
    case ButtonPress: {
      m.x = static_cast<INT_S16>(event->xbutton.x);
      m.y = static_cast<INT_S16>(event->xbutton.y);
      m.last_mouse_time = now_seconds();
      unsigned b = event->xbutton.button;
      if (b == 4) ++m.wheel;
      else if (b == 5) --m.wheel;
      else if (INT_U16 lb = library_button(b)) MOUSE::button_event(lb, 1);
      return true;
    }
    case ButtonRelease: {
      m.x = static_cast<INT_S16>(event->xbutton.x);
      m.y = static_cast<INT_S16>(event->xbutton.y);
      m.last_mouse_time = now_seconds();
      if (INT_U16 lb = library_button(event->xbutton.button)) MOUSE::button_event(lb, 0);
      return false;
    }
    case MotionNotify: {
      int x = event->xmotion.x, y = event->xmotion.y;
      if (x >= 0 && y >= 0 && x < get_screen_width(0) && y < get_screen_height(0)) {
        m.x = static_cast<INT_S16>(x);
        m.y = static_cast<INT_S16>(y);
        m.last_mouse_time = now_seconds();
      } else {
        m.x = -1;
        m.y = -1;
        m.buttons = 0;
      }
      return true;
    }
    case FocusIn:
    case FocusOut:
      // Our own grabs and ungrabs move the focus too (modes NotifyGrab and
      // NotifyUngrab): answering those with more grabs would never end.
      if (event->xfocus.mode == NotifyGrab || event->xfocus.mode == NotifyUngrab) return false;
      if (event->xfocus.display == x11.display && event->xfocus.window == x11.window && x11.full_screen) {
        if (event->type == FocusIn) grab_input();
        else release_input();
      }
      return false;
    case Expose: {
      const XExposeEvent& e = event->xexpose;
      IMAGE* screen = platform_screen_image();
      if (!screen->pixels) return true;  // a late exposure of a window already closed
      screen->add_dirty_rect(static_cast<INT_S16>(e.x), static_cast<INT_S16>(e.y),
                                              static_cast<INT_S16>(e.x + e.width - 1),
                                              static_cast<INT_S16>(e.y + e.height - 1));
      return true;
    }
    case SelectionClear:
      handle_selection_clear(&event->xselectionclear);
      return false;
    case SelectionRequest:
      handle_selection_request(&event->xselectionrequest);
      return false;
    case ClientMessage:
      if (event->xclient.message_type == wm_protocols_atom() &&
          static_cast<Atom>(event->xclient.data.l[0]) == wm_delete_window_atom()) {
        ask_may_quit();
        if (x11.window) XRaiseWindow(x11.display, x11.window);
      }
      return false;
    default:
      return false;
  }
}

// Whether the keys held now are typed into our window. Without a window
// manager nobody gives it the focus: with focus PointerRoot the keys go to
// the window under the pointer, and a keyboard grab brings them here
// whatever the focus. With focus None the server drops them.
static INT_U8 keys_come_here(Window focus) {
  if (focus == x11.window || x11.keyboard_grabbed) return 1;
  if (focus != PointerRoot) return 0;
  Window root = 0, child = 0;
  int root_x = 0, root_y = 0, x = 0, y = 0;
  unsigned mask = 0;
  if (!XQueryPointer(x11.display, x11.window, &root, &child, &root_x, &root_y, &x, &y, &mask))
    return 0;  // the pointer is on another screen
  return x >= 0 && y >= 0 && x < get_screen_width(0) && y < get_screen_height(0);
}

void update_platform() {
  dispatch_events();
  if (!x11.display || !x11.window) {
    update_sound();
    return;
  }
  XEvent event;
  while (x11.display && XCheckIfEvent(x11.display, &event, accept_any_event, nullptr)) handle_window_event(&event);
  if (!x11.display || !x11.window) {
    update_sound();
    return;
  }
  INT_U32 wait = get_idle_wait();
  if (wait != 0 && frame_activity == 0 && XEventsQueued(x11.display, QueuedAlready) == 0) {
    int fd = ConnectionNumber(x11.display);
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(fd, &readable);
    timeval timeout = {static_cast<time_t>(wait / 1000), static_cast<suseconds_t>((wait % 1000) * 1000)};
    select(fd + 1, &readable, nullptr, nullptr, &timeout);
  }
  char server_map[32];
  XQueryKeymap(x11.display, server_map);
  translate_key_map(server_map, key_map);
  Window focus = 0;
  int revert = 0;
  XGetInputFocus(x11.display, &focus, &revert);
  x11.key_map_focused = keys_come_here(focus);
  frame_activity = 0;
  update_sound();
}
