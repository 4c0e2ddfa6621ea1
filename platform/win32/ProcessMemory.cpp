#include "platform/ProcessMemory.h"

#include <windows.h>
// psapi.h needs the types of windows.h first.
#include <psapi.h>

namespace tamblet::platform {
namespace {

bool memoryCounters(PROCESS_MEMORY_COUNTERS& counters) {
  counters = {};
  counters.cb = sizeof counters;
  return GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters) != 0;
}

}  // namespace

std::uint64_t processWorkingSetBytes() {
  PROCESS_MEMORY_COUNTERS counters;
  return memoryCounters(counters) ? counters.WorkingSetSize : 0;
}

std::uint64_t processPeakWorkingSetBytes() {
  PROCESS_MEMORY_COUNTERS counters;
  return memoryCounters(counters) ? counters.PeakWorkingSetSize : 0;
}

}  // namespace tamblet::platform
