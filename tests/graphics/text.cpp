// Text measuring and drawing, checked against FreeType rendering of the
// same font files.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "colour.h"
#include "draw_test_util.h"
#include "font_test_util.h"
#include "fonts.h"
#include "image.h"

namespace {

using dt::px;
const COLOUR kWhite = 0xFFFFFFFF, kBlack = 0xFF000000;

class Text : public ::testing::Test {
 protected:
  void SetUp() override {
    ft::install_builtin_fonts();
    init_fonts();
  }
  void TearDown() override { shutdown_fonts(); }
};

// Draws the codes into `im` the way text is defined to be drawn: coverage as
// the alpha of the colour, the blend rule, glyph boxes placed from the
// bearings and the face's descent.
void reference_run(IMAGE& im, int x, int y, COLOUR colour, const std::vector<unsigned>& codes,
                   int font, int fw, int fh) {
  ft::Reference ref(font);
  int descent = fh * ref.face->descender / ref.face->height;
  int pen = x;
  for (unsigned code : codes) {
    FT_GlyphSlot g = ref.glyph(code, fw, fh);
    for (unsigned r = 0; r < g->bitmap.rows; ++r)
      for (unsigned c = 0; c < g->bitmap.width; ++c) {
        int gx = pen + g->bitmap_left + static_cast<int>(c);
        int gy = y + fh - 1 - g->bitmap_top + descent + static_cast<int>(r);
        if (gx < 0 || gy < 0 || gx >= im.width || gy >= im.height) continue;
        unsigned a = g->bitmap.buffer[r * g->bitmap.pitch + c] * (colour >> 24) / 255;
        if (a == 0) continue;
        COLOUR& p = px(im, gx, gy);
        p = a >= 250 ? colour : blend_rgb_packed(p, colour, a);
      }
    pen += static_cast<int>(g->advance.x >> 6);
  }
}

void expect_same(IMAGE& a, IMAGE& b, const std::string& what) {
  int diff = 0;
  for (int y = 0; y < a.height; ++y)
    for (int x = 0; x < a.width; ++x) diff += px(a, x, y) != px(b, x, y);
  EXPECT_EQ(diff, 0) << what;
}

TEST_F(Text, WidthsMatchFreeType) {
  IMAGE im(10, 10);
  struct {
    int font, fw, fh;
    const char* text;
    std::vector<unsigned> codes;
  } cases[] = {
      {10, 22, 22, "Hello, W\xF6rld", {'H', 'e', 'l', 'l', 'o', ',', ' ', 'W', 0xF6, 'r', 'l', 'd'}},
      {8, 16, 16, "Bold -1", {'B', 'o', 'l', 'd', ' ', '-', '1'}},
      {15, 13, 30, "mono", {'m', 'o', 'n', 'o'}},
      {3, 40, 20, "\x01" "00E9,20AC" "\x01" "x", {0xE9, 0x20AC, 'x'}},
  };
  for (const auto& t : cases) {
    ft::Reference ref(t.font);
    int want = 0;
    for (unsigned c : t.codes) want += ref.advance(c, t.fw, t.fh);
    EXPECT_EQ(im.text_width(static_cast<INT_U8>(t.font), t.fw, t.fh, t.text), want) << t.text;
  }
  ft::Reference sans(10);
  EXPECT_EQ(im.text_width(10, 22, 22, "Hello", 2), sans.advance('H', 22, 22) + sans.advance('e', 22, 22));
  EXPECT_EQ(im.text_width(10, 22, 22, "Hello", 0), 0);
  EXPECT_EQ(im.text_width(10, 22, 22, ""), 0);
  // The image's default font and cell: slot 10 at 22 x 22.
  EXPECT_EQ(im.text_width(255, 65535, 65535, "Hello"), im.text_width(10, 22, 22, "Hello"));
  // Unusable fonts or sizes count one pixel per byte.
  EXPECT_EQ(im.text_width(200, 22, 22, "Hello"), 5);
  EXPECT_EQ(im.text_width(10, 0, 22, "Hello"), 5);
  EXPECT_EQ(im.text_width(10, 40000, 22, "Hello"), 5);
  EXPECT_EQ(im.text_width(10, 22, 22, "\x01" "00E9" "\x01", 0xFFFFFFFFu, 0), sans.advance(0xE9, 22, 22));
  EXPECT_EQ(im.text_width(10, 22, 22, "00E9", 0xFFFFFFFFu, 1), sans.advance(0xE9, 22, 22));
}

TEST_F(Text, PixelsMatchFreeType) {
  struct {
    int font, fw, fh, x, y;
    COLOUR colour;
    const char* text;
    std::vector<unsigned> codes;
  } cases[] = {
      {10, 22, 22, 3, 4, kWhite, "Ag\xE9", {'A', 'g', 0xE9}},
      {7, 30, 18, -5, 10, 0x80FF8000, "Wx", {'W', 'x'}},
      {18, 12, 12, 60, -4, kWhite, "jy", {'j', 'y'}},  // partly outside the image
  };
  for (const auto& t : cases) {
    IMAGE got(70, 40), want(70, 40);
    dt::fill(got, 0xFF202040);
    dt::fill(want, 0xFF202040);
    got.draw_text(t.x, t.y, &t.colour, nullptr, nullptr, t.font, t.fw, t.fh, t.text);
    reference_run(want, t.x, t.y, t.colour, t.codes, t.font, t.fw, t.fh);
    expect_same(got, want, t.text);
    EXPECT_GT(dt::count(got, 0xFF202040), 0);
  }
}

// The last column and row of the image take glyph pixels like any other.
TEST_F(Text, GlyphsReachTheImageEdge) {
  IMAGE wide(80, 40), edge(80, 40);
  wide.draw_text(10, 5, &kWhite, nullptr, nullptr, 10, 30, 30, "M");
  ft::Reference ref(10);
  FT_GlyphSlot g = ref.glyph('M', 30, 30);
  int right = 10 + g->bitmap_left + static_cast<int>(g->bitmap.width) - 1;
  edge.create(static_cast<INT_S16>(right + 1), 40);
  edge.draw_text(10, 5, &kWhite, nullptr, nullptr, 10, 30, 30, "M");
  for (int y = 0; y < 40; ++y) EXPECT_EQ(px(edge, right, y), px(wide, right, y)) << y;
  EXPECT_GT(dt::count(edge, kWhite), 0);
}

// A clip put back after a resize reaches past the smaller image: glyphs stay
// on its pixels. The image is an 8 x 20 view into a 40 x 40 buffer, so a
// pixel drawn outside it lands in the buffer and shows.
TEST_F(Text, StaleClipKeepsGlyphsOnThePixels) {
  const COLOUR kSentinel = 0xFF123456;
  IMAGE im(40, 40);
  dt::fill(im, kSentinel);
  im.width = 8;
  im.height = 20;
  im.draw_text(0, 0, &kWhite, nullptr, nullptr, 10, 30, 30, "MW");
  EXPECT_GT(dt::count(im, kWhite), 0);
  im.width = im.height = 40;
  int outside = 0;
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 40; ++x) outside += (x >= 8 || y >= 20) && px(im, x, y) != kSentinel;
  EXPECT_EQ(outside, 0);
}

TEST_F(Text, WideEscapeDrawsTheSameCharacters) {
  struct {
    const char* wide;
    const char* plain;
  } cases[] = {
      {"\x01" "00E9" "\x01", "\xE9"},
      {"\x01" "00e9,00EA" "\x01" "z", "\xE9\xEAz"},
      {"\x01," "0041" "\x01", "A"},
      {"\x01" "00G" "0041", "A"},           // broken group dropped with the G
      {"B\x01" "00E", "B"},                 // cut off by the end of the text
      {"B\x01" "0", "B"},
  };
  for (const auto& t : cases) {
    IMAGE a(90, 30), b(90, 30);
    a.draw_text(2, 2, &kWhite, nullptr, nullptr, 10, 22, 22, t.wide);
    b.draw_text(2, 2, &kWhite, nullptr, nullptr, 10, 22, 22, t.plain);
    expect_same(a, b, t.plain);
    EXPECT_EQ(a.text_width(10, 22, 22, t.wide), a.text_width(10, 22, 22, t.plain)) << t.plain;
  }
  IMAGE im(10, 10);
  EXPECT_EQ(im.text_width(10, 22, 22, "\x01" "00E"), 0);
}

TEST_F(Text, NothingForUnusableFontsOrEmptyText) {
  IMAGE im(40, 30);
  im.draw_text(0, 0, &kWhite, &kWhite, &kWhite, static_cast<INT_S8>(255), 22, 22, "Hi");
  im.draw_text(0, 0, &kWhite, &kWhite, &kWhite, 50, 22, 22, "Hi");
  im.draw_text(0, 0, &kWhite, &kWhite, &kWhite, 10, 0, 22, "Hi");
  im.draw_text(0, 0, &kWhite, &kWhite, &kWhite, 10, 22, 22, "");
  im.draw_text(0, 0, &kWhite, &kWhite, &kWhite, 10, 22, 22, "Hi", 0, 0);
  im.draw_char(0, 0, &kWhite, &kWhite, &kWhite, 10, 22, 22, 0);
  EXPECT_EQ(dt::count(im, 0), 40 * 30);
  EXPECT_EQ(im.dirty_left, 65535);
}

TEST_F(Text, BackgroundUnderlineAndDirtyArea) {
  IMAGE im(60, 40);
  const COLOUR back = 0xFF0000FF, under = 0xFF00FF00, invisible = 0;
  im.dirty_left = im.dirty_right = im.dirty_top = im.dirty_bottom = 65535;
  im.draw_text(5, 5, &invisible, &back, &under, 10, 22, 22, "_");
  ft::Reference ref(10);
  int adv = ref.advance('_', 22, 22);
  int descent = 22 * ref.face->descender / ref.face->height;
  // The background covers (x, y) to (x + advance, y + font_h), inclusive.
  EXPECT_EQ(px(im, 5, 5), back);
  EXPECT_EQ(px(im, 5 + adv, 5 + 22), back);
  EXPECT_NE(px(im, 6 + adv, 5), back);
  EXPECT_NE(px(im, 5, 28), back);
  for (int x = 5; x < 5 + adv; ++x) EXPECT_EQ(px(im, x, 5 + 22 + descent), under) << x;
  EXPECT_NE(px(im, 5 + adv, 5 + 22 + descent), under);
  EXPECT_EQ(im.dirty_left, 5);
  EXPECT_EQ(im.dirty_right, 5 + adv);
  EXPECT_EQ(im.dirty_bottom, 27);
}

TEST_F(Text, ShadowMovesTheBackground) {
  IMAGE im(60, 40), plain(60, 40);
  dt::fill(im, kWhite);
  dt::fill(plain, kWhite);
  const COLOUR back = 0xFF0000FF, red = 0xFFFF0000;
  im.draw_text(5, 5, &red, &back, nullptr, 10, 22, 22, ".", TEXT_EFFECT_SHADOW | TEXT_ALIGN_LEFT);
  EXPECT_EQ(px(im, 5, 5), kWhite);  // the background starts 2 pixels right and down
  EXPECT_EQ(px(im, 7, 7), back);
  // Shadow then text: the same as the two runs by hand.
  const COLOUR shadow = 0x32000000, none = 0;
  plain.draw_glyph_run(7, 7, &shadow, &back, &none, 0, 10, 22, 22, ".");
  plain.draw_glyph_run(5, 5, &red, &none, &none, 0, 10, 22, 22, ".");
  expect_same(im, plain, "shadow");
  // Only the lowest effect bit counts.
  IMAGE both(60, 40);
  dt::fill(both, kWhite);
  both.draw_text(5, 5, &red, &back, nullptr, 10, 22, 22, ".", TEXT_EFFECT_SHADOW | TEXT_EFFECT_BEVEL);
  expect_same(both, im, "lowest bit");
}

TEST_F(Text, EmbossAndBevel) {
  const COLOUR grey = 0xFF808080, dark = 0xFF102030, light = 0xFFE0E0F0, none = 0;
  IMAGE emboss(60, 40), by_hand(60, 40);
  dt::fill(emboss, grey);
  dt::fill(by_hand, grey);
  emboss.draw_text(10, 5, &dark, nullptr, nullptr, 10, 22, 22, "O", TEXT_EFFECT_EMBOSS);
  const COLOUR white100 = 0x64FFFFFF;
  by_hand.draw_glyph_run(11, 6, &white100, &none, &none, 0, 10, 22, 22, "O");
  by_hand.draw_glyph_run(10, 5, &dark, &none, &none, 0, 10, 22, 22, "O");
  expect_same(emboss, by_hand, "emboss dark text");
  IMAGE emboss2(60, 40), by_hand2(60, 40);
  emboss2.draw_text(10, 5, &light, nullptr, nullptr, 10, 22, 22, "O", TEXT_EFFECT_EMBOSS);
  const COLOUR black100 = 0x64000000;
  by_hand2.draw_glyph_run(9, 4, &black100, &none, &none, 0, 10, 22, 22, "O");
  by_hand2.draw_glyph_run(10, 5, &light, &none, &none, 0, 10, 22, 22, "O");
  expect_same(emboss2, by_hand2, "emboss light text");

  IMAGE bevel(60, 40);
  dt::fill(bevel, grey);
  const COLOUR red = 0xFFFF0000;
  bevel.draw_text(10, 5, &red, nullptr, nullptr, 10, 22, 22, "O", TEXT_EFFECT_BEVEL);
  int lighter = 0, darker = 0;
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 60; ++x) {
      COLOUR p = px(bevel, x, y);
      EXPECT_EQ(colour_red(p), colour_blue(p));  // the text colour does not show
      lighter += colour_red(p) > 0x80;
      darker += colour_red(p) < 0x80;
    }
  EXPECT_GT(lighter, 0);
  EXPECT_GT(darker, 0);
  // A fully covered pixel of the main pass: lightness 128/255 - 0.1.
  ft::Reference ref(10);
  FT_GlyphSlot g = ref.glyph('O', 22, 22);
  int descent = 22 * ref.face->descender / ref.face->height;
  double a, h, s, l;
  COLOUR expected_l = 0;
  for (unsigned r = 0; r < g->bitmap.rows && !expected_l; ++r)
    for (unsigned c = 0; c < g->bitmap.width; ++c)
      if (g->bitmap.buffer[r * g->bitmap.pitch + c] == 255) {
        COLOUR p = px(bevel, 10 + g->bitmap_left + static_cast<int>(c), 5 + 21 - g->bitmap_top + descent + static_cast<int>(r));
        colour_to_ahsl(&p, &a, &h, &s, &l);
        EXPECT_NEAR(l, 128 / 255.0 - 0.1, 0.01);
        expected_l = p;
        break;
      }
  EXPECT_NE(expected_l, 0u);
}

// Pixels the glyph does not cover keep their exact value: a lightness round
// trip through AHSL would shift some of them by one step.
TEST_F(Text, BevelLeavesUncoveredPixelsAlone) {
  const COLOUR odd = 0x80C86432, red = 0xFFFF0000;
  IMAGE im(60, 40);
  dt::fill(im, odd);
  im.draw_text(10, 5, &red, nullptr, nullptr, 10, 22, 22, "O", TEXT_EFFECT_BEVEL);
  ft::Reference ref(10);
  FT_GlyphSlot g = ref.glyph('O', 22, 22);
  int descent = 22 * ref.face->descender / ref.face->height;
  int cx = 10 + g->bitmap_left + static_cast<int>(g->bitmap.width) / 2;
  int cy = 5 + 21 - g->bitmap_top + descent + static_cast<int>(g->bitmap.rows) / 2;
  EXPECT_EQ(px(im, cx, cy), odd);  // the hole of the O
  EXPECT_EQ(px(im, 0, 0), odd);
  EXPECT_LT(dt::count(im, odd), 60 * 40);
}

TEST_F(Text, CharAndPrintfForms) {
  IMAGE a(80, 30), b(80, 30);
  a.draw_char(3, 3, &kWhite, nullptr, nullptr, 10, 20, 20, 'Q');
  b.draw_text(3, 3, &kWhite, nullptr, nullptr, 10, 20, 20, "Q");
  expect_same(a, b, "draw_char");
  IMAGE c(80, 30), d(80, 30);
  c.printf_text(3, 3, &kWhite, nullptr, 10, 20, 20, "%d-%s", 42, "ab");
  d.draw_text(3, 3, &kWhite, nullptr, nullptr, 10, 20, 20, "42-ab");
  expect_same(c, d, "printf_text");
  IMAGE e(80, 30), f(80, 30);
  const COLOUR under = 0xFF00FF00;
  e.printf_text_underlined(3, 3, &kWhite, nullptr, &under, 10, 20, 20, "%c", 'u');
  f.draw_text(3, 3, &kWhite, nullptr, &under, 10, 20, 20, "u");
  expect_same(e, f, "printf_text_underlined");
  IMAGE g(80, 30), h(80, 30);
  g.printf_text_default_font(1, 1, &kWhite, nullptr, "%s", "Default");
  h.draw_text(1, 1, &kWhite, nullptr, nullptr, 10, 22, 22, "Default");
  expect_same(g, h, "default font");
}

// A formatted text longer than the buffer is cut, not written past it.
TEST_F(Text, LongFormattedTextIsCut) {
  std::string long_text(20000, 'i');
  IMAGE im(100, 30), ref(100, 30);
  im.printf_text(0, 0, &kWhite, nullptr, 10, 12, 12, "%s%s", long_text.c_str(), long_text.c_str());
  ref.draw_text(0, 0, &kWhite, nullptr, nullptr, 10, 12, 12, long_text.substr(0, 5119).c_str());
  expect_same(im, ref, "cut text");
}

}  // namespace
