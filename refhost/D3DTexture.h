// A texture of the reference Direct3D device (IDirect3DTexture9): one level of A8R8G8B8 texels,
// in the managed, default or system-memory pool. LockRect hands out rows with a pitch larger than
// 4 × width. Levels are not mipmapped: GetLevelCount answers 1, SetLOD and GetLOD 0. A texture in the
// default pool locks only when dynamic; a render-target texture never locks (read it back with
// GetRenderTargetData); its level can be a render target.
#pragma once

#include <cstdint>
#include <string>

#include "refhost/D3DResource.h"
#include "refhost/D3DSurface.h"

namespace refhost {

class D3DTexture final : public D3DResource<D3DTexture, tamblet::IDirect3DTexture9> {
 public:
  // A texture with one reference for the caller; throws std::bad_alloc.
  static D3DTexture* create(ReferenceDevice& device, std::string label, std::string levelLabel, std::int32_t width,
                            std::int32_t height, tamblet::DWORD usage, tamblet::D3DPOOL pool);

  tamblet::D3DRESOURCETYPE TAMBLET_HOSTCALL GetType() override;
  tamblet::DWORD TAMBLET_HOSTCALL SetLOD(tamblet::DWORD lod) override;
  tamblet::DWORD TAMBLET_HOSTCALL GetLOD() override;
  tamblet::DWORD TAMBLET_HOSTCALL GetLevelCount() override;
  tamblet::HRESULT TAMBLET_HOSTCALL SetAutoGenFilterType(tamblet::D3DTEXTUREFILTERTYPE filter) override;
  tamblet::D3DTEXTUREFILTERTYPE TAMBLET_HOSTCALL GetAutoGenFilterType() override;
  void TAMBLET_HOSTCALL GenerateMipSubLevels() override;
  tamblet::HRESULT TAMBLET_HOSTCALL GetLevelDesc(tamblet::UINT level, tamblet::D3DSURFACE_DESC* desc) override;
  tamblet::HRESULT TAMBLET_HOSTCALL GetSurfaceLevel(tamblet::UINT level, tamblet::IDirect3DSurface9** surface) override;
  tamblet::HRESULT TAMBLET_HOSTCALL LockRect(tamblet::UINT level, tamblet::D3DLOCKED_RECT* locked,
                                             const tamblet::RECT* rect, tamblet::DWORD flags) override;
  tamblet::HRESULT TAMBLET_HOSTCALL UnlockRect(tamblet::UINT level) override;
  tamblet::HRESULT TAMBLET_HOSTCALL AddDirtyRect(const tamblet::RECT* rect) override;

  D3DSurface& level() const { return *level_; }
  const D3DPixels& pixels() const { return level_->pixels(); }

  void firstReference() {}
  void lastReference();

 private:
  D3DTexture(ReferenceDevice& device, std::string label, tamblet::DWORD usage, tamblet::D3DPOOL pool)
      : D3DResource(device, std::move(label), pool, usage, 1) {}
  ~D3DTexture() = default;

  LedgerEntry ledger_{"Direct3DTexture9"};
  D3DSurface* level_ = nullptr;
};

}  // namespace refhost
