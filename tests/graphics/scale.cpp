// Image scaling: target sizes, nearest neighbour and the two-pass filter.
#include "scale.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "colour.h"
#include "draw_test_util.h"
#include "image.h"

namespace {

using dt::px;

TEST(Scale, KeptSizesOnlyMarkDirty) {
  IMAGE im(4, 3);
  px(im, 1, 1) = 0xFF123456;
  COLOUR* before = im.pixels;
  im.dirty_left = im.dirty_right = im.dirty_top = im.dirty_bottom = 65535;
  im.scale(0xFFFF, 65535, 0);
  EXPECT_EQ(im.pixels, before);
  EXPECT_EQ(px(im, 1, 1), 0xFF123456u);
  EXPECT_EQ(im.dirty_left, 0);
  EXPECT_EQ(im.dirty_right, 3);
  EXPECT_EQ(im.dirty_bottom, 2);
}

TEST(Scale, NearestNeighbourRepeatsColumns) {
  IMAGE im(4, 2);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 4; ++x) px(im, x, y) = 0xFF000000u | (x << 8) | y;
  im.scale(8, 2, 0);
  ASSERT_EQ(im.width, 8);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 8; ++x) EXPECT_EQ(px(im, x, y), 0xFF000000u | ((x / 2) << 8) | y);
  im.scale(2, 1, 0);
  EXPECT_EQ(px(im, 0, 0), 0xFF000000u);
  EXPECT_EQ(px(im, 1, 0), 0xFF000200u);
}

TEST(Scale, KeepAspectAndLimits) {
  struct {
    int max_w, max_h, w, h, want_w, want_h;
  } cases[] = {
      {0, 0, 50, 65535, 50, 25},
      {0, 0, 0xFFFF, 10, 20, 10},
      {0, 0, 50, 10, 20, 10},   // the height limits more
      {0, 0, 200, 200, 200, 100},
      {40, 0, 80, 65535, 40, 20},
      // Limit on the derived side: clamp it and derive the other once.
      {30, 0, 0xFFFF, 65535, 30, 15},
      {0, 10, 200, 65535, 20, 10},
      {30, 10, 0xFFFF, 65535, 20, 10},
  };
  for (const auto& t : cases) {
    IMAGE im(100, 50);
    im.keep_aspect = 1;
    im.max_width = static_cast<INT_S16>(t.max_w);
    im.max_height = static_cast<INT_U16>(t.max_h);
    im.scale(static_cast<INT_U16>(t.w), static_cast<INT_U16>(t.h), 0);
    EXPECT_EQ(im.width, t.want_w) << t.max_w << " " << t.max_h << " " << t.w << " " << t.h;
    EXPECT_EQ(im.height, t.want_h) << t.max_w << " " << t.max_h << " " << t.w << " " << t.h;
    EXPECT_EQ(im.max_width, t.max_w);
    EXPECT_EQ(im.max_height, t.max_h);
  }
  IMAGE im(100, 50);
  im.max_width = 40;
  im.create(10, 10);
  EXPECT_EQ(im.max_width, 0);
}

TEST(Scale, OddRequestsAreSafe) {
  IMAGE empty(-1, -1);
  empty.keep_aspect = 1;
  empty.scale(10, 65535, 1);  // no aspect to keep: no 0 / 0
  EXPECT_EQ(empty.pixels, nullptr);
  IMAGE tall(1, 1000);
  tall.keep_aspect = 1;
  tall.scale(100, 65535, 0);  // would be 100 x 100000: refused
  EXPECT_EQ(tall.width, 1);
  EXPECT_EQ(tall.height, 1000);
  IMAGE neg(4, 4);
  neg.scale(static_cast<INT_U16>(-5), 4, 0);
  EXPECT_EQ(neg.width, 4);
  IMAGE fixed(4, 4);
  fixed.fixed_size = 1;
  fixed.scale(8, 8, 1);
  EXPECT_EQ(fixed.width, 4);
  IMAGE to_zero(4, 4);
  to_zero.scale(0, 4, 1);
  EXPECT_EQ(to_zero.pixels, nullptr);
}

// The widest image create makes is also a size scale gives.
TEST(Scale, WidestAndTallestImages) {
  for (INT_U8 smooth : {0, 1}) {
    IMAGE wide(2, 1);
    px(wide, 0, 0) = 0xFF0000FF;
    px(wide, 1, 0) = 0xFFFF0000;
    wide.scale(32767, 1, smooth);
    ASSERT_EQ(wide.width, 32767) << int(smooth);
    EXPECT_EQ(px(wide, 0, 0), 0xFF0000FFu);
    EXPECT_EQ(px(wide, 32766, 0), 0xFFFF0000u);
    IMAGE tall(1, 2);
    tall.scale(1, 32767, smooth);
    EXPECT_EQ(tall.height, 32767) << int(smooth);
    wide.scale(32768, 1, smooth);  // too wide: refused
    EXPECT_EQ(wide.width, 32767);
  }
}

TEST(Scale, FilterWeightsForReduction) {
  C2PassScale<CBilinearFilter> scaler;
  SCALE_CONTRIBUTION_TABLE* t = scaler.calc_contributions(2, 4, 0.5);
  EXPECT_EQ(t->window_size, 6);
  EXPECT_EQ(t->line_length, 2);
  EXPECT_EQ(t->contributions[0].left, 0);
  EXPECT_EQ(t->contributions[0].right, 2);
  EXPECT_NEAR(t->contributions[0].weights[0], 2.0 / 3, 1e-12);
  EXPECT_NEAR(t->contributions[0].weights[1], 1.0 / 3, 1e-12);
  EXPECT_NEAR(t->contributions[0].weights[2], 0, 1e-12);
  EXPECT_EQ(t->contributions[1].left, 0);
  EXPECT_EQ(t->contributions[1].right, 3);
  EXPECT_NEAR(t->contributions[1].weights[1], 0.25, 1e-12);
  EXPECT_NEAR(t->contributions[1].weights[2], 0.5, 1e-12);
  EXPECT_NEAR(t->contributions[1].weights[3], 0.25, 1e-12);
  C2PassScale<CBilinearFilter>::free_contributions(t);
}

TEST(Scale, SmoothProductsAreTruncated) {
  IMAGE im(4, 1);
  const COLOUR row[4] = {0xFF5A5A5A, 0xFF1E1E1E, 0xFF646464, 0xFF0A0A0A};
  for (int x = 0; x < 4; ++x) px(im, x, 0) = row[x];
  im.scale(2, 1, 1);
  ASSERT_EQ(im.width, 2);
  EXPECT_EQ(px(im, 0, 0), 0xFF464646u);  // 90 x 2/3 + 30 x 1/3
  EXPECT_EQ(px(im, 1, 0), 0xFD3B3B3Bu);  // 7 + 50 + 2, alpha 63 + 127 + 63
}

TEST(Scale, ProgressCallbackCanAbort) {
  C2PassScale<CBilinearFilter> scaler([](INT_U8) -> INT_U8 { return 0; });
  COLOUR src[4] = {1, 2, 3, 4}, dst[4] = {9, 9, 9, 9};
  EXPECT_EQ(scaler.scale(src, 2, 2, 2, dst, 2, 2, 2), nullptr);
  EXPECT_EQ(scaler.aborted, 1);
  for (COLOUR d : dst) EXPECT_EQ(d, 9u);
  C2PassScale<CBilinearFilter> plain;
  EXPECT_EQ(plain.scale(src, 2, 2, 2, dst, 2, 2, 2), dst);
  EXPECT_EQ(dst[3], 4u);
}

TEST(Scale, RescaleFollowsTheGlobalSetting) {
  IMAGE im(4, 1);
  const COLOUR row[4] = {0xFF5A5A5A, 0xFF1E1E1E, 0xFF646464, 0xFF0A0A0A};
  for (int x = 0; x < 4; ++x) px(im, x, 0) = row[x];
  ASSERT_EQ(fast_image_scaling, 1);
  im.rescale(2, 1);
  EXPECT_EQ(px(im, 0, 0), 0xFF5A5A5Au);
  EXPECT_EQ(px(im, 1, 0), 0xFF646464u);
}

}  // namespace

namespace {

// The vertical pass runs by columns when a progress callback watches and by
// rows otherwise; both give the same pixels.
TEST(Scale, BothPassOrdersAgree) {
  std::vector<COLOUR> src(13 * 11);
  for (size_t i = 0; i < src.size(); ++i) src[i] = static_cast<COLOUR>(i * 2654435761u);
  for (auto [w, h] : {std::pair{5, 4}, {20, 30}, {13, 3}}) {
    std::vector<COLOUR> a(static_cast<size_t>(w) * h), b(a.size());
    C2PassScale<CBilinearFilter> watched([](INT_U8) -> INT_U8 { return 1; }), plain;
    ASSERT_NE(watched.scale(src.data(), 13, 13, 11, a.data(), w, w, h), nullptr);
    ASSERT_NE(plain.scale(src.data(), 13, 13, 11, b.data(), w, w, h), nullptr);
    EXPECT_EQ(a, b) << w << "x" << h;
  }
}

}  // namespace
