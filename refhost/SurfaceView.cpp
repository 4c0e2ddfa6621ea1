#include "refhost/SurfaceView.h"

namespace refhost {

SurfaceView::SurfaceView(tamblet::ISurface* surface) : surface_(surface) {
  width_ = surface->GetWidth();
  height_ = surface->GetHeight();
  const std::int32_t bpp = surface->GetBpp();
  if (surface->HasPixel() && (bpp == 8 || bpp == 32)) bytesPerPixel_ = bpp / 8;
  if (surface->HasAMap()) {
    if (surface->GetAMapAddress(0, 0)) {
      alphaStep_ = 1;
    } else if (isColour32()) {
      alphaStep_ = 4;
    }
  }
}

std::uint8_t* SurfaceView::alphaAt(std::int32_t x, std::int32_t y) const {
  if (alphaStep_ == 4) return surface_->GetPixelAddress(x, y) + 3;
  return surface_->GetAMapAddress(x, y);
}

}  // namespace refhost
