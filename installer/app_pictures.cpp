// The installer's own pictures, drawn by code: the 64 x 64 window icon as XPM
// lines (two characters per pixel) and the two 353 x 143 "Please Wait"
// pictures shown while the program starts and while it shuts down.
#include "app_installer.h"

#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "fonts.h"
#include "image.h"

namespace {

const int kIconSize = 64;
// Characters of the two-character colour codes: 64 x 64 codes, far more than
// the icon's shades.
const char kCodeChars[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+-";
const int kCodeBase = 64;

COLOUR mix(COLOUR a, COLOUR b, double t) {
  if (t <= 0) return a;
  if (t >= 1) return b;
  COLOUR out = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    const double ca = (a >> shift) & 0xFF, cb = (b >> shift) & 0xFF;
    out |= static_cast<COLOUR>(std::lround(ca + (cb - ca) * t)) << shift;
  }
  return out;
}

// Distance of (x, y) outside a rounded square of side `size` at (0, 0) with
// corner radius r; 0 or less inside.
double rounded_square_distance(double x, double y, double size, double r) {
  const double cx = std::fmin(std::fmax(x, r), size - r);
  const double cy = std::fmin(std::fmax(y, r), size - r);
  return std::hypot(x - cx, y - cy) - r;
}

// One pixel of the icon: a blue rounded tile with a light box and a green
// arrow pointing down into it. Transparent outside the tile.
COLOUR icon_pixel(int px, int py) {
  const double x = px + 0.5, y = py + 0.5;
  const double edge = rounded_square_distance(x - 2, y - 2, 60, 12);
  if (edge > 0.5) return 0;
  COLOUR c = mix(0xFF3A6FD8u, 0xFF123C8Cu, y / kIconSize);
  if (edge > -2.5) c = 0xFF0B2560u;  // the tile's rim
  // The box: a front face and a lid, in two greys.
  if (x >= 14 && x < 50 && y >= 34 && y < 54) c = mix(0xFFF2F2F2u, 0xFFC8C8C8u, (y - 34) / 20);
  if (x >= 11 && x < 53 && y >= 30 && y < 35) c = 0xFFE0E0E0u;
  if ((x >= 14 && x < 15.5 && y >= 34 && y < 54) || (x >= 48.5 && x < 50 && y >= 34 && y < 54) ||
      (y >= 52.5 && y < 54 && x >= 14 && x < 50))
    c = 0xFF5A5A5Au;
  // The arrow: a shaft and a head that reaches into the box.
  const bool shaft = x >= 28 && x < 36 && y >= 8 && y < 26;
  const bool head = y >= 24 && y < 42 && std::fabs(x - 32) <= (42 - y) * 0.9;
  if (shaft || head) c = mix(0xFF5FD35Fu, 0xFF1E8C2Eu, (y - 8) / 34);
  return c;
}

std::string code_of(int index) {
  std::string s;
  s += kCodeChars[index / kCodeBase];
  s += kCodeChars[index % kCodeBase];
  return s;
}

struct ICON_XPM {
  std::vector<std::string> lines;
  std::vector<const char*> pointers;

  ICON_XPM() {
    std::map<COLOUR, int> palette;
    std::vector<COLOUR> pixels(kIconSize * kIconSize);
    for (int py = 0; py < kIconSize; ++py)
      for (int px = 0; px < kIconSize; ++px) {
        COLOUR c = icon_pixel(px, py);
        pixels[py * kIconSize + px] = c;
        palette.emplace(c, 0);
      }
    int next = 0;
    for (auto& entry : palette) entry.second = next++;
    lines.push_back(std::to_string(kIconSize) + " " + std::to_string(kIconSize) + " " +
                    std::to_string(palette.size()) + " 2");
    for (const auto& entry : palette) {
      char colour[16];
      std::snprintf(colour, sizeof colour, "#%06X", entry.first & 0xFFFFFFu);
      lines.push_back(code_of(entry.second) + " c " + ((entry.first >> 24) ? colour : "None"));
    }
    for (int py = 0; py < kIconSize; ++py) {
      std::string row;
      for (int px = 0; px < kIconSize; ++px) row += code_of(palette[pixels[py * kIconSize + px]]);
      lines.push_back(row);
    }
    for (const std::string& line : lines) pointers.push_back(line.c_str());
    pointers.push_back(nullptr);
  }
};

}  // namespace

const char* const* installer_icon_xpm() {
  static const ICON_XPM icon;
  return icon.pointers.data();
}

// Both pictures share one look: a dark blue field with a light frame, a row of
// dots standing for work in progress, and the two lines of text when a font is
// there to draw them (at start-up the package's fonts are not loaded yet).
void draw_please_wait_picture(IMAGE* picture, INT_U8 shutting_down) {
  const INT_S16 w = PLEASE_WAIT_WIDTH, h = PLEASE_WAIT_HEIGHT;
  picture->create(w, h);
  picture->set_clip(0, 0, w - 1, h - 1);
  const COLOUR top = 0xFF24406Eu, bottom = 0xFF0E1A33u, frame = 0xFFB8C8E8u;
  picture->fill_gradient_vertical(0, 0, w - 1, h - 1, &top, &bottom, 0);
  picture->draw_rect(0, 0, w - 1, h - 1, &frame, 2, 15);
  const int dots = 5;
  for (int i = 0; i < dots; ++i) {
    // Filled from the left when starting, from the right when shutting down.
    const bool lit = shutting_down ? i >= dots - 3 : i < 3;
    const COLOUR dot = lit ? 0xFF7FD37Fu : 0xFF3D5A80u;
    const INT_S16 x1 = static_cast<INT_S16>(w / 2 - dots * 14 + i * 28 + 4);
    picture->fill_rect(x1, h - 40, static_cast<INT_S16>(x1 + 19), h - 24, &dot, 0);
  }
  const COLOUR white = 0xFFFFFFFFu, pale = 0xFFB8C8E8u, none = 0;
  for (INT_S8 font = 0; font < get_font_count(); ++font) {
    if (!is_font_loaded(font)) continue;
    picture->draw_text_box(10, 14, w - 11, 54, &white, &none, &none, font, 24, 24,
                           "Please Wait", 0);
    picture->draw_text_box(10, 58, w - 11, 84, &pale, &none, &none, font, 14, 14,
                           shutting_down ? "Closing the installer" : "Loading the installation data",
                           0);
    break;
  }
}
