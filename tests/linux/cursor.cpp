// Pointer shapes over the window, read back through XFixes; hiding and
// warping the pointer.
#include <gtest/gtest.h>

#include <dlfcn.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>

#include "clipboard.h"
#include "clock.h"
#include "input.h"
#include "test_support.h"
#include "window.h"
#include "x_helpers.h"
#include "x11_platform.h"

namespace {

class CursorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Themed pointer shapes may be animated (the watch turns every 16 ms):
    // a picture read later would show another frame. Read before the display
    // opens, so every shape stays on its first frame.
    setenv("XCURSOR_ANIM", "0", 1);
    server = zt::start_checked_xvfb(1024, 768, 24);
    ASSERT_TRUE(server);
    probe.reset(new zt::XProbe());
    WINDOW_REQUEST r = {"Cursor", 200, 100, 0, 65535, 65535, 65535, 65535, 1};
    ASSERT_TRUE(open_window(&r, 0));
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

}  // namespace

namespace {

struct XFixesImage {
  short x, y;
  unsigned short width, height, xhot, yhot;
  unsigned long cursor_serial;
  unsigned long* pixels;
  Atom atom;
  const char* name;
};

// The image of the pointer on the screen now, as an ARGB string to compare.
std::string cursor_picture(Display* d) {
  static void* lib = dlopen("libXfixes.so.3", RTLD_NOW);
  if (!lib) return "no XFixes";
  auto get = reinterpret_cast<XFixesImage* (*)(Display*)>(dlsym(lib, "XFixesGetCursorImage"));
  if (!get) return "no XFixes";
  // Our requests first: the server orders requests per client only.
  if (x11.display) XSync(x11.display, False);
  XSync(d, False);
  XFixesImage* image = get(d);
  if (!image) return "none";
  bool visible = false;
  uint64_t hash = 1469598103934665603ull;
  for (int i = 0; i < image->width * image->height; ++i) {
    unsigned long p = image->pixels[i] & 0xFFFFFFFFul;
    if (p >> 24) visible = true;
    hash = (hash ^ p) * 1099511628211ull;
  }
  std::string s = std::to_string(image->width) + "x" + std::to_string(image->height) + ":" + std::to_string(hash);
  XFree(image);
  return visible ? s : "blank";
}

}  // namespace

TEST_F(CursorTest, ShapesHideAndShow) {
  ASSERT_TRUE(zt::xdotool("mousemove --sync --window " + std::to_string(x11.window) + " 50 50"));
  Display* d = probe->display();
  std::string plain = cursor_picture(d);
  ASSERT_NE(plain, "no XFixes");
  std::string shapes[7];
  for (INT_U8 kind = 1; kind <= 6; ++kind) {
    ASSERT_TRUE(set_cursor(kind, 0)) << int(kind);
    shapes[kind] = cursor_picture(d);
    EXPECT_NE(shapes[kind], plain) << int(kind);
    for (INT_U8 other = 1; other < kind; ++other) EXPECT_NE(shapes[kind], shapes[other]) << int(kind) << int(other);
  }
  // Deferred: remembered, not shown. The pause is longer than a frame of an
  // animated shape, so that a moving picture fails every time, not by chance.
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  ASSERT_TRUE(set_cursor(2, 1));
  EXPECT_EQ(cursor_picture(d), shapes[6]);
  MOUSE mouse;
  mouse.hide_pointer();
  EXPECT_EQ(mouse_state.pointer_shown, 0);
  EXPECT_EQ(cursor_picture(d), "blank");
  // A shape asked for while hidden is shown with the pointer.
  ASSERT_TRUE(set_cursor(5, 0));
  EXPECT_EQ(cursor_picture(d), "blank");
  mouse.show_pointer();
  EXPECT_EQ(mouse_state.pointer_shown, 1);
  EXPECT_EQ(cursor_picture(d), shapes[5]);
  ASSERT_TRUE(set_cursor(0, 0));
  EXPECT_EQ(cursor_picture(d), plain);
  EXPECT_FALSE(set_cursor(7, 0));
  EXPECT_FALSE(set_cursor(254, 0));
  EXPECT_TRUE(set_cursor(255, 0));
  close_window(0);
  EXPECT_FALSE(set_cursor(1, 0));  // no window
  EXPECT_TRUE(set_cursor(255, 0));  // still frees
}

TEST_F(CursorTest, WarpMovesThePointerAndTheState) {
  MOUSE mouse;
  frame_activity = 0;
  warp_pointer(&mouse, 30, 40);
  EXPECT_EQ(mouse_state.x, 30);
  EXPECT_EQ(mouse_state.y, 40);
  EXPECT_EQ(frame_activity, 1);
  Window root, child;
  int rx, ry, wx, wy;
  unsigned mask;
  XSync(x11.display, False);
  ASSERT_TRUE(XQueryPointer(probe->display(), x11.window, &root, &child, &rx, &ry, &wx, &wy, &mask));
  EXPECT_EQ(wx, 30);
  EXPECT_EQ(wy, 40);
}

// Widgets ask for their shape every frame: a shape the window shows already
// costs no request and is nothing new to see, shown or only remembered.
TEST_F(CursorTest, AShapeShownAlreadyIsNothingNew) {
  ASSERT_TRUE(set_cursor(2, 0));
  for (INT_U8 defer : {0, 1}) {
    SCOPED_TRACE(int(defer));
    frame_activity = 0;
    const unsigned long before = XNextRequest(x11.display);
    ASSERT_TRUE(set_cursor(2, defer));
    EXPECT_EQ(XNextRequest(x11.display), before);
    EXPECT_EQ(frame_activity, 0);
  }
  // Another shape only remembered changes nothing on the window either.
  ASSERT_TRUE(set_cursor(5, 1));
  EXPECT_EQ(frame_activity, 0);
  // Shown, it is news.
  const unsigned long before = XNextRequest(x11.display);
  ASSERT_TRUE(set_cursor(5, 0));
  EXPECT_GT(XNextRequest(x11.display), before);
  // Hiding or showing a pointer in the asked state is nothing new.
  MOUSE mouse;
  frame_activity = 0;
  EXPECT_TRUE(show_cursor(&mouse, 1));
  EXPECT_EQ(frame_activity, 0);
  EXPECT_TRUE(show_cursor(&mouse, 0));
  EXPECT_EQ(frame_activity, 1);
  frame_activity = 0;
  EXPECT_TRUE(show_cursor(&mouse, 0));
  EXPECT_EQ(frame_activity, 0);
  EXPECT_TRUE(show_cursor(&mouse, 1));
}
