// Scrollbar drawing: the skinned look composes frames chosen by state, the
// flat look paints the track, slider and buttons from the bar's colours. The
// slider stands at `shown_value`, the value last reported to the owner.
#include "image.h"
#include "widget_shared.h"
#include "wm_border.h"
#include "wm_globals.h"
#include "wm_scrollbar.h"

namespace {

const COLOUR kBlack = 0xFF000000u;

// Border shading types of the two looks.
const INT_U32 kSquareShading = 4;
const INT_U32 kRoundedShading = 1;
const INT_U16 kSides = 0xF;
const INT_U16 kSidesAndCorners = 0xFF;
const INT_S8 kAllCorners = 0xF;

// fill_rounded_rect styles.
const INT_S32 kFillPlain = 0;
const INT_S32 kFillHorizontal = 1;
const INT_S32 kFillVertical = 2;

typedef INT_S16 S16;
inline S16 s16(INT_S32 v) { return static_cast<S16>(v); }

}  // namespace

void WM_SCROLLBAR::draw() {
  if (!wm_surface) return;
  const widgets::OWN_CLIP own(wm_surface, this);
  if (has_bar_images())
    draw_skinned();
  else
    draw_flat();
}

void WM_SCROLLBAR::draw_skinned() {
  const INT_U8 stretch = (flags & SB_FLAG_NO_RESIZE) ? 0 : 1;
  const bool focused = wm_focus_object == this;
  // First rule that applies: disabled with its image, active, over with its
  // image, the normal image.
  auto pick = [&](int normal, int disabled, int active_frame, bool active, bool hover,
                  int over) -> SKIN_FRAME& {
    if (!enabled && frames[disabled].is_valid()) return frames[disabled];
    if (active && active_frame >= 0) return frames[active_frame];
    if ((focused || hover) && frames[over].is_valid()) return frames[over];
    return frames[normal];
  };
  auto put = [&](SKIN_FRAME& frame, INT_S32 x1, INT_S32 y1, INT_S32 x2, INT_S32 y2) {
    frame.draw(s16(x1), s16(y1), s16(x2), s16(y2), stretch, nullptr, BLIT_BLEND);
  };
  SKIN_FRAME& bar = pick(SB_FRAME_BAR, SB_FRAME_BAR_DISABLED, -1, false, bar_hover,
                         SB_FRAME_BAR_OVER);
  SKIN_FRAME& less = pick(SB_FRAME_LESS_UP, SB_FRAME_LESS_DISABLED, SB_FRAME_LESS_DOWN,
                          repeat_kind == SB_STEP_LINE_LESS, less_hover, SB_FRAME_LESS_OVER);
  SKIN_FRAME& more = pick(SB_FRAME_MORE_UP, SB_FRAME_MORE_DISABLED, SB_FRAME_MORE_DOWN,
                          repeat_kind == SB_STEP_LINE_MORE, more_hover, SB_FRAME_MORE_OVER);
  SKIN_FRAME& slider = pick(SB_FRAME_SLIDER_UP, SB_FRAME_SLIDER_DISABLED, SB_FRAME_SLIDER_DOWN,
                            dragging != 0, slider_hover, SB_FRAME_SLIDER_OVER);
  const INT_S32 w = width, h = height, b = button_size, s = slider_length;
  switch (orientation) {
    case SB_HORIZONTAL_BUTTONS:
      put(less, x, y, x + b - 1, y + h - 1);
      put(more, x + w - b, y, x + w - 1, y + h - 1);
      put(bar, x + b, y, x + w - 1 - b, y + h - 1);
      break;
    case SB_VERTICAL_BUTTONS:
      put(more, x, y, x + w - 1, y + b - 1);
      put(less, x, y + h - b, x + w - 1, y + h - 1);
      put(bar, x, y + b, x + w - 1, y + h - 1 - b);
      break;
    default:
      put(bar, x, y, x + w - 1, y + h - 1);
      break;
  }
  const INT_S32 P = slider_position(shown_value);
  if (is_vertical())
    put(slider, x, P, x + w - 1, P + s - 1);
  else
    put(slider, P - s, y, P - 1, y + h - 1);
}

void WM_SCROLLBAR::draw_flat() {
  IMAGE* surface = wm_surface;
  if (!surface) return;
  const bool focused = wm_focus_object == this;
  const bool rounded = (flags & SB_FLAG_ROUNDED) != 0;
  const bool hover_set = colour_is_visible(hover_colour);
  auto part_colour = [&](COLOUR own, INT_U8 hover) {
    return (focused || hover) && hover_set ? hover_colour : own;
  };
  auto arrow_for = [&](INT_U8 hover) {
    return (focused || hover) && hover_set ? arrow_hover_colour : arrow_colour;
  };
  const INT_S32 fade_style =
      (flags & SB_FLAG_VFADE) ? kFillVertical : (flags & SB_FLAG_HFADE) ? kFillHorizontal : kFillPlain;
  // One fill of a slider or button in colour k, reversed (black first) while pressed.
  auto fill = [&](INT_S32 x1, INT_S32 y1, INT_S32 x2, INT_S32 y2, COLOUR k, bool reversed) {
    const COLOUR first = reversed ? kBlack : k;
    const COLOUR second = reversed ? k : kBlack;
    if (rounded) {
      surface->fill_rounded_rect(s16(x1), s16(y1), s16(x2), s16(y2), -1, kAllCorners, &first,
                                 &second, 0, fade_style);
    } else if (flags & SB_FLAG_VFADE) {
      surface->fill_gradient_vertical(s16(x1), s16(y1), s16(x2), s16(y2), &first, &second, 1);
    } else if (flags & SB_FLAG_HFADE) {
      surface->fill_gradient_horizontal(s16(x1), s16(y1), s16(x2), s16(y2), &first, &second, 1);
    } else {
      surface->fill_rect(s16(x1), s16(y1), s16(x2), s16(y2), &k, 1);
    }
  };
  auto black_line = [&](INT_S32 x1, INT_S32 y1, INT_S32 x2, INT_S32 y2) {
    surface->draw_line(s16(x1), s16(y1), s16(x2), s16(y2), &kBlack, 1, 1);
  };

  const INT_S32 w = width, h = height, b = button_size, s = slider_length;

  // 1. Track.
  const COLOUR track = part_colour(bar_colour, bar_hover);
  if (rounded)
    surface->fill_rounded_rect(x, y, s16(x + w - 1), s16(y + h - 1), -1, kAllCorners, &track,
                               &kBlack, 0, kFillPlain);
  else
    surface->fill_rect(x, y, s16(x + w - 1), s16(y + h - 1), &track, 1);

  // 2. Slider.
  const INT_S32 P = slider_position(shown_value);
  COLOUR k = part_colour(slider_colour, slider_hover);
  if (is_vertical()) {
    if (rounded) {
      fill(x + 2, P + 1, x + w - 3, P + s - 2, k, false);
      draw_border(s16(x + 2), s16(P + 1), s16(x + w - 3), s16(P + s - 2), kSidesAndCorners, &k,
                  kRoundedShading, -1);
    } else {
      fill(x + 2, P, x + w - 3, P + s - 1, k, false);
      draw_border(s16(x + 2), s16(P + 1), s16(x + w - 3), s16(P + s - 2), kSides, &k,
                  kSquareShading, -1);
      black_line(x + 2, P, x + w - 3, P);
      black_line(x + 2, P + s - 1, x + w - 3, P + s - 1);
    }
  } else {
    if (rounded) {
      fill(P - s + 2, y + 2, P - 2, y + h - 3, k, false);
      draw_border(s16(P - s + 2), s16(y + 2), s16(P - 2), s16(y + h - 3), kSidesAndCorners, &k,
                  kRoundedShading, -1);
    } else {
      fill(P - s + 2, y + 2, P, y + h - 3, k, false);
      draw_border(s16(P - s + 2), s16(y + 2), s16(P - 1), s16(y + h - 3), kSides, &k,
                  kSquareShading, -1);
      black_line(P, y + 2, P, y + h - 3);
      black_line(P - s + 1, y + 2, P - s + 1, y + h - 3);
    }
  }

  // 3. Buttons: fill, separator (square look), border, arrow.
  struct Button {
    INT_S32 fx1, fy1, fx2, fy2;  // fill
    INT_S32 lx1, ly1, lx2, ly2;  // separator
    INT_S32 bx1, by1, bx2, by2;  // border
    INT_S32 ax1, ay1, ax2, ay2;  // arrow box
    INT_S32 direction, margin_x, margin_y;
    COLOUR own;
    INT_U8 hover;
    bool pressed;
  };
  auto paint_button = [&](const Button& bt) {
    const COLOUR kc = part_colour(bt.own, bt.hover);
    fill(bt.fx1, bt.fy1, bt.fx2, bt.fy2, kc, bt.pressed);
    if (!rounded) black_line(bt.lx1, bt.ly1, bt.lx2, bt.ly2);
    INT_U16 mask = rounded ? kSidesAndCorners : kSides;
    if (bt.pressed) mask |= BORDER_INDENTED;
    draw_border(s16(bt.bx1), s16(bt.by1), s16(bt.bx2), s16(bt.by2), mask, &kc,
                rounded ? kRoundedShading : kSquareShading, -1);
    const COLOUR arrow = arrow_for(bt.hover);
    draw_arrow(this, s16(bt.ax1), s16(bt.ay1), s16(bt.ax2), s16(bt.ay2), &arrow, bt.direction,
               s16(bt.margin_x), s16(bt.margin_y));
  };
  const bool less_pressed = repeat_kind == SB_STEP_LINE_LESS;
  const bool more_pressed = repeat_kind == SB_STEP_LINE_MORE;
  if (orientation == SB_HORIZONTAL_BUTTONS) {
    const Button less{x + 2, y + 2, x + b + 1, y + h - 3,
                      x + b + 2, y + 2, x + b + 2, y + h - 3,
                      x + 2, y + 2, x + b + 1, y + h - 3,
                      x + 3, y + 3, x + b, y + h - 4,
                      ARROW_LEFT, 3, 1, button_colour, less_hover, less_pressed};
    const Button more{x + w - b - 3, y + 2, x + w - 3, y + h - 3,
                      x + w - 3 - b, y + 2, x + w - 3 - b, y + h - 3,
                      x + w - b - 2, y + 2, x + w - 3, y + h - 3,
                      x + w - b - 1, y + 3, x + w - 4, y + h - 4,
                      ARROW_RIGHT, 3, 1, button_colour, more_hover, more_pressed};
    paint_button(less);
    paint_button(more);
  } else if (orientation == SB_VERTICAL_BUTTONS) {
    const Button more{x + 2, y + 2, x + w - 3, y + b + 1,
                      x + 2, y + b + 2, x + w - 3, y + b + 2,
                      x + 2, y + 2, x + w - 3, y + b + 1,
                      x + 3, y + 3, x + w - 4, y + b,
                      ARROW_UP, 1, 3, button_colour, more_hover, more_pressed};
    const Button less{x + 2, y + h - b - 2, x + w - 3, y + h - 3,
                      x + 2, y + h - 3 - b, x + w - 3, y + h - 3 - b,
                      x + 2, y + h - b - 2, x + w - 3, y + h - 3,
                      x + 3, y + h - b - 1, x + w - 4, y + h - 4,
                      ARROW_DOWN, 1, 3, button_colour, less_hover, less_pressed};
    paint_button(more);
    paint_button(less);
  }

  // 4. Outline.
  if (rounded)
    surface->draw_rounded_rect(s16(x + 1), s16(y + 1), s16(x + w - 2), s16(y + h - 2), &kBlack);
  else
    surface->draw_rect(s16(x + 1), s16(y + 1), s16(x + w - 2), s16(y + h - 2), &kBlack, 1, 15);

  // 5. Outer border, always in the bar's own colour.
  if (rounded)
    draw_border(x, y, s16(x + w - 1), s16(y + h - 1), BORDER_INDENTED | kSidesAndCorners,
                &bar_colour, kRoundedShading, -1);
  else
    draw_border(x, y, s16(x + w - 1), s16(y + h - 1), BORDER_INDENTED | kSides, &bar_colour,
                kSquareShading, -1);
}
