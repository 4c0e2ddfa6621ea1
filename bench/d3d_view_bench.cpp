// The Direct3D view's stores on the reference device: rebuilding the stores for 1,000 sprites whose
// surfaces did not change (target below 200 µs: no upload, one discard lock, one sort), and the
// device calls one store draw makes, counted through the device's recording mode and printed as
// a counter (the render-state cache sends no state twice in a row).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>

#include "host/Ref.h"
#include "present/RenderStateCache.h"
#include "present/SpriteStore.h"
#include "refhost/ReferenceDevice.h"
#include "refhost/Surface.h"
#include "sprite/SpriteTable.h"

using namespace tamblet;

namespace {

// 1,000 sprites of 16 × 16 to 64 × 64 pixels spread over a 640 × 480 screen, every draw method,
// blend rate and add colour mixed, half of them with alpha.
struct Scene {
  Scene() {
    std::mt19937 random(1000);
    for (std::int32_t n = 1; n <= 1000; ++n) {
      SpriteRecord* s = table.findOrCreate(n);
      const auto planes = n % 2 ? refhost::PixelStore::Planes::PixelsAndAlpha : refhost::PixelStore::Planes::PixelsOnly;
      Ref<ISurface> surface =
          Ref<ISurface>::adopt(refhost::Surface::create(16 << (random() % 3), 16 << (random() % 3), 32, planes));
      s->setSurface(surface.get());
      s->x = static_cast<std::int32_t>(random() % 640), s->y = static_cast<std::int32_t>(random() % 480);
      s->z = static_cast<std::int32_t>(random() % 8);
      s->drawMethod = static_cast<std::int32_t>(random() % 4);
      s->blendRate = random() % 2 ? 255 : static_cast<std::int32_t>(random() % 256);
      if (random() % 4 == 0) s->addColor[kRed] = 40;
    }
  }
  Ref<refhost::ReferenceDevice> device = Ref<refhost::ReferenceDevice>::adopt(new refhost::ReferenceDevice(640, 480));
  SpriteTable table;
  SpriteStore store;
};

void BM_RebuildUnchangedSurfaces1000(benchmark::State& state) {
  Scene scene;
  if (!scene.store.rebuild(scene.device.get(), scene.table)) state.SkipWithError("rebuild failed");
  for (auto _ : state) benchmark::DoNotOptimize(scene.store.rebuild(scene.device.get(), scene.table));
  state.SetItemsProcessed(state.iterations() * 1000);
}
BENCHMARK(BM_RebuildUnchangedSurfaces1000)->Unit(benchmark::kMicrosecond);

void BM_DeviceCallsPerStoreDraw1000(benchmark::State& state) {
  Scene scene;
  if (!scene.store.rebuild(scene.device.get(), scene.table)) state.SkipWithError("rebuild failed");
  scene.device->setRecording(true);
  std::size_t calls = 0;
  for (auto _ : state) {
    scene.device->clearCalls();
    scene.device->BeginScene();
    RenderStateCache cache(scene.device.get());
    if (!scene.store.draw(scene.device.get(), cache)) state.SkipWithError("store draw failed");
    scene.device->EndScene();
    calls = scene.device->calls().size() - 2;
  }
  state.counters["device_calls"] = static_cast<double>(calls);  // BeginScene and EndScene left out
  state.counters["calls_per_sprite"] = static_cast<double>(calls) / 1000.0;
}
BENCHMARK(BM_DeviceCallsPerStoreDraw1000)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
