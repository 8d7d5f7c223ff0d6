// Colour conversions, colour texts, brightness, contrast, tint and mask
// colouring.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "colour.h"
#include "debug_stream.h"
#include "errors.h"
#include "test_support.h"

namespace {

TEST(Colour, AhslOfKnownColours) {
  struct {
    COLOUR c;
    double a, h, s, l;
  } cases[] = {
      {0xFFFF0000, 1, 0, 1, 0.5},         {0xFF00FF00, 1, 1.0 / 3, 1, 0.5},
      {0xFF0000FF, 1, 2.0 / 3, 1, 0.5},   {0xFFFFFF00, 1, 1.0 / 6, 1, 0.5},
      {0xFF808080, 1, 0, 0, 128 / 255.0}, {0xFFFFFFFF, 1, 0, 0, 1},
      {0x00000000, 0, 0, 0, 0},           {0xFF336699, 1, 7.0 / 12, 0.5, 0.4},
  };
  for (const auto& t : cases) {
    double a, h, s, l;
    colour_to_ahsl(&t.c, &a, &h, &s, &l);
    EXPECT_NEAR(a, t.a, 1e-9) << std::hex << t.c;
    EXPECT_NEAR(h, t.h, 1e-9) << std::hex << t.c;
    EXPECT_NEAR(s, t.s, 1e-9) << std::hex << t.c;
    EXPECT_NEAR(l, t.l, 1e-9) << std::hex << t.c;
  }
}

TEST(Colour, AhslToColourTruncatesAndClamps) {
  struct {
    double a, h, s, l;
    COLOUR want;
  } cases[] = {
      {1, 0, 1, 0.5, 0xFFFF0000},   {1, 1.0 / 3, 1, 0.5, 0xFF00FF00}, {0.5, 0, 0, 0, 0x7F000000},
      {1, 5, 7, 9, 0xFFFFFFFF},     {1, -1, -1, 0.5, 0xFF7F7F7F},     {1, 2.0 / 3, 1, 0.25, 0xFF00007F},
  };
  for (const auto& t : cases) {
    COLOUR out = 0x12345678;
    EXPECT_EQ(ahsl_to_colour(&out, t.a, t.h, t.s, t.l), &out);
    EXPECT_EQ(out, t.want) << t.h << " " << t.s << " " << t.l;
  }
}

// The conversions truncate, so a round trip may lose one step in a channel.
TEST(Colour, RoundTripsFollowTruncation) {
  struct {
    COLOUR c, via_ahsl, via_acmyk;
  } cases[] = {
      {0xFFFF0000, 0xFFFF0000, 0xFFFF0000}, {0xFF808080, 0xFF808080, 0xFF808080},
      {0xFF336699, 0xFF336699, 0xFF326699}, {0x80C86432, 0x80C86331, 0x80C86331},
      {0x12345678, 0x12345678, 0x12335678}, {0xFF000000, 0xFF000000, 0xFF000000},
  };
  for (const auto& t : cases) {
    double a, h, s, l, c, m, y, k;
    COLOUR out;
    colour_to_ahsl(&t.c, &a, &h, &s, &l);
    ahsl_to_colour(&out, a, h, s, l);
    EXPECT_EQ(out, t.via_ahsl) << std::hex << t.c;
    colour_to_acmyk(&t.c, &a, &c, &m, &y, &k);
    acmyk_to_colour(&out, a, c, m, y, k);
    EXPECT_EQ(out, t.via_acmyk) << std::hex << t.c;
  }
}

TEST(Colour, AcmykOfBlackHasNoColourComponents) {
  COLOUR black = 0xFF000000;
  double a, c, m, y, k;
  colour_to_acmyk(&black, &a, &c, &m, &y, &k);
  EXPECT_EQ(c, 0);
  EXPECT_EQ(m, 0);
  EXPECT_EQ(y, 0);
  EXPECT_EQ(k, 1);
  EXPECT_FALSE(std::isnan(c));
}

TEST(Colour, ParsesEveryTextForm) {
  struct {
    const char* text;
    COLOUR want;
  } cases[] = {
      {"#ff0000", 0xFFFF0000},
      {"#80ff0000", 0x80FF0000},
      {"# ff0000", 0xFFFF0000},
      {"#ff0000 ", 0x00FF0000},  // seven characters after the prefix: no alpha added
      {"#FF", 0xFF0000FF},
      {"#", 0xFF000000},
      {"&255,255,0,0", 0xFFFF0000},
      {"& 255,0,255,0", 0xFF00FF00},
      {"&511,256,257,1", 0xFF000101},  // low 8 bits of each
      {"%100,100,0,0", 0xFFFF0000},
      {"%50,50,50,50", 0x7F7F7F7F},
      {"@1,1,0,0", 0xFFFF0000},
      {"@0.5,0,0,1", 0x7F0000FF},
      {"@ahsl1,0,1,0.5", 0xFFFF0000},
      {"@AHSL 1,0.3333333333334,1,0.5", 0xFF00FF00},
      {"&AHSL255,0,255,127", 0xFFFE0000},
      {"%ahsl100,0,100,50", 0xFFFF0000},
      {"#AHSLFF00FF00", 0xFF000000},
      {"#ahsl FF00FFFF", 0xFFFFFFFF},
      {"&ACMYK255,0,0,0,255", 0xFF000000},
      {"@ACMYK1,0,0,0,0", 0xFFFFFFFF},
      {"%acmyk100,100,0,0,0", 0xFF00FFFF},
      {"#ACMYKFF00000000", 0xFFFFFFFF},
      {"#acmykFFFF000000", 0xFF00FFFF},
      {"#ACMYKFF00FF00", 0xFFFF00FF},    // missing pairs count as 0
      {"#AHSLFFzz", 0xFF000000},         // a pair that is not hex counts as 0
      {"&255", 0xFF000000},              // missing numbers count as 0
  };
  for (const auto& t : cases) {
    COLOUR out = 0xDEADBEEF;
    EXPECT_EQ(parse_colour(&out, t.text), &out);
    EXPECT_EQ(out, t.want) << t.text;
  }
}

TEST(Colour, UnknownTextLeavesColour) {
  for (const char* text : {"", "ff0000", "rgb(1,2,3)", " #ff0000", static_cast<const char*>(nullptr)}) {
    COLOUR out = 0xDEADBEEF;
    parse_colour(&out, text);
    EXPECT_EQ(out, 0xDEADBEEFu) << (text ? text : "(null)");
  }
}

TEST(Colour, BrightnessByPercent) {
  struct {
    COLOUR c;
    int percent;
    COLOUR want;
  } cases[] = {
      {0xFFC86432, 50, 0xFF643219}, {0xFF808080, -100, 0xFFFFFFFF},
      {0x80FFFFFF, 100, 0x80000000},                 {0x12345678, 0, 0x12345678},
      {0xFF102030, -50, 0xFF183048},
  };
  for (const auto& t : cases) {
    COLOUR c = t.c;
    set_last_error(7, "x");
    adjust_colour_brightness(&c, static_cast<INT_S8>(t.percent));
    EXPECT_EQ(c, t.want) << t.percent;
    EXPECT_STREQ(get_last_error_text(), "No Error");
  }
}

TEST(Colour, BrightnessOutOfRangeIsSoftError) {
  for (int percent : {101, -101, 127, -128}) {
    COLOUR c = 0xFF808080;
    set_last_error(0, nullptr);
    adjust_colour_brightness(&c, static_cast<INT_S8>(percent));
    EXPECT_EQ(c, 0xFF808080u);
    EXPECT_STREQ(get_last_error_text(),
                 "Error: Colour darkening percentage was over 100% or less than -100% which "
                 "makes no sense.");
  }
}

TEST(Colour, ChooseTextColour) {
  COLOUR out;
  COLOUR bg = 0xFF808080;
  EXPECT_EQ(*choose_text_colour(&out, &bg), 0xFF000000u);
  bg = 0xFF7F8080;
  EXPECT_EQ(*choose_text_colour(&out, &bg), 0xFFFFFFFFu);
  bg = 0x00000000;
  EXPECT_EQ(*choose_text_colour(&out, &bg), 0xFFFFFFFFu);
}

double lightness_of(COLOUR c) {
  double a, h, s, l;
  colour_to_ahsl(&c, &a, &h, &s, &l);
  return l;
}

TEST(Colour, ShiftLightnessTurnsAtTheEnds) {
  struct {
    double from, amount, want;
  } cases[] = {{0.9, 0.3, 0.6}, {0.2, 0.3, 0.5}, {0.2, -0.3, 0.5}, {0.6, -0.3, 0.3}};
  for (const auto& t : cases) {
    COLOUR grey, out = 0x80000000;
    ahsl_to_colour(&grey, 1, 0, 0, t.from);
    shift_colour_lightness(&out, &grey, t.amount);
    EXPECT_NEAR(lightness_of(out), t.want, 0.005) << t.from << " " << t.amount;
    EXPECT_EQ(out >> 24, 0x80u);  // alpha is what out held
  }
}

TEST(Colour, EnsureContrast) {
  COLOUR a = 0xFF808080, b = 0xFF808080;
  EXPECT_EQ(ensure_colour_contrast(&a, &b, 1), 1);
  EXPECT_EQ(a, 0xFF808080u);
  EXPECT_EQ(ensure_colour_contrast(&a, &b, 0), 1);
  EXPECT_NEAR(lightness_of(a), 128 / 255.0 - 0.2, 0.005);
  COLOUR dark = 0xFF202020, other = 0xFF101010;
  EXPECT_EQ(ensure_colour_contrast(&dark, &other, 0), 1);
  EXPECT_NEAR(lightness_of(dark), 16 / 255.0 + 0.2, 0.005);
  COLOUR red = 0xFFFF0000, blue = 0xFF0000FF;
  EXPECT_EQ(ensure_colour_contrast(&red, &blue, 0), 0);
  EXPECT_EQ(red, 0xFFFF0000u);
}

TEST(Colour, Tint) {
  struct {
    COLOUR pixel, tint, want;
  } cases[] = {
      {0xFF808080, 0xFF808080, 0xFF808080},
      {0x40FFFFFF, 0xFF804020, 0x40FFFFFF},  // brighter than the tint goes to white
      {0xFF000000, 0xFF804020, 0xFF000000},  // darker goes to black
      {0xFF404040, 0xFF804020, 0xFF6E371B},
      {0xFF000000, 0xFF000000, 0xFF000000},  // black on black: no division by zero
  };
  for (const auto& t : cases) {
    COLOUR p = t.pixel;
    tint_colour(&p, &t.tint);
    EXPECT_EQ(p, t.want) << std::hex << t.pixel;
  }
}

TEST(Colour, BlendColourWithExplicitAlpha) {
  struct {
    COLOUR d, s;
    int alpha;
    COLOUR want;
  } cases[] = {
      {0xFF000000, 0x00FFFFFF, 249, 0xFFF8F8F8}, {0xFF000000, 0x00FFFFFF, 250, 0x00FFFFFF},
      {0x12345678, 0xFFFFFFFF, 0, 0x12345678},   {0x00000000, 0xFFFFFFFF, 128, 0x007F7F7F},
  };
  for (const auto& t : cases) {
    COLOUR d = t.d;
    blend_colour(&d, &t.s, static_cast<INT_U8>(t.alpha));
    EXPECT_EQ(d, t.want) << t.alpha;
  }
}

TEST(Colour, PackedBlendEqualsPerChannelRule) {
  // Every alpha and channel pair; the other channels vary with them.
  for (INT_U32 a = 1; a < 255; ++a)
    for (INT_U32 d = 0; d < 256; ++d)
      for (INT_U32 s = 0; s < 256; ++s) {
        COLOUR dc = make_colour(static_cast<INT_U8>(a ^ d), static_cast<INT_U8>(d),
                                static_cast<INT_U8>(255 - d), static_cast<INT_U8>(d ^ s));
        COLOUR sc = make_colour(0, static_cast<INT_U8>(s), static_cast<INT_U8>(255 - s),
                                static_cast<INT_U8>(s + d));
        COLOUR got = blend_rgb_packed(dc, sc, a);
        auto mix = [&](int shift) {
          INT_U32 dv = (dc >> shift) & 255, sv = (sc >> shift) & 255;
          return ((dv * (255 - a) + sv * a) >> 8) << shift;
        };
        COLOUR want = (dc & 0xFF000000u) | mix(16) | mix(8) | mix(0);
        if (got != want) {
          ADD_FAILURE() << std::hex << dc << " " << sc << " " << a;
          return;
        }
      }
}

TEST(Colour, ColourisePixel) {
  const COLOUR none = 0, red = 0xFFFF0000, green = 0xFF00FF00, blue = 0xFF0000FF;
  struct {
    COLOUR pixel;
    COLOUR c1, c2, c3;
    COLOUR want;
  } cases[] = {
      {0xFF00FF00, none, blue, none, 0xFF0000FF},
      {0x00000000, red, green, blue, 0x00000000},
      {0xFFFF0000, red, green, blue, 0xFFFF0000},     // r only: c1, alpha 255 + 0 + 0
      {0xFF800000, red, green, blue, 0x80FF0000},     // r 128: alpha 128
      {0xFF808000, red, green, none, 0xFF7E7F00},     // c2 mixed in at 128, alpha 128 + 128 capped
      {0xFF80FF00, red, green, none, 0xFF00FF00},     // w 255 replaces c1 by c2
      {0xFF0000FF, red, green, blue, 0xFF0000FF},     // b only
      {0xFF000080, red, green, 0x80000000 | 0x0000FF, 0x400000FF},  // 128 x 128 / 255
      {0xFF00FF00, red, none, blue, 0x00000000},      // g without c2 and b 0
      {0xFF0040FF, red, green, blue, 0xFF0000FF},     // g 64: c2 then c3 at 255 -> c3
  };
  for (const auto& t : cases) {
    COLOUR p = t.pixel;
    colourise_pixel(&p, &t.c1, &t.c2, &t.c3);
    EXPECT_EQ(p, t.want) << std::hex << t.pixel;
  }
}

}  // namespace

namespace {

TEST(Colour, BrightnessErrorIsLoggedToThePlatformStream) {
  zt::ChildResult r = zt::run_in_child([] {
    platform_debug_stream()->flags = DEBUG_TO_CONSOLE | DEBUG_CODE_LOCATION;
    COLOUR c = 0xFF808080;
    adjust_colour_brightness(&c, 120);
  });
  EXPECT_EQ(r.status, 0);
  EXPECT_NE((r.out + r.err).find("Colour darkening percentage"), std::string::npos) << r.out << r.err;
  EXPECT_NE((r.out + r.err).find("colour"), std::string::npos);
  // Without any option set the stream stays silent.
  r = zt::run_in_child([] {
    COLOUR c = 0xFF808080;
    adjust_colour_brightness(&c, 120);
  });
  EXPECT_EQ(r.out + r.err, "");
}

}  // namespace
