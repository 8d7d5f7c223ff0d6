// Font table, font loading and the glyph cache.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "draw_test_util.h"
#include "folder.h"
#include "font_test_util.h"
#include "fonts.h"
#include "image.h"

namespace {

TEST(FontTable, BuiltInRows) {
  std::set<std::string> files;
  for (int i = 0; i < BUILTIN_FONT_COUNT; ++i) {
    std::string f = get_builtin_font_file(static_cast<INT_U8>(i));
    EXPECT_EQ(f.substr(f.size() - 4), ".ttf");
    files.insert(f);
    EXPECT_NE(get_builtin_font_family(static_cast<INT_U8>(i)), nullptr);
    EXPECT_TRUE(zt::file_exists(ft::source_path(i))) << ft::source_path(i);
  }
  EXPECT_EQ(files.size(), 19u);
  EXPECT_EQ(get_builtin_font_file(19), nullptr);
  EXPECT_EQ(get_builtin_font_family(200), nullptr);
  EXPECT_EQ(get_builtin_font_source(19), nullptr);
}

TEST(FontTable, InitLoadsTheBuiltInFontsOnce) {
  shutdown_fonts();  // before init: nothing
  EXPECT_EQ(is_font_system_ready(), 0);
  ft::install_builtin_fonts({4});
  init_fonts();
  EXPECT_EQ(is_font_system_ready(), 1);
  EXPECT_EQ(get_font_count(), 19);
  for (int i = 0; i < 19; ++i) EXPECT_EQ(is_font_loaded(static_cast<INT_S8>(i)), i != 4) << i;
  EXPECT_STREQ(get_font_slot(10)->name, get_builtin_font_family(10));
  EXPECT_EQ(get_font_slot(10)->coverage_scale, 255);
  FT_Face face = get_font_slot(10)->face;
  init_fonts();
  EXPECT_EQ(get_font_slot(10)->face, face);
  shutdown_fonts();
  EXPECT_EQ(is_font_system_ready(), 0);
  EXPECT_EQ(get_font_count(), 0);
  EXPECT_EQ(get_font_slot(10), nullptr);
}

TEST(FontTable, SlotRules) {
  ft::install_builtin_fonts();
  font_preload = 0;
  init_fonts();
  EXPECT_EQ(get_font_count(), 0);
  EXPECT_EQ(load_font("sans.ttf", nullptr, 3, nullptr), -1);  // not row 3's file
  EXPECT_EQ(get_font_count(), 0);
  EXPECT_EQ(load_font("deco_wide.ttf", nullptr, 5, nullptr), 5);
  EXPECT_EQ(get_font_count(), 6);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(is_font_loaded(static_cast<INT_S8>(i)), i == 5);
  EXPECT_STREQ(get_font_slot(5)->name, "deco_wide.ttf");  // no family: the file name
  EXPECT_EQ(load_font("deco_wide.ttf", nullptr, 5, nullptr), -1);  // occupied
  EXPECT_EQ(load_font("sans_italic.ttf", "Mine", 9, nullptr), 9);
  EXPECT_EQ(get_font_count(), 10);
  EXPECT_EQ(load_font("sans.ttf", "A", 255, nullptr), 19);
  EXPECT_EQ(get_font_count(), 20);
  EXPECT_EQ(load_font("sans.ttf", "B", 255, nullptr), 20);
  free_font(19);
  EXPECT_FALSE(is_font_loaded(19));
  EXPECT_EQ(load_font("sans.ttf", "C", 255, nullptr), 19);
  free_font(19);
  font_slot_reuse_forbidden = 1;
  EXPECT_EQ(load_font("sans.ttf", "D", 255, nullptr), 21);
  font_slot_reuse_forbidden = 0;
  EXPECT_EQ(load_font("missing.ttf", nullptr, 255, nullptr), -1);
  EXPECT_EQ(load_font("sans.ttf", nullptr, 130, nullptr), -1);  // not a slot number
  EXPECT_EQ(load_font(nullptr, nullptr, 255, nullptr), -1);
  EXPECT_EQ(get_font_slot(-3), nullptr);
  EXPECT_EQ(get_font_slot(100), nullptr);
  // A folder of our own.
  std::string dir = zt::make_temp_dir("own_fonts");
  zt::write_bytes(dir + "/mine.ttf", zt::read_bytes(ft::source_path(10)));
  FOLDER own;
  ASSERT_TRUE(own.set_if_directory(dir.c_str()));
  EXPECT_EQ(load_font("mine.ttf", "Mine", 40, &own), 40);
  EXPECT_TRUE(is_font_loaded(40));
  shutdown_fonts();
  font_preload = 1;
}

TEST(FontTable, DamagedFontFileIsFatal) {
  dt::expect_fatal([] {
    std::string dir = ft::font_folder();
    zt::write_text(dir + "/broken.ttf", "this is not a font");
    font_preload = 0;
    init_fonts();
    load_font("broken.ttf", nullptr, 255, nullptr);
  }, 0x22);
}

TEST(GlyphCache, OneSizePerCharacter) {
  ft::install_builtin_fonts();
  init_fonts();
  IMAGE im(60, 40);
  im.text_width(10, 22, 22, "A");
  GLYPH_ENTRY* g = get_font_slot(10)->glyphs['A'];
  ASSERT_NE(g, nullptr);
  EXPECT_EQ(g->rendered_width, 21);
  EXPECT_EQ(g->rendered_height, 21);
  const COLOUR white = 0xFFFFFFFF;
  im.draw_text(0, 0, &white, nullptr, nullptr, 10, 16, 16, "A");
  EXPECT_EQ(g->rendered_height, 15);
  INT_U8* bitmap = g->coverage;
  im.draw_text(0, 0, &white, nullptr, nullptr, 10, 16, 16, "A");
  EXPECT_EQ(g->coverage, bitmap);  // not rendered again
  ft::Reference ref(10);
  FT_GlyphSlot r = ref.glyph('A', 16, 16);
  EXPECT_EQ(g->advance, r->advance.x >> 6);
  EXPECT_EQ(g->left, r->bitmap_left);
  EXPECT_EQ(g->top, r->bitmap_top);
  EXPECT_EQ(g->bitmap_width, r->bitmap.width);
  EXPECT_EQ(g->bitmap_rows, r->bitmap.rows);
  EXPECT_EQ(memcmp(g->coverage, r->bitmap.buffer, static_cast<size_t>(r->bitmap.rows) * r->bitmap.pitch), 0);
  EXPECT_EQ(g->face_height, ref.face->height);
  EXPECT_EQ(g->face_descender, ref.face->descender);
  shutdown_fonts();
}

// At large sizes a glyph's bitmap passes 64 KiB and its advance 1024 pixels
// (the 16-bit limit of a 26.6 value): neither may wrap.
TEST(GlyphCache, LargeGlyphsKeepSizeAndAdvance) {
  ft::install_builtin_fonts();
  init_fonts();
  IMAGE im(10, 10);
  const int cell = 1601;
  INT_S32 w = im.text_width(10, cell, cell, "W");
  ft::Reference ref(10);
  FT_GlyphSlot r = ref.glyph('W', cell, cell);
  EXPECT_GT(w, 1024);
  EXPECT_EQ(w, r->advance.x >> 6);
  GLYPH_ENTRY* g = get_font_slot(10)->glyphs['W'];
  size_t bytes = static_cast<size_t>(r->bitmap.rows) * r->bitmap.pitch;
  ASSERT_GT(bytes, 65536u);
  EXPECT_EQ(memcmp(g->coverage, r->bitmap.buffer, bytes), 0);
  shutdown_fonts();
}

}  // namespace
