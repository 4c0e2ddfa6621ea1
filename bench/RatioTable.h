// The closing table of a benchmark binary: a console reporter that prints as usual and keeps one
// figure per benchmark, then prints named ratios between two benchmarks against their targets.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace tamblet::bench {

class RatioTable : public benchmark::ConsoleReporter {
 public:
  // What a benchmark's figure is: its time per iteration in microseconds (lower is better) or its
  // items_per_second counter in millions (higher is better).
  enum class Figure { kMicroseconds, kMegaItemsPerSecond };

  explicit RatioTable(Figure figure) : figure_(figure) {}

  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Iteration || run.error_occurred) continue;
      if (figure_ == Figure::kMicroseconds) {
        figures_[run.benchmark_name()] =
            run.GetAdjustedRealTime() * 1e6 / benchmark::GetTimeUnitMultiplier(run.time_unit);
      } else if (const auto rate = run.counters.find("items_per_second"); rate != run.counters.end()) {
        figures_[run.benchmark_name()] = rate->second.value / 1e6;
      }
      for (const auto& [name, counter] : run.counters) counters_[run.benchmark_name()][name] = counter.value;
    }
  }

  // One line: a benchmark's own figure against an absolute target (at most for times, at least for
  // rates); nothing when it did not run.
  void limit(const char* label, const std::string& name, double target) const {
    const auto figure = figures_.find(name);
    if (figure == figures_.end()) return;
    const bool lowerIsBetter = figure_ == Figure::kMicroseconds;
    const bool met = lowerIsBetter ? figure->second <= target : figure->second >= target;
    std::printf("  %-52s %9.1f %9s %7s  (%s %.1f) %s\n", label, figure->second, "", "",
                lowerIsBetter ? "<=" : ">=", target, met ? "ok" : "MISSED");
  }

  // One line: ours / theirs against the target (at most for times, at least for rates); nothing
  // when either benchmark did not run.
  void ratio(const char* label, const std::string& ours, const std::string& theirs, double target) const {
    const auto a = figures_.find(ours), b = figures_.find(theirs);
    if (a == figures_.end() || b == figures_.end()) return;
    const double value = a->second / b->second;
    const bool lowerIsBetter = figure_ == Figure::kMicroseconds;
    const bool met = lowerIsBetter ? value <= target : value >= target;
    std::printf("  %-52s %9.1f %9.1f %6.2fx  (%s %.2fx) %s\n", label, a->second, b->second, value,
                lowerIsBetter ? "<=" : ">=", target, met ? "ok" : "MISSED");
  }

  // One line: a user counter of one benchmark (frames_per_second, say) against the least it should reach;
  // nothing when the benchmark did not run.
  void atLeast(const char* label, const std::string& benchmark, const std::string& counter, double target) const {
    const auto run = counters_.find(benchmark);
    if (run == counters_.end()) return;
    const auto value = run->second.find(counter);
    if (value == run->second.end()) return;
    std::printf("  %-52s %9.1f %9s %7s  (>= %.0f) %s\n", label, value->second, "", "", target,
                value->second >= target ? "ok" : "MISSED");
  }

 private:
  Figure figure_;
  std::map<std::string, double> figures_;
  std::map<std::string, std::map<std::string, double>> counters_;
};

}  // namespace tamblet::bench
