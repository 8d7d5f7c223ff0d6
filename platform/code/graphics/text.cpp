// Text measuring and drawing in the fonts of the font table.
#include "text_scan.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "colour.h"
#include "draw_common.h"
#include "errors.h"
#include "fonts.h"
#include "image.h"

namespace {

const COLOUR kShadowColour = 0x32000000;         // black, alpha 50
const COLOUR kEmbossLight = 0x64FFFFFF;          // white, alpha 100
const COLOUR kEmbossDark = 0x64000000;           // black, alpha 100
const int kShadowOffset = 2, kEmbossOffset = 1, kBevelOffset = 1;
const double kBevelLightnessOffsetPass = 0.15, kBevelLightnessMainPass = -0.1;

// Formatted text of the printf forms, cut to fit.
const size_t kPrintfBufferSize = 5120;

INT_S16 to_s16(long v) { return static_cast<INT_S16>(v < -32768 ? -32768 : (v > 32767 ? 32767 : v)); }

COLOUR read_colour(const COLOUR* c) { return c ? *c : COLOUR_INVISIBLE; }

}  // namespace

namespace text_scan {

static int hex_value(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool Scanner::next(INT_U32* code) {
  for (;;) {
    if (remaining == 0) return false;
    const char c = text[pos];
    if (c == 0) return false;
    if (c == TEXT_ESCAPE_WIDE) {
      wide = !wide;
      ++pos;
      if (text[pos] == ',') ++pos;
      continue;
    }
    start = pos;
    start_wide = wide;
    if (!wide) {
      ++pos;
      *code = static_cast<INT_U8>(c);
    } else {
      INT_U32 v = 0;
      int k = 0;
      for (; k < 4; ++k) {
        const char d = text[pos + k];
        if (d == 0) {  // the end of the text ends the scan, even inside a group
          pos += k;
          return false;
        }
        int h = hex_value(d);
        if (h < 0) break;
        v = (v << 4) | static_cast<INT_U32>(h);
      }
      if (k < 4) {  // broken-off group: dropped with the byte that broke it
        pos += k + 1;
        continue;
      }
      pos += 4;
      if (text[pos] == ',') ++pos;
      *code = v;
    }
    if (remaining > 0) --remaining;
    return true;
  }
}

}  // namespace text_scan

namespace drawing {

GLYPH_ENTRY* glyph_for(INT_S8 slot, INT_U32 code, int font_w, int font_h, GLYPH_ENTRY* temp) {
  FONT_SLOT* f = get_font_slot(slot);
  GLYPH_ENTRY* entry;
  if (code < 256) {
    entry = f->glyphs[code];
    if (!entry) {
      entry = static_cast<GLYPH_ENTRY*>(calloc(1, sizeof(GLYPH_ENTRY)));
      if (!entry) report_fatal_error(0x23, nullptr);
      f->glyphs[code] = entry;
    }
  } else {
    memset(temp, 0, sizeof *temp);
    entry = temp;
  }
  render_glyph(entry, static_cast<INT_U16>(code), slot, static_cast<INT_S16>(font_w - 1),
               static_cast<INT_S16>(font_h - 1));
  return entry;
}

void release_temp(GLYPH_ENTRY* temp) {
  free(temp->coverage);
  temp->coverage = nullptr;
}

bool usable_font(int font, int font_w, int font_h) {
  return font >= 0 && font < 128 && is_font_loaded(static_cast<INT_S8>(font)) && font_w >= 1 &&
         font_h >= 1;
}

}  // namespace drawing

INT_S32 IMAGE::text_width(INT_U8 font_number, INT_U16 font_w, INT_U16 font_h, const char* text,
                          INT_U32 max_chars, INT_U8 start_wide) {
  if (!text) return 0;
  int f = font_number == 255 ? font : font_number;
  // Sizes are cells of up to 32767 pixels, as the drawing operations take them.
  int w = font_w == 65535 ? font_width : static_cast<INT_S16>(font_w);
  int h = font_h == 65535 ? font_height : static_cast<INT_S16>(font_h);
  if (!drawing::usable_font(f, w, h)) {
    size_t n = strlen(text);
    return static_cast<INT_S32>(n > 0x7FFFFFFF ? 0x7FFFFFFF : n);
  }
  if (!*text || max_chars == 0) return 0;
  text_scan::Scanner scan(text, max_chars == 0xFFFFFFFFu ? -1 : static_cast<INT_S64>(max_chars),
                          start_wide != 0);
  INT_S64 sum = 0;
  INT_U32 code;
  GLYPH_ENTRY temp;
  while (scan.next(&code)) {
    GLYPH_ENTRY* g = drawing::glyph_for(static_cast<INT_S8>(f), code, w, h, &temp);
    sum += g->advance;
    if (g == &temp) drawing::release_temp(&temp);
  }
  if (sum > 0x7FFFFFFF) sum = 0x7FFFFFFF;
  if (sum < -0x7FFFFFFF) sum = -0x7FFFFFFF;
  return static_cast<INT_S32>(sum);
}

void IMAGE::draw_glyph_run(INT_S16 x0, INT_S16 y0, const COLOUR* text_colour,
                           const COLOUR* back_colour, const COLOUR* underline_colour,
                           double lightness, INT_S8 font_number, INT_S16 font_w, INT_S16 font_h,
                           const char* text, INT_S32 max_chars, INT_U8 start_wide) {
  if (!drawing::can_draw(this)) return;
  if (!drawing::usable_font(font_number, font_w, font_h)) return;
  if (!text || !*text || max_chars == 0 || !pixels) return;
  const COLOUR tc = read_colour(text_colour), bc = read_colour(back_colour),
               uc = read_colour(underline_colour);
  const INT_U32 text_alpha = tc >> 24;
  const INT_U32 scale = get_font_slot(font_number)->coverage_scale;
  const INT_U32 threshold = alpha_copy_threshold;
  const long right_end = static_cast<long>(x) + width;
  Area clip;
  if (!drawable_clip(clip)) return;
  text_scan::Scanner scan(text, max_chars < 0 ? -1 : max_chars, start_wide != 0);
  long pen = x0;
  bool first = true;
  long descent = 0;
  INT_U32 code;
  GLYPH_ENTRY temp;
  while (scan.next(&code)) {
    GLYPH_ENTRY* g = drawing::glyph_for(font_number, code, font_w, font_h, &temp);
    if (first) {
      first = false;
      descent = g->face_height ? static_cast<long>(font_h) * g->face_descender / g->face_height : 0;
    }
    const long advance = g->advance;
    if (colour_is_visible(bc))
      fill_rect(to_s16(pen), y0, to_s16(pen + advance), to_s16(static_cast<long>(y0) + font_h), &bc, 1);
    if (colour_is_visible(uc)) {
      const INT_S16 row = to_s16(static_cast<long>(y0) + font_h + descent);
      draw_line(to_s16(pen), row, to_s16(pen + advance - 1), row, &uc, 1, 1);
    }
    // The glyph box; the clip rectangle (inside the image) bounds it.
    const long left = pen + g->left;
    const long top = static_cast<long>(y0) + font_h - 1 - g->top + descent;
    const long box_right = left + g->bitmap_width - 1, box_bottom = top + g->bitmap_rows - 1;
    if (g->bitmap_width && g->bitmap_rows && box_right >= clip.left && left <= clip.right &&
        box_bottom >= clip.top && top <= clip.bottom) {
      add_dirty_rect(to_s16(pen), y0, to_s16(pen + advance), to_s16(static_cast<long>(y0) + font_h));
      const long cx1 = std::max<long>(left, clip.left), cx2 = std::min<long>(box_right, clip.right);
      const long cy1 = std::max<long>(top, clip.top), cy2 = std::min<long>(box_bottom, clip.bottom);
      for (long py = cy1; py <= cy2; ++py) {
        const INT_U8* cov = g->coverage + static_cast<size_t>(py - top) * g->pitch;
        COLOUR* p = pixel_at(static_cast<int>(cx1), static_cast<int>(py));
        for (long px = cx1; px <= cx2; ++px, ++p) {
          const INT_U32 c = cov[px - left];
          if (lightness == 0.0) {
            const INT_U32 a = text_alpha == scale ? c : c * text_alpha / scale;
            if (a == 0) continue;
            *p = a < threshold ? blend_rgb_packed(*p, tc, a) : tc;
          } else if (c != 0) {  // untouched pixels keep their value exactly
            double al, hu, sa, li;
            colour_to_ahsl(p, &al, &hu, &sa, &li);
            li += lightness * c / scale;
            li = li < 0 ? 0 : (li > 1 ? 1 : li);
            ahsl_to_colour(p, al, hu, sa, li);
          }
        }
      }
    }
    if (g == &temp) drawing::release_temp(&temp);
    pen += advance;
    if (pen >= right_end) break;
  }
}

void IMAGE::draw_text(INT_S16 x0, INT_S16 y0, const COLOUR* text_colour, const COLOUR* back_colour,
                      const COLOUR* underline_colour, INT_S8 font_number, INT_S16 font_w,
                      INT_S16 font_h, const char* text, INT_U16 effects, INT_S32 max_chars,
                      INT_U8 start_wide) {
  if (!drawing::can_draw(this)) return;
  if (!drawing::usable_font(font_number, font_w, font_h)) return;
  const COLOUR tc = read_colour(text_colour), bc = read_colour(back_colour),
               uc = read_colour(underline_colour);
  const COLOUR none = COLOUR_INVISIBLE;
  auto run = [&](long x, long y, COLOUR colour, COLOUR back, COLOUR under, double lightness) {
    draw_glyph_run(to_s16(x), to_s16(y), &colour, &back, &under, lightness, font_number, font_w,
                   font_h, text, max_chars, start_wide);
  };
  if (effects & TEXT_EFFECT_SHADOW) {
    run(x0 + kShadowOffset, y0 + kShadowOffset, kShadowColour, bc, uc, 0);
    run(x0, y0, tc, none, none, 0);
  } else if (effects & TEXT_EFFECT_EMBOSS) {
    double a, h, s, l;
    colour_to_ahsl(&tc, &a, &h, &s, &l);
    if (l <= 0.5)
      run(x0 + kEmbossOffset, y0 + kEmbossOffset, kEmbossLight, none, none, 0);
    else
      run(x0 - kEmbossOffset, y0 - kEmbossOffset, kEmbossDark, none, none, 0);
    run(x0, y0, tc, none, uc, 0);
  } else if (effects & TEXT_EFFECT_BEVEL) {
    run(x0 + kBevelOffset, y0 + kBevelOffset, tc, none, none, kBevelLightnessOffsetPass);
    run(x0, y0, tc, none, uc, kBevelLightnessMainPass);
  } else {
    run(x0, y0, tc, bc, uc, 0);
  }
}

void IMAGE::draw_char(INT_S16 x0, INT_S16 y0, const COLOUR* text_colour, const COLOUR* back_colour,
                      const COLOUR* underline_colour, INT_S8 font_number, INT_S16 font_w,
                      INT_S16 font_h, INT_U8 character, INT_U16 effects) {
  static char one[2];
  one[0] = static_cast<char>(character);
  one[1] = 0;
  draw_text(x0, y0, text_colour, back_colour, underline_colour, font_number, font_w, font_h, one,
            effects, -1, 0);
}

namespace {

// Formats into the module's buffer; a longer text is cut to fit.
const char* format_text(const char* format, va_list args) {
  static char buffer[kPrintfBufferSize];
  if (!format) return "";
  int n = vsnprintf(buffer, sizeof buffer, format, args);
  if (n < 0) buffer[0] = 0;
  return buffer;
}

}  // namespace

void IMAGE::printf_text_underlined(INT_S16 x0, INT_S16 y0, const COLOUR* text_colour,
                                   const COLOUR* back_colour, const COLOUR* underline_colour,
                                   INT_S8 font_number, INT_S16 font_w, INT_S16 font_h,
                                   const char* format, ...) {
  va_list args;
  va_start(args, format);
  const char* text = format_text(format, args);
  va_end(args);
  draw_text(x0, y0, text_colour, back_colour, underline_colour, font_number, font_w, font_h, text,
            0, -1, 0);
}

void IMAGE::printf_text(INT_S16 x0, INT_S16 y0, const COLOUR* text_colour,
                        const COLOUR* back_colour, INT_S8 font_number, INT_S16 font_w,
                        INT_S16 font_h, const char* format, ...) {
  va_list args;
  va_start(args, format);
  const char* text = format_text(format, args);
  va_end(args);
  const COLOUR none = COLOUR_INVISIBLE;
  draw_text(x0, y0, text_colour, back_colour, &none, font_number, font_w, font_h, text, 0, -1, 0);
}

void IMAGE::printf_text_default_font(INT_S16 x0, INT_S16 y0, const COLOUR* text_colour,
                                     const COLOUR* back_colour, const char* format, ...) {
  va_list args;
  va_start(args, format);
  const char* text = format_text(format, args);
  va_end(args);
  const COLOUR none = COLOUR_INVISIBLE;
  draw_text(x0, y0, text_colour, back_colour, &none, font, font_width, font_height, text, 0, -1, 0);
}
