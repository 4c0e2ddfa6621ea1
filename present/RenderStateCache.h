// The render-state cache a store draw is made with: it remembers what it set on the device and
// sends a render, sampler-0 or texture-stage state, the FVF or the stream source only when the
// value differs from the one it last set (or it never set one). A fresh cache per store draw sends
// every state at least once per store draw; clear() forgets everything (after a draw plug-in, which
// may have changed any state behind the cache's back).
#pragma once

#include <array>
#include <bitset>
#include <cstdint>

#include "host/D3D9.h"

namespace tamblet {

class RenderStateCache {
 public:
  explicit RenderStateCache(IDirect3DDevice9* device) : device_(device) {}

  // Each answers whether the device holds the value afterwards. A failed device call is not
  // remembered, so the next set of the same value tries again.
  bool setRenderState(D3DRENDERSTATETYPE type, DWORD value);
  bool setSamplerState(D3DSAMPLERSTATETYPE type, DWORD value);  // sampler 0
  bool setTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value);
  bool setFVF(DWORD fvf);
  bool setStreamSource(IDirect3DVertexBuffer9* buffer, UINT stride);  // stream 0, offset 0

  void clear();

 private:
  // Direct3D 9's render-state types end below 256, its sampler-state types below 16 and its
  // texture-stage-state types below 64; eight stages. Flat arrays keep a lookup to one index.
  static constexpr std::size_t kRenderStates = 256;
  static constexpr std::size_t kSamplerStates = 16;
  static constexpr std::size_t kStageStates = 64;
  static constexpr std::size_t kStages = 8;

  // Sets slot `index` of a table to `value` through `call` unless it already holds it.
  template <std::size_t N, class Call>
  bool set(std::array<DWORD, N>& values, std::bitset<N>& known, std::size_t index, DWORD value, Call call);

  IDirect3DDevice9* device_;
  std::array<DWORD, kRenderStates> renderStates_{};
  std::bitset<kRenderStates> knownRenderStates_;
  std::array<DWORD, kSamplerStates> samplerStates_{};
  std::bitset<kSamplerStates> knownSamplerStates_;
  std::array<DWORD, kStages * kStageStates> stageStates_{};
  std::bitset<kStages * kStageStates> knownStageStates_;
  DWORD fvf_ = 0;
  bool knownFvf_ = false;
  IDirect3DVertexBuffer9* streamBuffer_ = nullptr;
  UINT streamStride_ = 0;
  bool knownStream_ = false;
};

}  // namespace tamblet
