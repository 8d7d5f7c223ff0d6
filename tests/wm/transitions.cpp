// Page transitions: end states, a mid-time frame, the clock running
// backwards, the clip, a time of 0, the halved time restored, and one run
// under a real X server read back while the transition runs.
#include <gtest/gtest.h>

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <functional>
#include <memory>
#include <vector>

#include "test_support.h"
#include "wm_test_env.h"
#include "wm_transitions.h"
#include "x_helpers.h"

namespace {

using wmt::make_screen;
using wmt::pixel;

// A clock that plays a script, one value per reading (the last repeats),
// and calls the hook before answering, when the screen holds the frame of
// the previous reading.
struct Script {
  std::vector<INT_U32> times;
  size_t next = 0;
  std::function<void(size_t)> hook;
};
Script& script() {
  static Script s;
  return s;
}
INT_U32 scripted() {
  Script& s = script();
  if (s.hook) s.hook(s.next);
  INT_U32 t = s.times[std::min(s.next, s.times.size() - 1)];
  ++s.next;
  return t;
}
void play(std::vector<INT_U32> times, std::function<void(size_t)> hook = nullptr) {
  script() = Script{std::move(times), 0, std::move(hook)};
  time_ms_source = scripted;
}

// Two colours side by side: (200, 100, 0) and (1, 0, 0).
IMAGE* two_colour_screen() {
  IMAGE* s = make_screen(4, 2, 0xFFC86400u);
  *s->pixel_at(1, 0) = 0xFF010000u;
  *s->pixel_at(1, 1) = 0xFF010000u;
  return s;
}

bool all_pixels(const std::function<bool(COLOUR)>& pred) {
  IMAGE* s = get_screen_image(0);
  for (int y = 0; y < s->height; ++y)
    for (int x = 0; x < s->width; ++x)
      if (!pred(*s->pixel_at(x, y))) return false;
  return true;
}

TEST(Transitions, ElapsedAndLevel) {
  struct {
    INT_U32 now, t0, total, elapsed, t0_after;
    INT_U8 level;
  } cases[] = {
      {1000, 1000, 700, 0, 1000, 0},
      {1350, 1000, 700, 350, 1000, 127},
      {1700, 1000, 700, 700, 1000, 255},
      {200000, 1000, 700, 700, 1000, 255},     // a long step ends at T
      {900, 1000, 700, 0, 900, 0},             // the clock went back
      {5, 0xFFFFFF00u, 700, 0, 5, 0},          // no wrap-around into a huge time
      {1000, 1000, 0, 0, 1000, 255},           // a time of 0 is the end at once
      {100000, 0, 0x7FFFFFFF, 100000, 0, 0},  // no 32-bit overflow in the level
  };
  for (const auto& c : cases) {
    INT_U32 t0 = c.t0;
    const INT_U32 e = transition_elapsed(c.now, &t0, c.total);
    EXPECT_EQ(e, c.elapsed) << c.now;
    EXPECT_EQ(t0, c.t0_after) << c.now;
    EXPECT_EQ(transition_level(e, c.total), c.level) << c.now;
  }
}

TEST(Transitions, FadeToBlackEndsBlack) {
  two_colour_screen();
  PAGE_MANAGER pm(1, -1);
  play({1000, 1100, 1200, 1300, 1400, 1500, 1600, 1700, 1800});
  fade_to_black(&pm);
  EXPECT_TRUE(all_pixels([](COLOUR c) { return c == 0xFF000000u; }));
  EXPECT_EQ(script().next, 8u);  // t0 and one reading per step up to 1700
}

TEST(Transitions, FadeToGreyMidFrameAndEnd) {
  two_colour_screen();
  PAGE_MANAGER pm(1, -1);
  COLOUR mid0 = 0, mid1 = 0;
  play({1000, 1350, 1700}, [&](size_t n) {
    if (n == 2) {
      mid0 = pixel(0, 0);
      mid1 = pixel(1, 0);
    }
  });
  fade_to_grey(&pm);
  // Half way: 200 + (100 - 200) * 350 / 700 = 150; 0 + 100 / 2 = 50. For
  // (1, 0, 0) the grey is 0 and -1 * 350 / 700 truncates toward zero: 1 stays.
  EXPECT_EQ(mid0, 0xFF966432u);
  EXPECT_EQ(mid1, 0xFF010000u);
  EXPECT_TRUE(all_pixels([](COLOUR c) {
    return ((c >> 16) & 0xFF) == ((c >> 8) & 0xFF) && ((c >> 8) & 0xFF) == (c & 0xFF);
  }));
  EXPECT_EQ(pixel(0, 0), 0xFF646464u);
  EXPECT_EQ(pixel(1, 1), 0xFF000000u);
}

TEST(Transitions, ClockGoingBackwards) {
  {
    // Alpha: the level starts again from 0 instead of going negative.
    make_screen(2, 2, 0xFFFFFFFFu);
    PAGE_MANAGER pm(1, -1);
    std::vector<COLOUR> frames;
    play({1000, 900, 1250, 1600}, [&](size_t n) {
      if (n >= 2) frames.push_back(pixel(0, 0));
    });
    fade_to_black(&pm);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0], 0xFFFFFFFFu);  // level 0 after the clock went back
    EXPECT_EQ(frames[1], 0xFF7F7F7Fu);  // 350 of 700 ms after the new start
    EXPECT_EQ(pixel(1, 1), 0xFF000000u);
  }
  {
    // Per pixel: no step past the start.
    two_colour_screen();
    PAGE_MANAGER pm(1, -1);
    COLOUR after_back = 0;
    play({1000, 400, 1100}, [&](size_t n) {
      if (n == 2) after_back = pixel(0, 0);
    });
    fade_to_grey(&pm);
    EXPECT_EQ(after_back, 0xFFC86400u);
    EXPECT_EQ(pixel(0, 0), 0xFF646464u);
  }
}

TEST(Transitions, TimeOfZeroShowsTheEndAtOnce) {
  two_colour_screen();
  PAGE_MANAGER pm(1, -1);
  pm.transition_time = 0;
  play({1000});  // the clock never moves
  fade_to_grey(&pm);
  EXPECT_EQ(pixel(0, 0), 0xFF646464u);
  fade_to_black(&pm);
  EXPECT_EQ(pixel(0, 0), 0xFF000000u);
  // Two-phase with T = 1: each half gets 0.
  pm.transition_time = 1;
  switch_black_out_fade_in(&pm, 0);
  switch_grey_out_colour_in(&pm, 0);
  EXPECT_EQ(pm.transition_time, 1u);
}

TEST(Transitions, ClipIsRespected) {
  IMAGE* s = two_colour_screen();
  s->set_clip(0, 0, 0, 1);  // first column only
  PAGE_MANAGER pm(1, -1);
  play({0, 800});
  fade_to_grey(&pm);
  EXPECT_EQ(pixel(0, 0), 0xFF646464u);
  EXPECT_EQ(pixel(1, 0), 0xFF010000u);
  EXPECT_EQ(pixel(3, 1), 0xFFC86400u);
  play({0, 800});
  fade_to_black(&pm);
  EXPECT_EQ(pixel(0, 1), 0xFF000000u);
  EXPECT_EQ(pixel(2, 0), 0xFFC86400u);
}

// Pages: A paints red, B paints green, over the whole 4 x 2 screen.
void build_colour(PAGE_MANAGER* pm, COLOUR c) {
  pm->current_manager->add_child(new wmt::PROBE("p", 0, 0, 4, 2, c), 0);
}
void build_red(PAGE_MANAGER* pm) { build_colour(pm, 0xFFFF0000u); }
void build_green(PAGE_MANAGER* pm) { build_colour(pm, 0xFF00FF00u); }

struct Pages {
  PAGE_MANAGER pm{1, -1};
  Pages() {
    make_screen(4, 2, 0xFF000000u);
    play({0});
    pm.transition_time = 0;
    pm.request_page(0, build_red, nullptr, 0, nullptr, 0, 0, nullptr);
    pm.update(0);
    pm.transition_time = 700;
    pm.request_page(0, build_green, nullptr, 0, nullptr, 0, 0, nullptr);
  }
};

TEST(Transitions, SwitchesEndOnTheNewPage) {
  struct {
    void (*run)(PAGE_MANAGER*, INT_S32);
    COLOUR mid;  // the frame at 350 of 700 ms
  } cases[] = {
      {switch_fade_in, 0xFF007E00u},     // green at level 127 over black
      {switch_cross_fade, 0xFF7F7E00u},  // green at 127 over red
      {switch_colour_in, 0xFF2BAA2Bu},   // 85 + -85 * 350 / 700 truncates to 43
  };
  for (const auto& c : cases) {
    Pages p;
    EXPECT_EQ(pixel(0, 0), 0xFFFF0000u);
    COLOUR mid = 0;
    play({1000, 1350, 1700}, [&](size_t n) {
      if (n == 2) mid = pixel(2, 1);
    });
    c.run(&p.pm, 0);
    EXPECT_EQ(mid, c.mid);
    EXPECT_EQ(pixel(0, 0), 0xFF00FF00u);
    EXPECT_EQ(pixel(3, 1), 0xFF00FF00u);
  }
}

TEST(Transitions, TwoPhaseHalvesTheTimeAndRestoresIt) {
  for (auto run : {switch_black_out_fade_in, switch_grey_out_colour_in}) {
    Pages p;
    p.pm.transition_time = 701;
    std::vector<INT_U32> seen;
    play({1000, 1175, 1350, 2000, 2175, 2350, 3000}, [&](size_t) { seen.push_back(p.pm.transition_time); });
    run(&p.pm, 0);
    EXPECT_EQ(p.pm.transition_time, 701u);
    for (INT_U32 t : seen) EXPECT_EQ(t, 350u);
    EXPECT_EQ(pixel(1, 1), 0xFF00FF00u);
  }
}

TEST(Transitions, ActionCodesRunThroughTheFrame) {
  // Codes 16 and 17 fade, then switch without presenting the new page.
  for (INT_S32 code : {PAGE_ACTION_FADE_TO_BLACK, PAGE_ACTION_FADE_TO_GREY}) {
    Pages p;
    static INT_S32 answer;
    answer = code;
    p.pm.areas[0].history[p.pm.areas[0].current].process = [] {
      INT_S32 a = answer;
      answer = 0;
      return a;
    };
    // Every reading of the clock is 100 ms later than the one before.
    static INT_U32 now;
    now = 0;
    time_ms_source = [] { return now += 100; };
    EXPECT_EQ(p.pm.update(0), code);
    EXPECT_EQ(pixel(0, 0), 0xFF00FF00u);  // the new page, drawn by the switch
  }
}

// ---- Under a real X server -------------------------------------------------

const COLOUR kFrom = 0xFF0000FFu, kTo = 0xFFFFFFFFu;

void x_build_from(PAGE_MANAGER* pm) {
  pm->current_manager->add_child(new wmt::PROBE("from", 0, 0, 160, 120, kFrom), 0);
}
void x_build_to(PAGE_MANAGER* pm) {
  pm->current_manager->add_child(new wmt::PROBE("to", 0, 0, 160, 120, kTo), 0);
}

INT_S32 x_answer = 0;
INT_S32 x_process() {
  INT_S32 a = x_answer;
  x_answer = 0;
  return a;
}

// The application side: shows page "from", then on a line from the test
// cross-fades to page "to" over 3 s, says "done" and keeps presenting.
[[noreturn]] void x_app(int in, int out) {
  time_ms_source = nullptr;  // the real clock
  wm_key_down_source = nullptr;
  WINDOW_REQUEST request = {};
  request.title = "looks transitions";
  request.width = 160;
  request.height = 120;
  request.min_width = request.max_width = request.min_height = request.max_height = 65535;
  if (!open_window(&request, 0)) _exit(3);
  static PAGE_MANAGER pm(1, -1);
  pm.transition_time = 3000;
  pm.request_page(0, x_build_from, nullptr, 0, x_process, 0, 0, nullptr);
  auto say = [&](const char* s) {
    if (write(out, s, strlen(s)) < 0) _exit(4);
  };
  for (int frame = 0;; ++frame) {
    update_platform();
    pm.update(1);
    swap_screens(-1);
    if (frame == 5) say("ready\n");
    pollfd p = {in, POLLIN, 0};
    if (poll(&p, 1, 20) > 0) {
      char c;
      if (read(in, &c, 1) != 1) _exit(0);
      pm.request_page(0, x_build_to, nullptr, 0, nullptr, 0, 0, nullptr);
      x_answer = PAGE_ACTION_CROSS_FADE;
      say("start\n");
      pm.update(1);  // blocks for the whole transition
      swap_screens(-1);
      say("done\n");
    }
  }
}

bool wait_line(int fd, const char* word, int timeout_ms) {
  std::string text;
  for (int waited = 0; waited < timeout_ms; waited += 50) {
    if (text.find(word) != std::string::npos) return true;
    pollfd p = {fd, POLLIN, 0};
    if (poll(&p, 1, 50) <= 0) continue;
    char buf[64];
    ssize_t n = read(fd, buf, sizeof buf);
    if (n <= 0) return false;
    text.append(buf, static_cast<size_t>(n));
  }
  return text.find(word) != std::string::npos;
}

TEST(TransitionsX, CrossFadeReadBackWhileRunning) {
  std::unique_ptr<zt::XServer> server = zt::start_checked_xvfb(640, 480, 24);
  ASSERT_TRUE(server);
  server->use();
  int to_app[2], from_app[2];
  ASSERT_EQ(pipe(to_app), 0);
  ASSERT_EQ(pipe(from_app), 0);
  pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    close(to_app[1]);
    close(from_app[0]);
    x_app(to_app[0], from_app[1]);
  }
  close(to_app[0]);
  close(from_app[1]);
  struct Reap {
    pid_t pid;
    ~Reap() {
      kill(pid, SIGKILL);
      waitpid(pid, nullptr, 0);
    }
  } reap{pid};

  ASSERT_TRUE(wait_line(from_app[0], "ready", 15000));
  zt::XProbe probe;
  ASSERT_TRUE(probe.ok());
  std::vector<Window> windows = probe.find_windows("looks transitions");
  ASSERT_FALSE(windows.empty());
  const Window w = windows[0];
  EXPECT_EQ(probe.pixel(w, 80, 60), kFrom & 0xFFFFFF);

  ASSERT_EQ(write(to_app[1], "g", 1), 1);
  ASSERT_TRUE(wait_line(from_app[0], "start", 5000));
  usleep(1500000);
  // Half way blue blends into white: red and green rise while blue stays.
  const uint32_t mid = probe.pixel(w, 80, 60);
  const uint32_t red = (mid >> 16) & 0xFF, green = (mid >> 8) & 0xFF, blue = mid & 0xFF;
  EXPECT_GT(red, 0x30u) << std::hex << mid;
  EXPECT_LT(red, 0xD0u) << std::hex << mid;
  EXPECT_EQ(red, green) << std::hex << mid;
  EXPECT_GE(blue, 0xFEu) << std::hex << mid;
  ASSERT_TRUE(wait_line(from_app[0], "done", 10000));
  usleep(100000);
  EXPECT_EQ(probe.pixel(w, 80, 60), kTo & 0xFFFFFF);
  EXPECT_EQ(probe.pixel(w, 0, 0), kTo & 0xFFFFFF);
}

}  // namespace
