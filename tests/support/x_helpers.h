// Helpers for tests that drive a real X server: a second connection that
// looks at the program's window as another client would, pixel read-back,
// geometry and properties, and waiting while the frame pump runs.
#ifndef ZORV_X_HELPERS_H
#define ZORV_X_HELPERS_H

#include <X11/Xlib.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace zt {

class XServer;

// A connection of its own to $DISPLAY, closed with the object.
class XProbe {
 public:
  XProbe();
  ~XProbe();
  XProbe(const XProbe&) = delete;
  XProbe& operator=(const XProbe&) = delete;
  Display* display() const { return display_; }
  bool ok() const { return display_ != nullptr; }

  // Pixels of the window's area as 0x00RRGGBB, row by row (empty on failure).
  std::vector<uint32_t> read_pixels(Window window, int x, int y, int width, int height);
  uint32_t pixel(Window window, int x, int y);
  // Position on the root window and size.
  bool geometry(Window window, int* x, int* y, int* width, int* height);
  // A property as 32-bit items (format 32) or bytes (format 8).
  std::vector<long> property_longs(Window window, const char* name);
  std::string property_text(Window window, const char* name);
  // The top-level windows whose name is `name`.
  std::vector<Window> find_windows(const std::string& name);
  // Interns the atom, so that later clients find it existing.
  Atom intern(const char* name);

 private:
  Display* display_ = nullptr;
};

// A private Xvfb (-noreset) that accepts connections; tries again when a
// server lost its display to another starting at the same time.
std::unique_ptr<XServer> start_checked_xvfb(int width = 1024, int height = 768, int depth = 24);

// Xorg with the dummy video driver (tests/support/xorg-dummy.conf): has the
// video-mode extension, 1024 x 768 with modes 800 x 600 and 640 x 480.
// Null when Xorg cannot run here.
std::unique_ptr<XServer> start_xorg_dummy(int depth = 24);

// Runs the frame pump until pred() holds or the time runs out.
bool pump_until(const std::function<bool()>& pred, int timeout_ms = 3000);
// Runs `xdotool <args>` against $DISPLAY; true when it succeeded.
bool xdotool(const std::string& args);

}  // namespace zt

#endif
