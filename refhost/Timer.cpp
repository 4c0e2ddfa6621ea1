#include "refhost/Timer.h"

namespace refhost {

std::uint32_t Timer::GetTime() {
  ++reads_;
  return now_;
}

}  // namespace refhost
