// The 8-bit glyph surface a text renderer rasterises into, four times larger than the text: one
// byte per pixel, rows top-down with a pitch rounded up to 16 bytes and one spare row below the
// last. On Linux it is plain memory; it lives inside its renderer, so AddRef and Release do not
// count: Release frees the pixels and leaves the object ready for the next Create.
#pragma once

#include <cstdint>
#include <memory>

#include "host/Surface.h"

namespace tamblet {

class CDIBSurface final : public ISurface {
 public:
  // Largest pixel block Create makes, spare row included.
  static constexpr std::int64_t kMaxBytes = std::int64_t{64} << 20;

  CDIBSurface() = default;
  ~CDIBSurface() = default;
  CDIBSurface(const CDIBSurface&) = delete;
  CDIBSurface& operator=(const CDIBSurface&) = delete;

  std::int32_t TAMBLET_HOSTCALL AddRef() override;   // 0; always 1
  std::int32_t TAMBLET_HOSTCALL Release() override;  // 1; frees the pixels, returns 0, the object stays
  std::uint8_t* TAMBLET_HOSTCALL GetPixelAddress(std::int32_t x, std::int32_t y) override;  // 2; null when empty
  std::uint8_t* TAMBLET_HOSTCALL GetAMapAddress(std::int32_t x, std::int32_t y) override;   // 3; null
  std::int32_t TAMBLET_HOSTCALL GetWidth() override;                                        // 4
  std::int32_t TAMBLET_HOSTCALL GetHeight() override;                                       // 5
  std::int32_t TAMBLET_HOSTCALL GetBpp() override;                                          // 6; 8 once created
  std::int32_t TAMBLET_HOSTCALL GetPitch() override;                                        // 7
  std::int32_t TAMBLET_HOSTCALL GetAMapPitch() override;                                    // 8; 0
  bool TAMBLET_HOSTCALL HasPixel() override;                                                // 9
  bool TAMBLET_HOSTCALL HasAMap() override;                                                 // 10; false

  // Replaces any earlier pixels by a zero-filled plane of width × height (plus the spare row).
  // False, and empty, for a side below 1 or a plane larger than kMaxBytes.
  bool Create(std::int32_t width, std::int32_t height);

  // Makes sure the plane is at least width × height, creating it anew (larger in both sides than
  // asked and than before) only when it is not. Its contents are undefined afterwards.
  bool ensureSize(std::int32_t width, std::int32_t height);

  // Frees the pixels (also what Release does).
  void Destroy();

  bool created() const { return created_; }

 private:
  bool created_ = false;
  std::int32_t width_ = 0;
  std::int32_t height_ = 0;
  std::int32_t bitsPerPixel_ = 0;
  std::int32_t bytesPerPixel_ = 0;
  std::int32_t pitch_ = 0;  // width rounded up to a multiple of 16
  std::unique_ptr<std::uint8_t[]> bits_;
};

}  // namespace tamblet
