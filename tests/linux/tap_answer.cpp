// The installer under a private Xvfb answers a tap as fast as a held click: a
// press and its release sent back to back right after the pointer came to
// rest on a button act as soon as a click held for a while does, timed from
// the sending of the release to the window's pixels on the server. On
// Next the page turns; on Install into a folder the user may not write, the
// failure box comes.
#include <dlfcn.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <initializer_list>

#include "../installer/x_install_env.h"

using namespace xe;

namespace {

using Clock = std::chrono::steady_clock;

double median_of(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  const size_t n = v.size();
  return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

std::string join(const std::vector<double>& v) {
  std::string s;
  char buf[32];
  for (double x : v) {
    std::snprintf(buf, sizeof buf, "%s%.1f", s.empty() ? "" : " ", x);
    s += buf;
  }
  return s;
}

// Presses (1) and releases (0) the left button through the server's test
// extension on the connection given: once the server has answered, it has
// sent the program the events.
bool left_button(Display* d, std::initializer_list<int> presses) {
  static void* lib = dlopen("libXtst.so.6", RTLD_NOW);
  using FAKE = int (*)(Display*, unsigned, Bool, unsigned long);
  static FAKE fake = lib ? reinterpret_cast<FAKE>(dlsym(lib, "XTestFakeButtonEvent")) : nullptr;
  if (!fake) return false;
  for (int pressed : presses)
    if (!fake(d, 1, pressed ? True : False, CurrentTime)) return false;
  XSync(d, False);
  return true;
}

// Taps and held clicks on the button at `at` of `window`, in alternating
// rounds so that a change in the machine's load falls on both alike. Each is
// timed from its release until `answered()`; `undo` brings back the state
// before it. Both medians are checked, and printed with every time.
class TapsAndClicks {
 public:
  TapsAndClicks(Display* d, Window window, Rect at) : d_(d), window_(window), at_(at) {}

  void run(int rounds, const std::function<bool()>& answered, const std::function<bool()>& undo) {
    for (int round = 0; round < rounds; ++round) {
      SCOPED_TRACE(round);
      for (int k = 0; k < 2; ++k) {
        const bool tapping = (k == 0) == (round % 2 == 0);
        const double ms = tapping ? tap(answered) : held_click(answered);
        ASSERT_GE(ms, 0) << (tapping ? "a tap" : "a held click") << " was never answered";
        (tapping ? taps_ : held_).push_back(ms);
        // Undone, or the next click would press what came instead.
        ASSERT_TRUE(undo());
      }
    }
    const double held = median_of(held_), taps = median_of(taps_);
    std::printf("held clicks (ms): %s; median %.1f\ntaps (ms): %s; median %.1f\n", join(held_).c_str(), held,
                join(taps_).c_str(), taps);
    EXPECT_LE(taps, held + 5.0);
  }

 private:
  // Milliseconds from the release, sent by `release`, until `answered()`;
  // -1 when it never is.
  template <typename RELEASE>
  static double answer_ms(RELEASE release, const std::function<bool()>& answered) {
    // Timed from the sending: a clock read once the server has answered can
    // come after the program answered too, when the test is held up.
    const auto sent = Clock::now();
    if (!release()) return -1;
    const auto end = sent + std::chrono::seconds(3);
    while (Clock::now() < end)
      if (answered()) return std::chrono::duration<double, std::milli>(Clock::now() - sent).count();
    return -1;
  }
  // The pointer comes onto the button and rests there `rest_us`.
  void onto_button(useconds_t rest_us) {
    park_pointer(window_);
    zt::xdotool("mousemove --window " + std::to_string(window_) + " " + std::to_string(at_.cx()) + " " +
                std::to_string(at_.cy()));
    usleep(rest_us);
  }
  // A click held 150 ms.
  double held_click(const std::function<bool()>& answered) {
    onto_button(100000);
    if (!left_button(d_, {1})) return -1;
    usleep(150000);
    return answer_ms([this] { return left_button(d_, {0}); }, answered);
  }
  // A tap 30 ms after the pointer came to rest: press and release back to
  // back.
  double tap(const std::function<bool()>& answered) {
    onto_button(30000);
    return answer_ms([this] { return left_button(d_, {1, 0}); }, answered);
  }

  Display* d_;
  Window window_;
  Rect at_;
  std::vector<double> held_, taps_;
};

const int kRounds = 7;

class TapAnswer : public ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    if (HasFatalFailure()) return;
    load_demo_package();
    if (HasFatalFailure()) return;
    start_on_demo(INSTALL_PAGE_LANGUAGE);
    click_to_page(rect_of(install_grid->get_cell(0, 0)), INSTALL_PAGE_LICENCE, 0);
    if (HasFatalFailure()) return;
    click_to_page(rect_of(dialog->next_button), INSTALL_PAGE_ITEM);
    if (HasFatalFailure()) return;
    next = rect_of(dialog->next_button);
    // What the target page shows where its caption stands, and the way back.
    INSTALL_DIALOG* target = mirror.show(INSTALL_PAGE_TARGET, 0);
    ASSERT_TRUE(target);
    caption = rect_of(target->caption);
    back = rect_of(target->back_button);
    for (int j = 0; j < caption.h; ++j)
      for (int i = 0; i < caption.w; ++i) target_caption.push_back(mirror.pixel(caption.x + i, caption.y + j));
    expect_page(INSTALL_PAGE_ITEM);
  }

  bool target_page_shown() {
    return probe->read_pixels(window, caption.x, caption.y, caption.w, caption.h) == target_caption;
  }

  Rect next, back, caption;
  std::vector<uint32_t> target_caption;
};

TEST_F(TapAnswer, ATapOnNextRightAfterThePointerRestsTurnsThePageAsFastAsAHeldClick) {
  ASSERT_FALSE(target_page_shown());
  TapsAndClicks(probe->display(), window, next)
      .run(
          kRounds, [this] { return target_page_shown(); },
          [this] {
            usleep(100000);
            click_to_page(back, INSTALL_PAGE_ITEM);
            return !HasFailure();
          });
  EXPECT_TRUE(program->running());
}

class TapAnswerBox : public InstallE2E {};

TEST_F(TapAnswerBox, ATapOnInstallIntoAnUnwritableFolderShowsTheBoxAsFastAsAHeldClick) {
  make_package();
  ASSERT_EQ(zt::sh("mkdir " + q(target) + " && chown " + kNobody + " " + q(target) + " && chmod 0555 " + q(target)),
            0);
  ASSERT_NO_FATAL_FAILURE(walk_to_target_page());
  ASSERT_FALSE(failure_box_shown());
  TapsAndClicks(probe->display(), window, rect_of(dialog->next_button))
      .run(
          kRounds, [this] { return failure_box_shown(); },
          [this] {
            usleep(300000);
            press_failure_box(failure_box_layout().go_back);
            expect_page(INSTALL_PAGE_TARGET);
            return !HasFailure();
          });
  EXPECT_TRUE(program->running());
}

}  // namespace
