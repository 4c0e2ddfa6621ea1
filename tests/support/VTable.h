// Calls an object's virtual operation by its slot in the virtual table, the way a host compiled
// separately from us does, so tests prove slot positions rather than C++ names.
#pragma once

#include <cstddef>

namespace tamblet::testing {

template <class Result, class... Args>
Result callSlot(void* object, std::size_t slot, Args... args) {
  using Function = Result (*)(void*, Args...);
  void** table = *static_cast<void***>(object);
  return reinterpret_cast<Function>(table[slot])(object, args...);
}

}  // namespace tamblet::testing
