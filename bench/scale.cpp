// Smooth two-pass scaling of 1024 x 768 to 800 x 600: time per output pixel,
// and as a ratio to nearest-neighbour scaling of the same image, the two
// alternating in paired rounds. Not a test.
//
// Both write into the same output, and the filter's middle image is made
// once: buffers allocated afresh per call would time the kernel's page
// faults on their new pages, not the scaling.
#include <cstdio>
#include <vector>

#include "image.h"
#include "paired.h"
#include "scale.h"

namespace {

const int kSrcW = 1024, kSrcH = 768, kDstW = 800, kDstH = 600, kRounds = 11, kCalls = 5;

void fill_pattern(IMAGE& im) {
  for (int y = 0; y < im.height; ++y)
    for (int x = 0; x < im.width; ++x)
      *im.pixel_at(x, y) = 0xFF000000u | ((x * 7) & 255) << 16 | ((y * 5) & 255) << 8 | ((x ^ y) & 255);
}

}  // namespace

int main() {
  IMAGE source(kSrcW, kSrcH);
  fill_pattern(source);
  const COLOUR* src = source.pixels;
  const INT_U32 src_pitch = static_cast<INT_U32>(source.pitch);
  // Touched once before the rounds, reused by every call.
  std::vector<COLOUR> middle(static_cast<size_t>(kDstW) * kSrcH, 0), out(static_cast<size_t>(kDstW) * kDstH, 0);
  C2PassScale<CBilinearFilter> scaler;

  auto bilinear = [&] {
    scaler.scale_horizontally(src, kSrcW, src_pitch, kSrcH, middle.data(), kDstW, kDstW);
    scaler.scale_vertically(middle.data(), kDstW, kSrcH, out.data(), kDstW, kDstW, kDstH);
    asm volatile("" : : "r"(out.data()) : "memory");
  };
  auto nearest = [&] {
    const INT_U64 step_x = (INT_U64(kSrcW) << 16) / kDstW, step_y = (INT_U64(kSrcH) << 16) / kDstH;
    for (int j = 0; j < kDstH; ++j) {
      const COLOUR* in = src + static_cast<ptrdiff_t>((j * step_y) >> 16) * src_pitch;
      COLOUR* row = out.data() + static_cast<ptrdiff_t>(j) * kDstW;
      for (int i = 0; i < kDstW; ++i) row[i] = in[(i * step_x) >> 16];
    }
    asm volatile("" : : "r"(out.data()) : "memory");
  };
  const PAIRED p = paired_rounds(kRounds, kCalls, bilinear, nearest);
  const double pixels = double(kDstW) * kDstH;
  print_load();
  std::printf("%d x %d -> %d x %d, paired rounds (min / median / max):\n", kSrcW, kSrcH, kDstW, kDstH);
  print_spread("bilinear, per output pixel", p.ours, 1e9 / pixels, "ns");
  print_spread("nearest neighbour, per output pixel", p.baseline, 1e9 / pixels, "ns");
  print_spread("bilinear as a multiple of nearest", p.ratio);
  return 0;
}
