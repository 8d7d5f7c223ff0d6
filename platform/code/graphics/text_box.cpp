// Word-wrapped, aligned text inside a box.
#include <utility>
#include <vector>

#include "colour.h"
#include "draw_common.h"
#include "fonts.h"
#include "image.h"
#include "text_scan.h"

namespace {

enum : INT_U8 { TEXT_LINE_WIDE = 1, TEXT_LINE_HYPHEN = 2, TEXT_LINE_ELLIPSIS = 4 };

struct TEXT_LINE {
  INT_U32 start;  // byte position of the first character
  INT_U32 count;  // characters; 0xFFFFFFFF = everything to the end of the text
  INT_S32 width;
  INT_U8 flags;
};

const int kMaxLines = 256;

// One character of the line being laid out.
struct LaidChar {
  INT_U32 code;
  size_t start, end;  // bytes
  bool wide_before, wide_after;
  INT_S32 width;
};

bool is_blank(INT_U32 code) { return code == ' ' || code == '\t'; }

}  // namespace

void IMAGE::draw_text_box(INT_S16 x1, INT_S16 y1, INT_S16 x2, INT_S16 y2,
                          const COLOUR* text_colour, const COLOUR* back_colour,
                          const COLOUR* underline_colour, INT_S8 font_number, INT_S16 font_w,
                          INT_S16 font_h, const char* text, INT_U16 flags) {
  if (!text || !*text || !drawing::usable_font(font_number, font_w, font_h)) return;
  if (width > 0 && height > 0) {
    auto cx = [&](int v) { return static_cast<INT_S16>(v < x ? x : (v > x + width - 1 ? x + width - 1 : v)); };
    auto cy = [&](int v) { return static_cast<INT_S16>(v < y ? y : (v > y + height - 1 ? y + height - 1 : v)); };
    INT_S16 a = cx(x1), b = cx(x2), c = cy(y1), d = cy(y2);
    if (a > b) std::swap(a, b);
    if (c > d) std::swap(c, d);
    add_dirty_rect(a, c, b, d);
  }

  int allowed = (y2 - y1 + 1) / font_h;
  if (allowed < 1) allowed = 1;
  if (allowed > kMaxLines) allowed = kMaxLines;
  const INT_S32 box_w = x2 - x1 + 1;
  const INT_S32 ellipsis_w = text_width(static_cast<INT_U8>(font_number), font_w, font_h, "...");
  const INT_S32 hyphen_w = text_width(static_cast<INT_U8>(font_number), font_w, font_h, "-");

  TEXT_LINE lines[kMaxLines];
  int n = 0;
  lines[0] = {0, 0, 0, 0};
  std::vector<LaidChar> chars;  // characters of the current line
  GLYPH_ENTRY temp;
  auto advance_of = [&](INT_U32 code) {
    GLYPH_ENTRY* g = drawing::glyph_for(font_number, code, font_w, font_h, &temp);
    INT_S32 w = g->advance;
    if (g == &temp) drawing::release_temp(&temp);
    return w;
  };
  auto start_line = [&](size_t at, bool wide) {
    ++n;
    lines[n] = {static_cast<INT_U32>(at), 0, 0, static_cast<INT_U8>(wide ? TEXT_LINE_WIDE : 0)};
    chars.clear();
  };

  text_scan::Scanner scan(text, -1, false);
  bool ended = false;
  // The current line is broken: the next starts at byte `at` and the text is
  // scanned again from there, unless the box holds no more lines.
  auto break_line = [&](size_t at, bool wide) {
    if (n + 1 >= allowed) {
      ended = true;
      return;
    }
    start_line(at, wide);
    scan = text_scan::Scanner(text, -1, wide, at);
  };
  INT_U32 code;
  while (!ended && scan.next(&code)) {
    TEXT_LINE& line = lines[n];
    const LaidChar ch{code, scan.start, scan.pos, scan.start_wide, scan.wide, advance_of(code)};
    if (code == '\n') {
      if (n + 1 >= allowed) {
        ended = true;
        break;
      }
      start_line(scan.pos, scan.wide);
      continue;
    }
    if (is_blank(code) && line.count == 0) {
      line.start = static_cast<INT_U32>(scan.pos);
      line.flags = scan.wide ? TEXT_LINE_WIDE : 0;
      continue;
    }
    if (n == allowed - 1 && line.width + ellipsis_w + ch.width > box_w) {
      INT_S32 rest = text_width(static_cast<INT_U8>(font_number), font_w, font_h, text + ch.start,
                                0xFFFFFFFFu, ch.wide_before);
      if (line.width + rest <= box_w) {
        line.count = 0xFFFFFFFFu;
        line.width += rest;
      } else {
        line.flags |= TEXT_LINE_ELLIPSIS;
      }
      ended = true;
      break;
    }
    // A character wider than the box still takes an empty line, so the
    // layout always moves on.
    if (line.width + ch.width >= box_w && line.count > 0) {
      int hyphen_at = -1;
      bool broken = false;
      INT_U32 count = line.count;
      INT_S32 w = line.width;
      for (int k = static_cast<int>(chars.size()) - 1; k >= 1; --k) {
        const LaidChar& back = chars[k];
        --count;
        w -= back.width;
        // A hyphen stays at the end of the line, a blank goes with the break.
        if (back.code == '-' || is_blank(back.code)) {
          const bool keep = back.code == '-';
          line.count = keep ? count + 1 : count;
          line.width = keep ? w + back.width : w;
          break_line(keep ? back.end : back.start, keep ? back.wide_after : back.wide_before);
          broken = true;
          break;
        }
        if (hyphen_at < 0 && w + hyphen_w < box_w) hyphen_at = k;
      }
      if (!broken) {
        size_t next_at;
        bool next_wide;
        if (hyphen_at >= 0) {
          INT_S32 kept = 0;
          for (int k = 0; k < hyphen_at; ++k) kept += chars[k].width;
          line.count = static_cast<INT_U32>(hyphen_at);
          line.width = kept;
          line.flags |= TEXT_LINE_HYPHEN;
          next_at = chars[hyphen_at].start;
          next_wide = chars[hyphen_at].wide_before;
        } else {
          next_at = ch.start;
          next_wide = ch.wide_before;
        }
        break_line(next_at, next_wide);
      }
      continue;
    }
    ++line.count;
    line.width += ch.width;
    chars.push_back(ch);
  }
  int total = n + 1;
  if (!ended && lines[n].count == 0) total = n;  // the last line counts when it has characters
  if (total <= 0) return;

  const int box_h = y2 - y1 + 1;
  for (int i = 0; i < total; ++i) {
    const TEXT_LINE& line = lines[i];
    const INT_S32 extra = (line.flags & TEXT_LINE_ELLIPSIS) ? ellipsis_w
                          : (line.flags & TEXT_LINE_HYPHEN) ? hyphen_w
                                                             : 0;
    long ly;
    if (flags & TEXT_ALIGN_TOP)
      ly = y1 + static_cast<long>(i) * font_h;
    else if (flags & TEXT_ALIGN_BOTTOM)
      ly = y2 + static_cast<long>(i - total) * font_h;
    else
      ly = y1 + (box_h - static_cast<long>(total) * font_h) / 2 + static_cast<long>(i) * font_h;
    long lx;
    if (flags & TEXT_ALIGN_LEFT)
      lx = x1;
    else if (flags & TEXT_ALIGN_RIGHT)
      lx = x2 - line.width - extra;
    else
      lx = x1 + (box_w - line.width) / 2 - extra / 2;
    auto s16 = [](long v) { return static_cast<INT_S16>(v < -32768 ? -32768 : (v > 32767 ? 32767 : v)); };
    draw_text(s16(lx), s16(ly), text_colour, back_colour, underline_colour, font_number, font_w,
              font_h, text + line.start, flags, static_cast<INT_S32>(line.count),
              line.flags & TEXT_LINE_WIDE);
    if (line.flags & (TEXT_LINE_ELLIPSIS | TEXT_LINE_HYPHEN))
      draw_text(s16(lx + line.width), s16(ly), text_colour, back_colour, underline_colour,
                font_number, font_w, font_h, (line.flags & TEXT_LINE_ELLIPSIS) ? "..." : "-", flags,
                -1, 0);
  }
}
