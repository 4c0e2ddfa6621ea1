// The scene benchmarks' pictures: random colours with random alpha (layers), or alpha in runs
// of fully transparent, fully opaque and soft pixels (sprites), as sprite images are.
#pragma once

#include <algorithm>
#include <cstdint>
#include <random>

#include "host/Surface.h"

namespace tamblet::bench {

inline void paintScene(ISurface* surface, bool spriteLike, std::mt19937& random) {
  const int width = surface->GetWidth(), height = surface->GetHeight();
  for (int y = 0; y < height; ++y) {
    auto* row = reinterpret_cast<std::uint32_t*>(surface->GetPixelAddress(0, y));
    for (int x = 0; x < width;) {
      const int run = spriteLike ? 4 + static_cast<int>(random() % 40) : 1;
      const int phase = static_cast<int>(random() % 5);
      for (int i = x; i < std::min(width, x + run); ++i) {
        std::uint32_t alpha = random() & 255;
        if (spriteLike) alpha = phase < 2 ? 0 : phase < 4 ? 255 : alpha;
        row[i] = alpha << 24 | (static_cast<std::uint32_t>(random()) & 0xFFFFFF);
      }
      x += run;
    }
  }
}

}  // namespace tamblet::bench
