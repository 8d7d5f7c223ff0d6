// Scrollbar model, layout and input.
#include "wm_scrollbar.h"

#include "style_set.h"
#include "wm_globals.h"

WM_SCREEN_OBJECT* wm_wheel_target = nullptr;

#define SB_EMPTY_FRAME SKIN_FRAME(&wm_skin_cache)

WM_SCROLLBAR::WM_SCROLLBAR(INT_S16 x1, INT_S16 y1, INT_S16 x2, INT_S16 y2, TYPED_VALUE* bound,
                           const WM_STYLE_SET* style, WM_ACTION_CALLBACK callback,
                           INT_WORD arg1, INT_WORD arg2)
    : WM_SCREEN_OBJECT(style->visible, callback, arg1, arg2),
      frames{SB_EMPTY_FRAME, SB_EMPTY_FRAME, SB_EMPTY_FRAME, SB_EMPTY_FRAME, SB_EMPTY_FRAME,
             SB_EMPTY_FRAME, SB_EMPTY_FRAME, SB_EMPTY_FRAME, SB_EMPTY_FRAME, SB_EMPTY_FRAME,
             SB_EMPTY_FRAME, SB_EMPTY_FRAME, SB_EMPTY_FRAME, SB_EMPTY_FRAME, SB_EMPTY_FRAME} {
  INT_U32 o = (style->ssef & ssef_sb_horizontal) ? SB_HORIZONTAL : SB_VERTICAL;
  init_scrollbar(x1, y1, x2, y2, style->scrollbar_slider_width, style->scrollbar_button_width,
                 bound, o, 0, &style->bg_colour, &style->active_colour, &style->active_colour,
                 &style->fg_colour);
}

WM_SCROLLBAR::WM_SCROLLBAR(INT_S16 x1, INT_S16 y1, INT_S16 x2, INT_S16 y2, INT_S16 slider_size,
                           INT_S16 button_length, TYPED_VALUE* bound, INT_U32 kind_of_bar,
                           INT_U8 look, const COLOUR* bar, const COLOUR* slider,
                           const COLOUR* button, const COLOUR* arrow, INT_U8 vis,
                           WM_ACTION_CALLBACK callback, INT_WORD arg1, INT_WORD arg2)
    : WM_SCREEN_OBJECT(vis, callback, arg1, arg2),
      frames{SB_EMPTY_FRAME, SB_EMPTY_FRAME, SB_EMPTY_FRAME, SB_EMPTY_FRAME, SB_EMPTY_FRAME,
             SB_EMPTY_FRAME, SB_EMPTY_FRAME, SB_EMPTY_FRAME, SB_EMPTY_FRAME, SB_EMPTY_FRAME,
             SB_EMPTY_FRAME, SB_EMPTY_FRAME, SB_EMPTY_FRAME, SB_EMPTY_FRAME, SB_EMPTY_FRAME} {
  init_scrollbar(x1, y1, x2, y2, slider_size, button_length, bound, kind_of_bar, look, bar,
                 slider, button, arrow);
}

WM_SCROLLBAR::~WM_SCROLLBAR() { release_bar_images(); }

void WM_SCROLLBAR::init_scrollbar(INT_S16 x1, INT_S16 y1, INT_S16 x2, INT_S16 y2,
                                  INT_S16 slider_size, INT_S16 button_length, TYPED_VALUE* bound,
                                  INT_U32 kind_of_bar, INT_U8 look, const COLOUR* bar,
                                  const COLOUR* slider, const COLOUR* button,
                                  const COLOUR* arrow) {
  orientation = kind_of_bar;
  value = bound;
  x = x1;
  y = y1;
  width = static_cast<INT_S16>(x2 - x1 + 1);
  height = static_cast<INT_S16>(y2 - y1 + 1);
  slider_length = slider_size;
  button_size = button_length;
  bar_colour = *bar;
  slider_colour = *slider;
  button_colour = *button;
  arrow_colour = *arrow;
  hover_colour = arrow_hover_colour = COLOUR_INVISIBLE;
  dragging = button_was_down = 0;
  flags = look;
  page_step = line_step = 1;
  enabled = 1;
  repeat_time_ms = 0;
  repeat_kind = 0;
  repeating = 0;
  step_callback = nullptr;
  value_changed = 0;
  wheel_step = 1;
  bar_hover = slider_hover = less_hover = more_hover = 0;
  shown_value = value ? value->get_long() : 0;
  track_start = track_length = grab_offset = 0;
  layout_track();
  kind |= WM_KIND_SCROLLBAR;
}

INT_S32 WM_SCROLLBAR::handle_input() { return WM_SCREEN_OBJECT::handle_input(); }
void WM_SCROLLBAR::set_position(INT_S16 new_x, INT_S16 new_y) {
  WM_SCREEN_OBJECT::set_position(new_x, new_y);
}
void WM_SCROLLBAR::set_size(INT_S16 w, INT_S16 h, INT_U8 c) { WM_SCREEN_OBJECT::set_size(w, h, c); }
INT_U8 WM_SCROLLBAR::can_focus() { return enabled && focusable; }
void WM_SCROLLBAR::draw() {}
bool WM_SCROLLBAR::load_bar_images(const char*, const char*, const WM_STYLE_SET*) { return false; }
bool WM_SCROLLBAR::load_bar_images(FOLDER*, const char*, const WM_STYLE_SET*) { return false; }
void WM_SCROLLBAR::release_bar_images() {
  for (int i = SB_FRAME_COUNT - 1; i >= 0; --i) frames[i].release();
}
bool WM_SCROLLBAR::has_bar_images() const { return false; }
void WM_SCROLLBAR::layout_track() {}
void WM_SCROLLBAR::set_slider_size(INT_S16 length) {
  slider_length = length;
  layout_track();
}
INT_S32 WM_SCROLLBAR::get_track_extent() const { return is_vertical() ? height : width; }
INT_S32 WM_SCROLLBAR::get_step(INT_S32 k) {
  if (step_callback) return step_callback(this, k);
  return k == 1 || k == 2 ? line_step : k == 3 || k == 4 ? page_step : 0;
}
void WM_SCROLLBAR::take_wheel() { wm_wheel_target = this; }
INT_S32 WM_SCROLLBAR::slider_position(INT_S32) const { return track_start; }
