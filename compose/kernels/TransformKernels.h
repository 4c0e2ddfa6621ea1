// Transform-path kernels: map a sprite surface onto a quadrilateral given by four corners and blend it into the
// destination with the normal method. 64 variants by six key bits, one table per kernel path like the blend
// kernels; the rasterisation rule is written down at the top of TransformGeometry.cpp. Rows of pixels in, rows out:
// nothing here knows about surfaces or sprites.
#pragma once

#include <cstddef>
#include <cstdint>

#include "compose/kernels/BlendKernels.h"

namespace tamblet::kernels {

// Variant key bits.
inline constexpr unsigned kTransformModulate = 1;      // multiply and add colour applied to every texel byte
inline constexpr unsigned kTransformBilinear = 2;      // bilinear sampling, else nearest texel
inline constexpr unsigned kTransformGeneral = 4;       // corners are not an axis-aligned rectangle
inline constexpr unsigned kTransformPerspective = 8;   // corner depths differ: perspective-correct mapping
inline constexpr unsigned kTransformRate = 16;         // blend rate folded into the coverage
inline constexpr unsigned kTransformSourceAlpha = 32;  // source alpha folded into the coverage
inline constexpr unsigned kTransformKeyCount = 64;

// Corners in the order top-left, top-right, bottom-left, bottom-right; (x, y) in destination pixels, (u, v) in
// source pixels. Only the first three corners' (u, v) take part in the mapping.
struct TransformQuad {
  struct Corner {
    float x = 0.0f, y = 0.0f, z = 0.0f, w = 1.0f;
    float u = 0.0f, v = 0.0f;
  };
  Corner corners[4];
};

// A block of 32-bit pixel rows (B, G, R, A) `pitch` bytes apart.
struct PixelRows {
  std::uint8_t* pixels = nullptr;
  std::ptrdiff_t pitch = 0;
  int width = 0;
  int height = 0;
};

// Draws the quad into the destination rows, reading only inside the source rows. Parameters the variant does not
// name are not read; params.clipper is never read.
using TransformKernel = void (*)(const PixelRows& destination, const PixelRows& source, const TransformQuad& quad,
                                 const BlendParams& params);

// The variant key for a quad: the geometry bits (general, perspective) come from the corners; the others are
// passed in. The corner coordinates are converted to integers by saturating truncation (NaN gives 0).
unsigned transformKey(const TransformQuad& quad, bool modulated, bool bilinear, int rate, bool sourceAlpha);

// The kernel of a variant on the active kernel path (activeKernelPath), or on a given path whether or not it is
// active (the caller makes sure the processor has it); null for a key of kTransformKeyCount or more. Every path
// writes the same bytes, except where the source rows overlap the destination: there only the scalar path, which
// reads and writes pixel by pixel, gives the reference's bytes.
TransformKernel transformKernel(unsigned key);
TransformKernel transformKernel(KernelPath path, unsigned key);

// Truncation towards zero that saturates at the int range instead of being undefined; NaN gives 0.
int saturatingTruncate(double value);

}  // namespace tamblet::kernels
