// Headless set-up for the widget tests, on top of the window manager's: an
// in-memory screen with DejaVu Sans as the surface's default font, a scripted
// millisecond clock that never reads 0, a scripted wall clock (hints and the
// idle click count seconds), held keys through the window manager's key
// seam, pointer and wheel written into the input state, and a page manager
// with one empty page whose frames the tests run.
#ifndef WIDGET_TEST_ENV_H
#define WIDGET_TEST_ENV_H

#include <ctime>
#include <string>

#include "../graphics/font_test_util.h"
#include "fonts.h"
#include "utilities.h"
#include "../wm/wm_test_env.h"

namespace wgt {

using namespace wmt;

// The surface's default font: slot 10 holds DejaVu Sans.
const INT_U8 kFont = 10;
const INT_S16 kFontSize = 16;
const INT_S16 kScreenWidth = 320, kScreenHeight = 240;
const COLOUR kBackdrop = 0xFF102030u;
// Where the scripted clocks start: the frame clock is never 0 (0 means "not
// started" to transitions), the wall clock is a plausible time().
const INT_U32 kClockStart = 10000;
const time_t kWallStart = 1700000000;

inline time_t& wall_now() {
  static time_t now = kWallStart;
  return now;
}
inline time_t scripted_wall_clock(time_t* out) {
  if (out) *out = wall_now();
  return wall_now();
}

// Copies DejaVu Sans into the test's font folder once and starts the fonts.
inline void install_default_font() {
  if (is_font_system_ready() && is_font_loaded(static_cast<INT_S8>(kFont))) return;
  std::set<int> skip;
  for (int i = 0; i < BUILTIN_FONT_COUNT; ++i)
    if (i != kFont) skip.insert(i);
  ft::install_builtin_fonts(skip);
  init_fonts();
}

inline void no_build(PAGE_MANAGER*) {}

class WidgetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    install_default_font();
    screen = make_screen(kScreenWidth, kScreenHeight, kBackdrop);
    screen->font = static_cast<INT_S8>(kFont);
    screen->font_width = screen->font_height = kFontSize;
    clock_now() = kClockStart;
    wall_now() = kWallStart;
    utility_clock = scripted_wall_clock;
    wm_use_cursor_shapes = 0;  // no window to take cursor shapes
    keys_down().clear();
    log().clear();
    pointer(-1, -1, 0);
    mouse_state.wheel = 0;
    keyboard_state.last_keycode = 0;
  }
  void TearDown() override {
    delete manager;
    manager = nullptr;
  }

  // The page manager with one empty page, built on first use; objects the
  // test adds to root() take part in every frame from then on.
  PAGE_MANAGER& pm() {
    if (!manager) {
      manager = new PAGE_MANAGER(1, -1);
      manager->request_page(0, no_build, nullptr, 0, nullptr, 0, 0, nullptr);
      manager->update(0);
    }
    return *manager;
  }
  WM_MANAGER* root() { return pm().current_manager; }
  template <typename T>
  T* add(T* object) {
    root()->add_child(object, 0);
    return object;
  }

  // One frame after the clock moved on by ms; returns the frame's result.
  INT_S32 frame(INT_U32 ms = 0) {
    clock_now() += ms;
    return pm().update(0);
  }
  INT_S32 frames(int n, INT_U32 ms_each = 16) {
    INT_S32 r = 0;
    for (int i = 0; i < n; ++i) r = frame(ms_each);
    return r;
  }

  // Input as a person gives it: the state the next frame reads.
  static void move_to(INT_S16 px, INT_S16 py) { pointer(px, py, mouse_state.buttons); }
  static void left_down() { mouse_state.buttons |= 1u; }
  static void left_up() { mouse_state.buttons &= ~1u; }
  static void right_down() { mouse_state.buttons |= 2u; }
  static void right_up() { mouse_state.buttons &= ~2u; }
  // A click as a person gives it: onto the point, press, two frames, let go,
  // two frames.
  void click(INT_S16 px, INT_S16 py) {
    move_to(px, py);
    frame(16);
    left_down();
    frames(2);
    left_up();
    frames(2);
  }
  static void wheel(INT_S32 steps) { mouse_state.wheel += steps; }
  static void key_down(INT_S32 code) { keys_down().insert(code); }
  static void key_up(INT_S32 code) { keys_down().erase(code); }
  static void advance_wall(time_t seconds) { wall_now() += seconds; }

  // Width of a text in the surface's default font.
  INT_S32 text_width(const char* text) {
    return screen->text_width(kFont, static_cast<INT_U16>(kFontSize),
                              static_cast<INT_U16>(kFontSize), text);
  }
  // Repaints everything now, outside a frame.
  void redraw_all() {
    root()->invalidate_display();
    pm().redraw();
  }

  IMAGE* screen = nullptr;
  PAGE_MANAGER* manager = nullptr;
};

}  // namespace wgt

#endif
