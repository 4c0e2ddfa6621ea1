#include "refhost/WipeEffects.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace refhost::wipe {
namespace {

constexpr std::int32_t kBytesPerPixel = 4;

inline std::uint8_t mix(std::uint8_t oldByte, std::uint8_t newByte, std::int32_t weight) {
  return static_cast<std::uint8_t>((oldByte * (256 - weight) + newByte * weight + 128) >> 8);
}

// The front's position, in 1/256 units, for a band of `softness` crossing `extent` units: at step 0
// every point lies ahead of it (weight 0), at the full step the whole band has passed (weight 256).
std::int64_t frontAt(std::int32_t step, std::int32_t extent, std::int32_t softness) {
  return (static_cast<std::int64_t>(step) * (static_cast<std::int64_t>(extent) + softness)) >> 8;
}

// The centre of unit `index`, in 1/256 units.
std::int64_t centreOf(std::int32_t index) {
  return static_cast<std::int64_t>(index) * 256 + 128;
}

void mixRow(std::uint8_t* out, const std::uint8_t* oldRow, const std::uint8_t* newRow, std::int32_t bytes,
            std::int32_t weight) {
  if (weight == 0) {
    std::memcpy(out, oldRow, static_cast<std::size_t>(bytes));
  } else if (weight == 256) {
    std::memcpy(out, newRow, static_cast<std::size_t>(bytes));
  } else {
    for (std::int32_t i = 0; i < bytes; ++i) out[i] = mix(oldRow[i], newRow[i], weight);
  }
}

void copyArea(const Plane& source, const Frame& frame) {
  const std::int32_t bytes = frame.width * kBytesPerPixel;
  for (std::int32_t y = 0; y < frame.height; ++y) {
    std::memcpy(frame.output.row(y), source.row(y), static_cast<std::size_t>(bytes));
  }
}

// Writes one mosaic block whose top-left pixel is (bx, by): the rounded mean of the block's
// pixels inside the picture, over the block's part inside the output area.
void mosaicBlock(const Plane& source, const Frame& frame, std::int32_t bx, std::int32_t by, std::int32_t block) {
  const std::int32_t sourceWidth = std::min(block, frame.pictureWidth - bx);
  const std::int32_t sourceHeight = std::min(block, frame.pictureHeight - by);
  std::uint32_t sums[kBytesPerPixel] = {};
  for (std::int32_t y = by; y < by + sourceHeight; ++y) {
    const std::uint8_t* pixel = source.row(y) + static_cast<std::int64_t>(bx) * kBytesPerPixel;
    for (std::int32_t x = 0; x < sourceWidth; ++x, pixel += kBytesPerPixel) {
      for (std::int32_t c = 0; c < kBytesPerPixel; ++c) sums[c] += pixel[c];
    }
  }
  const std::uint32_t count = static_cast<std::uint32_t>(sourceWidth) * static_cast<std::uint32_t>(sourceHeight);
  std::uint8_t mean[kBytesPerPixel];
  for (std::int32_t c = 0; c < kBytesPerPixel; ++c) mean[c] = static_cast<std::uint8_t>((sums[c] + count / 2) / count);

  const std::int32_t outWidth = std::min(block, frame.width - bx);
  const std::int32_t outHeight = std::min(block, frame.height - by);
  for (std::int32_t y = by; y < by + outHeight; ++y) {
    std::uint8_t* pixel = frame.output.row(y) + static_cast<std::int64_t>(bx) * kBytesPerPixel;
    for (std::int32_t x = 0; x < outWidth; ++x, pixel += kBytesPerPixel) std::memcpy(pixel, mean, kBytesPerPixel);
  }
}

}  // namespace

std::int32_t progressStep(float progress) {
  if (!(progress > 0.0f)) return 0;  // negatives and NaN
  if (progress >= 1.0f) return kFullStep;
  return static_cast<std::int32_t>(std::lround(static_cast<double>(progress) * kFullStep));
}

std::int32_t edgeWeight(std::int64_t front, std::int64_t position, std::int32_t softness) {
  const std::int64_t behind = front - position;
  if (behind <= 0) return 0;
  if (behind >= static_cast<std::int64_t>(softness) * 256) return 256;
  return static_cast<std::int32_t>(behind / softness);
}

std::int32_t wipeSoftness(std::int32_t extent) {
  return std::clamp(extent / 16, 1, 64);
}

std::int32_t mosaicMaxBlock(std::int32_t pictureWidth, std::int32_t pictureHeight) {
  return std::clamp(std::min(pictureWidth, pictureHeight) / 16, 1, 48);
}

void crossfade(const Frame& frame, std::int32_t weight) {
  for (std::int32_t y = 0; y < frame.height; ++y) {
    mixRow(frame.output.row(y), frame.oldPicture.row(y), frame.newPicture.row(y), frame.width * kBytesPerPixel, weight);
  }
}

void wipe(const Frame& frame, WipeDirection direction, std::int32_t step, std::span<std::uint16_t> weights) {
  const bool horizontal = direction == WipeDirection::LeftToRight || direction == WipeDirection::RightToLeft;
  const bool reversed = direction == WipeDirection::RightToLeft || direction == WipeDirection::BottomToTop;
  const std::int32_t extent = horizontal ? frame.pictureWidth : frame.pictureHeight;
  const std::int32_t softness = wipeSoftness(extent);
  const std::int64_t front = frontAt(step, extent, softness);
  for (std::int32_t i = 0; i < extent; ++i) {
    const std::int32_t distance = reversed ? extent - 1 - i : i;
    weights[static_cast<std::size_t>(i)] = static_cast<std::uint16_t>(edgeWeight(front, centreOf(distance), softness));
  }

  for (std::int32_t y = 0; y < frame.height; ++y) {
    std::uint8_t* out = frame.output.row(y);
    const std::uint8_t* oldRow = frame.oldPicture.row(y);
    const std::uint8_t* newRow = frame.newPicture.row(y);
    if (!horizontal) {
      mixRow(out, oldRow, newRow, frame.width * kBytesPerPixel, weights[static_cast<std::size_t>(y)]);
      continue;
    }
    for (std::int32_t x = 0; x < frame.width; ++x) {
      const std::int32_t weight = weights[static_cast<std::size_t>(x)];
      for (std::int32_t c = 0; c < kBytesPerPixel; ++c) {
        const std::int32_t i = x * kBytesPerPixel + c;
        out[i] = mix(oldRow[i], newRow[i], weight);
      }
    }
  }
}

void ruleWipe(const Frame& frame, const std::uint8_t* rule, std::int64_t rulePitch, std::int32_t step) {
  std::uint16_t weightOfGrey[256];
  const std::int64_t front = frontAt(step, 256, kRuleSoftness);
  for (std::int32_t grey = 0; grey < 256; ++grey) {
    weightOfGrey[grey] = static_cast<std::uint16_t>(edgeWeight(front, centreOf(grey), kRuleSoftness));
  }

  for (std::int32_t y = 0; y < frame.height; ++y) {
    std::uint8_t* out = frame.output.row(y);
    const std::uint8_t* oldRow = frame.oldPicture.row(y);
    const std::uint8_t* newRow = frame.newPicture.row(y);
    const std::uint8_t* greys = rule + y * rulePitch;
    for (std::int32_t x = 0; x < frame.width; ++x) {
      const std::int32_t weight = weightOfGrey[greys[x]];
      for (std::int32_t c = 0; c < kBytesPerPixel; ++c) {
        const std::int32_t i = x * kBytesPerPixel + c;
        out[i] = mix(oldRow[i], newRow[i], weight);
      }
    }
  }
}

void mosaic(const Frame& frame, std::int32_t step) {
  const std::int32_t half = kFullStep / 2;
  const Plane& source = step < half ? frame.oldPicture : frame.newPicture;
  // 0 at both ends, kFullStep at the midpoint.
  const std::int64_t rise =
      step <= half ? 2 * static_cast<std::int64_t>(step) : 2 * static_cast<std::int64_t>(kFullStep - step);
  const std::int64_t largest = mosaicMaxBlock(frame.pictureWidth, frame.pictureHeight);
  const std::int32_t block = static_cast<std::int32_t>(1 + (((largest - 1) * rise + half) >> 16));
  if (block == 1) {
    copyArea(source, frame);
    return;
  }
  for (std::int32_t by = 0; by < frame.height; by += block) {
    for (std::int32_t bx = 0; bx < frame.width; bx += block) mosaicBlock(source, frame, bx, by, block);
  }
}

}  // namespace refhost::wipe
