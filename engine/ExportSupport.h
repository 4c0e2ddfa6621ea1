// Helpers shared by the export functions: the export attribute, the reading of bool arguments
// (only the low byte counts), bool results as 1 or 0, and the guard that keeps every exception
// inside the library (an export answers its failure value instead).
#pragma once

#include <cstdint>
#include <string>

#include "host/VM.h"

// C linkage, so the names stay undecorated, and the default C calling convention. The visibility
// makes the Linux library export them (with exports.map); PE has no symbol visibility, and the
// Windows DLL exports exactly the names of the .def file written from the same exports.map.
#define TAMBLET_EXPORT extern "C" __attribute__((visibility("default")))

namespace tamblet {

inline bool boolArgument(std::int32_t value) { return (value & 0xFF) != 0; }

inline std::int32_t boolResult(bool value) { return value ? 1 : 0; }

// The text of a script string, copied; a null string or a null text gives the empty text.
inline std::string stringArgument(IString* text) {
  if (!text) return {};
  const char* bytes = text->GetText();
  return bytes ? std::string(bytes) : std::string();
}

// Runs an export's body; any exception becomes the export's failure value.
template <class Result, class Body>
Result guardedExport(Result failure, Body&& body) noexcept {
  try {
    return body();
  } catch (...) {
    return failure;
  }
}

template <class Body>
void guardedExport(Body&& body) noexcept {
  try {
    body();
  } catch (...) {
  }
}

}  // namespace tamblet
