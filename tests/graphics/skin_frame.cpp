// Skinned frames: layouts, shrinking ends, caching, hit tests.
#include <gtest/gtest.h>

#include <array>

#include "folder.h"
#include "image_cache.h"
#include "image_files_test_util.h"
#include "skin_frame.h"

namespace {

const char* kNine[] = {"top_left", "top_mid", "top_right", "mid_left", "mid_mid",
                       "mid_right", "bottom_left", "bottom_mid", "bottom_right"};
// Colour of part i of the nine: 0xFF0000i0 + 1 (distinct, opaque).
INT_U32 colour_of(int i) { return 0xFF000001u | (i + 1) << 4; }

struct Skin {
  std::string path = zt::make_temp_dir("skin");
  FOLDER folder;
  char text[FOLDER_PATH_SIZE] = {};
  IMAGE_CACHE cache;
  Skin() {
    EXPECT_TRUE(folder.set_if_directory(path.c_str()));
    folder.get_path_text(text, nullptr);
  }
  void put(const std::string& name, int w, int h, INT_U32 colour) const {
    ASSERT_TRUE(itu::save_png_to(path + "/" + name + ".png",
                                 *itu::make_image(w, h, [colour](int, int) { return colour; })));
  }
  void nine(const std::string& base, int size = 8) const {
    for (int i = 0; i < 9; ++i) put(base + "_" + kNine[i], size, size, colour_of(i));
  }
};

// The part index whose colour a pixel has, or -1 (transparent), -2 (other).
int part_at(const IMAGE& im, int x, int y) {
  const INT_U32 p = *im.pixel_at(x, y);
  if (p == 0) return -1;
  for (int i = 0; i < 9; ++i)
    if (p == colour_of(i)) return i;
  return -2;
}

// Checks every pixel of a w x h frame drawn at (0, 0): column band by x
// against the limits a (end of the left column) and b (start of the right
// one), the same for rows.
void expect_layout(const IMAGE& im, int w, int h, int a, int b, int c, int d) {
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const int col = x < a ? 0 : x < b ? 1 : 2;
      const int row = y < c ? 0 : y < d ? 1 : 2;
      ASSERT_EQ(part_at(im, x, y), row * 3 + col) << x << "," << y;
    }
  for (int y = 0; y < im.height; ++y)
    for (int x = w; x < im.width; ++x) ASSERT_EQ(part_at(im, x, y), -1) << x << "," << y;
}

TEST(SkinFrame, NinePartsFillTheirRegions) {
  for (INT_U8 caching : {1, 0}) {
    skin_frame_caching = caching;
    Skin s;
    s.nine("b");
    SKIN_FRAME frame(&s.cache);
    ASSERT_EQ(frame.load(s.text, "b", 0), 1);
    IMAGE target(40, 30);
    frame.draw(0, 0, 29, 19, 0, &target, BLIT_BLEND);
    expect_layout(target, 30, 20, 8, 22, 8, 12);
    EXPECT_EQ(frame.composite != nullptr, caching == 1);
    frame.release();
  }
  skin_frame_caching = 1;
}

TEST(SkinFrame, EndsShrinkWhenTheRectangleIsTooSmall) {
  Skin s;
  s.nine("b");
  SKIN_FRAME frame(&s.cache);
  ASSERT_EQ(frame.load(s.text, "b", 0), 1);
  IMAGE target(12, 12);
  frame.draw(0, 0, 9, 9, 0, &target, BLIT_BLEND);
  // Left and top shrink to 5, right and bottom to 6: the right and bottom
  // parts start at 4 and overlap the others by a pixel; no centre, no edges.
  EXPECT_EQ(frame.mid_left->width, 5);
  EXPECT_EQ(frame.mid_right->width, 6);
  EXPECT_EQ(frame.top_mid->height, 5);
  EXPECT_EQ(frame.bottom_mid->height, 6);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x) {
      const int want = (y < 4 ? 0 : 6) + (x < 4 ? 0 : 2);
      ASSERT_EQ(part_at(target, x, y), want) << x << "," << y;
    }
  frame.release();
  // As wide as the two ends: no centre and no top or bottom edge.
  ASSERT_EQ(frame.load(s.text, "b", 0), 1);
  IMAGE exact(20, 20);
  frame.draw(0, 0, 15, 19, 0, &exact, BLIT_BLEND);
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 16; ++x) {
      const int p = part_at(exact, x, y);
      ASSERT_TRUE(p == 0 || p == 2 || p == 3 || p == 5 || p == 6 || p == 8) << x << "," << y << " " << p;
    }
  frame.release();
}

TEST(SkinFrame, EmptyRectangleDrawsNothing) {
  Skin s;
  s.nine("b");
  SKIN_FRAME frame(&s.cache);
  frame.load(s.text, "b", 0);
  IMAGE target(10, 10);
  for (auto r : {std::array<int, 4>{5, 5, 4, 9}, {5, 5, 9, 4}, {5, 5, -100, -100}}) {
    frame.draw(static_cast<INT_S16>(r[0]), static_cast<INT_S16>(r[1]), static_cast<INT_S16>(r[2]),
               static_cast<INT_S16>(r[3]), 1, &target, BLIT_COPY);
    for (INT_U32 p : itu::pixels_of(target)) ASSERT_EQ(p, 0u);
  }
  EXPECT_EQ(frame.composite, nullptr);
  frame.release();
}

TEST(SkinFrame, CachingComposesOncePerSize) {
  Skin s;
  s.nine("b");
  SKIN_FRAME frame(&s.cache);
  frame.load(s.text, "b", 0);
  IMAGE target(40, 30);
  frame.draw(0, 0, 29, 19, 0, &target, BLIT_COPY);
  IMAGE* kept = frame.composite;
  // A change to the centre picture is not seen while the size stays...
  for (int y = 0; y < frame.mid_mid->height; ++y)
    for (int x = 0; x < frame.mid_mid->width; ++x) *frame.mid_mid->pixel_at(x, y) = 0xFFABCDEF;
  frame.draw(0, 0, 29, 19, 0, &target, BLIT_COPY);
  EXPECT_EQ(frame.composite, kept);
  EXPECT_EQ(part_at(target, 15, 10), 4);
  // ...and is at a new size, or when asked to compose again.
  frame.draw(0, 0, 30, 19, 0, &target, BLIT_COPY);
  EXPECT_EQ(*target.pixel_at(15, 10), 0xFFABCDEFu);
  EXPECT_EQ(frame.composite->width, 31);
  frame.release();
}

TEST(SkinFrame, IncompleteNineSetDrawsTheSingleImage) {
  Skin s;
  s.put("b_top_left", 4, 4, colour_of(0));
  s.put("b_mid_mid", 4, 2, colour_of(4));
  SKIN_FRAME frame(&s.cache);
  EXPECT_EQ(frame.load(s.text, "b", 0), 0);
  EXPECT_NE(frame.top_left, nullptr);
  EXPECT_NE(frame.mid_mid, nullptr);
  IMAGE target(10, 10);
  frame.draw(0, 0, 9, 9, 0, &target, BLIT_BLEND);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x)
      ASSERT_EQ(part_at(target, x, y), x >= 3 && x < 7 && y >= 4 && y < 6 ? 4 : -1) << x << "," << y;
  // With stretch the image fills the rectangle.
  frame.draw(0, 0, 9, 9, 1, &target, BLIT_BLEND);
  frame.recompose = 1;
  frame.draw(0, 0, 9, 9, 1, &target, BLIT_BLEND);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x) ASSERT_EQ(part_at(target, x, y), 4) << x << "," << y;
  frame.release();
}

TEST(SkinFrame, ThreePartFramesStretchAcross) {
  Skin s;
  s.put("h_left", 3, 5, colour_of(3));
  s.put("h_mid", 2, 5, colour_of(4));
  s.put("h_right", 4, 5, colour_of(5));
  SKIN_FRAME h(&s.cache);
  EXPECT_EQ(h.load(s.text, "h", 0), 1);
  IMAGE target(20, 10);
  h.draw(0, 0, 16, 7, 0, &target, BLIT_BLEND);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 17; ++x) ASSERT_EQ(part_at(target, x, y), x < 3 ? 3 : x < 13 ? 4 : 5) << x << "," << y;
  s.put("v_top", 5, 2, colour_of(1));
  s.put("v_mid", 5, 3, colour_of(4));
  s.put("v_bottom", 5, 1, colour_of(7));
  SKIN_FRAME v(&s.cache);
  EXPECT_EQ(v.load(s.text, "v", 0), 1);
  IMAGE tall(10, 12);
  v.draw(0, 0, 5, 10, 0, &tall, BLIT_BLEND);
  for (int y = 0; y < 11; ++y)
    for (int x = 0; x < 6; ++x) ASSERT_EQ(part_at(tall, x, y), y < 2 ? 1 : y < 10 ? 4 : 7) << x << "," << y;
  h.release();
  v.release();
}

TEST(SkinFrame, CentredOverlayFollowsItsOffsetsInBlendAndCopyModesOnly) {
  Skin s;
  s.put("o", 4, 4, colour_of(4));
  s.put("o_colay", 2, 2, colour_of(0));
  SKIN_FRAME frame(&s.cache);
  EXPECT_EQ(frame.load(s.text, "o", 0), 1);
  ASSERT_NE(frame.colay, nullptr);
  struct Case {
    INT_S16 ox, oy;
    INT_S32 mode;
    int first_x, first_y;  // -1: no overlay
  } cases[] = {{0, 0, BLIT_BLEND, 4, 4}, {1, -2, BLIT_COPY, 5, 2}, {0, 0, BLIT_MASK, -1, -1}};
  for (INT_U8 caching : {1, 0}) {
    skin_frame_caching = caching;
    for (const Case& c : cases) {
      frame.overlay_x = c.ox;
      frame.overlay_y = c.oy;
      frame.recompose = 1;
      IMAGE target(10, 10);
      frame.draw(0, 0, 9, 9, 0, &target, c.mode);
      for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x) {
          const bool over = c.first_x >= 0 && x >= c.first_x && x < c.first_x + 2 && y >= c.first_y &&
                            y < c.first_y + 2;
          if (over) {
            ASSERT_EQ(part_at(target, x, y), 0) << x << "," << y;
          } else if (c.mode != BLIT_MASK) {
            ASSERT_EQ(part_at(target, x, y), x >= 3 && x < 7 && y >= 3 && y < 7 ? 4 : -1) << x << "," << y;
          }
        }
    }
  }
  skin_frame_caching = 1;
  frame.release();
}

TEST(SkinFrame, ColourAtFollowsTheParts) {
  Skin s;
  s.nine("b");
  // A button with a cut-off corner: the top-left corner's first pixel is transparent.
  auto corner = itu::make_image(8, 8, [](int x, int y) { return x + y < 2 ? 0u : colour_of(0); });
  ASSERT_TRUE(itu::save_png_to(s.path + "/b_top_left.png", *corner));
  SKIN_FRAME frame(&s.cache);
  frame.load(s.text, "b", 0);
  EXPECT_EQ(frame.colour_at(0, 0, 40, 30), 0);
  EXPECT_EQ(frame.colour_at(1, 1, 40, 30), 1);
  EXPECT_EQ(frame.colour_at(20, 15, 40, 30), 1);
  EXPECT_EQ(frame.colour_at(39, 29, 40, 30), 1);
  SKIN_FRAME none(&s.cache);
  EXPECT_EQ(none.colour_at(1, 1, 10, 10), 0);
  frame.release();
}

TEST(SkinFrame, RecolouringMakesThePartsPrivate) {
  Skin s;
  s.put("one", 4, 4, 0xFF808080);
  SKIN_FRAME a(&s.cache), b(&s.cache);
  a.load(s.text, "one", 0);
  b.copy_from(&a);
  EXPECT_EQ(a.mid_mid, b.mid_mid);
  COLOUR from = 0xFF808080, to = 0xFF00FF00;
  a.replace_colour(&from, &to);
  EXPECT_NE(a.mid_mid, b.mid_mid);
  EXPECT_EQ(*a.mid_mid->pixel_at(0, 0), 0xFF00FF00u);
  EXPECT_EQ(*b.mid_mid->pixel_at(0, 0), 0xFF808080u);
  a.release();
  b.release();
  EXPECT_EQ(a.mid_mid, nullptr);
  SKIN_FRAME loose(nullptr);
  EXPECT_EQ(loose.load(s.text, "one", 0), 0);
}

}  // namespace
