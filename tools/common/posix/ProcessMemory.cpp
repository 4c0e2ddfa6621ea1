#include "tools/common/ProcessMemory.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <string>

namespace tamblet::tools {

std::pair<std::int64_t, std::int64_t> processMemoryMiB() {
  std::int64_t current = 0, peak = 0;
  if (std::ifstream statm("/proc/self/statm"); statm) {
    std::int64_t size = 0, resident = 0;
    if (statm >> size >> resident) current = (resident * sysconf(_SC_PAGESIZE)) >> 20;
  }
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.starts_with("VmHWM:")) peak = std::atoll(line.c_str() + 6) >> 10;
  }
  return {current, std::max(current, peak)};
}

}  // namespace tamblet::tools
