// Whole-area colour effects.
#include <gtest/gtest.h>

#include "colour.h"
#include "draw_test_util.h"
#include "errors.h"
#include "image.h"

namespace {

using dt::px;

TEST(Effects, DarkenRect) {
  struct {
    int percent;
    COLOUR want;
  } cases[] = {{0, 0x80C86432}, {-5, 0x80C86432}, {50, 0x80643219}, {100, 0x80000000}, {250, 0x80000000}, {1, 0x80C66331}};
  for (const auto& t : cases) {
    IMAGE im(4, 4);
    dt::fill(im, 0x80C86432);
    im.dirty_left = im.dirty_right = im.dirty_top = im.dirty_bottom = 65535;
    set_last_error(7, "x");
    im.darken_rect(2, 2, 1, 1, static_cast<INT_S16>(t.percent));
    EXPECT_EQ(px(im, 1, 1), t.want) << t.percent;
    EXPECT_EQ(px(im, 2, 2), t.want) << t.percent;
    EXPECT_EQ(px(im, 0, 0), 0x80C86432u);
    EXPECT_EQ(px(im, 3, 1), 0x80C86432u);
    bool changed = t.percent >= 1;
    EXPECT_EQ(im.dirty_left, changed ? 1 : 65535) << t.percent;
    if (changed) {
      EXPECT_STREQ(get_last_error_text(), "No Error");
    }
  }
  dt::expect_fatal([] { IMAGE im(4, 4); dt::drop_pixels(im); im.darken_rect(0, 0, 1, 1, 10); }, 2);
}

TEST(Effects, SetAlpha) {
  struct {
    int value, multiply, keep;
    COLOUR opaque, clear;
  } cases[] = {
      {128, 1, 0, 0x80123456, 0x00ABCDEF},
      {200, 0, 1, 0xC8123456, 0x00ABCDEF},
      {200, 0, 0, 0xC8123456, 0xC8ABCDEF},
  };
  for (const auto& t : cases) {
    IMAGE im(2, 1);
    px(im, 0, 0) = 0xFF123456;
    px(im, 1, 0) = 0x00ABCDEF;
    im.set_alpha(static_cast<INT_U8>(t.value), static_cast<INT_S8>(t.multiply), static_cast<INT_S8>(t.keep));
    EXPECT_EQ(px(im, 0, 0), t.opaque) << t.value << t.multiply << t.keep;
    EXPECT_EQ(px(im, 1, 0), t.clear) << t.value << t.multiply << t.keep;
  }
}

TEST(Effects, ReplaceColour) {
  IMAGE im(3, 1);
  px(im, 0, 0) = 0xFF102030;
  px(im, 1, 0) = 0x80102030;
  px(im, 2, 0) = 0xFF102031;
  const COLOUR from = 0xFF102030, to = 0x40A0B0C0;
  im.replace_colour(&from, &to, 0);
  EXPECT_EQ(px(im, 0, 0), 0x40A0B0C0u);
  EXPECT_EQ(px(im, 1, 0), 0x80102030u);  // only red, green and blue match
  px(im, 0, 0) = 0xFF102030;
  im.replace_colour(&from, &to, 1);
  EXPECT_EQ(px(im, 0, 0), 0xFFA0B0C0u);
  EXPECT_EQ(px(im, 1, 0), 0x80A0B0C0u);
  EXPECT_EQ(px(im, 2, 0), 0xFF102031u);
}

TEST(Effects, GreyscaleTintColouriseInsideTheClip) {
  IMAGE im(4, 2);
  dt::fill(im, 0x80FF0000);
  im.set_clip(0, 0, 1, 1);
  im.greyscale();
  EXPECT_EQ(px(im, 0, 0), 0x80555555u);
  EXPECT_EQ(px(im, 1, 1), 0x80555555u);
  EXPECT_EQ(px(im, 2, 0), 0x80FF0000u);

  IMAGE t(1, 1);
  px(t, 0, 0) = 0x40404040;
  const COLOUR tint = 0xFF804020;
  t.tint(&tint);
  EXPECT_EQ(px(t, 0, 0), 0x406E371Bu);

  IMAGE c(2, 1);
  px(c, 0, 0) = 0x80FF0000;
  px(c, 1, 0) = 0x8000FF00;
  const COLOUR c1 = 0xFF112233, c2 = 0xFF445566, none = 0;
  c.colourise(&c1, &c2, &none, 0);
  EXPECT_EQ(px(c, 0, 0), 0xFF112233u);
  EXPECT_EQ(px(c, 1, 0), 0xFF445566u);
  px(c, 0, 0) = 0x80FF0000;
  c.colourise(&c1, &c2, &none, 1);
  EXPECT_EQ(px(c, 0, 0), 0x80112233u);  // 255 x 128 / 255
}

// An unset clip means nothing may be drawn: no effect reaches a pixel.
TEST(Effects, UnsetClipTouchesNothing) {
  IMAGE im(4, 4);
  dt::fill(im, 0xFFFF0000);
  im.set_clip(0, 0, 0, 0);
  im.intersect_clip(2, 2, 3, 3);
  ASSERT_EQ(im.clip_left, -1);
  const COLOUR tint = 0xFF804020, from = 0xFFFF0000, to = 0xFF00FF00;
  im.greyscale();
  im.tint(&tint);
  im.set_alpha(0, 0, 0);
  im.replace_colour(&from, &to, 0);
  im.colourise(&tint, &tint, &tint, 0);
  im.darken_rect(0, 0, 3, 3, 50);
  EXPECT_EQ(dt::count(im, 0xFFFF0000), 16);
  IMAGE empty(-1, -1);
  empty.greyscale();
  empty.set_alpha(0, 0, 0);
}

}  // namespace
