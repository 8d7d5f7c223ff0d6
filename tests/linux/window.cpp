// The window, its placement, hints and presentation, against a private Xvfb
// read back from a second connection.
#include <gtest/gtest.h>

#include <X11/Xutil.h>

#include <memory>

#include "app.h"
#include "clock.h"
#include "image.h"
#include "test_support.h"
#include "window.h"
#include "x_helpers.h"
#include "x11_platform.h"

namespace {

const INT_U16 NO = 65535;

class WindowTest : public ::testing::Test {
 protected:
  void start(int w = 1024, int h = 768, int depth = 24) {
    server = zt::start_checked_xvfb(w, h, depth);
    ASSERT_TRUE(server);
    probe.reset(new zt::XProbe());
    ASSERT_TRUE(probe->ok());
  }
  void TearDown() override {
    close_window(65535);
    close_display();
    probe.reset();
    server.reset();
  }
  std::unique_ptr<zt::XServer> server;
  std::unique_ptr<zt::XProbe> probe;
};

WINDOW_REQUEST request(const char* title, INT_S16 w, INT_S16 h, INT_U8 full = 0, INT_U8 undecorated = 0) {
  return WINDOW_REQUEST{title, w, h, full, NO, NO, NO, NO, undecorated};
}

// A pattern whose every pixel differs from its neighbours in all channels.
COLOUR pattern(int x, int y) {
  return 0xFF000000u | (static_cast<COLOUR>((x * 7 + y) & 0xFF) << 16) | (static_cast<COLOUR>((y * 5 + x * 3) & 0xFF) << 8) |
         static_cast<COLOUR>((x ^ y) & 0xFF);
}

void paint_pattern() {
  IMAGE* s = get_screen_image(0);
  for (int y = 0; y < s->height; ++y)
    for (int x = 0; x < s->width; ++x) s->pixels[y * s->pitch + x] = pattern(x, y);
  s->add_dirty_rect(0, 0, static_cast<INT_S16>(s->width - 1), static_cast<INT_S16>(s->height - 1));
}

}  // namespace

TEST_F(WindowTest, OpensCentredWithTitleHintsIconAndProtocols) {
  start();
  WINDOW_REQUEST r = request("Test Title", 400, 300);
  ASSERT_TRUE(open_window(&r, 0));
  EXPECT_TRUE(is_window_open(0));
  EXPECT_EQ(has_window(), -1);
  int x, y, w, h;
  ASSERT_TRUE(probe->geometry(x11.window, &x, &y, &w, &h));
  // The desktop less the frame allowances (5, 5 and a 25 title) is 1014 x 738.
  EXPECT_EQ(w, 400);
  EXPECT_EQ(h, 300);
  EXPECT_EQ(x, (1014 - 400) / 2);
  EXPECT_EQ(y, (738 - 300) / 2);
  EXPECT_EQ(probe->property_text(x11.window, "WM_NAME"), "Test Title");
  EXPECT_EQ(probe->property_text(x11.window, "WM_ICON_NAME"), "Test Title");
  XSizeHints hints;
  long supplied = 0;
  ASSERT_TRUE(XGetWMNormalHints(probe->display(), x11.window, &hints, &supplied));
  EXPECT_EQ(hints.flags & (PMinSize | PMaxSize | PBaseSize), PMinSize | PMaxSize | PBaseSize);
  EXPECT_EQ(hints.min_width, 400);
  EXPECT_EQ(hints.max_width, 400);
  EXPECT_EQ(hints.base_width, 400);
  EXPECT_EQ(hints.min_height, 300);
  EXPECT_EQ(hints.max_height, 300);
  EXPECT_EQ(hints.base_height, 300);
  XWMHints* wm = XGetWMHints(probe->display(), x11.window);
  ASSERT_NE(wm, nullptr);
  EXPECT_TRUE(wm->flags & IconPixmapHint);
  EXPECT_NE(wm->icon_pixmap, 0u);
  Window root;
  int ix, iy;
  unsigned iw, ih, ib, idepth;
  ASSERT_TRUE(XGetGeometry(probe->display(), wm->icon_pixmap, &root, &ix, &iy, &iw, &ih, &ib, &idepth));
  EXPECT_EQ(iw, 70u);  // the built-in icon
  XFree(wm);
  std::vector<long> protocols = probe->property_longs(x11.window, "WM_PROTOCOLS");
  ASSERT_EQ(protocols.size(), 1u);
  EXPECT_EQ(static_cast<Atom>(protocols[0]), XInternAtom(probe->display(), "WM_DELETE_WINDOW", False));
  EXPECT_EQ(get_screen_width(0), 400);
  EXPECT_EQ(get_screen_height(0), 300);
  EXPECT_EQ(get_screen_width(1), 0);
  EXPECT_EQ(get_screen_image(1), nullptr);
}

TEST_F(WindowTest, PlacementAndLimits) {
  start();
  struct Case {
    const char* what;
    WINDOW_REQUEST r;
    bool ok;
    int x, y, w, h;
  } cases[] = {
      {"desktop size, decorated", request("a", -1, -1), true, 0, 0, 1014, 738},
      {"larger than the desktop", request("b", 3000, 2000), true, 0, 0, 1014, 738},
      {"undecorated", request("c", 300, 200, 0, 1), true, 362, 284, 300, 200},
      {"max width clamps", {"d", 800, 300, 0, NO, 500, NO, NO, 0}, true, 257, 219, 500, 300},
      {"min width clamps up", {"e", 100, 300, 0, 200, NO, NO, NO, 0}, true, 407, 219, 200, 300},
      {"min width beyond the desktop", {"f", 100, 300, 0, 1500, NO, NO, NO, 0}, false, 0, 0, 0, 0},
      {"min height beyond the desktop", {"g", 100, 300, 0, NO, NO, 760, NO, 0}, false, 0, 0, 0, 0},
  };
  for (const Case& c : cases) {
    close_window(0);
    bool ok = open_window(&c.r, 0);
    EXPECT_EQ(ok, c.ok) << c.what;
    if (!ok || !c.ok) continue;
    int x, y, w, h;
    ASSERT_TRUE(probe->geometry(x11.window, &x, &y, &w, &h)) << c.what;
    EXPECT_EQ(x, c.x) << c.what;
    EXPECT_EQ(y, c.y) << c.what;
    EXPECT_EQ(w, c.w) << c.what;
    EXPECT_EQ(h, c.h) << c.what;
  }
  WINDOW_REQUEST r = request("x", 100, 100);
  EXPECT_FALSE(open_window(&r, 1));
  EXPECT_FALSE(open_window(nullptr, 0));
}

TEST_F(WindowTest, FullScreenWithoutVideoModesIsAnUndecoratedCentredWindow) {
  start();
  probe->intern("_MOTIF_WM_HINTS");
  WINDOW_REQUEST r = request("Full", 640, 480, 1);
  ASSERT_TRUE(open_window(&r, 0));
  EXPECT_EQ(is_full_screen(), 0);  // no switch happened
  int x, y, w, h;
  ASSERT_TRUE(probe->geometry(x11.window, &x, &y, &w, &h));
  EXPECT_EQ(x, (1024 - 640) / 2);
  EXPECT_EQ(y, (768 - 480) / 2);
  EXPECT_EQ(w, 640);
  EXPECT_EQ(probe->property_longs(x11.window, "_MOTIF_WM_HINTS"), (std::vector<long>{2, 0, 0, 0, 0}));
  // No grabs: another client can grab the pointer.
  EXPECT_EQ(XGrabPointer(probe->display(), DefaultRootWindow(probe->display()), False, 0, GrabModeAsync,
                         GrabModeAsync, None, None, CurrentTime),
            GrabSuccess);
  XUngrabPointer(probe->display(), CurrentTime);
}

TEST_F(WindowTest, SameRequestAgainReconfiguresTheWindowAndKeepsTheImage) {
  start();
  WINDOW_REQUEST r = request("First", 400, 300);
  ASSERT_TRUE(open_window(&r, 0));
  Window first = x11.window;
  INT_U32* pixels = get_screen_image(0)->pixels;
  r.title = "Second";
  ASSERT_TRUE(open_window(&r, 0));
  EXPECT_EQ(x11.window, first);
  EXPECT_EQ(get_screen_image(0)->pixels, pixels);  // same size: not recreated
  EXPECT_EQ(probe->property_text(first, "WM_NAME"), "Second");
  r.width = 500;
  ASSERT_TRUE(open_window(&r, 0));
  int x, y, w, h;
  ASSERT_TRUE(probe->geometry(first, &x, &y, &w, &h));
  EXPECT_EQ(w, 500);
  EXPECT_EQ(get_screen_width(0), 500);
  // Undecorated hints come and go with the request.
  probe->intern("_MOTIF_WM_HINTS");
  r.undecorated = 1;
  ASSERT_TRUE(open_window(&r, 0));
  EXPECT_EQ(probe->property_longs(first, "_MOTIF_WM_HINTS").size(), 5u);
  r.undecorated = 0;
  ASSERT_TRUE(open_window(&r, 0));
  EXPECT_TRUE(probe->property_longs(first, "_MOTIF_WM_HINTS").empty());
}

TEST_F(WindowTest, NewWindowIsClearedToOpaqueBlack) {
  start();
  WINDOW_REQUEST r = request("Black", 64, 48);
  ASSERT_TRUE(open_window(&r, 0));
  IMAGE* s = get_screen_image(0);
  EXPECT_EQ(s->pixels[0], 0xFF000000u);
  EXPECT_EQ(s->pixels[47 * s->pitch + 63], 0xFF000000u);
  EXPECT_TRUE(s->fixed_size);
}

class PresentTest : public WindowTest, public ::testing::WithParamInterface<int> {};

TEST_P(PresentTest, PresentsEveryPixelAtTheServersDepth) {
  int depth = GetParam();
  start(1024, 768, depth);
  WINDOW_REQUEST r = request("Present", 203, 97);  // odd sizes: the pitch is wider than the window
  ASSERT_TRUE(open_window(&r, 0));
  zt::pump_until([] { return false; }, 100);
  paint_pattern();
  swap_screens(-1);
  EXPECT_FALSE(get_screen_image(0)->has_dirty_area());
  std::vector<uint32_t> got = probe->read_pixels(x11.window, 0, 0, 203, 97);
  ASSERT_EQ(got.size(), 203u * 97u);
  int wrong = 0;
  for (int y = 0; y < 97; ++y)
    for (int x = 0; x < 203; ++x) {
      COLOUR p = pattern(x, y) & 0x00FFFFFFu;
      if (depth == 16) p &= 0x00F8FCF8u;  // 5, 6 and 5 bits kept
      if (got[y * 203 + x] != p && wrong++ < 5)
        ADD_FAILURE() << "pixel " << x << "," << y << " " << std::hex << got[y * 203 + x] << " != " << p;
    }
  EXPECT_EQ(wrong, 0);
}

INSTANTIATE_TEST_SUITE_P(Depths, PresentTest, ::testing::Values(24, 16));

TEST_F(WindowTest, NothingIsPresentedWithoutADirtyRectangle) {
  start();
  WINDOW_REQUEST r = request("Clean", 50, 40);
  ASSERT_TRUE(open_window(&r, 0));
  paint_pattern();
  swap_screens(0);
  IMAGE* s = get_screen_image(0);
  for (int i = 0; i < s->pitch * s->height; ++i) s->pixels[i] = 0xFF123456u;  // no dirty area
  frame_activity = 0;
  swap_screens(-1);
  EXPECT_EQ(frame_activity, 0);
  swap_screens(1);  // another display: nothing
  EXPECT_EQ(probe->pixel(x11.window, 10, 10), pattern(10, 10) & 0xFFFFFF);
}

TEST_F(WindowTest, ExposureMarksTheScreenDirty) {
  start();
  WINDOW_REQUEST r = request("Exposed", 100, 80);
  ASSERT_TRUE(open_window(&r, 0));
  zt::pump_until([] { return false; }, 100);
  swap_screens(-1);
  ASSERT_FALSE(get_screen_image(0)->has_dirty_area());
  XClearArea(probe->display(), x11.window, 10, 20, 30, 5, True);
  XSync(probe->display(), False);
  IMAGE* s = get_screen_image(0);
  ASSERT_TRUE(zt::pump_until([&] { return s->has_dirty_area(); }));
  EXPECT_EQ(s->dirty_left, 10);
  EXPECT_EQ(s->dirty_top, 20);
  EXPECT_EQ(s->dirty_right, 39);
  EXPECT_EQ(s->dirty_bottom, 24);
}

TEST_F(WindowTest, CloseWindow) {
  start();
  WINDOW_REQUEST r = request("Closing", 100, 80);
  ASSERT_TRUE(open_window(&r, 0));
  Window w = x11.window;
  close_window(1);  // another display: nothing
  EXPECT_TRUE(is_window_open(0));
  EXPECT_EQ(close_graphics(0), 1u);
  EXPECT_TRUE(is_window_open(0));
  EXPECT_EQ(close_graphics_all(0), 1u);
  EXPECT_FALSE(is_window_open(0));
  EXPECT_EQ(has_window(), 0);
  EXPECT_TRUE(probe->find_windows("Closing").empty());
  (void)w;
  IMAGE* s = get_screen_image(0);
  EXPECT_EQ(s->width, 0);
  EXPECT_EQ(s->pixels, nullptr);
  EXPECT_TRUE(s->fixed_size);
  // The display stays open; a window can open again.
  EXPECT_NE(x11.display, nullptr);
  ASSERT_TRUE(open_graphics("Again", 120, 90, 0, 0));
  EXPECT_EQ(get_screen_width(0), 120);
  swap_screens(-1);  // presenting and closing twice is harmless
  close_window(0);
  close_window(0);
}

TEST(WindowNoServer, OpenWindowWithoutAServerFails) {
  unsetenv("DISPLAY");
  WINDOW_REQUEST r = {"none", 100, 100, 0, NO, NO, NO, NO, 0};
  EXPECT_FALSE(open_window(&r, 0));
  EXPECT_FALSE(is_window_open(0));
  swap_screens(-1);
  close_window(0);
}

TEST_F(WindowTest, BadIconDataLeavesTheWindowWithoutIcon) {
  start();
  static const char* const broken[] = {"not an xpm", nullptr};
  const char* const* saved = APPLICATION_INFO.icon_xpm;
  APPLICATION_INFO.icon_xpm = broken;
  WINDOW_REQUEST r = request("NoIcon", 100, 80);
  EXPECT_TRUE(open_window(&r, 0));
  XWMHints* wm = XGetWMHints(probe->display(), x11.window);
  EXPECT_TRUE(!wm || !(wm->flags & IconPixmapHint));
  if (wm) XFree(wm);
  APPLICATION_INFO.icon_xpm = saved;
}

TEST_F(WindowTest, AsksTheWindowManagerForOrAgainstFullScreen) {
  start();
  Display* d = probe->display();
  XSelectInput(d, DefaultRootWindow(d), SubstructureNotifyMask);
  XSync(d, False);
  Atom state = XInternAtom(d, "_NET_WM_STATE", False);
  Atom full = XInternAtom(d, "_NET_WM_STATE_FULLSCREEN", False);
  for (INT_U8 want : {0, 1}) {
    close_window(0);
    WINDOW_REQUEST r = request("State", 200, 100, want);
    ASSERT_TRUE(open_window(&r, 0));
    XSync(x11.display, False);
    XSync(d, False);
    XEvent e;
    bool seen = false;
    while (!seen && XCheckTypedEvent(d, ClientMessage, &e))
      seen = e.xclient.message_type == state && e.xclient.window == x11.window;
    ASSERT_TRUE(seen) << int(want);
    EXPECT_EQ(e.xclient.format, 32);
    EXPECT_EQ(e.xclient.data.l[0], want);
    EXPECT_EQ(static_cast<Atom>(e.xclient.data.l[1]), full);
    EXPECT_EQ(e.xclient.data.l[2], 0);
  }
}
