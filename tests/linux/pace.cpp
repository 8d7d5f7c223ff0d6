// Frames at a fixed pace, on a private Xvfb: a person's input is
// answered in the frame that takes it in, presents and key-map reads come at
// most once per frame interval (a test clock stands in for the real one), an
// edge that follows another closely is shown without waiting its turn, and a
// frame left waiting is shown before the program rests, reconfigures or
// closes its window.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app.h"
#include "clipboard.h"
#include "clock.h"
#include "console.h"
#include "desktop.h"
#include "image.h"
#include "input.h"
#include "test_support.h"
#include "window.h"
#include "x_helpers.h"
#include "x11_platform.h"

namespace {

INT_U64 fake_now = 1000000;
INT_U64 fake_clock() { return fake_now; }

// The pump's waits, each taking its whole time on the test clock.
std::vector<INT_U64> waits;
void fake_wait(INT_U64 us) {
  waits.push_back(us);
  fake_now += us;
}

int quit_questions = 0;
INT_U8 count_quit_question(INT_U32) {
  ++quit_questions;
  return 0;
}

const COLOUR kRed = 0xFFFF0000u, kBlue = 0xFF0000FFu, kGreen = 0xFF00FF00u;
const WINDOW_REQUEST kRequest = {"Pace", 400, 300, 0, 65535, 65535, 65535, 65535, 1};  // at (312, 234)

class PaceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    server = zt::start_checked_xvfb(1024, 768, 24);
    ASSERT_TRUE(server);
    probe.reset(new zt::XProbe());
    ASSERT_TRUE(open_window(&kRequest, 0));
    id = std::to_string(x11.window);
    ASSERT_TRUE(zt::xdotool("windowfocus --sync " + id));
    zt::pump_until([] { return false; }, 100);
    set_idle_wait(0);
  }
  void TearDown() override {
    pace_clock_source = nullptr;
    pump_wait_source = nullptr;
    set_idle_wait(50);
    close_window(65535);
    close_display();
    probe.reset();
    server.reset();
  }
  // Fills the screen image and asks for a present.
  static void present(COLOUR colour) {
    get_screen_image(0)->clear(&colour, 0);
    get_screen_image(0)->add_dirty_rect(0, 0, 399, 299);
    swap_screens(-1);
  }
  // What the window shows now, read without letting the program show a
  // waiting frame first.
  uint32_t shown() {
    XSync(x11.display, False);
    XImage* image = XGetImage(probe->display(), x11.window, 200, 150, 1, 1, AllPlanes, ZPixmap);
    if (!image) return 0xDEADBEEF;
    const uint32_t p = static_cast<uint32_t>(XGetPixel(image, 0, 0)) & 0xFFFFFFu;
    XDestroyImage(image);
    return p;
  }
  static unsigned long requests_of(const std::function<void()>& f) {
    const unsigned long before = XNextRequest(x11.display);
    f();
    return XNextRequest(x11.display) - before;
  }
  std::unique_ptr<zt::XServer> server;
  std::unique_ptr<zt::XProbe> probe;
  std::string id;
  KEYBOARD keyboard;
  MOUSE mouse;
};

}  // namespace

TEST_F(PaceTest, APresentWithinTheIntervalWaitsForThePumpAfterIt) {
  pace_clock_source = fake_clock;
  fake_now += kFixedFrameIntervalUs;
  present(kRed);
  EXPECT_EQ(shown(), 0xFF0000u);
  frame_activity = 0;
  EXPECT_EQ(requests_of([] { present(kBlue); }), 0u);
  EXPECT_EQ(frame_activity, 1);
  EXPECT_FALSE(get_screen_image(0)->has_dirty_area());  // taken, as a present takes it
  // Frames within the interval leave it waiting and do not rest.
  update_platform();
  update_platform();
  EXPECT_EQ(shown(), 0xFF0000u);
  EXPECT_EQ(frame_activity, 1);
  // The first frame after it shows the image as it is then.
  fake_now += kFixedFrameIntervalUs;
  update_platform();
  EXPECT_EQ(shown(), 0x0000FFu);
  EXPECT_EQ(frame_activity, 0);
  // And a present after the interval goes out at once.
  fake_now += kFixedFrameIntervalUs;
  present(kRed);
  EXPECT_EQ(shown(), 0xFF0000u);
}

// A frame with nothing new rests, also while a frame waits for its turn: it
// waits for the rest of the interval and then shows it. Without that wait
// the frames would spin towards the turn.
TEST_F(PaceTest, AFrameWithNothingNewWaitsForTheRestOfTheInterval) {
  pace_clock_source = fake_clock;
  pump_wait_source = fake_wait;
  set_idle_wait(50);
  fake_now += kFixedFrameIntervalUs;
  present(kRed);
  update_platform();  // the present's own frame does not rest
  waits.clear();
  fake_now += 5000;
  present(kBlue);
  ASSERT_EQ(shown(), 0xFF0000u);
  update_platform();
  EXPECT_EQ(waits, std::vector<INT_U64>{kFixedFrameIntervalUs - 5000});
  EXPECT_EQ(shown(), 0x0000FFu);
  // Nothing new after it: the frames wait the idle wait.
  update_platform();
  update_platform();
  EXPECT_EQ(waits, (std::vector<INT_U64>{kFixedFrameIntervalUs - 5000, 50000, 50000}));
  // A frame asked for every few milliseconds (an animation): each frame
  // rests until the turn of the one waiting, one wait a frame.
  present(kRed);  // goes out at once
  update_platform();
  waits.clear();
  for (int i = 0; i < 10; ++i) {
    fake_now += 3000;
    present(i % 2 ? kRed : kBlue);
    update_platform();
  }
  EXPECT_EQ(waits.size(), 10u);
  for (INT_U64 w : waits) EXPECT_LE(w, kFixedFrameIntervalUs);
  // Working flat out (idle wait 0) never waits.
  set_idle_wait(0);
  waits.clear();
  fake_now += 3000;
  present(kBlue);
  update_platform();
  update_platform();
  EXPECT_TRUE(waits.empty());
}

// An edge that follows another closely (a tap's release behind its press, a
// key that acts by its code behind the characters typed before it, a release
// just after its press's frame) is answered by a frame that does not wait its
// turn: pumps inside it never rest, and the loop's next pump shows what it
// drew at once. An edge long after the one before keeps the pace.
TEST_F(PaceTest, AnEdgeThatFollowsAnotherCloselyIsShownWithoutWaitingItsTurn) {
  pace_clock_source = fake_clock;
  pump_wait_source = fake_wait;
  set_idle_wait(50);
  ASSERT_TRUE(zt::xdotool("mousemove --sync --window " + id + " 50 50"));
  zt::pump_until([] { return false; }, 100);
  // Waits until xdotool's events are all in the program's queue.
  auto queued = [](int events) {
    for (int waited = 0; waited < 3000; waited += 5) {
      if (XEventsQueued(x11.display, QueuedAfterReading) >= events) return true;
      usleep(5000);
    }
    return false;
  };
  const struct {
    const char* what;
    std::vector<const char*> first, second;  // xdotool runs before each edge
    int events;                              // queued before the first frame
    bool apart;                              // two frame intervals between the edges
    bool at_once;
  } cases[] = {
      {"a press and its release sent together", {"click 1"}, {}, 2, false, true},
      {"a key acting by its code behind typed characters", {"type --delay 0 ab", "key Home"}, {}, 3, false, true},
      {"a release just after its press's frame", {"mousedown 1"}, {"mouseup 1"}, 1, false, true},
      {"a release long after its press", {"mousedown 1"}, {"mouseup 1"}, 1, true, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    // Long after the last case's edges.
    fake_now += 4 * kFixedFrameIntervalUs;
    present(kRed);
    update_platform();
    ASSERT_EQ(shown(), 0xFF0000u);
    for (const char* run : c.first) ASSERT_TRUE(zt::xdotool(run));
    ASSERT_TRUE(queued(c.events));
    // The first edge's frame (or the characters') draws within the interval:
    // its frame waits.
    fake_now += 1000;
    update_platform();
    present(kBlue);
    ASSERT_TRUE(x11.present_pending);
    uint32_t before = 0xFF0000u;
    if (c.apart) {
      // The waiting frame goes out, and one more frame is asked for just
      // before the second edge.
      fake_now += 2 * kFixedFrameIntervalUs;
      update_platform();
      ASSERT_EQ(shown(), 0x0000FFu);
      present(kRed);
      ASSERT_TRUE(x11.present_pending);
      before = 0x0000FFu;
    }
    for (const char* run : c.second) ASSERT_TRUE(zt::xdotool(run));
    if (!c.second.empty()) {
      ASSERT_TRUE(queued(1));
    }
    // The frame that takes the second edge: what waits goes on waiting, to
    // go out with what the frame draws.
    waits.clear();
    fake_now += 1000;
    update_platform();
    EXPECT_TRUE(waits.empty());
    EXPECT_EQ(shown(), before);
    EXPECT_TRUE(frame_goes_out_now());
    // A pump inside it (as a pointer shape's change runs it) does not rest
    // for the turn; inside a frame at the pace it does, and shows what waits.
    present(kGreen);
    begin_program_frame();
    update_platform();
    end_program_frame();
    EXPECT_EQ(waits.empty(), c.at_once);
    EXPECT_EQ(shown(), c.at_once ? before : 0x00FF00u);
    // The loop's next pump shows what the frame drew, at once.
    present(kBlue);
    waits.clear();
    fake_now += 1000;
    update_platform();
    EXPECT_EQ(waits.empty(), c.at_once);
    EXPECT_EQ(shown(), 0x0000FFu);
    // Then the pace is back.
    fake_now += 1000;
    present(kRed);
    waits.clear();
    update_platform();
    EXPECT_EQ(waits.size(), 1u);
    EXPECT_EQ(shown(), 0xFF0000u);
    KEYBOARD::take_key();
    KEYBOARD::discard_chars();
    ASSERT_EQ(mouse_state.buttons, 0u);
  }
}

// Work in the frame of such an edge that goes on pumping for longer than a
// frame interval (a wait for input of its own) rests for the turn again, and
// does not spin.
TEST_F(PaceTest, WorkInAnEdgesFramePumpingPastAnIntervalWaitsItsTurnAgain) {
  pace_clock_source = fake_clock;
  pump_wait_source = fake_wait;
  set_idle_wait(50);
  ASSERT_TRUE(zt::xdotool("mousemove --sync --window " + id + " 50 50"));
  zt::pump_until([] { return false; }, 100);
  fake_now += 4 * kFixedFrameIntervalUs;
  present(kRed);
  update_platform();
  ASSERT_TRUE(zt::xdotool("click 1"));
  for (int waited = 0; waited < 3000 && XEventsQueued(x11.display, QueuedAfterReading) < 2; waited += 5) usleep(5000);
  fake_now += 1000;
  update_platform();
  ASSERT_EQ(mouse_state.buttons, 1u);
  present(kBlue);
  fake_now += 1000;
  update_platform();  // the release: its frame answers at once
  ASSERT_EQ(mouse_state.buttons, 0u);
  ASSERT_TRUE(x11.edge_frame);
  begin_program_frame();
  fake_now += kFixedFrameIntervalUs;
  present(kGreen);  // due: goes out
  ASSERT_EQ(shown(), 0x00FF00u);
  present(kBlue);
  waits.clear();
  update_platform();
  end_program_frame();
  EXPECT_EQ(waits.size(), 1u);
  EXPECT_EQ(shown(), 0x0000FFu);
}

TEST_F(PaceTest, AWaitingFrameIsShownWhenTheProgramRestsOrReconfiguresItsWindow) {
  pace_clock_source = fake_clock;
  fake_now += kFixedFrameIntervalUs;
  const std::pair<const char*, std::function<void()>> cases[] = {
      {"the wait turned on again", [] { set_idle_wait(50); }},
      {"the window asked for again", [] { ASSERT_TRUE(open_window(&kRequest, 0)); }},
      {"the program reading its window", [] { present_pending_frame(); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.first);
    set_idle_wait(0);
    fake_now += kFixedFrameIntervalUs;
    present(kRed);
    present(kBlue);
    ASSERT_EQ(shown(), 0xFF0000u);
    c.second();
    EXPECT_EQ(shown(), 0x0000FFu);
  }
}

TEST_F(PaceTest, AWaitingFrameIsShownBeforeTheWindowCloses) {
  pace_clock_source = fake_clock;
  auto close_requests = [&](bool waiting) {
    fake_now += kFixedFrameIntervalUs;
    present(kRed);
    if (waiting) present(kBlue);
    const unsigned long n = requests_of([] { close_window(0); });
    EXPECT_TRUE(open_window(&kRequest, 0));
    return n;
  };
  const unsigned long plain = close_requests(false);
  EXPECT_GT(close_requests(true), plain);
}

TEST_F(PaceTest, TheKeyMapIsReadAtThePaceAndAtOnceAfterAKey) {
  pace_clock_source = fake_clock;
  fake_now += kFixedFrameIntervalUs;
  update_platform();
  EXPECT_EQ(requests_of([] {
              update_platform();
              update_platform();
            }),
            0u);
  const INT_S32 shift = 50;
  ASSERT_TRUE(zt::xdotool("keydown Shift_L"));
  // Only the key's own event can bring the news: the clock stands still.
  EXPECT_TRUE(zt::pump_until([&] { return KEYBOARD::is_key_down(shift) != 0; }));
  ASSERT_TRUE(zt::xdotool("keyup Shift_L"));
  XSync(probe->display(), False);
  update_platform();
  EXPECT_EQ(KEYBOARD::is_key_down(shift), 1u);  // a release sends no event here
  fake_now += kFixedFrameIntervalUs;
  update_platform();
  EXPECT_EQ(KEYBOARD::is_key_down(shift), 0u);
}

// With a long idle wait, the frame that takes a person's input in (the
// window's close request among it) or a cursor change must not rest: it ends
// far below the wait.
TEST_F(PaceTest, InputAndCursorChangesAreAnsweredWithoutTheIdleWait) {
  const INT_U32 kLongWait = 4000;
  const double kFarBelow = 2000;
  auto ms_of = [](const std::function<void()>& f) {
    const auto start = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  };
  // The duration of the frame in which `seen` came true; -1 when it never did.
  auto answering_frame_ms = [&](const std::function<bool()>& seen) {
    for (int i = 0; i < 5; ++i) {
      const double ms = ms_of([] { update_platform(); });
      if (seen()) return ms;
    }
    return -1.0;
  };
  Window cover = 0;
  struct Case {
    const char* what;
    std::function<void()> prepare, act;
    std::function<bool()> seen;
  } cases[] = {
      {"a button release", [&] { zt::xdotool("mousemove --sync --window " + id + " 50 50 mousedown 1"); },
       [] { zt::xdotool("mouseup 1"); }, [] { return mouse_state.buttons == 0; }},
      {"a button press", [] {}, [] { zt::xdotool("mousedown 1"); }, [] { return mouse_state.buttons == 1; }},
      {"a key", [] { zt::xdotool("mouseup 1"); }, [] { zt::xdotool("key a"); },
       [] { return keyboard_state.last_index >= 0; }},
      {"the pointer coming in", [] { zt::xdotool("mousemove --sync 5 5"); },
       [&] { zt::xdotool("mousemove --sync --window " + id + " 60 60"); }, [] { return x11.pointer_inside != 0; }},
      {"a part of the window uncovered",
       [&] {
         XSetWindowAttributes a = {};
         a.override_redirect = True;
         cover = XCreateWindow(probe->display(), DefaultRootWindow(probe->display()), 312, 234, 100, 100, 0,
                               CopyFromParent, InputOutput, CopyFromParent, CWOverrideRedirect, &a);
         XMapWindow(probe->display(), cover);
         XSync(probe->display(), False);
       },
       [&] {
         XUnmapWindow(probe->display(), cover);
         XSync(probe->display(), False);
       },
       [] { return get_screen_image(0)->has_dirty_area(); }},
      {"the window's close request", [] { set_may_quit_callback(count_quit_question); },
       [&] {
         XEvent e = {};
         e.xclient.type = ClientMessage;
         e.xclient.window = x11.window;
         e.xclient.message_type = XInternAtom(probe->display(), "WM_PROTOCOLS", False);
         e.xclient.format = 32;
         e.xclient.data.l[0] = static_cast<long>(XInternAtom(probe->display(), "WM_DELETE_WINDOW", False));
         XSendEvent(probe->display(), x11.window, False, NoEventMask, &e);
         XSync(probe->display(), False);
       },
       [] { return quit_questions > 0; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    set_idle_wait(50);
    c.prepare();
    zt::pump_until([] { return false; }, 300);
    KEYBOARD::take_key();
    while (KEYBOARD::pop_char()) {}
    swap_screens(-1);  // nothing dirty is left over
    present_pending_frame();
    update_platform();  // the flags of that frame are spent
    set_idle_wait(kLongWait);
    c.act();
    const double ms = answering_frame_ms(c.seen);
    EXPECT_GE(ms, 0);
    EXPECT_LT(ms, kFarBelow);
  }
  set_may_quit_callback(nullptr);
  set_idle_wait(50);
  update_platform();
  set_idle_wait(kLongWait);
  for (INT_U8 kind : {2, 0}) {
    SCOPED_TRACE(kind);
    EXPECT_LT(ms_of([&] { EXPECT_TRUE(set_cursor(kind, 0)); }), kFarBelow);
  }
  set_idle_wait(50);
}

// Widgets under the pointer ask for their shape every frame, deferred or
// not: a shape the window shows already is nothing new, and the frames rest.
TEST_F(PaceTest, AShapeAskedForEveryFrameLetsTheFramesRest) {
  set_idle_wait(50);
  ASSERT_TRUE(set_cursor(2, 0));
  update_platform();
  for (INT_U8 defer : {1, 0}) {
    SCOPED_TRACE(int(defer));
    int frames = 0;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(300);
    while (std::chrono::steady_clock::now() < end) {
      ASSERT_TRUE(set_cursor(2, defer));
      update_platform();
      ++frames;
    }
    EXPECT_LE(frames, 300 / 50 + 2);
  }
  // A shape only remembered changes nothing to see either.
  frame_activity = 0;
  ASSERT_TRUE(set_cursor(5, 1));
  EXPECT_EQ(frame_activity, 0);
  set_idle_wait(0);
}

// Work that blocks at once shows a waiting frame first: while the message
// program is up, and while the clipboard's owner is asked, the window shows
// the last frame asked for.
TEST_F(PaceTest, AWaitingFrameIsShownBeforeTheMessageBoxTheDesktopsToolsAndTheClipboardWait) {
  pace_clock_source = fake_clock;
  fake_now += kFixedFrameIntervalUs;
  Display* d = probe->display();
  const Window window = x11.window;
  auto window_pixel = [d, window] {
    XImage* image = XGetImage(d, window, 200, 150, 1, 1, AllPlanes, ZPixmap);
    if (!image) return 0xDEADBEEFu;
    const uint32_t p = static_cast<uint32_t>(XGetPixel(image, 0, 0)) & 0xFFFFFFu;
    XDestroyImage(image);
    return p;
  };

  // A program that waits, while it is up, for the test to let it go: the
  // message box, then the desktop's browser.
  const std::string dir = zt::make_temp_dir("box");
  const std::string box = dir + "/message";
  zt::write_text(box, "#!/bin/sh\n: > \"$0.up\"\nread go < \"$0.go\"\nexit 2\n");
  ASSERT_EQ(chmod(box.c_str(), 0755), 0);
  ASSERT_EQ(mkfifo((box + ".go").c_str(), 0600), 0);
  const char* const preferred = message_box_preferred_program;
  const char* const browser = desktop_programs.browser;
  message_box_preferred_program = box.c_str();
  desktop_programs.browser = box.c_str();
  const std::function<void()> blocking_calls[] = {[] { show_message_box("Title", "Text"); },
                                                  [] { open_url("http://example.invalid/"); }};
  for (const auto& call : blocking_calls) {
    fake_now += kFixedFrameIntervalUs;
    unlink((box + ".up").c_str());
    present(kRed);
    present(kBlue);
    ASSERT_EQ(shown(), 0xFF0000u);
    uint32_t while_up = 0;
    std::thread reader([&] {
      while (!zt::file_exists(box + ".up")) std::this_thread::sleep_for(std::chrono::milliseconds(2));
      while_up = window_pixel();
      zt::write_text(box + ".go", "go\n");
    });
    call();
    reader.join();
    EXPECT_EQ(while_up, 0x0000FFu);
  }
  message_box_preferred_program = preferred;
  desktop_programs.browser = browser;

  // A clipboard owner of another client reads the window when it is asked.
  Atom clipboard = XInternAtom(d, "CLIPBOARD", False);
  Window owner = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 1, 1, 0, 0, 0);
  XSetSelectionOwner(d, clipboard, owner, CurrentTime);
  XSync(d, False);
  fake_now += kFixedFrameIntervalUs;
  present(kRed);
  present(kBlue);
  ASSERT_EQ(shown(), 0xFF0000u);
  std::atomic<uint32_t> while_asked{0};
  std::thread answering([&] {
    for (;;) {
      XEvent e;
      XNextEvent(d, &e);
      if (e.type != SelectionRequest) continue;
      while_asked = window_pixel();
      const XSelectionRequestEvent& r = e.xselectionrequest;
      const char text[] = "pasted";
      XChangeProperty(d, r.requestor, r.property, r.target, 8, PropModeReplace,
                      reinterpret_cast<const unsigned char*>(text), sizeof text);
      XEvent n = {};
      n.xselection.type = SelectionNotify;
      n.xselection.requestor = r.requestor;
      n.xselection.selection = r.selection;
      n.xselection.target = r.target;
      n.xselection.property = r.property;
      n.xselection.time = r.time;
      XSendEvent(d, r.requestor, False, 0, &n);
      XFlush(d);
      return;
    }
  });
  char buffer[32] = {0};
  EXPECT_TRUE(get_clipboard_text(buffer, sizeof buffer));
  answering.join();
  EXPECT_STREQ(buffer, "pasted");
  EXPECT_EQ(while_asked, 0x0000FFu);
  XDestroyWindow(d, owner);
  XSync(d, False);
}
