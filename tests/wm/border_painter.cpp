// The border painter: golden pixels per shading type, square and rounded,
// with side and corner masks; bevel colours; thickness; the arrow; gaps.
#include <gtest/gtest.h>

#include <string>

#include "image.h"
#include "style_set.h"
#include "wm_border.h"
#include "wm_globals.h"
#include "wm_screen_object.h"

namespace {

// Pixels as letters: . background, W white, G grey (808080), Y yellow
// outline, K black, D / L the dark and light of a base colour, ? other.
std::string picture(const IMAGE& im) {
  std::string out;
  for (int y = 0; y < im.height; ++y) {
    for (int x = 0; x < im.width; ++x) {
      COLOUR c = *im.pixel_at(x, y);
      char ch = '?';
      switch (c) {
        case 0xFF204060: ch = '.'; break;
        case 0xFFFFFFFF: ch = 'W'; break;
        case 0xFF808080: ch = 'G'; break;
        case 0xFFFFFF00: ch = 'Y'; break;
        case 0xFF000000: ch = 'K'; break;
        case 0xFF46698C: ch = 'D'; break;
        case 0xFF82C3FF: ch = 'L'; break;
        case 0xFFFF0000: ch = 'R'; break;
      }
      out += ch;
    }
    out += '\n';
  }
  return out;
}

struct Surface {
  IMAGE image{12, 12};
  WM_SCREEN_OBJECT object{1, nullptr, 0, 0};
  Surface(INT_S16 w = 12, INT_S16 h = 12) : image(w, h) {
    wm_surface = &image;
    COLOUR bg = 0xFF204060;
    image.clear(&bg, 1);
    object.colour = 0;
  }
  ~Surface() { wm_surface = nullptr; }
};

struct Golden {
  INT_U32 type;
  INT_U16 mask;
  const char* rows;
};

// Every ring in its colour; (0,0)-(9,9) on a 12 x 12 surface, default
// window-manager colours, no object colour.
const Golden kGolden[] = {
    // Two bevel rings: top and left white, bottom and right grey; the
    // top-right and bottom-left corner pixels come from the later grey lines.
    {6, 15,
     "WWWWWWWWWG.." "WWWWWWWWGG.." "WW......GG.." "WW......GG.." "WW......GG.." "WW......GG.."
     "WW......GG.." "WW......GG.." "WGGGGGGGGG.." "GGGGGGGGGG.." "............" "............"},
    // Indented: light and dark swap.
    {6, 15 | BORDER_INDENTED,
     "GGGGGGGGGW.." "GGGGGGGGWW.." "GG......WW.." "GG......WW.." "GG......WW.." "GG......WW.."
     "GG......WW.." "GG......WW.." "GWWWWWWWWW.." "WWWWWWWWWW.." "............" "............"},
    // Outline only, rounded on all corners with radius 10 / 3 = 3.
    {3, 255,
     "...YYYY....." ".YY....YY..." ".Y......Y..." "Y........Y.." "Y........Y.." "Y........Y.."
     "Y........Y.." "Y........Y.." ".YY....YY..." "...YYYY....." "............" "............"},
    // Outer ring dark above and left, light below and right; black; bevel.
    {2, 15,
     "GGGGGGGGGW.." "GKKKKKKKKW.." "GKWWWWWGKW.." "GKW....GKW.." "GKW....GKW.." "GKW....GKW.."
     "GKW....GKW.." "GKGGGGGGKW.." "GKKKKKKKKW.." "WWWWWWWWWW.." "............" "............"},
    // One rounded corner: the outer ring is dark on every side.
    {2, 31,
     "...GGGGGGG.." ".GG.KKKKKG.." ".GKK.WWGKG.." "G.KWW..GKG.." "GK.W...GKG.." "GKW....GKG.."
     "GKW....GKG.." "GKGGGGGGKG.." "GKKKKKKKKG.." "GGGGGGGGGG.." "............" "............"},
    // Four rings, every ring with the same radius.
    {9, 255,
     "...YYYY....." ".YY.WW.YY..." ".YWWWWWWY..." "Y.WGWWGW.Y.." "YWGGWWGGGY.." "YGGWGGGGGY.."
     "YG.GGGG.GY.." "Y.GGGGGG.Y.." ".YY.GG.YY..." "...YYYY....." "............" "............"},
    // A corner bit alone: its arcs and no side.
    {8, BORDER_CORNER_TOP_LEFT,
     "...W........" ".WW.W......." ".WWW.W......" "W.WWW......." ".W.W........" "..W........."
     "............" "............" "............" "............" "............" "............"},
    // Top side between two rounded top corners, no other side.
    {5, BORDER_SIDE_TOP | BORDER_CORNER_TOP_LEFT | BORDER_CORNER_TOP_RIGHT,
     "...YYYY....." ".YY.WW.YY..." ".YWW..WWY..." "Y.W....W.Y.." ".W......W..." "............"
     "............" "............" "............" "............" "............" "............"},
    // Side bits without corner bits: square, no arcs.
    {4, BORDER_SIDE_LEFT | BORDER_SIDE_BOTTOM,
     "W..........." "W..........." "W..........." "W..........." "W..........." "W..........."
     "W..........." "W..........." "W..........." "GGGGGGGGGG.." "............" "............"},
    // Types that draw nothing.
    {0, 255, nullptr},
    {10, 255, nullptr},
};

std::string rows_of(const char* packed, int w) {
  std::string out;
  for (size_t i = 0; packed[i]; i += w) out += std::string(packed + i, w) + "\n";
  return out;
}

TEST(BorderPainter, GoldenPixels) {
  const std::string empty = rows_of(
      "............................................................................................"
      "....................................................",
      12);
  for (const Golden& g : kGolden) {
    Surface s;
    s.object.draw_border(0, 0, 9, 9, g.mask, nullptr, g.type, -1);
    EXPECT_EQ(picture(s.image), g.rows ? rows_of(g.rows, 12) : empty)
        << "type " << g.type << " mask " << g.mask;
  }
}

TEST(BorderPainter, TypeOneResolves) {
  Surface s;
  // Through the object's own type, then the window manager's default (6).
  s.object.shading_type = 1;
  EXPECT_EQ(s.object.border_width(1), 2);
  s.object.draw_border(0, 0, 9, 9, 15, nullptr, 1, -1);
  EXPECT_EQ(picture(s.image), rows_of(kGolden[0].rows, 12));
  s.object.shading_type = 9;
  EXPECT_EQ(s.object.border_width(1), 4);
  EXPECT_EQ(get_default_border_width(1), 2);
  const INT_U32 saved = wm_default_shading_type;
  wm_default_shading_type = 1;
  s.object.shading_type = 1;
  EXPECT_EQ(s.object.border_width(1), 0);
  EXPECT_EQ(get_default_border_width(1), 0);
  wm_default_shading_type = saved;
  struct {
    INT_U32 type;
    INT_U16 width;
  } widths[] = {{0, 0}, {2, 3}, {3, 1}, {4, 1}, {5, 2}, {6, 2}, {7, 3}, {8, 3}, {9, 4}, {10, 0},
                {0xFFFFFFFF, 0}};
  for (const auto& w : widths) {
    EXPECT_EQ(get_default_border_width(w.type), w.width) << w.type;
    EXPECT_EQ(s.object.border_width(w.type), w.width) << w.type;
  }
}

TEST(BorderPainter, BevelColours) {
  WM_SCREEN_OBJECT object(1, nullptr, 0, 0);
  const COLOUR saved_dark = wm_bevel_dark_colour, saved_light = wm_bevel_light_colour;
  const COLOUR base = 0xFF6496C8;
  struct {
    COLOUR own, global_dark, global_light, bevel_base;
    const COLOUR* base;
    COLOUR dark, light;
  } cases[] = {
      // The object's colour first: x 70 / 100 and x 130 / 100 capped.
      {0xFF6496C8, 0xFF808080, 0xFFFFFFFF, 0, nullptr, 0xFF46698C, 0xFF82C3FF},
      {0x806496C8, 0xFF808080, 0xFFFFFFFF, 0, &base, 0x8046698C, 0x8082C3FF},
      // Then the global bevel colours, whatever base is passed.
      {0, 0xFF808080, 0xFFFFFFFF, 0, &base, 0xFF808080, 0xFFFFFFFF},
      // Globals cleared: from the base.
      {0, 0, 0, 0, &base, 0xFF46698C, 0xFF82C3FF},
      // Then the bevel base colour, darkened and brightened by 30 %.
      {0, 0, 0, 0xFF646464, nullptr, 0xFF464646, 0xFF828282},
      // Nothing set: grey and white.
      {0, 0, 0, 0, nullptr, 0xFF808080, 0xFFFFFFFF},
  };
  for (const auto& c : cases) {
    object.colour = c.own;
    wm_bevel_dark_colour = c.global_dark;
    wm_bevel_light_colour = c.global_light;
    wm_bevel_base_colour = c.bevel_base;
    COLOUR dark = 1, light = 1;
    get_bevel_colours(&object, c.base, &dark, &light);
    EXPECT_EQ(dark, c.dark) << std::hex << c.own << " " << c.bevel_base;
    EXPECT_EQ(light, c.light) << std::hex << c.own << " " << c.bevel_base;
  }
  wm_bevel_dark_colour = saved_dark;
  wm_bevel_light_colour = saved_light;
  wm_bevel_base_colour = 0;

  // Drawn: a bevel from the object's own colour.
  Surface s;
  s.object.colour = 0xFF6496C8;
  s.object.draw_border(0, 0, 3, 3, 15, nullptr, 4, -1);
  EXPECT_EQ(picture(s.image).substr(0, 4 * 13),
            "LLLD........\nL..D........\nL..D........\nDDDD........\n");
}

TEST(BorderPainter, UnsetColoursDrawNothingAndAreNotFatal) {
  const COLOUR saved_outline = wm_outline_colour, saved_shadow = wm_shadow_colour;
  wm_outline_colour = 0x00FFFF00;  // alpha 0: unset
  wm_shadow_colour = 0;
  {
    Surface s;
    s.object.draw_border(0, 0, 9, 9, 255, nullptr, 3, -1);
    s.object.draw_border(0, 0, 9, 9, 15, nullptr, 3, -1);
    EXPECT_EQ(picture(s.image).find_first_not_of(".\n"), std::string::npos);
  }
  {
    // Type 2: the black ring is skipped, the others drawn.
    Surface s;
    s.object.draw_border(0, 0, 9, 9, 15, nullptr, 2, -1);
    EXPECT_EQ(picture(s.image).substr(0, 3 * 13), "GGGGGGGGGW..\nG........W..\nG.WWWWWG.W..\n");
  }
  wm_outline_colour = saved_outline;
  wm_shadow_colour = saved_shadow;
  Surface s;
  COLOUR unset = 0x00FF0000;
  for (int d = 0; d < 4; ++d) draw_arrow(&s.object, 0, 0, 8, 8, &unset, d, -1, -1);
  draw_arrow(&s.object, 0, 0, 8, 8, nullptr, 0, -1, -1);
  EXPECT_EQ(picture(s.image).find_first_not_of(".\n"), std::string::npos);
}

TEST(BorderPainter, Arrows) {
  struct {
    INT_S32 direction;
    const char* rows;
  } cases[] = {
      // Up in (0,0)-(8,8), margins 3: x = 3..5 at y 5 to the apex (4, 3).
      {ARROW_UP, "........." "........." "........." "....R...." "....R...." "...RRR..." "........." "........." "........."},
      {ARROW_DOWN, "........." "........." "........." "...RRR..." "...RRR..." "....R...." "........." "........." "........."},
      {ARROW_LEFT, "........." "........." "........." ".....R..." "...RRR..." ".....R..." "........." "........." "........."},
      {ARROW_RIGHT, "........." "........." "........." "...RR...." "...RRR..." "...RR...." "........." "........." "........."},
      {4, nullptr},
      {-1, nullptr},
  };
  COLOUR red = 0xFFFF0000;
  for (const auto& c : cases) {
    Surface s(9, 9);
    draw_arrow(&s.object, 0, 0, 8, 8, &red, c.direction, -1, -1);
    const std::string want = c.rows ? rows_of(c.rows, 9) : rows_of(std::string(81, '.').c_str(), 9);
    EXPECT_EQ(picture(s.image), want) << c.direction;
  }
  // Margins given, not square.
  Surface s(12, 8);
  draw_arrow(&s.object, 1, 1, 10, 6, &red, ARROW_RIGHT, 2, 1);
  EXPECT_EQ(picture(s.image), rows_of("............" "............" "...RRR......" "...RRRRR...."
                                      "...RRRRRR..." "...RRRRR...." "............" "............",
                                      12));
  // Margins larger than the box: an empty range draws nothing.
  Surface t(9, 9);
  draw_arrow(&t.object, 0, 0, 8, 8, &red, ARROW_UP, 6, 2);
  EXPECT_EQ(picture(t.image).find_first_not_of(".\n"), std::string::npos);
}

TEST(BorderPainter, ArrowImageIsCentred) {
  Surface s(9, 9);
  IMAGE& up = wm_arrow_images[ARROW_UP];
  up.create(3, 2);
  COLOUR white = 0xFFFFFFFF;
  up.clear(&white, 1);
  COLOUR red = 0xFFFF0000;
  draw_arrow(&s.object, 0, 0, 8, 8, &red, ARROW_UP, -1, -1);
  up.init(-1, -1);
  // At (0 + (8 - 3) / 2, 0 + (8 - 2) / 2) = (2, 3); no triangle.
  EXPECT_EQ(picture(s.image), rows_of("........." "........." "........." "..WWW...." "..WWW...."
                                      "........." "........." "........." ".........",
                                      9));
}

TEST(BorderPainter, StyleGaps) {
  Surface s;
  s.image.font_width = 7;
  struct {
    INT_S16 left, right, font_x;
    INT_U16 want;
  } x_cases[] = {
      {4, 5, 9, 9},    // both set
      {-1, -1, 9, 9},  // both unset: the font width
      {-1, -1, -1, 7}, // ... the surface's default
      {4, -1, 9, 8},   // one unset: half the font width
      {-1, 6, -1, 9},
  };
  for (const auto& c : x_cases) {
    WM_STYLE_SET st;
    st.border_left_gap = c.left;
    st.border_right_gap = c.right;
    st.font_x_sz = c.font_x;
    INT_U16 out = 0;
    st.border_gaps_x(&out);
    EXPECT_EQ(out, c.want) << c.left << " " << c.right << " " << c.font_x;
  }
  struct {
    INT_S16 top, bottom;
    INT_U16 fallback, want;
  } y_cases[] = {{2, 3, 9, 5}, {-1, -1, 4, 8}, {-1, 3, 4, 7}, {6, -1, 1, 7}};
  for (const auto& c : y_cases) {
    WM_STYLE_SET st;
    st.border_top_gap = c.top;
    st.border_bottom_gap = c.bottom;
    INT_U16 out = 0;
    EXPECT_EQ(st.border_gaps_y(c.fallback, &out), c.want);
    EXPECT_EQ(out, c.want);
  }
  WM_STYLE_SET st;
  st.shading_type = 9;
  EXPECT_EQ(st.padded_text_width(&s.image, nullptr), 8);
  st.border_left_gap = 1;
  EXPECT_EQ(st.padded_text_width(&s.image, nullptr), 5);
  EXPECT_EQ(st.padded_text_width(&s.image, "abc"),
            5 + s.image.text_width(255, 65535, 65535, "abc"));
}

}  // namespace
