// Blend-blitting a full 800 x 600 image, reported as a ratio to a memcpy of
// the same bytes measured in the same run. Not a test: nothing fails on time.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "image.h"

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

// Prints the usual table, then every run's time as a multiple of the memcpy.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& r : runs)
      if (r.iterations > 0) times_[r.benchmark_name()] = r.GetAdjustedRealTime();
  }
  void Finalize() override {
    ConsoleReporter::Finalize();
    auto base = times_.find("BM_memcpy");
    if (base == times_.end() || base->second <= 0) return;
    std::printf("\n800 x 600 pixels, time as a multiple of memcpy of the same bytes:\n");
    for (const auto& [name, t] : times_)
      if (name != "BM_memcpy") std::printf("  %-28s %6.2f\n", name.c_str(), t / base->second);
  }

 private:
  std::map<std::string, double> times_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
