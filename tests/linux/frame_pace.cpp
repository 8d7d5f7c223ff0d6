// The window manager's drawing at the display's pace, on a private Xvfb: while
// the program works flat out, frames the display takes none of draw nothing,
// and every frame that goes out shows the latest state (a test clock stands in
// for the display's).
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "clock.h"
#include "image.h"
#include "page_manager.h"
#include "test_support.h"
#include "window.h"
#include "wm_globals.h"
#include "x_helpers.h"
#include "x11_platform.h"

namespace {

INT_U64 fake_now = 1000000;
INT_U64 fake_clock() { return fake_now; }

const COLOUR kGreen = 0xFF00FF00u, kRed = 0xFFFF0000u, kBlue = 0xFF0000FFu, kYellow = 0xFFFFFF00u;
const WINDOW_REQUEST kRequest = {"Frame pace", 400, 300, 0, 65535, 65535, 65535, 65535, 1};

// A block in one colour that counts its drawings.
class BLOCK : public WM_SCREEN_OBJECT {
 public:
  BLOCK() : WM_SCREEN_OBJECT(1, nullptr, 0, 0) {
    x = 100;
    y = 100;
    width = height = 100;
  }
  void draw() override {
    ++draws;
    wm_surface->fill_rect(x, y, static_cast<INT_S16>(x + width - 1), static_cast<INT_S16>(y + height - 1), &fill,
                          0);
  }
  void paint(COLOUR colour) {
    fill = colour;
    show();
  }
  COLOUR fill = kGreen;
  int draws = 0;
};

BLOCK* block = nullptr;
void build_block(PAGE_MANAGER* pm) {
  block = new BLOCK();
  pm->current_manager->add_child(block, 0);
}

class FramePaceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    server = zt::start_checked_xvfb(1024, 768, 24);
    ASSERT_TRUE(server);
    probe.reset(new zt::XProbe());
    ASSERT_TRUE(open_window(&kRequest, 0));
    wm_surface = get_screen_image(0);
    wm_use_cursor_shapes = 0;
    pace_clock_source = fake_clock;
    pm.reset(new PAGE_MANAGER(1, -1));
    pm->request_page(0, build_block, nullptr, 0, nullptr, 0, 0, nullptr);
    frame();
    frame();
    ASSERT_TRUE(block);
    set_idle_wait(0);
  }
  void TearDown() override {
    pm.reset();
    block = nullptr;
    deferred_frame_drawer = nullptr;
    pace_clock_source = nullptr;
    set_idle_wait(50);
    close_window(65535);
    close_display();
    probe.reset();
    server.reset();
  }
  // One turn of a program's main loop, `us` after the last one.
  void frame(INT_U64 us = 1000) {
    fake_now += us;
    update_platform();
    pm->update(0);
    swap_screens(-1);
  }
  // What the window shows at the block, read without letting the program show
  // a waiting frame first.
  uint32_t shown() {
    XSync(x11.display, False);
    XImage* image = XGetImage(probe->display(), x11.window, 150, 150, 1, 1, AllPlanes, ZPixmap);
    if (!image) return 0xDEADBEEF;
    const uint32_t p = static_cast<uint32_t>(XGetPixel(image, 0, 0)) & 0xFFFFFFu;
    XDestroyImage(image);
    return p;
  }
  // A frame that goes out now, the block green.
  void green_frame() {
    block->paint(kGreen);
    frame(kFixedFrameIntervalUs);
    ASSERT_EQ(shown(), 0x00FF00u);
  }
  static COLOUR drawn() { return *get_screen_image(0)->pixel_at(150, 150); }
  std::unique_ptr<zt::XServer> server;
  std::unique_ptr<zt::XProbe> probe;
  std::unique_ptr<PAGE_MANAGER> pm;
};

}  // namespace

TEST_F(FramePaceTest, FramesTheDisplayTakesNoneOfDrawNothingAndTheNextShowsTheLatest) {
  green_frame();
  const int draws = block->draws;
  // Two changes within the interval: neither is drawn.
  block->paint(kRed);
  frame();
  block->paint(kBlue);
  frame();
  EXPECT_EQ(block->draws, draws);
  EXPECT_EQ(drawn(), kGreen);
  EXPECT_EQ(shown(), 0x00FF00u);
  // The frame the display takes draws the latest once and shows it.
  frame(kFixedFrameIntervalUs);
  EXPECT_EQ(block->draws, draws + 1);
  EXPECT_EQ(shown(), 0x0000FFu);
}

TEST_F(FramePaceTest, WorkThatBlocksShowsWhatWaitsOnceAFrameMayGoOut) {
  green_frame();
  block->paint(kYellow);
  frame();
  ASSERT_EQ(shown(), 0x00FF00u);
  ASSERT_TRUE(deferred_frame_drawer);
  // Within the interval the drawer leaves it; after it, it shows the change.
  deferred_frame_drawer();
  EXPECT_EQ(shown(), 0x00FF00u);
  fake_now += kFixedFrameIntervalUs;
  deferred_frame_drawer();
  EXPECT_EQ(shown(), 0xFFFF00u);
}

TEST_F(FramePaceTest, WorkBetweenItsStepsShowsWhatWaitsInItsTurnAndWorkThatBlocksAtOnce) {
  green_frame();
  block->paint(kYellow);
  frame();
  ASSERT_EQ(shown(), 0x00FF00u);
  // Between the steps of long work: shown once its turn has come.
  present_due_frame();
  EXPECT_EQ(shown(), 0x00FF00u);
  fake_now += kFixedFrameIntervalUs;
  present_due_frame();
  EXPECT_EQ(shown(), 0xFFFF00u);
  // Before work that blocks at once (a message box, a program run): at once.
  block->paint(kRed);
  frame();
  ASSERT_EQ(shown(), 0xFFFF00u);
  present_frame_before_blocking();
  EXPECT_EQ(shown(), 0xFF0000u);
}

TEST_F(FramePaceTest, AFrameLeftWaitingGoesOutCurrent) {
  green_frame();
  // Pixels drawn and presented outside the frame's drawing within the interval
  // leave a frame waiting: changes after them are drawn into it.
  frame();
  const COLOUR grey = 0xFF808080u;
  get_screen_image(0)->fill_rect(0, 0, 9, 9, &grey, 0);
  swap_screens(-1);
  ASSERT_TRUE(x11.present_pending);
  block->paint(kRed);
  frame();
  EXPECT_EQ(drawn(), kRed);
  frame(kFixedFrameIntervalUs);
  EXPECT_EQ(shown(), 0xFF0000u);
  // A resting program draws every frame.
  set_idle_wait(50);
  block->paint(kBlue);
  frame();
  EXPECT_EQ(drawn(), kBlue);
}
