// The static text label: drawing.
#include "fonts.h"
#include "wm_globals.h"
#include "wm_script.h"
#include "widget_shared.h"

using namespace widgets;

namespace {

const PLACEMENT_BITS kPlacementBits = {
    SCRIPT_TEXT_LEFT,  SCRIPT_TEXT_RIGHT,  SCRIPT_TEXT_TOP,      SCRIPT_TEXT_BOTTOM,
    SCRIPT_ICON_LEFT,  SCRIPT_ICON_RIGHT,  SCRIPT_ICON_TOP,      SCRIPT_ICON_BOTTOM,
    SCRIPT_ICON_ATTACHED, SCRIPT_SHADOW_TEXT, SCRIPT_INSET_TEXT, SCRIPT_CHISELLED_TEXT};

}  // namespace

void WM_SCRIPT::draw() {
  IMAGE* s = wm_surface;
  if (!s) return;
  const INT_S16 x2 = static_cast<INT_S16>(x + width - 1), y2 = static_cast<INT_S16>(y + height - 1);
  const INT_S16 radius = face_radius(x, y, x2, y2);

  const SAVED_CLIP saved(s);
  s->intersect_clip(x, y, x2, y2);

  const bool flashing_back = flash_showing && is_set(flashing_back_colour);
  const COLOUR c = flashing_back ? flashing_back_colour : back_colour;

  if (!up_frame.is_valid()) {
    if (draw_background) {
      const FACE_FADING how = (label_flags & SCRIPT_HFADING)   ? FACE_HFADING
                              : (label_flags & SCRIPT_VFADING) ? FACE_VFADING
                                                               : FACE_FLAT;
      fill_face(s, x, y, x2, y2, radius, border_mask, (label_flags & SCRIPT_DARKENED) && !flashing_back, c,
                fading_colour, how);
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
  const TYPED_VALUE& shown = flash_showing ? flashing_text : text;
  const char* str = shown.tag == TV_TEXT ? shown.value.text : nullptr;
  const TEXT_FONT font_used(s, font, font_w, font_h);
  const INT_S32 tw = font_used.width(s, str);
  const PLACEMENT place(label_flags, kPlacementBits);
  const CONTENT_BOX box = {x, y, x2, y2, left_gap, right_gap, top_gap, bottom_gap};
  INT_S32 tx, ty;
  place_text(place, box, tw, font_used.h, 0, &tx, &ty);

  if (icon.width) {
    const INT_S32 iw = icon.width, ih = icon.height;
    const ICON_SLOT slot = place_icon(place, box, x_spacing, y_spacing, iw, ih, tw, font_used.h, &tx, &ty);
    const SAVED_CLIP around_icon(s);
    clip_to_icon_slot(s, place, box, slot);
    icon.draw_to(static_cast<INT_S16>(slot.x1 + (slot.x2 - slot.x1 - iw) / 2),
                 static_cast<INT_S16>(slot.y1 + (slot.y2 - slot.y1 - ih) / 2), s, BLIT_BLEND);
    around_icon.restore();
  }

  s->intersect_clip(static_cast<INT_S16>(x + left_gap), static_cast<INT_S16>(y + top_gap),
                    static_cast<INT_S16>(x2 - right_gap), static_cast<INT_S16>(y2 - bottom_gap));
  if (str && *str) {
    const COLOUR tc =
        flash_showing && is_set(flashing_text_colour) ? flashing_text_colour : text_colour;
    const COLOUR* underline = is_set(underline_colour) ? &underline_colour : nullptr;
    if (label_flags & SCRIPT_WRAP_TEXT)
      s->draw_text_box(static_cast<INT_S16>(x + left_gap), static_cast<INT_S16>(y + top_gap),
                       static_cast<INT_S16>(x2 - right_gap), static_cast<INT_S16>(y2 - bottom_gap),
                       &tc, nullptr, underline, font_used.id, font_used.w, font_used.h, str, place.text_word);
    else
      s->draw_text(static_cast<INT_S16>(tx), static_cast<INT_S16>(ty), &tc, nullptr, underline,
                   font_used.id, font_used.w, font_used.h, str, place.text_word);
  }
  saved.restore();
}
