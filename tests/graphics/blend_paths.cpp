// Every blend kernel this processor runs against the blend rule written per
// channel, over all (alpha, source, destination) channel values.
#include <gtest/gtest.h>

#include <vector>

#include "blend_row.h"
#include "image.h"

namespace {

// The rule as defined, one channel at a time.
INT_U32 rule(INT_U32 d, INT_U32 s, INT_U32 threshold) {
  const INT_U32 a = s >> 24;
  if (a == 0) return d;
  if (a >= threshold) return s;
  INT_U32 out = d & 0xFF000000u;
  for (int shift = 0; shift < 24; shift += 8)
    out |= ((((d >> shift) & 0xFF) * (255 - a) + ((s >> shift) & 0xFF) * a) >> 8) << shift;
  return out;
}

// Pixel i of block b: alpha (b >> 8) + i, source channel b + i, destination
// channel i (each of the three colour channels a different bijection of
// them). Over the 65536 blocks of 256 pixels every lane sees every (alpha,
// source, destination) triple, with alphas mixed inside each group.
INT_U32 source_of(int b, int i) {
  const INT_U32 a = ((b >> 8) + i) & 0xFF, v = (b + i) & 0xFF;
  return (a << 24) | (v << 16) | ((255 - v) << 8) | (v ^ 0xA5);
}
INT_U32 dest_of(int i) {
  const INT_U32 v = static_cast<INT_U32>(i);
  return ((v ^ 0x3C) << 24) | ((v ^ 0x5A) << 16) | (v << 8) | (255 - v);
}

TEST(BlendPaths, EveryKernelMatchesTheRuleOnAllChannelCases) {
  const int kBlock = 256, kRows = 256;  // one call covers 256 blocks
  std::vector<INT_U32> s(kBlock * kRows), d(kBlock * kRows);
  for (const BLEND_ROW_PATH& path : blend_row_paths()) {
    for (INT_U32 threshold : {255u, 250u}) {
      for (int hi = 0; hi < 256; ++hi) {
        for (int r = 0; r < kRows; ++r)
          for (int i = 0; i < kBlock; ++i) {
            s[r * kBlock + i] = source_of(hi * 256 + r, i);
            d[r * kBlock + i] = dest_of(i);
          }
        path.row(d.data(), s.data(), kBlock * kRows, threshold);
        for (int r = 0; r < kRows; ++r)
          for (int i = 0; i < kBlock; ++i)
            ASSERT_EQ(d[r * kBlock + i], rule(dest_of(i), source_of(hi * 256 + r, i), threshold))
                << path.name << " threshold " << threshold << " block " << hi * 256 + r
                << " pixel " << i;
      }
    }
  }
}

// Short rows and every tail length, at every threshold edge, touching no
// pixel past the row.
TEST(BlendPaths, EveryKernelHandlesEveryTailAndThreshold) {
  for (const BLEND_ROW_PATH& path : blend_row_paths())
    for (INT_U32 threshold : {0u, 1u, 128u, 250u, 255u})
      for (int w = 0; w <= 19; ++w) {
        std::vector<INT_U32> s(w + 1), d(w + 1), want(w + 1);
        for (int i = 0; i <= w; ++i) {
          s[i] = source_of(w * 37 + i * 101, i * 29);
          d[i] = want[i] = dest_of((i * 53 + w) & 0xFF);
        }
        for (int i = 0; i < w; ++i) want[i] = rule(d[i], s[i], threshold);
        path.row(d.data(), s.data(), w, threshold);
        ASSERT_EQ(d, want) << path.name << " width " << w << " threshold " << threshold;
      }
}

TEST(BlendPaths, TheBlitsUseTheWidestKernel) {
  const auto paths = blend_row_paths();
  ASSERT_FALSE(paths.empty());
  EXPECT_EQ(blend_row_chosen(), paths.back().row) << paths.back().name;
}

}  // namespace
