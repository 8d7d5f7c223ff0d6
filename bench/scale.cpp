// Smooth two-pass scaling of 1024 x 768 to 800 x 600: time per output pixel,
// and as a ratio to nearest-neighbour scaling of the same image, the two
// alternating in paired rounds. Not a test.
#include <cstdio>

#include "image.h"
#include "paired.h"

namespace {

const int kSrcW = 1024, kSrcH = 768, kDstW = 800, kDstH = 600, kRounds = 11, kCalls = 5;

void fill_pattern(IMAGE& im) {
  for (int y = 0; y < im.height; ++y)
    for (int x = 0; x < im.width; ++x)
      *im.pixel_at(x, y) = 0xFF000000u | ((x * 7) & 255) << 16 | ((y * 5) & 255) << 8 | ((x ^ y) & 255);
}

}  // namespace

int main() {
  IMAGE source(kSrcW, kSrcH), im(kSrcW, kSrcH);
  fill_pattern(source);
  // Each call scales a fresh copy of the source; making the copy is not timed.
  auto scaled = [&](INT_U8 smooth) {
    return seconds_of(
        [&] {
          im.create(kSrcW, kSrcH);
          im.copy_from(&source);
        },
        [&] {
          im.scale(kDstW, kDstH, smooth);
          asm volatile("" : : "r"(im.pixels) : "memory");
        });
  };
  PAIRED p;
  scaled(1);
  scaled(0);
  for (int round = 0; round < kRounds; ++round) {
    double smooth = 0, nearest = 0;
    for (int call = 0; call < kCalls; ++call) {
      if (round % 2) {
        nearest += scaled(0);
        smooth += scaled(1);
      } else {
        smooth += scaled(1);
        nearest += scaled(0);
      }
    }
    p.ours.push_back(smooth / kCalls);
    p.baseline.push_back(nearest / kCalls);
    p.ratio.push_back(smooth / nearest);
  }
  const double pixels = double(kDstW) * kDstH;
  print_load();
  std::printf("%d x %d -> %d x %d, paired rounds (min / median / max):\n", kSrcW, kSrcH, kDstW, kDstH);
  print_spread("bilinear, per output pixel", p.ours, 1e9 / pixels, "ns");
  print_spread("nearest neighbour, per output pixel", p.baseline, 1e9 / pixels, "ns");
  print_spread("bilinear as a multiple of nearest", p.ratio);
  return 0;
}
