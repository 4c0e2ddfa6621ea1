#include "sprite/MatchingSurface.h"

namespace tamblet {

Ref<ISurface> makeMatchingSurface(ISurfaceFactory& factory, ISurface& source, std::int32_t width,
                                  std::int32_t height, std::int32_t bpp) {
  const bool pixels = source.HasPixel(), alpha = source.HasAMap();
  if (pixels && alpha) return Ref<ISurface>::adopt(factory.Create(width, height, bpp));
  if (pixels) return Ref<ISurface>::adopt(factory.CreatePixelOnly(width, height, bpp));
  if (alpha) return Ref<ISurface>::adopt(factory.CreateAMapOnly(width, height));
  return nullptr;
}

}  // namespace tamblet
