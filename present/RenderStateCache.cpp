#include "present/RenderStateCache.h"

namespace tamblet {

template <std::size_t N, class Call>
bool RenderStateCache::set(std::array<DWORD, N>& values, std::bitset<N>& known, std::size_t index, DWORD value,
                           Call call) {
  // A type outside the table goes straight to the device, uncached.
  if (index >= N) return succeeded(call());
  if (known[index] && values[index] == value) return true;
  if (!succeeded(call())) {
    known[index] = false;  // what the device holds is unknown now
    return false;
  }
  values[index] = value;
  known[index] = true;
  return true;
}

bool RenderStateCache::setRenderState(D3DRENDERSTATETYPE type, DWORD value) {
  return set(renderStates_, knownRenderStates_, static_cast<std::size_t>(type), value,
             [&] { return device_->SetRenderState(type, value); });
}

bool RenderStateCache::setSamplerState(D3DSAMPLERSTATETYPE type, DWORD value) {
  return set(samplerStates_, knownSamplerStates_, static_cast<std::size_t>(type), value,
             [&] { return device_->SetSamplerState(0, type, value); });
}

bool RenderStateCache::setTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) {
  const auto index = static_cast<std::size_t>(type);
  const std::size_t slot = stage < kStages && index < kStageStates ? stage * kStageStates + index : SIZE_MAX;
  return set(stageStates_, knownStageStates_, slot, value,
             [&] { return device_->SetTextureStageState(stage, type, value); });
}

bool RenderStateCache::setFVF(DWORD fvf) {
  if (knownFvf_ && fvf_ == fvf) return true;
  knownFvf_ = succeeded(device_->SetFVF(fvf));
  fvf_ = fvf;
  return knownFvf_;
}

bool RenderStateCache::setStreamSource(IDirect3DVertexBuffer9* buffer, UINT stride) {
  if (knownStream_ && streamBuffer_ == buffer && streamStride_ == stride) return true;
  knownStream_ = succeeded(device_->SetStreamSource(0, buffer, 0, stride));
  streamBuffer_ = buffer;
  streamStride_ = stride;
  return knownStream_;
}

void RenderStateCache::clear() {
  knownRenderStates_.reset();
  knownSamplerStates_.reset();
  knownStageStates_.reset();
  knownFvf_ = false;
  knownStream_ = false;
}

}  // namespace tamblet
