// The installer under a private Xvfb answers a tap as fast as a held click:
// a press and its release sent back to back right after the pointer came to
// rest on Next turn the page as soon as a click held for a while does, timed
// from the release to the new page's pixels on the server.
#include <dlfcn.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <initializer_list>

#include "../installer/x_program.h"

using namespace xi;

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

class TapAnswer : public ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    if (HasFatalFailure()) return;
    load_demo_package();
    if (HasFatalFailure()) return;
    program.reset(new ProgramRun(installer_e2e_path(), {"-x", "$ROOT2" + folder + "/installer.xml"}));
    window = wait_for_window(*probe, mirror.text(TEXT_APPLICATION_TITLE));
    ASSERT_NE(window, 0u) << program->err();
    expect_page(INSTALL_PAGE_LANGUAGE, 0);
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

  // Presses (1) or releases (0) the left button through the server's test
  // extension on the test's own connection: once the server has answered,
  // it has sent the program the event.
  bool button(std::initializer_list<int> presses) {
    static void* lib = dlopen("libXtst.so.6", RTLD_NOW);
    using FAKE = int (*)(Display*, unsigned, Bool, unsigned long);
    static FAKE fake = lib ? reinterpret_cast<FAKE>(dlsym(lib, "XTestFakeButtonEvent")) : nullptr;
    if (!fake) return false;
    for (int pressed : presses)
      if (!fake(probe->display(), 1, pressed ? True : False, CurrentTime)) return false;
    XSync(probe->display(), False);
    return true;
  }

  // Milliseconds from the release, sent by `release`, until the window shows
  // the target page; -1 when it never does.
  template <typename RELEASE>
  double answer_ms(RELEASE release) {
    if (!release()) return -1;
    const auto sent = Clock::now();
    const auto end = sent + std::chrono::seconds(3);
    while (Clock::now() < end) {
      if (target_page_shown()) return std::chrono::duration<double, std::milli>(Clock::now() - sent).count();
    }
    return -1;
  }

  // The pointer comes onto Next and rests there `rest_us`.
  void onto_next(useconds_t rest_us) {
    park_pointer(window);
    zt::xdotool("mousemove --window " + std::to_string(window) + " " + std::to_string(next.cx()) + " " +
                std::to_string(next.cy()));
    usleep(rest_us);
  }

  // A click held 150 ms on Next.
  double held_click() {
    onto_next(100000);
    if (!button({1})) return -1;
    usleep(150000);
    return answer_ms([this] { return button({0}); });
  }
  // A tap on Next 30 ms after the pointer came to rest on it: the press and
  // the release back to back.
  double tap() {
    onto_next(30000);
    return answer_ms([this] { return button({1, 0}); });
  }

  // Back from the target page to the item page.
  void back_to_item() {
    usleep(100000);
    click_to_page(back, INSTALL_PAGE_ITEM);
  }

  Rect next, back, caption;
  std::vector<uint32_t> target_caption;
};

TEST_F(TapAnswer, ATapRightAfterThePointerRestsIsAnsweredAsFastAsAHeldClick) {
  ASSERT_FALSE(target_page_shown());
  const int kRounds = 7;
  std::vector<double> held, taps;
  for (int round = 0; round < kRounds; ++round) {
    SCOPED_TRACE(round);
    // Which goes first alternates, so that a change in the machine's load
    // falls on both alike.
    for (int k = 0; k < 2; ++k) {
      const bool tapping = (k == 0) == (round % 2 == 0);
      const double ms = tapping ? tap() : held_click();
      ASSERT_GE(ms, 0) << (tapping ? "tap" : "held click") << " never turned the page; " << program->err();
      (tapping ? taps : held).push_back(ms);
      back_to_item();
      // Still on the target page, the next tap would press Install.
      if (HasFailure()) {
        screenshot(window, "not-back");
        return;
      }
    }
  }
  const double held_median = median_of(held), tap_median = median_of(taps);
  std::printf("held clicks (ms): %s; median %.1f\ntaps (ms): %s; median %.1f\n", join(held).c_str(), held_median,
              join(taps).c_str(), tap_median);
  EXPECT_LE(tap_median, held_median + 5.0);
  EXPECT_TRUE(program->running());
}

}  // namespace
