// The per-pixel arithmetic of the blend kernels and the scalar row kernel built on it. The SIMD twins use
// blendPixel for the pixels before their first aligned group and after their last one.
//
// Every template takes an instruction-set tag as its first parameter: each kernel source file is compiled with its
// own flags, and the tag keeps the copies of these templates in different files from being merged by the linker.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "BlendKernels.h"
#include "BlendTables.h"

namespace tamblet::kernels {

template <unsigned Flags>
inline constexpr bool kHasCoverage = (Flags & (kFlagClipper | kFlagRate | kFlagSourceAlpha)) != 0;

// Coverage of one pixel from source alpha, clipper alpha and rate: one product and one shift.
template <class Isa, unsigned Flags>
[[gnu::always_inline]] inline int pixelCoverage(int sourceAlpha, int clipperAlpha, int rate) {
  constexpr bool kAlpha = (Flags & kFlagSourceAlpha) != 0;
  constexpr bool kClip = (Flags & kFlagClipper) != 0;
  constexpr bool kRate = (Flags & kFlagRate) != 0;
  if constexpr (kAlpha && kClip && kRate) return (sourceAlpha * clipperAlpha * rate) >> 16;
  if constexpr (kAlpha && kClip) return (sourceAlpha * clipperAlpha) >> 8;
  if constexpr (kAlpha && kRate) return (sourceAlpha * rate) >> 8;
  if constexpr (kClip && kRate) return (clipperAlpha * rate) >> 8;
  if constexpr (kAlpha) return sourceAlpha;
  if constexpr (kClip) return clipperAlpha;
  return rate;
}

// Blends one source pixel s into the destination pixel d; clip is read only with kFlagClipper.
// Intermediates are signed and >> shifts towards minus infinity.
template <class Isa, int Method, unsigned Flags>
[[gnu::always_inline]] inline void blendPixel(std::uint8_t* d, const std::uint8_t* s, const std::uint8_t* clip,
                                              const BlendParams& params) {
  const BlendTables& tables = kBlendTables;
  int source[4] = {s[0], s[1], s[2], s[3]};
  if constexpr ((Flags & kFlagModulate) != 0) {
    for (int i = 0; i < 4; ++i) source[i] = tables.saturate[((source[i] * params.multiply[i]) >> 8) + params.add[i]];
  }
  if constexpr (!kHasCoverage<Flags>) {
    if constexpr (Method == 0) {
      for (int i = 0; i < 4; ++i) d[i] = static_cast<std::uint8_t>(source[i]);
    } else {
      for (int i = 0; i < 3; ++i) {
        if constexpr (Method == 1) d[i] = tables.saturate[source[i] + d[i]];
        if constexpr (Method == 2) d[i] = static_cast<std::uint8_t>((source[i] * d[i]) >> 8);
        if constexpr (Method == 3) d[i] = tables.screen[d[i]][source[i]];
      }
    }
  } else {
    int clipperAlpha = 0;
    if constexpr ((Flags & kFlagClipper) != 0) clipperAlpha = clip[3];
    const int a = pixelCoverage<Isa, Flags>(source[3], clipperAlpha, params.rate);
    for (int i = 0; i < 3; ++i) {
      const int dst = d[i];
      int blended = 0;
      if constexpr (Method == 0) blended = dst + (((source[i] - dst) * a) >> 8);
      if constexpr (Method == 1) blended = tables.saturate[dst + ((source[i] * a) >> 8)];
      if constexpr (Method == 2) blended = dst + (((((source[i] * dst) >> 8) - dst) * a) >> 8);
      if constexpr (Method == 3) blended = dst + (((tables.screen[dst][source[i]] - dst) * a) >> 8);
      d[i] = static_cast<std::uint8_t>(blended);
    }
  }
}

// Blends count pixels of one row, left to right.
template <class Isa, int Method, unsigned Flags>
[[gnu::always_inline]] inline void blendPixels(std::uint8_t* dst, const std::uint8_t* src, const std::uint8_t* clip,
                                               int count, const BlendParams& params) {
  for (int x = 0; x < count; ++x) {
    const std::uint8_t* clipPixel = nullptr;
    if constexpr ((Flags & kFlagClipper) != 0) clipPixel = clip + 4 * x;
    blendPixel<Isa, Method, Flags>(dst + 4 * x, src + 4 * x, clipPixel, params);
  }
}

// Address of row y of a row set (pitch may be negative).
template <class Byte>
[[gnu::always_inline]] inline Byte* rowAt(Byte* base, std::ptrdiff_t pitch, int y) {
  return base + static_cast<std::ptrdiff_t>(y) * pitch;
}

// The scalar kernel of (Method, Flags); the SIMD bit is ignored.
template <class Isa, int Method, unsigned Flags>
void scalarKernel(std::uint8_t* dst, std::ptrdiff_t dstPitch, const std::uint8_t* src, std::ptrdiff_t srcPitch,
                  int width, int height, const BlendParams& params) {
  constexpr unsigned kFlags = Flags & ~kFlagSimd;
  if (width < 1) return;
  for (int y = 0; y < height; ++y) {
    std::uint8_t* d = rowAt(dst, dstPitch, y);
    const std::uint8_t* s = rowAt(src, srcPitch, y);
    if constexpr (Method == 0 && kFlags == 0) {
      std::memcpy(d, s, static_cast<std::size_t>(width) * 4);  // the whole source pixel is written
    } else {
      const std::uint8_t* clip = nullptr;
      if constexpr ((kFlags & kFlagClipper) != 0) clip = rowAt(params.clipper, params.clipperPitch, y);
      blendPixels<Isa, Method, kFlags>(d, s, clip, width, params);
    }
  }
}

}  // namespace tamblet::kernels
