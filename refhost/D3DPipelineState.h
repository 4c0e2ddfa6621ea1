// The state a draw of the reference Direct3D device reads: render states, texture-stage states and
// sampler states by their Direct3D 9 numbers, the scissor rectangle, and the pixels the draw reads
// and writes. Kept as plain arrays so a Set call is one store and a draw reads what it needs.
#pragma once

#include <cstdint>

#include "refhost/D3DConstants.h"

namespace refhost {

// A8R8G8B8 pixels as 0xAARRGGBB words; `pitch` counts words, and is larger than `width` for every
// image the device makes, so nobody can rely on tight rows.
struct D3DPixels {
  std::uint32_t* words = nullptr;
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::int32_t pitch = 0;

  std::uint32_t* row(std::int32_t y) const { return words + static_cast<std::intptr_t>(y) * pitch; }
};

struct D3DPipelineState {
  static constexpr int kRenderStates = 256;
  static constexpr int kStages = 8;
  static constexpr int kStageStates = 33;
  static constexpr int kSamplers = 16;
  static constexpr int kSamplerStates = 14;

  tamblet::DWORD render[kRenderStates];
  tamblet::DWORD stage[kStages][kStageStates];
  tamblet::DWORD sampler[kSamplers][kSamplerStates];
  std::int32_t scissorLeft, scissorTop, scissorRight, scissorBottom;

  // Direct3D 9's documented defaults; the Z test starts on when the device has a depth buffer
  // (as with an automatic depth-stencil surface).
  void setDefaults(bool depthBuffer, std::int32_t width, std::int32_t height);
};

}  // namespace refhost
