#include "BlendTables.h"

namespace tamblet::kernels {
namespace {

constexpr BlendTables makeBlendTables() {
  BlendTables tables{};
  for (int i = 0; i < 512; ++i) tables.saturate[i] = static_cast<std::uint8_t>(i < 256 ? i : 255);
  for (int x = 0; x < 256; ++x) {
    for (int y = 0; y < 256; ++y) tables.product[x][y] = static_cast<std::uint8_t>(x * y / 255);
  }
  for (int d = 0; d < 256; ++d) {
    for (int s = 0; s < 256; ++s) tables.screen[d][s] = static_cast<std::uint8_t>(255 - tables.product[255 - d][255 - s]);
  }
  return tables;
}

}  // namespace

constexpr BlendTables kBlendTables = makeBlendTables();

}  // namespace tamblet::kernels
