// The host kernel (IHostKernel): answers every kernel service by its id, each of which tests can
// withhold. Services are handed out without a reference, except the two the library releases
// when it shuts down (IKeyState, IVideoMemoryInfo): each of those answers carries one reference
// for the caller. The kernel keeps one reference of its own to each counted service. The
// Direct3D plug-in service and the capture service are answered like the others (no reference).
#pragma once

#include <vector>

#include "host/Kernel.h"
#include "host/Ref.h"
#include "host/VM.h"
#include "refhost/CaptureService.h"
#include "refhost/Direct3DService.h"
#include "refhost/EngineCallback.h"
#include "refhost/GameSetup.h"
#include "refhost/HostWindow.h"
#include "refhost/Input.h"
#include "refhost/KeyState.h"
#include "refhost/Ledger.h"
#include "refhost/MainSurface.h"
#include "refhost/Placeholder.h"
#include "refhost/ScriptVM.h"
#include "refhost/Timer.h"
#include "refhost/VideoMemoryInfo.h"
#include "refhost/Withholding.h"

namespace refhost {

class Kernel final : public tamblet::IHostKernel {
 public:
  // The main surface is 32-bit, of the given size (640 × 480 when the size is refused).
  explicit Kernel(std::int32_t mainWidth = 640, std::int32_t mainHeight = 480);
  Kernel(const Kernel&) = delete;
  Kernel& operator=(const Kernel&) = delete;
  // Releases the engine object first, so the library's teardown still finds every service alive.
  ~Kernel();

  void* TAMBLET_HOSTCALL GetService(const tamblet::InterfaceId* id) override;

  void withhold(const tamblet::InterfaceId& id) { withheld_.withhold(id); }
  void restore(const tamblet::InterfaceId& id) { withheld_.restore(id); }
  // Adds a service (or replaces the one under the id); `counted` is given an AddRef with every
  // answer. Later parts of the host (e.g. its Direct3D services) plug in here.
  void provide(const tamblet::InterfaceId& id, void* service, tamblet::IInterface* counted = nullptr);

  EngineCallback& callback() { return callback_; }
  MainSurface& mainSurface() { return *mainSurface_; }
  Input& input() { return input_; }
  Timer& timer() { return timer_; }
  KeyState& keyState() { return *keyState_; }
  GameSetup& game() { return game_; }
  VideoMemoryInfo& videoMemory() { return *videoMemory_; }
  HostWindow& window() { return window_; }
  ScriptVM& vm() { return vm_; }
  Direct3DService& direct3d() { return *direct3d_; }
  CaptureService& capture() { return capture_; }

 private:
  struct Service {
    tamblet::InterfaceId id;
    void* service;
    tamblet::IInterface* counted;
  };

  LedgerEntry ledger_{"Kernel"};
  Withholding withheld_;
  tamblet::Ref<MainSurface> mainSurface_;
  tamblet::Ref<KeyState> keyState_;
  tamblet::Ref<VideoMemoryInfo> videoMemory_;
  tamblet::Ref<Direct3DService> direct3d_;
  CaptureService capture_;
  Input input_;
  Timer timer_;
  GameSetup game_;
  HostWindow window_;
  ScriptVM vm_;
  Placeholder<tamblet::IWinMsg> winMsg_;
  Placeholder<tamblet::IMsgBox> msgBox_;
  Placeholder<tamblet::IShutdown> shutdown_;
  std::vector<Service> services_;
  EngineCallback callback_;
};

}  // namespace refhost
