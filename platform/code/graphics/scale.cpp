// Image scaling: target size rules, nearest neighbour and the two-pass filter.
#include "scale.h"

#include <immintrin.h>

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "colour.h"
#include "draw_common.h"
#include "errors.h"
#include "image.h"

INT_U8 fast_image_scaling = 1;
bool scale_avx2_allowed = true;

namespace {

void* checked_calloc(size_t count, size_t size) {
  void* p = calloc(count ? count : 1, size ? size : 1);
  if (!p) report_fatal_error(0x20, nullptr);
  return p;
}

// The four channels of a pixel as 32-bit lanes (blue, green, red, alpha).
inline __m128i channels(COLOUR v) {
  const __m128i zero = _mm_setzero_si128();
  return _mm_unpacklo_epi16(_mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(v)), zero), zero);
}

// trunc(channel x w) of all four channels: the same double products and the
// same truncation toward zero as one channel at a time.
inline __m128i truncated_products(__m128i ch, __m128d w) {
  const __m128i lo = _mm_cvttpd_epi32(_mm_mul_pd(_mm_cvtepi32_pd(ch), w));
  const __m128i hi = _mm_cvttpd_epi32(_mm_mul_pd(_mm_cvtepi32_pd(_mm_srli_si128(ch, 8)), w));
  return _mm_unpacklo_epi64(lo, hi);
}

// Each channel's sum kept to 8 bits, packed back into a pixel.
inline COLOUR packed(__m128i sums) {
  const __m128i bytes = _mm_and_si128(sums, _mm_set1_epi32(0xFF));
  const __m128i words = _mm_packs_epi32(bytes, bytes);
  return static_cast<COLOUR>(_mm_cvtsi128_si32(_mm_packus_epi16(words, words)));
}

// Sum of trunc(channel x weight) over the contributors, each channel kept to
// 8 bits in the end (the sums wrap as 32-bit integers do).
inline COLOUR weighted_sum(const COLOUR* src, ptrdiff_t stride, const SCALE_CONTRIBUTION& c) {
  __m128i sums = _mm_setzero_si128();
  const COLOUR* p = src + c.left * stride;
  for (INT_S32 i = 0; i <= c.right - c.left; ++i, p += stride)
    sums = _mm_add_epi32(sums, truncated_products(channels(*p), _mm_set1_pd(c.weights[i])));
  return packed(sums);
}

// One row of the horizontal pass: out[x] is the weighted sum of the row's
// pixels under contribution x.
void scale_row_sse2(const COLOUR* in, COLOUR* out, INT_U32 width, const SCALE_CONTRIBUTION* c) {
  for (INT_U32 x = 0; x < width; ++x) out[x] = weighted_sum(in, 1, c[x]);
}

// The same with the four channels' products in one vector of doubles: the
// same products, truncated the same way.
__attribute__((target("avx2"))) void scale_row_avx2(const COLOUR* in, COLOUR* out, INT_U32 width,
                                                    const SCALE_CONTRIBUTION* c) {
  for (INT_U32 x = 0; x < width; ++x) {
    __m128i sums = _mm_setzero_si128();
    const COLOUR* p = in + c[x].left;
    const double* w = c[x].weights;
    for (INT_S32 i = 0; i <= c[x].right - c[x].left; ++i) {
      const __m256d ch = _mm256_cvtepi32_pd(_mm_cvtepu8_epi32(_mm_cvtsi32_si128(static_cast<int>(p[i]))));
      sums = _mm_add_epi32(sums, _mm256_cvttpd_epi32(_mm256_mul_pd(ch, _mm256_set1_pd(w[i]))));
    }
    out[x] = packed(sums);
  }
}

typedef void (*SCALE_ROW)(const COLOUR*, COLOUR*, INT_U32, const SCALE_CONTRIBUTION*);

bool avx2_supported() {
  static const bool supported = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") != 0;
  }();
  return supported && scale_avx2_allowed;
}

SCALE_ROW scale_row_chosen() { return avx2_supported() ? scale_row_avx2 : scale_row_sse2; }

// One output row of the vertical pass from `count` source rows and their
// weights, four channels per vector of doubles.
__attribute__((target("avx2"))) void vertical_row_avx2(const COLOUR* const* rows, const double* weights,
                                                       INT_S32 count, COLOUR* out, INT_U32 width) {
  for (INT_U32 x = 0; x < width; ++x) {
    __m128i sums = _mm_setzero_si128();
    for (INT_S32 i = 0; i < count; ++i) {
      const __m256d ch =
          _mm256_cvtepi32_pd(_mm_cvtepu8_epi32(_mm_cvtsi32_si128(static_cast<int>(rows[i][x]))));
      sums = _mm_add_epi32(sums, _mm256_cvttpd_epi32(_mm256_mul_pd(ch, _mm256_set1_pd(weights[i]))));
    }
    out[x] = packed(sums);
  }
}

// The filter's edges give the outermost contributors a weight of exactly 0,
// whose products are 0 and add nothing: they are dropped from a pass's own
// table, which leaves every sum as it was.
void drop_zero_weights(SCALE_CONTRIBUTION_TABLE* table) {
  for (INT_S32 u = 0; u < table->line_length; ++u) {
    SCALE_CONTRIBUTION& c = table->contributions[u];
    INT_S32 first = 0, last = c.right - c.left;
    while (first <= last && c.weights[first] == 0.0) ++first;
    while (last >= first && c.weights[last] == 0.0) --last;
    if (first > 0 && first <= last)
      memmove(c.weights, c.weights + first, static_cast<size_t>(last - first + 1) * sizeof(double));
    c.left += first;
    c.right = c.left + (last - first);
  }
}

// trunc(v x w) for every channel value v of one weight: the vertical pass
// looks its products up instead of multiplying, four per pixel.
void fill_products(INT_S32* table, double w) {
  for (int v = 0; v < 256; ++v) table[v] = static_cast<INT_S32>(v * w);
}

}  // namespace

template <class Filter>
SCALE_CONTRIBUTION_TABLE* C2PassScale<Filter>::calc_contributions(INT_U32 line_length,
                                                                   INT_U32 src_length,
                                                                   double scale) {
  Filter filter(1.0);
  double half_width, f;
  if (scale < 1.0) {
    half_width = 1.0 / scale;
    f = scale;
  } else {
    half_width = 1.0;
    f = 1.0;
  }
  auto* table = static_cast<SCALE_CONTRIBUTION_TABLE*>(checked_calloc(1, sizeof(SCALE_CONTRIBUTION_TABLE)));
  table->window_size = 2 * static_cast<INT_S32>(std::ceil(half_width)) + 2;
  table->line_length = static_cast<INT_S32>(line_length);
  table->contributions = static_cast<SCALE_CONTRIBUTION*>(
      checked_calloc(line_length, sizeof(SCALE_CONTRIBUTION)));
  const INT_S32 last = static_cast<INT_S32>(src_length) - 1;
  for (INT_U32 u = 0; u < line_length; ++u) {
    const double centre = u / scale;
    INT_S32 left = static_cast<INT_S32>(std::floor(centre - half_width));
    INT_S32 right = static_cast<INT_S32>(std::ceil(centre + half_width));
    if (left < 0) left = 0;
    if (right > last) right = last;
    if (right - left >= table->window_size) {
      if (left < last / 2)
        ++left;
      else
        --right;
    }
    SCALE_CONTRIBUTION& c = table->contributions[u];
    c.left = left;
    c.right = right;
    const INT_S32 count = right - left + 1 > 0 ? right - left + 1 : 0;
    c.weights = static_cast<double*>(checked_calloc(count, sizeof(double)));
    double total = 0;
    for (INT_S32 i = left; i <= right; ++i) {
      double w = f * filter.filter(f * (centre - i));
      c.weights[i - left] = w;
      total += w;
    }
    if (total > 0)
      for (INT_S32 i = 0; i < count; ++i) c.weights[i] /= total;
  }
  return table;
}

template <class Filter>
void C2PassScale<Filter>::free_contributions(SCALE_CONTRIBUTION_TABLE* table) {
  if (!table) return;
  for (INT_S32 u = 0; u < table->line_length; ++u) free(table->contributions[u].weights);
  free(table->contributions);
  free(table);
}

template <class Filter>
void C2PassScale<Filter>::scale_horizontally(const COLOUR* src, INT_U32 src_width,
                                             INT_U32 src_pitch, INT_U32 rows, COLOUR* dst,
                                             INT_U32 dst_width, INT_U32 dst_pitch) {
  SCALE_CONTRIBUTION_TABLE* table =
      calc_contributions(dst_width, src_width, double(dst_width) / double(src_width));
  drop_zero_weights(table);
  const SCALE_ROW row = scale_row_chosen();
  for (INT_U32 y = 0; y < rows; ++y) {
    if (progress && !progress(static_cast<INT_U8>(double(y) / rows * 50))) {
      aborted = 1;
      break;
    }
    const COLOUR* in = src + static_cast<size_t>(y) * src_pitch;
    COLOUR* out = dst + static_cast<size_t>(y) * dst_pitch;
    row(in, out, dst_width, table->contributions);
  }
  free_contributions(table);
}

template <class Filter>
void C2PassScale<Filter>::scale_vertically(const COLOUR* src, INT_U32 src_pitch,
                                           INT_U32 src_height, COLOUR* dst, INT_U32 width,
                                           INT_U32 dst_pitch, INT_U32 dst_height) {
  SCALE_CONTRIBUTION_TABLE* table =
      calc_contributions(dst_height, src_height, double(dst_height) / double(src_height));
  drop_zero_weights(table);
  if (progress) {
    // Column by column, so that the callback sees the progress it expects.
    for (INT_U32 x = 0; x < width; ++x) {
      if (!progress(static_cast<INT_U8>(50 + double(x) / width * 50))) {
        aborted = 1;
        break;
      }
      for (INT_U32 y = 0; y < dst_height; ++y)
        dst[static_cast<size_t>(y) * dst_pitch + x] =
            weighted_sum(src + x, static_cast<ptrdiff_t>(src_pitch), table->contributions[y]);
    }
  } else {
    // Row by row, the way memory lies: the contributors of one output row
    // share their weights, so their truncated products come from tables.
    const size_t window = static_cast<size_t>(table->window_size);
    auto* products = static_cast<INT_S32*>(checked_calloc(window * 256, sizeof(INT_S32)));
    auto* rows = static_cast<const COLOUR**>(checked_calloc(window, sizeof(COLOUR*)));
    for (INT_U32 y = 0; y < dst_height; ++y) {
      const SCALE_CONTRIBUTION& c = table->contributions[y];
      const INT_S32 count = c.right - c.left + 1;  // at most the window, by its construction
      for (INT_S32 i = 0; i < count; ++i) {
        if (!avx2_supported()) fill_products(products + i * 256, c.weights[i]);
        rows[i] = src + static_cast<size_t>(c.left + i) * src_pitch;
      }
      COLOUR* out = dst + static_cast<size_t>(y) * dst_pitch;
      if (avx2_supported()) {
        vertical_row_avx2(rows, c.weights, count, out, width);
        continue;
      }
      for (INT_U32 x = 0; x < width; ++x) {
        INT_U32 a = 0, r = 0, g = 0, b = 0;
        for (INT_S32 i = 0; i < count; ++i) {
          const INT_S32* t = products + i * 256;
          const COLOUR v = rows[i][x];
          a += static_cast<INT_U32>(t[v >> 24]);
          r += static_cast<INT_U32>(t[(v >> 16) & 0xFF]);
          g += static_cast<INT_U32>(t[(v >> 8) & 0xFF]);
          b += static_cast<INT_U32>(t[v & 0xFF]);
        }
        out[x] = ((a & 0xFF) << 24) | ((r & 0xFF) << 16) | ((g & 0xFF) << 8) | (b & 0xFF);
      }
    }
    free(rows);
    free(products);
  }
  free_contributions(table);
}

template <class Filter>
COLOUR* C2PassScale<Filter>::scale(const COLOUR* src, INT_U32 src_width, INT_U32 src_pitch,
                                   INT_U32 src_height, COLOUR* dst, INT_U32 dst_width,
                                   INT_U32 dst_pitch, INT_U32 dst_height) {
  aborted = 0;
  if (!src || !dst || !src_width || !src_height || !dst_width || !dst_height) return dst;
  // Not cleared: the horizontal pass writes every pixel the vertical one
  // reads, and fresh zeroed pages for a whole image cost more than a pass.
  const size_t middle_size = static_cast<size_t>(dst_pitch) * src_height * sizeof(COLOUR);
  auto* middle = static_cast<COLOUR*>(malloc(middle_size ? middle_size : 1));
  if (!middle) report_fatal_error(0x20, nullptr);
  scale_horizontally(src, src_width, src_pitch, src_height, middle, dst_width, dst_pitch);
  if (!aborted) scale_vertically(middle, dst_pitch, src_height, dst, dst_width, dst_pitch, dst_height);
  free(middle);
  return aborted ? nullptr : dst;
}

template class C2PassScale<CBilinearFilter>;

void IMAGE::rescale(INT_S16 new_width, INT_S16 new_height) {
  scale(static_cast<INT_U16>(new_width), static_cast<INT_U16>(new_height), !fast_image_scaling);
}

void IMAGE::scale(INT_U16 width_arg, INT_U16 height_arg, INT_U8 smooth) {
  if (fixed_size) return;
  const int W = width, H = height;
  int w = static_cast<INT_S16>(width_arg), h = static_cast<INT_S16>(height_arg);
  enum { NONE, HEIGHT_FROM_WIDTH, WIDTH_FROM_HEIGHT } derive = NONE;
  if (w == -1) w = W;
  if (h == -1) h = H;
  // An empty image has no aspect to keep (and W / width would be 0 / 0).
  if (keep_aspect && W > 0 && H > 0) {
    if (static_cast<INT_S16>(width_arg) == -1)
      derive = WIDTH_FROM_HEIGHT;
    else if (static_cast<INT_S16>(height_arg) == -1)
      derive = HEIGHT_FROM_WIDTH;
    else
      derive = double(W) / w > double(H) / h ? HEIGHT_FROM_WIDTH : WIDTH_FROM_HEIGHT;
  }
  if (w < 0 || h < 0) return;
  if (max_width >= 1 && w > max_width) w = max_width;
  if (max_height >= 1 && h > max_height) h = max_height;
  auto derived = [](int from, int num, int den) -> INT_S64 {
    double v = double(num) * from / den;
    return v < 4e9 ? static_cast<INT_S64>(v) : INT_S64(4e9);
  };
  if (derive == HEIGHT_FROM_WIDTH) {
    INT_S64 d = derived(w, H, W);
    if (max_height >= 1 && d > max_height) {
      // Limit the derived side and derive the other from it once; starting
      // over with the same values would never end.
      h = max_height;
      w = static_cast<int>(derived(h, W, H));
    } else {
      h = static_cast<int>(d > 40000 ? 40000 : d);
    }
  } else if (derive == WIDTH_FROM_HEIGHT) {
    INT_S64 d = derived(h, W, H);
    if (max_width >= 1 && d > max_width) {
      w = max_width;
      h = static_cast<int>(derived(w, H, W));
    } else {
      w = static_cast<int>(d > 40000 ? 40000 : d);
    }
  }
  // Sizes an image cannot hold are refused, the image stays as it was.
  if (w > 32767 || h > 32767) return;
  if (w == W && h == H) {
    if (W > 0 && H > 0) add_dirty_rect(x, y, static_cast<INT_S16>(x + W - 1), static_cast<INT_S16>(y + H - 1));
    return;
  }

  COLOUR* old = pixels;
  const int old_pitch = pitch;
  const INT_S16 keep_max_width = max_width;
  const INT_U16 keep_max_height = max_height;
  if (old) add_dirty_rect(x, y, static_cast<INT_S16>(x + W - 1), static_cast<INT_S16>(y + H - 1));
  pixels = nullptr;
  create(static_cast<INT_S16>(w), static_cast<INT_S16>(h));
  max_width = keep_max_width;
  max_height = keep_max_height;
  if (!old) return;
  if (pixels && width && height) {
    if (smooth) {
      C2PassScale<CBilinearFilter> scaler;
      scaler.scale(old, W, old_pitch, H, pixels, width, pitch, height);
    } else {
      const INT_U64 step_x = (INT_U64(W) << 16) / width, step_y = (INT_U64(H) << 16) / height;
      for (int j = 0; j < height; ++j) {
        const COLOUR* in = old + static_cast<ptrdiff_t>((j * step_y) >> 16) * old_pitch;
        COLOUR* out = pixels + static_cast<ptrdiff_t>(j) * pitch;
        for (int i = 0; i < width; ++i) out[i] = in[(i * step_x) >> 16];
      }
    }
  }
  free(old);
}
