// Straight lines, quarter-circle arcs, rounded outlines and the single-pixel
// blend that every blending primitive uses.
#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <utility>

#include "colour.h"
#include "draw_common.h"
#include "errors.h"
#include "image.h"

COLOUR IMAGE::blend_pixel(COLOUR* pixel, const COLOUR* colour) {
  *pixel = ::blend_pixel(*pixel, *colour, alpha_copy_threshold);
  return *pixel;
}

namespace drawing {

void require_outline_colour(const IMAGE* image, const COLOUR* colour) {
  if (!colour_is_visible(*colour)) report_fatal_error(3, nullptr);
  if (!image->pixels) report_fatal_error(2, nullptr);
}

// One-pixel line between two points that may lie anywhere in the plane (the
// thick form and the arcs compute points beyond 16 bits). The end points are
// clamped into the image and the steps follow the clamped line, so a line
// that starts outside the image cannot run on past its clamped end.
void thin_line(IMAGE* image, int x1, int y1, int x2, int y2, COLOUR colour, bool blend) {
  const int left = image->x, top = image->y;
  const int right = left + image->width - 1, bottom = top + image->height - 1;
  auto clampx = [&](int v) { return v < left ? left : (v > right ? right : v); };
  auto clampy = [&](int v) { return v < top ? top : (v > bottom ? bottom : v); };
  x1 = clampx(x1);
  x2 = clampx(x2);
  y1 = clampy(y1);
  y2 = clampy(y2);
  image->add_dirty_rect(static_cast<INT_S16>(x1), static_cast<INT_S16>(y1),
                        static_cast<INT_S16>(x2), static_cast<INT_S16>(y2));
  int dx = std::abs(x2 - x1), dy = std::abs(y2 - y1);
  bool steep = dx < dy;
  if ((steep && y1 > y2) || (!steep && x1 > x2)) {
    std::swap(x1, x2);
    std::swap(y1, y2);
  }
  const int cl = image->clip_left, cr = image->clip_right;
  const int ct = image->clip_top, cb = image->clip_bottom;
  const INT_U32 alpha = colour >> 24;
  const bool copy = !blend || alpha >= alpha_copy_threshold;
  auto plot = [&](int px, int py) {
    if (px < cl || px > cr || py < ct || py > cb) return;
    COLOUR* p = image->pixels + static_cast<ptrdiff_t>(py - image->y) * image->pitch + (px - image->x);
    if (copy)
      *p = colour;
    else
      *p = blend_rgb_packed(*p, colour, alpha);
  };
  int major = steep ? dy : dx, minor = steep ? dx : dy;
  int minor_step = steep ? (x2 >= x1 ? 1 : -1) : (y2 >= y1 ? 1 : -1);
  int px = x1, py = y1, err = 0;
  for (int i = 0; i <= major; ++i) {
    if (i > 0) {
      err += minor;
      if (err >= major) {
        err -= major;
        if (steep)
          px += minor_step;
        else
          py += minor_step;
      }
      if (steep)
        ++py;
      else
        ++px;
    }
    plot(px, py);
  }
}

}  // namespace drawing

void IMAGE::draw_line(INT_S16 x1, INT_S16 y1, INT_S16 x2, INT_S16 y2, const COLOUR* colour,
                      INT_S16 thickness, INT_U8 blend) {
  if (!drawing::can_draw(this)) return;
  drawing::require_outline_colour(this, colour);
  COLOUR c = *colour;
  if (thickness < 2) {
    drawing::thin_line(this, x1, y1, x2, y2, c, blend != 0);
    return;
  }
  int ax = x1, ay = y1, bx = x2, by = y2;
  bool steep = std::abs(bx - ax) < std::abs(by - ay);
  const int left = x, top = y, right = x + width - 1, bottom = y + height - 1;
  ax = ax < left ? left : (ax > right ? right : ax);
  bx = bx < left ? left : (bx > right ? right : bx);
  ay = ay < top ? top : (ay > bottom ? bottom : ay);
  by = by < top ? top : (by > bottom ? bottom : by);
  add_dirty_rect(static_cast<INT_S16>(ax), static_cast<INT_S16>(ay), static_cast<INT_S16>(bx),
                 static_cast<INT_S16>(by));
  for (int k = -(thickness / 2); k <= thickness - 1 - thickness / 2; ++k) {
    if (steep)
      drawing::thin_line(this, ax + k, ay, bx + k, by, c, blend != 0);
    else
      drawing::thin_line(this, ax, ay + k, bx, by + k, c, blend != 0);
  }
}

namespace {

void arc(IMAGE* image, int x, int y, int r, INT_S8 quadrant, COLOUR colour) {
  int dir_x, dir_y;  // where the columns run from the corner, and which way rows go
  if (quadrant & 1) {
    dir_x = 1;
    dir_y = 1;
  } else if (quadrant & 2) {
    dir_x = -1;
    dir_y = 1;
  } else if (quadrant & 4) {
    dir_x = 1;
    dir_y = -1;
  } else if (quadrant & 8) {
    dir_x = -1;
    dir_y = -1;
  } else {
    return;
  }
  // Columns run from x towards x + r (or x - r); the arc's centre column is
  // the far one.
  const int first = dir_x > 0 ? x : x - r;
  const int centre = dir_x > 0 ? x + r : x - r;
  const INT_S64 r2 = INT_S64(r) * r;
  int prev_x = 0, prev_y = 0;
  for (int i = 0; i <= r; ++i) {
    int col = first + i;
    INT_S64 d = col - centre;
    int h = static_cast<int>(std::sqrt(static_cast<double>(r2 - d * d)));
    int row = y + dir_y * (r - h);
    if (i > 0) drawing::thin_line(image, prev_x, prev_y, col, row, colour, true);
    prev_x = col;
    prev_y = row;
  }
}

}  // namespace

void IMAGE::draw_arc(INT_S16 x, INT_S16 y, INT_U16 radius, INT_S8 quadrant, const COLOUR* colour) {
  if (!drawing::can_draw(this)) return;
  if (!(quadrant & 15)) return;
  drawing::require_outline_colour(this, colour);
  arc(this, x, y, radius, quadrant, *colour);
}

void IMAGE::draw_rounded_rect(INT_S16 x1, INT_S16 y1, INT_S16 x2, INT_S16 y2,
                              const COLOUR* colour, INT_U16 radius, INT_U8 corner_mask) {
  if (!drawing::can_draw(this)) return;
  drawing::require_outline_colour(this, colour);
  const COLOUR c = *colour;
  int r = radius == 65535 ? default_corner_radius(x1, y1, x2, y2) : radius;
  const int a = x1, b = y1, e = x2, f = y2;
  drawing::thin_line(this, a + r, b, e - r, b, c, true);
  drawing::thin_line(this, e, b + r, e, f - r, c, true);
  drawing::thin_line(this, e - r, f, a + r, f, c, true);
  drawing::thin_line(this, a, f - r, a, b + r, c, true);
  struct Corner {
    int bit, cx, cy, sx, sy;
  } corners[4] = {{1, a, b, 1, 1}, {2, e, b, -1, 1}, {4, a, f, 1, -1}, {8, e, f, -1, -1}};
  for (const Corner& k : corners) {
    if (corner_mask & k.bit) {
      arc(this, k.cx, k.cy, r, static_cast<INT_S8>(k.bit), c);
    } else {
      drawing::thin_line(this, k.cx, k.cy, k.cx + k.sx * r, k.cy, c, true);
      drawing::thin_line(this, k.cx, k.cy, k.cx, k.cy + k.sy * r, c, true);
    }
  }
}
