// Pixel blending, lines, arcs and rounded outlines.
#include <gtest/gtest.h>

#include "colour.h"
#include "draw_test_util.h"
#include "image.h"

namespace {

using dt::px;
const COLOUR kRed = 0xFFFF0000;

TEST(BlendPixel, Rule) {
  struct {
    COLOUR pixel, colour, want;
  } cases[] = {
      {0xFF000000, 0xF9FFFFFF, 0xFFF8F8F8},  // alpha 249 mixes, pixel alpha kept
      {0x10000000, 0xFAFFFFFF, 0xFAFFFFFF},  // alpha 250 stores the colour whole
      {0x12345678, 0x00FFFFFF, 0x12345678},  // alpha 0 leaves it
      {0xFF000000, 0x80FFFFFF, 0xFF7F7F7F},
      {0x00000000, 0x80FFFFFF, 0x007F7F7F},
      {0xFF204060, 0x40A0C0E0, 0xFF3F5F7F},
  };
  IMAGE im(1, 1);
  for (const auto& t : cases) {
    COLOUR p = t.pixel;
    EXPECT_EQ(im.blend_pixel(&p, &t.colour), t.want) << std::hex << t.colour;
    EXPECT_EQ(p, t.want);
  }
}

struct LineCase {
  int x1, y1, x2, y2, thickness;
  const char* pixels;  // "x,y " in row order
};

TEST(Line, Pixels) {
  const LineCase cases[] = {
      {5, 5, 5, 5, 1, "5,5 "},
      {0, 3, 10, 0, 1, "10,0 7,1 8,1 9,1 4,2 5,2 6,2 0,3 1,3 2,3 3,3 "},
      {10, 0, 0, 3, 1, "10,0 7,1 8,1 9,1 4,2 5,2 6,2 0,3 1,3 2,3 3,3 "},
      {1, 0, 2, 4, 0, "1,0 1,1 1,2 1,3 2,4 "},
      // End points outside the image are clamped into it.
      {-5, 2, 4, 2, 1, "0,2 1,2 2,2 3,2 4,2 "},
      {3, -5, 3, 40, 1, "3,0 3,1 3,2 3,3 3,4 3,5 3,6 3,7 3,8 3,9 "},
      // A line from far outside stops at its clamped end.
      {-300, 1, 2, 1, 1, "0,1 1,1 2,1 "},
      {2, 5, 6, 5, 3, "2,4 3,4 4,4 5,4 6,4 2,5 3,5 4,5 5,5 6,5 2,6 3,6 4,6 5,6 6,6 "},
      {5, 2, 5, 3, 2, "4,2 5,2 4,3 5,3 "},
  };
  for (const auto& t : cases) {
    IMAGE im(12, 10);
    im.draw_line(t.x1, t.y1, t.x2, t.y2, &kRed, t.thickness, 0);
    EXPECT_EQ(dt::where(im, kRed), t.pixels) << t.x1 << "," << t.y1 << "-" << t.x2 << "," << t.y2;
  }
}

TEST(Line, ThickHorizontalRows) {
  for (int thickness : {3, 4}) {
    IMAGE im(30, 20);
    im.draw_line(0, 10, 20, 10, &kRed, thickness, 1);
    int first = thickness == 3 ? 9 : 8;
    for (int y = 0; y < 20; ++y)
      for (int x = 0; x < 30; ++x)
        EXPECT_EQ(px(im, x, y) == kRed, y >= first && y <= 11 && x <= 20) << x << "," << y;
  }
}

TEST(Line, ClipAndDirtyRectangle) {
  IMAGE im(20, 20);
  im.set_clip(5, 0, 9, 19);
  im.dirty_left = im.dirty_right = im.dirty_top = im.dirty_bottom = 65535;
  im.draw_line(-10, 3, 30, 3, &kRed, 1, 0);
  EXPECT_EQ(dt::where(im, kRed), "5,3 6,3 7,3 8,3 9,3 ");
  EXPECT_EQ(im.dirty_left, 0);
  EXPECT_EQ(im.dirty_right, 19);
  EXPECT_EQ(im.dirty_top, 3);
  EXPECT_EQ(im.dirty_bottom, 3);
}

TEST(Line, BlendsOnlyWhenAsked) {
  IMAGE im(4, 1);
  dt::fill(im, 0xFF000000);
  const COLOUR half = 0x80FFFFFF;
  im.draw_line(0, 0, 1, 0, &half, 1, 1);
  im.draw_line(2, 0, 3, 0, &half, 1, 0);
  EXPECT_EQ(px(im, 0, 0), 0xFF7F7F7Fu);
  EXPECT_EQ(px(im, 3, 0), 0x80FFFFFFu);
}

TEST(Line, InvisibleColourAndMissingPixelsAreFatal) {
  const COLOUR invisible = 0x00FFFFFF;
  dt::expect_fatal([&] { IMAGE im(5, 5); im.draw_line(0, 0, 4, 4, &invisible, 1, 1); }, 3);
  dt::expect_fatal([&] { IMAGE im(5, 5); im.draw_arc(0, 0, 3, 1, &invisible); }, 3);
  dt::expect_fatal([&] { IMAGE im(5, 5); im.draw_rounded_rect(0, 0, 4, 4, &invisible, 1, 15); }, 3);
  dt::expect_fatal([&] { IMAGE im(5, 5); dt::drop_pixels(im); im.draw_line(0, 0, 4, 4, &kRed, 1, 1); }, 2);
  // A disabled image or an unset clip draws nothing and raises nothing.
  dt::expect_no_exit([&] {
    IMAGE im(5, 5);
    im.enabled = 0;
    im.draw_line(0, 0, 4, 4, &invisible, 1, 1);
    IMAGE empty(-1, -1);
    empty.draw_rounded_rect(0, 0, 4, 4, &invisible, 1, 15);
  });
}

TEST(Arc, Quadrants) {
  struct {
    int x, y, quadrant;
    const char* pixels;
  } cases[] = {
      {0, 0, 1, "3,0 1,1 2,1 1,2 0,3 "},
      {3, 0, 2, "0,0 1,1 2,1 2,2 3,3 "},
      {0, 3, 4, "0,0 0,1 1,2 2,2 3,3 "},
      {3, 3, 8, "3,0 3,1 1,2 2,2 0,3 "},
      {0, 0, 0, ""},
      {0, 0, 3 | 16, "3,0 1,1 2,1 1,2 0,3 "},  // the first set bit counts
  };
  for (const auto& t : cases) {
    IMAGE im(4, 4);
    im.draw_arc(t.x, t.y, 3, t.quadrant, &kRed);
    EXPECT_EQ(dt::where(im, kRed), t.pixels) << t.quadrant;
  }
}

TEST(RoundedOutline, RadiusZeroIsPlainOutline) {
  IMAGE a(12, 10), b(12, 10);
  a.draw_rounded_rect(1, 1, 10, 8, &kRed, 0, 15);
  b.draw_rect(1, 1, 10, 8, &kRed, 1, 15);
  EXPECT_EQ(dt::where(a, kRed), dt::where(b, kRed));
}

TEST(RoundedOutline, CornersAndDefaultRadius) {
  IMAGE im(9, 9);
  // Default radius of a 9 x 9 rectangle is 3; only the top-left corner round.
  im.draw_rounded_rect(0, 0, 8, 8, &kRed, 65535, 1);
  EXPECT_NE(px(im, 0, 0), kRed);
  EXPECT_EQ(px(im, 3, 0), kRed);
  EXPECT_EQ(px(im, 0, 3), kRed);
  EXPECT_EQ(px(im, 1, 1), kRed);
  for (auto [x, y] : {std::pair{8, 0}, {0, 8}, {8, 8}, {4, 0}, {8, 4}}) EXPECT_EQ(px(im, x, y), kRed);
  EXPECT_EQ(dt::count(im, kRed), 32 - 5 + 3);  // the corner's 5 border pixels give way to 3 inside
}

}  // namespace
