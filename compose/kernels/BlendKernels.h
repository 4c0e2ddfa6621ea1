// Blend kernels of the software compositor: each draws one clipped rectangle of 32-bit pixels (bytes B, G, R, A)
// onto another with one fixed combination of draw method and flags, so that no kernel tests a flag per pixel.
// Rows of pixels in, rows out: nothing here knows about surfaces or sprites.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tamblet::kernels {

// Flag bits of a normal-path kernel; the key of a kernel is method * 32 + flags.
inline constexpr unsigned kFlagSimd = 1;          // the vectorised twin of the kernel with this bit clear
inline constexpr unsigned kFlagModulate = 2;      // multiply and add colour applied to every source byte
inline constexpr unsigned kFlagClipper = 4;       // the clipper's alpha scales the coverage
inline constexpr unsigned kFlagRate = 8;          // the blend rate scales the coverage
inline constexpr unsigned kFlagSourceAlpha = 16;  // the source alpha scales the coverage
inline constexpr int kMethodCount = 4;            // 0 normal, 1 additive, 2 multiply, 3 screen
inline constexpr unsigned kFlagCount = 32;
inline constexpr unsigned kNormalKeyCount = kMethodCount * kFlagCount;

// What a kernel needs beyond the two row sets; fields a kernel's flags do not name are not read.
struct BlendParams {
  std::uint8_t multiply[4] = {255, 255, 255, 255};  // low bytes of the multiply colour, in pixel order B, G, R, A
  std::uint8_t add[4] = {0, 0, 0, 0};               // low bytes of the add colour, in pixel order B, G, R, A
  std::uint8_t rate = 255;                          // blend rate, 255 opaque
  const std::uint8_t* clipper = nullptr;            // clipper pixel that lies under the first destination pixel
  std::ptrdiff_t clipperPitch = 0;                  // bytes from one clipper row to the next
};

// Draws width x height pixels; rows start pitch bytes apart (pitches may be negative or odd).
// Width or height below 1 draws nothing. The source must not overlap the destination.
using NormalKernel = void (*)(std::uint8_t* dst, std::ptrdiff_t dstPitch, const std::uint8_t* src,
                              std::ptrdiff_t srcPitch, int width, int height, const BlendParams& params);

// Which instruction set the SIMD twins (odd keys) run on; with kScalar they are the scalar kernels.
enum class KernelPath { kScalar, kSse2, kAvx2 };

// The kernel of (method, flags) on the active path; null for a method outside 0..3 or flags above 31.
NormalKernel normalKernel(int method, unsigned flags);
// The same on a given path, whether or not it is active (the caller makes sure the processor has it).
NormalKernel normalKernel(KernelPath path, int method, unsigned flags);

// The active path: chosen once from the processor, or from TAMBLET_KERNELS=scalar|sse2|avx2 when the
// processor has the path named there.
KernelPath activeKernelPath();
// For tests and benchmarks: makes path active; false (and nothing changes) when the processor lacks it.
bool forceKernelPath(KernelPath path);
bool kernelPathSupported(KernelPath path);
// "scalar", "sse2" or "avx2", for diagnostics.
const char* kernelPathName(KernelPath path);

}  // namespace tamblet::kernels
