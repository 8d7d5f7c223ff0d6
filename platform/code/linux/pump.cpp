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

// The character a key press types, Ctrl taken away (Ctrl+A types "a"); 0
// for none, and Return types a line feed like keypad Enter.
static INT_U8 typed_char(const XKeyEvent& event, KeySym* sym) {
  XKeyEvent key = event;
  key.state &= ~static_cast<unsigned>(ControlMask);
  char text[1] = {0};
  const int n = XLookupString(&key, text, 1, sym, nullptr);
  const INT_U8 c = n > 0 ? static_cast<INT_U8>(text[0]) : 0;
  return c == 13 ? 10 : c;
}

static Window root_window() { return RootWindow(x11.display, DefaultScreen(x11.display)); }

void start_focus_tracking() {
  // Only root windows hear that the focus became PointerRoot or stopped
  // being it; the window itself hears only of its own focus.
  XSelectInput(x11.display, root_window(), FocusChangeMask);
  // The pointer's crossings into the new window are on their way.
  x11.pointer_inside = 0;
  x11.focus_query_serial = NextRequest(x11.display);
  Window focus = None;
  int revert = 0;
  XGetInputFocus(x11.display, &focus, &revert);
  x11.focus_pointer_root = focus == PointerRoot;
  x11.window_focused = x11.window && focus == x11.window;
}

void stop_focus_tracking() {
  if (x11.display) XSelectInput(x11.display, root_window(), NoEventMask);
  x11.window_focused = 0;
  x11.focus_pointer_root = 0;
  x11.pointer_inside = 0;
}

// Grab and ungrab modes tell of keyboard grabs, which leave the focus where
// it was; our own grab is recorded apart.
static void follow_focus(const XFocusChangeEvent& e) {
  if (e.mode == NotifyGrab || e.mode == NotifyUngrab || e.display != x11.display) return;
  const INT_U8 in = e.type == FocusIn;
  if (e.window == x11.window) {
    // NotifyPointer: the focus is PointerRoot and the pointer is here, which
    // the root's events and the crossings already tell.
    if (e.detail != NotifyPointer) x11.window_focused = in;
  } else if (e.window == root_window() && e.serial >= x11.focus_query_serial) {
    if (e.detail == NotifyPointerRoot) x11.focus_pointer_root = in;
    else if (e.detail == NotifyDetailNone && in) x11.focus_pointer_root = 0;
  }
}

// Crossings of a grab's start are reported as if the pointer moved to the
// grab window, which it did not; those of its end tell where it really is.
static void follow_pointer(const XCrossingEvent& e) {
  if (e.window != x11.window || e.mode == NotifyGrab) return;
  // Into a child window is still inside ours.
  x11.pointer_inside = e.type == EnterNotify || e.detail == NotifyInferior;
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
      KeySym sym = NoSymbol;
      const INT_U8 c = typed_char(event->xkey, &sym);
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
    case EnterNotify:
    case LeaveNotify:
      follow_pointer(event->xcrossing);
      return false;
    case FocusIn:
    case FocusOut:
      follow_focus(event->xfocus);
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
static INT_U8 keys_come_here() {
  return x11.keyboard_grabbed || x11.window_focused || (x11.focus_pointer_root && x11.pointer_inside);
}

// A person's input (the window manager's close request is a click on its
// frame), or a part of the window to repaint: the frame that takes it in
// answers it without waiting.
static bool answers_at_once(int type) {
  switch (type) {
    case ClientMessage:
    case KeyPress:
    case KeyRelease:
    case ButtonPress:
    case ButtonRelease:
    case EnterNotify:
    case LeaveNotify:
    case Expose:
      return true;
    default:
      return false;
  }
}

// How an event meets the widgets, which look at the input state once a
// frame. A button's press or release, or a key that acts by its code
// (arrows, Home, Delete, Return, Tab ...), is an edge: widgets see it only
// by comparing the state with the frame before, or by the one last key code.
// Each edge gets a frame of its own, so that a click whose press and release
// arrive together is still a click, and a key code is never overwritten or
// acted on ahead of characters typed before it. Characters queue in order.
enum INPUT_STEP { STEP_OTHER, STEP_CHARACTER, STEP_EDGE };

static INPUT_STEP input_step(const XEvent& event) {
  switch (event.type) {
    case ButtonPress:
    case ButtonRelease:
      return library_button(event.xbutton.button) ? STEP_EDGE : STEP_OTHER;  // the wheel counts
    case KeyPress: {
      KeySym sym = NoSymbol;
      const INT_U8 c = typed_char(event.xkey, &sym);
      // Modifiers are read from the key map with the key they modify.
      if (IsModifierKey(sym)) return STEP_OTHER;
      return c == '\b' || (c >= ' ' && c != 127) ? STEP_CHARACTER : STEP_EDGE;
    }
    default:
      return STEP_OTHER;
  }
}

// Key presses met in the queue, kept to be told apart afterwards: telling a
// key's character needs Xlib, which a predicate must not call.
struct QUEUED_KEYS {
  XEvent keys[4];
  int count;
  bool button_edge;
};

static Bool note_input(Display*, XEvent* event, XPointer arg) {
  QUEUED_KEYS& seen = *reinterpret_cast<QUEUED_KEYS*>(arg);
  if (event->type == ButtonPress || event->type == ButtonRelease) {
    if (library_button(event->xbutton.button)) seen.button_edge = true;
  } else if (event->type == KeyPress && seen.count < 4) {
    seen.keys[seen.count++] = *event;
  }
  return False;  // takes nothing
}

// Whether an edge is among the events queued (read from the connection too).
static bool edge_queued() {
  QUEUED_KEYS seen = {};
  XEvent unused;
  XCheckIfEvent(x11.display, &unused, note_input, reinterpret_cast<XPointer>(&seen));
  if (seen.button_edge) return true;
  for (int i = 0; i < seen.count; ++i)
    if (input_step(seen.keys[i]) == STEP_EDGE) return true;
  return false;
}

// An edge that follows another closely is answered by a frame that goes out
// at once (x11.edge_frame), so that a tap's release is shown as fast as a
// held click's: held to the pace, it would wait for the turn of the frame
// that answered the press. An edge follows closely when it was left in the
// queue (put back, or behind the edge a pump took), or when it comes within
// two frame intervals of the one before: a frame asked for waits at most one
// interval for its turn, and holds the next one back for one more.
static bool edge_waits = false;
static INT_U64 last_edge_us = 0;  // when the loop's pump last took an edge
const INT_U64 kEdgeFollowsUs = 2 * kFixedFrameIntervalUs;

// Anything but the keys and the pointer.
static Bool is_window_event(Display*, XEvent* event, XPointer) {
  switch (event->type) {
    case KeyPress:
    case KeyRelease:
    case ButtonPress:
    case ButtonRelease:
    case MotionNotify:
    case EnterNotify:
    case LeaveNotify:
      return False;
    default:
      return True;
  }
}

// Events after which the held keys may differ from the last key map read.
static bool changes_held_keys(int type) {
  return type == KeyPress || type == KeyRelease || type == FocusIn || type == KeymapNotify || type == EnterNotify;
}

void (*pump_wait_source)(INT_U64 us) = nullptr;

// Waits on the X connection for at most `us` microseconds; X input ends the
// wait early.
static void wait_for_input(INT_U64 us) {
  if (pump_wait_source) {
    pump_wait_source(us);
    return;
  }
  int fd = ConnectionNumber(x11.display);
  fd_set readable;
  FD_ZERO(&readable);
  FD_SET(fd, &readable);
  timeval timeout = {static_cast<time_t>(us / 1000000u), static_cast<suseconds_t>(us % 1000000u)};
  select(fd + 1, &readable, nullptr, nullptr, &timeout);
}

void update_platform() {
  dispatch_events();
  if (!x11.display || !x11.window) {
    update_sound();
    return;
  }
  bool input = false, keys_changed = false;
  // Typed characters wait in the server's queue while the character queue
  // is full and somebody reads it. Nobody reading, a full queue drops them:
  // keys typed where nothing takes them must not hold up the rest.
  const bool characters_read = KEYBOARD::characters_taken();
  const bool nested = in_program_frame();
  // The loop's pump ends the frame that answered an edge following another,
  // and shows what it drew.
  const bool after_edge_frame = !nested && x11.edge_frame;
  if (!nested) x11.edge_frame = 0;
  bool typed = false, held = false;
  XEvent event;
  // Asked once before each take: an empty queue then costs one read of the
  // connection, where the take alone reads it several times over.
  while (x11.display && XEventsQueued(x11.display, QueuedAfterFlush) > 0 &&
         XCheckIfEvent(x11.display, &event, accept_any_event, nullptr)) {
    // What is put back stays first in the queue, for the next frame, which
    // does not rest while it is there.
    const INPUT_STEP step = input_step(event);
    if ((step == STEP_EDGE && (typed || nested)) ||
        (step == STEP_CHARACTER && characters_read && KEYBOARD::queue_full())) {
      XPutBackEvent(x11.display, &event);
      if (step == STEP_EDGE) edge_waits = true;
      input = held = true;
      break;
    }
    input = input || answers_at_once(event.type);
    keys_changed = keys_changed || changes_held_keys(event.type);
    handle_window_event(&event);
    if (step == STEP_EDGE) {
      // Only the loop's pump takes edges.
      const INT_U64 now = pace_clock_us();
      if (edge_waits || (last_edge_us != 0 && now - last_edge_us < kEdgeFollowsUs)) x11.edge_frame = 1;
      last_edge_us = now ? now : 1;
      held = XEventsQueued(x11.display, QueuedAlready) > 0;
      edge_waits = held && edge_queued();
      break;
    }
    typed = typed || step == STEP_CHARACTER;
  }
  // The person's input keeps its order behind what waits; the window's own
  // events (exposures, the clipboard, the close request, the focus) do not
  // wait with it, so that a pump run through long work still repaints.
  while (held && x11.display && XCheckIfEvent(x11.display, &event, is_window_event, nullptr)) {
    input = input || answers_at_once(event.type);
    keys_changed = keys_changed || changes_held_keys(event.type);
    handle_window_event(&event);
  }
  if (!x11.display || !x11.window) {
    update_sound();
    return;
  }
  const INT_U32 wait = get_idle_wait();
  const bool quiet = wait != 0 && !input && XEventsQueued(x11.display, QueuedAlready) == 0;
  if (x11.present_pending) {
    // A frame waiting for its turn goes out before the frame could rest; a
    // resting program waits for that turn rather than spinning towards it.
    // A frame answering an edge that followed another does not wait for it,
    // and what it drew goes out as soon as it ends. (Work inside it that
    // pumps for longer than an interval waits again, rather than spin.)
    INT_U64 now = pace_clock_us();
    const bool edge_answer = after_edge_frame || (x11.edge_frame && now - last_edge_us < kFixedFrameIntervalUs);
    if (!edge_answer && !present_is_due(now) && quiet) {
      wait_for_input(x11.last_present_us + kFixedFrameIntervalUs - now);
      now = pace_clock_us();
    }
    if (after_edge_frame || present_is_due(now)) present_pending_frame();
  } else if (quiet && frame_activity == 0) {
    wait_for_input(static_cast<INT_U64>(wait / 1000) * 1000000u + static_cast<INT_U64>(wait % 1000) * 1000u);
  }
  // The key map once a frame interval, and at once when a key or the focus
  // moved.
  const INT_U64 now = pace_clock_us();
  if (keys_changed || x11.last_key_map_us == 0 || now - x11.last_key_map_us >= kFixedFrameIntervalUs) {
    char server_map[32];
    XQueryKeymap(x11.display, server_map);
    translate_key_map(server_map, key_map);
    x11.last_key_map_us = now ? now : 1;
  }
  x11.key_map_focused = keys_come_here();
  // A frame still waiting keeps the next one from resting.
  frame_activity = x11.present_pending ? 1 : 0;
  update_sound();
}
