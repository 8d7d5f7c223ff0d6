// Area primitives of IMAGE: filled rectangles, gradients, clearing and the
// block transfer with its convenience forms. These are the hot paths of every
// frame: the mode is decided once per call and the threshold read once.
#include <immintrin.h>

#include <algorithm>
#include <cstring>

#include "blend_row.h"
#include "errors.h"
#include "image.h"
#include "window.h"

namespace {

IMAGE* screen_image() { return get_screen_image(0); }

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

// One row blended left to right, four pixels at a time: the same rule and the
// same integer results as blend_pixel, with runs that are wholly invisible or
// wholly at the threshold settled without arithmetic.
void blend_row_sse2(INT_U32* d, const INT_U32* s, int w, INT_U32 threshold) {
  int i = 0;
  const __m128i zero = _mm_setzero_si128();
  const __m128i below = _mm_set1_epi32(static_cast<int>(threshold) - 1);
  const __m128i c255 = _mm_set1_epi16(255);
  const __m128i alpha_bits = _mm_set1_epi32(static_cast<int>(0xFF000000u));
  for (; i + 4 <= w; i += 4) {
    const __m128i sv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
    const __m128i a = _mm_srli_epi32(sv, 24);
    const __m128i none = _mm_cmpeq_epi32(a, zero);  // alpha 0 wins over any threshold
    const __m128i whole = _mm_andnot_si128(none, _mm_cmpgt_epi32(a, below));
    const int whole_bits = _mm_movemask_epi8(whole), none_bits = _mm_movemask_epi8(none);
    if (whole_bits == 0xFFFF) {
      _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i), sv);
      continue;
    }
    if (none_bits == 0xFFFF) continue;
    const __m128i dv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + i));
    // Channels widened to 16 bits: d x (255 - a) + s x a stays below 65536.
    __m128i s_lo = _mm_unpacklo_epi8(sv, zero), s_hi = _mm_unpackhi_epi8(sv, zero);
    __m128i d_lo = _mm_unpacklo_epi8(dv, zero), d_hi = _mm_unpackhi_epi8(dv, zero);
    __m128i a_lo = _mm_shufflehi_epi16(_mm_shufflelo_epi16(s_lo, 0xFF), 0xFF);
    __m128i a_hi = _mm_shufflehi_epi16(_mm_shufflelo_epi16(s_hi, 0xFF), 0xFF);
    __m128i m_lo = _mm_srli_epi16(
        _mm_add_epi16(_mm_mullo_epi16(d_lo, _mm_sub_epi16(c255, a_lo)), _mm_mullo_epi16(s_lo, a_lo)),
        8);
    __m128i m_hi = _mm_srli_epi16(
        _mm_add_epi16(_mm_mullo_epi16(d_hi, _mm_sub_epi16(c255, a_hi)), _mm_mullo_epi16(s_hi, a_hi)),
        8);
    __m128i mixed = _mm_packus_epi16(m_lo, m_hi);
    mixed = _mm_or_si128(_mm_andnot_si128(alpha_bits, mixed), _mm_and_si128(alpha_bits, dv));
    // whole: s; invisible: d; otherwise the mix.
    __m128i out = _mm_or_si128(_mm_and_si128(none, dv), _mm_andnot_si128(none, mixed));
    out = _mm_or_si128(_mm_and_si128(whole, sv), _mm_andnot_si128(whole, out));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i), out);
  }
  for (; i < w; ++i) d[i] = blend_pixel(d[i], s[i], threshold);
}

// Eight pixels blended with no branch on them: every group is mixed and the
// result chosen by masks, so mixed alpha costs no mispredictions. `below` holds
// the threshold - 1 in every lane.
__attribute__((target("avx2"), always_inline)) inline __m256i blend8_avx2(__m256i dv, __m256i sv,
                                                                          __m256i below) {
  const __m256i zero = _mm256_setzero_si256();
  const __m256i c255 = _mm256_set1_epi16(255);
  const __m256i alpha_bits = _mm256_set1_epi32(static_cast<int>(0xFF000000u));
  // Copies each pixel's alpha byte into the low byte of its four 16-bit
  // channel slots (-128 clears the high byte); within each 128-bit lane.
  const __m256i alpha_lo = _mm256_setr_epi8(3, -128, 3, -128, 3, -128, 3, -128, 7, -128, 7, -128, 7,
                                            -128, 7, -128, 3, -128, 3, -128, 3, -128, 3, -128, 7,
                                            -128, 7, -128, 7, -128, 7, -128);
  const __m256i alpha_hi = _mm256_add_epi8(alpha_lo, _mm256_set1_epi16(8));
  const __m256i a = _mm256_srli_epi32(sv, 24);
  const __m256i none = _mm256_cmpeq_epi32(a, zero);  // alpha 0 wins over any threshold
  const __m256i whole = _mm256_cmpgt_epi32(a, below);
  // Channels widened to 16 bits: d x (255 - a) + s x a stays below 65536.
  const __m256i s_lo = _mm256_unpacklo_epi8(sv, zero), s_hi = _mm256_unpackhi_epi8(sv, zero);
  const __m256i d_lo = _mm256_unpacklo_epi8(dv, zero), d_hi = _mm256_unpackhi_epi8(dv, zero);
  const __m256i a_lo = _mm256_shuffle_epi8(sv, alpha_lo), a_hi = _mm256_shuffle_epi8(sv, alpha_hi);
  const __m256i m_lo = _mm256_srli_epi16(
      _mm256_add_epi16(_mm256_mullo_epi16(d_lo, _mm256_sub_epi16(c255, a_lo)),
                       _mm256_mullo_epi16(s_lo, a_lo)),
      8);
  const __m256i m_hi = _mm256_srli_epi16(
      _mm256_add_epi16(_mm256_mullo_epi16(d_hi, _mm256_sub_epi16(c255, a_hi)),
                       _mm256_mullo_epi16(s_hi, a_hi)),
      8);
  __m256i out = _mm256_blendv_epi8(_mm256_packus_epi16(m_lo, m_hi), dv, alpha_bits);
  out = _mm256_blendv_epi8(out, sv, whole);  // whole: s
  return _mm256_blendv_epi8(out, dv, none);  // invisible: d
}

// The rule eight pixels at a time. The last partial group goes through masked
// loads and stores, which never touch the pixels beyond the row.
__attribute__((target("avx2"))) void blend_row_avx2(INT_U32* d, const INT_U32* s, int w,
                                                    INT_U32 threshold) {
  const __m256i below = _mm256_set1_epi32(static_cast<int>(threshold) - 1);
  int i = 0;
  for (; i + 8 <= w; i += 8) {
    const __m256i sv = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + i));
    const __m256i dv = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(d + i));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + i), blend8_avx2(dv, sv, below));
  }
  if (i < w) {
    const __m256i lanes = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
    const __m256i inside = _mm256_cmpgt_epi32(_mm256_set1_epi32(w - i), lanes);
    const __m256i sv = _mm256_maskload_epi32(reinterpret_cast<const int*>(s + i), inside);
    const __m256i dv = _mm256_maskload_epi32(reinterpret_cast<const int*>(d + i), inside);
    _mm256_maskstore_epi32(reinterpret_cast<int*>(d + i), inside, blend8_avx2(dv, sv, below));
  }
}

BLEND_ROW choose_blend_row() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2") ? blend_row_avx2 : blend_row_sse2;
}

}  // namespace

std::vector<BLEND_ROW_PATH> blend_row_paths() {
  std::vector<BLEND_ROW_PATH> paths = {{"sse2", blend_row_sse2}};
  __builtin_cpu_init();
  if (__builtin_cpu_supports("avx2")) paths.push_back({"avx2", blend_row_avx2});
  return paths;
}

BLEND_ROW blend_row_chosen() {
  static const BLEND_ROW chosen = choose_blend_row();
  return chosen;
}

// The window manager saves and restores the clip around redraws.
bool IMAGE::drawable_clip(Area& out) const {
  out.left = std::max<int>(clip_left, x);
  out.right = std::min<int>(clip_right, x + width - 1);
  out.top = std::max<int>(clip_top, y);
  out.bottom = std::min<int>(clip_bottom, y + height - 1);
  return out.left <= out.right && out.top <= out.bottom;
}

// Common opening of the fills: false when nothing is to be drawn; otherwise
// the corners are ordered, cut to the clip and added to the dirty rectangle.
bool IMAGE::fill_preamble(int& x1, int& y1, int& x2, int& y2) {
  if (!enabled || clip_is_empty()) return false;
  if (!pixels) report_fatal_error(2, nullptr);
  if (x1 > x2) std::swap(x1, x2);
  if (y1 > y2) std::swap(y1, y2);
  Area clip;
  if (!drawable_clip(clip)) return false;
  if (x1 > clip.right || x2 < clip.left || y1 > clip.bottom || y2 < clip.top) return false;
  x1 = std::max(x1, clip.left);
  x2 = std::min(x2, clip.right);
  y1 = std::max(y1, clip.top);
  y2 = std::min(y2, clip.bottom);
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
  Area clip;
  if (!drawable_clip(clip)) return;
  int sx = sx16, sy = sy16, dx = dx16, dy = dy16, w = w16, h = h16;
  if (dx < clip.left) {
    sx += clip.left - dx;
    w -= clip.left - dx;
    dx = clip.left;
  }
  if (dy < clip.top) {
    sy += clip.top - dy;
    h -= clip.top - dy;
    dy = clip.top;
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
  w = std::min(w, clip.right + 1 - dx);
  h = std::min(h, clip.bottom + 1 - dy);
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
      if (backwards) {
        blit_rows(d, s, w, h, dpitch, spitch, true, [threshold](INT_U32 dp, INT_U32 sp) {
          return blend_pixel(dp, sp, threshold);
        });
      } else {
        const BLEND_ROW row = blend_row_chosen();
        for (int j = 0; j < h; ++j, d += dpitch, s += spitch) row(d, s, w, threshold);
      }
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
