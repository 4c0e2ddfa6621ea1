// The reference host's Direct3D side at the demo's 1280x720: the frame the host renders after the
// library's notice (a plug-in that clears the screen, Present copied into the main surface), and
// one frame of the Direct3D transition (two picture passes, read-back, the crossfade on the
// processor, upload and the full-screen quad). Both against the frame budget of 60 per second.
#include <benchmark/benchmark.h>

#include "host/D3D9.h"
#include "host/Modules.h"
#include "host/Ref.h"
#include "refhost/Direct3DWipe.h"
#include "refhost/Host.h"

namespace {

using namespace tamblet;

constexpr std::int32_t kWidth = 1280, kHeight = 720;

// A plug-in whose Draw clears the screen, as an empty view does.
class ClearingPlugin final : public IDXPlugin {
 public:
  explicit ClearingPlugin(IDirect3DDevice9& device) : device_(device) {}
  std::int32_t TAMBLET_HOSTCALL AddRef() override { return 2; }
  std::int32_t TAMBLET_HOSTCALL Release() override { return 1; }
  bool TAMBLET_HOSTCALL Prepare() override { return true; }
  bool TAMBLET_HOSTCALL Draw() override {
    return succeeded(device_.Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF203040u, 1.0f, 0));
  }
  bool TAMBLET_HOSTCALL OnLostDevice() override { return true; }
  bool TAMBLET_HOSTCALL OnResetDevice() override { return true; }
  bool TAMBLET_HOSTCALL Close() override { return true; }
  bool TAMBLET_HOSTCALL PrepareAgain() override { return true; }

 private:
  IDirect3DDevice9& device_;
};

void BM_HostFrame(benchmark::State& state) {
  refhost::Host host(kWidth, kHeight);
  refhost::Direct3DService& service = host.kernel().direct3d();
  ClearingPlugin plugin(service.device());
  service.Register(&plugin);
  for (auto _ : state) host.kernel().window().OnFrameDrawn();
  state.counters["frames_per_second"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
  service.Unregister(&plugin);
}
BENCHMARK(BM_HostFrame)->Unit(benchmark::kMillisecond);

void BM_TransitionFrame(benchmark::State& state) {
  refhost::Host host(kWidth, kHeight);
  IDirect3DDevice9& device = host.kernel().direct3d().device();
  auto wipe = Ref<refhost::Direct3DWipe>::adopt(refhost::Direct3DWipe::create());
  wipe->SetDevice(&device);
  if (!wipe->SetUp(kWidth, kHeight, nullptr) || !wipe->Begin(0)) {
    state.SkipWithError("the transition could not start");
    return;
  }
  float progress = 0.0f;
  for (auto _ : state) {
    wipe->SetProgress(progress = progress >= 1.0f ? 0.0f : progress + 0.01f);
    device.BeginScene();
    wipe->BeginOldPicture();
    device.Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF804020u, 1.0f, 0);
    wipe->EndOldPicture();
    wipe->BeginNewPicture();
    device.Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF2040A0u, 1.0f, 0);
    wipe->EndNewPicture();
    if (!wipe->Compose()) state.SkipWithError("Compose failed");
    device.EndScene();
  }
  state.counters["frames_per_second"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_TransitionFrame)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
