// A page of text (about 2,000 glyphs) drawn with a warm glyph cache, against
// FreeType rendering and blending the same glyphs directly, in paired rounds.
#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstdio>
#include <string>
#include <vector>

#include "colour.h"
#include "folder.h"
#include "fonts.h"
#include "image.h"
#include "paired.h"

namespace {

const int kCell = 16, kLines = 40, kColumns = 50;
const COLOUR kInk = 0xFF102030;

std::vector<std::string> page() {
  const std::string words =
      "The quick brown fox jumps over the lazy dog; pack my box with five dozen liquor jugs. ";
  std::vector<std::string> lines;
  for (int i = 0; i < kLines; ++i) {
    std::string line;
    for (int j = 0; j < kColumns; ++j) line += words[(i * 7 + j) % words.size()];
    lines.push_back(line);
  }
  return lines;
}

int font_slot() {
  static int slot = -1;
  if (slot < 0) {
    font_preload = 0;
    init_fonts();
    FOLDER folder;
    folder.set_if_directory(BUILTIN_FONT_SOURCE_FOLDER);
    slot = load_font(get_builtin_font_source(10), "Sans", 255, &folder);
  }
  return slot;
}

}  // namespace

int main() {
  const int slot = font_slot();
  FT_Library lib;
  FT_Face face;
  std::string path = std::string(BUILTIN_FONT_SOURCE_FOLDER) + "/" + get_builtin_font_source(10);
  if (slot < 0 || FT_Init_FreeType(&lib) || FT_New_Face(lib, path.c_str(), 0, &face)) {
    std::fprintf(stderr, "DejaVu fonts are not installed\n");
    return 1;
  }
  FT_Set_Pixel_Sizes(face, kCell - 1, kCell - 1);
  IMAGE cached_page(1024, 768), direct_page(1024, 768);
  const auto lines = page();
  auto cached = [&] {
    for (int i = 0; i < kLines; ++i)
      cached_page.draw_text(4, static_cast<INT_S16>(4 + i * (kCell + 2)), &kInk, nullptr, nullptr,
                            static_cast<INT_S8>(slot), kCell, kCell, lines[i].c_str());
    asm volatile("" : : "r"(cached_page.pixels) : "memory");
  };
  const int descent = kCell * face->descender / face->height;
  auto direct = [&] {
    for (int i = 0; i < kLines; ++i) {
      int pen = 4, y = 4 + i * (kCell + 2);
      for (unsigned char c : lines[i]) {
        FT_Load_Char(face, c, FT_LOAD_RENDER);
        FT_GlyphSlot g = face->glyph;
        int top = y + kCell - 1 - g->bitmap_top + descent;
        for (unsigned r = 0; r < g->bitmap.rows; ++r)
          for (unsigned k = 0; k < g->bitmap.width; ++k) {
            unsigned a = g->bitmap.buffer[r * g->bitmap.pitch + k];
            if (!a) continue;
            COLOUR* p = direct_page.pixel_at(pen + g->bitmap_left + static_cast<int>(k), top + static_cast<int>(r));
            *p = a >= 250 ? kInk : blend_rgb_packed(*p, kInk, a);
          }
        pen += static_cast<int>(g->advance.x >> 6);
      }
    }
    asm volatile("" : : "r"(direct_page.pixels) : "memory");
  };
  const PAIRED p = paired_rounds(15, 20, cached, direct);  // the first batches warm the glyph cache
  print_load();
  std::printf("page of %d glyphs (min / median / max):\n", kLines * kColumns);
  print_spread("glyph cache as a multiple of FreeType directly", p.ratio);
  print_spread("glyph cache", p.ours, 1e6, "us");
  print_spread("FreeType directly", p.baseline, 1e6, "us");
  FT_Done_Face(face);
  FT_Done_FreeType(lib);
  return 0;
}
