// Area primitives of IMAGE: filled rectangles, gradients, clearing and the
// block transfer with its convenience forms. These are the hot paths of every
// frame: the mode is decided once per call and the threshold read once.
#include <algorithm>
#include <cstring>

#include "errors.h"
#include "image.h"

// The screen image belongs to the platform layer. The reference is weak so
// that programs built without the platform (tools, tests of the graphics
// alone) link; for them there is no screen image.
IMAGE* get_screen_image(INT_U16 display) __attribute__((weak));

namespace {

IMAGE* screen_image() { return get_screen_image ? get_screen_image(0) : nullptr; }

// One row of `count` pixels stored whole or blended.
void fill_row(INT_U32* d, int count, COLOUR c, bool blend, INT_U32 threshold) {
  INT_U32 a = c >> 24;
  if (!blend || a >= threshold) {
    std::fill_n(d, count, c);
  } else if (a != 0) {
    for (int i = 0; i < count; ++i) d[i] = blend_rgb_packed(d[i], c, a);
  }
}

// One channel of a gradient step: start + (end - start) x i / n, truncated
// toward zero.
COLOUR gradient_colour(COLOUR from, COLOUR to, int i, int n) {
  if (n == 0) return from;
  COLOUR out = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    int a = (from >> shift) & 0xFF, b = (to >> shift) & 0xFF;
    int v = a + (b - a) * i / n;
    out |= static_cast<COLOUR>(v & 0xFF) << shift;
  }
  return out;
}

// The rows of one blit combined by one mode; columns right to left when
// `backwards`. The pitches may be negative (rows walked bottom-up).
template <typename Op>
void blit_rows(INT_U32* d, const INT_U32* s, int w, int h, long dpitch, long spitch, bool backwards,
               Op op) {
  for (int j = 0; j < h; ++j, d += dpitch, s += spitch) {
    if (backwards)
      for (int i = w - 1; i >= 0; --i) d[i] = op(d[i], s[i]);
    else
      for (int i = 0; i < w; ++i) d[i] = op(d[i], s[i]);
  }
}

}  // namespace

// Common opening of the fills: false when nothing is to be drawn; otherwise
// the corners are ordered, cut to the clip and added to the dirty rectangle.
bool IMAGE::fill_preamble(int& x1, int& y1, int& x2, int& y2) {
  if (!enabled || clip_is_empty()) return false;
  if (!pixels) report_fatal_error(2, nullptr);
  if (x1 > x2) std::swap(x1, x2);
  if (y1 > y2) std::swap(y1, y2);
  if (x1 > clip_right || x2 < clip_left || y1 > clip_bottom || y2 < clip_top) return false;
  x1 = std::max<int>(x1, clip_left);
  x2 = std::min<int>(x2, clip_right);
  y1 = std::max<int>(y1, clip_top);
  y2 = std::min<int>(y2, clip_bottom);
  add_dirty_rect(static_cast<INT_S16>(x1), static_cast<INT_S16>(y1), static_cast<INT_S16>(x2),
                 static_cast<INT_S16>(y2));
  return true;
}

void IMAGE::fill_rect(INT_S16 ax, INT_S16 ay, INT_S16 bx, INT_S16 by, const COLOUR* colour,
                      INT_S8 blend) {
  int x1 = ax, y1 = ay, x2 = bx, y2 = by;
  if (!fill_preamble(x1, y1, x2, y2) || !colour) return;
  const INT_U32 threshold = alpha_copy_threshold;
  const COLOUR c = *colour;
  for (int row = y1; row <= y2; ++row) fill_row(pixel_at(x1, row), x2 - x1 + 1, c, blend, threshold);
}

void IMAGE::fill_gradient_vertical(INT_S16 ax, INT_S16 ay, INT_S16 bx, INT_S16 by,
                                   const COLOUR* top, const COLOUR* bottom, INT_S8 blend) {
  int x1 = ax, y1 = ay, x2 = bx, y2 = by;
  if (!fill_preamble(x1, y1, x2, y2) || !top || !bottom) return;
  // The gradient runs over the uncut rectangle: rows cut away still advance it.
  const int first = std::min(ay, by), n = std::max(ay, by) - first;
  const INT_U32 threshold = alpha_copy_threshold;
  for (int row = y1; row <= y2; ++row)
    fill_row(pixel_at(x1, row), x2 - x1 + 1, gradient_colour(*top, *bottom, row - first, n), blend,
             threshold);
}

void IMAGE::fill_gradient_horizontal(INT_S16 ax, INT_S16 ay, INT_S16 bx, INT_S16 by,
                                     const COLOUR* left, const COLOUR* right, INT_S8 blend) {
  int x1 = ax, y1 = ay, x2 = bx, y2 = by;
  if (!fill_preamble(x1, y1, x2, y2) || !left || !right) return;
  const int first = std::min(ax, bx), n = std::max(ax, bx) - first;
  const INT_U32 threshold = alpha_copy_threshold;
  for (int col = x1; col <= x2; ++col) {
    const COLOUR c = gradient_colour(*left, *right, col - first, n);
    const INT_U32 a = c >> 24;
    if (blend && a == 0) continue;
    const bool whole = !blend || a >= threshold;
    INT_U32* p = pixel_at(col, y1);
    for (int row = y1; row <= y2; ++row, p += pitch) *p = whole ? c : blend_rgb_packed(*p, c, a);
  }
}

void IMAGE::clear(const COLOUR* colour, INT_U8 ignore_clip) {
  if (!ignore_clip) {
    fill_rect(x, y, static_cast<INT_S16>(x + width - 1), static_cast<INT_S16>(y + height - 1),
              colour, 0);
    return;
  }
  const INT_S16 l = clip_left, r = clip_right, t = clip_top, b = clip_bottom;
  const INT_U8 was_enabled = enabled;
  set_clip(x, y, static_cast<INT_S16>(x + width - 1), static_cast<INT_S16>(y + height - 1));
  enabled = 1;
  fill_rect(x, y, static_cast<INT_S16>(x + width - 1), static_cast<INT_S16>(y + height - 1), colour,
            0);
  clip_left = l;
  clip_right = r;
  clip_top = t;
  clip_bottom = b;
  enabled = was_enabled;
}

void IMAGE::blit(const IMAGE* source, INT_S16 sx16, INT_S16 sy16, INT_S16 dx16, INT_S16 dy16,
                 INT_S16 w16, INT_S16 h16, INT_S32 mode) {
  if (!enabled || clip_is_empty() || !source || !source->pixels || !pixels || w16 < 1 || h16 < 1)
    return;
  int sx = sx16, sy = sy16, dx = dx16, dy = dy16, w = w16, h = h16;
  if (dx < clip_left) {
    sx += clip_left - dx;
    w -= clip_left - dx;
    dx = clip_left;
  }
  if (dy < clip_top) {
    sy += clip_top - dy;
    h -= clip_top - dy;
    dy = clip_top;
  }
  if (sx < 0) {
    dx -= sx;
    w += sx;
    sx = 0;
  }
  if (sy < 0) {
    dy -= sy;
    h += sy;
    sy = 0;
  }
  if (sx >= source->width || sy >= source->height) return;
  w = std::min(w, source->width - sx);
  h = std::min(h, source->height - sy);
  w = std::min(w, clip_right + 1 - dx);
  h = std::min(h, clip_bottom + 1 - dy);
  if (w < 1 || h < 1) return;
  add_dirty_rect(static_cast<INT_S16>(dx), static_cast<INT_S16>(dy),
                 static_cast<INT_S16>(dx + w - 1), static_cast<INT_S16>(dy + h - 1));

  INT_U32* d = pixel_at(dx, dy);
  const INT_U32* s = source->pixels + static_cast<long>(sy) * source->pitch + sx;
  long dpitch = pitch, spitch = source->pitch;
  bool backwards = false;
  if (source == this) {
    // A block moved within one image must read every source pixel before it
    // is overwritten, as if from an untouched copy: walk the rows bottom-up
    // when moving down, and the columns right to left when moving right
    // within the same rows.
    const long offset = d - s;
    if (offset > 0 && dy != sy + y) {
      d += (h - 1) * dpitch;
      s += (h - 1) * spitch;
      dpitch = -dpitch;
      spitch = -spitch;
    } else if (offset > 0) {
      backwards = true;
    }
  }

  switch (mode) {
    case BLIT_COPY:
      for (int j = 0; j < h; ++j, d += dpitch, s += spitch)
        std::memmove(d, s, static_cast<size_t>(w) * sizeof(INT_U32));
      break;
    case BLIT_MASK:
      blit_rows(d, s, w, h, dpitch, spitch, backwards, [](INT_U32 dp, INT_U32 sp) {
        return (dp & 0x00FFFFFFu) | ((sp >> 24) ? 0xFF000000u : 0u);
      });
      break;
    case BLIT_ALPHA_MULTIPLY:
      blit_rows(d, s, w, h, dpitch, spitch, backwards, [](INT_U32 dp, INT_U32 sp) {
        return (dp & 0x00FFFFFFu) | (((dp >> 24) * (sp >> 24) / 255) << 24);
      });
      break;
    default: {
      const INT_U32 threshold = alpha_copy_threshold;
      blit_rows(d, s, w, h, dpitch, spitch, backwards, [threshold](INT_U32 dp, INT_U32 sp) {
        return blend_pixel(dp, sp, threshold);
      });
      break;
    }
  }
}

void IMAGE::draw_part_to(INT_S16 px, INT_S16 py, INT_S16 src_x, INT_S16 src_y, INT_S16 w,
                         INT_S16 h, IMAGE* target, INT_S32 mode) {
  if (!target) target = screen_image();
  if (!target || target == this) return;
  target->blit(this, src_x, src_y, px, py, w, h, mode);
}

void IMAGE::draw_to(INT_S16 px, INT_S16 py, IMAGE* target, INT_S32 mode) {
  draw_part_to(px, py, 0, 0, static_cast<INT_S16>(width), static_cast<INT_S16>(height), target,
               mode);
}

void IMAGE::grab_from(INT_S16 src_x, INT_S16 src_y, IMAGE* source, INT_S32 mode) {
  if (!source) source = screen_image();
  if (!source || source == this) return;
  blit(source, src_x, src_y, x, y, static_cast<INT_S16>(width), static_cast<INT_S16>(height), mode);
}
