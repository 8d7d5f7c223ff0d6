// Paired rounds: each round times our code and the baseline back to back,
// the one going first alternating, so that a change in the machine's load
// falls on both sides of a ratio alike. Figures are min / median / max of the
// per-round ratios, printed with the load average at the time.
#ifndef ZORV_BENCH_PAIRED_H
#define ZORV_BENCH_PAIRED_H

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

struct SPREAD {
  double min = 0, median = 0, max = 0;
};

inline SPREAD spread_of(std::vector<double> v) {
  SPREAD s;
  if (v.empty()) return s;
  std::sort(v.begin(), v.end());
  const size_t n = v.size();
  s.min = v.front();
  s.max = v.back();
  s.median = n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
  return s;
}

// Seconds taken by `run()`; `prepare()` before it is not timed.
template <class Prepare, class Run>
double seconds_of(Prepare prepare, Run run) {
  prepare();
  const auto start = std::chrono::steady_clock::now();
  run();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

struct PAIRED {
  std::vector<double> ours, baseline, ratio;  // seconds per call, per round
};

// `rounds` pairs of `calls` calls each; a side is timed as its whole batch.
template <class Ours, class Baseline>
PAIRED paired_rounds(int rounds, int calls, Ours ours, Baseline baseline) {
  PAIRED p;
  auto batch = [calls](auto& f) {
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < calls; ++i) f();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / calls;
  };
  batch(ours);  // warm caches and lazy set-up, untimed
  batch(baseline);
  for (int r = 0; r < rounds; ++r) {
    double a, b;
    if (r % 2) {
      b = batch(baseline);
      a = batch(ours);
    } else {
      a = batch(ours);
      b = batch(baseline);
    }
    p.ours.push_back(a);
    p.baseline.push_back(b);
    p.ratio.push_back(a / b);
  }
  return p;
}

inline void print_load() {
  double one = 0, five = 0, fifteen = 0;
  if (FILE* f = std::fopen("/proc/loadavg", "r")) {
    if (std::fscanf(f, "%lf %lf %lf", &one, &five, &fifteen) != 3) one = five = fifteen = 0;
    std::fclose(f);
  }
  std::printf("load average: %.2f %.2f %.2f\n", one, five, fifteen);
}

inline void print_spread(const char* what, const std::vector<double>& values, double scale = 1,
                         const char* unit = "") {
  const SPREAD s = spread_of(values);
  std::printf("  %-44s %8.2f / %8.2f / %8.2f %s\n", what, s.min * scale, s.median * scale,
              s.max * scale, unit);
}

#endif
