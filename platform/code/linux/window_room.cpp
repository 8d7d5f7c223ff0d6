// The room a window needs on the desktop and the room there is, so that a
// program whose window does not fit can say why.
#include <algorithm>

#include "window.h"
#include "x11_platform.h"

bool get_desktop_size(INT_S16* width, INT_S16* height) {
  if (!x11.display) return false;
  XWindowAttributes root;
  if (!XGetWindowAttributes(x11.display, DefaultRootWindow(x11.display), &root)) return false;
  if (width) *width = static_cast<INT_S16>(root.width);
  if (height) *height = static_cast<INT_S16>(root.height);
  return true;
}

void get_window_room(const WINDOW_REQUEST* request, INT_S32* width, INT_S32* height) {
  INT_S32 w = 1, h = 1;
  if (request) {
    if (request->min_width != kNoLimit) w = std::max<INT_S32>(w, request->min_width);
    if (request->min_height != kNoLimit) h = std::max<INT_S32>(h, request->min_height);
    if (!request->undecorated && !request->full_screen) {
      w += 2 * kFrameBorder;
      h += kFrameBorder + kFrameTitle;
    }
  }
  if (width) *width = w;
  if (height) *height = h;
}
