// Memory figures of this process, in bytes (0 when the system does not tell).
#pragma once

#include <cstdint>

namespace tamblet::platform {

std::uint64_t processWorkingSetBytes();
std::uint64_t processPeakWorkingSetBytes();

}  // namespace tamblet::platform
