// Progress bar drawing: background, label, trough, the filled and remaining
// parts and their texts, skinned or flat. The value is drawn as if clamped to
// 0..maximum, and every product is taken in 64 bits, so no value or maximum
// can overflow the fill or the percentage.
#include <algorithm>

#include "image.h"
#include "widget_shared.h"
#include "wm_globals.h"
#include "wm_progress.h"

namespace {

const INT_U32 kPartShading = 6;
const INT_U16 kSides = 0xF;
const INT_U16 kIndentedSides = 0x800F;
const COLOUR kNone = COLOUR_INVISIBLE;

inline INT_S16 s16(INT_S32 v) { return static_cast<INT_S16>(v); }

// Natural extents of a frame's pieces along each axis; 0 without a cache.
INT_S32 minimal_width(SKIN_FRAME& frame) {
  if (!frame.cache) return 0;
  return frame.cache->source_width(frame.mid_left) + frame.cache->source_width(frame.mid_mid) +
         frame.cache->source_width(frame.mid_right);
}
INT_S32 minimal_height(const SKIN_FRAME& frame) {
  auto h = [](const IMAGE* im) { return im ? static_cast<INT_S32>(im->height) : 0; };
  return h(frame.mid_mid) + h(frame.top_mid) + h(frame.bottom_mid);
}

}  // namespace

const char* WM_PROGRESS_BAR::main_text(char* buffer) const {
  if (title) return title;
  if (maximum <= 0) {
    format_percentage(buffer, 100);
    return buffer;
  }
  INT_S64 v = value < 0 ? 0 : value > maximum ? maximum : value;
  format_percentage(buffer, v * 100 / maximum);
  return buffer;
}

void WM_PROGRESS_BAR::remaining_text(char* buffer) const {
  if (maximum <= 0) {
    format_percentage(buffer, 0);
    return;
  }
  INT_S64 v = value < 0 ? 0 : value > maximum ? maximum : value;
  format_percentage(buffer, (static_cast<INT_S64>(maximum) - v) * 100 / maximum);
}

WM_PROGRESS_BAR::GEOMETRY WM_PROGRESS_BAR::geometry() {
  GEOMETRY g{};
  const bool skinned = has_skin();
  INT_S32 label_width = 0;
  if (label && wm_surface) label_width = wm_surface->text_width(font, font_width, font_height, label);
  if (flags & PB_FLAG_ONLY_BAR) {
    g.bw = 0;
    g.left = x + gap_left;
    g.iw = width - 1 - gap_left - gap_right;
  } else {
    g.bw = skinned ? 0 : border_width(kPartShading);
    if (label) {
      g.left = x + 2 * gap_left + label_width;
      g.iw = width - 1 - gap_right - 2 * gap_left - label_width;
    } else {
      g.left = x + gap_left;
      g.iw = width - 1 - gap_left - gap_right;
    }
  }
  g.top = y + gap_top;
  g.ih = height - 1 - gap_top - gap_bottom;
  g.right = g.left + g.iw;
  g.bottom = g.top + g.ih;

  const bool vertical = (flags & PB_FLAG_VERTICAL) != 0;
  const INT_S64 extent = vertical ? g.ih : g.iw;
  INT_S64 filled;
  if (maximum <= 0) {
    filled = extent + 1;
  } else {
    const INT_S64 v = value < 0 ? 0 : value > maximum ? maximum : value;
    filled = extent * v / maximum + 1;
    if (filled <= 2 * g.bw) filled = 2 * g.bw + 1;
  }
  g.f = static_cast<INT_S32>(filled);
  if (vertical) {
    g.o = g.ih - g.f;
    if (skinned) {
      g.o = std::max(g.o, minimal_height(full_frame));
      if (alt_frame.is_valid()) g.o = std::max(g.o, minimal_height(alt_frame));
    }
  } else if (skinned) {
    g.f = std::max(g.f, minimal_width(full_frame));
    if (alt_frame.is_valid()) g.f = std::max(g.f, minimal_width(alt_frame));
  }
  return g;
}

void WM_PROGRESS_BAR::text_boxes(const GEOMETRY& g, INT_S32 tw, INT_S32 m[4],
                                 INT_S32 r[4]) const {
  const INT_S32 inner_left = g.left + g.bw, inner_right = g.right - g.bw;
  const INT_S32 inner_top = g.top + g.bw, inner_bottom = g.bottom - g.bw;
  const INT_S32 odd = g.ih & 1;
  const INT_S32 fh = font_height;
  if (!(flags & PB_FLAG_VERTICAL)) {
    // Each text stays on its own part while that is wider than the main
    // text, else it runs from the bar's inner edge for the main text's width.
    const INT_S32 boundary = g.left + g.f;
    m[0] = inner_left;
    m[1] = inner_top;
    m[2] = boundary - inner_left > tw ? boundary : inner_left + tw + 1;
    m[3] = inner_bottom + odd;
    r[0] = inner_right - boundary > tw ? boundary : inner_right - 1 - tw;
    r[1] = inner_top;
    r[2] = inner_right;
    r[3] = inner_bottom + odd;
  } else {
    const INT_S32 boundary = g.top + g.o;
    m[0] = r[0] = inner_left;
    m[2] = r[2] = inner_right;
    m[1] = inner_bottom - boundary > fh ? boundary : inner_bottom - 1 - fh;
    m[3] = inner_bottom;
    r[1] = inner_top;
    r[3] = boundary - inner_top > fh ? boundary : inner_top + fh + 1;
  }
}

void WM_PROGRESS_BAR::draw() {
  IMAGE* surface = wm_surface;
  if (!surface) return;
  const widgets::OWN_CLIP own(surface, this);
  const GEOMETRY g = geometry();
  const bool skinned = has_skin();
  const bool vertical = (flags & PB_FLAG_VERTICAL) != 0;
  const INT_U8 stretch = (flags & PB_FLAG_NO_RESIZE) ? 0 : 1;
  const INT_S8 text_font = static_cast<INT_S8>(font);
  const INT_S16 fw = static_cast<INT_S16>(font_width), fh = static_cast<INT_S16>(font_height);
  auto text_box = [&](INT_S32 x1, INT_S32 y1, INT_S32 x2, INT_S32 y2, const COLOUR* colour,
                      const char* text) {
    surface->draw_text_box(s16(x1), s16(y1), s16(x2), s16(y2), colour, &kNone, &kNone, text_font,
                           fw, fh, text, 0);
  };
  auto frame = [&](SKIN_FRAME& f, INT_S32 x1, INT_S32 y1, INT_S32 x2, INT_S32 y2) {
    f.draw(s16(x1), s16(y1), s16(x2), s16(y2), stretch, nullptr, BLIT_BLEND);
  };
  auto flat_part = [&](INT_S32 x1, INT_S32 y1, INT_S32 x2, INT_S32 y2, const COLOUR* c) {
    surface->fill_rect(s16(x1), s16(y1), s16(x2), s16(y2), c, 1);
    if (!(flags & PB_FLAG_NO_SHADING))
      draw_border(s16(x1), s16(y1), s16(x2), s16(y2), kSides, c, kPartShading, -1);
  };

  // Background and label.
  if (!(flags & PB_FLAG_ONLY_BAR)) {
    if (skinned) {
      frame(background_frame, x, y, x + width - 1, y + height - 1);
    } else {
      if (colour_is_visible(background_colour))
        surface->fill_rect(x, y, s16(x + width - 1), s16(y + height - 1), &background_colour, 1);
      if (!(flags & PB_FLAG_NO_BORDER))
        draw_border(x, y, s16(x + width - 1), s16(y + height - 1), kSides, &background_colour, 1,
                    -1);
    }
    if (label && !vertical) {
      const INT_S32 label_width = surface->text_width(font, font_width, font_height, label);
      text_box(x + gap_left, y + gap_top, x + gap_left + label_width, y + height - 1 - gap_bottom,
               &label_colour, label);
    }
    if (skinned)
      frame(empty_frame, g.left, g.top, g.right, g.bottom);
    else
      draw_border(s16(g.left), s16(g.top), s16(g.right), s16(g.bottom), kIndentedSides,
                  &background_colour, kPartShading, -1);
  }

  // The filled part, then the remaining part over their shared boundary.
  const INT_S32 fx1 = g.left + g.bw;
  const INT_S32 fy1 = vertical ? g.top + g.o : g.top + g.bw;
  const INT_S32 fx2 = vertical ? g.right - g.bw : g.left + g.f;
  const INT_S32 fy2 = g.bottom - g.bw;
  const INT_S32 rx1 = vertical ? g.left + g.bw : g.left + g.f;
  const INT_S32 ry1 = g.top + g.bw;
  const INT_S32 rx2 = g.right - g.bw;
  const INT_S32 ry2 = vertical ? g.top + g.o : g.bottom - g.bw;
  if (skinned) {
    // Empty and full as the clamped value says; no range counts as full.
    const INT_S32 shown = maximum <= 0 ? maximum : value < 0 ? 0 : value > maximum ? maximum : value;
    if (shown != 0 || maximum <= 0) frame(full_frame, fx1, fy1, fx2, fy2);
    if (alt_frame.is_valid() && shown != maximum) frame(alt_frame, rx1, ry1, rx2, ry2);
  } else {
    flat_part(fx1, fy1, fx2, fy2, &fill_colour);
    if (colour_is_visible(remaining_colour)) flat_part(rx1, ry1, rx2, ry2, &remaining_colour);
  }

  // Texts.
  char main_buffer[PB_TEXT_SIZE];
  const char* text = main_text(main_buffer);
  const INT_S32 odd = g.ih & 1;
  if (!(flags & PB_FLAG_TEXT_ON_BAR)) {
    text_box(g.left + g.bw, g.top + g.bw, g.right - g.bw, g.bottom - g.bw + odd, &text_colour,
             text);
    return;
  }
  const INT_S32 tw = surface->text_width(font, font_width, font_height, text);
  INT_S32 m[4], r[4];
  text_boxes(g, tw, m, r);
  if (flags & PB_FLAG_REMAINING_TEXT) {
    char remaining[PB_TEXT_SIZE];
    remaining_text(remaining);
    text_box(r[0], r[1], r[2], r[3], &remaining_text_colour, remaining);
  }
  text_box(m[0], m[1], m[2], m[3], &text_colour, text);
}
