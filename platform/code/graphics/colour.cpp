// Operations on single colour values.
#include "colour.h"

#include <strings.h>

#include <cmath>
#include <cstdio>
#include <cstring>

#include "debug_stream.h"
#include "errors.h"
#include "image.h"

namespace {

// A fraction times 255, truncated toward zero, low 8 bits kept. Values that
// do not fit an integer (or are not numbers) give 0 instead of undefined
// behaviour.
INT_U32 channel_from_fraction(double v) {
  double scaled = v * 255.0;
  if (!(scaled > -1e15 && scaled < 1e15)) return 0;
  return static_cast<INT_U32>(static_cast<INT_S64>(scaled)) & 0xFFu;
}

double clamp_high(double v) { return v > 1.0 ? 1.0 : v; }

// Reads two characters at `s` as one "%hx" number; a short text or a pair
// that is not hexadecimal gives 0.
unsigned hex_pair(const char* s, size_t available) {
  char pair[3] = {0, 0, 0};
  for (size_t i = 0; i < 2 && i < available; ++i) pair[i] = s[i];
  unsigned short v = 0;
  if (sscanf(pair, "%hx", &v) != 1) v = 0;
  return v;
}

}  // namespace

void colour_to_ahsl(const COLOUR* colour, double* alpha, double* hue, double* saturation,
                    double* lightness) {
  COLOUR c = *colour;
  *alpha = colour_alpha(c) / 255.0;
  double r = colour_red(c) / 255.0, g = colour_green(c) / 255.0, b = colour_blue(c) / 255.0;
  double mx = r > g ? r : g;
  if (b > mx) mx = b;
  double mn = r < g ? r : g;
  if (b < mn) mn = b;
  double l = (mx + mn) / 2.0;
  double s;
  if (l <= 0.0 || l >= 1.0)
    s = 0.0;
  else if (l < 0.5)
    s = (mx - mn) / (2.0 * l);
  else
    s = (mx - mn) / (2.0 - 2.0 * l);
  double h = 0.0;
  if (mx != mn) {
    double d = mx - mn;
    if (mx == r && g != mx)
      h = (g - b) / d;
    else if (mx == g && b != mx)
      h = 2.0 + (b - r) / d;
    else
      h = 4.0 + (r - g) / d;
    h /= 6.0;
    if (h < 0.0) h += 1.0;
  }
  *hue = h;
  *saturation = s;
  *lightness = l;
}

COLOUR* ahsl_to_colour(COLOUR* out, double alpha, double hue, double saturation,
                       double lightness) {
  hue = clamp_high(hue);
  saturation = clamp_high(saturation);
  lightness = clamp_high(lightness);
  if (!(hue >= 0.0)) hue = 0.0;
  if (!(saturation >= 0.0)) saturation = 0.0;
  if (!(lightness >= 0.0)) lightness = 0.0;
  double deg = hue * 360.0;
  double r, g, b;
  if (deg < 120.0) {
    r = (120.0 - deg) / 60.0;
    g = deg / 60.0;
    b = 0.0;
  } else if (deg < 240.0) {
    r = 0.0;
    g = (240.0 - deg) / 60.0;
    b = (deg - 120.0) / 60.0;
  } else {
    r = (deg - 240.0) / 60.0;
    g = 0.0;
    b = (360.0 - deg) / 60.0;
  }
  double ch[3] = {clamp_high(r), clamp_high(g), clamp_high(b)};
  for (double& c : ch) {
    c = c * 2.0 * saturation + (1.0 - saturation);
    c = lightness < 0.5 ? c * lightness : c * (1.0 - lightness) + 2.0 * lightness - 1.0;
  }
  *out = (channel_from_fraction(alpha) << 24) | (channel_from_fraction(ch[0]) << 16) |
         (channel_from_fraction(ch[1]) << 8) | channel_from_fraction(ch[2]);
  return out;
}

void colour_to_acmyk(const COLOUR* colour, double* alpha, double* cyan, double* magenta,
                     double* yellow, double* black) {
  COLOUR c = *colour;
  *alpha = colour_alpha(c) / 255.0;
  double cc = 1.0 - colour_red(c) / 255.0, mm = 1.0 - colour_green(c) / 255.0,
         yy = 1.0 - colour_blue(c) / 255.0;
  double k = cc < mm ? cc : mm;
  if (yy < k) k = yy;
  *black = k;
  if (k >= 1.0) {  // pure black: no colour component left to divide out
    *cyan = *magenta = *yellow = 0.0;
    return;
  }
  *cyan = (cc - k) / (1.0 - k);
  *magenta = (mm - k) / (1.0 - k);
  *yellow = (yy - k) / (1.0 - k);
}

COLOUR* acmyk_to_colour(COLOUR* out, double alpha, double cyan, double magenta, double yellow,
                        double black) {
  double w = 1.0 - black;
  *out = (channel_from_fraction(alpha) << 24) | (channel_from_fraction(w - cyan * w) << 16) |
         (channel_from_fraction(w - magenta * w) << 8) | channel_from_fraction(w - yellow * w);
  return out;
}

COLOUR* parse_colour(COLOUR* out, const char* text) {
  if (!text) return out;
  char prefix = text[0];
  if (prefix != '#' && prefix != '&' && prefix != '%' && prefix != '@') return out;
  const char* s = text + 1;
  enum { PLAIN, AHSL, ACMYK } form = PLAIN;
  if (strncasecmp(s, "AHSL", 4) == 0) {
    form = AHSL;
    s += 4;
  } else if (strncasecmp(s, "ACMYK", 5) == 0) {
    form = ACMYK;
    s += 5;
  }
  while (*s == ' ') ++s;
  const int count = form == ACMYK ? 5 : 4;

  if (prefix == '#') {
    if (form == PLAIN) {
      unsigned long v = 0;
      if (sscanf(s, "%lx", &v) != 1) v = 0;
      COLOUR c = static_cast<COLOUR>(v);
      if (strlen(s) <= 6) c |= 0xFF000000u;
      *out = c;
      return out;
    }
    size_t len = strlen(s);
    double f[5] = {0, 0, 0, 0, 0};
    for (int i = 0; i < count; ++i) {
      size_t at = static_cast<size_t>(i) * 2;
      f[i] = at < len ? hex_pair(s + at, len - at) / 255.0 : 0.0;
    }
    if (form == AHSL) return ahsl_to_colour(out, f[0], f[1], f[2], f[3]);
    return acmyk_to_colour(out, f[0], f[1], f[2], f[3], f[4]);
  }

  if (prefix == '&' || prefix == '%') {
    short v[5] = {0, 0, 0, 0, 0};
    sscanf(s, "%hd,%hd,%hd,%hd,%hd", &v[0], &v[1], &v[2], &v[3], &v[4]);
    if (form == PLAIN) {
      INT_U32 ch[4];
      for (int i = 0; i < 4; ++i)
        ch[i] = static_cast<INT_U32>(prefix == '&' ? v[i] : v[i] * 255 / 100) & 0xFFu;
      *out = (ch[0] << 24) | (ch[1] << 16) | (ch[2] << 8) | ch[3];
      return out;
    }
    double scale = prefix == '&' ? 255.0 : 100.0;
    double f[5];
    for (int i = 0; i < 5; ++i) f[i] = v[i] / scale;
    if (form == AHSL) return ahsl_to_colour(out, f[0], f[1], f[2], f[3]);
    return acmyk_to_colour(out, f[0], f[1], f[2], f[3], f[4]);
  }

  double f[5] = {0, 0, 0, 0, 0};
  sscanf(s, "%lf,%lf,%lf,%lf,%lf", &f[0], &f[1], &f[2], &f[3], &f[4]);
  if (form == PLAIN) {
    *out = (channel_from_fraction(f[0]) << 24) | (channel_from_fraction(f[1]) << 16) |
           (channel_from_fraction(f[2]) << 8) | channel_from_fraction(f[3]);
    return out;
  }
  if (form == AHSL) return ahsl_to_colour(out, f[0], f[1], f[2], f[3]);
  return acmyk_to_colour(out, f[0], f[1], f[2], f[3], f[4]);
}

COLOUR* adjust_colour_brightness(COLOUR* colour, INT_S8 percent) {
  if (percent < -100 || percent > 100) {
    set_last_error(4096, nullptr);
    log_last_error(nullptr, "../platform/include/colour", 212);
    return colour;
  }
  INT_U32 f = static_cast<INT_U32>(100 - percent);
  COLOUR c = *colour;
  INT_U32 ch[3] = {colour_red(c), colour_green(c), colour_blue(c)};
  for (INT_U32& v : ch) {
    v = v * f / 100;
    if (v > 255) v = 255;
  }
  *colour = (c & 0xFF000000u) | (ch[0] << 16) | (ch[1] << 8) | ch[2];
  set_last_error(0, nullptr);
  return colour;
}

COLOUR* shift_colour_lightness(COLOUR* out, const COLOUR* colour, double amount) {
  double a, h, s, l;
  colour_to_ahsl(colour, &a, &h, &s, &l);
  bool fits = amount < 0 ? -amount <= l : l <= 1.0 - amount;
  l += fits ? amount : -amount;
  return ahsl_to_colour(out, colour_alpha(*out) / 255.0, h, s, l);
}

INT_U8 ensure_colour_contrast(COLOUR* colour, const COLOUR* other, INT_U8 test_only) {
  double a1, h1, s1, l1, a2, h2, s2, l2;
  colour_to_ahsl(colour, &a1, &h1, &s1, &l1);
  colour_to_ahsl(other, &a2, &h2, &s2, &l2);
  if (std::fabs(h1 - h2) >= 0.2 || std::fabs(s1 - s2) >= 0.2 || std::fabs(l1 - l2) >= 0.2)
    return 0;
  if (!test_only) ahsl_to_colour(colour, a1, h1, s1, l2 <= 0.5 ? l2 + 0.2 : l2 - 0.2);
  return 1;
}

COLOUR* choose_text_colour(COLOUR* out, const COLOUR* background) {
  COLOUR b = *background;
  INT_U32 sum = INT_U32(colour_red(b)) + colour_green(b) + colour_blue(b);
  *out = sum < 384 ? 0xFFFFFFFFu : 0xFF000000u;
  return out;
}

COLOUR* tint_colour(COLOUR* pixel, const COLOUR* tint) {
  COLOUR px = *pixel, tn = *tint;
  INT_S32 p = (INT_S32(colour_red(px)) + colour_green(px) + colour_blue(px)) / 3;
  INT_S32 t = (INT_S32(colour_red(tn)) + colour_green(tn) + colour_blue(tn)) / 3;
  INT_S32 tc[3] = {colour_red(tn), colour_green(tn), colour_blue(tn)};
  INT_U32 ch[3];
  for (int i = 0; i < 3; ++i) {
    INT_S32 v;
    if (p > t)
      v = tc[i] + (255 - tc[i]) * (p - t) / (255 - t);
    else
      v = t == 0 ? 0 : p * tc[i] / t;  // a black tint on a black pixel stays black
    ch[i] = static_cast<INT_U32>(v) & 0xFFu;
  }
  *pixel = (px & 0xFF000000u) | (ch[0] << 16) | (ch[1] << 8) | ch[2];
  return pixel;
}

COLOUR* blend_colour(COLOUR* destination, const COLOUR* source, INT_U8 alpha) {
  if (alpha == 0) return destination;
  if (alpha >= alpha_copy_threshold)
    *destination = *source;
  else
    *destination = blend_rgb_packed(*destination, *source, alpha);
  return destination;
}

COLOUR* colourise_pixel(COLOUR* pixel, const COLOUR* c1, const COLOUR* c2, const COLOUR* c3) {
  COLOUR px = *pixel;
  INT_U32 r = colour_red(px), g = colour_green(px), b = colour_blue(px);
  bool has1 = colour_is_visible(*c1), has2 = colour_is_visible(*c2), has3 = colour_is_visible(*c3);
  COLOUR result;
  INT_U32 sum;
  if (r != 0 && has1) {
    result = *c1;
    sum = r * colour_alpha(*c1) / 255;
    if (has2) {
      blend_colour(&result, c2, static_cast<INT_U8>(g * colour_alpha(*c2) / 255));
      sum += g;
    }
    if (has3) {
      blend_colour(&result, c3, static_cast<INT_U8>(b * colour_alpha(*c3) / 255));
      sum += b;
    }
  } else if (g != 0 && has2) {
    result = *c2;
    sum = g * colour_alpha(*c2) / 255;
    if (has3) {
      blend_colour(&result, c3, static_cast<INT_U8>(b * colour_alpha(*c3) / 255));
      sum += b;
    }
  } else if (b != 0 && has3) {
    *pixel = (*c3 & 0x00FFFFFFu) | ((b * colour_alpha(*c3) / 255) << 24);
    return pixel;
  } else {
    *pixel = 0;
    return pixel;
  }
  if (sum > 255) sum = 255;
  *pixel = (result & 0x00FFFFFFu) | (sum << 24);
  return pixel;
}

void log_last_error(const void*, const char* source_file, INT_S32 line) {
  DEBUG_STREAM* stream = platform_debug_stream();
  if (stream) stream->report(source_file, line, get_last_error_text());
}
