#include "refhost/Surface.h"

#include <new>

namespace refhost {

Surface* Surface::create(std::int32_t width, std::int32_t height, std::int32_t bpp, PixelStore::Planes planes) {
  Surface* surface = new (std::nothrow) Surface();
  if (surface && !surface->store_.allocate(width, height, bpp, planes)) {
    surface->Release();
    return nullptr;
  }
  return surface;
}

}  // namespace refhost
