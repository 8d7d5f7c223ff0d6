// Input that comes faster than frames, through the frame pump on a private
// Xvfb: a press and its release sent back to back are seen by two frames, a
// key that acts by its code gets a frame of its own between the characters
// typed around it, and a pump run inside the program's frame leaves both for
// the loop's next pump.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app.h"
#include "clock.h"
#include "input.h"
#include "test_support.h"
#include "window.h"
#include "x_helpers.h"
#include "x11_platform.h"

namespace {

const INT_U32 kLeft = 1u;

int close_requests = 0;
INT_U8 count_close_request(INT_U32) {
  ++close_requests;
  return 0;
}

class PumpEdges : public ::testing::Test {
 protected:
  void SetUp() override {
    server = zt::start_checked_xvfb(1024, 768, 24);
    ASSERT_TRUE(server);
    WINDOW_REQUEST r = {"Edges", 400, 300, 0, 65535, 65535, 65535, 65535, 1};
    ASSERT_TRUE(open_window(&r, 0));
    id = std::to_string(x11.window);
    ASSERT_TRUE(zt::xdotool("windowfocus --sync " + id));
    ASSERT_TRUE(zt::xdotool("mousemove --sync --window " + id + " 50 60"));
    zt::pump_until([] { return false; }, 50);
    KEYBOARD::take_key();
    KEYBOARD::discard_chars();
    mouse_state.buttons = 0;
  }
  void TearDown() override {
    close_window(65535);
    close_display();
    server.reset();
  }
  // Waits until the events that xdotool sent are all in the program's
  // queue, so that one frame could take them together.
  static bool queued(int events) {
    for (int waited = 0; waited < 3000; waited += 5) {
      if (XEventsQueued(x11.display, QueuedAfterReading) >= events) return true;
      usleep(5000);
    }
    return false;
  }
  std::unique_ptr<zt::XServer> server;
  std::string id;
  KEYBOARD keyboard;
  MOUSE mouse;
};

}  // namespace

TEST_F(PumpEdges, APressAndItsReleaseSentTogetherAreSeenByTwoFrames) {
  for (int click = 0; click < 5; ++click) {
    SCOPED_TRACE(click);
    ASSERT_TRUE(zt::xdotool("click 1"));
    ASSERT_TRUE(queued(2));
    update_platform();
    EXPECT_EQ(mouse_state.buttons & kLeft, kLeft);
    update_platform();
    EXPECT_EQ(mouse_state.buttons & kLeft, 0u);
  }
}

TEST_F(PumpEdges, AKeyThatActsByItsCodeHasAFrameOfItsOwn) {
  // Presses of a, b, Home, c, Tab and d (the window hears no releases).
  for (const char* keys : {"type --delay 0 ab", "key Home", "type c", "key Tab", "type d"})
    ASSERT_TRUE(zt::xdotool(keys));
  ASSERT_TRUE(queued(6));
  std::vector<std::string> frames;
  for (int i = 0; i < 10; ++i) {
    update_platform();
    std::string seen;
    while (INT_U8 c = KEYBOARD::pop_char()) seen += static_cast<char>(c);
    const INT_S32 key = KEYBOARD::take_key();
    if (key == KEYCODE_HOME) seen += "<Home>";
    if (key == KEYCODE_TAB) seen += "<Tab>";
    if (!seen.empty()) frames.push_back(seen);
  }
  // Tab's character comes with its code; what follows waits.
  const std::vector<std::string> want = {"ab", "<Home>", "c", "\t<Tab>", "d"};
  EXPECT_EQ(frames, want);
}

TEST_F(PumpEdges, APumpInsideTheProgramsFrameLeavesEdgesForTheLoopsNext) {
  ASSERT_TRUE(zt::xdotool("click 1"));
  ASSERT_TRUE(queued(2));
  begin_program_frame();
  update_platform();  // as a pointer shape's change runs it
  EXPECT_EQ(mouse_state.buttons & kLeft, 0u);
  end_program_frame();
  EXPECT_FALSE(in_program_frame());
  update_platform();
  EXPECT_EQ(mouse_state.buttons & kLeft, kLeft);
  begin_program_frame();
  update_platform();
  EXPECT_EQ(mouse_state.buttons & kLeft, kLeft);  // the release waits
  end_program_frame();
  update_platform();
  EXPECT_EQ(mouse_state.buttons & kLeft, 0u);
}

// Behind a click that waits, the window's own events are still taken: here
// the close request, sent after the click.
TEST_F(PumpEdges, WhatWaitsHoldsUpNoneOfTheWindowsOwnEvents) {
  zt::XProbe probe;
  ASSERT_TRUE(probe.ok());
  set_may_quit_callback(count_close_request);
  close_requests = 0;
  ASSERT_TRUE(zt::xdotool("click 1"));
  XEvent e = {};
  e.xclient.type = ClientMessage;
  e.xclient.window = x11.window;
  e.xclient.message_type = probe.intern("WM_PROTOCOLS");
  e.xclient.format = 32;
  e.xclient.data.l[0] = static_cast<long>(probe.intern("WM_DELETE_WINDOW"));
  XSendEvent(probe.display(), x11.window, False, 0, &e);
  XSync(probe.display(), False);
  ASSERT_TRUE(queued(3));
  begin_program_frame();
  update_platform();
  end_program_frame();
  EXPECT_EQ(mouse_state.buttons & kLeft, 0u);
  EXPECT_EQ(close_requests, 1);
  update_platform();
  EXPECT_EQ(mouse_state.buttons & kLeft, kLeft);
  update_platform();
  EXPECT_EQ(mouse_state.buttons & kLeft, 0u);
  set_may_quit_callback(nullptr);
}
