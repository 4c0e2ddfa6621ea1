// The host's main surface (IMainSurface): 32-bit pixels with alpha like a factory surface. It can
// report another depth (tests set 16 to play a 16-bit screen) and records every rectangle the
// library blits to the window, except while the host presents Direct3D frames into it: then the
// library's blits are ignored (only counted), since the host's own frame updates the window.
#pragma once

#include <cstdint>
#include <vector>

#include "host/Surface.h"
#include "refhost/Ledger.h"
#include "refhost/StoreSurface.h"

namespace refhost {

class MainSurface final : public StoreSurface<MainSurface, tamblet::IMainSurface> {
 public:
  struct Rect {
    std::int32_t x, y, width, height;
    friend bool operator==(const Rect&, const Rect&) = default;
  };

  // A main surface of the given size with one reference for the caller, or null when refused.
  static MainSurface* create(std::int32_t width, std::int32_t height);

  std::int32_t TAMBLET_HOSTCALL GetBpp() override { return reportedBpp_; }
  void TAMBLET_HOSTCALL BlitToWindow(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height) override;

  void setReportedBpp(std::int32_t bpp) { reportedBpp_ = bpp; }
  const std::vector<Rect>& blits() const { return blits_; }
  void clearBlits() { blits_.clear(); }
  void setBlitsIgnored(bool ignored) { blitsIgnored_ = ignored; }
  int ignoredBlits() const { return ignoredBlits_; }

 private:
  MainSurface() = default;
  friend class RefCounted<MainSurface, tamblet::IMainSurface>;
  ~MainSurface() = default;

  LedgerEntry ledger_{"MainSurface"};
  std::int32_t reportedBpp_ = 32;
  std::vector<Rect> blits_;
  bool blitsIgnored_ = false;
  int ignoredBlits_ = 0;
};

}  // namespace refhost
