#include "refhost/Direct3DWipe.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>

#include "refhost/CaptureService.h"
#include "refhost/SceneWipe.h"
#include "refhost/WipeEffects.h"

namespace refhost {
namespace {

using namespace tamblet;

bool failed(HRESULT result) {
  return !succeeded(result);
}

constexpr D3DCOLOR kOpaqueBlack = 0xFF000000u;
constexpr DWORD kQuadFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;

// One pre-transformed vertex of the quad, as FVF XYZRHW | DIFFUSE | TEX1 lays it out.
struct QuadVertex {
  float x, y, z, rhw;
  D3DCOLOR diffuse;
  float u, v;
};
static_assert(sizeof(QuadVertex) == 28);

// Copies `height` rows of `width` words between buffers with their own pitches in bytes.
void copyRows(void* target, std::int64_t targetPitch, const void* source, std::int64_t sourcePitch, std::int32_t width,
              std::int32_t height) {
  auto* out = static_cast<std::uint8_t*>(target);
  const auto* in = static_cast<const std::uint8_t*>(source);
  for (std::int32_t y = 0; y < height; ++y) {
    std::memcpy(out + y * targetPitch, in + y * sourcePitch, static_cast<std::size_t>(width) * 4);
  }
}

}  // namespace

Direct3DWipe* Direct3DWipe::create() {
  return new (std::nothrow) Direct3DWipe();
}

void Direct3DWipe::SetDevice(IDirect3DDevice9* device) {
  if (device == device_.get()) return;
  releaseAllResources();
  device_ = Ref<IDirect3DDevice9>::retain(device);
}

bool Direct3DWipe::SetUp(std::int32_t width, std::int32_t height, void* capture) {
  if (!device_ || width < 1 || height < 1 || width > kMaxSide || height > kMaxSide) return false;
  const auto area = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  std::vector<std::uint32_t> pictures[2], output;
  std::vector<std::uint16_t> weights;
  try {
    pictures[kOldPicture].assign(area, kOpaqueBlack);
    pictures[kNewPicture].assign(area, kOpaqueBlack);
    output.resize(area);
    weights.resize(static_cast<std::size_t>(std::max(width, height)));
  } catch (const std::exception&) {
    return false;
  }
  const auto* shown = static_cast<const Capture*>(capture);
  if (shown && shown->width == width && shown->height == height && shown->pixels.size() == area) {
    pictures[kOldPicture] = shown->pixels;
  }

  releaseAllResources();
  width_ = width;
  height_ = height;
  if (!makeDefaultPoolResources()) {
    releaseAllResources();
    width_ = height_ = 0;
    return false;
  }
  pictures_[kOldPicture] = std::move(pictures[kOldPicture]);
  pictures_[kNewPicture] = std::move(pictures[kNewPicture]);
  output_ = std::move(output);
  weights_ = std::move(weights);
  running_ = -1;
  rule_ = {};
  drawn_[kOldPicture] = drawn_[kNewPicture] = false;
  return true;
}

bool Direct3DWipe::Begin(std::int32_t number) {
  if (width_ < 1 || !SceneWipe::hasEffect(number)) return false;
  if (number >= SceneWipe::kFirstRuleNumber) {
    if (!SceneWipe::scaledRule(number, width_, height_, &rule_)) return false;
  } else {
    rule_ = {};
  }
  running_ = number;
  step_ = 0;
  return true;
}

bool Direct3DWipe::End() {
  if (running_ < 0) return false;
  if (openPass_ >= 0) endPicture(static_cast<Picture>(openPass_));
  running_ = -1;
  rule_ = {};
  return true;
}

bool Direct3DWipe::BeginNewPicture() { return beginPicture(kNewPicture); }
bool Direct3DWipe::EndNewPicture() { return endPicture(kNewPicture); }
bool Direct3DWipe::BeginOldPicture() { return beginPicture(kOldPicture); }
bool Direct3DWipe::EndOldPicture() { return endPicture(kOldPicture); }

void Direct3DWipe::SetProgress(float progress) {
  step_ = wipe::progressStep(progress);
}

bool Direct3DWipe::Compose() {
  if (running_ < 0 || openPass_ >= 0 || !device_) return false;
  if (!makeDefaultPoolResources()) return false;
  for (Picture picture : {kOldPicture, kNewPicture}) {
    if (drawn_[picture] && !readBack(picture)) return false;
    drawn_[picture] = false;
  }
  wipe::Frame frame;
  frame.oldPicture = {reinterpret_cast<std::uint8_t*>(pictures_[kOldPicture].data()), std::int64_t{4} * width_};
  frame.newPicture = {reinterpret_cast<std::uint8_t*>(pictures_[kNewPicture].data()), std::int64_t{4} * width_};
  frame.output = {reinterpret_cast<std::uint8_t*>(output_.data()), std::int64_t{4} * width_};
  frame.pictureWidth = frame.width = width_;
  frame.pictureHeight = frame.height = height_;
  SceneWipe::composeEffect(running_, frame, step_, rule_.data(), weights_);
  return uploadComposed() && drawQuad();
}

bool Direct3DWipe::OnLostDevice() {
  if (openPass_ >= 0) {
    savedTarget_.reset();
    openPass_ = -1;
  }
  releaseDefaultPoolResources();
  return true;
}

bool Direct3DWipe::OnResetDevice() {
  if (width_ < 1) return true;
  return device_ && makeDefaultPoolResources();
}

bool Direct3DWipe::beginPicture(Picture picture) {
  if (running_ < 0 || openPass_ >= 0 || !device_ || !makeDefaultPoolResources()) return false;
  IDirect3DSurface9* previous = nullptr;
  if (failed(device_->GetRenderTarget(0, &previous))) return false;
  auto saved = Ref<IDirect3DSurface9>::adopt(previous);
  if (failed(device_->SetRenderTarget(0, targetSurfaces_[picture].get()))) return false;
  if (failed(device_->Clear(0, nullptr, D3DCLEAR_TARGET, kOpaqueBlack, 1.0f, 0))) {
    device_->SetRenderTarget(0, saved.get());
    return false;
  }
  savedTarget_ = std::move(saved);
  openPass_ = picture;
  return true;
}

bool Direct3DWipe::endPicture(Picture picture) {
  if (openPass_ != picture || !device_) return false;
  const bool restored = !failed(device_->SetRenderTarget(0, savedTarget_.get()));
  savedTarget_.reset();
  openPass_ = -1;
  drawn_[picture] = true;
  return restored;
}

// The render targets and the quad's vertex buffer, whichever is missing.
bool Direct3DWipe::makeDefaultPoolResources() {
  for (Picture picture : {kOldPicture, kNewPicture}) {
    if (targets_[picture]) continue;
    IDirect3DTexture9* texture = nullptr;
    if (failed(device_->CreateTexture(static_cast<UINT>(width_), static_cast<UINT>(height_), 1, D3DUSAGE_RENDERTARGET,
                                      D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &texture, nullptr))) {
      return false;
    }
    auto made = Ref<IDirect3DTexture9>::adopt(texture);
    IDirect3DSurface9* surface = nullptr;
    if (!made || failed(made->GetSurfaceLevel(0, &surface))) return false;
    targetSurfaces_[picture] = Ref<IDirect3DSurface9>::adopt(surface);
    targets_[picture] = std::move(made);
  }
  if (!quad_) {
    IDirect3DVertexBuffer9* buffer = nullptr;
    if (failed(device_->CreateVertexBuffer(4 * sizeof(QuadVertex), D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY, kQuadFvf,
                                           D3DPOOL_DEFAULT, &buffer, nullptr))) {
      return false;
    }
    quad_ = Ref<IDirect3DVertexBuffer9>::adopt(buffer);
  }
  return static_cast<bool>(quad_);
}

void Direct3DWipe::releaseDefaultPoolResources() {
  for (Picture picture : {kOldPicture, kNewPicture}) {
    targetSurfaces_[picture].reset();
    targets_[picture].reset();
  }
  quad_.reset();
}

void Direct3DWipe::releaseAllResources() {
  if (openPass_ >= 0 && device_) device_->SetRenderTarget(0, savedTarget_.get());
  savedTarget_.reset();
  openPass_ = -1;
  releaseDefaultPoolResources();
  readBackSurface_.reset();
  composed_.reset();
}

// Reads a picture's render target into pictures_: through a system-memory copy
// (GetRenderTargetData), as Direct3D 9 requires for a default-pool target.
bool Direct3DWipe::readBack(Picture picture) {
  if (!readBackSurface_) {
    IDirect3DSurface9* surface = nullptr;
    if (failed(device_->CreateOffscreenPlainSurface(static_cast<UINT>(width_), static_cast<UINT>(height_),
                                                    D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM, &surface, nullptr))) {
      return false;
    }
    readBackSurface_ = Ref<IDirect3DSurface9>::adopt(surface);
  }
  if (failed(device_->GetRenderTargetData(targetSurfaces_[picture].get(), readBackSurface_.get()))) return false;
  D3DLOCKED_RECT locked{};
  if (failed(readBackSurface_->LockRect(&locked, nullptr, D3DLOCK_READONLY))) return false;
  if (!locked.pBits || locked.Pitch < 4 * width_) {
    readBackSurface_->UnlockRect();
    return false;
  }
  copyRows(pictures_[picture].data(), std::int64_t{4} * width_, locked.pBits, locked.Pitch, width_, height_);
  readBackSurface_->UnlockRect();
  return true;
}

bool Direct3DWipe::uploadComposed() {
  if (!composed_) {
    IDirect3DTexture9* texture = nullptr;
    if (failed(device_->CreateTexture(static_cast<UINT>(width_), static_cast<UINT>(height_), 1, 0, D3DFMT_A8R8G8B8,
                                      D3DPOOL_MANAGED, &texture, nullptr))) {
      return false;
    }
    composed_ = Ref<IDirect3DTexture9>::adopt(texture);
  }
  D3DLOCKED_RECT locked{};
  if (failed(composed_->LockRect(0, &locked, nullptr, 0))) return false;
  if (!locked.pBits || locked.Pitch < 4 * width_) {
    composed_->UnlockRect(0);
    return false;
  }
  copyRows(locked.pBits, locked.Pitch, output_.data(), std::int64_t{4} * width_, width_, height_);
  return !failed(composed_->UnlockRect(0));
}

// One quad over the whole target, texel centres on pixel centres (Direct3D 9 samples a pixel at
// its integer coordinates, so the quad starts half a pixel up and left), point-sampled, unblended.
bool Direct3DWipe::drawQuad() {
  void* bytes = nullptr;
  if (failed(quad_->Lock(0, 0, &bytes, D3DLOCK_DISCARD)) || !bytes) return false;
  const float left = -0.5f, top = -0.5f;
  const float right = static_cast<float>(width_) - 0.5f, bottom = static_cast<float>(height_) - 0.5f;
  const QuadVertex corners[4] = {
      {left, top, 0.5f, 1.0f, 0xFFFFFFFFu, 0.0f, 0.0f},
      {right, top, 0.5f, 1.0f, 0xFFFFFFFFu, 1.0f, 0.0f},
      {left, bottom, 0.5f, 1.0f, 0xFFFFFFFFu, 0.0f, 1.0f},
      {right, bottom, 0.5f, 1.0f, 0xFFFFFFFFu, 1.0f, 1.0f},
  };
  std::memcpy(bytes, corners, sizeof(corners));
  if (failed(quad_->Unlock())) return false;

  IDirect3DDevice9& device = *device_;
  device.SetRenderState(D3DRS_ZENABLE, 0);
  device.SetRenderState(D3DRS_ALPHABLENDENABLE, 0);
  device.SetRenderState(D3DRS_ALPHATESTENABLE, 0);
  device.SetTexture(0, composed_.get());
  device.SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  device.SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  device.SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
  device.SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
  device.SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
  device.SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
  device.SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP);
  device.SetSamplerState(0, D3DSAMP_ADDRESSV, D3DTADDRESS_CLAMP);
  device.SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
  device.SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_POINT);
  device.SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_NONE);
  const bool drawn = !failed(device.SetFVF(kQuadFvf)) &&
                     !failed(device.SetStreamSource(0, quad_.get(), 0, sizeof(QuadVertex))) &&
                     !failed(device.DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2));
  device.SetTexture(0, nullptr);
  return drawn;
}

}  // namespace refhost
