// The pixel work of SceneWipe.dll's effects: each writes one frame of a transition from the old
// and the new picture into an output area, in exact integer arithmetic, so the same progress
// always gives the same bytes. Pixels are 32-bit B, G, R, A; all four bytes are blended alike.
#pragma once

#include <cstdint>
#include <span>

namespace refhost::wipe {

// Progress in 1/65536 steps: 0 is the old picture, kFullStep the new one.
inline constexpr std::int32_t kFullStep = 65536;

// The step of a progress value clamped to 0.0..1.0; NaN counts as 0.
std::int32_t progressStep(float progress);

// Rows of 32-bit pixels, `pitch` bytes apart, top-down.
struct Plane {
  std::uint8_t* pixels = nullptr;
  std::int64_t pitch = 0;

  std::uint8_t* row(std::int32_t y) const { return pixels + y * pitch; }
};

// One frame: the pictures (each pictureWidth x pictureHeight) and the output area, which starts at
// (0, 0) and is at most as large as the pictures (the caller clips it to the output surface).
struct Frame {
  Plane oldPicture;
  Plane newPicture;
  Plane output;
  std::int32_t pictureWidth = 0;
  std::int32_t pictureHeight = 0;
  std::int32_t width = 0;  // output area
  std::int32_t height = 0;
};

// Share of the new picture, 0 (old) to 256 (new), of a point at `position` behind a front at
// `front` with a soft band of `softness` units; position and front count 1/256 units.
std::int32_t edgeWeight(std::int64_t front, std::int64_t position, std::int32_t softness);

// Soft band of a wipe across `extent` pixels: a sixteenth of it, between 1 and 64 pixels.
std::int32_t wipeSoftness(std::int32_t extent);

// Soft band of a rule-image transition, in grey levels.
inline constexpr std::int32_t kRuleSoftness = 32;

// The largest mosaic block for pictures of this size: a sixteenth of the shorter side, 1 to 48.
std::int32_t mosaicMaxBlock(std::int32_t pictureWidth, std::int32_t pictureHeight);

enum class WipeDirection { LeftToRight, RightToLeft, TopToBottom, BottomToTop };

// Both pictures mixed with one weight: 0 old, 256 new.
void crossfade(const Frame& frame, std::int32_t weight);

// The new picture enters from one side behind a soft front. `weights` is scratch space of at least
// the picture's extent along the direction.
void wipe(const Frame& frame, WipeDirection direction, std::int32_t step, std::span<std::uint16_t> weights);

// Pixels switch to the new picture in the order of their grey level in `rule` (dark first), with
// a soft band; `rule` holds one grey byte per picture pixel, `rulePitch` bytes per row.
void ruleWipe(const Frame& frame, const std::uint8_t* rule, std::int64_t rulePitch, std::int32_t step);

// Blocks that grow from 1 pixel to mosaicMaxBlock at the midpoint and shrink back; the old picture
// before the midpoint, the new one from it on. A block shows the rounded mean of its pixels.
void mosaic(const Frame& frame, std::int32_t step);

}  // namespace refhost::wipe
