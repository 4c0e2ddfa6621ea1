// The text style: what every text sprite made from now on is drawn with. The engine core holds
// the current one; each character sprite keeps its own and copies it into the core's when it
// draws. Weights are kept exactly as the script gave them (saved games store their bits); only
// rendering turns them into pixel amounts (CharacterBox.h).
#pragma once

#include <cstdint>
#include <cstring>

namespace tamblet {

struct TextColor {
  std::uint8_t r = 0, g = 0, b = 0, a = 255;
};

struct TextStyle {
  std::int32_t type = 0;   // 0 gothic, 1 mincho, 0x100 + n face n of the font library
  std::int32_t size = 16;  // character height in pixels
  TextColor color{255, 255, 255, 255};
  float boldWeight = 0.0f;  // pixels
  float edgeWeight = 0.0f;  // pixels
  TextColor edgeColor{0, 0, 0, 255};
};

inline bool operator==(const TextColor& a, const TextColor& b) {
  return a.r == b.r && a.g == b.g && a.b == b.b && a.a == b.a;
}

// Equal as values: the weights compared as floats (so NaN never equals, and -0 equals 0).
inline bool sameValues(const TextStyle& a, const TextStyle& b) {
  return a.type == b.type && a.size == b.size && a.color == b.color && a.boldWeight == b.boldWeight &&
         a.edgeWeight == b.edgeWeight && a.edgeColor == b.edgeColor;
}

inline std::uint32_t floatBits(float value) {
  std::uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

inline float floatFromBits(std::uint32_t bits) {
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

// Equal bit for bit: what the text cache keys on, so a NaN weight still finds its own entry.
inline bool sameBits(const TextStyle& a, const TextStyle& b) {
  return a.type == b.type && a.size == b.size && a.color == b.color &&
         floatBits(a.boldWeight) == floatBits(b.boldWeight) && floatBits(a.edgeWeight) == floatBits(b.edgeWeight) &&
         a.edgeColor == b.edgeColor;
}

}  // namespace tamblet
