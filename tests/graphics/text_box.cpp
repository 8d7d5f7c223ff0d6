// Word-wrapped text box. Box sizes are built from measured widths, so the
// cases hold for any reasonable font.
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
const COLOUR kWhite = 0xFFFFFFFF, kBack = 0xFF203040;
const int kFont = 10, kCell = 22;
const INT_U16 kTopLeft = TEXT_ALIGN_TOP | TEXT_ALIGN_LEFT;

class TextBox : public ::testing::Test {
 protected:
  void SetUp() override {
    ft::install_builtin_fonts();
    init_fonts();
  }
  void TearDown() override { shutdown_fonts(); }
  int W(const char* s) {
    IMAGE im(1, 1);
    return im.text_width(kFont, kCell, kCell, s);
  }
};

struct Line {
  int x, y;
  std::string text;
};

// The box drawn with draw_text_box against the expected lines drawn one by
// one with draw_text.
void expect_box(int x1, int y1, int x2, int y2, const char* text, INT_U16 flags,
                const std::vector<Line>& lines, const COLOUR* back = nullptr) {
  IMAGE got(400, 160), want(400, 160);
  got.draw_text_box(x1, y1, x2, y2, &kWhite, back, nullptr, kFont, kCell, kCell, text, flags);
  for (const Line& l : lines)
    want.draw_text(l.x, l.y, &kWhite, back, nullptr, kFont, kCell, kCell, l.text.c_str(), flags);
  int diff = 0;
  for (int y = 0; y < 160; ++y)
    for (int x = 0; x < 400; ++x) diff += px(got, x, y) != px(want, x, y);
  std::string expected;
  for (const Line& l : lines) expected += "[" + l.text + "]";
  EXPECT_EQ(diff, 0) << "text \"" << text << "\" expected " << expected;
  EXPECT_GT(dt::count(got, 0), 0);
}

TEST_F(TextBox, LastLineEndsWithEllipsis) {
  int box = W("Hello") + W("...");
  expect_box(0, 0, box - 1, kCell - 1, "Hello world", kTopLeft,
             {{0, 0, "Hello"}, {W("Hello"), 0, "..."}});
  // The rest of the text that fits is taken whole instead.
  expect_box(0, 0, W("Hello wo") - 1, kCell - 1, "Hello wo", kTopLeft, {{0, 0, "Hello wo"}});
}

TEST_F(TextBox, LongWordIsHyphenated) {
  int box = W("abcd") + W("-") + 1;
  expect_box(0, 0, box - 1, 2 * kCell - 1, "abcdef", kTopLeft,
             {{0, 0, "abc"}, {W("abc"), 0, "-"}, {0, kCell, "def"}});
}

TEST_F(TextBox, BreaksAfterAHyphen) {
  expect_box(0, 0, W("abc-def") - 1, 3 * kCell - 1, "abc-def", kTopLeft,
             {{0, 0, "abc-"}, {0, kCell, "def"}});
}

TEST_F(TextBox, BreaksAtBlanksAndSkipsLeadingOnes) {
  // Of the blanks before the break only the last leaves the line: the others
  // keep their width (visible through the back colour).
  expect_box(0, 0, W("ab   c") - 1, 3 * kCell - 1, "  ab   cd", kTopLeft,
             {{0, 0, "ab  "}, {0, kCell, "cd"}}, &kBack);
  expect_box(0, 0, W("one two "), 3 * kCell - 1, "one two three", kTopLeft,
             {{0, 0, "one two"}, {0, kCell, "three"}});
}

TEST_F(TextBox, ALineStaysNarrowerThanTheBox) {
  expect_box(0, 0, W("ab") - 1, 3 * kCell - 1, "ab", kTopLeft, {{0, 0, "a"}, {0, kCell, "b"}});
}

TEST_F(TextBox, NewlinesAndTheNumberOfLines) {
  expect_box(0, 0, 300, 2 * kCell - 1, "a\nb\nc", kTopLeft, {{0, 0, "a"}, {0, kCell, "b"}});
  expect_box(0, 0, 300, 3 * kCell - 1, "a\n\nc\n", kTopLeft, {{0, 0, "a"}, {0, 2 * kCell, "c"}});
  // A box lower than one cell still gets one line.
  expect_box(0, 0, 300, 5, "low", kTopLeft, {{0, 0, "low"}});
}

TEST_F(TextBox, Alignment) {
  const int x1 = 10, y1 = 5, x2 = 309, y2 = 104, w = W("Hi");
  expect_box(x1, y1, x2, y2, "Hi", TEXT_ALIGN_BOTTOM | TEXT_ALIGN_RIGHT, {{x2 - w, y2 - kCell, "Hi"}});
  expect_box(x1, y1, x2, y2, "Hi", 0, {{x1 + (300 - w) / 2, y1 + (100 - kCell) / 2, "Hi"}});
  expect_box(x1, y1, x2, y2, "Hi\nHo", TEXT_ALIGN_TOP,
             {{x1 + (300 - w) / 2, y1, "Hi"}, {x1 + (300 - W("Ho")) / 2, y1 + kCell, "Ho"}});
  // A line with an ellipsis is aligned with it.
  int box = W("Hello w") + W("...");
  expect_box(50, 0, 50 + box - 1, kCell - 1, "Hello world, again", TEXT_ALIGN_RIGHT | TEXT_ALIGN_TOP,
             {{49, 0, "Hello w"}, {49 + W("Hello w"), 0, "..."}});
}

TEST_F(TextBox, WideCharactersWrapLikeTheirLatinForms) {
  int box = W("ab c") + 1;
  IMAGE a(200, 80), b(200, 80);
  a.draw_text_box(0, 0, box - 1, 79, &kWhite, nullptr, nullptr, kFont, kCell, kCell,
                  "\x01" "0061,0062,0020,0063,0064,0020,00E9" "\x01", kTopLeft);
  b.draw_text_box(0, 0, box - 1, 79, &kWhite, nullptr, nullptr, kFont, kCell, kCell,
                  "ab cd \xE9", kTopLeft);
  int diff = 0;
  for (int y = 0; y < 80; ++y)
    for (int x = 0; x < 200; ++x) diff += px(a, x, y) != px(b, x, y);
  EXPECT_EQ(diff, 0);
  EXPECT_GT(dt::count(a, kWhite), 0);
}

TEST_F(TextBox, ShadowDrawsBackgroundAtItsOffset) {
  expect_box(0, 0, 300, kCell - 1, "Hi", kTopLeft | TEXT_EFFECT_SHADOW, {{0, 0, "Hi"}}, &kBack);
  IMAGE im(100, 40);
  im.draw_text_box(0, 0, 99, kCell - 1, &kWhite, &kBack, nullptr, kFont, kCell, kCell, "Hi",
                   kTopLeft | TEXT_EFFECT_SHADOW);
  EXPECT_NE(px(im, 0, 23), kBack);
  EXPECT_EQ(px(im, 2, 23), kBack);
}

// A character wider than the box takes a line of its own instead of leaving
// empty lines behind; the last line ends in the ellipsis as always.
TEST_F(TextBox, CharactersWiderThanTheBoxStillMoveOn) {
  expect_box(0, 0, 4, 3 * kCell - 1, "WWW", kTopLeft, {{0, 0, "W"}, {0, kCell, "W"}, {0, 2 * kCell, "..."}});
}

TEST_F(TextBox, NothingDrawnButTheBoxIsDirty) {
  IMAGE im(100, 60);
  im.dirty_left = im.dirty_right = im.dirty_top = im.dirty_bottom = 65535;
  im.draw_text_box(80, 50, -10, 5, &kWhite, nullptr, nullptr, kFont, kCell, kCell, "   ", kTopLeft);
  EXPECT_EQ(dt::count(im, 0), 6000);
  EXPECT_EQ(im.dirty_left, 0);
  EXPECT_EQ(im.dirty_right, 80);
  EXPECT_EQ(im.dirty_top, 5);
  EXPECT_EQ(im.dirty_bottom, 50);
  im.dirty_left = im.dirty_right = im.dirty_top = im.dirty_bottom = 65535;
  im.draw_text_box(0, 0, 99, 59, &kWhite, nullptr, nullptr, 60, kCell, kCell, "x", kTopLeft);
  im.draw_text_box(0, 0, 99, 59, &kWhite, nullptr, nullptr, kFont, 0, kCell, "x", kTopLeft);
  im.draw_text_box(0, 0, 99, 59, &kWhite, nullptr, nullptr, kFont, kCell, kCell, "", kTopLeft);
  EXPECT_EQ(im.dirty_left, 65535);
}

}  // namespace
