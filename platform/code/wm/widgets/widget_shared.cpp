#include "widget_shared.h"

#include "fonts.h"
#include "sound.h"

namespace widgets {

namespace {

const COLOUR kOpaqueBlack = 0xFF000000u;
const INT_S16 kDarkenPercent = 50;
const INT_S16 kMaxRadius = 20;
const INT_S16 kHalveRadiusBelow = 40;

// The border painter's corner bits (16, 32, 64, 128) as a fill's corner mask.
INT_S8 corner_mask(INT_U16 border_mask) { return static_cast<INT_S8>((border_mask >> 4) & 15); }

INT_S16 s16(INT_S32 v) { return static_cast<INT_S16>(v); }

}  // namespace

void play_click_sound() {
  WM_CLICK_SOUND& s = wm_click_sound;
  if (!s.handle || !s.name[0]) return;
  play_sound_file(s.handle, s.channel, &s.folder, s.name, s.volume, s.pan, 0);
}

bool flash_phase_changed(const TYPED_VALUE& flashing_text, INT_U8 visible, INT_U8 mask, INT_U8* showing) {
  if (flashing_text.tag != TV_TEXT || !flashing_text.value.text || !*flashing_text.value.text || !visible)
    return false;
  const INT_U8 want = (mask & wm_flash_phase) ? 1 : 0;
  if (want == *showing) return false;
  *showing = want;
  return true;
}

INT_U8 is_over_shaped(WM_SCREEN_OBJECT* o, INT_S16 px, INT_S16 py, SKIN_FRAME* shape) {
  if (!o->visible) return 0;
  if (o->is_over_child(px, py)) return 1;
  if (!o->contains(px, py)) return 0;
  if (shape) return shape->colour_at(s16(px - o->x), s16(py - o->y), o->width, o->height);
  return 1;
}

INT_S16 face_radius(INT_S16 x1, INT_S16 y1, INT_S16 x2, INT_S16 y2) {
  const INT_S16 dr = IMAGE::default_corner_radius(x1, y1, x2, y2);
  return dr >= kHalveRadiusBelow ? kMaxRadius : static_cast<INT_S16>(dr / 2);
}

void fill_face(IMAGE* s, INT_S16 x1, INT_S16 y1, INT_S16 x2, INT_S16 y2, INT_S16 radius, INT_U16 border_mask,
               bool darkened, COLOUR colour, COLOUR fading, FACE_FADING how) {
  const INT_S8 k = corner_mask(border_mask);
  if (darkened) {
    if (k == 0)
      s->darken_rect(x1, y1, x2, y2, kDarkenPercent);
    else
      s->fill_rounded_rect(x1, y1, x2, y2, radius, k, &kOpaqueBlack, &kOpaqueBlack, kDarkenPercent, 3);
    return;
  }
  if (!is_set(colour)) return;
  if (k != 0) {
    switch (how) {
      case FACE_HFADING: s->fill_rounded_rect(x1, y1, x2, y2, radius, k, &colour, &fading, 0, 1); break;
      case FACE_VFADING: s->fill_rounded_rect(x1, y1, x2, y2, radius, k, &colour, &fading, 0, 2); break;
      case FACE_VFADING_INVERTED: s->fill_rounded_rect(x1, y1, x2, y2, radius, k, &fading, &colour, 0, 2); break;
      case FACE_FLAT: s->fill_rounded_rect(x1, y1, x2, y2, radius, k, &colour, &kOpaqueBlack, 0, 0); break;
    }
    return;
  }
  switch (how) {
    case FACE_HFADING: s->fill_gradient_horizontal(x1, y1, x2, y2, &colour, &fading, 1); break;
    case FACE_VFADING: s->fill_gradient_vertical(x1, y1, x2, y2, &colour, &fading, 1); break;
    case FACE_VFADING_INVERTED: s->fill_gradient_vertical(x1, y1, x2, y2, &fading, &colour, 1); break;
    case FACE_FLAT: s->fill_rect(x1, y1, x2, y2, &colour, 1); break;
  }
}

PLACEMENT::PLACEMENT(INT_U32 flags, const PLACEMENT_BITS& bits)
    : text_left(flags & bits.text_left),
      text_right((flags & bits.text_right) && !text_left),
      text_top(flags & bits.text_top),
      text_bottom((flags & bits.text_bottom) && !text_top),
      icon_left(flags & bits.icon_left),
      icon_right((flags & bits.icon_right) && !icon_left),
      icon_top(flags & bits.icon_top),
      icon_bottom((flags & bits.icon_bottom) && !icon_top),
      icon_attached(flags & bits.icon_attached),
      text_word(0) {
  // The alignment bits as given: text drawing settles a pair itself.
  const struct {
    INT_U32 bit;
    INT_U16 word;
  } words[] = {{bits.text_left, TEXT_ALIGN_LEFT},      {bits.text_right, TEXT_ALIGN_RIGHT},
               {bits.text_top, TEXT_ALIGN_TOP},        {bits.text_bottom, TEXT_ALIGN_BOTTOM},
               {bits.shadow, TEXT_EFFECT_SHADOW},      {bits.inset, TEXT_EFFECT_EMBOSS},
               {bits.chiselled, TEXT_EFFECT_BEVEL}};
  for (const auto& w : words)
    if (flags & w.bit) text_word |= w.word;
}

void place_text(const PLACEMENT& p, const CONTENT_BOX& b, INT_S32 tw, INT_S32 th, INT_S32 down, INT_S32* tx,
                INT_S32* ty) {
  const INT_S32 width = b.x2 - b.x + 1, height = b.y2 - b.y + 1;
  if (p.text_left)
    *tx = b.x + b.left_gap + down;
  else if (p.text_right)
    *tx = b.x + width - 1 - b.right_gap + down - tw;
  else
    *tx = b.x + b.left_gap + (width - b.left_gap - b.right_gap - tw) / 2;
  if (p.text_top)
    *ty = b.y + b.top_gap;
  else if (p.text_bottom)
    *ty = b.y + height - 1 - b.bottom_gap - th;
  else
    *ty = b.y + b.top_gap + (height - b.top_gap - b.bottom_gap - th) / 2;
}

ICON_SLOT place_icon(const PLACEMENT& p, const CONTENT_BOX& b, INT_S32 x_spacing, INT_S32 y_spacing, INT_S32 iw,
                     INT_S32 ih, INT_S32 tw, INT_S32 th, INT_S32* tx, INT_S32* ty) {
  ICON_SLOT slot;
  if (!p.icon_attached) {
    slot.x1 = p.icon_right ? b.x2 - b.right_gap : b.x;
    slot.x2 = p.icon_left ? b.x + b.left_gap : b.x2;
    slot.y1 = p.icon_bottom ? b.y2 - b.bottom_gap : b.y;
    slot.y2 = p.icon_top ? b.y + b.top_gap : b.y2;
    return slot;
  }
  if (p.icon_left) {
    if (p.text_left)
      *tx += iw + x_spacing;
    else if (!p.text_right)
      *tx += (iw + x_spacing) / 2;
    slot.x2 = *tx - x_spacing;
    slot.x1 = slot.x2 - iw;
  } else if (p.icon_right) {
    if (p.text_right)
      *tx -= iw + x_spacing;
    else if (!p.text_left)
      *tx -= (iw + x_spacing) / 2;
    slot.x1 = *tx + tw + x_spacing - 1;
    slot.x2 = slot.x1 + iw;
  } else {
    slot.x1 = *tx;
    slot.x2 = *tx + tw - 1;
  }
  if (p.icon_top) {
    if (p.text_top)
      *ty += ih + y_spacing;
    else if (!p.text_bottom)
      *ty += (ih + y_spacing) / 2;
    slot.y2 = *ty - y_spacing;
    slot.y1 = slot.y2 - ih;
  } else if (p.icon_bottom) {
    if (p.text_bottom)
      *ty -= ih + y_spacing;
    else if (!p.text_top)
      *ty -= (ih + y_spacing) / 2;
    slot.y1 = *ty + th + y_spacing - 1;
    slot.y2 = slot.y1 + ih;
  } else {
    slot.y1 = *ty;
    slot.y2 = *ty + th - 1;
  }
  return slot;
}

void clip_to_icon_slot(IMAGE* s, const PLACEMENT& p, const CONTENT_BOX& b, const ICON_SLOT& slot) {
  const bool side_x = p.icon_left || p.icon_right, side_y = p.icon_top || p.icon_bottom;
  s->intersect_clip(s16(side_x ? slot.x1 : b.x), s16(side_y ? slot.y1 : b.y), s16(side_x ? slot.x2 : b.x2),
                    s16(side_y ? slot.y2 : b.y2));
}

}  // namespace widgets
