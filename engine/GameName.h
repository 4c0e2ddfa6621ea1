// The two texts start-up derives from the host for file paths: the base name (the game name with
// its last extension removed) and the path prefix placed before it.
#pragma once

#include <string>

namespace tamblet {

// Removes the last extension, scanning as Shift-JIS: a byte in 0x81-0x9F or 0xE0-0xFF starts a
// two-byte character whose second byte is never taken for a dot. The scan stops at the
// terminator even when the last byte is a lead byte. A null text gives the empty text.
std::string baseNameOf(const char* gameName);

}  // namespace tamblet
