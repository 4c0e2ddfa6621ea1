// How the raster operations reach the bytes of any ISurface (the host's own or the library's):
// its size, its pixel plane, and where its alpha lives (byte 3 of 32-bit pixels or a separate
// plane). The surface is asked once, when the view is made.
#pragma once

#include <cstdint>

#include "host/Surface.h"

namespace refhost {

class SurfaceView {
 public:
  explicit SurfaceView(tamblet::ISurface* surface);

  std::int32_t width() const { return width_; }
  std::int32_t height() const { return height_; }
  tamblet::ISurface* surface() const { return surface_; }

  bool hasPixels() const { return bytesPerPixel_ != 0; }
  bool isColour32() const { return bytesPerPixel_ == 4; }
  std::int32_t bytesPerPixel() const { return bytesPerPixel_; }
  std::uint8_t* pixelAt(std::int32_t x, std::int32_t y) const { return surface_->GetPixelAddress(x, y); }

  // Alpha of (x, y) and the distance in bytes to its right neighbour's; none when alphaStep is 0.
  bool hasAlpha() const { return alphaStep_ != 0; }
  bool alphaInPixels() const { return alphaStep_ == 4; }
  std::int32_t alphaStep() const { return alphaStep_; }
  std::uint8_t* alphaAt(std::int32_t x, std::int32_t y) const;

 private:
  tamblet::ISurface* surface_;
  std::int32_t width_ = 0;
  std::int32_t height_ = 0;
  std::int32_t bytesPerPixel_ = 0;  // 0: no pixel plane, or a depth the raster operations skip
  std::int32_t alphaStep_ = 0;
};

}  // namespace refhost
