// Bilinear two-pass scaling of 1024 x 768 to 800 x 600, as time per output
// pixel beside a memcpy of the same number of bytes (processor time).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "colour.h"
#include "image.h"
#include "timing_reporter.h"

namespace {

const int kSrcW = 1024, kSrcH = 768, kDstW = 800, kDstH = 600;

void fill_pattern(IMAGE& im) {
  for (int y = 0; y < im.height; ++y)
    for (int x = 0; x < im.width; ++x)
      *im.pixel_at(x, y) = 0xFF000000u | ((x * 7) & 255) << 16 | ((y * 5) & 255) << 8 | ((x ^ y) & 255);
}

// Each pass scales a fresh copy of the source; the copying is not timed.
void scale_bench(benchmark::State& state, INT_U8 bilinear) {
  IMAGE source(kSrcW, kSrcH), im(kSrcW, kSrcH);
  fill_pattern(source);
  for (auto _ : state) {
    state.PauseTiming();
    im.create(kSrcW, kSrcH);
    im.copy_from(&source);
    state.ResumeTiming();
    im.scale(kDstW, kDstH, bilinear);
    benchmark::DoNotOptimize(im.pixels);
  }
}

void BM_Bilinear(benchmark::State& state) { scale_bench(state, 1); }
void BM_NearestNeighbour(benchmark::State& state) { scale_bench(state, 0); }

void BM_Memcpy(benchmark::State& state) {
  std::vector<COLOUR> from(kDstW * kDstH, 0x12345678), to(kDstW * kDstH);
  for (auto _ : state) {
    memcpy(to.data(), from.data(), to.size() * sizeof(COLOUR));
    benchmark::DoNotOptimize(to.data());
    benchmark::ClobberMemory();
  }
}

BENCHMARK(BM_Bilinear)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_NearestNeighbour)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Memcpy)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  TimingReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const double pixels = double(kDstW) * kDstH;
  double bilinear = reporter.cpu_time["BM_Bilinear"], nearest = reporter.cpu_time["BM_NearestNeighbour"],
         copy = reporter.cpu_time["BM_Memcpy"];
  if (bilinear > 0 && copy > 0) {
    printf("\nPer output pixel (%dx%d -> %dx%d): bilinear %.2f ns, nearest %.2f ns, memcpy %.3f ns\n",
           kSrcW, kSrcH, kDstW, kDstH, bilinear * 1000 / pixels, nearest * 1000 / pixels,
           copy * 1000 / pixels);
    printf("Bilinear takes %.0f times the memcpy of the same bytes\n", bilinear / copy);
  }
  benchmark::Shutdown();
  return 0;
}
