// Filled rounded rectangles and supersampled circles.
#include <gtest/gtest.h>

#include <functional>

#include "colour.h"
#include "draw_test_util.h"
#include "image.h"

namespace {

using dt::px;
const COLOUR kRed = 0xFFFF0000;

TEST(RoundedFill, DefaultCornerRadius) {
  EXPECT_EQ(IMAGE::default_corner_radius(0, 0, 8, 20), 3);
  EXPECT_EQ(IMAGE::default_corner_radius(0, 0, 20, 5), 2);
  EXPECT_EQ(IMAGE::default_corner_radius(0, 0, 1, 39), 0);
}

TEST(RoundedFill, RadiusRules) {
  struct {
    int x2, y2, radius, mask, filled;
  } cases[] = {
      {1, 39, -1, 15, 0},   // default radius of a 2-wide rectangle is 0: nothing
      {1, 39, 1, 15, 76},   // radius 1: only the four corner pixels fall out
      {9, 9, 4, 0, 100},    // no corners masked: all of it
      {9, 9, 0, 15, 0},
      {9, 9, -5, 15, 0},
  };
  for (const auto& t : cases) {
    IMAGE im(12, 42);
    im.fill_rounded_rect(0, 0, t.x2, t.y2, t.radius, t.mask, &kRed, nullptr, 0, ROUNDED_FILL_BLEND);
    EXPECT_EQ(dt::count(im, kRed), t.filled) << t.radius << " " << t.mask;
    if (t.filled == 0) {
      EXPECT_EQ(im.dirty_left, 65535) << t.radius;
    }
  }
}

TEST(RoundedFill, FirstMaskedCornerDecides) {
  // Radius 10 on 10 x 10: every pixel lies in all four corner squares.
  IMAGE all(10, 10);
  all.fill_rounded_rect(0, 0, 9, 9, 10, 15, &kRed, nullptr, 0, ROUNDED_FILL_BLEND);
  // Top-left decides: a quarter disc around (10, 10).
  EXPECT_NE(px(all, 0, 0), kRed);
  EXPECT_EQ(px(all, 9, 9), kRed);
  EXPECT_NE(px(all, 0, 9), kRed);  // distance sqrt(101): integer part 10
  EXPECT_EQ(px(all, 1, 9), kRed);
  IMAGE no_top_left(10, 10);
  no_top_left.fill_rounded_rect(9, 9, 0, 0, 10, 14, &kRed, nullptr, 0, ROUNDED_FILL_BLEND);
  // Bottom-left decides: a quarter disc around (10, -1).
  EXPECT_EQ(px(no_top_left, 9, 0), kRed);
  EXPECT_NE(px(no_top_left, 9, 9), kRed);
  EXPECT_NE(px(no_top_left, 0, 0), kRed);
}

TEST(RoundedFill, CornerShape) {
  IMAGE im(8, 8);
  im.fill_rounded_rect(0, 0, 7, 7, 3, CORNER_TOP_LEFT, &kRed, nullptr, 0, ROUNDED_FILL_BLEND);
  // Corner square 0..2; centre (3,3): (0,0) 4.2, (1,0) 3.6, (0,1) 3.6, (2,0) 3.2, (1,1) 2.8.
  EXPECT_EQ(dt::count(im, kRed), 64 - 5);
  for (auto [x, y] : {std::pair{0, 0}, {1, 0}, {0, 1}, {2, 0}, {0, 2}}) EXPECT_NE(px(im, x, y), kRed);
  EXPECT_EQ(px(im, 1, 1), kRed);
}

TEST(RoundedFill, Styles) {
  const COLOUR from = 0x10000000, to = 0x20FF8040;
  IMAGE h(11, 3);
  h.fill_rounded_rect(0, 0, 10, 2, 1, 0, &from, &to, 0, ROUNDED_FILL_GRADIENT_H);
  EXPECT_EQ(px(h, 0, 1), 0xFF000000u);
  EXPECT_EQ(px(h, 5, 1), 0xFF7F4020u);
  EXPECT_EQ(px(h, 10, 1), 0xFFFF8040u);
  IMAGE v(3, 11);
  v.fill_rounded_rect(0, 0, 2, 10, 1, 0, &from, &to, 0, ROUNDED_FILL_GRADIENT_V);
  EXPECT_EQ(px(v, 1, 0), 0xFF000000u);
  EXPECT_EQ(px(v, 1, 10), 0xFFFF8040u);
  IMAGE one(1, 3);
  one.fill_rounded_rect(0, 0, 0, 2, 1, 0, &to, &from, 0, ROUNDED_FILL_GRADIENT_H);
  EXPECT_EQ(px(one, 0, 1), 0xFFFF8040u);
  IMAGE shade(4, 4);
  dt::fill(shade, 0x80C86432);
  shade.fill_rounded_rect(0, 0, 3, 3, 1, 0, &kRed, nullptr, 50, ROUNDED_FILL_SHADE);
  EXPECT_EQ(px(shade, 2, 2), 0x80643219u);
  // A percent beyond the 8-bit range is out of range, not wrapped round.
  shade.fill_rounded_rect(0, 0, 3, 3, 1, 0, &kRed, nullptr, 300, ROUNDED_FILL_SHADE);
  EXPECT_EQ(px(shade, 2, 2), 0x80643219u);
  IMAGE blend(4, 4);
  dt::fill(blend, 0xFF000000);
  const COLOUR half = 0x80FFFFFF;
  blend.fill_rounded_rect(0, 0, 3, 3, 1, 0, &half, nullptr, 0, ROUNDED_FILL_BLEND);
  EXPECT_EQ(px(blend, 3, 3), 0xFF7F7F7Fu);
}

TEST(RoundedFill, StaysInsideTheClip) {
  IMAGE im(10, 10);
  im.set_clip(2, 2, 5, 5);
  im.fill_rounded_rect(-20, -20, 30, 30, 1, 0, &kRed, nullptr, 0, ROUNDED_FILL_BLEND);
  EXPECT_EQ(dt::count(im, kRed), 16);
  dt::expect_fatal([] { IMAGE im(5, 5); dt::drop_pixels(im);
    im.fill_rounded_rect(0, 0, 4, 4, 1, 0, &kRed, nullptr, 0, 0); }, 2);
}

TEST(Circle, SizeLimitOfTheCoverageBuffer) {
  for (int radius : {295, 296}) {
    IMAGE im(600, 600);
    COLOUR c = kRed;
    im.draw_circle(300, 300, radius, &c, 0, CIRCLE_FILLED, 0, 0);
    EXPECT_EQ(px(im, 300, 300) == kRed, radius == 295);
  }
}

TEST(Circle, FilledDiscIsSymmetricAndRound) {
  IMAGE im(21, 21);
  COLOUR c = kRed;
  im.draw_circle(10, 10, 8, &c, 0, CIRCLE_FILLED, 0, 0);
  EXPECT_EQ(c, kRed);
  for (int y = 0; y < 21; ++y)
    for (int x = 0; x < 21; ++x) {
      EXPECT_EQ(px(im, x, y), px(im, 20 - x, y));
      EXPECT_EQ(px(im, x, y), px(im, y, x));
      int d2 = (x - 10) * (x - 10) + (y - 10) * (y - 10);
      if (d2 <= 7 * 7) {
        EXPECT_EQ(px(im, x, y), kRed) << x << "," << y;
      }
      if (d2 >= 10 * 10) {
        EXPECT_EQ(px(im, x, y), 0u) << x << "," << y;
      }
    }
}

TEST(Circle, SmoothingGivesEdgesPartialAlpha) {
  IMAGE hard(21, 21), soft(21, 21);
  dt::fill(hard, 0xFF000000);
  dt::fill(soft, 0xFF000000);
  COLOUR c = kRed;
  hard.draw_circle(10, 10, 8, &c, 0, CIRCLE_FILLED, 0, 0);
  soft.draw_circle(10, 10, 8, &c, 0, CIRCLE_FILLED, 0, 1);
  int partial = 0;
  for (int y = 0; y < 21; ++y)
    for (int x = 0; x < 21; ++x) {
      COLOUR s = px(soft, x, y);
      if (s == kRed || s == 0xFF000000u) {
        EXPECT_EQ(px(hard, x, y), s) << x << "," << y;
      } else {
        ++partial;
        EXPECT_EQ(s & 0xFF00FFFFu, 0xFF000000u);  // some red over the black
        EXPECT_EQ(px(hard, x, y), kRed);
      }
    }
  EXPECT_GT(partial, 8);
}

TEST(Circle, OutlineRing) {
  IMAGE im(31, 31);
  COLOUR c = kRed;
  im.draw_circle(15, 15, 10, &c, 0, CIRCLE_OUTLINE, 2, 0);
  EXPECT_EQ(px(im, 15, 15), 0u);
  EXPECT_EQ(px(im, 15, 20), 0u);
  EXPECT_EQ(px(im, 25, 15), kRed);
  EXPECT_EQ(px(im, 15, 5), kRed);
  EXPECT_EQ(px(im, 0, 0), 0u);
  IMAGE none(31, 31);
  none.draw_circle(15, 15, 10, &c, 0, CIRCLE_OUTLINE, 0, 0);
  EXPECT_EQ(dt::count(none, kRed), 0);
}

// A thickness large next to the radius sends the outline's runs past the
// coverage grid; every mark must stay inside it (AddressSanitizer watches).
TEST(Circle, LargeThicknessStaysInsideTheGrid) {
  struct {
    int radius, thickness;
  } cases[] = {{1, 20}, {1, 200}, {2, 150}, {5, 40}, {3, 7}, {1, 1}, {90, 200}};
  for (const auto& t : cases) {
    IMAGE im(400, 400);
    COLOUR c = kRed;
    im.draw_circle(200, 200, t.radius, &c, 0, CIRCLE_OUTLINE, t.thickness, 0);
    int R = t.radius + t.thickness / 2;
    for (int y = 0; y < 400; ++y)
      for (int x = 0; x < 400; ++x)
        if (std::abs(x - 200) > R || std::abs(y - 200) > R) {
          ASSERT_EQ(px(im, x, y), 0u);
        }
    EXPECT_EQ(px(im, 200, 200 - R), kRed) << t.radius << " " << t.thickness;
    EXPECT_EQ(px(im, 200, 200 + R), kRed) << t.radius << " " << t.thickness;
  }
}

TEST(Circle, NothingForEmptyOrHugeSizes) {
  struct {
    int radius, thickness;
  } cases[] = {{0, 10}, {-5, 10}, {5, -20}, {32767, 32767}, {20000, 0}};
  for (const auto& t : cases) {
    IMAGE im(50, 50);
    COLOUR c = kRed;
    im.draw_circle(25, 25, t.radius, &c, 0, CIRCLE_FILLED, t.thickness, 1);
    EXPECT_EQ(dt::count(im, 0), 2500) << t.radius;
  }
}

TEST(Circle, ShadeLightensWithoutWrapping) {
  IMAGE im(21, 21);
  dt::fill(im, 0xFFF0F0F0);
  COLOUR c = kRed;
  im.draw_circle(10, 10, 8, &c, -100, CIRCLE_SHADE, 0, 1);
  EXPECT_EQ(px(im, 10, 10), 0xFFFFFFFFu);
  int partial = 0;
  for (int y = 0; y < 21; ++y)
    for (int x = 0; x < 21; ++x) {
      COLOUR p = px(im, x, y);
      EXPECT_GE(colour_red(p), 0xF0) << x << "," << y;
      partial += p != 0xFFFFFFFFu && p != 0xFFF0F0F0u;
    }
  EXPECT_GT(partial, 0);
  IMAGE dark(21, 21);
  dt::fill(dark, 0xFF808080);
  dark.draw_circle(10, 10, 8, &c, 50, CIRCLE_SHADE, 0, 1);
  EXPECT_EQ(px(dark, 10, 10), 0xFF404040u);
  IMAGE plain(21, 21);
  plain.draw_circle(10, 10, 8, &c, 50, CIRCLE_SHADE, 0, 0);  // no smoothing: the colour
  EXPECT_EQ(px(plain, 10, 10), kRed);
}

TEST(Circle, TranslucentColourIsDenserInside) {
  IMAGE im(21, 21);
  dt::fill(im, 0xFF000000);
  COLOUR c = 0x80FFFFFF;
  im.draw_circle(10, 10, 8, &c, 0, CIRCLE_FILLED, 0, 0);
  EXPECT_EQ(px(im, 10, 10), 0xFFBEBEBEu);  // blended twice: 127, then 190
}

}  // namespace

// A clip saved before a resize and put back afterwards reaches past the
// smaller image. The image here is a 4 x 3 view into a 10 x 10 buffer, so a
// pixel drawn outside it lands in the buffer and shows.
TEST(StaleClip, DrawingStaysOnThePixels) {
  const COLOUR kSentinel = 0xFF123456;
  const std::function<void(IMAGE&)> draws[] = {
      [](IMAGE& im) { COLOUR c = kRed; im.draw_circle(5, 5, 4, &c, 0, CIRCLE_FILLED, 0, 0); },
      [](IMAGE& im) { COLOUR c = kRed; im.draw_circle(5, 5, 4, &c, 50, CIRCLE_SHADE, 2, 1); },
      [](IMAGE& im) { im.fill_rounded_rect(0, 0, 9, 9, 2, 15, &kRed, nullptr, 0, 0); },
      [](IMAGE& im) { im.draw_rect(0, 0, 9, 9, &kRed, 1, 15); },
      [](IMAGE& im) { im.draw_rect(0, 0, 9, 9, &kRed, 3, 15); },
      [](IMAGE& im) { im.xor_rect(0, 0, 9, 9, &kRed); },
      [](IMAGE& im) { im.darken_rect(0, 0, 9, 9, 50); },
      [](IMAGE& im) { im.draw_line(0, 0, 9, 9, &kRed, 1, 0); },
      [](IMAGE& im) { im.draw_line(0, 0, 9, 9, &kRed, 4, 0); },
      [](IMAGE& im) { im.draw_arc(5, 5, 4, 3, &kRed); },
      [](IMAGE& im) { im.draw_rounded_rect(0, 0, 9, 9, &kRed, 3, 15); },
      [](IMAGE& im) { im.greyscale(); },
  };
  int n = 0;
  for (const auto& draw : draws) {
    IMAGE im(10, 10);
    dt::fill(im, kSentinel);
    const INT_S16 l = im.clip_left, r = im.clip_right, t = im.clip_top, b = im.clip_bottom;
    im.width = 4;
    im.height = 3;
    im.clip_left = l;
    im.clip_right = r;
    im.clip_top = t;
    im.clip_bottom = b;
    draw(im);
    im.width = im.height = 10;
    for (int y = 0; y < 10; ++y)
      for (int x = 0; x < 10; ++x)
        if (x >= 4 || y >= 3) {
          EXPECT_EQ(px(im, x, y), kSentinel) << "draw " << n << " at " << x << "," << y;
        }
    ++n;
  }
}
