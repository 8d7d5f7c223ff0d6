// Whole-area colour effects: darken, colourise, replace, alpha, grey, tint.
#include <algorithm>
#include <utility>

#include "colour.h"
#include "draw_common.h"
#include "errors.h"
#include "image.h"

namespace {

// The area of the whole-image effects: the clip rectangle brought into the
// image's bounds, or nothing for an empty image or an unset clip (an unset
// clip means nothing may be drawn, not the corner pixel it would clamp to).
bool effect_area(IMAGE* image, int* x1, int* y1, int* x2, int* y2) {
  if (image->width < 1 || image->height < 1 || !image->pixels) return false;
  if (image->clip_left == -1 && image->clip_right == -1 && image->clip_top == -1 &&
      image->clip_bottom == -1)
    return false;
  const int left = image->x, top = image->y;
  const int right = left + image->width - 1, bottom = top + image->height - 1;
  auto cx = [&](int v) { return v < left ? left : (v > right ? right : v); };
  auto cy = [&](int v) { return v < top ? top : (v > bottom ? bottom : v); };
  int a = cx(image->clip_left), b = cx(image->clip_right);
  int c = cy(image->clip_top), d = cy(image->clip_bottom);
  if (a > b) std::swap(a, b);
  if (c > d) std::swap(c, d);
  *x1 = a;
  *x2 = b;
  *y1 = c;
  *y2 = d;
  image->add_dirty_rect(static_cast<INT_S16>(a), static_cast<INT_S16>(c), static_cast<INT_S16>(b),
                        static_cast<INT_S16>(d));
  return true;
}

template <typename F>
void for_each_pixel(IMAGE* image, F f) {
  int x1, y1, x2, y2;
  if (!effect_area(image, &x1, &y1, &x2, &y2)) return;
  for (int py = y1; py <= y2; ++py) {
    COLOUR* p = drawing::pixel_at(image, x1, py);
    for (int px = x1; px <= x2; ++px, ++p) f(p);
  }
}

}  // namespace

void IMAGE::darken_rect(INT_S16 x1, INT_S16 y1, INT_S16 x2, INT_S16 y2, INT_S16 percent) {
  if (!drawing::can_draw(this)) return;
  if (!pixels) report_fatal_error(2, nullptr);
  int ax = x1, ay = y1, bx = x2, by = y2;
  if (ax > bx) std::swap(ax, bx);
  if (ay > by) std::swap(ay, by);
  Area clip;
  if (!drawable_clip(clip) || percent < 1) return;
  if (ax > clip.right || bx < clip.left || ay > clip.bottom || by < clip.top) return;
  ax = std::max(ax, clip.left);
  bx = std::min(bx, clip.right);
  ay = std::max(ay, clip.top);
  by = std::min(by, clip.bottom);
  add_dirty_rect(static_cast<INT_S16>(ax), static_cast<INT_S16>(ay), static_cast<INT_S16>(bx),
                 static_cast<INT_S16>(by));
  const INT_U32 keep = 100 - (percent > 100 ? 100 : percent);
  for (int py = ay; py <= by; ++py) {
    COLOUR* p = drawing::pixel_at(this, ax, py);
    for (int px = ax; px <= bx; ++px, ++p) {
      COLOUR c = *p;
      *p = (c & 0xFF000000u) | ((colour_red(c) * keep / 100) << 16) |
           ((colour_green(c) * keep / 100) << 8) | (colour_blue(c) * keep / 100);
    }
  }
  set_last_error(0, nullptr);
}

void IMAGE::colourise(const COLOUR* c1, const COLOUR* c2, const COLOUR* c3, INT_U8 keep_alpha) {
  const COLOUR a = *c1, b = *c2, c = *c3;
  for_each_pixel(this, [&](COLOUR* p) {
    INT_U32 old_alpha = *p >> 24;
    colourise_pixel(p, &a, &b, &c);
    if (keep_alpha) *p = (*p & 0x00FFFFFFu) | (((*p >> 24) * old_alpha / 255) << 24);
  });
}

void IMAGE::replace_colour(const COLOUR* from, const COLOUR* to, INT_S8 rgb_only) {
  const COLOUR f = *from, t = *to;
  if (rgb_only) {
    for_each_pixel(this, [&](COLOUR* p) {
      if (((*p ^ f) & 0x00FFFFFFu) == 0) *p = (*p & 0xFF000000u) | (t & 0x00FFFFFFu);
    });
  } else {
    for_each_pixel(this, [&](COLOUR* p) {
      if (*p == f) *p = t;
    });
  }
}

void IMAGE::set_alpha(INT_U8 value, INT_S8 multiply, INT_S8 keep_transparent) {
  const INT_U32 v = value;
  if (multiply) {
    for_each_pixel(this, [&](COLOUR* p) {
      *p = (*p & 0x00FFFFFFu) | (((*p >> 24) * v / 255) << 24);
    });
  } else if (keep_transparent) {
    for_each_pixel(this, [&](COLOUR* p) {
      if (*p >> 24) *p = (*p & 0x00FFFFFFu) | (v << 24);
    });
  } else {
    for_each_pixel(this, [&](COLOUR* p) { *p = (*p & 0x00FFFFFFu) | (v << 24); });
  }
}

void IMAGE::greyscale() {
  for_each_pixel(this, [](COLOUR* p) {
    COLOUR c = *p;
    INT_U32 g = (INT_U32(colour_red(c)) + colour_green(c) + colour_blue(c)) / 3;
    *p = (c & 0xFF000000u) | (g << 16) | (g << 8) | g;
  });
}

void IMAGE::tint(const COLOUR* colour) {
  const COLOUR t = *colour;
  for_each_pixel(this, [&](COLOUR* p) { tint_colour(p, &t); });
}
