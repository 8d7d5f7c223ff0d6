// The static text label: drawing.
#include "fonts.h"
#include "wm_globals.h"
#include "wm_script.h"

namespace {

bool is_set(COLOUR c) { return (c >> 24) != 0; }

const COLOUR kOpaqueBlack = 0xFF000000u;
const INT_S16 kDarkenPercent = 50;
const INT_S16 kMaxRadius = 20;
const INT_S16 kHalveRadiusBelow = 40;

// The surface's clip, put back as it was when the drawing ends.
struct SAVED_CLIP {
  IMAGE* s;
  INT_S16 l, r, t, b;
  explicit SAVED_CLIP(IMAGE* surface)
      : s(surface), l(s->clip_left), r(s->clip_right), t(s->clip_top), b(s->clip_bottom) {}
  void restore() const {
    s->clip_left = l;
    s->clip_right = r;
    s->clip_top = t;
    s->clip_bottom = b;
  }
};

// The border painter's corner bits (16, 32, 64, 128) as a fill's corner mask.
INT_S8 corner_mask(INT_U16 border_mask) { return static_cast<INT_S8>((border_mask >> 4) & 15); }

}  // namespace

void WM_SCRIPT::draw() {
  IMAGE* s = wm_surface;
  if (!s) return;
  const INT_S16 x2 = static_cast<INT_S16>(x + width - 1), y2 = static_cast<INT_S16>(y + height - 1);
  const INT_S16 dr = IMAGE::default_corner_radius(x, y, x2, y2);
  const INT_S16 radius = dr >= kHalveRadiusBelow ? kMaxRadius : static_cast<INT_S16>(dr / 2);

  const SAVED_CLIP saved(s);
  s->intersect_clip(x, y, x2, y2);

  const bool flashing_back = flash_showing && is_set(flashing_back_colour);
  const COLOUR c = flashing_back ? flashing_back_colour : back_colour;

  if (!up_frame.is_valid()) {
    if (draw_background) {
      const INT_S8 k = corner_mask(border_mask);
      if ((label_flags & SCRIPT_DARKENED) && !flashing_back) {
        if (k == 0) {
          s->darken_rect(x, y, x2, y2, kDarkenPercent);
        } else {
          s->fill_rounded_rect(x, y, x2, y2, radius, k, &kOpaqueBlack, &kOpaqueBlack,
                               kDarkenPercent, 3);
        }
      } else if (is_set(c)) {
        if (k != 0) {
          if (label_flags & SCRIPT_HFADING)
            s->fill_rounded_rect(x, y, x2, y2, radius, k, &c, &fading_colour, 0, 1);
          else if (label_flags & SCRIPT_VFADING)
            s->fill_rounded_rect(x, y, x2, y2, radius, k, &c, &fading_colour, 0, 2);
          else
            s->fill_rounded_rect(x, y, x2, y2, radius, k, &c, &kOpaqueBlack, 0, 0);
        } else if (label_flags & SCRIPT_HFADING) {
          s->fill_gradient_horizontal(x, y, x2, y2, &c, &fading_colour, 1);
        } else if (label_flags & SCRIPT_VFADING) {
          s->fill_gradient_vertical(x, y, x2, y2, &c, &fading_colour, 1);
        } else {
          s->fill_rect(x, y, x2, y2, &c, 1);
        }
      }
    }
    const COLOUR outline = wm_outline_colour;
    if (label_flags & SCRIPT_TEXT_COLOUR_OUTLINE) wm_outline_colour = text_colour;
    if (label_flags & SCRIPT_INDENT_BORDER)
      draw_border(x, y, x2, y2, static_cast<INT_U16>(border_mask | 0x8000u), &c, 1, radius);
    else if (label_flags & SCRIPT_RAISED_BORDER)
      draw_border(x, y, x2, y2, static_cast<INT_U16>(border_mask & ~0x8000u), &c, 1, radius);
    wm_outline_colour = outline;
  } else {
    SKIN_FRAME& frame =
        flash_showing && flashing_frame.is_valid() ? flashing_frame : up_frame;
    frame.draw(x, y, x2, y2, (label_flags & SCRIPT_DONT_RESIZE_IMAGE) ? 0 : 1, s, 0);
  }

  // The shown text; a value that is not a string draws none.
  // Text drawing draws nothing in font 255 or at size -1: the surface's
  // defaults stand in for them here too.
  const TYPED_VALUE& shown = flash_showing ? flashing_text : text;
  const char* str = shown.tag == TV_TEXT ? shown.value.text : nullptr;
  const INT_S8 f = font == 255 ? s->font : static_cast<INT_S8>(font);
  const INT_S16 fw = font_w == -1 ? s->font_width : font_w;
  const INT_S16 fh = font_h == -1 ? s->font_height : font_h;
  const INT_S32 tw = str ? s->text_width(static_cast<INT_U8>(f), static_cast<INT_U16>(fw),
                                         static_cast<INT_U16>(fh), str)
                         : 0;
  INT_S32 tx, ty;
  if (label_flags & SCRIPT_TEXT_LEFT)
    tx = x + left_gap;
  else if (label_flags & SCRIPT_TEXT_RIGHT)
    tx = x + width - 1 - right_gap - tw;
  else
    tx = x + left_gap + (width - left_gap - right_gap - tw) / 2;
  if (label_flags & SCRIPT_TEXT_TOP)
    ty = y + top_gap;
  else if (label_flags & SCRIPT_TEXT_BOTTOM)
    ty = y + height - 1 - bottom_gap - fh;
  else
    ty = y + top_gap + (height - top_gap - bottom_gap - fh) / 2;

  if (icon.width) {
    const INT_S32 iw = icon.width, ih = icon.height;
    INT_S32 sx1, sx2, sy1, sy2;  // the icon's slot
    if (!(label_flags & SCRIPT_ICON_ATTACHED)) {
      if (label_flags & SCRIPT_ICON_LEFT) {
        sx1 = x;
        sx2 = x + left_gap;
      } else if (label_flags & SCRIPT_ICON_RIGHT) {
        sx1 = x + width - right_gap - 1;
        sx2 = x + width - 1;
      } else {
        sx1 = x;
        sx2 = x + width - 1;
      }
      if (label_flags & SCRIPT_ICON_TOP) {
        sy1 = y;
        sy2 = y + top_gap;
      } else if (label_flags & SCRIPT_ICON_BOTTOM) {
        sy1 = y + height - 1 - bottom_gap;
        sy2 = y + height - 1;
      } else {
        sy1 = y;
        sy2 = y + height - 1;
      }
    } else {
      const bool left = label_flags & SCRIPT_TEXT_LEFT, right = label_flags & SCRIPT_TEXT_RIGHT;
      const bool top = label_flags & SCRIPT_TEXT_TOP, bottom = label_flags & SCRIPT_TEXT_BOTTOM;
      if (label_flags & SCRIPT_ICON_LEFT) {
        if (left) tx += iw + x_spacing;
        else if (!right) tx += (iw + x_spacing) / 2;
        sx2 = tx - x_spacing;
        sx1 = sx2 - iw;
      } else if (label_flags & SCRIPT_ICON_RIGHT) {
        if (right) tx -= iw + x_spacing;
        else if (!left) tx -= (iw + x_spacing) / 2;
        sx1 = tx + tw + x_spacing - 1;
        sx2 = sx1 + iw;
      } else {
        sx1 = tx;
        sx2 = tx + tw - 1;
      }
      if (label_flags & SCRIPT_ICON_TOP) {
        if (top) ty += ih + y_spacing;
        else if (!bottom) ty += (ih + y_spacing) / 2;
        sy2 = ty - y_spacing;
        sy1 = sy2 - ih;
      } else if (label_flags & SCRIPT_ICON_BOTTOM) {
        if (bottom) ty -= ih + y_spacing;
        else if (!top) ty -= (ih + y_spacing) / 2;
        sy1 = ty + fh + y_spacing - 1;
        sy2 = sy1 + ih;
      } else {
        sy1 = ty;
        sy2 = ty + fh - 1;
      }
    }
    const SAVED_CLIP around_icon(s);
    const bool side_x = label_flags & (SCRIPT_ICON_LEFT | SCRIPT_ICON_RIGHT);
    const bool side_y = label_flags & (SCRIPT_ICON_TOP | SCRIPT_ICON_BOTTOM);
    s->intersect_clip(static_cast<INT_S16>(side_x ? sx1 : x),
                      static_cast<INT_S16>(side_y ? sy1 : y),
                      static_cast<INT_S16>(side_x ? sx2 : x2),
                      static_cast<INT_S16>(side_y ? sy2 : y2));
    icon.draw_to(static_cast<INT_S16>(sx1 + (sx2 - sx1 - iw) / 2),
                 static_cast<INT_S16>(sy1 + (sy2 - sy1 - ih) / 2), s, BLIT_BLEND);
    around_icon.restore();
  }

  s->intersect_clip(static_cast<INT_S16>(x + left_gap), static_cast<INT_S16>(y + top_gap),
                    static_cast<INT_S16>(x2 - right_gap), static_cast<INT_S16>(y2 - bottom_gap));
  if (str && *str) {
    INT_U16 word = 0;
    if (label_flags & SCRIPT_TEXT_LEFT) word |= TEXT_ALIGN_LEFT;
    if (label_flags & SCRIPT_TEXT_RIGHT) word |= TEXT_ALIGN_RIGHT;
    if (label_flags & SCRIPT_TEXT_TOP) word |= TEXT_ALIGN_TOP;
    if (label_flags & SCRIPT_TEXT_BOTTOM) word |= TEXT_ALIGN_BOTTOM;
    if (label_flags & SCRIPT_SHADOW_TEXT) word |= TEXT_EFFECT_SHADOW;
    if (label_flags & SCRIPT_INSET_TEXT) word |= TEXT_EFFECT_EMBOSS;
    if (label_flags & SCRIPT_CHISELLED_TEXT) word |= TEXT_EFFECT_BEVEL;
    const COLOUR tc =
        flash_showing && is_set(flashing_text_colour) ? flashing_text_colour : text_colour;
    const COLOUR* underline = is_set(underline_colour) ? &underline_colour : nullptr;
    if (label_flags & SCRIPT_WRAP_TEXT)
      s->draw_text_box(static_cast<INT_S16>(x + left_gap), static_cast<INT_S16>(y + top_gap),
                       static_cast<INT_S16>(x2 - right_gap), static_cast<INT_S16>(y2 - bottom_gap),
                       &tc, nullptr, underline, f, fw, fh, str, word);
    else
      s->draw_text(static_cast<INT_S16>(tx), static_cast<INT_S16>(ty), &tc, nullptr, underline, f,
                   fw, fh, str, word);
  }
  saved.restore();
}
