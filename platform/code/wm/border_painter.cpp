// The border painter: one to four concentric rings of one-pixel lines and
// quarter arcs in colours derived from the object, plus the arrow glyph and
// the style-set sizes that depend on border thickness.
#include <algorithm>

#include "errors.h"
#include "image.h"
#include "style_set.h"
#include "wm_border.h"
#include "wm_globals.h"
#include "wm_screen_object.h"

namespace {

enum RING { RING_BEVEL, RING_OUTLINE, RING_SHADOW, RING_OUTER };

struct SHADING {
  INT_U8 count;
  RING rings[4];
};

// Rings of types 2 to 9, outermost first.
const SHADING kShadings[8] = {
    {3, {RING_OUTER, RING_SHADOW, RING_BEVEL}},
    {1, {RING_OUTLINE}},
    {1, {RING_BEVEL}},
    {2, {RING_OUTLINE, RING_BEVEL}},
    {2, {RING_BEVEL, RING_BEVEL}},
    {3, {RING_OUTLINE, RING_BEVEL, RING_BEVEL}},
    {3, {RING_BEVEL, RING_BEVEL, RING_BEVEL}},
    {4, {RING_OUTLINE, RING_BEVEL, RING_BEVEL, RING_BEVEL}}};

bool is_set(COLOUR c) { return (c >> 24) != 0; }

// Each of red, green and blue times percent / 100, capped at 255, alpha kept.
COLOUR scale_colour(COLOUR c, INT_U32 percent) {
  auto channel = [&](int shift) {
    INT_U32 v = ((c >> shift) & 0xFF) * percent / 100;
    return std::min<INT_U32>(v, 255) << shift;
  };
  set_last_error(0, nullptr);
  return (c & 0xFF000000u) | channel(16) | channel(8) | channel(0);
}

INT_U32 resolve_type(INT_U32 type, const WM_SCREEN_OBJECT* object) {
  if (type == 1 && object) type = object->shading_type;
  if (type == 1) type = wm_default_shading_type;
  return type;
}

INT_U16 width_of(INT_U32 type) {
  switch (type) {
    case 2:
    case 7:
    case 8: return 3;
    case 3:
    case 4: return 1;
    case 5:
    case 6: return 2;
    case 9: return 4;
    default: return 0;
  }
}

// Lines and arcs in an unset colour are skipped: the line primitive treats
// alpha 0 as a fatal error, and an unset colour means "draw nothing".
void line(INT_S32 x1, INT_S32 y1, INT_S32 x2, INT_S32 y2, COLOUR c) {
  if (!wm_surface || !is_set(c)) return;
  wm_surface->draw_line(static_cast<INT_S16>(x1), static_cast<INT_S16>(y1),
                        static_cast<INT_S16>(x2), static_cast<INT_S16>(y2), &c, 1, 1);
}

void arc(INT_S32 x, INT_S32 y, INT_S32 r, INT_S8 quadrant, COLOUR c) {
  if (!wm_surface || !is_set(c) || r < 0) return;
  wm_surface->draw_arc(static_cast<INT_S16>(x), static_cast<INT_S16>(y),
                       static_cast<INT_U16>(r), quadrant, &c);
}

}  // namespace

void get_bevel_colours(const WM_SCREEN_OBJECT* object, const COLOUR* base, COLOUR* dark,
                       COLOUR* light) {
  const bool own = object && is_set(object->colour);
  const bool has_base = base && is_set(*base);
  COLOUR d, l;
  if (own)
    d = scale_colour(object->colour, 70);
  else if (is_set(wm_bevel_dark_colour))
    d = wm_bevel_dark_colour;
  else if (has_base)
    d = scale_colour(*base, 70);
  else if (is_set(wm_bevel_base_colour))
    adjust_colour_brightness(&(d = wm_bevel_base_colour), 30);
  else
    d = 0xFF808080u;
  if (own)
    l = scale_colour(object->colour, 130);
  else if (is_set(wm_bevel_light_colour))
    l = wm_bevel_light_colour;
  else if (has_base)
    l = scale_colour(*base, 130);
  else if (is_set(wm_bevel_base_colour))
    adjust_colour_brightness(&(l = wm_bevel_base_colour), -30);
  else
    l = 0xFFFFFFFFu;
  if (dark) *dark = d;
  if (light) *light = l;
}

INT_U16 get_default_border_width(INT_U32 shading_type) {
  return width_of(resolve_type(shading_type, nullptr));
}

INT_U16 WM_SCREEN_OBJECT::border_width(INT_U32 type) { return width_of(resolve_type(type, this)); }

void WM_SCREEN_OBJECT::draw_border(INT_S16 x1, INT_S16 y1, INT_S16 x2, INT_S16 y2, INT_U16 mask,
                                   const COLOUR* base_colour, INT_U32 type, INT_S16 radius) {
  type = resolve_type(type, this);
  if (type < 2 || type > 9) return;
  const SHADING& shading = kShadings[type - 2];
  COLOUR dark, light;
  get_bevel_colours(this, base_colour, &dark, &light);
  const bool indented = (mask & BORDER_INDENTED) != 0;
  const bool rounded = (mask & 0xF0) != 0;

  // Top-and-left (a) and bottom-and-right (b) colours of each ring.
  COLOUR a[4], b[4];
  for (int k = 0; k < shading.count; ++k) {
    switch (shading.rings[k]) {
      case RING_BEVEL:
        a[k] = indented ? dark : light;
        b[k] = indented ? light : dark;
        break;
      case RING_OUTLINE: a[k] = b[k] = wm_outline_colour; break;
      case RING_SHADOW: a[k] = b[k] = wm_shadow_colour; break;
      case RING_OUTER:
        a[k] = dark;
        b[k] = rounded ? dark : light;
        break;
    }
  }
  const int n = shading.count;

  if (!rounded) {
    if (mask & BORDER_SIDE_TOP)
      for (int k = 0; k < n; ++k) line(x1 + k, y1 + k, x2 - k, y1 + k, a[k]);
    if (mask & BORDER_SIDE_LEFT)
      for (int k = 0; k < n; ++k) line(x1 + k, y1 + k, x1 + k, y2 - k, a[k]);
    if (mask & BORDER_SIDE_BOTTOM)
      for (int k = 0; k < n; ++k) line(x1 + k, y2 - k, x2 - k, y2 - k, b[k]);
    if (mask & BORDER_SIDE_RIGHT)
      for (int k = 0; k < n; ++k) line(x2 - k, y1 + k, x2 - k, y2 - k, b[k]);
    return;
  }

  const INT_S32 r = radius == -1 ? IMAGE::default_corner_radius(x1, y1, x2, y2) : radius;
  const INT_S32 tl = (mask & BORDER_CORNER_TOP_LEFT) ? r : 0;
  const INT_S32 tr = (mask & BORDER_CORNER_TOP_RIGHT) ? r : 0;
  const INT_S32 bl = (mask & BORDER_CORNER_BOTTOM_LEFT) ? r : 0;
  const INT_S32 br = (mask & BORDER_CORNER_BOTTOM_RIGHT) ? r : 0;
  if (mask & BORDER_SIDE_TOP)
    for (int k = 0; k < n; ++k) line(x1 + tl + k, y1 + k, x2 - tr - k, y1 + k, a[k]);
  if (mask & BORDER_SIDE_LEFT)
    for (int k = 0; k < n; ++k) line(x1 + k, y2 - bl - k, x1 + k, y1 + tl + k, a[k]);
  if (mask & BORDER_CORNER_TOP_LEFT)
    for (int k = 0; k < n; ++k) arc(x1 + k, y1 + k, r, 1, a[k]);
  if (mask & BORDER_CORNER_TOP_RIGHT)
    for (int k = 0; k < n; ++k) arc(x2 - k, y1 + k, r, 2, a[k]);
  if (mask & BORDER_SIDE_RIGHT)
    for (int k = 0; k < n; ++k) line(x2 - k, y1 + tr + k, x2 - k, y2 - br - k, b[k]);
  if (mask & BORDER_SIDE_BOTTOM)
    for (int k = 0; k < n; ++k) line(x2 - br - k, y2 - k, x1 + bl + k, y2 - k, b[k]);
  if (mask & BORDER_CORNER_BOTTOM_LEFT)
    for (int k = 0; k < n; ++k) arc(x1 + k, y2 - k, r, 4, b[k]);
  if (mask & BORDER_CORNER_BOTTOM_RIGHT)
    for (int k = 0; k < n; ++k) arc(x2 - k, y2 - k, r, 8, b[k]);
}

void draw_arrow(WM_SCREEN_OBJECT*, INT_S16 x1, INT_S16 y1, INT_S16 x2, INT_S16 y2,
                const COLOUR* colour, INT_S32 direction, INT_S16 margin_x, INT_S16 margin_y) {
  if (direction < ARROW_UP || direction > ARROW_RIGHT || !wm_surface) return;
  const INT_S32 mx = margin_x == -1 ? (x2 - x1 + 1) / 3 : margin_x;
  const INT_S32 my = margin_y == -1 ? (y2 - y1 + 1) / 3 : margin_y;
  IMAGE* image = &wm_arrow_images[direction];
  if (image->width != 0) {
    image->draw_to(static_cast<INT_S16>(x1 + (x2 - x1 - image->width) / 2),
                   static_cast<INT_S16>(y1 + (y2 - y1 - image->height) / 2), wm_surface,
                   BLIT_BLEND);
    return;
  }
  if (!colour) return;
  const COLOUR c = *colour;
  const INT_S32 ax = x1 + (x2 - x1 + 1) / 2;
  const INT_S32 ay = y1 + (y2 - y1 + 1) / 2;
  switch (direction) {
    case ARROW_UP:
      for (INT_S32 x = x1 + mx; x <= x2 - mx; ++x) line(x, y2 - my, ax, y1 + my, c);
      break;
    case ARROW_DOWN:
      for (INT_S32 x = x1 + mx; x <= x2 - mx; ++x) line(ax, y2 - my, x, y1 + my, c);
      break;
    case ARROW_LEFT:
      for (INT_S32 y = y1 + my; y <= y2 - my; ++y) line(x1 + mx, ay, x2 - mx, y, c);
      break;
    case ARROW_RIGHT:
      for (INT_S32 y = y1 + my; y <= y2 - my; ++y) line(x1 + mx, y, x2 - mx, ay, c);
      break;
  }
}

INT_S32 WM_STYLE_SET::padded_text_width(IMAGE* surface, const char* text) const {
  const INT_S32 left = border_left_gap == -1 ? get_default_border_width(shading_type) : border_left_gap;
  const INT_S32 right =
      border_right_gap == -1 ? get_default_border_width(shading_type) : border_right_gap;
  if (!text || !surface) return left + right;
  return left + right + surface->text_width(font_id, static_cast<INT_U16>(font_x_sz),
                                            static_cast<INT_U16>(font_y_sz), text);
}

void WM_STYLE_SET::border_gaps_x(INT_U16* out) const {
  INT_S32 font = font_x_sz;
  if (font == -1) font = wm_surface ? wm_surface->font_width : 0;
  const INT_S32 left = border_left_gap == -1 ? font / 2 : border_left_gap;
  const INT_S32 right = border_right_gap == -1 ? font / 2 : border_right_gap;
  INT_S32 sum = left + right;
  if (border_left_gap == -1 && border_right_gap == -1) sum = font;
  if (out) *out = static_cast<INT_U16>(sum);
}

INT_S32 WM_STYLE_SET::border_gaps_y(INT_U16 fallback, INT_U16* out) const {
  const INT_S32 top = border_top_gap == -1 ? fallback : border_top_gap;
  const INT_S32 bottom = border_bottom_gap == -1 ? fallback : border_bottom_gap;
  const INT_U16 sum = static_cast<INT_U16>(top + bottom);
  if (out) *out = sum;
  return sum;
}
