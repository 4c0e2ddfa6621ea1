#include "refhost/MainSurface.h"

#include <new>

namespace refhost {

MainSurface* MainSurface::create(std::int32_t width, std::int32_t height) {
  MainSurface* surface = new (std::nothrow) MainSurface();
  if (surface && !surface->store_.allocate(width, height, 32, PixelStore::Planes::PixelsAndAlpha)) {
    surface->Release();
    return nullptr;
  }
  return surface;
}

void MainSurface::BlitToWindow(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height) {
  if (blitsIgnored_) {
    ++ignoredBlits_;
    return;
  }
  try {
    blits_.push_back({x, y, width, height});
  } catch (...) {
    // Out of memory: the record is lost; the window needs no update here.
  }
}

}  // namespace refhost
