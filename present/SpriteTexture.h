// The texture object of a Direct3D sprite record: one managed A8R8G8B8 texture holding a surface's
// pixels, sized to the powers of two at or above the surface size, the texels beyond the surface
// repeating its last column and row (so linear sampling at the edge never reads garbage).
#pragma once

#include <cstdint>

#include "host/D3D9.h"
#include "host/Ref.h"
#include "host/Surface.h"

namespace tamblet {

class SpriteTexture {
 public:
  enum class Load {
    kLoaded,        // the texture holds the surface (or there is no surface and no texture)
    kNotDrawable,   // a surface without rows or of a depth other than 32 bits: no texture, no message
    kCreateFailed,  // CreateTexture failed (reported)
    kLockFailed,    // LockRect or UnlockRect failed (LockRect reported)
  };

  // Loads the surface into the texture, reusing the texture when its size is unchanged. A failure
  // shows its message (unless `quiet`), releases the texture and zeroes the four sizes, so the next
  // load starts afresh.
  Load load(IDirect3DDevice9* device, ISurface* surface, bool quiet);

  // Drops the texture; the sizes stay, for the reload after a device reset.
  void releaseTexture() { texture.reset(); }
  void reset() { *this = SpriteTexture(); }

  // The smallest power of two not below `size` (1 for sizes of 1 or less).
  static std::int32_t powerOfTwoAtLeast(std::int32_t size);

  // ---- Fields, in order. ----
  Ref<IDirect3DTexture9> texture;
  std::int32_t textureWidth = 0;
  std::int32_t textureHeight = 0;
  std::int32_t sourceWidth = 0;
  std::int32_t sourceHeight = 0;

 private:
  void fail() { reset(); }
};

// Creates the 32 × 32 opaque white texture a store keeps for draw method 2, reporting a failure
// with the texture texts and the size (32 x 32) unless `quiet`; null on failure.
Ref<IDirect3DTexture9> createWhiteTexture(IDirect3DDevice9* device, bool quiet);

}  // namespace tamblet
