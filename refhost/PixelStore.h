// The pixel memory behind the reference host's surfaces. A pixel plane of 8 or 32 bits per
// pixel (32-bit pixels are B, G, R, A bytes with alpha in byte 3) and/or a separate 8-bit alpha
// plane; rows are top-down with pitches that are multiples of 16 bytes; memory starts zeroed.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <memory>

namespace refhost {

class PixelStore {
 public:
  enum class Planes {
    PixelsAndAlpha,  // 32-bit: alpha in byte 3 of each pixel; 8-bit: a separate alpha plane
    PixelsOnly,
    AlphaOnly,  // only the separate alpha plane; bpp reports 8
  };

  static constexpr std::int32_t kMaxSide = 16384;

  // Allocates zeroed planes. Refuses sides below 1 or above kMaxSide, depths other than 8 and 32,
  // and memory exhaustion: false, and the store stays empty.
  bool allocate(std::int32_t width, std::int32_t height, std::int32_t bpp, Planes planes);

  // Addresses are not checked against the size, as for every surface; null without the plane.
  std::uint8_t* pixelAddress(std::int32_t x, std::int32_t y) const;
  std::uint8_t* alphaAddress(std::int32_t x, std::int32_t y) const;

  std::int32_t width() const { return width_; }
  std::int32_t height() const { return height_; }
  std::int32_t bpp() const { return bpp_; }
  std::int32_t pitch() const { return pitch_; }            // 0 without a pixel plane
  std::int32_t alphaPitch() const { return alphaPitch_; }  // 0 without a separate alpha plane
  bool hasPixel() const { return pixels_ != nullptr; }
  bool hasAlphaMap() const { return hasAlphaMap_; }

 private:
  struct FreeBytes {
    void operator()(std::uint8_t* bytes) const { std::free(bytes); }
  };
  using Bytes = std::unique_ptr<std::uint8_t, FreeBytes>;

  Bytes pixels_;
  Bytes alpha_;
  std::int32_t width_ = 0;
  std::int32_t height_ = 0;
  std::int32_t bpp_ = 0;
  std::int32_t pitch_ = 0;
  std::int32_t alphaPitch_ = 0;
  bool hasAlphaMap_ = false;
};

}  // namespace refhost
