// Helpers for the image file tests: images from pixel lists, files on disc.
#ifndef ZORV_IMAGE_FILES_TEST_UTIL_H
#define ZORV_IMAGE_FILES_TEST_UTIL_H

#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "image.h"
#include "image_files.h"
#include "test_support.h"

namespace itu {

typedef std::vector<INT_U8> Bytes;

inline std::unique_ptr<IMAGE> make_image(int w, int h, const std::function<INT_U32(int, int)>& f) {
  auto im = std::make_unique<IMAGE>(static_cast<INT_S16>(w), static_cast<INT_S16>(h));
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) *im->pixel_at(x, y) = f(x, y);
  return im;
}

// Row by row, without the pitch.
inline std::vector<INT_U32> pixels_of(const IMAGE& im) {
  std::vector<INT_U32> out;
  for (int y = 0; y < im.height; ++y)
    for (int x = 0; x < im.width; ++x) out.push_back(*im.pixel_at(x, y));
  return out;
}

// A 3 x 3 image with a pattern, to show that a refused load leaves it alone.
inline std::unique_ptr<IMAGE> sentinel() {
  return make_image(3, 3, [](int x, int y) { return 0xFF000000u | (x * 16 + y); });
}
inline void expect_sentinel(const IMAGE& im) {
  EXPECT_EQ(im.width, 3);
  EXPECT_EQ(im.height, 3);
  EXPECT_EQ(pixels_of(im), pixels_of(*sentinel()));
}

inline Bytes cat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}
inline Bytes text_bytes(const std::string& s) { return Bytes(s.begin(), s.end()); }
inline Bytes repeat(INT_U8 b, size_t n) { return Bytes(n, b); }

inline std::string temp_file(const std::string& name) { return zt::make_temp_dir() + "/" + name; }

inline bool save_png_to(const std::string& path, const IMAGE& im) {
  FILE* f = fopen(path.c_str(), "wb");
  if (!f) return false;
  bool ok = save_png_stream(&im, f);
  ok = (fclose(f) == 0) && ok;
  return ok;
}

// The stream form expects the first four signature bytes taken already.
inline bool load_png_from(const std::string& path, IMAGE& im) {
  FILE* f = fopen(path.c_str(), "rb");
  if (!f) return false;
  unsigned char sig[4];
  bool ok = fread(sig, 1, 4, f) == 4 && sig[0] == 0x89 && sig[1] == 'P' && sig[2] == 'N' &&
            sig[3] == 'G' && load_png_stream(&im, f);
  fclose(f);
  return ok;
}

inline bool save_jpeg_to(const std::string& path, const IMAGE& im, int quality, int progressive) {
  FILE* f = fopen(path.c_str(), "wb");
  if (!f) return false;
  bool ok = save_jpeg_stream(&im, f, static_cast<INT_U8>(quality), static_cast<INT_S8>(progressive));
  ok = (fclose(f) == 0) && ok;
  return ok;
}

inline bool load_jpeg_from(const std::string& path, IMAGE& im, int w, int h) {
  FILE* f = fopen(path.c_str(), "rb");
  if (!f) return false;
  bool ok = load_jpeg_stream(&im, f, static_cast<INT_S16>(w), static_cast<INT_S16>(h));
  fclose(f);
  return ok;
}

}  // namespace itu

#endif
