#include "refhost/D3DFrameReadback.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "host/Ref.h"

namespace refhost {
namespace {

using namespace tamblet;

// Holds a surface's lock for one scope.
struct LockedSurface {
  IDirect3DSurface9& surface;
  D3DLOCKED_RECT locked{};
  bool held = false;
  explicit LockedSurface(IDirect3DSurface9& locking) : surface(locking) {
    held = succeeded(surface.LockRect(&locked, nullptr, D3DLOCK_READONLY)) && locked.pBits;
  }
  ~LockedSurface() {
    if (held) surface.UnlockRect();
  }
};

}  // namespace

bool readBackFrame(IDirect3DDevice9& device, ISurface& target) {
  if (!target.GetPixelAddress(0, 0)) return false;  // no pixel plane to copy into
  IDirect3DSurface9* made = nullptr;
  if (!succeeded(device.GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &made)) || !made) return false;
  const auto backBuffer = Ref<IDirect3DSurface9>::adopt(made);
  D3DSURFACE_DESC desc{};
  if (!succeeded(backBuffer->GetDesc(&desc))) return false;
  if (desc.Format != D3DFMT_A8R8G8B8 && desc.Format != D3DFMT_X8R8G8B8) return false;

  made = nullptr;
  if (!succeeded(device.CreateOffscreenPlainSurface(desc.Width, desc.Height, desc.Format, D3DPOOL_SYSTEMMEM, &made,
                                                    nullptr)) ||
      !made)
    return false;
  const auto copy = Ref<IDirect3DSurface9>::adopt(made);
  if (!succeeded(device.GetRenderTargetData(backBuffer.get(), copy.get()))) return false;

  LockedSurface locked(*copy);
  if (!locked.held) return false;
  const std::int32_t width = std::min<std::int32_t>(static_cast<std::int32_t>(desc.Width), target.GetWidth());
  const std::int32_t height = std::min<std::int32_t>(static_cast<std::int32_t>(desc.Height), target.GetHeight());
  const std::uint32_t opaque = desc.Format == D3DFMT_X8R8G8B8 ? 0xFF000000u : 0u;
  const auto* source = static_cast<const std::uint8_t*>(locked.locked.pBits);
  for (std::int32_t y = 0; y < height; ++y) {
    const std::uint8_t* from = source + static_cast<std::ptrdiff_t>(y) * locked.locked.Pitch;
    std::uint8_t* to = target.GetPixelAddress(0, y);
    for (std::int32_t x = 0; x < width; ++x) {
      std::uint32_t pixel;
      std::memcpy(&pixel, from + 4 * x, 4);
      pixel |= opaque;
      std::memcpy(to + 4 * x, &pixel, 4);
    }
  }
  return true;
}

}  // namespace refhost
