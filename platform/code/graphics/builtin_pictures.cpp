// The built-in pictures, drawn here by code into embedded picture arrays.
#include "builtin_pictures.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

struct Canvas {
  int w, h;
  std::vector<INT_U32> px;
  Canvas(int width, int height) : w(width), h(height), px(static_cast<size_t>(width) * height, 0) {}
  INT_U32& at(int x, int y) { return px[static_cast<size_t>(y) * w + x]; }
  // Paints an opaque colour over the pixel with the given coverage 0..1.
  void paint(int x, int y, INT_U32 rgb, double cover) {
    if (x < 0 || y < 0 || x >= w || y >= h || cover <= 0) return;
    INT_U32& d = at(x, y);
    const double a = std::min(cover, 1.0);
    auto mix = [a](INT_U32 dst, INT_U32 src) {
      return static_cast<INT_U32>(std::lround(dst * (1 - a) + src * a));
    };
    const INT_U32 r = mix((d >> 16) & 0xFF, (rgb >> 16) & 0xFF);
    const INT_U32 g = mix((d >> 8) & 0xFF, (rgb >> 8) & 0xFF);
    const INT_U32 b = mix(d & 0xFF, rgb & 0xFF);
    const INT_U32 al = std::max<INT_U32>(d >> 24, static_cast<INT_U32>(std::lround(255 * a)));
    d = al << 24 | r << 16 | g << 8 | b;
  }
  std::vector<INT_U8> embedded() const {
    std::vector<INT_U8> out;
    out.reserve(5 + px.size() * 4);
    out.push_back(1);
    out.push_back(static_cast<INT_U8>(w >> 8));
    out.push_back(static_cast<INT_U8>(w));
    out.push_back(static_cast<INT_U8>(h >> 8));
    out.push_back(static_cast<INT_U8>(h));
    for (INT_U32 v : px) {
      out.push_back(static_cast<INT_U8>(v));
      out.push_back(static_cast<INT_U8>(v >> 8));
      out.push_back(static_cast<INT_U8>(v >> 16));
      out.push_back(static_cast<INT_U8>(v >> 24));
    }
    return out;
  }
};

// A 5 x 7 pixel font for the few letters the pictures use.
struct Glyph {
  char c;
  INT_U8 rows[7];
};
const Glyph kGlyphs[] = {
    {'A', {0x0E, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11}},
    {'E', {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x1F}},
    {'I', {0x0E, 0x04, 0x04, 0x04, 0x04, 0x04, 0x0E}},
    {'L', {0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x1F}},
    {'P', {0x1E, 0x11, 0x11, 0x1E, 0x10, 0x10, 0x10}},
    {'S', {0x0F, 0x10, 0x10, 0x0E, 0x01, 0x01, 0x1E}},
    {'T', {0x1F, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04}},
    {'W', {0x11, 0x11, 0x11, 0x15, 0x15, 0x15, 0x0A}},
    {'Z', {0x1F, 0x01, 0x02, 0x04, 0x08, 0x10, 0x1F}},
};

void draw_text(Canvas& c, int x, int y, int scale, const char* text, INT_U32 rgb) {
  for (; *text; ++text, x += 6 * scale) {
    for (const Glyph& g : kGlyphs) {
      if (g.c != *text) continue;
      for (int r = 0; r < 7; ++r)
        for (int b = 0; b < 5; ++b)
          if (g.rows[r] & (0x10 >> b))
            for (int dy = 0; dy < scale; ++dy)
              for (int dx = 0; dx < scale; ++dx) c.paint(x + b * scale + dx, y + r * scale + dy, rgb, 1);
    }
  }
}

// Coverage of a pixel by a disc edge at distance d from the centre.
double edge(double d, double radius) { return std::clamp(radius - d + 0.5, 0.0, 1.0); }

// A rounded panel with a vertical blue gradient and a light rim, the words
// "PLEASE WAIT" and a row of dots.
std::vector<INT_U8> draw_default_picture() {
  const int W = 195, H = 80;
  const double R = 12;
  Canvas c(W, H);
  for (int y = 0; y < H; ++y) {
    for (int x = 0; x < W; ++x) {
      // Distance outside the rounded rectangle's inner corner square.
      const double cx = std::clamp(x + 0.5, R, W - R), cy = std::clamp(y + 0.5, R, H - R);
      const double d = std::hypot(x + 0.5 - cx, y + 0.5 - cy);
      const double outer = edge(d, R);
      const double t = static_cast<double>(y) / (H - 1);
      const INT_U32 r = static_cast<INT_U32>(28 + 30 * t), g = static_cast<INT_U32>(58 + 50 * t),
                    b = static_cast<INT_U32>(112 + 70 * t);
      c.paint(x, y, r << 16 | g << 8 | b, outer);
      // The rim: a two-pixel band along the edge.
      const double inner = edge(d, R - 2);
      c.paint(x, y, 0xD8E4F4, outer - inner);
    }
  }
  const char* text = "PLEASE WAIT";
  const int text_w = 11 * 12 - 2;
  draw_text(c, (W - text_w) / 2 + 1, 17, 2, text, 0x0C1A30);  // shadow
  draw_text(c, (W - text_w) / 2, 16, 2, text, 0xFFFFFF);
  for (int i = 0; i < 5; ++i) {
    const double dx = W / 2.0 + (i - 2) * 18, dy = 56;
    const INT_U32 shade = 0xFFFFFF - static_cast<INT_U32>(i) * 0x182010;
    for (int y = 44; y < 68; ++y)
      for (int x = static_cast<int>(dx) - 8; x <= static_cast<int>(dx) + 8; ++x)
        c.paint(x, y, shade, edge(std::hypot(x + 0.5 - dx, y + 0.5 - dy), 5));
  }
  return c.embedded();
}

// A round emblem: an orange-to-red disc in a white ring with a "Z".
std::vector<INT_U8> draw_about_picture() {
  const int W = 80, H = 75;
  const double cx = W / 2.0, cy = H / 2.0, R = 36;
  Canvas c(W, H);
  for (int y = 0; y < H; ++y) {
    for (int x = 0; x < W; ++x) {
      const double d = std::hypot(x + 0.5 - cx, y + 0.5 - cy);
      c.paint(x, y, 0xF4F4F0, edge(d, R));
      const double t = std::min(1.0, d / (R - 4));
      const INT_U32 g = static_cast<INT_U32>(150 - 110 * t), b = static_cast<INT_U32>(30 - 20 * t);
      c.paint(x, y, 0xF0u << 16 | g << 8 | b, edge(d, R - 4));
    }
  }
  draw_text(c, static_cast<int>(cx) - 12, static_cast<int>(cy) - 17, 5, "Z", 0xFFFFFF);
  return c.embedded();
}

}  // namespace

const INT_U8* builtin_default_picture() {
  static const std::vector<INT_U8>* data = new std::vector<INT_U8>(draw_default_picture());
  return data->data();
}

const INT_U8* builtin_about_picture() {
  static const std::vector<INT_U8>* data = new std::vector<INT_U8>(draw_about_picture());
  return data->data();
}

bool load_builtin_default_picture(IMAGE* image) {
  return image && image->load_embedded(builtin_default_picture());
}

bool load_builtin_about_picture(IMAGE* image) {
  return image && image->load_embedded(builtin_about_picture());
}
