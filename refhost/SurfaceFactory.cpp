#include "refhost/SurfaceFactory.h"

#include "refhost/Surface.h"

namespace refhost {

tamblet::ISurface* SurfaceFactory::Create(std::int32_t width, std::int32_t height, std::int32_t bpp) {
  return count(Surface::create(width, height, bpp, PixelStore::Planes::PixelsAndAlpha));
}

tamblet::ISurface* SurfaceFactory::CreatePixelOnly(std::int32_t width, std::int32_t height, std::int32_t bpp) {
  return count(Surface::create(width, height, bpp, PixelStore::Planes::PixelsOnly));
}

tamblet::ISurface* SurfaceFactory::CreateAMapOnly(std::int32_t width, std::int32_t height) {
  return count(Surface::create(width, height, 8, PixelStore::Planes::AlphaOnly));
}

tamblet::ISurface* SurfaceFactory::count(tamblet::ISurface* made) {
  if (made) ++surfacesMade_;
  return made;
}

}  // namespace refhost
