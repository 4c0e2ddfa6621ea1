// An 8-bit mask surface owned by a text renderer: it holds the text mask at four times the final
// size, grown by a disc (Dilate) to make outlines. It lives inside its owner: Release at 0 only
// empties it, and storage and kernel are reused across renderings so similar sizes allocate nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "host/Surface.h"

namespace tamblet {

class CSurface8bpp final : public ISurface {
 public:
  static constexpr std::int32_t kScale = 4;                // text is drawn this much larger
  static constexpr std::int64_t kMaxStorage = 64ll << 20;  // largest pixel storage or kernel, in bytes
  static constexpr float kMaxRadius = 1024.0f;             // largest radius Dilate accepts

  CSurface8bpp() = default;
  ~CSurface8bpp() = default;
  CSurface8bpp(const CSurface8bpp&) = delete;
  CSurface8bpp& operator=(const CSurface8bpp&) = delete;

  std::int32_t TAMBLET_HOSTCALL AddRef() override;   // 0
  std::int32_t TAMBLET_HOSTCALL Release() override;  // 1; at 0 empties the storage, the object stays
  std::uint8_t* TAMBLET_HOSTCALL GetPixelAddress(std::int32_t x, std::int32_t y) override;  // 2
  std::uint8_t* TAMBLET_HOSTCALL GetAMapAddress(std::int32_t x, std::int32_t y) override;   // 3; null
  std::int32_t TAMBLET_HOSTCALL GetWidth() override;                                        // 4
  std::int32_t TAMBLET_HOSTCALL GetHeight() override;                                       // 5
  std::int32_t TAMBLET_HOSTCALL GetBpp() override;                                          // 6; 8
  std::int32_t TAMBLET_HOSTCALL GetPitch() override;                                        // 7
  std::int32_t TAMBLET_HOSTCALL GetAMapPitch() override;                                    // 8; 0
  bool TAMBLET_HOSTCALL HasPixel() override;                                                // 9
  bool TAMBLET_HOSTCALL HasAMap() override;                                                 // 10; false

  // Replaces the storage by a zero-filled width × height plane; false (and empty) when a size
  // is below 1 or the plane would exceed kMaxStorage.
  bool Create(std::int32_t width, std::int32_t height);

  // Prepares and clears a work area of (width + 2 × border) × (height + 2 × border) pixels at
  // scale, growing the storage only when it is too small.
  bool PrepareEdge(std::int32_t width, std::int32_t height, std::int32_t border);

  // ORs a disc of radius × scale around every set pixel of an 8-bit source into the work area.
  // The source's first (W − 2c) × (H − 2c) pixels are read (clipped to its own size) and land
  // shifted by c, where c = scale × ⌈radius⌉; runs of set pixels are grown row span by row span.
  // A disc wider than the work area grows nothing (true, no kernel built). False for a bad source
  // or radius, or when this surface's storage no longer covers the work area.
  bool Dilate(ISurface* source, float radius);

  // Builds the (2c + 1)² disc kernel for `radius` unless it is already built for exactly that.
  bool buildKernel(float radius);

  std::int32_t workWidth() const { return workWidth_; }
  std::int32_t workHeight() const { return workHeight_; }
  std::int32_t border() const { return border_; }
  std::int32_t referenceCount() const { return referenceCount_; }
  const std::vector<std::uint8_t>& kernel() const { return kernel_; }
  float kernelRadius() const { return kernelRadius_; }

 private:
  struct KernelSpan {
    std::int64_t begin = 1;  // first and last set column of a kernel row; begin > end: none
    std::int64_t end = 0;
  };

  struct Run {
    std::int64_t first = 0;  // first and last non-zero byte of a run in a source row
    std::int64_t last = 0;
    bool operator==(const Run&) const = default;
  };

  void empty(bool releaseMemory);
  static void findRuns(const std::uint8_t* row, std::int64_t columns, std::vector<Run>& runs);
  bool findKernelSpans(std::int64_t n);
  void dilateByKernel(const std::uint8_t* sourceBase, std::int64_t sourcePitch, std::int64_t columns, std::int64_t rows,
                      std::int64_t n);

  std::int32_t referenceCount_ = 1;
  std::vector<std::uint8_t> storage_;
  std::uint8_t* pixelBase_ = nullptr;  // first 8-byte aligned address in the storage
  std::int32_t width_ = 0;
  std::int32_t height_ = 0;
  std::int32_t pitch_ = 0;  // width rounded up to a multiple of 16
  std::int32_t workWidth_ = 0;
  std::int32_t workHeight_ = 0;
  std::int32_t border_ = 0;
  const std::int32_t scale_ = kScale;
  std::vector<std::uint8_t> kernel_;
  float kernelRadius_ = 0.0f;
  std::vector<KernelSpan> spans_;  // the kernel's rows as spans, when spansUsable_
  bool spansUsable_ = false;
  std::vector<Run> runs_, nextRuns_;  // scratch for Dilate, kept so repeated calls allocate nothing
};

}  // namespace tamblet
