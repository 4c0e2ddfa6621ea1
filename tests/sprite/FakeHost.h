// Stand-ins for the host objects the sprite model talks to: counted surfaces (32-bit B, G, R, A;
// pixels only; alpha only; no plane), a surface factory that can be made to fail, and a draw
// plug-in. Every fake counts itself in liveFakes() so tests can check all references came back.
#pragma once

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

// Starts with one reference and deletes itself at the last Release.
template <class Self, class Interface>
class Counted : public Interface {
 public:
  Counted() { ++liveFakes(); }
  std::int32_t AddRef() override { return ++references_; }
  std::int32_t Release() override {
    const std::int32_t left = --references_;
    if (left == 0) delete static_cast<Self*>(this);
    return left;
  }
  std::int32_t references() const { return references_; }

 protected:
  ~Counted() { --liveFakes(); }

 private:
  std::int32_t references_ = 1;
};

enum class Planes { kPixelsAndAlpha, kPixelsOnly, kAlphaOnly, kNone };

// Rows are packed without padding, so a read past the last pixel leaves the buffer (caught by
// the address sanitizer).
class FakeSurface final : public Counted<FakeSurface, ISurface> {
 public:
  FakeSurface(std::int32_t width, std::int32_t height, Planes planes, std::int32_t bpp = 32)
      : width_(width), height_(height), bpp_(bpp), planes_(planes) {
    const auto area = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    if (HasPixel()) pixels_.assign(area * bpp / 8, 0);
    if (planes == Planes::kAlphaOnly) alpha_.assign(area, 0);
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

  void setPixel(std::int32_t x, std::int32_t y, std::uint32_t bgra) { std::memcpy(GetPixelAddress(x, y), &bgra, 4); }
  // Fills every byte of both planes with a pattern that differs per seed.
  void fillPattern(std::uint8_t seed) {
    for (std::size_t i = 0; i < pixels_.size(); ++i) pixels_[i] = static_cast<std::uint8_t>(seed + i * 7);
    for (std::size_t i = 0; i < alpha_.size(); ++i) alpha_[i] = static_cast<std::uint8_t>(seed + i * 3);
  }
  const std::vector<std::uint8_t>& pixelBytes() const { return pixels_; }
  const std::vector<std::uint8_t>& alphaBytes() const { return alpha_; }

 private:
  std::int32_t width_, height_, bpp_;
  Planes planes_;
  std::vector<std::uint8_t> pixels_, alpha_;
};

// Lives on the test's stack; counts the surfaces it made.
class FakeFactory final : public ISurfaceFactory {
 public:
  std::int32_t AddRef() override { return 1; }
  std::int32_t Release() override { return 1; }
  ISurface* Create(std::int32_t w, std::int32_t h, std::int32_t bpp) override {
    return make(w, h, Planes::kPixelsAndAlpha, bpp);
  }
  ISurface* CreatePixelOnly(std::int32_t w, std::int32_t h, std::int32_t bpp) override {
    return make(w, h, Planes::kPixelsOnly, bpp);
  }
  ISurface* CreateAMapOnly(std::int32_t w, std::int32_t h) override { return make(w, h, Planes::kAlphaOnly, 8); }

  bool failing = false;
  int made = 0;

 private:
  ISurface* make(std::int32_t w, std::int32_t h, Planes planes, std::int32_t bpp) {
    if (failing || w < 1 || h < 1 || std::int64_t{w} * h * 4 > (std::int64_t{1} << 30)) return nullptr;
    ++made;
    return new FakeSurface(w, h, planes, bpp);
  }
};

class FakePlugin final : public Counted<FakePlugin, IDXPlugin> {
 public:
  bool Prepare() override { return true; }
  bool Draw() override { return true; }
  bool OnLostDevice() override { return true; }
  bool OnResetDevice() override { return true; }
  bool Close() override { return true; }
  bool PrepareAgain() override { return true; }
};

}  // namespace tamblet::testing
