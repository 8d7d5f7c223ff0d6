// Scrollbar model, layout and input. Positions, steps and drag values are
// computed in 64 bits and clamped to the bound value's own range before they
// are written, so neither a full-range value nor a narrow type's wrap-around
// can misplace the slider or store a wrong value.
#include "wm_scrollbar.h"

#include <cstdio>
#include <utility>

#include "../wm_platform.h"
#include "errors.h"
#include "folder.h"
#include "input.h"
#include "style_set.h"
#include "wm_globals.h"
#include "../wm_internal.h"

WM_SCREEN_OBJECT* wm_wheel_target = nullptr;

namespace {

const INT_U32 kLeftButtonBit = 1u << 0;

// Auto-repeat of a held press: the first repeat waits longer.
const INT_U32 kFirstRepeatMs = 500;
const INT_U32 kRepeatMs = 60;

// The smallest slider, and the shortest side (in pixels past the first).
const INT_S16 kMinSliderLength = 6;
const INT_S16 kMinSideSpan = 10;

// Fatal errors and warnings of construction and layout.
const INT_U32 kErrorRange = 0x70;
const INT_U32 kErrorNoValue = 0x72;
const INT_U32 kErrorValueType = 0x73;
const INT_U32 kErrorOrientation = 0x74;
const INT_U32 kWarningSlider = 0x20;
const INT_U32 kWarningSide = 0x21;

// Style shading_flags bits that round a corner.
const INT_U16 kRoundedCorners = 16 | 32 | 64 | 128;

// The first style image of the bar's frames; the frames follow in the same order.
const int kFirstStyleImage = STYLE_IMAGE_BAR;
const int kFirstButtonFrame = SB_FRAME_LESS_UP;

INT_U8 style_look(const WM_STYLE_SET* style) {
  INT_U8 look = 0;
  if (style->shading_flags & kRoundedCorners) look |= SB_FLAG_ROUNDED;
  if (style->ssf & ssf_vfading) look |= SB_FLAG_VFADE;
  if (style->ssf & ssf_hfading) look |= SB_FLAG_HFADE;
  if (style->ssf & ssf_dont_resize_image) look |= SB_FLAG_NO_RESIZE;
  return look;
}

// Whether a rectangle can hold the slider and both end buttons along its
// axis, with the corrections construction applies to both sizes.
bool buttons_fit(INT_S16 a1, INT_S16 a2, INT_S16 slider, INT_S16 button) {
  INT_S32 span = a2 > a1 ? a2 - a1 : a1 - a2;
  if (span < kMinSideSpan) span = kMinSideSpan;
  const INT_S32 s = slider < kMinSliderLength ? kMinSliderLength : slider;
  return span + 1 >= s + 2 * static_cast<INT_S32>(button);
}

}  // namespace

#define SB_EMPTY_FRAME SKIN_FRAME(&wm_skin_cache)
#define SB_EMPTY_FRAMES                                                                      \
  SB_EMPTY_FRAME, SB_EMPTY_FRAME, SB_EMPTY_FRAME, SB_EMPTY_FRAME, SB_EMPTY_FRAME,             \
      SB_EMPTY_FRAME, SB_EMPTY_FRAME, SB_EMPTY_FRAME, SB_EMPTY_FRAME, SB_EMPTY_FRAME,         \
      SB_EMPTY_FRAME, SB_EMPTY_FRAME, SB_EMPTY_FRAME, SB_EMPTY_FRAME, SB_EMPTY_FRAME

WM_SCROLLBAR::WM_SCROLLBAR(INT_S16 x1, INT_S16 y1, INT_S16 x2, INT_S16 y2, TYPED_VALUE* bound,
                           const WM_STYLE_SET* style, WM_ACTION_CALLBACK callback,
                           INT_WORD arg1, INT_WORD arg2)
    : WM_SCREEN_OBJECT(style->visible, callback, arg1, arg2), frames{SB_EMPTY_FRAMES} {
  shading_type = style->shading_type;
  const bool horizontal = (style->ssef & ssef_sb_horizontal) != 0;
  bool buttons = (style->ssef & ssef_sb_with_buttons) != 0;
  // A bar too short for its end buttons goes without them rather than ending
  // the program: text windows and grids make bars of any height.
  if (buttons) {
    buttons = horizontal ? buttons_fit(x1, x2, style->scrollbar_slider_width,
                                       style->scrollbar_button_width)
                         : buttons_fit(y1, y2, style->scrollbar_slider_width,
                                       style->scrollbar_button_width);
  }
  const INT_U32 o = horizontal ? (buttons ? SB_HORIZONTAL_BUTTONS : SB_HORIZONTAL)
                               : (buttons ? SB_VERTICAL_BUTTONS : SB_VERTICAL);
  init_scrollbar(x1, y1, x2, y2, style->scrollbar_slider_width, style->scrollbar_button_width,
                 bound, o, style_look(style), &style->bg_colour, &style->active_colour,
                 &style->active_colour, &style->fg_colour);
  if (style->ssf & ssf_disabled) {
    enabled = 0;
    if (visible) show();
  }
  if (style->image_filename) load_bar_images(style->image_path, style->image_filename, style);
  if (colour_alpha(style->bevel_colour)) colour = style->bevel_colour;
}

WM_SCROLLBAR::WM_SCROLLBAR(INT_S16 x1, INT_S16 y1, INT_S16 x2, INT_S16 y2, INT_S16 slider_size,
                           INT_S16 button_length, TYPED_VALUE* bound, INT_U32 kind_of_bar,
                           INT_U8 look, const COLOUR* bar, const COLOUR* slider,
                           const COLOUR* button, const COLOUR* arrow, INT_U8 vis,
                           WM_ACTION_CALLBACK callback, INT_WORD arg1, INT_WORD arg2)
    : WM_SCREEN_OBJECT(vis, callback, arg1, arg2), frames{SB_EMPTY_FRAMES} {
  init_scrollbar(x1, y1, x2, y2, slider_size, button_length, bound, kind_of_bar, look, bar,
                 slider, button, arrow);
}

WM_SCROLLBAR::~WM_SCROLLBAR() {
  wm_release_dying_object(this);
  // No scrollbar takes the wheel until the pointer finds one, rather than a
  // pointer to a freed object that a later one could come to share.
  if (wm_wheel_target == this) wm_wheel_target = nullptr;
  release_bar_images();
}

void WM_SCROLLBAR::init_scrollbar(INT_S16 x1, INT_S16 y1, INT_S16 x2, INT_S16 y2,
                                  INT_S16 slider_size, INT_S16 button_length, TYPED_VALUE* bound,
                                  INT_U32 kind_of_bar, INT_U8 look, const COLOUR* bar,
                                  const COLOUR* slider, const COLOUR* button,
                                  const COLOUR* arrow) {
  if (!bound) report_fatal_error(kErrorNoValue, nullptr);
  if (bound->tag == TV_POINTER) report_fatal_error(kErrorValueType, nullptr);
  if (bound->as_long(&bound->min) >= bound->as_long(&bound->max))
    report_fatal_error(kErrorRange, nullptr);

  if (x2 < x1) std::swap(x1, x2);
  if (y2 < y1) std::swap(y1, y2);
  if (slider_size < kMinSliderLength) {
    report_warning(kWarningSlider, nullptr);
    slider_size = kMinSliderLength;
  }
  if (x2 - x1 < kMinSideSpan) {
    report_warning(kWarningSide, nullptr);
    x2 = static_cast<INT_S16>(x1 + kMinSideSpan);
  }
  if (y2 - y1 < kMinSideSpan) {
    report_warning(kWarningSide, nullptr);
    y2 = static_cast<INT_S16>(y1 + kMinSideSpan);
  }

  enabled = 1;
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
  dragging = 0;
  shown_value = value->get_long();
  button_was_down = 0;
  page_step = line_step = 1;
  repeat_time_ms = 0;
  repeat_kind = SB_STEP_NONE;
  repeating = 0;
  step_callback = nullptr;
  value_changed = 0;
  wheel_step = 1;
  bar_hover = slider_hover = less_hover = more_hover = 0;
  track_start = track_length = grab_offset = 0;

  flags = look;
  if (flags & SB_FLAG_AUTO_LOOK)
    flags |= is_vertical() ? (SB_FLAG_ROUNDED | SB_FLAG_HFADE) : (SB_FLAG_ROUNDED | SB_FLAG_VFADE);

  layout_track();

  take_wheel();
  kind |= WM_KIND_SCROLLBAR;
  if (wm_object_created_hook) wm_object_created_hook(this, wm_object_created_hook_arg);
}

// ---- Layout and geometry ---------------------------------------------------

void WM_SCROLLBAR::layout_track() {
  const INT_S32 s = slider_length;
  const INT_S32 b = button_size;
  switch (orientation) {
    case SB_HORIZONTAL:
      track_start = x + s;
      track_length = width - s;
      break;
    case SB_HORIZONTAL_BUTTONS:
      if (width < s + 2 * b) report_fatal_error(kErrorRange, nullptr);
      track_start = x + b + s;
      track_length = width - 2 * b - s;
      break;
    case SB_VERTICAL:
      track_start = y;
      track_length = height - s;
      break;
    case SB_VERTICAL_BUTTONS:
      if (height < s + 2 * b) report_fatal_error(kErrorRange, nullptr);
      track_start = y + b;
      track_length = height - 2 * b - s;
      break;
    default:
      report_fatal_error(kErrorOrientation, nullptr);
  }
  // A bar resized below its slider has no travel; a negative one would put
  // the slider outside the bar.
  if (track_length < 0) track_length = 0;
}

void WM_SCROLLBAR::set_slider_size(INT_S16 length) {
  slider_length = length;
  layout_track();
  if (visible) show();
}

INT_S32 WM_SCROLLBAR::get_track_extent() const {
  switch (orientation) {
    case SB_HORIZONTAL: return width;
    case SB_HORIZONTAL_BUTTONS: return width - 2 * button_size;
    case SB_VERTICAL: return height;
    case SB_VERTICAL_BUTTONS: return height - 2 * button_size;
    default: return 0;
  }
}

INT_S32 WM_SCROLLBAR::range_min() const { return value->as_long(&value->min); }
INT_S32 WM_SCROLLBAR::range_max() const { return value->as_long(&value->max); }

INT_S32 WM_SCROLLBAR::slider_position(INT_S32 v) const {
  const INT_S64 lo = range_min();
  const INT_S64 hi = range_max();
  // An empty range has no travel: the slider stands at its start.
  if (hi <= lo) return track_start;
  INT_S64 at = v;
  if (at < lo) at = lo;
  if (at > hi) at = hi;
  const INT_S64 len = track_length;
  const INT_S64 offset = is_vertical() ? (hi - at) * len / (hi - lo) : (at - lo) * len / (hi - lo);
  return static_cast<INT_S32>(track_start + offset);
}

void WM_SCROLLBAR::set_position(INT_S16 new_x, INT_S16 new_y) {
  if (new_x == x && new_y == y) return;
  WM_SCREEN_OBJECT::set_position(new_x, new_y);
  layout_track();
}

void WM_SCROLLBAR::set_size(INT_S16 new_width, INT_S16 new_height, INT_U8 children_too) {
  if (new_width == width && new_height == height) return;
  WM_SCREEN_OBJECT::set_size(new_width, new_height, children_too);
  layout_track();
}

INT_U8 WM_SCROLLBAR::can_focus() { return enabled && focusable ? 1 : 0; }

// ---- Values and steps --------------------------------------------------------

INT_S32 WM_SCROLLBAR::get_step(INT_S32 step_kind) {
  if (step_callback) {
    INT_S32 amount = 0;
    wm_call_survives(this, [&] { amount = step_callback(this, step_kind); });
    return amount;
  }
  switch (step_kind) {
    case SB_STEP_LINE_MORE:
    case SB_STEP_LINE_LESS: return line_step;
    case SB_STEP_PAGE_MORE:
    case SB_STEP_PAGE_LESS: return page_step;
    default: return 0;
  }
}

void WM_SCROLLBAR::write_value(INT_S64 v) {
  const INT_S64 lo = range_min();
  const INT_S64 hi = range_max();
  if (v > hi) v = hi;
  if (v < lo) v = lo;
  value->set_long(&value->value, static_cast<INT_S32>(v));
}

bool WM_SCROLLBAR::step(INT_S32 step_kind) {
  INT_S64 amount = 0;
  if (!wm_call_survives(this, [&] { amount = get_step(step_kind); })) return false;
  const INT_S64 now_value = value->get_long();
  if (step_kind == SB_STEP_LINE_MORE || step_kind == SB_STEP_PAGE_MORE)
    write_value(now_value + amount);
  else if (step_kind == SB_STEP_LINE_LESS || step_kind == SB_STEP_PAGE_LESS)
    write_value(now_value - amount);
  return true;
}

void WM_SCROLLBAR::take_wheel() {
  wm_wheel_target = this;
  mouse_state.wheel = 0;
}

// ---- Input -------------------------------------------------------------------

void WM_SCROLLBAR::update_hover() {
  const INT_S32 px = mouse_state.x;
  const INT_S32 py = mouse_state.y;
  const INT_S32 w = width, h = height, b = button_size, s = slider_length;
  const INT_S32 P = slider_position(shown_value);
  const bool skinned = has_bar_images();
  const INT_S32 with_b = has_buttons() ? b : 0;
  INT_U8 bar = 0, slider = 0, less = 0, more = 0;
  if (!is_vertical()) {
    const bool rows = y < py && py < y + h - 1;
    if (skinned) {
      bar = rows && x + with_b < px && px < x + w - 1 - with_b;
      less = rows && x < px && px < x + b - 1;
      more = rows && x + w - b < px && px < x + w - 1;
    } else {
      bar = rows && x < px && px < x + w - 1;
      const bool inner = y + 2 < py && py < y + h - 3;
      less = inner && x + 2 < px && px <= x + b;
      more = inner && x + w - 3 - b < px && px < x + w - 3;
    }
    slider = rows && P - s < px && px < P - 1;
  } else {
    const bool cols = x < px && px < x + w - 1;
    if (skinned) {
      bar = cols && y + with_b < py && py < y + h - 1 - with_b;
      less = cols && y + h - b < py && py < y + h - 1;
      more = cols && y < py && py < y + b - 1;
    } else {
      bar = cols && y < py && py < y + h - 1;
      const bool inner = x + 2 < px && px < x + w - 3;
      less = inner && y + h - b - 1 <= py && py < y + h - 3;
      more = inner && y + 2 < py && py <= y + b;
    }
    slider = cols && P < py && py < P + s - 1;
  }
  if (bar != bar_hover || slider != slider_hover || less != less_hover || more != more_hover) {
    show();
    bar_hover = bar;
    slider_hover = slider;
    less_hover = less;
    more_hover = more;
  }
}

void WM_SCROLLBAR::handle_wheel() {
  // The count is read as the 16-bit number the wheel reports.
  const INT_S64 notches = static_cast<INT_S16>(mouse_state.wheel);
  mouse_state.wheel = 0;
  if (notches) write_value(static_cast<INT_S64>(value->get_long()) + notches * wheel_step);
}

bool WM_SCROLLBAR::handle_keys() {
  const INT_S32 key = KEYBOARD::take_key();
  if (!key) return true;
  const bool ctrl = wm_key_is_down(KEYCODE_CONTROL_LEFT) || wm_key_is_down(KEYCODE_CONTROL_RIGHT);
  if (!is_vertical()) {
    switch (key) {
      case KEYCODE_HOME: write_value(range_min()); break;
      case KEYCODE_END: write_value(range_max()); break;
      case KEYCODE_LEFT: return step(ctrl ? SB_STEP_PAGE_LESS : SB_STEP_LINE_LESS);
      case KEYCODE_RIGHT: return step(ctrl ? SB_STEP_PAGE_MORE : SB_STEP_LINE_MORE);
      default: break;
    }
    return true;
  }
  switch (key) {
    case KEYCODE_HOME:
      if (ctrl) write_value(range_max());
      break;
    case KEYCODE_END:
      if (ctrl) write_value(range_min());
      break;
    case KEYCODE_UP: return step(ctrl ? SB_STEP_PAGE_MORE : SB_STEP_LINE_MORE);
    case KEYCODE_PAGE_UP: return step(SB_STEP_PAGE_MORE);
    case KEYCODE_DOWN: return step(ctrl ? SB_STEP_PAGE_LESS : SB_STEP_LINE_LESS);
    case KEYCODE_PAGE_DOWN: return step(SB_STEP_PAGE_LESS);
    default: break;
  }
  return true;
}

// A press over the bar with no repeat running: which step it asks for.
bool WM_SCROLLBAR::handle_press(INT_S32 c, INT_U32 now, bool& redraw) {
  const INT_S32 P = slider_position(value->get_long());
  const INT_S32 s = slider_length;
  INT_S32 located = SB_STEP_NONE;
  if (!is_vertical()) {
    if (has_buttons() && c < track_start - s) located = SB_STEP_LINE_LESS;
    else if (c < P - s) located = SB_STEP_PAGE_LESS;
    else if (has_buttons() && c > track_start + track_length) located = SB_STEP_LINE_MORE;
    else if (c > P) located = SB_STEP_PAGE_MORE;
  } else {
    if (has_buttons() && c < track_start) located = SB_STEP_LINE_MORE;
    else if (c < P) located = SB_STEP_PAGE_MORE;
    else if (has_buttons() && c > track_start + track_length + s) located = SB_STEP_LINE_LESS;
    else if (c > P + s) located = SB_STEP_PAGE_LESS;
  }
  if (located == SB_STEP_NONE) return true;
  repeat_kind = located;
  repeating = 0;
  repeat_time_ms = now;
  if (!step(located)) return false;
  redraw = true;
  return true;
}

void WM_SCROLLBAR::start_drag(INT_S32 c) {
  // With no travel there is nothing to drag along.
  if (track_length <= 0) return;
  const INT_S32 px = mouse_state.x, py = mouse_state.y;
  const INT_S32 s = slider_length;
  bool in_band;
  if (!is_vertical())
    in_band = y <= py && py < y + height && track_start - s <= px &&
              px <= track_start + track_length;
  else
    in_band = x <= px && px < x + width && track_start <= py &&
              py <= track_start + track_length + s;
  if (!in_band) return;
  dragging = 1;
  const INT_S32 P = slider_position(value->get_long());
  const bool on_slider = !is_vertical() ? (P - s < px && px < P) : (P < py && py < P + s);
  grab_offset = on_slider ? P - c + 1 : 0;
}

void WM_SCROLLBAR::follow_drag(INT_S32 c) {
  if (track_length <= 0) {
    dragging = 0;
    return;
  }
  INT_S64 p = static_cast<INT_S64>(c) + grab_offset;
  // Within a pixel of either end the slider snaps to it.
  if (p <= track_start + 1) p = track_start;
  if (p >= static_cast<INT_S64>(track_start) + track_length - 1) p = track_start + track_length;
  const INT_S64 lo = range_min();
  const INT_S64 hi = range_max();
  const INT_S64 moved = (hi - lo) * (p - track_start) / track_length;
  write_value(is_vertical() ? hi - moved : lo + moved);
}

INT_S32 WM_SCROLLBAR::handle_input() {
  // Its own click, its focus and its step callbacks may delete the bar.
  INT_S32 result = 0;
  if (!wm_call_survives(this, [&] { result = WM_SCREEN_OBJECT::handle_input(); }) || result ||
      !visible)
    return result;
  KEYBOARD keyboard;  // keeps the typed-character queue alive for the pass

  value_changed = value->get_long() != shown_value ? 1 : 0;
  bool redraw = false;
  if (enabled) {
    update_hover();
    const INT_S16 px = mouse_state.x, py = mouse_state.y;
    const bool held = (mouse_state.buttons & kLeftButtonBit) != 0;
    const bool over = is_over(px, py) != 0;
    const INT_S32 c = is_vertical() ? py : px;
    const INT_U32 now = wm_frame_ms;

    if (!over && held) {
      if (repeat_kind) redraw = true;
      repeat_kind = SB_STEP_NONE;
    }
    if (over && wm_wheel_target != this) take_wheel();
    if (wm_wheel_target == this) handle_wheel();
    if (wm_focus_object == this && !handle_keys()) return WM_ACTION_HANDLED;

    if (!held) {
      if (dragging || repeat_kind) redraw = true;
      dragging = 0;
      repeat_kind = SB_STEP_NONE;
    } else {
      bool repeat_running = false;
      if (over) {
        if (!wm_call_survives(this, [&] { take_focus(); })) return WM_ACTION_HANDLED;
        if (repeat_kind) {
          repeat_running = true;
          const INT_U32 wait = repeating ? kRepeatMs : kFirstRepeatMs;
          if (now - repeat_time_ms > wait) {
            repeating = 1;
            repeat_time_ms = now;
            if (!step(repeat_kind)) return WM_ACTION_HANDLED;
            redraw = true;
          }
        } else if (!dragging && !handle_press(c, now, redraw)) {
          return WM_ACTION_HANDLED;
        }
      }
      if (!repeat_running) {
        if (repeat_kind == SB_STEP_NONE && !button_was_down && !dragging) start_drag(c);
        if (dragging) follow_drag(c);
      }
    }
    button_was_down = held ? 1 : 0;
  }

  const INT_S32 now_value = value->get_long();
  if (now_value == shown_value) {
    if (redraw && visible) show();
  } else {
    if (visible) show();
    // Recorded before the callback, which may change the value again (that
    // change is reported next pass) or delete this bar.
    shown_value = now_value;
    value_changed = 0;
    if (action_callback)
      wm_call_survives(this, [&] { result = action_callback(this, action_arg1, action_arg2); });
    return result;
  }
  value_changed = 0;
  return result;
}

// ---- Images ------------------------------------------------------------------

bool WM_SCROLLBAR::has_bar_images() const {
  if (!frames[SB_FRAME_BAR].is_valid() || !frames[SB_FRAME_SLIDER_UP].is_valid() ||
      !frames[SB_FRAME_SLIDER_DOWN].is_valid())
    return false;
  if (!has_buttons()) return true;
  return frames[SB_FRAME_LESS_UP].is_valid() && frames[SB_FRAME_LESS_DOWN].is_valid() &&
         frames[SB_FRAME_MORE_UP].is_valid() && frames[SB_FRAME_MORE_DOWN].is_valid();
}

void WM_SCROLLBAR::release_bar_images() {
  for (int i = SB_FRAME_COUNT - 1; i >= 0; --i) frames[i].release();
}

bool WM_SCROLLBAR::load_bar_images(const char* folder_path, const char* base_name,
                                   const WM_STYLE_SET* style) {
  const int wanted = has_buttons() ? SB_FRAME_COUNT : kFirstButtonFrame;
  if (style && style->is_loaded()) {
    for (int i = 0; i < wanted; ++i)
      if (const SKIN_FRAME* image = style->state_images[kFirstStyleImage + i])
        frames[i].copy_from(image);
  } else if (base_name) {
    char name[STYLE_PATH_SIZE];
    for (int i = 0; i < wanted; ++i) {
      std::snprintf(name, sizeof name, "%s%s", base_name,
                    style_image_suffixes[kFirstStyleImage + i]);
      frames[i].load(folder_path, name, 0);
    }
  } else {
    release_bar_images();
    return false;
  }
  if (!has_buttons())
    for (int i = kFirstButtonFrame; i < SB_FRAME_COUNT; ++i) frames[i].release();
  return has_bar_images();
}

bool WM_SCROLLBAR::load_bar_images(FOLDER* folder, const char* base_name,
                                   const WM_STYLE_SET* style) {
  char path[STYLE_PATH_SIZE] = "";
  if (folder) folder->get_path_text(path, nullptr);
  return load_bar_images(path, base_name, style);
}
