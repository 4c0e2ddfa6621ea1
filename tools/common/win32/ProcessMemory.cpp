#include "tools/common/ProcessMemory.h"

#include <windows.h>
// psapi.h needs windows.h first.
#include <psapi.h>

#include <algorithm>

namespace tamblet::tools {

std::pair<std::int64_t, std::int64_t> processMemoryMiB() {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof(counters);
  if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters))) return {0, 0};
  const auto current = static_cast<std::int64_t>(counters.WorkingSetSize >> 20);
  const auto peak = static_cast<std::int64_t>(counters.PeakWorkingSetSize >> 20);
  return {current, std::max(current, peak)};
}

}  // namespace tamblet::tools
