// Headless set-up for the window-manager tests: an in-memory screen image, a
// scripted clock, keys and pointer written straight into the input state, and
// small probe objects that paint a colour and log what happens to them.
#ifndef WM_TEST_ENV_H
#define WM_TEST_ENV_H

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "clock.h"
#include "image.h"
#include "input.h"
#include "page_manager.h"
#include "window.h"
#include "wm_dialog_grid.h"
#include "wm_globals.h"
#include "wm_manager.h"
#include "wm_screen_object.h"

namespace wmt {

inline INT_U32& clock_now() {
  static INT_U32 now = 0;
  return now;
}
inline INT_U32 scripted_clock() { return clock_now(); }

inline std::set<INT_S32>& keys_down() {
  static std::set<INT_S32> keys;
  return keys;
}
inline INT_U32 scripted_key_down(INT_S32 code) { return keys_down().count(code) ? 1 : 0; }

inline std::vector<std::string>& log() {
  static std::vector<std::string> entries;
  return entries;
}
inline std::string joined_log() {
  std::string s;
  for (const std::string& e : log()) s += (s.empty() ? "" : " ") + e;
  return s;
}

// Sizes the platform's screen image and points the window manager at it.
inline IMAGE* make_screen(INT_S16 w, INT_S16 h, COLOUR fill = 0xFF000000u) {
  IMAGE* s = get_screen_image(0);
  s->fixed_size = 0;
  s->create(w, h);
  s->fixed_size = 1;
  s->clear(&fill, 1);
  wm_surface = s;
  time_ms_source = scripted_clock;
  wm_key_down_source = scripted_key_down;
  return s;
}

inline COLOUR pixel(INT_S16 px, INT_S16 py) { return *get_screen_image(0)->pixel_at(px, py); }

inline void pointer(INT_S16 px, INT_S16 py, INT_U32 buttons) {
  mouse_state.x = px;
  mouse_state.y = py;
  mouse_state.buttons = buttons;
}
inline void press_key(INT_S32 code) { keyboard_state.last_keycode = code; }

// A plain object that paints itself in one colour and logs its life.
class PROBE : public WM_SCREEN_OBJECT {
 public:
  PROBE(const std::string& name, INT_S16 px, INT_S16 py, INT_S16 w, INT_S16 h,
        COLOUR fill = 0xFF00FF00u, INT_U8 vis = 1)
      : WM_SCREEN_OBJECT(vis, nullptr, 0, 0), name(name), fill(fill) {
    x = px;
    y = py;
    width = w;
    height = h;
  }
  ~PROBE() override { log().push_back("~" + name); }
  void draw() override {
    ++draws;
    if (wm_surface)
      wm_surface->fill_rect(x, y, static_cast<INT_S16>(x + width - 1),
                            static_cast<INT_S16>(y + height - 1), &fill, 0);
  }
  INT_S32 update(INT_U8 popups) override {
    ++ticks;
    if (tick_result) {
      INT_S32 r = tick_result;
      if (tick_once) tick_result = 0;
      return r;
    }
    return WM_SCREEN_OBJECT::update(popups);
  }
  INT_S32 handle_input() override {
    ++inputs;
    if (input_result) return input_result;
    return WM_SCREEN_OBJECT::handle_input();
  }
  std::string name;
  COLOUR fill;
  int draws = 0, ticks = 0, inputs = 0;
  INT_S32 tick_result = 0, input_result = 0;
  bool tick_once = true;
};

// A stand-in dialog: closing just records the calls and what `immediate` was.
class STANDIN_DIALOG : public WM_DIALOG {
 public:
  STANDIN_DIALOG(const std::string& name, INT_S16 px, INT_S16 py, INT_S16 w, INT_S16 h)
      : WM_DIALOG(px, py, w, h, nullptr, nullptr, nullptr, nullptr, &kNoEffects), name(name) {
  }
  static constexpr DIALOG_EFFECTS kNoEffects = {0, 0, 0, 0};
  // Drawn as a plain object: a dialog's first render would open it through
  // the two logged calls.
  void render() override { WM_SCREEN_OBJECT::render(); }
  ~STANDIN_DIALOG() override { log().push_back("~" + name); }
  void set_fade(INT_U8 alpha) override {
    log().push_back(name + ".fade" + std::to_string(alpha) + "/" + std::to_string(immediate));
  }
  void start_transition(INT_U8 open) override {
    log().push_back(name + ".transition" + std::to_string(open) + "/" +
                    std::to_string(delete_when_closed));
  }
  std::string name;
};

// A stand-in grid: rows of cells given by the test, some rows out of view.
class STANDIN_GRID : public WM_GRID {
 public:
  STANDIN_GRID() : WM_GRID(1, nullptr, 0, 0) {}
  INT_S16 get_row_count() override { return static_cast<INT_S16>(rows.size()); }
  INT_S16 get_cell_count(INT_S16 row) override {
    return row >= 0 && row < get_row_count() ? static_cast<INT_S16>(rows[row].size()) : 0;
  }
  WM_SCREEN_OBJECT* get_cell(INT_S16 column, INT_S16 row) override {
    if (row < 0 || row >= get_row_count() || column < 0 || column >= get_cell_count(row))
      return nullptr;
    return rows[row][column];
  }
  INT_U8 is_row_visible(INT_S16 row) override {
    return visible && row >= 0 && row < get_row_count() && !hidden_rows.count(row);
  }
  std::vector<std::vector<WM_SCREEN_OBJECT*>> rows;
  std::set<INT_S16> hidden_rows;
};

// Releases the test objects a page created through its data word.
inline void count_release(INT_WORD* data) {
  log().push_back("release" + std::to_string(word_to_s32(*data)));
}

}  // namespace wmt

#endif
