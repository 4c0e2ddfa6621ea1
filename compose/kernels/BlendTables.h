// The lookup tables of the blend kernels, computed by the compiler: saturation of a sum of two bytes,
// the product x * y / 255 and the screen blend 255 - (255 - d) * (255 - s) / 255 (both rounded down).
#pragma once

#include <cstdint>

namespace tamblet::kernels {

struct BlendTables {
  std::uint8_t saturate[512];       // [i] = min(255, i)
  std::uint8_t product[256][256];   // [x][y] = x * y / 255
  std::uint8_t screen[256][256];    // [d][s] = 255 - product[255 - d][255 - s]
};

extern const BlendTables kBlendTables;

}  // namespace tamblet::kernels
