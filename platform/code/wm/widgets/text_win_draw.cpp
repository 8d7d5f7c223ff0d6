// Text window drawing: background (skinned, darkened, rounded, faded or
// plain), border, the page of lines, and the selection as a band of each
// line's colour. The scrollbar, a child, is rendered after the window.
#include <string>

#include "image.h"
#include "wm_border.h"
#include "wm_globals.h"
#include "wm_scrollbar.h"
#include "wm_text_win.h"

namespace {

const COLOUR kBlack = 0xFF000000u;
const COLOUR kNone = COLOUR_INVISIBLE;
const INT_S16 kDarkenPercent = 50;

// fill_rounded_rect styles.
const INT_S32 kFillPlain = 0, kFillHorizontal = 1, kFillVertical = 2, kFillDarken = 3;

// Window flags to text-box flags.
const struct {
  INT_U16 window_flag;
  INT_U16 text_flag;
} kTextEffects[] = {{TW_LEFT_JUSTIFY, 32},  {TW_RIGHT_JUSTIFY, 64}, {TW_TOP_ALIGN, 8},
                    {TW_BOTTOM_ALIGN, 16},  {TW_SHADOW_TEXT, 1},    {TW_INSET_TEXT, 2},
                    {TW_CHISELED_TEXT, 4}};

inline INT_S16 s16(INT_S32 v) { return static_cast<INT_S16>(v); }

}  // namespace

void WM_TEXT_WIN::draw() {
  IMAGE* surface = wm_surface;
  if (!surface) return;
  const INT_S16 l = surface->clip_left, r = surface->clip_right, t = surface->clip_top,
                b = surface->clip_bottom;
  surface->intersect_clip(x, y, s16(x + width - 1), s16(y + height - 1));
  if (!surface->clip_is_empty()) {
    draw_background();
    draw_lines();
  }
  surface->clip_left = l;
  surface->clip_right = r;
  surface->clip_top = t;
  surface->clip_bottom = b;
}

void WM_TEXT_WIN::draw_background() {
  IMAGE* surface = wm_surface;
  const INT_S16 x2 = s16(x + width - 1), y2 = s16(y + height - 1);
  if (background_frame.is_valid()) {
    background_frame.draw(x, y, x2, y2, 1, nullptr, BLIT_BLEND);
    return;
  }
  INT_S8 corners = 0;
  if (border_mask & BORDER_CORNER_TOP_LEFT) corners |= 1;
  if (border_mask & BORDER_CORNER_TOP_RIGHT) corners |= 2;
  if (border_mask & BORDER_CORNER_BOTTOM_LEFT) corners |= 4;
  if (border_mask & BORDER_CORNER_BOTTOM_RIGHT) corners |= 8;
  if (flags & TW_DARKENED) {
    if (corners == 0)
      surface->darken_rect(x, y, x2, y2, kDarkenPercent);
    else
      surface->fill_rounded_rect(x, y, x2, y2, -1, corners, &kBlack, &kBlack, kDarkenPercent,
                                 kFillDarken);
  } else if (colour_is_visible(back_colour)) {
    if (corners != 0) {
      const bool fade = (flags & (TW_HFADE | TW_VFADE)) != 0;
      const INT_S32 style = (flags & TW_HFADE) ? kFillHorizontal
                            : (flags & TW_VFADE) ? kFillVertical
                                                 : kFillPlain;
      surface->fill_rounded_rect(x, y, x2, y2, -1, corners, &back_colour,
                                 fade ? &fading_colour : &kBlack, 0, style);
    } else if (flags & TW_HFADE) {
      surface->fill_gradient_horizontal(x, y, x2, y2, &back_colour, &fading_colour, 1);
    } else if (flags & TW_VFADE) {
      surface->fill_gradient_vertical(x, y, x2, y2, &back_colour, &fading_colour, 1);
    } else {
      surface->fill_rect(x, y, x2, y2, &back_colour, 1);
    }
  }
  if (flags & TW_INDENTED_BORDER)
    draw_border(x, y, x2, y2, static_cast<INT_U16>(border_mask | BORDER_INDENTED), &back_colour, 1,
                -1);
  else if (flags & TW_RAISED_BORDER)
    draw_border(x, y, x2, y2, static_cast<INT_U16>(border_mask & ~BORDER_INDENTED), &back_colour,
                1, -1);
}

void WM_TEXT_WIN::draw_lines() {
  IMAGE* surface = wm_surface;
  const INT_S32 page = page_last + 1;
  const INT_S32 fh = line_height();
  const INT_S32 first = first_shown();
  INT_S32 shown = line_total - first;
  if (shown > page) shown = page;
  if (shown <= 0) return;

  INT_S32 offset = 0;
  if (!(flags & TW_TOP_ALIGN)) {
    offset = height - top_gap - bottom_gap - fh * shown;
    if (!(flags & TW_BOTTOM_ALIGN)) offset /= 2;
  }
  INT_U16 effects = 0;
  for (const auto& e : kTextEffects)
    if (flags & e.window_flag) effects |= e.text_flag;
  const INT_S8 text_font = static_cast<INT_S8>(resolved_font());
  const INT_S16 fw = resolved_font_w();
  const INT_S16 height_px = line_height();
  // Drawing effects without the alignment bits, for single characters.
  const INT_U16 char_effects = static_cast<INT_U16>(effects & 7);

  std::string text;
  for (INT_S32 i = 0; i < shown; ++i) {
    const INT_S16 slot = slot_of(first + i);
    const TEXT_WIN_LINE& line = lines[slot];
    if (!line.start) continue;
    text.assign(line.start, line.length);
    const INT_S32 top = y + top_gap + offset + i * fh;
    const INT_S16 bx1 = s16(x + left_gap), by1 = s16(top);
    const INT_S16 bx2 = s16(x + width - 1 - right_gap), by2 = s16(top + fh);
    const bool selected = slot_in_selection(slot);
    const bool partial = selected && (slot == sel_start_line || slot == sel_end_line);
    if (!selected) {
      surface->draw_text_box(bx1, by1, bx2, by2, &line.colour, &kNone, &kNone, text_font, fw,
                             height_px, text.c_str(), effects);
    } else if (!partial) {
      surface->draw_text_box(bx1, by1, bx2, by2, &kNone, &line.colour, &kNone, text_font, fw,
                             height_px, text.c_str(), effects);
    } else {
      // Character by character: the selected ones as a band of the line's colour.
      const INT_S32 from = slot == sel_start_line ? sel_start_char : 0;
      const INT_S32 to = slot == sel_end_line ? sel_end_char : line.length - 1;
      INT_S32 px = x + left_gap;
      for (INT_S32 k = 0; k < line.length; ++k) {
        const INT_U8 c = static_cast<INT_U8>(line.start[k]);
        const bool in = k >= from && k <= to;
        surface->draw_char(s16(px), by1, in ? &kNone : &line.colour, in ? &line.colour : &kNone,
                           &kNone, text_font, fw, height_px, c, char_effects);
        px += surface->text_width(static_cast<INT_U8>(text_font), static_cast<INT_U16>(fw),
                                  static_cast<INT_U16>(height_px), line.start + k, 1);
      }
    }
  }
}
