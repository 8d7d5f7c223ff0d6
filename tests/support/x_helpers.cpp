#include "x_helpers.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "clock.h"
#include "test_support.h"
#include "window.h"
#include "../../platform/code/linux/x11_platform.h"

namespace zt {

// The server orders requests per client only: let it finish what the
// program sent before another client looks.
// A frame still waiting for the display's pace is shown first, as the program
// does before it reads its own window back.
static void sync_program() {
  present_pending_frame();
  if (x11.display) XSync(x11.display, False);
}

XProbe::XProbe() { display_ = XOpenDisplay(nullptr); }

XProbe::~XProbe() {
  if (display_) XCloseDisplay(display_);
}

std::vector<uint32_t> XProbe::read_pixels(Window window, int x, int y, int width, int height) {
  std::vector<uint32_t> out;
  if (!display_) return out;
  sync_program();
  XSync(display_, False);
  XImage* image = XGetImage(display_, window, x, y, static_cast<unsigned>(width), static_cast<unsigned>(height),
                            AllPlanes, ZPixmap);
  if (!image) return out;
  out.reserve(static_cast<size_t>(width) * static_cast<size_t>(height));
  auto channel = [](unsigned long value, unsigned long mask) -> uint32_t {
    if (!mask) return 0;
    int shift = 0;
    while (!(mask & 1)) { mask >>= 1; value >>= 1; ++shift; }
    int bits = 0;
    unsigned long m = mask;
    while (m & 1) { m >>= 1; ++bits; }
    uint32_t v = static_cast<uint32_t>(value & mask);
    // Scale up to 8 bits the way the presentation scaled down: low bits 0.
    return bits >= 8 ? (v >> (bits - 8)) : (v << (8 - bits));
  };
  for (int j = 0; j < height; ++j)
    for (int i = 0; i < width; ++i) {
      unsigned long p = XGetPixel(image, i, j);
      out.push_back((channel(p, image->red_mask) << 16) | (channel(p, image->green_mask) << 8) |
                    channel(p, image->blue_mask));
    }
  XDestroyImage(image);
  return out;
}

uint32_t XProbe::pixel(Window window, int x, int y) {
  std::vector<uint32_t> p = read_pixels(window, x, y, 1, 1);
  return p.empty() ? 0xDEADBEEF : p[0];
}

bool XProbe::geometry(Window window, int* x, int* y, int* width, int* height) {
  if (!display_) return false;
  sync_program();
  XSync(display_, False);
  XWindowAttributes a;
  if (!XGetWindowAttributes(display_, window, &a)) return false;
  Window child;
  int rx = 0, ry = 0;
  XTranslateCoordinates(display_, window, DefaultRootWindow(display_), 0, 0, &rx, &ry, &child);
  *x = rx;
  *y = ry;
  *width = a.width;
  *height = a.height;
  return true;
}

std::vector<long> XProbe::property_longs(Window window, const char* name) {
  std::vector<long> out;
  if (!display_) return out;
  sync_program();
  Atom atom = XInternAtom(display_, name, True);
  if (!atom) return out;
  Atom type;
  int format;
  unsigned long items, after;
  unsigned char* data = nullptr;
  if (XGetWindowProperty(display_, window, atom, 0, 1 << 16, False, AnyPropertyType, &type, &format, &items, &after,
                         &data) == Success && data) {
    if (format == 32) out.assign(reinterpret_cast<long*>(data), reinterpret_cast<long*>(data) + items);
    XFree(data);
  }
  return out;
}

std::string XProbe::property_text(Window window, const char* name) {
  std::string out;
  if (!display_) return out;
  sync_program();
  Atom atom = XInternAtom(display_, name, True);
  if (!atom) return out;
  Atom type;
  int format;
  unsigned long items, after;
  unsigned char* data = nullptr;
  if (XGetWindowProperty(display_, window, atom, 0, 1 << 16, False, AnyPropertyType, &type, &format, &items, &after,
                         &data) == Success && data) {
    if (format == 8) out.assign(reinterpret_cast<char*>(data), items);
    XFree(data);
  }
  return out;
}

std::vector<Window> XProbe::find_windows(const std::string& name) {
  std::vector<Window> out;
  if (!display_) return out;
  sync_program();
  XSync(display_, False);
  Window root, parent, *children = nullptr;
  unsigned count = 0;
  if (!XQueryTree(display_, DefaultRootWindow(display_), &root, &parent, &children, &count)) return out;
  for (unsigned i = 0; i < count; ++i) {
    char* wname = nullptr;
    if (XFetchName(display_, children[i], &wname) && wname) {
      if (name == wname) out.push_back(children[i]);
      XFree(wname);
    }
  }
  if (children) XFree(children);
  return out;
}

Atom XProbe::intern(const char* name) {
  if (!display_) return None;
  Atom a = XInternAtom(display_, name, False);
  XSync(display_, False);
  return a;
}

std::unique_ptr<XServer> start_checked_xvfb(int width, int height, int depth) {
  for (int attempt = 0; attempt < 5; ++attempt) {
    std::unique_ptr<XServer> server = XServer::start_xvfb(width, height, depth);
    if (!server) continue;
    for (int i = 0; i < 20; ++i) {
      Display* d = XOpenDisplay(server->display().c_str());
      if (d) {
        XCloseDisplay(d);
        server->use();
        return server;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
  }
  return nullptr;
}

std::unique_ptr<XServer> start_xorg_dummy(int depth) {
  std::string log = make_temp_dir("xorg") + "/xorg.log";
  std::unique_ptr<XServer> server =
      XServer::start({"Xorg", "-config", std::string(ZORV_SOURCE_DIR) + "/tests/support/xorg-dummy.conf", "-noreset",
                      "-nolisten", "tcp", "-depth", std::to_string(depth), "-logfile", log});
  if (!server) return nullptr;
  for (int i = 0; i < 100; ++i) {
    Display* d = XOpenDisplay(server->display().c_str());
    if (d) {
      XCloseDisplay(d);
      server->use();
      return server;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return nullptr;
}

bool pump_until(const std::function<bool()>& pred, int timeout_ms) {
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  while (std::chrono::steady_clock::now() < end) {
    update_platform();
    if (pred()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  update_platform();
  return pred();
}

bool xdotool(const std::string& args) { return sh("xdotool " + args + " >/dev/null 2>&1") == 0; }

}  // namespace zt
