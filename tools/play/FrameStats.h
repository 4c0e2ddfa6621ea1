// Real time spent per frame, for the run's summary: count, total and percentiles.
#pragma once

#include <cstddef>
#include <vector>

namespace tamblet::play {

class FrameStats {
 public:
  void add(double milliseconds) { times_.push_back(milliseconds); }
  std::size_t count() const { return times_.size(); }
  double totalMilliseconds() const;
  // The nearest-rank percentile (0-100) of the frame times; 0 without frames.
  double percentile(double percent) const;

 private:
  std::vector<double> times_;
};

}  // namespace tamblet::play
