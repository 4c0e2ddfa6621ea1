// The pack tool's check of one picture: decoded with the reference host's decoder, exactly as the
// game will decode it, and held to a size limit, so a picture that would never show is refused
// when it is packed rather than discovered in the game.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace tamblet::pack {

struct SizeLimit {
  std::int32_t width = 16384;
  std::int32_t height = 16384;
};

struct ImageVerdict {
  bool ok = false;
  std::string reason;                  // when refused: "PNG: truncated", "empty", "too large: 20000 × 10 (limit ...)"
  std::string format;                  // "PNG", "JPEG", "BMP" or "unknown"
  std::int32_t width = 0, height = 0;  // when decoded
};

// Decodes `bytes` and checks the picture's size against `limit`.
ImageVerdict checkImage(std::span<const std::uint8_t> bytes, SizeLimit limit);

// "WIDTHxHEIGHT" or one number for both sides, each 1 to 16384; false for anything else.
bool parseSizeLimit(const std::string& text, SizeLimit& limit);

}  // namespace tamblet::pack
