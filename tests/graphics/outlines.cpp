// XOR and blended rectangle outlines.
#include <gtest/gtest.h>

#include <set>
#include <utility>

#include "colour.h"
#include "draw_test_util.h"
#include "image.h"

namespace {

using dt::px;
const COLOUR kRed = 0xFFFF0000;

// Pixels on the border of the rectangle (x1, y1)-(x2, y2).
std::set<std::pair<int, int>> ring(int x1, int y1, int x2, int y2) {
  std::set<std::pair<int, int>> s;
  for (int x = x1; x <= x2; ++x) s.insert({x, y1}), s.insert({x, y2});
  for (int y = y1; y <= y2; ++y) s.insert({x1, y}), s.insert({x2, y});
  return s;
}

std::set<std::pair<int, int>> set_of(IMAGE& im, COLOUR c) {
  std::set<std::pair<int, int>> s;
  for (int y = 0; y < im.height; ++y)
    for (int x = 0; x < im.width; ++x)
      if (px(im, x, y) == c) s.insert({x, y});
  return s;
}

TEST(XorRect, TwiceRestoresColoursAndCornersKeepTheirs) {
  IMAGE im(10, 8);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 10; ++x) px(im, x, y) = 0x10000000u | (x * 20 << 16) | (y * 30 << 8) | 7;
  IMAGE orig(10, 8);
  orig.copy_from(&im);
  const COLOUR c = 0x00F0F0F0;  // XOR takes any colour with alpha
  const COLOUR c_alpha = 0x80F0F0F0;
  im.xor_rect(7, 6, 2, 1, &c_alpha);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 10; ++x) {
      bool corner = (x == 2 || x == 7) && (y == 1 || y == 6);
      bool edge = ring(2, 1, 7, 6).count({x, y}) > 0;
      COLOUR want = !edge ? px(orig, x, y)
                          : corner ? (px(orig, x, y) | 0xFF000000u)
                                   : ((px(orig, x, y) ^ c_alpha) | 0xFF000000u);
      EXPECT_EQ(px(im, x, y), want) << x << "," << y;
    }
  im.xor_rect(2, 1, 7, 6, &c_alpha);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 10; ++x)
      EXPECT_EQ(px(im, x, y) & 0x00FFFFFFu, px(orig, x, y) & 0x00FFFFFFu) << x << "," << y;
  (void)c;
}

TEST(XorRect, SidesOutsideTheClipAreDropped) {
  IMAGE im(10, 10);
  im.set_clip(3, 0, 9, 9);
  const COLOUR c = 0xFF00FF00;
  im.xor_rect(0, 2, 6, 5, &c);
  // No left side; the rows run over the cut rectangle 3..6.
  EXPECT_EQ(dt::where(im, 0xFF00FF00), "3,2 4,2 5,2 6,3 6,4 3,5 4,5 5,5 ");
  EXPECT_EQ(px(im, 6, 2), 0xFF000000u);  // row and right column meet: XORed twice
}

TEST(DrawRect, SidesAndThickness) {
  struct {
    int x1, y1, x2, y2, thickness, sides;
    std::set<std::pair<int, int>> want;
  } cases[] = {
      {0, 0, 9, 9, 1, 15, ring(0, 0, 9, 9)},
      {9, 9, 0, 0, 0, 15, ring(0, 0, 9, 9)},
      {0, 0, 9, 9, 1, 4, {{1, 0}, {2, 0}, {3, 0}, {4, 0}, {5, 0}, {6, 0}, {7, 0}, {8, 0}}},
      {0, 0, 9, 9, 1, 1, {{0, 0}, {0, 1}, {0, 2}, {0, 3}, {0, 4}, {0, 5}, {0, 6}, {0, 7}, {0, 8}, {0, 9}}},
      {0, 0, 9, 9, 1, 0, {}},
      {0, 0, 1, 1, 1, 12, {}},  // two pixels wide: the rows have no pixels of their own
  };
  for (const auto& t : cases) {
    IMAGE im(12, 12);
    im.draw_rect(t.x1, t.y1, t.x2, t.y2, &kRed, t.thickness, t.sides);
    EXPECT_EQ(set_of(im, kRed), t.want) << t.sides;
  }
  IMAGE im(30, 30);
  im.draw_rect(10, 10, 20, 20, &kRed, 3, 15);
  auto want = ring(9, 9, 21, 21);
  for (auto p : ring(10, 10, 20, 20)) want.insert(p);
  for (auto p : ring(11, 11, 19, 19)) want.insert(p);
  EXPECT_EQ(set_of(im, kRed), want);
  IMAGE two(30, 30);
  two.draw_rect(10, 10, 20, 20, &kRed, 2, 15);
  want = ring(9, 9, 21, 21);
  for (auto p : ring(10, 10, 20, 20)) want.insert(p);
  EXPECT_EQ(set_of(two, kRed), want);
}

TEST(DrawRect, ClippedLeftSideRowsStartAfterTheClipEdge) {
  IMAGE im(12, 12);
  im.set_clip(2, 0, 11, 11);
  im.draw_rect(0, 0, 9, 9, &kRed, 1, 15);
  std::set<std::pair<int, int>> want;
  for (int x = 3; x <= 8; ++x) want.insert({x, 0}), want.insert({x, 9});
  for (int y = 0; y <= 9; ++y) want.insert({9, y});
  EXPECT_EQ(set_of(im, kRed), want);
}

TEST(DrawRect, TranslucentColourBlendsEachPixelOnce) {
  IMAGE im(12, 12);
  dt::fill(im, 0xFF000000);
  const COLOUR half = 0x80FFFFFF;
  im.draw_rect(1, 1, 10, 10, &half, 1, 15);
  EXPECT_EQ(set_of(im, 0xFF7F7F7F), ring(1, 1, 10, 10));
  const COLOUR almost = 0xFAFFFFFF;
  im.draw_rect(1, 1, 10, 10, &almost, 1, 15);
  EXPECT_EQ(set_of(im, almost), ring(1, 1, 10, 10));
}

TEST(DrawRect, InvisibleColourIsFatalEvenOutsideTheClip) {
  const COLOUR invisible = 0x00FF0000;
  dt::expect_fatal([&] { IMAGE im(5, 5); im.draw_rect(20, 20, 30, 30, &invisible, 1, 15); }, 3);
  dt::expect_fatal([&] { IMAGE im(5, 5); im.xor_rect(20, 20, 30, 30, &invisible); }, 3);
  dt::expect_fatal([&] { IMAGE im(5, 5); dt::drop_pixels(im); im.draw_rect(0, 0, 3, 3, &kRed, 1, 15); }, 2);
  dt::expect_no_exit([&] {
    IMAGE im(5, 5);
    im.enabled = 0;
    im.draw_rect(0, 0, 3, 3, &invisible, 1, 15);
    im.enabled = 1;
    im.set_clip(0, 0, 1, 1);
    im.intersect_clip(3, 3, 4, 4);
    im.xor_rect(0, 0, 3, 3, &invisible);
  });
}

}  // namespace
