#include "refhost/D3DSurface.h"

#include <algorithm>

#include "refhost/D3DTexture.h"
#include "refhost/ReferenceDevice.h"

namespace refhost {

using namespace tamblet;

std::int32_t D3DSurface::pitchFor(std::int32_t width) { return (width * 4 + 63) / 64 * 64 + 64; }

D3DSurface::D3DSurface(ReferenceDevice& device, std::string label, std::int32_t width, std::int32_t height, DWORD usage,
                       D3DPOOL pool, bool lockable, std::uint32_t references)
    : D3DResource(device, std::move(label), pool, usage, references), lockable_(lockable) {
  const std::int32_t pitch = pitchFor(width) / 4;
  storage_.assign(static_cast<std::size_t>(pitch) * static_cast<std::size_t>(height), 0u);
  pixels_ = {storage_.data(), width, height, pitch};
}

D3DSurface* D3DSurface::createStandalone(ReferenceDevice& device, std::string label, std::int32_t width,
                                         std::int32_t height, DWORD usage, D3DPOOL pool, bool lockable) {
  return new D3DSurface(device, std::move(label), width, height, usage, pool, lockable, 1);
}

D3DSurface* D3DSurface::createOwned(ReferenceDevice& device, std::string label, std::int32_t width, std::int32_t height,
                                    DWORD usage, D3DPOOL pool, bool lockable, D3DTexture* texture) {
  auto* surface = new D3DSurface(device, std::move(label), width, height, usage, pool, lockable, 0);
  surface->texture_ = texture;
  surface->ownedByDevice_ = !texture;
  return surface;
}

void D3DSurface::destroyOwned() { delete this; }

void D3DSurface::firstReference() {
  // An owned surface in someone's hands keeps its owner alive.
  if (texture_) texture_->AddRef();
  else if (ownedByDevice_) d3d_detail::addDeviceReference(device());
}

void D3DSurface::lastReference() {
  ReferenceDevice& owner = device();
  if (texture_) {
    texture_->Release();
  } else if (ownedByDevice_) {
    d3d_detail::releaseDeviceReference(owner);
  } else {
    owner.forget(this);
    delete this;
    d3d_detail::releaseDeviceReference(owner);
  }
}

D3DRESOURCETYPE D3DSurface::GetType() {
  log().enter(label().c_str(), "GetType");
  return D3DRTYPE_SURFACE;
}

HRESULT D3DSurface::GetContainer(const InterfaceId&, void** container) {
  const bool fail = log().enter(label().c_str(), "GetContainer");
  if (container) *container = nullptr;
  return fail ? D3DERR_INVALIDCALL : E_NOINTERFACE;
}

void D3DSurface::describe(D3DSURFACE_DESC* desc) const {
  *desc = {D3DFMT_A8R8G8B8, D3DRTYPE_SURFACE, usage(), pool(), 0, 0, static_cast<UINT>(pixels_.width),
           static_cast<UINT>(pixels_.height)};
}

HRESULT D3DSurface::GetDesc(D3DSURFACE_DESC* desc) {
  if (log().enter(label().c_str(), "GetDesc") || !desc) return D3DERR_INVALIDCALL;
  describe(desc);
  return D3D_OK;
}

HRESULT D3DSurface::LockRect(D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) {
  if (log().enter(label().c_str(), "LockRect", D3DCallLog::Text{ReferenceDevice::rectText(rect)}, flags))
    return D3DERR_INVALIDCALL;
  return lock(locked, rect);
}

HRESULT D3DSurface::UnlockRect() {
  if (log().enter(label().c_str(), "UnlockRect")) return D3DERR_INVALIDCALL;
  return unlock();
}

HRESULT D3DSurface::lock(D3DLOCKED_RECT* locked, const RECT* rect) {
  if (!locked || !lockable_ || locked_) return D3DERR_INVALIDCALL;
  RECT area{0, 0, pixels_.width, pixels_.height};
  if (rect) {
    if (rect->left < 0 || rect->top < 0 || rect->left >= rect->right || rect->top >= rect->bottom ||
        rect->right > pixels_.width || rect->bottom > pixels_.height)
      return D3DERR_INVALIDCALL;
    area = *rect;
  }
  locked->Pitch = pixels_.pitch * 4;
  locked->pBits = pixels_.row(area.top) + area.left;
  locked_ = true;
  return D3D_OK;
}

HRESULT D3DSurface::unlock() {
  if (!locked_) return D3DERR_INVALIDCALL;
  locked_ = false;
  return D3D_OK;
}

HRESULT D3DSurface::GetDC(HDC* dc) {
  log().enter(label().c_str(), "GetDC");
  if (dc) *dc = nullptr;
  return D3DERR_INVALIDCALL;
}

HRESULT D3DSurface::ReleaseDC(HDC) {
  log().enter(label().c_str(), "ReleaseDC");
  return D3DERR_INVALIDCALL;
}

void D3DSurface::fill(std::uint32_t colour) { std::fill(storage_.begin(), storage_.end(), colour); }

}  // namespace refhost
