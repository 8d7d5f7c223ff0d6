// The push button: drawing. Layers, bottom up: a state skin or a painted
// face with a bevelled border, the icon, the text, the arrows and, while the
// button is dragged, its drag image at the pointer.
#include "fonts.h"
#include "wm_border.h"
#include "wm_button.h"
#include "wm_globals.h"
#include "widget_shared.h"
#include "../wm_internal.h"

using namespace widgets;

namespace {

const INT_U8 kDisabledIconCover = 208;  // the background covers a disabled icon at 208/255
const INT_U8 kDragCopyCover = 160;      // the drag copy shows at about 37 %
const INT_U16 kSides = 15;
const INT_U16 kIndented = 0x8000;

// Cleared while a drag copy is drawn, so that the nested draw draws none.
INT_U8 drag_image_allowed = 1;

const PLACEMENT_BITS kPlacementBits = {
    BUTTON_TEXT_LEFT,  BUTTON_TEXT_RIGHT,  BUTTON_TEXT_TOP,      BUTTON_TEXT_BOTTOM,
    BUTTON_ICON_LEFT,  BUTTON_ICON_RIGHT,  BUTTON_ICON_TOP,      BUTTON_ICON_BOTTOM,
    BUTTON_ICON_ATTACHED, BUTTON_SHADOW_TEXT, BUTTON_INSET_TEXT, BUTTON_CHISELED_TEXT};

INT_S16 s16(INT_S32 v) { return static_cast<INT_S16>(v); }

}  // namespace

bool WM_BUTTON::looks_hovered() { return hover || wm_focus_object == this || default_button; }

void WM_BUTTON::draw() {
  IMAGE* s = wm_surface;
  if (!s) return;
  const INT_S32 x2 = x + width - 1, y2 = y + height - 1;

  // 1.
  const SAVED_CLIP saved(s);
  s->intersect_clip(x, y, s16(x2), s16(y2));

  // 2, 3. Colours: the flashing and pressed backgrounds win, the hover text
  // colour wins.
  const bool hovered = looks_hovered();
  COLOUR bg = back_colour;
  if (hovered && is_set(mouse_over_colour)) bg = mouse_over_colour;
  if (state) bg = active_back_colour;
  if (pressed && is_set(highlight_colour)) bg = highlight_colour;
  if (flash_showing && is_set(flashing_back_colour)) bg = flashing_back_colour;
  COLOUR dark = 0, light = 0;
  get_bevel_colours(this, &bg, &dark, &light);
  COLOUR tc = state && is_set(active_text_colour) ? active_text_colour : text_colour;
  if (pressed && is_set(highlight_text_colour)) tc = highlight_text_colour;
  if (flash_showing && is_set(flashing_text_colour)) tc = flashing_text_colour;
  if (hovered && is_set(mouse_over_text_colour)) tc = mouse_over_text_colour;

  // 4. The indent follows the state unless the style fixed the border.
  if (!(button_flags & BUTTON_FIXED_BORDER)) {
    if (pressed || (indent_when_active && state))
      border_mask |= kIndented;
    else
      border_mask &= static_cast<INT_U16>(~kIndented);
  }
  const bool indented = border_mask & kIndented;
  const INT_S16 radius = face_radius(x, y, s16(x2), s16(y2));

  if (has_state_skins()) {
    // 5. Exactly one state skin.
    auto usable = [&](int i) { return state_skins[i].is_valid(); };
    int pick = -1;
    if (flash_showing && usable(BUTTON_SKIN_FLASHING))
      pick = BUTTON_SKIN_FLASHING;
    else if (pressed && usable(BUTTON_SKIN_HIGHLIGHTED))
      pick = BUTTON_SKIN_HIGHLIGHTED;
    else if (state) {
      if (!enabled && usable(BUTTON_SKIN_ACTIVE_DISABLED))
        pick = BUTTON_SKIN_ACTIVE_DISABLED;
      else if (indented && usable(BUTTON_SKIN_ACTIVE_DOWN))
        pick = BUTTON_SKIN_ACTIVE_DOWN;
      else if (hovered && usable(BUTTON_SKIN_ACTIVE_OVER))
        pick = BUTTON_SKIN_ACTIVE_OVER;
      else if (usable(BUTTON_SKIN_ACTIVE_UP))
        pick = BUTTON_SKIN_ACTIVE_UP;
    }
    if (pick < 0) {
      if (!enabled && usable(BUTTON_SKIN_DISABLED))
        pick = BUTTON_SKIN_DISABLED;
      else if (indented)
        pick = BUTTON_SKIN_DOWN;
      else if (hovered && usable(BUTTON_SKIN_OVER))
        pick = BUTTON_SKIN_OVER;
      else
        pick = BUTTON_SKIN_UP;
    }
    state_skins[pick].draw(x, y, s16(x2), s16(y2), (button_flags & BUTTON_DONT_RESIZE_SKIN) ? 0 : 1,
                           s, 0);
  } else {
    // 6. The face.
    const bool flat = pressed && is_set(highlight_colour);
    const bool inverted = indented && (button_flags & BUTTON_INVERT_VFADING);
    FACE_FADING how = FACE_FLAT;
    if ((button_flags & BUTTON_HFADING) && !flat)
      how = FACE_HFADING;
    else if ((button_flags & BUTTON_VFADING) && !flat)
      how = inverted ? FACE_VFADING_INVERTED : FACE_VFADING;
    fill_face(s, x, y, s16(x2), s16(y2), radius, border_mask,
              (button_flags & BUTTON_DARKENED) && !(flash_showing && is_set(flashing_back_colour)), bg,
              fading_colour, how);

    // 7. The border.
    if (border_mask) {
      const COLOUR outline = wm_outline_colour;
      if (button_flags & BUTTON_TEXT_COLOUR_OUTLINE) wm_outline_colour = tc;
      draw_border(x, y, s16(x2), s16(y2), border_mask, &bg, 1, radius);
      wm_outline_colour = outline;
    }
  }

  // 8, 9. The shown text and its word.
  const char* shown = text;
  if (flash_showing) shown = flashing_text.tag == TV_TEXT ? flashing_text.value.text : nullptr;
  const TEXT_FONT font_used(s, font, font_w, font_h);
  const INT_S32 tw = font_used.width(s, shown);
  const INT_S32 th = font_used.h;
  const PLACEMENT place(button_flags, kPlacementBits);
  INT_U16 word = place.text_word;

  // 10. Down: text and icon sit one pixel lower and further right.
  INT_S32 down = 0;
  if (border_mask & kSides) {
    if (!(button_flags & BUTTON_FIXED_BORDER))
      down = (pressed || (indent_when_active && state)) ? 1 : 0;
    else
      down = indented ? 1 : 0;
  }
  if (!enabled) {
    down = 0;
    word = static_cast<INT_U16>((word & ~(TEXT_EFFECT_SHADOW | TEXT_EFFECT_EMBOSS)) |
                                TEXT_EFFECT_BEVEL);
  }

  // 11. Text position.
  const CONTENT_BOX box = {x, y, x2, y2, left_gap, right_gap, top_gap, bottom_gap};
  INT_S32 tx, ty;
  place_text(place, box, tw, th, down, &tx, &ty);

  const INT_S32 inner_l = x + left_gap, inner_r = x2 - right_gap;
  const INT_S32 inner_t = y + top_gap, inner_b = y2 - bottom_gap;
  const bool use_over_icon = hovered && over_icon.width;
  if (icon.width || use_over_icon) {
    // 12. The icon.
    IMAGE& p = use_over_icon ? over_icon : icon;
    const INT_S32 pw = p.width, ph = p.height;
    const ICON_SLOT slot = place_icon(place, box, x_spacing, y_spacing, pw, ph, tw, th, &tx, &ty);
    const SAVED_CLIP before_icon(s);
    clip_to_icon_slot(s, place, box, slot);
    const INT_S16 ix = s16(slot.x1 + (slot.x2 - slot.x1 - pw) / 2 + down);
    const INT_S16 iy = s16(slot.y1 + (slot.y2 - slot.y1 - ph) / 2 + down);
    if (enabled) {
      p.draw_to(ix, iy, s, BLIT_BLEND);
    } else {
      // The background as it was, laid back over the icon at 208/255.
      IMAGE cover(s16(pw), s16(ph));
      cover.grab_from(ix, iy, s, BLIT_COPY);
      p.draw_to(ix, iy, s, BLIT_BLEND);
      cover.set_alpha(kDisabledIconCover, 1, 0);
      cover.draw_to(ix, iy, s, BLIT_BLEND);
    }
    before_icon.restore();
    if (place.icon_attached && place.icon_left)
      s->intersect_clip(s16(x + left_gap + (x_spacing + pw) / 2), s16(inner_t),
                        s16(x2 + x_spacing - right_gap + pw / 2), s16(inner_b));
    else if (place.icon_attached && place.icon_right)
      s->intersect_clip(s16(x + left_gap - (x_spacing + pw) / 2), s16(inner_t),
                        s16(x2 - x_spacing - right_gap - pw / 2), s16(inner_b));
    else
      s->intersect_clip(s16(inner_l), s16(inner_t), s16(inner_r), s16(inner_b));
  } else {
    // 13.
    s->intersect_clip(s16(inner_l), s16(inner_t), s16(inner_r), s16(inner_b));
  }

  // 14, 15. The text, then the clip of the button again.
  if (shown && *shown) {
    const COLOUR* underline = is_set(underline_colour) ? &underline_colour : nullptr;
    if (button_flags & BUTTON_WRAP_TEXT)
      s->draw_text_box(s16(inner_l + down), s16(inner_t + down), s16(inner_r + down), s16(inner_b + down), &tc,
                       nullptr, underline, font_used.id, font_used.w, font_used.h, shown, word);
    else
      s->draw_text(s16(tx + down), s16(ty + down), &tc, nullptr, underline, font_used.id, font_used.w, font_used.h,
                   shown, word);
  }
  saved.restore();
  s->intersect_clip(x, y, s16(x2), s16(y2));

  // 16. Arrows: the left one in the square at the left end, the others in
  // the square at the right end.
  const INT_S32 b = border_width(1);
  struct ARROW {
    INT_U32 bit;
    INT_S32 direction;
  };
  const ARROW arrows[] = {{BUTTON_ARROW_LEFT, 2}, {BUTTON_ARROW_RIGHT, 3}, {BUTTON_ARROW_UP, 0},
                          {BUTTON_ARROW_DOWN, 1}};
  for (const ARROW& a : arrows) {
    if (!(button_flags & a.bit)) continue;
    const INT_S32 ax1 = a.direction == 2 ? x + b : x + width - height + b;
    const INT_S32 ax2 = a.direction == 2 ? x + height - 1 - b : x2 - b;
    const INT_S32 ay1 = y + b, ay2 = y2 - b;
    if (enabled) {
      draw_arrow(this, s16(ax1 + down), s16(ay1 + down), s16(ax2 + down), s16(ay2 + down), &tc,
                 a.direction, 0, 0);
    } else {
      draw_arrow(this, s16(ax1 + 1), s16(ay1 + 1), s16(ax2 + 1), s16(ay2 + 1), &light,
                 a.direction, 0, 0);
      draw_arrow(this, s16(ax1), s16(ay1), s16(ax2), s16(ay2), &dark, a.direction, 0, 0);
    }
  }

  // 17. The drag image at the pointer, anywhere on the surface.
  if (drag_shown && drag_image_allowed) {
    s->set_clip(s->x, s->y, s16(s->x + s->width - 1), s16(s->y + s->height - 1));
    const INT_S16 dx = s16(drag_x + grab_dx), dy = s16(drag_y + grab_dy);
    if (drag_icon.width) {
      drag_icon.draw_to(dx, dy, s, BLIT_BLEND);
    } else if (state_skins[BUTTON_SKIN_DRAGGING].is_valid()) {
      state_skins[BUTTON_SKIN_DRAGGING].draw(dx, dy, s16(dx + width - 1), s16(dy + height - 1), 1,
                                             s, 0);
    } else {
      IMAGE under(width, height);
      under.grab_from(dx, dy, s, BLIT_COPY);
      const INT_S16 home_x = x, home_y = y;
      x = dx;
      y = dy;
      drag_image_allowed = 0;
      // An application's draw may delete the button.
      if (!wm_call_survives(this, [&] { draw(); })) {
        saved.restore();
        return;
      }
      drag_image_allowed = 1;
      x = home_x;
      y = home_y;
      under.set_alpha(kDragCopyCover, 0, 0);
      under.draw_to(dx, dy, s, BLIT_BLEND);
    }
  }

  // 18.
  saved.restore();
}
