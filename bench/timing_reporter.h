// The console table of Google Benchmark, keeping each run's times so that a
// program can print its figures as ratios to a baseline after the run.
#ifndef ZORV_BENCH_TIMING_REPORTER_H
#define ZORV_BENCH_TIMING_REPORTER_H

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

class TimingReporter : public benchmark::ConsoleReporter {
 public:
  // By benchmark name, in the unit each benchmark reports in.
  std::map<std::string, double> cpu_time, real_time;

  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& r : runs) {
      if (r.error_occurred) continue;
      cpu_time[r.benchmark_name()] = r.GetAdjustedCPUTime();
      real_time[r.benchmark_name()] = r.GetAdjustedRealTime();
    }
    ConsoleReporter::ReportRuns(runs);
  }
};

#endif
