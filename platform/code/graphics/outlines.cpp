// Rectangle outlines: the XOR outline of dragged dialogs and the blended
// outline of any thickness with switchable sides.
#include <utility>

#include "colour.h"
#include "draw_common.h"
#include "image.h"

namespace {

struct Sides {
  bool left, right, top, bottom;
  int x1, y1, x2, y2;  // the rectangle cut to the clip
};

// Orders the corners, tests which sides lie inside the clip and cuts the
// rectangle to it; false when it lies wholly outside.
bool cut_to_clip(const IMAGE* image, int x1, int y1, int x2, int y2, Sides* out) {
  if (x1 > x2) std::swap(x1, x2);
  if (y1 > y2) std::swap(y1, y2);
  IMAGE::Area clip;
  if (!image->drawable_clip(clip)) return false;
  const int cl = clip.left, cr = clip.right, ct = clip.top, cb = clip.bottom;
  if (x1 > cr || x2 < cl || y1 > cb || y2 < ct) return false;
  out->left = x1 >= cl;
  out->top = y1 >= ct;
  out->right = x2 <= cr;
  out->bottom = y2 <= cb;
  out->x1 = x1 < cl ? cl : x1;
  out->x2 = x2 > cr ? cr : x2;
  out->y1 = y1 < ct ? ct : y1;
  out->y2 = y2 > cb ? cb : y2;
  return true;
}

void outline_ring(IMAGE* image, int x1, int y1, int x2, int y2, COLOUR colour, INT_S8 sides) {
  Sides s;
  if (!cut_to_clip(image, x1, y1, x2, y2, &s)) return;
  s.left = s.left && (sides & 1);
  s.right = s.right && (sides & 2);
  s.top = s.top && (sides & 4);
  s.bottom = s.bottom && (sides & 8);
  image->add_dirty_rect(static_cast<INT_S16>(s.x1), static_cast<INT_S16>(s.y1),
                        static_cast<INT_S16>(s.x2), static_cast<INT_S16>(s.y2));
  // Row ends belong to the columns, so no pixel is blended twice.
  for (int px = s.x1 + 1; px <= s.x2 - 1; ++px) {
    if (s.top) image->blend_pixel(drawing::pixel_at(image, px, s.y1), &colour);
    if (s.bottom) image->blend_pixel(drawing::pixel_at(image, px, s.y2), &colour);
  }
  for (int py = s.y1; py <= s.y2; ++py) {
    if (s.left) image->blend_pixel(drawing::pixel_at(image, s.x1, py), &colour);
    if (s.right) image->blend_pixel(drawing::pixel_at(image, s.x2, py), &colour);
  }
}

}  // namespace

void IMAGE::xor_rect(INT_S16 x1, INT_S16 y1, INT_S16 x2, INT_S16 y2, const COLOUR* colour) {
  if (!drawing::can_draw(this)) return;
  drawing::require_outline_colour(this, colour);
  Sides s;
  if (!cut_to_clip(this, x1, y1, x2, y2, &s)) return;
  add_dirty_rect(static_cast<INT_S16>(s.x1), static_cast<INT_S16>(s.y1),
                 static_cast<INT_S16>(s.x2), static_cast<INT_S16>(s.y2));
  const COLOUR c = *colour;
  auto flip = [&](int px, int py) {
    COLOUR* p = drawing::pixel_at(this, px, py);
    *p = (*p ^ c) | 0xFF000000u;
  };
  for (int px = s.x1; px <= s.x2; ++px) {
    if (s.top) flip(px, s.y1);
    if (s.bottom) flip(px, s.y2);
  }
  for (int py = s.y1; py <= s.y2; ++py) {
    if (s.left) flip(s.x1, py);
    if (s.right) flip(s.x2, py);
  }
}

void IMAGE::draw_rect(INT_S16 x1, INT_S16 y1, INT_S16 x2, INT_S16 y2, const COLOUR* colour,
                      INT_S16 thickness, INT_S8 sides) {
  if (!drawing::can_draw(this)) return;
  drawing::require_outline_colour(this, colour);
  int ax = x1, ay = y1, bx = x2, by = y2;
  if (ax > bx) std::swap(ax, bx);
  if (ay > by) std::swap(ay, by);
  const COLOUR c = *colour;
  if (thickness < 2) {
    outline_ring(this, ax, ay, bx, by, c, sides);
    return;
  }
  const int h = thickness / 2;
  for (int k = 0; k < thickness; ++k)
    outline_ring(this, ax - h + k, ay - h + k, bx + h - k, by + h - k, c, sides);
}
