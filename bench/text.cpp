// A page of text (about 2,000 glyphs) drawn with a warm glyph cache, against
// FreeType rendering and blending the same glyphs directly in the same run
// (processor time, so that a busy machine does not blur the ratio).
#include <benchmark/benchmark.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstdio>
#include <string>
#include <vector>

#include "colour.h"
#include "folder.h"
#include "fonts.h"
#include "image.h"
#include "timing_reporter.h"

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

void BM_PageWithGlyphCache(benchmark::State& state) {
  const int slot = font_slot();
  if (slot < 0) {
    state.SkipWithError("DejaVu fonts are not installed");
    return;
  }
  IMAGE im(1024, 768);
  const auto lines = page();
  auto draw = [&] {
    for (int i = 0; i < kLines; ++i)
      im.draw_text(4, static_cast<INT_S16>(4 + i * (kCell + 2)), &kInk, nullptr, nullptr,
                   static_cast<INT_S8>(slot), kCell, kCell, lines[i].c_str());
  };
  draw();  // warm the cache
  for (auto _ : state) {
    draw();
    benchmark::ClobberMemory();
  }
  state.counters["glyphs"] = kLines * kColumns;
}

void BM_PageWithFreeTypeDirectly(benchmark::State& state) {
  FT_Library lib;
  FT_Face face;
  std::string path = std::string(BUILTIN_FONT_SOURCE_FOLDER) + "/" + get_builtin_font_source(10);
  if (FT_Init_FreeType(&lib) || FT_New_Face(lib, path.c_str(), 0, &face)) {
    state.SkipWithError("DejaVu fonts are not installed");
    return;
  }
  FT_Set_Pixel_Sizes(face, kCell - 1, kCell - 1);
  IMAGE im(1024, 768);
  const auto lines = page();
  const int descent = kCell * face->descender / face->height;
  for (auto _ : state) {
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
            COLOUR* p = im.pixel_at(pen + g->bitmap_left + static_cast<int>(k), top + static_cast<int>(r));
            *p = a >= 250 ? kInk : blend_rgb_packed(*p, kInk, a);
          }
        pen += static_cast<int>(g->advance.x >> 6);
      }
    }
    benchmark::ClobberMemory();
  }
  FT_Done_Face(face);
  FT_Done_FreeType(lib);
}

BENCHMARK(BM_PageWithGlyphCache)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PageWithFreeTypeDirectly)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  TimingReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  double cached = reporter.cpu_time["BM_PageWithGlyphCache"];
  double direct = reporter.cpu_time["BM_PageWithFreeTypeDirectly"];
  if (cached > 0 && direct > 0)
    printf("\nPage of %d glyphs: glyph cache %.1f us, FreeType directly %.1f us: %.1f times faster\n",
           kLines * kColumns, cached, direct, direct / cached);
  benchmark::Shutdown();
  return 0;
}
