// Surfaces: the one way to pixels. 32-bit pixels are B, G, R, A bytes; rows run top-down
// GetPitch bytes apart; no operation checks its coordinates (callers clip first).
#pragma once

#include <cstdint>

#include "host/IInterface.h"
#include "host/InterfaceId.h"

namespace tamblet {

struct ISurface : IInterface {
  virtual std::uint8_t* TAMBLET_HOSTCALL GetPixelAddress(std::int32_t x, std::int32_t y) = 0;  // 2; null without a pixel plane
  virtual std::uint8_t* TAMBLET_HOSTCALL GetAMapAddress(std::int32_t x, std::int32_t y) = 0;   // 3; null without a separate alpha plane
  virtual std::int32_t TAMBLET_HOSTCALL GetWidth() = 0;                                       // 4
  virtual std::int32_t TAMBLET_HOSTCALL GetHeight() = 0;                                      // 5
  virtual std::int32_t TAMBLET_HOSTCALL GetBpp() = 0;                                         // 6
  virtual std::int32_t TAMBLET_HOSTCALL GetPitch() = 0;                                       // 7
  virtual std::int32_t TAMBLET_HOSTCALL GetAMapPitch() = 0;                                   // 8; 0 without a separate alpha plane
  virtual bool TAMBLET_HOSTCALL HasPixel() = 0;                                               // 9
  virtual bool TAMBLET_HOSTCALL HasAMap() = 0;                                                // 10

 protected:
  ~ISurface() = default;
};

// The host's main surface (a kernel service, but reference counted like any surface).
struct IMainSurface : ISurface {
  virtual void TAMBLET_HOSTCALL BlitToWindow(std::int32_t x, std::int32_t y, std::int32_t width,
                                             std::int32_t height) = 0;  // 11; signals the update rectangle

 protected:
  ~IMainSurface() = default;
};

// PixmapMaker.dll. Every maker returns a new surface with one reference for the caller, or null.
struct ISurfaceFactory : IInterface {
  virtual ISurface* TAMBLET_HOSTCALL Create(std::int32_t width, std::int32_t height, std::int32_t bpp) = 0;  // 2; pixels + alpha map
  virtual ISurface* TAMBLET_HOSTCALL CreatePixelOnly(std::int32_t width, std::int32_t height,
                                                     std::int32_t bpp) = 0;                                  // 3
  virtual ISurface* TAMBLET_HOSTCALL CreateAMapOnly(std::int32_t width, std::int32_t height) = 0;          // 4

 protected:
  ~ISurfaceFactory() = default;
};

inline constexpr InterfaceId kIID_ISurfaceFactory = makeInterfaceId("65C9F15F-260C-474E-8712-F6990745B61F");
inline constexpr InterfaceId kIID_IMainSurface = makeInterfaceId("691A9267-E4E6-43FC-860E-C98604F0DDEB");

}  // namespace tamblet
