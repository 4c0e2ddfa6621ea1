// The common base of every reference-counted object that crosses the boundary: slot 0 AddRef
// returns the new count, slot 1 Release destroys the object at 0 and returns the remaining count.
// No interface has a virtual destructor: it would take slots and shift every operation after it.
#pragma once

#include <cstdint>

#if defined(_WIN32) && (defined(_M_IX86) || defined(__i386__))
#define TAMBLET_HOSTCALL __stdcall
#else
#define TAMBLET_HOSTCALL
#endif

namespace tamblet {

struct IInterface {
  virtual std::int32_t TAMBLET_HOSTCALL AddRef() = 0;
  virtual std::int32_t TAMBLET_HOSTCALL Release() = 0;

 protected:
  ~IInterface() = default;
};

}  // namespace tamblet
