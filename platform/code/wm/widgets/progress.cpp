// Progress bar: construction, images, pumping.
#include "wm_progress.h"

#include <cstdio>

#include "clock.h"
#include "style_set.h"
#include "window.h"
#include "wm_globals.h"

void (*progress_update_platform)() = update_platform;
void (*progress_swap_screens)(INT_S16 display) = swap_screens;
INT_S64 progress_last_pump_second = 0;

WM_PROGRESS_BAR::WM_PROGRESS_BAR(INT_S16 px, INT_S16 py, INT_S16 w, INT_S16 h, const char* text,
                                 INT_S32 max, const WM_STYLE_SET* style)
    : WM_SCREEN_OBJECT(style->visible, nullptr, 0, 0),
      background_frame(&wm_skin_cache),
      empty_frame(&wm_skin_cache),
      full_frame(&wm_skin_cache),
      alt_frame(&wm_skin_cache) {
  init(px, py, w, h, text, max, &style->bg_colour, &style->fg_colour, &style->highlight_colour, 0,
       style->font_id, 65535, 65535, 65535, 65535, 65535, 65535);
}

WM_PROGRESS_BAR::~WM_PROGRESS_BAR() {
  delete[] label;
  delete[] title;
}

void WM_PROGRESS_BAR::init(INT_S16 px, INT_S16 py, INT_S16 w, INT_S16 h, const char*, INT_S32 max,
                           const COLOUR* background, const COLOUR* label_col, const COLOUR* fill,
                           INT_U8 f, INT_U8 font_id, INT_U16, INT_U16, INT_U16, INT_U16, INT_U16,
                           INT_U16) {
  x = px;
  y = py;
  width = w;
  height = h;
  label = title = nullptr;
  maximum = max;
  value = 0;
  background_colour = *background;
  label_colour = text_colour = remaining_text_colour = *label_col;
  fill_colour = *fill;
  remaining_colour = COLOUR_INVISIBLE;
  font = font_id;
  font_width = font_height = 0;
  gap_left = gap_right = gap_top = gap_bottom = 0;
  flags = f;
  last_x_step_ms = last_y_step_ms = 0;
  animation_x_rate = animation_y_rate = 0;
  animation_update_rate = 300;
  kind |= WM_KIND_PROGRESS_BAR;
}

bool WM_PROGRESS_BAR::load_images(const char*, const char*, const WM_STYLE_SET*) { return false; }
bool WM_PROGRESS_BAR::load_images(FOLDER*, const char*, const WM_STYLE_SET*) { return false; }
bool WM_PROGRESS_BAR::has_skin() const { return empty_frame.is_valid() && full_frame.is_valid(); }
void WM_PROGRESS_BAR::release_images() {
  background_frame.release();
  empty_frame.release();
  full_frame.release();
}
void WM_PROGRESS_BAR::set_title(const char*, INT_U8) {}
void WM_PROGRESS_BAR::pump() {}
void WM_PROGRESS_BAR::animate() {}
INT_S32 WM_PROGRESS_BAR::update(INT_U8 popups) {
  animate();
  return WM_SCREEN_OBJECT::update(popups);
}
void WM_PROGRESS_BAR::draw() {}

void format_percentage(char* out, INT_S64 percent) {
  std::snprintf(out, PB_TEXT_SIZE, "%lld%%", static_cast<long long>(percent));
}
