// The host's capture service (ICaptureService): a snapshot of the picture on screen, the last
// frame presented into the main surface, whichever view drew it. SceneWipe.dll's Direct3D
// transition takes it at set-up as the old picture until the engine draws one of its own.
#pragma once

#include <cstdint>
#include <vector>

#include "host/Modules.h"
#include "refhost/Ledger.h"
#include "refhost/MainSurface.h"

namespace refhost {

// What GetCapture(0, &capture) leaves: borrowed, valid until the next GetCapture or the end of the
// service. Pixels are 0xAARRGGBB words, rows packed top-down (width words per row).
struct Capture {
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::vector<std::uint32_t> pixels;
};

class CaptureService final : public tamblet::ICaptureService {
 public:
  explicit CaptureService(MainSurface& mainSurface) : mainSurface_(mainSurface) {}

  void TAMBLET_HOSTCALL UnusedSlot0() override {}
  // Kind 0 only: takes a new snapshot of the main surface and leaves a pointer to it (a Capture).
  // Another kind, a null pointer or no memory leaves the pointer as it was.
  void TAMBLET_HOSTCALL GetCapture(std::int32_t kind, void** capture) override;

  int capturesTaken() const { return capturesTaken_; }

 private:
  LedgerEntry ledger_{"CaptureService"};
  MainSurface& mainSurface_;
  Capture capture_;
  int capturesTaken_ = 0;
};

}  // namespace refhost
