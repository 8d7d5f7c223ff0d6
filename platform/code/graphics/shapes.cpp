// Filled rounded rectangles and supersampled circles.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

#include "colour.h"
#include "draw_common.h"
#include "errors.h"
#include "image.h"

namespace {

// One byte per supersample; its size bounds the circle (6R + 3 cells a side).
constexpr size_t kCircleBufferSize = 3145728;
INT_U8 circle_coverage_buffer[kCircleBufferSize];

// Brightness change of a pixel by a 16-bit percent: values that do not fit
// the 8-bit argument are reported as out of range instead of wrapping round.
void shade_pixel(COLOUR* pixel, INT_S16 percent) {
  INT_S8 p = percent > 127 ? 127 : (percent < -128 ? -128 : static_cast<INT_S8>(percent));
  adjust_colour_brightness(pixel, p);
}

}  // namespace

INT_S16 IMAGE::default_corner_radius(INT_S16 x1, INT_S16 y1, INT_S16 x2, INT_S16 y2) {
  int a = (x2 - x1 + 1) / 3, b = (y2 - y1 + 1) / 3;
  return static_cast<INT_S16>(a < b ? a : b);
}

void IMAGE::fill_rounded_rect(INT_S16 x1, INT_S16 y1, INT_S16 x2, INT_S16 y2, INT_S16 radius,
                              INT_S8 corner_mask, const COLOUR* colour, const COLOUR* colour2,
                              INT_S16 percent, INT_S32 style) {
  if (!drawing::can_draw(this)) return;
  if (!pixels) report_fatal_error(2, nullptr);
  if (x1 > x2) std::swap(x1, x2);
  if (y1 > y2) std::swap(y1, y2);
  int r = radius == -1 ? default_corner_radius(x1, y1, x2, y2) : radius;
  if (r <= 0) return;
  add_dirty_rect(x1, y1, x2, y2);
  Area clip;
  if (!drawable_clip(clip)) return;
  const int cx1 = std::max<int>(x1, clip.left), cx2 = std::min<int>(x2, clip.right);
  const int cy1 = std::max<int>(y1, clip.top), cy2 = std::min<int>(y2, clip.bottom);
  if (cx1 > cx2 || cy1 > cy2) return;

  const COLOUR c1 = *colour;
  const COLOUR c2 = colour2 ? *colour2 : c1;
  // Gradient colour at step i of n (n = 0: the first colour), opaque.
  auto gradient = [&](int i, int n) -> COLOUR {
    if (n == 0) return c1 | 0xFF000000u;
    int ch[3];
    for (int k = 0; k < 3; ++k) {
      int a = (c1 >> (16 - 8 * k)) & 0xFF, b = (c2 >> (16 - 8 * k)) & 0xFF;
      ch[k] = a + (b - a) * i / n;
    }
    return 0xFF000000u | (COLOUR(ch[0]) << 16) | (COLOUR(ch[1]) << 8) | COLOUR(ch[2]);
  };
  const int lx = x1 + r, rx = x2 - r, ty = y1 + r, by = y2 - r;
  // Tested in this order; the first masked corner whose square holds the
  // pixel decides.
  const struct {
    int bit, cx, cy;
    bool left, top;
  } corners[4] = {{1, lx, ty, true, true}, {4, lx, by, true, false},
                  {2, rx, ty, false, true}, {8, rx, by, false, false}};

  for (int py = cy1; py <= cy2; ++py) {
    COLOUR row_colour = style == ROUNDED_FILL_GRADIENT_V ? gradient(py - y1, y2 - y1) : 0;
    COLOUR* p = drawing::pixel_at(this, cx1, py);
    for (int px = cx1; px <= cx2; ++px, ++p) {
      bool inside = true;
      for (const auto& k : corners) {
        if (!(corner_mask & k.bit)) continue;
        bool in_x = k.left ? px < lx : px > rx;
        bool in_y = k.top ? py < ty : py > by;
        if (!in_x || !in_y) continue;
        double dx = px - k.cx, dy = py - k.cy;
        inside = static_cast<INT_S64>(std::sqrt(dx * dx + dy * dy)) < r;
        break;
      }
      if (!inside) continue;
      switch (style) {
        case ROUNDED_FILL_BLEND:
          blend_pixel(p, &c1);
          break;
        case ROUNDED_FILL_GRADIENT_H:
          *p = gradient(px - x1, x2 - x1);
          break;
        case ROUNDED_FILL_GRADIENT_V:
          *p = row_colour;
          break;
        case ROUNDED_FILL_SHADE:
          shade_pixel(p, percent);
          break;
        default:
          break;
      }
    }
  }
}

void IMAGE::draw_circle(INT_S16 cx, INT_S16 cy, INT_S16 radius, COLOUR* colour, INT_S16 percent,
                        INT_S32 mode, INT_S16 thickness, INT_U8 smooth) {
  if (!drawing::can_draw(this)) return;
  if (!pixels) report_fatal_error(2, nullptr);
  if (radius <= 0) return;
  const int R = radius + (thickness >> 1);
  if (R < 1) return;  // a negative thickness can eat the whole radius
  int sx1 = cx - R, sy1 = cy - R, sx2 = cx + R, sy2 = cy + R;
  Area clip;
  if (!drawable_clip(clip)) return;
  if (sx1 > clip.right || sx2 < clip.left || sy1 > clip.bottom || sy2 < clip.top) return;
  const int ox = sx1, oy = sy1;  // global position of grid cell block (0, 0)
  sx1 = std::max(sx1, clip.left);
  sx2 = std::min(sx2, clip.right);
  sy1 = std::max(sy1, clip.top);
  sy2 = std::min(sy2, clip.bottom);
  add_dirty_rect(static_cast<INT_S16>(sx1), static_cast<INT_S16>(sy1), static_cast<INT_S16>(sx2),
                 static_cast<INT_S16>(sy2));
  const INT_S64 S = 6 * INT_S64(R) + 3;
  if (S * S >= static_cast<INT_S64>(kCircleBufferSize)) return;
  const int side = static_cast<int>(S);
  INT_U8* grid = circle_coverage_buffer;
  memset(grid, 0, static_cast<size_t>(side) * side);
  const int M = 3 * R + 1;

  // Every mark is cut to the grid: a thickness large next to the radius sends
  // the runs past its edges.
  auto mark_row = [&](int row, int c0, int c1) {
    if (row < 0 || row >= side) return;
    if (c0 > c1) std::swap(c0, c1);
    if (c0 < 0) c0 = 0;
    if (c1 >= side) c1 = side - 1;
    if (c0 <= c1) memset(grid + static_cast<size_t>(row) * side + c0, 1, static_cast<size_t>(c1 - c0 + 1));
  };
  auto mark_col = [&](int col, int r0, int r1) {
    if (col < 0 || col >= side) return;
    if (r0 > r1) std::swap(r0, r1);
    if (r0 < 0) r0 = 0;
    if (r1 >= side) r1 = side - 1;
    for (int r = r0; r <= r1; ++r) grid[static_cast<size_t>(r) * side + col] = 1;
  };

  const int T = 3 * thickness;
  int X = 6 * R, err = -6 * R, t = 0;
  while (t <= X) {
    const int h = t / 2, x = X / 2;
    if (mode == CIRCLE_FILLED || mode == CIRCLE_SHADE) {
      if ((t & 1) == 0) {
        mark_row(M + x, M - h, M + h);
        mark_row(M - x, M - h, M + h);
        mark_row(M + h, M - x, M + x);
        mark_row(M - h, M - x, M + x);
      }
    } else if (mode == CIRCLE_OUTLINE && thickness > 0) {
      mark_col(M + h, M - x, M - x + T - 1);
      mark_col(M - h, M - x, M - x + T - 1);
      mark_col(M + h, M + x - T + 1, M + x);
      mark_col(M - h, M + x - T + 1, M + x);
      mark_row(M + h, M + x - T + 1, M + x);
      mark_row(M - h, M + x - T + 1, M + x);
      mark_row(M + h, M - x, M - x + T - 1);
      mark_row(M - h, M - x, M - x + T - 1);
    }
    err += t;
    if (err >= 0) {
      err -= X;
      X -= 1;
    }
    t += 1;
  }

  const COLOUR c = *colour;
  const INT_U32 alpha = c >> 24;
  for (int py = sy1; py <= sy2; ++py) {
    const INT_U8* cells = grid + static_cast<size_t>(3 * (py - oy)) * side;
    COLOUR* p = drawing::pixel_at(this, sx1, py);
    for (int px = sx1; px <= sx2; ++px, ++p) {
      const int col = 3 * (px - ox);
      int n = 0;
      for (int j = 0; j < 3; ++j)
        n += cells[j * side + col] + cells[j * side + col + 1] + cells[j * side + col + 2];
      if (mode == CIRCLE_SHADE) {
        if (smooth) {
          if (n == 9) {
            shade_pixel(p, percent);
          } else if (n > 0) {
            COLOUR d0 = *p;
            COLOUR out = 0xFF000000u;
            for (int k = 0; k < 3; ++k) {
              int ch = (d0 >> (16 - 8 * k)) & 0xFF;
              int d = ch * (100 - percent) / 100;
              if (d > 255) d = 255;
              if (d < 0) d = 0;
              out |= COLOUR((d * n + ch * (9 - n)) / 9) << (16 - 8 * k);
            }
            *p = out;
          }
        } else if (n >= 4) {
          blend_pixel(p, &c);
        }
        continue;
      }
      if (n == 0) continue;
      if (smooth) {
        COLOUR partial = (c & 0x00FFFFFFu) | ((alpha * n / 9) << 24);
        blend_pixel(p, &partial);
      } else {
        blend_pixel(p, &c);
        if (n >= 4) blend_pixel(p, &c);
      }
    }
  }
}
