// The memory of the running process as the player reports it next to the engine's own figures:
// /proc on Linux, GetProcessMemoryInfo on Windows.
#pragma once

#include <cstdint>
#include <utility>

namespace tamblet::tools {

// Resident (working set) and peak resident memory of this process in MiB; zeros when the system
// does not tell. The peak is never below the current figure.
std::pair<std::int64_t, std::int64_t> processMemoryMiB();

}  // namespace tamblet::tools
