// The two built-in pictures.
#include <gtest/gtest.h>

#include <set>

#include "builtin_pictures.h"
#include "image.h"

namespace {

TEST(BuiltinPictures, HaveTheirSizesAndAShape) {
  struct Case {
    bool (*load)(IMAGE*);
    const INT_U8* (*data)();
    int w, h;
  } cases[] = {{load_builtin_default_picture, builtin_default_picture, 195, 80},
               {load_builtin_about_picture, builtin_about_picture, 80, 75}};
  for (const Case& c : cases) {
    const INT_U8* d = c.data();
    EXPECT_EQ((d[1] << 8 | d[2]), c.w);
    EXPECT_EQ((d[3] << 8 | d[4]), c.h);
    IMAGE im;
    ASSERT_TRUE(c.load(&im));
    ASSERT_EQ(im.width, c.w);
    ASSERT_EQ(im.height, c.h);
    // Transparent corners, an opaque middle, and more than one colour.
    EXPECT_EQ(*im.pixel_at(0, 0) >> 24, 0u);
    EXPECT_EQ(*im.pixel_at(c.w - 1, c.h - 1) >> 24, 0u);
    EXPECT_EQ(*im.pixel_at(c.w / 2, c.h / 2) >> 24, 0xFFu);
    std::set<INT_U32> colours;
    for (int y = 0; y < c.h; ++y)
      for (int x = 0; x < c.w; ++x) colours.insert(*im.pixel_at(x, y));
    EXPECT_GT(colours.size(), 20u);
  }
  EXPECT_FALSE(load_builtin_default_picture(nullptr));
}

}  // namespace
