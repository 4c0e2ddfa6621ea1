#include "refhost/D3DTexture.h"

#include "refhost/ReferenceDevice.h"

namespace refhost {

using namespace tamblet;

D3DTexture* D3DTexture::create(ReferenceDevice& device, std::string label, std::string levelLabel, std::int32_t width,
                               std::int32_t height, DWORD usage, D3DPOOL pool) {
  auto* texture = new D3DTexture(device, std::move(label), usage, pool);
  // Render-target levels never lock; the default pool locks only dynamic textures.
  const bool lockable = !(usage & D3DUSAGE_RENDERTARGET) && (pool != D3DPOOL_DEFAULT || (usage & D3DUSAGE_DYNAMIC));
  try {
    texture->level_ = D3DSurface::createOwned(device, std::move(levelLabel), width, height, usage & D3DUSAGE_RENDERTARGET,
                                              pool, lockable, texture);
  } catch (...) {
    delete texture;
    throw;
  }
  return texture;
}

void D3DTexture::lastReference() {
  ReferenceDevice& owner = device();
  owner.forget(level_);
  owner.forget(this);
  level_->destroyOwned();
  delete this;
  d3d_detail::releaseDeviceReference(owner);
}

D3DRESOURCETYPE D3DTexture::GetType() {
  log().enter(label().c_str(), "GetType");
  return D3DRTYPE_TEXTURE;
}

DWORD D3DTexture::SetLOD(DWORD lod) {
  log().enter(label().c_str(), "SetLOD", lod);
  return 0;
}

DWORD D3DTexture::GetLOD() {
  log().enter(label().c_str(), "GetLOD");
  return 0;
}

DWORD D3DTexture::GetLevelCount() {
  log().enter(label().c_str(), "GetLevelCount");
  return 1;
}

HRESULT D3DTexture::SetAutoGenFilterType(D3DTEXTUREFILTERTYPE filter) {
  log().enter(label().c_str(), "SetAutoGenFilterType", filter);
  return D3DERR_INVALIDCALL;  // only textures with automatic mipmaps have one
}

D3DTEXTUREFILTERTYPE D3DTexture::GetAutoGenFilterType() {
  log().enter(label().c_str(), "GetAutoGenFilterType");
  return D3DTEXF_NONE;
}

void D3DTexture::GenerateMipSubLevels() { log().enter(label().c_str(), "GenerateMipSubLevels"); }

HRESULT D3DTexture::GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) {
  if (log().enter(label().c_str(), "GetLevelDesc", level) || level != 0 || !desc) return D3DERR_INVALIDCALL;
  level_->describe(desc);
  return D3D_OK;
}

HRESULT D3DTexture::GetSurfaceLevel(UINT level, IDirect3DSurface9** surface) {
  const bool fail = log().enter(label().c_str(), "GetSurfaceLevel", level);
  if (surface) *surface = nullptr;
  if (fail || level != 0 || !surface) return D3DERR_INVALIDCALL;
  level_->AddRef();
  *surface = level_;
  return D3D_OK;
}

HRESULT D3DTexture::LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) {
  if (log().enter(label().c_str(), "LockRect", level, D3DCallLog::Text{ReferenceDevice::rectText(rect)}, flags) ||
      level != 0)
    return D3DERR_INVALIDCALL;
  return level_->lock(locked, rect);
}

HRESULT D3DTexture::UnlockRect(UINT level) {
  if (log().enter(label().c_str(), "UnlockRect", level) || level != 0) return D3DERR_INVALIDCALL;
  return level_->unlock();
}

HRESULT D3DTexture::AddDirtyRect(const RECT* rect) {
  if (log().enter(label().c_str(), "AddDirtyRect", D3DCallLog::Text{ReferenceDevice::rectText(rect)}))
    return D3DERR_INVALIDCALL;
  return D3D_OK;
}

}  // namespace refhost
