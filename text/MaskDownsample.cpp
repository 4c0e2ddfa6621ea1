#include "text/MaskDownsample.h"

#include <algorithm>

namespace tamblet {

static_assert(kSupersample == 4, "the cell sums below are written for 4 × 4 cells");

bool downsampleMaskToAlpha(ISurface& mask, std::int32_t maskWidth, std::int32_t maskHeight, ISurface& target,
                           std::int32_t shift) {
  if (target.GetBpp() != 32 || !target.HasPixel() || shift < 0 || shift > 12) return false;
  const std::int32_t width = target.GetWidth();
  const std::int32_t height = target.GetHeight();
  if (!mask.HasPixel()) maskWidth = maskHeight = 0;
  maskWidth = std::clamp(maskWidth, 0, std::max(mask.GetWidth(), 0));
  maskHeight = std::clamp(maskHeight, 0, std::max(mask.GetHeight(), 0));
  const std::uint8_t* maskBase = maskWidth > 0 && maskHeight > 0 ? mask.GetPixelAddress(0, 0) : nullptr;
  const std::ptrdiff_t maskPitch = mask.GetPitch();
  const std::int32_t wholeCells = maskWidth / 4;  // cells whose four columns all lie in the mask

  for (std::int32_t y = 0; y < height; ++y) {
    std::uint8_t* alpha = target.GetPixelAddress(0, y) + 3;
    const std::int64_t firstRow = std::int64_t{y} * 4;
    const std::int32_t rows =
        maskBase ? static_cast<std::int32_t>(std::clamp<std::int64_t>(maskHeight - firstRow, 0, 4)) : 0;
    if (rows == 0) {
      for (std::int32_t x = 0; x < width; ++x) alpha[4 * std::ptrdiff_t{x}] = 0;
      continue;
    }
    const std::uint8_t* row[4];
    for (std::int32_t i = 0; i < rows; ++i) row[i] = maskBase + (firstRow + i) * maskPitch;
    const std::int32_t whole = std::min(width, wholeCells);
    std::int32_t x = 0;
    if (rows == 4) {
      for (; x < whole; ++x) {
        unsigned sum = 0;
        for (int i = 0; i < 4; ++i) {
          const std::uint8_t* cell = row[i] + 4 * std::ptrdiff_t{x};
          sum += cell[0] + cell[1] + cell[2] + cell[3];
        }
        alpha[4 * std::ptrdiff_t{x}] = static_cast<std::uint8_t>(std::min(sum >> shift, 255u));
      }
    }
    for (; x < width; ++x) {  // cells cut by the mask's edge, then cells beyond it
      unsigned sum = 0;
      const std::int64_t firstColumn = std::int64_t{x} * 4;
      const auto columns = static_cast<std::int32_t>(std::clamp<std::int64_t>(maskWidth - firstColumn, 0, 4));
      for (std::int32_t i = 0; i < rows; ++i)
        for (std::int32_t j = 0; j < columns; ++j) sum += row[i][firstColumn + j];
      alpha[4 * std::ptrdiff_t{x}] = static_cast<std::uint8_t>(std::min(sum >> shift, 255u));
    }
  }
  return true;
}

}  // namespace tamblet
