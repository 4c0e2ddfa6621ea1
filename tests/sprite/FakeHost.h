// Small stand-ins for the host objects the sprite model talks to: surfaces with counted
// references (32-bit B, G, R, A; pixels only; alpha only; narrower depths), a surface factory
// that can be made to fail, raster operations whose Copy copies, and a draw plug-in. Every fake
// object counts itself in liveFakes() so tests can check that all references were given back.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "host/Modules.h"
#include "host/Surface.h"

namespace tamblet::testing {

inline std::int64_t& liveFakes() {
  static std::int64_t count = 0;
  return count;
}

enum class Planes { kPixelsAndAlpha, kPixelsOnly, kAlphaOnly, kNone };

// Rows are packed without padding, so a read past the last pixel of a row leaves the buffer at
// the bottom row (caught by the address sanitizer).
class FakeSurface final : public ISurface {
 public:
  FakeSurface(std::int32_t width, std::int32_t height, Planes planes, std::int32_t bpp = 32)
      : width_(width), height_(height), bpp_(bpp), planes_(planes) {
    const auto area = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    if (planes == Planes::kPixelsAndAlpha || planes == Planes::kPixelsOnly) pixels_.assign(area * bpp / 8, 0);
    if (planes == Planes::kAlphaOnly) alpha_.assign(area, 0);
    ++liveFakes();
  }

  std::int32_t AddRef() override { return ++references_; }
  std::int32_t Release() override {
    const std::int32_t left = --references_;
    if (left == 0) delete this;
    return left;
  }
  std::uint8_t* GetPixelAddress(std::int32_t x, std::int32_t y) override {
    return pixels_.empty() ? nullptr : pixels_.data() + y * GetPitch() + x * (bpp_ / 8);
  }
  std::uint8_t* GetAMapAddress(std::int32_t x, std::int32_t y) override {
    return alpha_.empty() ? nullptr : alpha_.data() + y * width_ + x;
  }
  std::int32_t GetWidth() override { return width_; }
  std::int32_t GetHeight() override { return height_; }
  std::int32_t GetBpp() override { return bpp_; }
  std::int32_t GetPitch() override { return pixels_.empty() ? 0 : width_ * (bpp_ / 8); }
  std::int32_t GetAMapPitch() override { return alpha_.empty() ? 0 : width_; }
  bool HasPixel() override { return planes_ == Planes::kPixelsAndAlpha || planes_ == Planes::kPixelsOnly; }
  bool HasAMap() override { return planes_ == Planes::kPixelsAndAlpha || planes_ == Planes::kAlphaOnly; }

  // Test helpers.
  std::int32_t references() const { return references_; }
  void setPixel(std::int32_t x, std::int32_t y, std::uint32_t bgra) { std::memcpy(GetPixelAddress(x, y), &bgra, 4); }
  // Fills every byte of both planes with a pattern that differs per surface seed.
  void fillPattern(std::uint8_t seed) {
    for (std::size_t i = 0; i < pixels_.size(); ++i) pixels_[i] = static_cast<std::uint8_t>(seed + i * 7);
    for (std::size_t i = 0; i < alpha_.size(); ++i) alpha_[i] = static_cast<std::uint8_t>(seed + i * 3);
  }
  const std::vector<std::uint8_t>& pixelBytes() const { return pixels_; }
  const std::vector<std::uint8_t>& alphaBytes() const { return alpha_; }

 private:
  ~FakeSurface() { --liveFakes(); }

  std::int32_t references_ = 1;
  std::int32_t width_, height_, bpp_;
  Planes planes_;
  std::vector<std::uint8_t> pixels_;
  std::vector<std::uint8_t> alpha_;
};

// Lives on the test's stack; its own count is not tracked.
class FakeFactory final : public ISurfaceFactory {
 public:
  std::int32_t AddRef() override { return 1; }
  std::int32_t Release() override { return 1; }
  ISurface* Create(std::int32_t width, std::int32_t height, std::int32_t bpp) override {
    ++createCalls;
    return make(width, height, Planes::kPixelsAndAlpha, bpp);
  }
  ISurface* CreatePixelOnly(std::int32_t width, std::int32_t height, std::int32_t bpp) override {
    ++pixelOnlyCalls;
    return make(width, height, Planes::kPixelsOnly, bpp);
  }
  ISurface* CreateAMapOnly(std::int32_t width, std::int32_t height) override {
    ++alphaOnlyCalls;
    return make(width, height, Planes::kAlphaOnly, 8);
  }

  bool failing = false;
  int createCalls = 0, pixelOnlyCalls = 0, alphaOnlyCalls = 0;

 private:
  ISurface* make(std::int32_t width, std::int32_t height, Planes planes, std::int32_t bpp) {
    if (failing || width < 1 || height < 1 || std::int64_t{width} * height * 4 > (std::int64_t{1} << 30)) {
      return nullptr;
    }
    return new FakeSurface(width, height, planes, bpp);
  }
};

#define NOP_SLOT(n) \
  void UnusedSlot##n() override {}

// Raster operations: only Copy does work (plane by plane, clipped to both surfaces).
class FakeRaster final : public IGraph3 {
 public:
  std::int32_t AddRef() override { return 1; }
  std::int32_t Release() override { return 1; }
  bool Initialize() override { return true; }
  using I = std::int32_t;
  bool FillColor(ISurface*, I, I, I, I, I, I, I, I) override { return false; }
  bool FillAlpha(ISurface*, I, I, I, I, I) override { return false; }
  bool BlendColor(ISurface*, I, I, ISurface*, I, I, I, I, I, I, I) override { return false; }
  // clang-format off
  NOP_SLOT(6) NOP_SLOT(7) NOP_SLOT(8) NOP_SLOT(9) NOP_SLOT(10) NOP_SLOT(11) NOP_SLOT(12) NOP_SLOT(13) NOP_SLOT(14)
  NOP_SLOT(15) NOP_SLOT(16) NOP_SLOT(17) NOP_SLOT(18) NOP_SLOT(19) NOP_SLOT(20) NOP_SLOT(21) NOP_SLOT(22) NOP_SLOT(23)
  NOP_SLOT(24) NOP_SLOT(25) NOP_SLOT(26) NOP_SLOT(27) NOP_SLOT(28) NOP_SLOT(29) NOP_SLOT(30) NOP_SLOT(31) NOP_SLOT(32)
  NOP_SLOT(33) NOP_SLOT(34) NOP_SLOT(35) NOP_SLOT(36) NOP_SLOT(37) NOP_SLOT(38) NOP_SLOT(39) NOP_SLOT(40) NOP_SLOT(41)
  NOP_SLOT(42) NOP_SLOT(43) NOP_SLOT(44) NOP_SLOT(45) NOP_SLOT(46) NOP_SLOT(47) NOP_SLOT(48) NOP_SLOT(49) NOP_SLOT(50)
  NOP_SLOT(51) NOP_SLOT(52) NOP_SLOT(53) NOP_SLOT(54) NOP_SLOT(55) NOP_SLOT(56) NOP_SLOT(57) NOP_SLOT(58) NOP_SLOT(59)
  NOP_SLOT(60) NOP_SLOT(61) NOP_SLOT(62) NOP_SLOT(63) NOP_SLOT(64) NOP_SLOT(65) NOP_SLOT(66) NOP_SLOT(67) NOP_SLOT(68)
  NOP_SLOT(69) NOP_SLOT(70) NOP_SLOT(71) NOP_SLOT(72) NOP_SLOT(73) NOP_SLOT(74) NOP_SLOT(75) NOP_SLOT(76)
  int copyCalls = 0;
  // clang-format on

  bool Copy(ISurface* destination, std::int32_t dx, std::int32_t dy, ISurface* source, std::int32_t sx, std::int32_t sy,
            std::int32_t width, std::int32_t height) override {
    ++copyCalls;
    if (dx < 0 || dy < 0 || sx < 0 || sy < 0) return false;
    width = std::min({width, destination->GetWidth() - dx, source->GetWidth() - sx});
    height = std::min({height, destination->GetHeight() - dy, source->GetHeight() - sy});
    const bool pixels = destination->HasPixel() && source->HasPixel() && destination->GetBpp() == source->GetBpp();
    const int bytes = source->GetBpp() / 8;
    for (std::int32_t row = 0; row < height; ++row) {
      if (pixels) {
        std::memcpy(destination->GetPixelAddress(dx, dy + row), source->GetPixelAddress(sx, sy + row),
                    static_cast<std::size_t>(width) * bytes);
      }
      if (destination->GetAMapAddress(0, 0) && source->GetAMapAddress(0, 0)) {
        std::memcpy(destination->GetAMapAddress(dx, dy + row), source->GetAMapAddress(sx, sy + row),
                    static_cast<std::size_t>(width));
      }
    }
    return true;
  }
};

#undef NOP_SLOT

class FakePlugin final : public IDXPlugin {
 public:
  FakePlugin() { ++liveFakes(); }
  std::int32_t AddRef() override { return ++references_; }
  std::int32_t Release() override {
    const std::int32_t left = --references_;
    if (left == 0) delete this;
    return left;
  }
  bool Prepare() override { return true; }
  bool Draw() override { return true; }
  bool OnLostDevice() override { return true; }
  bool OnResetDevice() override { return true; }
  bool Close() override { return true; }
  bool PrepareAgain() override { return true; }
  std::int32_t references() const { return references_; }

 private:
  ~FakePlugin() { --liveFakes(); }
  std::int32_t references_ = 1;
};

}  // namespace tamblet::testing
