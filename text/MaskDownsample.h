// Turns a supersampled 8-bit mask into the alpha of a 32-bit surface: each pixel's alpha is the
// sum of its kSupersample × kSupersample mask bytes shifted right by kAverageShift. The loop runs
// over the destination; mask bytes outside the mask's extent count as 0, colour bytes stay, and
// a shift below 4 saturates at 255.
#pragma once

#include <cstdint>

#include "host/Surface.h"
#include "text/CharacterBox.h"

namespace tamblet {

// `maskWidth` × `maskHeight` is the part of `mask` that holds the mask (clipped to its plane).
// False when `target` is not a 32-bit surface with pixels.
bool downsampleMaskToAlpha(ISurface& mask, std::int32_t maskWidth, std::int32_t maskHeight, ISurface& target,
                           std::int32_t shift = kAverageShift);

}  // namespace tamblet
