// Free rotation of a whole image.
#include <cmath>
#include <cstdlib>

#include "colour.h"
#include "draw_common.h"
#include "image.h"

void IMAGE::rotate(float angle) {
  // create() cannot resize a fixed-size image: refuse before anything is
  // taken away from it.
  if (fixed_size) return;
  const float s = std::sin(angle), c = std::cos(angle);
  const int w = width, h = height;
  const float wf = static_cast<float>(w), hf = static_cast<float>(h);
  const float tx[3] = {wf * c, -hf * s, wf * c - hf * s};
  const float ty[3] = {wf * s, hf * c, wf * s + hf * c};
  float min_x = 0, min_y = 0, max_x = tx[0], max_y = ty[0];
  for (int i = 0; i < 3; ++i) {
    if (tx[i] < min_x) min_x = tx[i];
    if (ty[i] < min_y) min_y = ty[i];
    if (tx[i] > max_x) max_x = tx[i];
    if (ty[i] > max_y) max_y = ty[i];
  }
  const float new_w = std::ceil(std::fabs(max_x) - min_x);
  const float new_h = std::ceil(std::fabs(max_y) - min_y);
  // A size an image cannot hold (or no number at all) leaves it as it was.
  if (!(new_w >= 0.0f && new_w <= 32767.0f && new_h >= 0.0f && new_h <= 32767.0f)) return;

  COLOUR* old = pixels;
  const int old_pitch = pitch;
  pixels = nullptr;
  width = 0;
  height = 0;
  create(static_cast<INT_S16>(new_w), static_cast<INT_S16>(new_h));
  if (pixels) {
    const COLOUR clear = 0;
    fill_rect(x, y, static_cast<INT_S16>(x + width - 1), static_cast<INT_S16>(y + height - 1),
              &clear, 0);
    for (int dy = 0; dy < height; ++dy) {
      COLOUR* row = pixels + static_cast<ptrdiff_t>(dy) * pitch;
      const float fy = static_cast<float>(dy) + min_y;
      for (int dx = 0; dx < width; ++dx) {
        const float fx = static_cast<float>(dx) + min_x;
        const float sx = c * fx + s * fy;
        const float sy = c * fy - s * fx;
        // Truncation toward zero: anything above -1 lands on 0.
        if (sx > -1.0f && sx < wf && sy > -1.0f && sy < hf) {
          const int ix = static_cast<int>(sx), iy = static_cast<int>(sy);
          row[dx] = old[static_cast<ptrdiff_t>(iy) * old_pitch + ix];
        }
      }
    }
  }
  free(old);
}

void IMAGE::rotate_degrees(float angle) { rotate(static_cast<float>(angle * 3.1415926535898 / 180)); }
