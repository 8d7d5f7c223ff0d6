// The text edit box's drawing: background, icon, selection band, text or
// masks, and the cursor line.
#include "wm_text_edit.h"

#include <cstring>

#include "fonts.h"
#include "image.h"
#include "wm_globals.h"

namespace {

const INT_U16 kSunkenBorder = 0x800F;  // four sides, indented
const INT_U16 kRaisedBorder = 15;
const INT_S16 kDarkenPercent = 50;
const char kMask[] = "*";

bool is_set(COLOUR c) { return (c >> 24) != 0; }

// The surface's clip, put back as it was when the drawing ends.
class SAVED_CLIP {
 public:
  explicit SAVED_CLIP(IMAGE* surface)
      : s(surface), l(s->clip_left), r(s->clip_right), t(s->clip_top), b(s->clip_bottom) {}
  ~SAVED_CLIP() { restore(); }
  void restore() const {
    s->clip_left = l;
    s->clip_right = r;
    s->clip_top = t;
    s->clip_bottom = b;
  }

 private:
  IMAGE* s;
  INT_S16 l, r, t, b;
};

INT_S16 s16(INT_S32 v) { return static_cast<INT_S16>(v); }

}  // namespace

void WM_TEXT_EDIT::draw() {
  IMAGE* s = wm_surface;
  if (!s || width <= 0 || height <= 0) return;
  const INT_S16 x2 = s16(x + width - 1), y2 = s16(y + height - 1);
  const SAVED_CLIP saved(s);

  if (background_frame.is_valid()) {
    background_frame.draw(x, y, x2, y2, (edit_flags & TEXT_EDIT_DONT_RESIZE_IMAGE) ? 0 : 1, s,
                          BLIT_BLEND);
  } else {
    if (edit_flags & TEXT_EDIT_DARKENED)
      s->darken_rect(x, y, x2, y2, kDarkenPercent);
    else if (is_set(back_colour))
      s->fill_rect(x, y, x2, y2, &back_colour, 1);
    if (edit_flags & TEXT_EDIT_INDENT_BORDER)
      draw_border(x, y, x2, y2, kSunkenBorder, &back_colour, 1, -1);
    else if (edit_flags & TEXT_EDIT_RAISED_BORDER)
      draw_border(x, y, x2, y2, kRaisedBorder, &back_colour, 1, -1);
  }

  if (icon.width > 0) {
    INT_S16 sx1 = x, sx2 = x2, sy1 = y, sy2 = y2;
    if (edit_flags & TEXT_EDIT_ICON_LEFT) {
      sx2 = s16(x + left_gap);
    } else if (edit_flags & TEXT_EDIT_ICON_RIGHT) {
      sx1 = s16(x + width - right_gap - 1);
    }
    if (edit_flags & TEXT_EDIT_ICON_TOP) {
      sy2 = s16(y + top_gap);
    } else if (edit_flags & TEXT_EDIT_ICON_BOTTOM) {
      sy1 = s16(y + height - bottom_gap - 1);
    }
    const SAVED_CLIP around_icon(s);
    s->intersect_clip(sx1, sy1, sx2, sy2);
    icon.draw_to(s16(sx1 + (sx2 - sx1 + 1 - icon.width) / 2),
                 s16(sy1 + (sy2 - sy1 + 1 - icon.height) / 2), s, BLIT_BLEND);
  }

  s->intersect_clip(s16(x + left_gap), s16(y + top_gap), s16(x2 - right_gap),
                    s16(y2 - bottom_gap));
  const char* t = text.text ? text.text : "";
  const INT_U16 effects = enabled ? 0 : TEXT_EFFECT_BEVEL;
  INT_S16 cursor_x;
  if (!(edit_flags & TEXT_EDIT_PASSWORD)) {
    if (sel_start != -1 && sel_end != -1 && sel_start != sel_end) {
      const INT_S16 lo = sel_start < sel_end ? sel_start : sel_end;
      const INT_S16 hi = sel_start < sel_end ? sel_end : sel_start;
      s->fill_rect(s16(char_x(lo) - 1), s16(y + top_gap), s16(char_x(hi) - 1),
                   s16(y + top_gap + font_h - 1), &highlight_colour, 1);
    }
    const INT_S16 first = first_shown_now();
    s->draw_text(s16(x + left_gap), s16(y + top_gap), &text_colour, nullptr, nullptr, font, font_w,
                 font_h, t + first, effects);
    cursor_x = char_x(cursor);
  } else {
    const INT_S32 mask_w = s->text_width(static_cast<INT_U8>(font), static_cast<INT_U16>(font_w),
                                         static_cast<INT_U16>(font_h), kMask);
    const INT_S32 n = masks_that_fit(static_cast<INT_S32>(std::strlen(t)),
                                     width - left_gap - right_gap, mask_w);
    const INT_S32 step = mask_w < 1 ? 1 : mask_w;
    for (INT_S32 i = 0; i < n; ++i)
      s->draw_text(s16(x + left_gap + i * step), s16(y + top_gap), &text_colour, &back_colour,
                   nullptr, font, font_w, font_h, kMask, effects);
    cursor_x = s16(x + left_gap + (cursor < n ? cursor : n) * step + 1);
  }

  if (wm_focus_object == this) {
    // A style without a text colour would leave the line invisible, which
    // the line primitive refuses: contrast with the background instead.
    COLOUR line = cursor_colour;
    if (!is_set(line)) choose_text_colour(&line, &back_colour);
    s->draw_line(cursor_x, s16(y + top_gap), cursor_x, s16(y + top_gap + font_h - 1), &line, 1, 1);
  }
}
