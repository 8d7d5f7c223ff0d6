// Blend-blitting a full 800 x 600 image, reported as a ratio to a memcpy of
// the same bytes measured in the same run. Not a test: nothing fails on time.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "image.h"
#include "timing_reporter.h"

namespace {

const int kWidth = 800, kHeight = 600;

// A picture whose alpha covers every value, so each branch of the blend rule
// is taken, in runs as a real picture has them (antialiased edges, shadows).
void paint_source(IMAGE& im, bool opaque) {
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) {
      INT_U32 a = opaque ? 255u : static_cast<INT_U32>((x / 4 + y) & 0xFF);
      *im.pixel_at(x, y) = (a << 24) | static_cast<INT_U32>(x * 2654435761u + y) % 0xFFFFFF;
    }
}

void BM_memcpy(benchmark::State& state) {
  std::vector<INT_U32> a(kWidth * kHeight, 0x80808080u), b(kWidth * kHeight);
  for (auto _ : state) {
    std::memcpy(b.data(), a.data(), a.size() * sizeof(INT_U32));
    benchmark::DoNotOptimize(b.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * a.size() * sizeof(INT_U32));
}

void blit_bench(benchmark::State& state, INT_S32 mode, bool opaque) {
  IMAGE src(kWidth, kHeight), dst(kWidth, kHeight);
  paint_source(src, opaque);
  const COLOUR grey = 0xFF404040;
  dst.clear(&grey, 1);
  for (auto _ : state) {
    dst.blit(&src, 0, 0, 0, 0, kWidth, kHeight, mode);
    benchmark::DoNotOptimize(dst.pixels);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(kWidth) * kHeight * 4);
}

void BM_blit_blend_mixed_alpha(benchmark::State& s) { blit_bench(s, BLIT_BLEND, false); }
void BM_blit_blend_opaque(benchmark::State& s) { blit_bench(s, BLIT_BLEND, true); }
void BM_blit_copy(benchmark::State& s) { blit_bench(s, BLIT_COPY, true); }

BENCHMARK(BM_memcpy);
BENCHMARK(BM_blit_blend_mixed_alpha);
BENCHMARK(BM_blit_blend_opaque);
BENCHMARK(BM_blit_copy);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  TimingReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const auto& times = reporter.real_time;
  auto base = times.find("BM_memcpy");
  if (base != times.end() && base->second > 0) {
    std::printf("\n800 x 600 pixels, time as a multiple of memcpy of the same bytes:\n");
    for (const auto& [name, t] : times)
      if (name != "BM_memcpy") std::printf("  %-28s %6.2f\n", name.c_str(), t / base->second);
  }
  benchmark::Shutdown();
  return 0;
}
