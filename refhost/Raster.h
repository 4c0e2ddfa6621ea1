// RasterLib.dll's raster operations (IGraph3) on 32-bit surfaces (B, G, R, A) and alpha-only
// surfaces. Every operation clips its rectangle to the surfaces it touches and answers false for
// a null surface or one it cannot work on; a rectangle clipped to nothing is done (true).
#pragma once

#include <cstdint>

#include "host/Modules.h"
#include "refhost/Ledger.h"
#include "refhost/RefCounted.h"

#define REFHOST_UNUSED_SLOT(n) \
  void TAMBLET_HOSTCALL UnusedSlot##n() override {}

namespace refhost {

class Raster final : public RefCounted<Raster, tamblet::IGraph3> {
 public:
  // Counts the call and answers as set by tests (true by default).
  bool TAMBLET_HOSTCALL Initialize() override;
  // B, G, R of a 32-bit pixel plane from the low bytes of r, g, b; alpha stays.
  bool TAMBLET_HOSTCALL FillColor(tamblet::ISurface* surface, std::int32_t x, std::int32_t y, std::int32_t width,
                                  std::int32_t height, std::int32_t r, std::int32_t g, std::int32_t b,
                                  std::int32_t reserved) override;
  // Byte 3 of 32-bit pixels with alpha map, or the alpha plane; false for a surface without alpha.
  bool TAMBLET_HOSTCALL FillAlpha(tamblet::ISurface* surface, std::int32_t x, std::int32_t y, std::int32_t width,
                                  std::int32_t height, std::int32_t alpha) override;
  // Per channel: d = (d × (255 − a) + colour × a) / 255 rounded to nearest, with a the source's alpha,
  // so alpha 255 gives the colour exactly and alpha 0 leaves the pixel; the destination's alpha stays.
  bool TAMBLET_HOSTCALL BlendColor(tamblet::ISurface* destination, std::int32_t dx, std::int32_t dy,
                                   tamblet::ISurface* source, std::int32_t sx, std::int32_t sy, std::int32_t width,
                                   std::int32_t height, std::int32_t r, std::int32_t g, std::int32_t b) override;
  // clang-format off
  REFHOST_UNUSED_SLOT(6) REFHOST_UNUSED_SLOT(7) REFHOST_UNUSED_SLOT(8) REFHOST_UNUSED_SLOT(9)
  REFHOST_UNUSED_SLOT(10) REFHOST_UNUSED_SLOT(11) REFHOST_UNUSED_SLOT(12) REFHOST_UNUSED_SLOT(13)
  REFHOST_UNUSED_SLOT(14) REFHOST_UNUSED_SLOT(15) REFHOST_UNUSED_SLOT(16) REFHOST_UNUSED_SLOT(17)
  REFHOST_UNUSED_SLOT(18) REFHOST_UNUSED_SLOT(19) REFHOST_UNUSED_SLOT(20) REFHOST_UNUSED_SLOT(21)
  REFHOST_UNUSED_SLOT(22) REFHOST_UNUSED_SLOT(23) REFHOST_UNUSED_SLOT(24) REFHOST_UNUSED_SLOT(25)
  REFHOST_UNUSED_SLOT(26) REFHOST_UNUSED_SLOT(27) REFHOST_UNUSED_SLOT(28) REFHOST_UNUSED_SLOT(29)
  REFHOST_UNUSED_SLOT(30) REFHOST_UNUSED_SLOT(31) REFHOST_UNUSED_SLOT(32) REFHOST_UNUSED_SLOT(33)
  REFHOST_UNUSED_SLOT(34) REFHOST_UNUSED_SLOT(35) REFHOST_UNUSED_SLOT(36) REFHOST_UNUSED_SLOT(37)
  REFHOST_UNUSED_SLOT(38) REFHOST_UNUSED_SLOT(39) REFHOST_UNUSED_SLOT(40) REFHOST_UNUSED_SLOT(41)
  REFHOST_UNUSED_SLOT(42) REFHOST_UNUSED_SLOT(43) REFHOST_UNUSED_SLOT(44) REFHOST_UNUSED_SLOT(45)
  REFHOST_UNUSED_SLOT(46) REFHOST_UNUSED_SLOT(47) REFHOST_UNUSED_SLOT(48) REFHOST_UNUSED_SLOT(49)
  REFHOST_UNUSED_SLOT(50) REFHOST_UNUSED_SLOT(51) REFHOST_UNUSED_SLOT(52) REFHOST_UNUSED_SLOT(53)
  REFHOST_UNUSED_SLOT(54) REFHOST_UNUSED_SLOT(55) REFHOST_UNUSED_SLOT(56) REFHOST_UNUSED_SLOT(57)
  REFHOST_UNUSED_SLOT(58) REFHOST_UNUSED_SLOT(59) REFHOST_UNUSED_SLOT(60) REFHOST_UNUSED_SLOT(61)
  REFHOST_UNUSED_SLOT(62) REFHOST_UNUSED_SLOT(63) REFHOST_UNUSED_SLOT(64) REFHOST_UNUSED_SLOT(65)
  REFHOST_UNUSED_SLOT(66) REFHOST_UNUSED_SLOT(67) REFHOST_UNUSED_SLOT(68) REFHOST_UNUSED_SLOT(69)
  REFHOST_UNUSED_SLOT(70) REFHOST_UNUSED_SLOT(71) REFHOST_UNUSED_SLOT(72) REFHOST_UNUSED_SLOT(73)
  REFHOST_UNUSED_SLOT(74) REFHOST_UNUSED_SLOT(75) REFHOST_UNUSED_SLOT(76)
      // clang-format on
      // Pixel planes of equal depth byte for byte (all 4 bytes of 32-bit pixels), and alpha between
      // any two surfaces that carry it; a source without alpha map makes the copied alpha opaque.
      // False when nothing can be carried over (different depths, or no common plane).
      bool TAMBLET_HOSTCALL
      Copy(tamblet::ISurface* destination, std::int32_t dx, std::int32_t dy, tamblet::ISurface* source, std::int32_t sx,
           std::int32_t sy, std::int32_t width, std::int32_t height) override;

  void setInitializeResult(bool result) { initializeResult_ = result; }
  int initializeCalls() const { return initializeCalls_; }
  int fillColorCalls() const { return fillColorCalls_; }

 private:
  LedgerEntry ledger_{"Raster"};
  bool initializeResult_ = true;
  int initializeCalls_ = 0;
  int fillColorCalls_ = 0;
};

}  // namespace refhost

#undef REFHOST_UNUSED_SLOT
