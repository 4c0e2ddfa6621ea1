// One CRC-32 over many byte ranges, so a table of seeded cases is pinned by a single stored number
// (a changed byte anywhere in the table changes it), and the surfaces' bytes row by row.
#pragma once

#include <cstddef>
#include <cstdint>

#include "host/Surface.h"

namespace tamblet::testing {

class Checksum {
 public:
  Checksum& add(const void* data, std::size_t size) {
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    for (std::size_t i = 0; i < size; ++i) {
      crc_ ^= bytes[i];
      for (int bit = 0; bit < 8; ++bit) crc_ = (crc_ >> 1) ^ (0xEDB88320u & (0u - (crc_ & 1u)));
    }
    return *this;
  }
  template <class Value>
  Checksum& addValue(const Value& value) {
    return add(&value, sizeof value);
  }
  // The pixel rows (4 bytes a pixel at 32 bits) and the alpha plane, without the rows' padding.
  Checksum& addSurface(ISurface* surface) {
    if (!surface) return addValue(0);
    for (std::int32_t y = 0; y < surface->GetHeight(); ++y) {
      if (const std::uint8_t* row = surface->GetPixelAddress(0, y))
        add(row, static_cast<std::size_t>(surface->GetWidth()) * static_cast<std::size_t>(surface->GetBpp() / 8));
      if (const std::uint8_t* alpha = surface->GetAMapAddress(0, y)) add(alpha, static_cast<std::size_t>(surface->GetWidth()));
    }
    return *this;
  }
  std::uint32_t value() const { return ~crc_; }

 private:
  std::uint32_t crc_ = 0xFFFFFFFFu;
};

}  // namespace tamblet::testing
