// Blitting a full 800 x 600 image, as a ratio to a memcpy of the same bytes in
// paired rounds. Not a test: nothing fails on time.
#include <cstdio>
#include <cstring>
#include <vector>

#include "image.h"
#include "paired.h"

namespace {

const int kWidth = 800, kHeight = 600, kRounds = 15, kCalls = 20;

// A picture whose alpha covers every value, so each branch of the blend rule
// is taken, in runs as a real picture has them (antialiased edges, shadows).
void paint_source(IMAGE& im, bool opaque) {
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) {
      INT_U32 a = opaque ? 255u : static_cast<INT_U32>((x / 4 + y) & 0xFF);
      *im.pixel_at(x, y) = (a << 24) | static_cast<INT_U32>(x * 2654435761u + y) % 0xFFFFFF;
    }
}

}  // namespace

int main() {
  std::vector<INT_U32> a(kWidth * kHeight, 0x80808080u), b(kWidth * kHeight);
  auto copy = [&] {
    std::memcpy(b.data(), a.data(), a.size() * sizeof(INT_U32));
    asm volatile("" : : "r"(b.data()) : "memory");
  };
  print_load();
  std::printf("800 x 600 pixels, time as a multiple of memcpy of the same bytes (min / median / max):\n");
  const struct {
    const char* name;
    INT_S32 mode;
    bool opaque;
  } cases[] = {{"blend, mixed alpha", BLIT_BLEND, false},
               {"blend, opaque", BLIT_BLEND, true},
               {"copy", BLIT_COPY, true}};
  for (const auto& c : cases) {
    IMAGE src(kWidth, kHeight), dst(kWidth, kHeight);
    paint_source(src, c.opaque);
    const COLOUR grey = 0xFF404040;
    dst.clear(&grey, 1);
    auto blit = [&] {
      dst.blit(&src, 0, 0, 0, 0, kWidth, kHeight, c.mode);
      asm volatile("" : : "r"(dst.pixels) : "memory");
    };
    print_spread(c.name, paired_rounds(kRounds, kCalls, blit, copy).ratio);
  }
  return 0;
}
