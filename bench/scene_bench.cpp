// A whole frame through the scene compositor: four full-screen 1280x720 layers with alpha and 1,000 sprites of
// 16-64 px with mixed draw methods, rates, colours and alpha, on each kernel path. Beside it the same blits
// straight through the kernels (no draw list, no clipping, no surface calls), so the closing table shows how much
// of the kernels' own pixel rate a frame keeps, and the frames per second against the target of 300.
#include <benchmark/benchmark.h>
#include <emmintrin.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "bench/ScenePaint.h"
#include "compose/SceneCompositor.h"
#include "compose/kernels/BlendKernels.h"
#include "refhost/Host.h"
#include "sprite/DrawOrder.h"
#include "sprite/SpriteTableBlock.h"

namespace {

namespace kernels = tamblet::kernels;
using tamblet::ISurface;
using tamblet::Ref;

constexpr int kScreenWidth = 1280, kScreenHeight = 720;

#define SCENE_BENCH_UNUSED_SLOT(n) \
  void TAMBLET_HOSTCALL UnusedSlot##n() override {}

// The clearing fill as a host's raster library does it: B, G, R cleared, alpha kept, four pixels a step. Never
// inlined, so that the compositor's pass (a virtual call) and the plain kernel loop run the same code; a copy
// inlined into the loop alone got vectorised while the called one did not, and the difference was counted as
// compositor overhead. (The reference host's fill, in engine_bench, runs at memory speed too.)
class ClearingFill final : public tamblet::IGraph3 {
 public:
  std::int32_t TAMBLET_HOSTCALL AddRef() override { return 1; }
  std::int32_t TAMBLET_HOSTCALL Release() override { return 1; }
  bool TAMBLET_HOSTCALL Initialize() override { return true; }
  [[gnu::noinline]] bool TAMBLET_HOSTCALL FillColor(ISurface* surface, std::int32_t x, std::int32_t y,
                                                    std::int32_t width, std::int32_t height, std::int32_t r,
                                                    std::int32_t g, std::int32_t b, std::int32_t) override {
    const std::uint32_t colour = static_cast<std::uint32_t>((r & 255) << 16 | (g & 255) << 8 | (b & 255));
    const __m128i keep = _mm_set1_epi32(static_cast<int>(0xFF000000u));
    const __m128i fill = _mm_set1_epi32(static_cast<int>(colour));
    for (std::int32_t row = 0; row < height; ++row) {
      auto* p = reinterpret_cast<std::uint32_t*>(surface->GetPixelAddress(x, y + row));
      std::int32_t i = 0;
      for (; i + 4 <= width; i += 4) {
        auto* group = reinterpret_cast<__m128i*>(p + i);
        _mm_storeu_si128(group, _mm_or_si128(_mm_and_si128(_mm_loadu_si128(group), keep), fill));
      }
      for (; i < width; ++i) p[i] = (p[i] & 0xFF000000u) | colour;
    }
    return true;
  }
  bool TAMBLET_HOSTCALL FillAlpha(ISurface*, std::int32_t, std::int32_t, std::int32_t, std::int32_t,
                                  std::int32_t) override {
    return false;
  }
  bool TAMBLET_HOSTCALL BlendColor(ISurface*, std::int32_t, std::int32_t, ISurface*, std::int32_t, std::int32_t,
                                   std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::int32_t) override {
    return false;
  }
  // clang-format off
  SCENE_BENCH_UNUSED_SLOT(6) SCENE_BENCH_UNUSED_SLOT(7) SCENE_BENCH_UNUSED_SLOT(8) SCENE_BENCH_UNUSED_SLOT(9)
  SCENE_BENCH_UNUSED_SLOT(10) SCENE_BENCH_UNUSED_SLOT(11) SCENE_BENCH_UNUSED_SLOT(12) SCENE_BENCH_UNUSED_SLOT(13)
  SCENE_BENCH_UNUSED_SLOT(14) SCENE_BENCH_UNUSED_SLOT(15) SCENE_BENCH_UNUSED_SLOT(16) SCENE_BENCH_UNUSED_SLOT(17)
  SCENE_BENCH_UNUSED_SLOT(18) SCENE_BENCH_UNUSED_SLOT(19) SCENE_BENCH_UNUSED_SLOT(20) SCENE_BENCH_UNUSED_SLOT(21)
  SCENE_BENCH_UNUSED_SLOT(22) SCENE_BENCH_UNUSED_SLOT(23) SCENE_BENCH_UNUSED_SLOT(24) SCENE_BENCH_UNUSED_SLOT(25)
  SCENE_BENCH_UNUSED_SLOT(26) SCENE_BENCH_UNUSED_SLOT(27) SCENE_BENCH_UNUSED_SLOT(28) SCENE_BENCH_UNUSED_SLOT(29)
  SCENE_BENCH_UNUSED_SLOT(30) SCENE_BENCH_UNUSED_SLOT(31) SCENE_BENCH_UNUSED_SLOT(32) SCENE_BENCH_UNUSED_SLOT(33)
  SCENE_BENCH_UNUSED_SLOT(34) SCENE_BENCH_UNUSED_SLOT(35) SCENE_BENCH_UNUSED_SLOT(36) SCENE_BENCH_UNUSED_SLOT(37)
  SCENE_BENCH_UNUSED_SLOT(38) SCENE_BENCH_UNUSED_SLOT(39) SCENE_BENCH_UNUSED_SLOT(40) SCENE_BENCH_UNUSED_SLOT(41)
  SCENE_BENCH_UNUSED_SLOT(42) SCENE_BENCH_UNUSED_SLOT(43) SCENE_BENCH_UNUSED_SLOT(44) SCENE_BENCH_UNUSED_SLOT(45)
  SCENE_BENCH_UNUSED_SLOT(46) SCENE_BENCH_UNUSED_SLOT(47) SCENE_BENCH_UNUSED_SLOT(48) SCENE_BENCH_UNUSED_SLOT(49)
  SCENE_BENCH_UNUSED_SLOT(50) SCENE_BENCH_UNUSED_SLOT(51) SCENE_BENCH_UNUSED_SLOT(52) SCENE_BENCH_UNUSED_SLOT(53)
  SCENE_BENCH_UNUSED_SLOT(54) SCENE_BENCH_UNUSED_SLOT(55) SCENE_BENCH_UNUSED_SLOT(56) SCENE_BENCH_UNUSED_SLOT(57)
  SCENE_BENCH_UNUSED_SLOT(58) SCENE_BENCH_UNUSED_SLOT(59) SCENE_BENCH_UNUSED_SLOT(60) SCENE_BENCH_UNUSED_SLOT(61)
  SCENE_BENCH_UNUSED_SLOT(62) SCENE_BENCH_UNUSED_SLOT(63) SCENE_BENCH_UNUSED_SLOT(64) SCENE_BENCH_UNUSED_SLOT(65)
  SCENE_BENCH_UNUSED_SLOT(66) SCENE_BENCH_UNUSED_SLOT(67) SCENE_BENCH_UNUSED_SLOT(68) SCENE_BENCH_UNUSED_SLOT(69)
  SCENE_BENCH_UNUSED_SLOT(70) SCENE_BENCH_UNUSED_SLOT(71) SCENE_BENCH_UNUSED_SLOT(72) SCENE_BENCH_UNUSED_SLOT(73)
  SCENE_BENCH_UNUSED_SLOT(74) SCENE_BENCH_UNUSED_SLOT(75) SCENE_BENCH_UNUSED_SLOT(76)
      // clang-format on
      bool TAMBLET_HOSTCALL Copy(ISurface*, std::int32_t, std::int32_t, ISurface*, std::int32_t, std::int32_t,
                                 std::int32_t, std::int32_t) override {
    return false;
  }
};

// One blit of the scene as the compositor chooses it, for the kernels-only run.
struct Blit {
  int x, y, width, height, method;
  unsigned flags;
  kernels::BlendParams params;
  ISurface* source;
};

struct Scene {
  Scene() : host(kScreenWidth, kScreenHeight) {
    block.setUp(&host.surfaceFactory(), &host.raster(), kScreenWidth, kScreenHeight);
    compositor.setUp(&fill, &block);
    destination = Ref<ISurface>::adopt(host.surfaceFactory().Create(kScreenWidth, kScreenHeight, 32));
    std::mt19937 random(7);
    for (int layer = 0; layer < 4; ++layer) {
      Ref<ISurface> surface = Ref<ISurface>::adopt(host.surfaceFactory().Create(kScreenWidth, kScreenHeight, 32));
      tamblet::bench::paintScene(surface.get(), false, random);
      add(layer + 1, surface.get(), 0, 0, layer, 0, 255, false);
      surfaces.push_back(surface);
    }
    // 64 sprite images shared by 1,000 sprites, as a game's CGs are; one in eight without an alpha map.
    std::vector<Ref<ISurface>> images;
    for (int i = 0; i < 64; ++i) {
      const int width = 16 + static_cast<int>(random() % 49), height = 16 + static_cast<int>(random() % 49);
      Ref<ISurface> surface = Ref<ISurface>::adopt(i % 8 == 0 ? host.surfaceFactory().CreatePixelOnly(width, height, 32)
                                                              : host.surfaceFactory().Create(width, height, 32));
      tamblet::bench::paintScene(surface.get(), true, random);
      images.push_back(surface);
    }
    for (int i = 0; i < 1000; ++i) {
      ISurface* image = images[random() % images.size()].get();
      const int x = static_cast<int>(random() % (kScreenWidth - image->GetWidth()));
      const int y = static_cast<int>(random() % (kScreenHeight - image->GetHeight()));
      const int method = random() % 8 ? 0 : static_cast<int>(random() % 4);
      const int rate = random() % 4 == 0 ? 1 + static_cast<int>(random() % 255) : 255;
      add(100 + i, image, x, y, 10, method, rate, random() % 4 == 0);
    }
    surfaces.insert(surfaces.end(), images.begin(), images.end());
  }

  void add(int number, ISurface* surface, int x, int y, int z, int method, int rate, bool modulated) {
    block.liveTable.setSurface(number, surface);
    tamblet::SpriteRecord& record = *block.liveTable.find(number);
    record.x = x, record.y = y, record.z = z, record.drawMethod = method, record.blendRate = rate;
    if (modulated) record.multiplyColor[tamblet::kBlue] = 128, record.addColor[tamblet::kRed] = 30;
  }

  // The blits of one frame in draw order, chosen as the compositor chooses them.
  std::vector<Blit> blits(bool simd) const {
    std::vector<tamblet::SpriteRecord*> list;
    tamblet::buildDrawList(block.liveTable, list);
    std::vector<Blit> out;
    for (const tamblet::SpriteRecord* r : list) {
      Blit blit{r->x, r->y, r->width, r->height, r->drawMethod, 0, {}, r->surface.get()};
      const bool modulated = r->multiplyColor[tamblet::kBlue] != 255 || r->addColor[tamblet::kRed] != 0;
      blit.params.multiply[0] = static_cast<std::uint8_t>(r->multiplyColor[tamblet::kBlue]);
      blit.params.add[2] = static_cast<std::uint8_t>(r->addColor[tamblet::kRed]);
      blit.params.rate = static_cast<std::uint8_t>(r->blendRate);
      blit.flags = (simd ? kernels::kFlagSimd : 0u) | (modulated ? kernels::kFlagModulate : 0u) |
                   (r->blendRate != 255 ? kernels::kFlagRate : 0u) |
                   (r->surface->HasAMap() ? kernels::kFlagSourceAlpha : 0u);
      out.push_back(blit);
    }
    return out;
  }

  refhost::Host host;
  ClearingFill fill;
  tamblet::SpriteTableBlock block;
  tamblet::SceneCompositor compositor;
  Ref<ISurface> destination;
  std::vector<Ref<ISurface>> surfaces;
};

Scene* scene = nullptr;

void frameCounters(benchmark::State& state, std::int64_t pixels) {
  state.SetItemsProcessed(state.iterations() * pixels);
  state.counters["frames_per_second"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void runCompositor(benchmark::State& state, kernels::KernelPath path) {
  if (!kernels::forceKernelPath(path)) {
    state.SkipWithError("the processor lacks this path");
    return;
  }
  scene->compositor.compose(scene->block.liveTable, scene->destination.get());
  const std::int64_t pixels = scene->compositor.copyPixels() + scene->compositor.blendPixels();
  for (auto _ : state) {
    scene->compositor.compose(scene->block.liveTable, scene->destination.get());
    benchmark::ClobberMemory();
  }
  frameCounters(state, pixels);
}

void runKernels(benchmark::State& state, kernels::KernelPath path) {
  if (!kernels::kernelPathSupported(path)) {
    state.SkipWithError("the processor lacks this path");
    return;
  }
  const std::vector<Blit> blits = scene->blits(path != kernels::KernelPath::kScalar);
  ISurface* destination = scene->destination.get();
  std::uint8_t* base = destination->GetPixelAddress(0, 0);
  const std::ptrdiff_t pitch = destination->GetPitch();
  std::int64_t pixels = std::int64_t{kScreenWidth} * kScreenHeight;
  for (const Blit& blit : blits) pixels += std::int64_t{blit.width} * blit.height;
  for (auto _ : state) {
    scene->fill.FillColor(destination, 0, 0, kScreenWidth, kScreenHeight, 0, 0, 0, 0);
    for (const Blit& blit : blits) {
      kernels::normalKernel(path, blit.method, blit.flags)(base + blit.y * pitch + 4 * blit.x, pitch,
                                                           blit.source->GetPixelAddress(0, 0), blit.source->GetPitch(),
                                                           blit.width, blit.height, blit.params);
    }
    benchmark::ClobberMemory();
  }
  frameCounters(state, pixels);
}

class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      // Single runs, or the mean of repetitions.
      const bool single = run.run_type == Run::RT_Iteration && run.repetitions <= 1;
      const bool mean = run.run_type == Run::RT_Aggregate && run.aggregate_name == "mean";
      if (run.error_occurred || !(single || mean)) continue;
      const auto rate = run.counters.find("items_per_second");
      const auto fps = run.counters.find("frames_per_second");
      if (rate != run.counters.end()) mpix_[run.run_name.str()] = rate->second.value / 1e6;
      if (fps != run.counters.end()) fps_[run.run_name.str()] = fps->second.value;
    }
  }
  void printRatios() const {
    std::printf(
        "\nScene (1280x720, 4 layers + 1,000 sprites): frames/s (target 300), Mpix/s, share of kernels' own (target "
        "85%% on every path)\n");
    for (kernels::KernelPath path :
         {kernels::KernelPath::kScalar, kernels::KernelPath::kSse2, kernels::KernelPath::kAvx2}) {
      const std::string name = kernels::kernelPathName(path);
      const auto composed = mpix_.find("scene/compositor/" + name), direct = mpix_.find("scene/kernels/" + name);
      if (composed == mpix_.end() || direct == mpix_.end()) continue;
      const double share = composed->second / direct->second;
      std::printf("  %-6s %8.1f fps  %8.1f Mpix/s  kernels alone %8.1f Mpix/s  %5.1f%%  %s\n", name.c_str(),
                  fps_.at("scene/compositor/" + name), composed->second, direct->second, 100.0 * share,
                  share >= 0.85 ? "ok" : "MISSED");
    }
  }

 private:
  std::map<std::string, double> mpix_, fps_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  Scene theScene;
  scene = &theScene;
  const kernels::KernelPath original = kernels::activeKernelPath();
  for (kernels::KernelPath path :
       {kernels::KernelPath::kScalar, kernels::KernelPath::kSse2, kernels::KernelPath::kAvx2}) {
    const std::string name = kernels::kernelPathName(path);
    benchmark::RegisterBenchmark(("scene/compositor/" + name).c_str(), [=](benchmark::State& s) {
      runCompositor(s, path);
    })->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(("scene/kernels/" + name).c_str(), [=](benchmark::State& s) {
      runKernels(s, path);
    })->Unit(benchmark::kMillisecond);
  }
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.printRatios();
  kernels::forceKernelPath(original);
  benchmark::Shutdown();
  scene = nullptr;
  return 0;
}
