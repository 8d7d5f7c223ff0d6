// Colours: the 0xAARRGGBB pixel value, conversions to and from AHSL and
// ACMYK fractions, the colour-text parser, brightness, lightness, contrast,
// tinting, blending with an explicit alpha and three-channel mask colouring.
// Also the constants that callers pass to the drawing members of IMAGE.
#ifndef ZORV_COLOUR_H
#define ZORV_COLOUR_H

#include "zorv_types.h"

typedef INT_U32 COLOUR;

// Any value below this has alpha 0 and is not drawn.
#define COLOUR_INVISIBLE 0x00000000u
inline bool colour_is_visible(COLOUR c) { return c >= 0x01000000u; }
inline INT_U8 colour_alpha(COLOUR c) { return static_cast<INT_U8>(c >> 24); }
inline INT_U8 colour_red(COLOUR c) { return static_cast<INT_U8>(c >> 16); }
inline INT_U8 colour_green(COLOUR c) { return static_cast<INT_U8>(c >> 8); }
inline INT_U8 colour_blue(COLOUR c) { return static_cast<INT_U8>(c); }
inline COLOUR make_colour(INT_U8 a, INT_U8 r, INT_U8 g, INT_U8 b) {
  return (COLOUR(a) << 24) | (COLOUR(r) << 16) | (COLOUR(g) << 8) | COLOUR(b);
}

// The blend rule with alpha a (1..alpha_copy_threshold-1): red, green and
// blue become (d * (255 - a) + s * a) >> 8, the destination keeps its alpha.
// Red and blue share one 32-bit product; the result equals the per-channel
// rule for every input.
inline COLOUR blend_rgb_packed(COLOUR d, COLOUR s, INT_U32 a) {
  INT_U32 ia = 255 - a;
  INT_U32 rb = (((d & 0x00FF00FFu) * ia + (s & 0x00FF00FFu) * a) >> 8) & 0x00FF00FFu;
  INT_U32 g = (((d & 0x0000FF00u) * ia + (s & 0x0000FF00u) * a) >> 8) & 0x0000FF00u;
  return (d & 0xFF000000u) | rb | g;
}

void colour_to_ahsl(const COLOUR* colour, double* alpha, double* hue, double* saturation,
                    double* lightness);
COLOUR* ahsl_to_colour(COLOUR* out, double alpha, double hue, double saturation, double lightness);
void colour_to_acmyk(const COLOUR* colour, double* alpha, double* cyan, double* magenta,
                     double* yellow, double* black);
COLOUR* acmyk_to_colour(COLOUR* out, double alpha, double cyan, double magenta, double yellow,
                        double black);
// Reads "#...", "&...", "%..." or "@..." forms, optionally with the keyword
// AHSL or ACMYK; any other text (or null) leaves `out` unchanged.
COLOUR* parse_colour(COLOUR* out, const char* text);
// Positive percent darkens, negative brightens; outside -100..100 sets soft
// error 4096 and leaves the colour.
COLOUR* adjust_colour_brightness(COLOUR* colour, INT_S8 percent);
COLOUR* shift_colour_lightness(COLOUR* out, const COLOUR* colour, double amount);
INT_U8 ensure_colour_contrast(COLOUR* colour, const COLOUR* other, INT_U8 test_only);
COLOUR* choose_text_colour(COLOUR* out, const COLOUR* background);
COLOUR* tint_colour(COLOUR* pixel, const COLOUR* tint);
COLOUR* blend_colour(COLOUR* destination, const COLOUR* source, INT_U8 alpha);
COLOUR* colourise_pixel(COLOUR* pixel, const COLOUR* c1, const COLOUR* c2, const COLOUR* c3);
// Writes the last soft error with the source position to the platform debug
// stream when that stream has any output option set.
void log_last_error(const void* ignored, const char* source_file, INT_S32 line);

// When set, pictures loaded by name, cached images, skinned frames and the
// image widget scale with nearest neighbour; when clear, with the two-pass
// filter. Nothing in the system changes it.
extern INT_U8 fast_image_scaling;

// Corner mask of the rounded painters and quadrant of IMAGE::draw_arc.
enum : INT_S8 {
  CORNER_TOP_LEFT = 1,
  CORNER_TOP_RIGHT = 2,
  CORNER_BOTTOM_LEFT = 4,
  CORNER_BOTTOM_RIGHT = 8,
};

// Fill styles of IMAGE::fill_rounded_rect.
enum : INT_S32 {
  ROUNDED_FILL_BLEND = 0,
  ROUNDED_FILL_GRADIENT_H = 1,
  ROUNDED_FILL_GRADIENT_V = 2,
  ROUNDED_FILL_SHADE = 3,
};

// Modes of IMAGE::draw_circle.
enum : INT_S32 {
  CIRCLE_OUTLINE = 0,
  CIRCLE_FILLED = 1,
  CIRCLE_SHADE = 2,
};

#endif
