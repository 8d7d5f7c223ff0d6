// The image surface: life cycle, clip and dirty rectangles, the display space.
#include "image.h"

#include <algorithm>
#include <cstdlib>

#include "errors.h"

INT_U8 alpha_copy_threshold = 250;

namespace {

const INT_U16 kNoDirty = 65535;

// Coordinates are held in 16 bits; an image reaching past 32767 is clipped
// at the edge of the space rather than wrapping.
INT_S16 to_s16(int v) { return static_cast<INT_S16>(std::clamp(v, -32768, 32767)); }

int pitch_for(int width, int alignment) {
  if (alignment > 1) return (width + alignment - 1) / alignment * alignment;
  if (alignment == 1) return width;
  return (width + 1) & ~1;
}

}  // namespace

INT_S16 get_display_of_point(INT_S16 x, INT_S16 y) {
  if (x < 0 || y < 0) return 0;
  return static_cast<INT_S16>(((x & 0x7000) >> 9) | ((y & 0x7000) >> 12));
}

INT_S16 get_display_origin_x(INT_S16 display) {
  return static_cast<INT_S16>((display & 0x38) * 512);
}

INT_S16 get_display_origin_y(INT_S16 display) {
  return static_cast<INT_S16>((display & 7) * 4096);
}

IMAGE::IMAGE(INT_S16 w, INT_S16 h) { init(w, h); }

IMAGE::~IMAGE() {
  link = nullptr;
  std::free(pixels);
  pixels = nullptr;
}

void IMAGE::init(INT_S16 w, INT_S16 h) {
  // Run again on a live image, init starts it afresh without leaking.
  std::free(pixels);
  x = y = 0;
  height = width = 0;
  pitch = 0;
  alignment = 0;
  pixels = nullptr;
  fixed_size = 0;
  clip_left = clip_right = clip_top = clip_bottom = -1;
  enabled = 0;
  keep_aspect = 0;
  font = 10;
  font_width = font_height = 22;
  dirty_left = dirty_right = dirty_top = dirty_bottom = kNoDirty;
  max_width = 0;
  max_height = 0;
  link = nullptr;
  create(w, h);
}

void IMAGE::create(INT_S16 w, INT_S16 h) {
  if (fixed_size) return;
  max_width = 0;
  max_height = 0;
  if (pixels && w == width && h == height) {
    add_dirty_rect(x, y, to_s16(x + width - 1), to_s16(y + height - 1));
    set_clip(x, y, to_s16(x + width - 1), to_s16(y + height - 1));
    return;
  }
  if (pixels) {
    // The old area changed: merge it into the dirty rectangle.
    add_dirty_rect(x, y, to_s16(x + width - 1), to_s16(y + height - 1));
    std::free(pixels);
    pixels = nullptr;
  }
  if (w < 1 || h < 1) {
    width = height = 0;
    pitch = 0;
    dirty_left = dirty_right = dirty_top = dirty_bottom = kNoDirty;
  } else {
    width = static_cast<INT_U16>(w);
    height = static_cast<INT_U16>(h);
    pitch = pitch_for(w, alignment);
    pixels = static_cast<INT_U32*>(
        std::calloc(static_cast<size_t>(height) * static_cast<size_t>(pitch), sizeof(INT_U32)));
    if (!pixels) report_fatal_error(0x20, nullptr);
  }
  set_clip(x, y, to_s16(x + width - 1), to_s16(y + height - 1));
  enabled = 1;
}

IMAGE* IMAGE::copy_from(const IMAGE* source) {
  if (!source) return this;
  create(static_cast<INT_S16>(source->width), static_cast<INT_S16>(source->height));
  blit(source, 0, 0, 0, 0, static_cast<INT_S16>(source->width),
       static_cast<INT_S16>(source->height), BLIT_COPY);
  return this;
}

void IMAGE::set_clip(INT_S16 x1, INT_S16 y1, INT_S16 x2, INT_S16 y2) {
  if (!pixels || width == 0 || height == 0) {
    clip_left = clip_right = clip_top = clip_bottom = -1;
    return;
  }
  int left = x, right = x + width - 1, top = y, bottom = y + height - 1;
  int a = std::min(x1, x2), b = std::max(x1, x2);
  int c = std::min(y1, y2), d = std::max(y1, y2);
  clip_left = to_s16(std::min(std::max(a, left), right));
  clip_right = to_s16(std::min(std::max(b, left), right));
  clip_top = to_s16(std::min(std::max(c, top), bottom));
  clip_bottom = to_s16(std::min(std::max(d, top), bottom));
}

void IMAGE::intersect_clip(INT_S16 x1, INT_S16 y1, INT_S16 x2, INT_S16 y2) {
  if (clip_is_empty() || width == 0 || height == 0) {
    clip_left = clip_right = clip_top = clip_bottom = -1;
    return;
  }
  int left = x, right = x + width - 1, top = y, bottom = y + height - 1;
  // A rectangle wholly off the image leaves nothing to draw; clamped, it
  // would become the image's edge row or column.
  if (std::max(x1, x2) < left || std::min(x1, x2) > right || std::max(y1, y2) < top ||
      std::min(y1, y2) > bottom) {
    clip_left = clip_right = clip_top = clip_bottom = -1;
    return;
  }
  int a = std::min(std::max<int>(std::min(x1, x2), left), right);
  int b = std::min(std::max<int>(std::max(x1, x2), left), right);
  int c = std::min(std::max<int>(std::min(y1, y2), top), bottom);
  int d = std::min(std::max<int>(std::max(y1, y2), top), bottom);
  if (b < clip_left || d < clip_top || a > clip_right || c > clip_bottom) {
    clip_left = clip_right = clip_top = clip_bottom = -1;
    return;
  }
  clip_left = to_s16(std::max<int>(a, clip_left));
  clip_top = to_s16(std::max<int>(c, clip_top));
  clip_right = to_s16(std::min<int>(b, clip_right));
  clip_bottom = to_s16(std::min<int>(d, clip_bottom));
}

void IMAGE::add_dirty_rect(INT_S16 x1, INT_S16 y1, INT_S16 x2, INT_S16 y2) {
  // An empty image never has a dirty area.
  if (width == 0 || height == 0) return;
  int left = x, right = x + width - 1, top = y, bottom = y + height - 1;
  int ax = std::min(std::max<int>(x1, left), right);
  int bx = std::min(std::max<int>(x2, left), right);
  int ay = std::min(std::max<int>(y1, top), bottom);
  int by = std::min(std::max<int>(y2, top), bottom);
  if (ax > bx) std::swap(ax, bx);
  if (ay > by) std::swap(ay, by);
  auto s = [](INT_U16 v) { return static_cast<int>(static_cast<INT_S16>(v)); };
  auto u = [](int v) { return static_cast<INT_U16>(to_s16(v)); };
  if (dirty_left == kNoDirty || ax < s(dirty_left)) dirty_left = u(ax);
  if (dirty_right == kNoDirty || bx > s(dirty_right)) dirty_right = u(bx);
  if (dirty_top == kNoDirty || ay < s(dirty_top)) dirty_top = u(ay);
  if (dirty_bottom == kNoDirty || by > s(dirty_bottom)) dirty_bottom = u(by);
}

void IMAGE::copy_flipped(INT_U32* out) const {
  if (height < 1 || !pixels || !out) return;
  for (int r = 0; r < height; ++r)
    std::copy_n(pixels + static_cast<long>(r) * pitch, width,
                out + static_cast<long>(height - 1 - r) * width);
}
