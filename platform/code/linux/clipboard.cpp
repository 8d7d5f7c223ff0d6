// The CLIPBOARD selection.
#include "clipboard.h"

#include <X11/Xatom.h>

#include <cstdlib>
#include <cstring>

#include "clock.h"
#include "window.h"
#include "x11_platform.h"

static char* clipboard_copy = nullptr;

// ---------------------------------------------------------------- clipboard

void free_clipboard_text() {
  free(clipboard_copy);
  clipboard_copy = nullptr;
}

void set_clipboard_text(const char* text) {
  free_clipboard_text();
  if (!text) return;
  clipboard_copy = strdup(text);
  if (clipboard_copy && x11.display && x11.window && x11.clipboard) {
    XSetSelectionOwner(x11.display, x11.clipboard, x11.window, CurrentTime);
    // Owned at once, not at the next frame: a paste in another program
    // right after the copy must find us.
    XSync(x11.display, False);
  }
}

// Polls for our SelectionNotify: 1 with the answering event, 0 when the owner
// refused or never answered.
static bool wait_for_selection(Atom target, Atom property, XEvent* answer) {
  for (int poll = 0; poll < 15; ++poll) {
    while (XPending(x11.display) > 0 && XCheckTypedWindowEvent(x11.display, x11.window, SelectionNotify, answer)) {
      const XSelectionEvent& s = answer->xselection;
      if (s.property == None) {
        sleep_ms(10);
        return false;
      }
      if (s.property == property && s.target == target) return true;
      // An answer to some other request: look at the next one at once.
    }
    sleep_ms(10);
  }
  return false;
}

bool get_clipboard_text(char* buffer, INT_U32 size) {
  if (!buffer || size == 0) return false;
  if (clipboard_copy) {
    strncpy(buffer, clipboard_copy, size);
    buffer[size - 1] = 0;
    return true;
  }
  if (!x11.display || !x11.window || !x11.clipboard) return false;
  // The owner's answer may take up to a few hundred milliseconds: a frame
  // waiting for its turn goes out first.
  present_frame_before_blocking();
  Atom property = x11.utf8_string;
  XDeleteProperty(x11.display, x11.window, property);
  XSync(x11.display, False);
  const Atom targets[4] = {x11.text, x11.compound_text, x11.utf8_string, XA_STRING};
  for (Atom target : targets) {
    XConvertSelection(x11.display, x11.clipboard, target, property, x11.window, CurrentTime);
    XEvent answer;
    if (!wait_for_selection(target, property, &answer)) continue;
    Atom type = None;
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    int status = XGetWindowProperty(x11.display, x11.window, property, 0, 16383, True, target, &type, &format,
                                    &items, &after, &data);
    // Only byte-sized text is text; anything else is skipped.
    if (status == Success && data && items > 0 && format == 8) {
      size_t n = items < size ? items : size;
      memcpy(buffer, data, n);
      buffer[items < size - 1 ? items : size - 1] = 0;
      XFree(data);
      return true;
    }
    if (data) XFree(data);
    sleep_ms(10);
  }
  return false;
}

bool has_clipboard_text() {
  char probe[2];
  return get_clipboard_text(probe, sizeof probe);
}

void handle_selection_clear(XSelectionClearEvent* event) {
  if (x11.clipboard && event->selection == x11.clipboard) free_clipboard_text();
}

// A requestor that vanished before our answer is not worth ending the program
// for: errors of the answer are swallowed.
static int ignore_x_error(Display*, XErrorEvent*) { return 0; }

void handle_selection_request(XSelectionRequestEvent* request) {
  XEvent reply = {};
  XSelectionEvent& answer = reply.xselection;
  answer.type = SelectionNotify;
  answer.display = request->display;
  answer.requestor = request->requestor;
  answer.selection = request->selection;
  answer.target = request->target;
  answer.time = request->time;
  answer.property = None;
  // Clients of the obsolete protocol name no property: the target is used.
  Atom property = request->property != None ? request->property : request->target;
  int (*previous)(Display*, XErrorEvent*) = XSetErrorHandler(ignore_x_error);
  if (clipboard_copy && x11.clipboard && request->selection == x11.clipboard) {
    if (request->target == x11.targets) {
      Atom list[4] = {x11.text, x11.compound_text, x11.utf8_string, x11.targets};
      XChangeProperty(x11.display, request->requestor, property, XA_ATOM, 32, PropModeReplace,
                      reinterpret_cast<unsigned char*>(list), 4);
      answer.property = property;
    } else if (request->target == x11.text || request->target == x11.compound_text ||
               request->target == x11.utf8_string) {
      XChangeProperty(x11.display, request->requestor, property, request->target, 8, PropModeReplace,
                      reinterpret_cast<unsigned char*>(clipboard_copy),
                      static_cast<int>(strlen(clipboard_copy) + 1));
      answer.property = property;
    }
  }
  XSendEvent(x11.display, request->requestor, False, 0, &reply);
  XSync(x11.display, False);
  XSetErrorHandler(previous);
}
