// The parity scenes: seeded random sprite scenes of one draw method, drawn by both views (and by
// any Direct3D 9 device the host is given), and the measure of how far two frames are apart.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

#include "engine/Exports.h"
#include "host/Surface.h"

namespace tamblet::testing {

// An opaque background of width × height, then five sprites of `method` with random pixels (with
// and without alpha), positions, blend rates and multiply colours. The same generator state gives
// the same scene.
inline void paintRandomSpriteScene(std::mt19937& random, std::int32_t method, std::int32_t width,
                                   std::int32_t height) {
  const auto in = [&](std::uint32_t below) { return static_cast<std::int32_t>(random() % below); };
  const auto fill = [&](std::int32_t number) {
    ISurface* surface = Sprite_GetWritableSurface(number);
    for (std::int32_t y = 0; y < surface->GetHeight(); ++y)
      for (std::int32_t i = 0; i < surface->GetWidth() * 4; ++i)
        surface->GetPixelAddress(0, y)[i] = static_cast<std::uint8_t>(random());
  };
  SP_DeleteAll();
  SP_CreatePixelOnly(1, width, height), fill(1);
  for (std::int32_t n = 2; n <= 6; ++n) {
    const std::int32_t spriteWidth = 1 + in(60), spriteHeight = 1 + in(40);
    in(2) ? SP_Create(n, spriteWidth, spriteHeight, 0, 0, 0, 255) : SP_CreatePixelOnly(n, spriteWidth, spriteHeight);
    fill(n);
    SP_SetPos(n, in(80) - 10, in(50) - 10);
    SP_SetBlendRate(n, in(3) ? in(256) : 255);
    if (in(2)) SP_SetMultipleColor(n, in(256), in(256), in(256));
    SP_SetDrawMethod(n, method);
  }
}

// The pixels of a 32-bit surface, row after row, as 0xAARRGGBB words.
inline std::vector<std::uint32_t> framePixels(ISurface& surface) {
  const std::size_t width = static_cast<std::size_t>(surface.GetWidth());
  std::vector<std::uint32_t> pixels(width * static_cast<std::size_t>(surface.GetHeight()));
  for (std::int32_t y = 0; y < surface.GetHeight(); ++y)
    std::memcpy(&pixels[static_cast<std::size_t>(y) * width], surface.GetPixelAddress(0, y), width * 4);
  return pixels;
}

// The largest difference of any colour channel (blue, green, red; alpha is left out) of any pixel
// of two frames of 0xAARRGGBB words, the shorter one's length compared.
inline int largestChannelDifference(const std::vector<std::uint32_t>& a, const std::vector<std::uint32_t>& b) {
  int largest = 0;
  for (std::size_t i = 0; i < std::min(a.size(), b.size()); ++i)
    for (int shift = 0; shift < 24; shift += 8)
      largest = std::max(largest, std::abs(int(a[i] >> shift & 0xFF) - int(b[i] >> shift & 0xFF)));
  return largest;
}

}  // namespace tamblet::testing
