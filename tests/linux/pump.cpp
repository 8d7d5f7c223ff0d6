// The frame pump driven as a person would, with xdotool on a private Xvfb.
#include <gtest/gtest.h>

#include <X11/keysym.h>

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <thread>

#include "app.h"
#include "clock.h"
#include "image.h"
#include "input.h"
#include "test_support.h"
#include "window.h"
#include "x_helpers.h"
#include "x11_platform.h"

namespace {

class PumpTest : public ::testing::Test {
 protected:
  void SetUp() override {
    server = zt::start_checked_xvfb(1024, 768, 24);
    ASSERT_TRUE(server);
    probe.reset(new zt::XProbe());
    WINDOW_REQUEST r = {"Pump", 400, 300, 0, 65535, 65535, 65535, 65535, 1};  // undecorated: at (312, 234)
    ASSERT_TRUE(open_window(&r, 0));
    id = std::to_string(x11.window);
    ASSERT_TRUE(zt::xdotool("windowfocus --sync " + id));
    zt::pump_until([] { return false; }, 50);
    KEYBOARD::take_key();
    while (KEYBOARD::pop_char()) {}
    mouse_state.buttons = 0;
    mouse_state.wheel = 0;
  }
  void TearDown() override {
    close_window(65535);
    close_display();
    probe.reset();
    server.reset();
  }
  std::string typed(int count, int timeout_ms = 3000) {
    std::string s;
    zt::pump_until(
        [&] {
          while (INT_U8 c = KEYBOARD::pop_char()) s += static_cast<char>(c);
          return static_cast<int>(s.size()) >= count;
        },
        timeout_ms);
    return s;
  }
  INT_S32 next_key() {
    INT_S32 k = 0;
    zt::pump_until([&] { return (k = KEYBOARD::take_key()) != 0; });
    return k;
  }
  std::unique_ptr<zt::XServer> server;
  std::unique_ptr<zt::XProbe> probe;
  std::string id;
  KEYBOARD keyboard;
  MOUSE mouse;
};

}  // namespace

TEST_F(PumpTest, PointerPositionFollowsTheMouse) {
  ASSERT_TRUE(zt::xdotool("mousemove --sync --window " + id + " 10 20"));
  EXPECT_TRUE(zt::pump_until([] { return mouse_state.x == 10 && mouse_state.y == 20; }));
  ASSERT_TRUE(zt::xdotool("mousemove --sync --window " + id + " 399 299"));
  EXPECT_TRUE(zt::pump_until([] { return mouse_state.x == 399 && mouse_state.y == 299; }));
  EXPECT_NE(get_last_mouse_time(), 0u);
}

TEST_F(PumpTest, ButtonsMapLeftRightMiddleAndWheelCounts) {
  ASSERT_TRUE(zt::xdotool("mousemove --sync --window " + id + " 50 60"));
  struct Case {
    const char* action;
    INT_U32 mask;
  } cases[] = {
      {"mousedown 1", 1}, {"mousedown 3", 3}, {"mousedown 2", 7},  // X 3 is the right button (bit 1), X 2 the middle (bit 2)
      {"mouseup 1", 6},   {"mouseup 2", 2},   {"mouseup 3", 0},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(zt::xdotool(c.action));
    EXPECT_TRUE(zt::pump_until([&] { return mouse_state.buttons == c.mask; })) << c.action << " " << mouse_state.buttons;
  }
  ASSERT_TRUE(zt::xdotool("click 4 click 4 click 5 click 4"));
  EXPECT_TRUE(zt::pump_until([] { return mouse_state.wheel == 2; })) << mouse_state.wheel;
  EXPECT_EQ(mouse_state.buttons, 0u);  // wheel steps are no buttons
  EXPECT_EQ(mouse_state.x, 50);
}

TEST_F(PumpTest, ReleaseOutsideStoresTheOutsidePositionAndMotionOutsideClearsTheMask) {
  ASSERT_TRUE(zt::xdotool("mousemove --sync --window " + id + " 100 100 mousedown 1"));
  ASSERT_TRUE(zt::pump_until([] { return mouse_state.buttons == 1; }));
  // Held and dragged out: the window still gets the motion, outside its area.
  ASSERT_TRUE(zt::xdotool("mousemove --sync 900 700"));
  EXPECT_TRUE(zt::pump_until([] { return mouse_state.x == -1 && mouse_state.y == -1; }));
  EXPECT_EQ(mouse_state.buttons, 0u);
  ASSERT_TRUE(zt::xdotool("mouseup 1"));
  // Window at (312, 234): the release is at 900 - 312, 700 - 234.
  EXPECT_TRUE(zt::pump_until([] { return mouse_state.x == 588 && mouse_state.y == 466; }))
      << mouse_state.x << "," << mouse_state.y;
}

TEST_F(PumpTest, ReturnAndKeypadEnterGiveLineFeed) {
  ASSERT_TRUE(zt::xdotool("key Return"));
  EXPECT_EQ(typed(1), "\n");
  EXPECT_EQ(KEYBOARD::take_key(), 36);
  ASSERT_TRUE(zt::xdotool("key KP_Enter"));
  EXPECT_EQ(typed(1), "\n");
  EXPECT_EQ(KEYBOARD::take_key(), 108);
}

TEST_F(PumpTest, CtrlLetterGivesTheLetter) {
  ASSERT_TRUE(zt::xdotool("key ctrl+a ctrl+z"));
  EXPECT_EQ(typed(2), "az");
}

// Characters that find the queue full wait in the server's queue while
// somebody reads the typed characters, for as many frames as they need.
TEST_F(PumpTest, CharactersBeyondAFullQueueWaitForTheNextFrameWhileItIsRead) {
  ASSERT_TRUE(zt::xdotool("type --delay 0 abcdefghijklmnopqrstuvwxy"));
  // Let every key arrive before a frame takes any; SetUp read the queue.
  zt::sh("sleep 0.3");
  std::string s;
  int frames = 0;
  for (; frames < 10 && s.size() < 25; ++frames) {
    update_platform();
    while (INT_U8 c = KEYBOARD::pop_char()) s += static_cast<char>(c);
  }
  EXPECT_EQ(s, "abcdefghijklmnopqrstuvwxy");
  EXPECT_EQ(frames, 3);  // ten a frame
}

// Nobody reads them: a full queue drops what comes, so that the keys typed
// meanwhile do not hold up the rest of the input.
TEST_F(PumpTest, TheEleventhCharacterIsDroppedWhenNobodyReads) {
  update_platform();  // the reading in SetUp is behind this frame
  ASSERT_TRUE(zt::xdotool("type --delay 1 abcdefghijk"));
  zt::sh("sleep 0.3");
  update_platform();
  EXPECT_EQ(keyboard_state.last_char, 'k');
  std::string s;
  while (INT_U8 c = KEYBOARD::pop_char()) s += static_cast<char>(c);
  EXPECT_EQ(s, "abcdefghij");
}

TEST_F(PumpTest, NavigationKeysArriveOnTheirClassicNumbers) {
  struct Case {
    const char* key;
    INT_S32 code;
  } cases[] = {{"Up", 98},      {"Left", 100},  {"Right", 102},    {"Down", 104},    {"Home", 97},
               {"End", 103},    {"Prior", 99},  {"Next", 105},     {"Insert", 106},  {"Delete", 107},
               {"Escape", 9},   {"Tab", 23},    {"Control_R", 109}, {"KP_Divide", 112}, {"Alt_R", 113},
               {"a", 38},       {"Shift_R", 62}};
  for (const Case& c : cases) {
    ASSERT_TRUE(zt::xdotool(std::string("key ") + c.key));
    EXPECT_EQ(next_key(), c.code) << c.key;
  }
}

TEST_F(PumpTest, KeyMapShowsHeldKeysInClassicNumbers) {
  ASSERT_TRUE(zt::xdotool("keydown Up keydown Shift_L"));
  EXPECT_TRUE(zt::pump_until([] { return KEYBOARD::is_key_down(98) && KEYBOARD::is_key_down(50); }));
  EXPECT_FALSE(KEYBOARD::is_key_down(111));  // the server's own number for Up means nothing here
  ASSERT_TRUE(zt::xdotool("keyup Up keyup Shift_L"));
  EXPECT_TRUE(zt::pump_until([] { return !KEYBOARD::is_key_down(98) && !KEYBOARD::is_key_down(50); }));
  // Keys held while another window has the focus are none of ours.
  XSetInputFocus(probe->display(), DefaultRootWindow(probe->display()), RevertToNone, CurrentTime);
  XSync(probe->display(), False);
  ASSERT_TRUE(zt::xdotool("keydown Up"));
  zt::pump_until([] { return false; }, 200);
  EXPECT_EQ(KEYBOARD::is_key_down(98), 0u);
  ASSERT_TRUE(zt::xdotool("keyup Up"));
}

TEST_F(PumpTest, KeyNamesComeFromTheServersKeys) {
  EXPECT_STREQ(get_key_name(&keyboard, 38, 0), "a");
  EXPECT_STREQ(get_key_name(&keyboard, 38, 1), "A");
  EXPECT_STREQ(get_key_name(&keyboard, 98, 0), "Up");
  EXPECT_STREQ(get_key_name(&keyboard, 107, 0), "Delete");
  EXPECT_EQ(get_key_char(&keyboard, 38, 1), 'A');
  EXPECT_STREQ(get_key_name(&keyboard, 0, 0), "");
}

TEST_F(PumpTest, NoServerKeyPosesAsAnotherClassicKey) {
  int min_kc = 0, max_kc = 0, per = 0;
  XDisplayKeycodes(probe->display(), &min_kc, &max_kc);
  KeySym* syms = XGetKeyboardMapping(probe->display(), static_cast<KeyCode>(min_kc), max_kc - min_kc + 1, &per);
  ASSERT_NE(syms, nullptr);
  std::map<int, KeySym> owner;  // classic number -> first-level symbol of its key
  int moved = 0;
  for (int kc = min_kc; kc <= max_kc; ++kc) {
    KeySym sym = syms[(kc - min_kc) * per];
    int c = classic_from_server_keycode(static_cast<unsigned>(kc));
    if (!c) continue;
    int want = classic_keycode_of_keysym(sym);
    if (want) {
      EXPECT_EQ(c, want) << "server key " << kc;
    } else {
      EXPECT_GT(c, 117) << "server key " << kc << " (" << (XKeysymToString(sym) ? XKeysymToString(sym) : "?") << ")";
      if (kc <= 117) ++moved;
    }
    if (owner.count(c) && classic_keycode_of_keysym(owner[c]) == 0) ADD_FAILURE() << "number " << c << " twice";
    owner[c] = sym;
  }
  XFree(syms);
  EXPECT_GT(moved, 0);  // this server numbers its keys the modern way
}

TEST_F(PumpTest, ANewKeyboardLayoutIsFollowed) {
  ASSERT_TRUE(zt::xdotool("key z"));
  EXPECT_EQ(next_key(), 52);
  EXPECT_EQ(typed(1), "z");
  // A German layout swaps Y and Z: the key that types z is another one now.
  ASSERT_EQ(zt::sh("setxkbmap de >/dev/null 2>&1"), 0);
  zt::pump_until([] { return false; }, 300);
  ASSERT_TRUE(zt::xdotool("key z"));
  EXPECT_EQ(next_key(), 52);
  EXPECT_EQ(typed(1), "z");
  ASSERT_TRUE(zt::xdotool("key y"));
  EXPECT_EQ(next_key(), 29);
  EXPECT_EQ(typed(1), "y");
}

namespace {
int asked = 0;
INT_U8 answer = 0;
INT_U8 may_quit(INT_U32) {
  ++asked;
  return answer;
}
}  // namespace

TEST_F(PumpTest, CloseRequestAsksTheMayQuitCallback) {
  set_may_quit_callback(may_quit);
  for (INT_U8 a : {1, 0}) {
    answer = a;
    asked = 0;
    XEvent e = {};
    e.xclient.type = ClientMessage;
    e.xclient.window = x11.window;
    e.xclient.message_type = XInternAtom(probe->display(), "WM_PROTOCOLS", False);
    e.xclient.format = 32;
    e.xclient.data.l[0] = static_cast<long>(XInternAtom(probe->display(), "WM_DELETE_WINDOW", False));
    XSendEvent(probe->display(), x11.window, False, 0, &e);
    XSync(probe->display(), False);
    EXPECT_TRUE(zt::pump_until([] { return asked == 1; }));
    EXPECT_EQ(quit_requested, a);
  }
  set_may_quit_callback(nullptr);
}

TEST_F(PumpTest, IdleWaitWaitsOnlyWhenNothingHappened) {
  auto frame_ms = [] {
    auto t0 = std::chrono::steady_clock::now();
    update_platform();
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t0).count();
  };
  set_idle_wait(200);
  update_platform();
  EXPECT_GE(frame_ms(), 150);  // idle: waits
  get_screen_image(0)->add_dirty_rect(0, 0, 0, 0);
  swap_screens(-1);
  EXPECT_EQ(frame_activity, 1);
  EXPECT_LT(frame_ms(), 100);  // after a presentation: no wait
  EXPECT_EQ(frame_activity, 0);
  EXPECT_GE(frame_ms(), 150);  // and the flag was consumed
  set_idle_wait(0);
  EXPECT_LT(frame_ms(), 100);  // 0: never
  set_idle_wait(1500);
  std::thread typist([] {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    zt::xdotool("key a");  // input ends the wait early
  });
  auto ms = frame_ms();
  typist.join();
  EXPECT_LT(ms, 1300);
  set_idle_wait(50);
}

// Without a window manager nobody gives the window the X focus (it stays
// PointerRoot): held keys still count while the pointer is over the window,
// for a plain window and for the undecorated stand-in of a full screen.
TEST(PumpWithoutWindowManager, CtrlHeldOverTheWindowReadsDown) {
  auto server = zt::start_checked_xvfb(1024, 768, 24);
  ASSERT_TRUE(server);
  zt::XProbe probe;
  for (INT_U8 full_screen : {0, 1}) {
    SCOPED_TRACE(full_screen ? "full screen" : "window");
    WINDOW_REQUEST r = {"Keys", 400, 300, full_screen, 65535, 65535, 65535, 65535, 1};
    ASSERT_TRUE(open_window(&r, 0));
    const std::string id = std::to_string(x11.window);
    zt::pump_until([] { return false; }, 50);
    Window focus = 0;
    int revert = 0;
    XGetInputFocus(probe.display(), &focus, &revert);
    ASSERT_EQ(focus, static_cast<Window>(PointerRoot));
    const INT_S32 ctrl = 37;
    ASSERT_TRUE(zt::xdotool("mousemove --sync --window " + id + " 50 50"));
    ASSERT_TRUE(zt::xdotool("keydown Control_L"));
    EXPECT_TRUE(zt::pump_until([&] { return KEYBOARD::is_key_down(ctrl) != 0; }));
    ASSERT_TRUE(zt::xdotool("keyup Control_L"));
    EXPECT_TRUE(zt::pump_until([&] { return KEYBOARD::is_key_down(ctrl) == 0; }));
    // Over the desktop beside the window the keys go elsewhere.
    ASSERT_TRUE(zt::xdotool("mousemove --sync 5 5"));
    ASSERT_TRUE(zt::xdotool("keydown Control_L"));
    zt::pump_until([] { return false; }, 200);
    EXPECT_EQ(KEYBOARD::is_key_down(ctrl), 0u);
    ASSERT_TRUE(zt::xdotool("keyup Control_L"));
    close_window(65535);
  }
  close_display();
}

// Where keys go is followed through focus and crossing events: each frame
// asks the server for the key map and nothing else. Without a window manager
// the focus starts as PointerRoot; the table walks it and the pointer through
// the cases a person meets.
TEST(PumpWithoutWindowManager, KeysFollowFocusAndPointerWithTheKeyMapTheOnlyRequest) {
  auto server = zt::start_checked_xvfb(1024, 768, 24);
  ASSERT_TRUE(server);
  zt::XProbe probe;
  Display* d = probe.display();
  const KeyCode ctrl_server = XKeysymToKeycode(d, XK_Control_L);
  const INT_S32 ctrl = 37;
  auto server_holds_ctrl = [&] {
    char keys[32];
    XQueryKeymap(d, keys);
    return ((static_cast<unsigned char>(keys[ctrl_server / 8]) >> (ctrl_server % 8)) & 1) != 0;
  };
  // Ctrl held as the server sees it, then whether a frame reads it as ours.
  // Everything the server sent before the key went down has arrived by then:
  // two frames take it in whichever way it was read.
  auto ctrl_seen = [&] {
    EXPECT_TRUE(zt::xdotool("keydown Control_L"));
    EXPECT_TRUE(zt::pump_until(server_holds_ctrl, 10000));
    update_platform();
    update_platform();
    const bool seen = KEYBOARD::is_key_down(ctrl) != 0;
    EXPECT_TRUE(zt::xdotool("keyup Control_L"));
    EXPECT_TRUE(zt::pump_until([&] { return !server_holds_ctrl(); }, 10000));
    return seen;
  };
  auto focus_to = [&](Window w) {
    XSetInputFocus(d, w, RevertToNone, CurrentTime);
    XSync(d, False);
  };
  // The pointer waits where the window appears: it is inside from the start.
  ASSERT_TRUE(zt::xdotool("mousemove --sync 512 384"));
  WINDOW_REQUEST r = {"Keys", 400, 300, 0, 65535, 65535, 65535, 65535, 1};  // at (312, 234)
  ASSERT_TRUE(open_window(&r, 0));
  const std::string id = std::to_string(x11.window);
  Window focus = 0;
  int revert = 0;
  XGetInputFocus(d, &focus, &revert);
  ASSERT_EQ(focus, static_cast<Window>(PointerRoot));
  KEYBOARD keyboard;

  struct Step {
    const char* what;
    std::function<void()> act;
    bool seen;
  } steps[] = {
      {"focus PointerRoot, the pointer in from the start", [] {}, true},
      {"the pointer out", [] { zt::xdotool("mousemove --sync 5 5"); }, false},
      {"the window focused, the pointer out", [&] { zt::xdotool("windowfocus --sync " + id); }, true},
      {"focus PointerRoot again, the pointer out", [&] { focus_to(PointerRoot); }, false},
      {"the pointer in", [&] { zt::xdotool("mousemove --sync --window " + id + " 50 50"); }, true},
      {"focus None, the pointer in", [&] { focus_to(None); }, false},
      {"focus PointerRoot, the pointer in", [&] { focus_to(PointerRoot); }, true},
      {"the pointer out again", [] { zt::xdotool("mousemove --sync 1000 700"); }, false},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.what);
    s.act();
    EXPECT_EQ(ctrl_seen(), s.seen);
    update_platform();  // nothing is pending now
    const unsigned long before = XNextRequest(x11.display);
    update_platform();
    EXPECT_EQ(XNextRequest(x11.display) - before, 1u);
  }
  close_window(65535);
  close_display();
}
