// The animated strip under a scripted clock.
#include <gtest/gtest.h>

#include "anim_strip.h"
#include "clock.h"
#include "folder.h"
#include "image_cache.h"
#include "image_files_test_util.h"
#include "window.h"

namespace {

INT_U32 clock_now = 0;
INT_U32 scripted_clock() { return clock_now; }

struct ScriptedClock {
  ScriptedClock() { time_ms_source = scripted_clock; }
  ~ScriptedClock() { time_ms_source = nullptr; }
};

struct Pictures {
  std::string path = zt::make_temp_dir("strip");
  FOLDER folder;
  char text[FOLDER_PATH_SIZE] = {};
  Pictures() {
    EXPECT_TRUE(folder.set_if_directory(path.c_str()));
    folder.get_path_text(text, nullptr);
    EXPECT_TRUE(itu::save_png_to(path + "/back.png", *itu::make_image(20, 10, [](int x, int y) {
      return 0xFF000000u | (x << 8) | y;
    })));
  }
};

TEST(AnimStrip, GlidesForthAndBackAndUpAndDownPerPeriod) {
  ScriptedClock sc;
  Pictures p;
  IMAGE_CACHE cache;
  ANIM_STRIP strip(0, 0, &cache, p.text, "back", 100, 50, 4000, 200, 100);
  ASSERT_NE(strip.image, nullptr);
  EXPECT_EQ(strip.image->width, 200);
  clock_now = 10000;
  strip.reset();
  EXPECT_EQ(strip.offset_x, 0);
  EXPECT_EQ(strip.offset_y, 25);
  struct Step {
    INT_U32 at;
    int x, y, moved;
  } steps[] = {{1000, 50, 50, 1},  {1000, 50, 50, 0}, {2000, 100, 25, 1},
               {3000, 50, 0, 1},   {4000, 0, 25, 1},
               // 500 ms after the end of a cycle: the next one starts now.
               {4500, 0, 25, 0},   {5500, 50, 50, 1}};
  for (const Step& s : steps) {
    clock_now = 10000 + s.at;
    EXPECT_EQ(strip.update(), s.moved) << s.at;
    EXPECT_EQ(strip.offset_x, s.x) << s.at;
    EXPECT_EQ(strip.offset_y, s.y) << s.at;
  }
  // The clock going back starts a new cycle too.
  clock_now = 100;
  strip.update();
  EXPECT_EQ(strip.start, 100u);
}

TEST(AnimStrip, StillPeriodsAndStripSizes) {
  ScriptedClock sc;
  Pictures p;
  IMAGE_CACHE cache;
  for (INT_U32 period : {0u, 1u}) {
    ANIM_STRIP strip(0, 0, &cache, p.text, "back", 10, 6, period, 0, -5);
    EXPECT_EQ(strip.strip_width, 20);
    EXPECT_EQ(strip.strip_height, 12);
    clock_now = 0;
    strip.reset();
    clock_now = 777;
    EXPECT_EQ(strip.update(), 0);
    EXPECT_EQ(strip.offset_x, 0);
    EXPECT_EQ(strip.offset_y, 3);
  }
  ANIM_STRIP own(0, 0, &p.folder, "back", 10, 6, 100, 30, 0);
  EXPECT_EQ(own.cache, nullptr);
  ASSERT_NE(own.image, nullptr);
  EXPECT_EQ(own.image->width, 30);
  EXPECT_EQ(own.image->height, 12);
}

TEST(AnimStrip, DrawsTheCellOntoTheScreenImage) {
  ScriptedClock sc;
  Pictures p;
  IMAGE_CACHE cache;
  IMAGE* screen = get_screen_image(0);
  ASSERT_NE(screen, nullptr);
  screen->create(30, 20);
  ANIM_STRIP strip(5, 4, &cache, p.text, "back", 10, 5, 4000, 20, 10);
  clock_now = 0;
  strip.reset();
  clock_now = 1000;
  strip.update();  // offset (5, 4): a quarter of the way
  ASSERT_EQ(strip.offset_x, 5);
  ASSERT_EQ(strip.offset_y, 4);
  strip.draw();
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 30; ++x) {
      const bool inside = x >= 5 && x < 15 && y >= 4 && y < 9;
      const INT_U32 want = inside ? 0xFF000000u | ((x - 5 + 5) << 8) | (y - 4 + 4) : 0;
      ASSERT_EQ(*screen->pixel_at(x, y), want) << x << "," << y;
    }
}

TEST(AnimStrip, ReleasesItsCacheHandle) {
  Pictures p;
  IMAGE_CACHE cache;
  cache.free_at_zero = 1;
  {
    ANIM_STRIP strip(0, 0, &cache, p.text, "back", 10, 5, 100, 20, 10);
    EXPECT_EQ(cache.entries.count, 1);
  }
  EXPECT_EQ(cache.entries.count, 0);
}

}  // namespace
