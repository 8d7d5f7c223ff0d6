// Full screen through a video-mode switch, on Xorg with the dummy driver.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/extensions/xf86vmode.h>

#include <cstdio>
#include <memory>

#include "image.h"
#include "input.h"
#include "clock.h"
#include "console.h"
#include "test_support.h"
#include "window.h"
#include "x_helpers.h"
#include "x11_platform.h"

namespace {

class FullScreenTest : public ::testing::Test {
 protected:
  void start(int depth) {
    server = zt::start_xorg_dummy(depth);
    if (!server) GTEST_SKIP() << "Xorg with the dummy driver cannot run here";
    probe.reset(new zt::XProbe());
    ASSERT_TRUE(probe->ok());
  }
  void TearDown() override {
    close_window(65535);
    close_display();
    probe.reset();
    server.reset();
  }
  // The size of the video mode now in use.
  std::pair<int, int> mode() {
    int clock = 0;
    XF86VidModeModeLine line;
    if (!XF86VidModeGetModeLine(probe->display(), DefaultScreen(probe->display()), &clock, &line)) return {0, 0};
    if (line.privsize > 0 && line.c_private) XFree(line.c_private);
    return {line.hdisplay, line.vdisplay};
  }
  bool pointer_grabbed_by_us() { return pointer_grabbed_by_us(probe->display()); }
  // Asked through a connection of the caller's.
  static bool pointer_grabbed_by_us(Display* other) {
    XSync(x11.display, False);
    int r = XGrabPointer(other, DefaultRootWindow(other), False, 0, GrabModeAsync, GrabModeAsync, None,
                         None, CurrentTime);
    if (r == GrabSuccess) XUngrabPointer(other, CurrentTime);
    XSync(other, False);
    return r == AlreadyGrabbed;
  }
  std::unique_ptr<zt::XServer> server;
  std::unique_ptr<zt::XProbe> probe;
};

}  // namespace

TEST_F(FullScreenTest, SwitchesToTheExactModeGrabsAndRestores) {
  start(24);
  ASSERT_EQ(mode(), std::make_pair(1024, 768));
  WINDOW_REQUEST r = {"Full", 640, 480, 1, 65535, 65535, 65535, 65535, 0};
  ASSERT_TRUE(open_window(&r, 0));
  EXPECT_EQ(is_full_screen(), 1);
  EXPECT_EQ(mode(), std::make_pair(640, 480));
  int x, y, w, h;
  ASSERT_TRUE(probe->geometry(x11.window, &x, &y, &w, &h));
  EXPECT_EQ(x, 0);
  EXPECT_EQ(y, 0);
  EXPECT_EQ(w, 640);
  EXPECT_EQ(h, 480);
  XWindowAttributes a;
  ASSERT_TRUE(XGetWindowAttributes(probe->display(), x11.window, &a));
  EXPECT_TRUE(a.override_redirect);
  EXPECT_TRUE(pointer_grabbed_by_us());
  // A message box lets go of the input first.
  release_input_grabs();
  EXPECT_FALSE(pointer_grabbed_by_us());
  // A windowed request recreates the window and gives the desktop mode back.
  r.full_screen = 0;
  ASSERT_TRUE(open_window(&r, 0));
  EXPECT_EQ(is_full_screen(), 0);
  EXPECT_EQ(mode(), std::make_pair(1024, 768));
  EXPECT_FALSE(pointer_grabbed_by_us());
}

TEST_F(FullScreenTest, CloseWindowRestoresTheDesktopMode) {
  start(16);
  WINDOW_REQUEST r = {"Full", 800, 600, 1, 65535, 65535, 65535, 65535, 0};
  ASSERT_TRUE(open_window(&r, 0));
  EXPECT_EQ(mode(), std::make_pair(800, 600));
  // Presentation at depth 16 in full screen.
  IMAGE* s = get_screen_image(0);
  COLOUR c = 0xFF8040C0u;
  s->clear(&c, 1);
  swap_screens(-1);
  EXPECT_EQ(probe->pixel(x11.window, 400, 300), 0x8040C0u & 0xF8FCF8u);
  close_window(0);
  EXPECT_EQ(is_full_screen(), 0);
  EXPECT_EQ(mode(), std::make_pair(1024, 768));
  EXPECT_FALSE(pointer_grabbed_by_us());
}

TEST_F(FullScreenTest, NoExactModeMeansNoSwitchAndNoGrabs) {
  start(24);
  WINDOW_REQUEST r = {"Almost", 700, 500, 1, 65535, 65535, 65535, 65535, 0};
  ASSERT_TRUE(open_window(&r, 0));
  EXPECT_EQ(is_full_screen(), 0);
  EXPECT_EQ(mode(), std::make_pair(1024, 768));
  int x, y, w, h;
  ASSERT_TRUE(probe->geometry(x11.window, &x, &y, &w, &h));
  EXPECT_EQ(x, (1024 - 700) / 2);
  EXPECT_EQ(y, (768 - 500) / 2);
  EXPECT_FALSE(pointer_grabbed_by_us());
}

// Our own grabs move the focus: a frame that answered those focus changes
// with more grabs and ungrabs would never end. Frames run in a child under a
// time limit, so that a hang fails rather than stalls. A message box lets go
// of the input while it is shown and the window takes it back afterwards; a
// real focus change keeps it.
TEST_F(FullScreenTest, FramesAndAMessageBoxReturnWhileTheInputIsGrabbed) {
  start(24);
  zt::ChildResult child = zt::run_in_child(
      [] {
        setvbuf(stdout, nullptr, _IONBF, 0);  // what was done shows even after a hang
        // A connection of the child's own: the fixture's belongs to the parent.
        zt::XProbe other;
        Display* d = other.display();
        WINDOW_REQUEST r = {"Full", 640, 480, 1, 65535, 65535, 65535, 65535, 0};
        if (!open_window(&r, 0) || !is_full_screen()) return;
        for (int i = 0; i < 20; ++i) update_platform();
        printf("frames %d\n", pointer_grabbed_by_us(d));
        // Keys count through the keyboard grab.
        KEYBOARD keyboard;
        zt::xdotool("keydown Control_L");
        zt::pump_until([] { return KEYBOARD::is_key_down(37) != 0; });
        printf("ctrl %u\n", KEYBOARD::is_key_down(37));
        zt::xdotool("keyup Control_L");
        show_message_box("Note", "In full screen");
        for (int i = 0; i < 20; ++i) update_platform();
        printf("box %d\n", pointer_grabbed_by_us(d));
        XSetInputFocus(d, x11.window, RevertToPointerRoot, CurrentTime);
        XSync(d, False);
        zt::pump_until([d] { return pointer_grabbed_by_us(d); });
        printf("refocused %d\n", pointer_grabbed_by_us(d));
        close_window(65535);
        close_display();
      },
      15);
  EXPECT_EQ(child.status, 0) << child.err;
  EXPECT_EQ(child.out, "frames 1\nctrl 1\nbox 1\nrefocused 1\n");
}
