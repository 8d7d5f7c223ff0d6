// Font fixtures: copies of the DejaVu files under the built-in names in the
// test's "$FONTDATA" folder, and FreeType opened directly on the same files
// as the reference for widths and pixels.
#ifndef ZORV_FONT_TEST_UTIL_H
#define ZORV_FONT_TEST_UTIL_H

#include <ft2build.h>
#include FT_FREETYPE_H
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <set>
#include <string>

#include "fonts.h"
#include "test_support.h"

namespace ft {

// "$FONTDATA" resolves to the "fonts" folder of the per-user data folder
// <home>/.<program name>/data.
inline std::string font_folder() {
  char exe[4096] = {0};
  ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
  std::string path = n > 0 ? std::string(exe, static_cast<size_t>(n)) : "test";
  std::string name = path.substr(path.rfind('/') + 1);
  std::string dir = std::string(getenv("HOME")) + "/." + name + "/data/fonts";
  zt::sh("mkdir -p '" + dir + "'");
  return dir;
}

inline std::string source_path(int index) {
  return std::string(BUILTIN_FONT_SOURCE_FOLDER) + "/" + get_builtin_font_source(static_cast<INT_U8>(index));
}

// Copies the built-in fonts, except those in `skip`, into the font folder.
inline void install_builtin_fonts(const std::set<int>& skip = {}) {
  std::string dir = font_folder();
  for (int i = 0; i < BUILTIN_FONT_COUNT; ++i)
    if (!skip.count(i))
      zt::write_bytes(dir + "/" + get_builtin_font_file(static_cast<INT_U8>(i)),
                      zt::read_bytes(source_path(i)));
}

// FreeType on the DejaVu file behind a built-in slot.
struct Reference {
  FT_Library lib = nullptr;
  FT_Face face = nullptr;
  explicit Reference(int index) {
    EXPECT_EQ(FT_Init_FreeType(&lib), 0);
    EXPECT_EQ(FT_New_Face(lib, source_path(index).c_str(), 0, &face), 0);
  }
  ~Reference() {
    if (face) FT_Done_Face(face);
    if (lib) FT_Done_FreeType(lib);
  }
  // Renders at the FreeType pixel size (cell less one) and returns the slot.
  FT_GlyphSlot glyph(unsigned code, int cell_w, int cell_h) {
    EXPECT_EQ(FT_Set_Pixel_Sizes(face, cell_w - 1, cell_h - 1), 0);
    EXPECT_EQ(FT_Load_Char(face, code, FT_LOAD_RENDER), 0);
    return face->glyph;
  }
  int advance(unsigned code, int cell_w, int cell_h) {
    return static_cast<int>(glyph(code, cell_w, cell_h)->advance.x >> 6);
  }
};

}  // namespace ft

#endif
