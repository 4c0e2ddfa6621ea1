// PixmapMaker.dll's surface factory (ISurfaceFactory): new zeroed surfaces of 32 bits (B, G, R,
// A) or 8 bits per pixel, with or without alpha map, and alpha-map-only surfaces.
#pragma once

#include <cstdint>

#include "host/Surface.h"
#include "refhost/Ledger.h"
#include "refhost/RefCounted.h"

namespace refhost {

class SurfaceFactory final : public RefCounted<SurfaceFactory, tamblet::ISurfaceFactory> {
 public:
  tamblet::ISurface* TAMBLET_HOSTCALL Create(std::int32_t width, std::int32_t height, std::int32_t bpp) override;
  tamblet::ISurface* TAMBLET_HOSTCALL CreatePixelOnly(std::int32_t width, std::int32_t height,
                                                      std::int32_t bpp) override;
  tamblet::ISurface* TAMBLET_HOSTCALL CreateAMapOnly(std::int32_t width, std::int32_t height) override;

  int surfacesMade() const { return surfacesMade_; }

 private:
  tamblet::ISurface* count(tamblet::ISurface* made);

  LedgerEntry ledger_{"SurfaceFactory"};
  int surfacesMade_ = 0;
};

}  // namespace refhost
