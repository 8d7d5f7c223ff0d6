// Small helpers for the pixel tests of the drawing modules.
#ifndef ZORV_DRAW_TEST_UTIL_H
#define ZORV_DRAW_TEST_UTIL_H

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

#include "colour.h"
#include "image.h"
#include "test_support.h"

namespace dt {

inline COLOUR& px(IMAGE& im, int x, int y) { return im.pixels[y * im.pitch + x]; }

// An image that keeps its clip but has no pixels (the fatal error 2 case).
inline void drop_pixels(IMAGE& im) {
  std::free(im.pixels);
  im.pixels = nullptr;
}

inline void fill(IMAGE& im, COLOUR c) {
  for (int y = 0; y < im.height; ++y)
    for (int x = 0; x < im.width; ++x) px(im, x, y) = c;
}

// Pixels equal to `c`, as "x,y" texts in row order.
inline std::string where(IMAGE& im, COLOUR c) {
  std::string s;
  for (int y = 0; y < im.height; ++y)
    for (int x = 0; x < im.width; ++x)
      if (px(im, x, y) == c) s += std::to_string(x) + "," + std::to_string(y) + " ";
  return s;
}

inline int count(IMAGE& im, COLOUR c) {
  int n = 0;
  for (int y = 0; y < im.height; ++y)
    for (int x = 0; x < im.width; ++x) n += px(im, x, y) == c;
  return n;
}

// Runs fn in a child and expects it to end through the given fatal error.
inline void expect_fatal(const std::function<void()>& fn, unsigned code) {
  zt::clear_message_box_calls();
  zt::ChildResult r = zt::run_in_child(fn);
  EXPECT_EQ(r.status, 255) << r.out << r.err;
  char want[16];
  snprintf(want, sizeof want, "%04X", code);
  std::string seen = r.out;
  for (const auto& call : zt::message_box_calls())
    for (const auto& arg : call) seen += arg + "\n";
  EXPECT_NE(seen.find(want), std::string::npos) << seen;
}

inline void expect_no_exit(const std::function<void()>& fn) {
  zt::ChildResult r = zt::run_in_child(fn);
  EXPECT_EQ(r.status, 0) << r.out << r.err;
}

}  // namespace dt

#endif
