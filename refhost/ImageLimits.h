// What every image decoder of the reference host checks before it allocates: a side of at most
// kMaxImageSide pixels and at most kMaxImagePixelBytes bytes of 32-bit pixels, so a forged header
// never turns into a huge allocation. Also the one way a decoder asks for its target surface.
#pragma once

#include <cstdint>

#include "host/Surface.h"

namespace refhost {

inline constexpr std::int64_t kMaxImageSide = 16384;
inline constexpr std::int64_t kMaxImagePixelBytes = std::int64_t{256} << 20;

inline bool imageSizeAllowed(std::int64_t width, std::int64_t height) {
  return width >= 1 && height >= 1 && width <= kMaxImageSide && height <= kMaxImageSide &&
         width * height * 4 <= kMaxImagePixelBytes;
}

// A new 32-bit surface for a decoded image: with alpha map when the image carries alpha, pixel
// plane only otherwise. Null when the factory refuses; never throws, because decoders call it
// between setjmp and the codec library's longjmp where an exception would skip their clean-up.
inline tamblet::ISurface* makeImageSurface(tamblet::ISurfaceFactory& factory, std::int32_t width, std::int32_t height,
                                           bool alpha) noexcept {
  try {
    return alpha ? factory.Create(width, height, 32) : factory.CreatePixelOnly(width, height, 32);
  } catch (...) {
    return nullptr;
  }
}

}  // namespace refhost
