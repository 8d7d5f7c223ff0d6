// Smooth scaling gives the pixels of the plain per-channel two-pass code, kept
// here as the reference, on sizes up, down, to and from one pixel, odd, and
// with the aspect kept; the progress callback sees the same sequence.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "image.h"
#include "scale.h"

namespace {

struct Contribution {
  std::vector<double> weights;
  int left, right;
};

std::vector<Contribution> contributions(int line_length, int src_length, double scale) {
  CBilinearFilter filter(1.0);
  const double half_width = scale < 1.0 ? 1.0 / scale : 1.0, f = scale < 1.0 ? scale : 1.0;
  const int window = 2 * static_cast<int>(std::ceil(half_width)) + 2, last = src_length - 1;
  std::vector<Contribution> out(line_length);
  for (int u = 0; u < line_length; ++u) {
    const double centre = u / scale;
    int left = static_cast<int>(std::floor(centre - half_width));
    int right = static_cast<int>(std::ceil(centre + half_width));
    if (left < 0) left = 0;
    if (right > last) right = last;
    if (right - left >= window) {
      if (left < last / 2)
        ++left;
      else
        --right;
    }
    Contribution& c = out[u];
    c.left = left;
    c.right = right;
    double total = 0;
    for (int i = left; i <= right; ++i) {
      c.weights.push_back(f * filter.filter(f * (centre - i)));
      total += c.weights.back();
    }
    if (total > 0)
      for (double& w : c.weights) w /= total;
  }
  return out;
}

COLOUR weighted_sum(const COLOUR* src, ptrdiff_t stride, const Contribution& c) {
  INT_U32 a = 0, r = 0, g = 0, b = 0;
  const COLOUR* p = src + c.left * stride;
  for (int i = 0; i <= c.right - c.left; ++i, p += stride) {
    const double w = c.weights[i];
    a += static_cast<INT_U32>(static_cast<INT_S32>(((*p >> 24) & 0xFF) * w));
    r += static_cast<INT_U32>(static_cast<INT_S32>(((*p >> 16) & 0xFF) * w));
    g += static_cast<INT_U32>(static_cast<INT_S32>(((*p >> 8) & 0xFF) * w));
    b += static_cast<INT_U32>(static_cast<INT_S32>((*p & 0xFF) * w));
  }
  return ((a & 0xFF) << 24) | ((r & 0xFF) << 16) | ((g & 0xFF) << 8) | (b & 0xFF);
}

// Rows to the new width, then columns to the new height; `percents` collects
// what a progress callback would be told.
std::vector<COLOUR> reference_scale(const std::vector<COLOUR>& src, int sw, int sh, int dw, int dh,
                                    std::vector<int>* percents = nullptr) {
  std::vector<COLOUR> middle(static_cast<size_t>(dw) * sh), out(static_cast<size_t>(dw) * dh);
  const auto across = contributions(dw, sw, double(dw) / sw);
  for (int y = 0; y < sh; ++y) {
    if (percents) percents->push_back(static_cast<INT_U8>(double(y) / sh * 50));
    for (int x = 0; x < dw; ++x)
      middle[static_cast<size_t>(y) * dw + x] = weighted_sum(&src[static_cast<size_t>(y) * sw], 1, across[x]);
  }
  const auto down = contributions(dh, sh, double(dh) / sh);
  for (int x = 0; x < dw; ++x) {
    if (percents) percents->push_back(static_cast<INT_U8>(50 + double(x) / dw * 50));
    for (int y = 0; y < dh; ++y)
      out[static_cast<size_t>(y) * dw + x] = weighted_sum(&middle[x], dw, down[y]);
  }
  return out;
}

// Every channel value, all alphas, in no order the scaler could favour.
std::vector<COLOUR> noise(int w, int h, INT_U32 seed) {
  std::vector<COLOUR> v(static_cast<size_t>(w) * h);
  for (COLOUR& c : v) c = seed = seed * 1664525u + 1013904223u;
  return v;
}

struct Size {
  int sw, sh, dw, dh;
};
const Size kSizes[] = {{1024, 768, 800, 600}, {64, 48, 200, 150}, {1, 1, 7, 5},  {37, 23, 1, 1},
                       {13, 11, 5, 4},        {13, 11, 20, 30},   {101, 7, 33, 29}, {9, 300, 31, 3},
                       {3, 3, 3, 3},          {640, 480, 97, 71}};

// Each case with the widest kernels this processor runs and with the baseline.
TEST(ScaleReference, ImagesMatchThePlainCode) {
  for (bool avx2 : {true, false}) {
    scale_avx2_allowed = avx2;
    INT_U32 seed = 7;
    for (const Size& z : kSizes) {
      const auto src = noise(z.sw, z.sh, seed++);
      IMAGE im(static_cast<INT_S16>(z.sw), static_cast<INT_S16>(z.sh));
      for (int y = 0; y < z.sh; ++y) std::copy_n(&src[static_cast<size_t>(y) * z.sw], z.sw, im.pixel_at(0, y));
      im.scale(static_cast<INT_U16>(z.dw), static_cast<INT_U16>(z.dh), 1);
      ASSERT_EQ(im.width, z.dw);
      ASSERT_EQ(im.height, z.dh);
      const auto want = reference_scale(src, z.sw, z.sh, z.dw, z.dh);
      for (int y = 0; y < z.dh; ++y)
        for (int x = 0; x < z.dw; ++x)
          ASSERT_EQ(*im.pixel_at(x, y), want[static_cast<size_t>(y) * z.dw + x])
              << z.sw << "x" << z.sh << " -> " << z.dw << "x" << z.dh << " at " << x << "," << y
              << (avx2 ? "" : " without AVX2");
    }
  }
  scale_avx2_allowed = true;
}

TEST(ScaleReference, KeptAspectMatchesThePlainCode) {
  const auto src = noise(120, 80, 99);
  IMAGE im(120, 80);
  for (int y = 0; y < 80; ++y) std::copy_n(&src[y * 120], 120, im.pixel_at(0, y));
  im.keep_aspect = 1;
  im.scale(45, 45, 1);
  ASSERT_EQ(im.width, 45);
  ASSERT_EQ(im.height, 30);
  const auto want = reference_scale(src, 120, 80, 45, 30);
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 45; ++x) ASSERT_EQ(*im.pixel_at(x, y), want[y * 45 + x]) << x << "," << y;
}

std::vector<int>* g_percents;

TEST(ScaleReference, WatchedScalingMatchesPixelsAndProgress) {
  for (bool avx2 : {true, false}) {
    scale_avx2_allowed = avx2;
    for (const Size& z : {Size{50, 40, 23, 61}, Size{7, 9, 30, 2}}) {
      const auto src = noise(z.sw, z.sh, 3);
      std::vector<int> want_percents, percents;
      const auto want = reference_scale(src, z.sw, z.sh, z.dw, z.dh, &want_percents);
      g_percents = &percents;
      C2PassScale<CBilinearFilter> scaler([](INT_U8 p) -> INT_U8 {
        g_percents->push_back(p);
        return 1;
      });
      std::vector<COLOUR> out(static_cast<size_t>(z.dw) * z.dh);
      ASSERT_NE(scaler.scale(src.data(), z.sw, z.sw, z.sh, out.data(), z.dw, z.dw, z.dh), nullptr);
      EXPECT_EQ(out, want) << (avx2 ? "" : "without AVX2");
      EXPECT_EQ(percents, want_percents);
    }
  }
  scale_avx2_allowed = true;
}

}  // namespace
