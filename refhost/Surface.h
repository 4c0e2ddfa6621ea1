// A surface made by the surface factory: a PixelStore behind the ISurface operations.
#pragma once

#include <cstdint>

#include "host/Surface.h"
#include "refhost/Ledger.h"
#include "refhost/StoreSurface.h"

namespace refhost {

class Surface final : public StoreSurface<Surface, tamblet::ISurface> {
 public:
  // A new surface with one reference for the caller, or null when the store refuses the request.
  static Surface* create(std::int32_t width, std::int32_t height, std::int32_t bpp, PixelStore::Planes planes);

 private:
  Surface() = default;
  friend class RefCounted<Surface, tamblet::ISurface>;  // deletes at the last Release
  ~Surface() = default;

  LedgerEntry ledger_{"Surface"};
};

}  // namespace refhost
