// font_file_usable: whether FreeType takes a file, without loading it.
#include <gtest/gtest.h>

#include "folder.h"
#include "fonts.h"
#include "test_support.h"

namespace {

TEST(FontProbe, UsableFilesOnlyAndNeverBeforeTheFontSystem) {
  FOLDER dejavu, scratch;
  ASSERT_TRUE(dejavu.set_if_directory(BUILTIN_FONT_SOURCE_FOLDER));
  const std::string dir = zt::make_temp_dir("fonts");
  ASSERT_TRUE(scratch.set_if_directory(dir.c_str()));
  zt::write_text(dir + "/bad.ttf", "no font here");
  const char* good = get_builtin_font_source(0);

  font_preload = 0;
  EXPECT_FALSE(font_file_usable(&dejavu, good));  // before init_fonts
  init_fonts();
  const INT_S16 slots = get_font_count();
  EXPECT_TRUE(font_file_usable(&dejavu, good));
  EXPECT_FALSE(font_file_usable(&scratch, "bad.ttf"));
  EXPECT_FALSE(font_file_usable(&scratch, "missing.ttf"));
  EXPECT_FALSE(font_file_usable(&scratch, ""));
  EXPECT_FALSE(font_file_usable(nullptr, good));
  // A probe loads nothing.
  EXPECT_EQ(get_font_count(), slots);
  for (INT_S8 i = 0; i < BUILTIN_FONT_COUNT; i++) EXPECT_FALSE(is_font_loaded(i));
  shutdown_fonts();
  EXPECT_FALSE(font_file_usable(&dejavu, good));
}

}  // namespace
