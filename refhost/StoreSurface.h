// The surface operations shared by the reference host's surfaces (factory surfaces and the main
// surface): reference counted, answering every ISurface operation from a PixelStore.
#pragma once

#include <cstdint>

#include "host/Surface.h"
#include "refhost/PixelStore.h"
#include "refhost/RefCounted.h"

namespace refhost {

template <class Derived, class Interface>
class StoreSurface : public RefCounted<Derived, Interface> {
 public:
  std::uint8_t* TAMBLET_HOSTCALL GetPixelAddress(std::int32_t x, std::int32_t y) override {
    return store_.pixelAddress(x, y);
  }
  std::uint8_t* TAMBLET_HOSTCALL GetAMapAddress(std::int32_t x, std::int32_t y) override {
    return store_.alphaAddress(x, y);
  }
  std::int32_t TAMBLET_HOSTCALL GetWidth() override { return store_.width(); }
  std::int32_t TAMBLET_HOSTCALL GetHeight() override { return store_.height(); }
  std::int32_t TAMBLET_HOSTCALL GetBpp() override { return store_.bpp(); }
  std::int32_t TAMBLET_HOSTCALL GetPitch() override { return store_.pitch(); }
  std::int32_t TAMBLET_HOSTCALL GetAMapPitch() override { return store_.alphaPitch(); }
  bool TAMBLET_HOSTCALL HasPixel() override { return store_.hasPixel(); }
  bool TAMBLET_HOSTCALL HasAMap() override { return store_.hasAlphaMap(); }

 protected:
  PixelStore store_;
};

}  // namespace refhost
