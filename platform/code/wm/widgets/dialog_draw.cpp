// Dialog drawing: the frame from the skin or the style, then the layout of
// caption and client area, which the base render draws over it.
#include "wm_dialog.h"
#include "wm_globals.h"

namespace {

const COLOUR kBlack = 0xFF000000u;
const INT_U16 kIndented = 0x8000;
const INT_S16 kDarkenPercent = 50;
// fill_rounded_rect styles.
const INT_S32 kRoundedPlain = 0, kRoundedHorizontal = 1, kRoundedVertical = 2,
              kRoundedDarken = 3;

}  // namespace

void WM_DIALOG::draw() {
  if (alpha == 0) return;
  const INT_S16 x2 = static_cast<INT_S16>(x + width - 1), y2 = static_cast<INT_S16>(y + height - 1);
  if (frame_skin.is_valid()) {
    frame_skin.draw(x, y, x2, y2, 1, nullptr, BLIT_BLEND);
  } else if (wm_surface) {
    IMAGE* s = wm_surface;
    const INT_S8 corners = static_cast<INT_S8>((style.shading_flags >> 4) & 0xF);
    if (style.ssf & ssf_darkened_background) {
      if (corners == 0)
        s->darken_rect(x, y, x2, y2, kDarkenPercent);
      else
        s->fill_rounded_rect(x, y, x2, y2, -1, corners, &kBlack, &kBlack, kDarkenPercent,
                             kRoundedDarken);
    } else if (style.bg_colour >> 24) {
      const COLOUR* bg = &style.bg_colour;
      const COLOUR* fading = &style.fading_colour;
      if (corners == 0) {
        if (style.ssf & ssf_hfading)
          s->fill_gradient_horizontal(x, y, x2, y2, bg, fading, 1);
        else if (style.ssf & ssf_vfading)
          s->fill_gradient_vertical(x, y, x2, y2, bg, fading, 1);
        else
          s->fill_rect(x, y, x2, y2, bg, 1);
      } else if (style.ssf & ssf_hfading) {
        s->fill_rounded_rect(x, y, x2, y2, -1, corners, bg, fading, 0, kRoundedHorizontal);
      } else if (style.ssf & ssf_vfading) {
        s->fill_rounded_rect(x, y, x2, y2, -1, corners, bg, fading, 0, kRoundedVertical);
      } else {
        s->fill_rounded_rect(x, y, x2, y2, -1, corners, bg, &kBlack, 0, kRoundedPlain);
      }
    }
    const COLOUR saved_outline = wm_outline_colour;
    if (style.ssf & ssf_use_text_colour_for_outline) wm_outline_colour = style.fg_colour;
    if (style.ssf & ssf_indent_border)
      draw_border(x, y, x2, y2, static_cast<INT_U16>(style.shading_flags | kIndented),
                  &style.bg_colour, style.shading_type, -1);
    else if (style.ssf & ssf_outstanding_border)
      draw_border(x, y, x2, y2, static_cast<INT_U16>(style.shading_flags & ~kIndented),
                  &style.bg_colour, style.shading_type, -1);
    wm_outline_colour = saved_outline;
  }
  layout();
}
