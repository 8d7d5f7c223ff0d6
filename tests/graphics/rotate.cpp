// Rotation by an angle.
#include <gtest/gtest.h>

#include <cmath>

#include "colour.h"
#include "draw_test_util.h"
#include "image.h"

namespace {

using dt::px;

// The turned size and the source of each pixel, in single precision, as the
// rotation is defined; at 90 degrees cos is not exactly 0, so the result is
// not an exact transpose.
struct Turn {
  float s, c, min_x, min_y;
  int w, h;
};

Turn turn(float angle, int w, int h) {
  Turn t;
  t.s = std::sin(angle);
  t.c = std::cos(angle);
  float xs[3] = {w * t.c, -h * t.s, w * t.c - h * t.s};
  float ys[3] = {w * t.s, h * t.c, w * t.s + h * t.c};
  float min_x = 0, min_y = 0, max_x = xs[0], max_y = ys[0];
  for (int i = 0; i < 3; ++i) {
    min_x = std::min(min_x, xs[i]);
    min_y = std::min(min_y, ys[i]);
    max_x = std::max(max_x, xs[i]);
    max_y = std::max(max_y, ys[i]);
  }
  t.min_x = min_x;
  t.min_y = min_y;
  t.w = static_cast<int>(std::ceil(std::fabs(max_x) - min_x));
  t.h = static_cast<int>(std::ceil(std::fabs(max_y) - min_y));
  return t;
}

void fill_pattern(IMAGE& im) {
  for (int y = 0; y < im.height; ++y)
    for (int x = 0; x < im.width; ++x) px(im, x, y) = 0xFF000000u | (x << 8) | y;
}

TEST(Rotate, MatchesTheSinglePrecisionMapping) {
  struct {
    float degrees;
    int w, h, want_w, want_h;
  } cases[] = {{0, 5, 3, 5, 3}, {90, 4, 3, 4, 4}, {180, 4, 3, 5, 4}, {30, 6, 4, 8, 7}, {-45, 5, 5, 8, 8}};
  for (const auto& t : cases) {
    IMAGE im(static_cast<INT_S16>(t.w), static_cast<INT_S16>(t.h));
    fill_pattern(im);
    IMAGE orig(1, 1);
    orig.copy_from(&im);
    im.rotate_degrees(t.degrees);
    Turn k = turn(static_cast<float>(t.degrees * 3.1415926535898 / 180), t.w, t.h);
    ASSERT_EQ(im.width, k.w) << t.degrees;
    ASSERT_EQ(im.height, k.h) << t.degrees;
    EXPECT_EQ(im.width, t.want_w) << t.degrees;
    EXPECT_EQ(im.height, t.want_h) << t.degrees;
    for (int y = 0; y < im.height; ++y)
      for (int x = 0; x < im.width; ++x) {
        float sx = k.c * (x + k.min_x) + k.s * (y + k.min_y);
        float sy = k.c * (y + k.min_y) - k.s * (x + k.min_x);
        int ix = static_cast<int>(sx), iy = static_cast<int>(sy);
        COLOUR want = ix >= 0 && ix < t.w && iy >= 0 && iy < t.h ? px(orig, ix, iy) : 0;
        EXPECT_EQ(px(im, x, y), want) << t.degrees << " at " << x << "," << y;
      }
  }
}

TEST(Rotate, ZeroKeepsEveryPixelAndQuarterTurnIsClockwise) {
  IMAGE im(3, 2);
  fill_pattern(im);
  im.rotate(0);
  EXPECT_EQ(im.width, 3);
  EXPECT_EQ(px(im, 2, 1), 0xFF000201u);
  IMAGE q(4, 3);
  px(q, 0, 0) = 0xFFFF0000;
  q.rotate_degrees(90);
  // The old top-left corner lands at the top right; column 0 stays empty.
  EXPECT_EQ(px(q, 3, 0), 0xFFFF0000u);
  for (int y = 0; y < q.height; ++y) EXPECT_EQ(px(q, 0, y), 0u);
}

TEST(Rotate, EmptyFixedAndImpossibleSizes) {
  IMAGE empty(-1, -1);
  empty.rotate(1.0f);
  EXPECT_EQ(empty.width, 0);
  EXPECT_EQ(empty.pixels, nullptr);

  IMAGE fixed(4, 2);
  fill_pattern(fixed);
  fixed.fixed_size = 1;
  COLOUR* before = fixed.pixels;
  fixed.rotate_degrees(90);
  EXPECT_EQ(fixed.width, 4);
  EXPECT_EQ(fixed.height, 2);
  EXPECT_EQ(fixed.pixels, before);
  EXPECT_EQ(px(fixed, 3, 1), 0xFF000301u);

  IMAGE odd(4, 2);
  fill_pattern(odd);
  odd.rotate(NAN);
  odd.rotate(INFINITY);
  EXPECT_EQ(odd.width, 4);
  EXPECT_EQ(px(odd, 3, 1), 0xFF000301u);
}

TEST(Rotate, QuarterTurnOfTheTallestImageIsTheWidest) {
  IMAGE tall(1, 32767);
  tall.rotate_degrees(90);
  EXPECT_EQ(tall.width, 32767);
  EXPECT_NE(tall.pixels, nullptr);
}

TEST(Rotate, NewAreaIsDirtyAndClipReset) {
  IMAGE im(4, 3);
  im.set_clip(1, 1, 1, 1);
  im.dirty_left = im.dirty_right = im.dirty_top = im.dirty_bottom = 65535;
  im.rotate_degrees(90);
  EXPECT_EQ(im.clip_left, 0);
  EXPECT_EQ(im.clip_right, im.width - 1);
  EXPECT_EQ(im.dirty_left, 0);
  EXPECT_EQ(im.dirty_right, im.width - 1);
  EXPECT_EQ(im.dirty_bottom, im.height - 1);
}

}  // namespace
