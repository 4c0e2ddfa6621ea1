// A surface of the reference Direct3D device (IDirect3DSurface9): A8R8G8B8 pixels with a row pitch
// larger than 4 × width. Three kinds: the device's back buffer and a texture's level belong to their
// owner (they start with no references, hold a reference on the owner while referenced, and die
// with it); render targets and offscreen plain surfaces made by the device stand alone (one
// reference for the caller, a reference on the device, deleted at the last Release).
// GetDC and ReleaseDC answer D3DERR_INVALIDCALL: the reference host has no GDI.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "refhost/D3DPipelineState.h"
#include "refhost/D3DResource.h"

namespace refhost {

class D3DTexture;

class D3DSurface final : public D3DResource<D3DSurface, tamblet::IDirect3DSurface9> {
 public:
  // Row pitch in bytes for a width: the next multiple of 64 bytes above 4 × width, plus 64.
  static std::int32_t pitchFor(std::int32_t width);

  // A stand-alone surface with one reference for the caller; throws std::bad_alloc.
  static D3DSurface* createStandalone(ReferenceDevice& device, std::string label, std::int32_t width,
                                      std::int32_t height, tamblet::DWORD usage, tamblet::D3DPOOL pool, bool lockable);
  // A surface owned by `texture`, or by the device when `texture` is null; throws std::bad_alloc.
  static D3DSurface* createOwned(ReferenceDevice& device, std::string label, std::int32_t width, std::int32_t height,
                                 tamblet::DWORD usage, tamblet::D3DPOOL pool, bool lockable, D3DTexture* texture);
  // The owner's end of an owned surface.
  void destroyOwned();

  tamblet::D3DRESOURCETYPE TAMBLET_HOSTCALL GetType() override;
  tamblet::HRESULT TAMBLET_HOSTCALL GetContainer(const tamblet::InterfaceId& id, void** container) override;
  tamblet::HRESULT TAMBLET_HOSTCALL GetDesc(tamblet::D3DSURFACE_DESC* desc) override;
  tamblet::HRESULT TAMBLET_HOSTCALL LockRect(tamblet::D3DLOCKED_RECT* locked, const tamblet::RECT* rect,
                                             tamblet::DWORD flags) override;
  tamblet::HRESULT TAMBLET_HOSTCALL UnlockRect() override;
  tamblet::HRESULT TAMBLET_HOSTCALL GetDC(tamblet::HDC* dc) override;
  tamblet::HRESULT TAMBLET_HOSTCALL ReleaseDC(tamblet::HDC dc) override;

  // Lock and unlock without a log line or an injected failure (the texture's LockRect has its own).
  tamblet::HRESULT lock(tamblet::D3DLOCKED_RECT* locked, const tamblet::RECT* rect);
  tamblet::HRESULT unlock();
  void describe(tamblet::D3DSURFACE_DESC* desc) const;

  const D3DPixels& pixels() const { return pixels_; }
  bool renderTarget() const { return (usage() & tamblet::D3DUSAGE_RENDERTARGET) != 0; }
  bool standalone() const { return !ownedByDevice_ && !texture_; }
  bool lockable() const { return lockable_; }
  bool locked() const { return locked_; }
  // Refills the pixels with one colour (a new back buffer after Reset) or resizes them.
  void fill(std::uint32_t colour);

  void firstReference();
  void lastReference();

 private:
  D3DSurface(ReferenceDevice& device, std::string label, std::int32_t width, std::int32_t height, tamblet::DWORD usage,
             tamblet::D3DPOOL pool, bool lockable, std::uint32_t references);
  ~D3DSurface() = default;

  LedgerEntry ledger_{"Direct3DSurface9"};
  std::vector<std::uint32_t> storage_;
  D3DPixels pixels_;
  bool lockable_;
  bool locked_ = false;
  bool ownedByDevice_ = false;
  D3DTexture* texture_ = nullptr;
};

}  // namespace refhost
