#include "platform/ProcessMemory.h"

#include <unistd.h>

#include <cstdio>

namespace tamblet::platform {

// /proc/self/statm: size, resident, ... counted in pages.
std::uint64_t processWorkingSetBytes() {
  std::FILE* file = std::fopen("/proc/self/statm", "re");
  if (!file) return 0;
  unsigned long long sizePages = 0, residentPages = 0;
  int fields = std::fscanf(file, "%llu %llu", &sizePages, &residentPages);
  std::fclose(file);
  long pageSize = sysconf(_SC_PAGESIZE);
  if (fields != 2 || pageSize <= 0) return 0;
  return residentPages * static_cast<std::uint64_t>(pageSize);
}

// /proc/self/status: the line "VmHWM:   <n> kB" is the peak resident set.
std::uint64_t processPeakWorkingSetBytes() {
  std::FILE* file = std::fopen("/proc/self/status", "re");
  if (!file) return 0;
  std::uint64_t bytes = 0;
  char line[256];
  while (std::fgets(line, sizeof line, file)) {
    unsigned long long kilobytes = 0;
    if (std::sscanf(line, "VmHWM: %llu kB", &kilobytes) == 1) {
      bytes = kilobytes * 1024u;
      break;
    }
  }
  std::fclose(file);
  return bytes;
}

}  // namespace tamblet::platform
