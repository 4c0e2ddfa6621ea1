#include "tools/play/FrameStats.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace tamblet::play {

double FrameStats::totalMilliseconds() const { return std::accumulate(times_.begin(), times_.end(), 0.0); }

double FrameStats::percentile(double percent) const {
  if (times_.empty()) return 0.0;
  std::vector<double> sorted = times_;
  std::sort(sorted.begin(), sorted.end());
  const double clamped = std::clamp(percent, 0.0, 100.0);
  const auto rank = static_cast<std::size_t>(std::ceil(clamped / 100.0 * static_cast<double>(sorted.size())));
  return sorted[rank == 0 ? 0 : rank - 1];
}

}  // namespace tamblet::play
