// The engine as a host drives it: Update on an empty scene with the pacing sleeps switched off
// (target under 50 µs), Init plus teardown with a 1,000-entry CG archive (target under 5 ms),
// a demo-sized frame: 1280x720 with full-screen layers and sprites (target 240 frames per second),
// a message line typed through character sprites (target under 5 ms), and the reference host's
// clearing fill of the main surface beside a memset of the same bytes (the closing table prints
// fill and empty-scene Update against the memset, target at most 1.2 times), and frames of a 4-layer,
// 1,000-sprite scene: whole (BM_FrameFull) and with dirty regions when nothing changed (target under
// 50 µs), when a message window changes (at most a quarter of the whole frame) and when every sprite
// moves (at most 1.05 times the whole frame).
#include <benchmark/benchmark.h>
#include <png.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "bench/RatioTable.h"
#include "bench/ScenePaint.h"
#include "engine/CVELM.h"
#include "engine/Exports.h"
#include "platform/Clock.h"
#include "platform/Modules.h"
#include "refhost/CgArchiveWriter.h"
#include "refhost/Host.h"
#include "refhost/ModuleEntryPoints.h"

namespace {

using namespace tamblet;

// A clock whose sleeps return at once: the figures are the engine's own work.
class NoSleepClock final : public platform::Clock {
 public:
  std::uint32_t tickCount() override { return 0; }
  void sleep(std::uint32_t) override {}
  platform::LocalTime localTime() override { return {}; }
};

// A reference host in this process with its modules resolvable and real sleeping off.
class BenchHost {
 public:
  BenchHost(int width, int height) {
    host_.emplace(width, height);
    for (const refhost::ModuleEntryPoint& entry : refhost::moduleEntryPoints())
      resolver_.addSymbol(entry.module, entry.symbol, entry.address);
    platform::setModuleResolver(&resolver_);
    platform::setClock(&clock_);
  }
  ~BenchHost() {
    host_.reset();  // a host shuts down by releasing the engine object
    CVELM::instance().restoreLoadState();
    forgetHostKernelObject();
    platform::setModuleResolver(nullptr);
    platform::setClock(nullptr);
  }
  refhost::Host& host() { return *host_; }

 private:
  NoSleepClock clock_;
  platform::InProcessModuleResolver resolver_;
  std::optional<refhost::Host> host_;
};

// A small PNG file, for the archive.
std::vector<std::uint8_t> tinyPng() {
  std::vector<std::uint8_t> bytes;
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = 8;
  image.height = 8;
  image.format = PNG_FORMAT_RGBA;
  std::vector<std::uint8_t> pixels(8 * 8 * 4, 200);
  png_alloc_size_t size = 0;
  png_image_write_to_memory(&image, nullptr, &size, 0, pixels.data(), 0, nullptr);
  bytes.resize(size);
  png_image_write_to_memory(&image, bytes.data(), &size, 0, pixels.data(), 0, nullptr);
  return bytes;
}

void BM_UpdateEmptyScene(benchmark::State& state) {
  BenchHost bench(1280, 720);
  if (Init(&bench.host().kernel(), 16) != 1) return state.SkipWithError("Init failed");
  SYSTEM_SetConfigOverFrameRateSleep(0);
  for (auto _ : state) benchmark::DoNotOptimize(Update());
}
BENCHMARK(BM_UpdateEmptyScene)->Unit(benchmark::kMicrosecond);

// The clearing fill every software frame starts with: the host's FillColor over the whole main
// surface, and a memset of the same bytes as the memory-speed limit it is held to.
void BM_MainSurfaceFill(benchmark::State& state) {
  BenchHost bench(1280, 720);
  refhost::MainSurface& screen = bench.host().mainSurface();
  for (auto _ : state) {
    bench.host().raster().FillColor(&screen, 0, 0, 1280, 720, 0, 0, 0, 0);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_MainSurfaceFill)->Unit(benchmark::kMicrosecond);

void BM_MainSurfaceMemset(benchmark::State& state) {
  BenchHost bench(1280, 720);
  refhost::MainSurface& screen = bench.host().mainSurface();
  std::uint8_t* pixels = screen.GetPixelAddress(0, 0);
  const std::size_t bytes = static_cast<std::size_t>(screen.GetPitch()) * 720;
  for (auto _ : state) {
    std::memset(pixels, 0, bytes);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_MainSurfaceMemset)->Unit(benchmark::kMicrosecond);

void BM_InitAndTeardownWithAThousandCgArchive(benchmark::State& state) {
  const std::filesystem::path folder = std::filesystem::temp_directory_path() / "tamblet-engine-bench";
  std::filesystem::create_directories(folder / "cg");
  const std::vector<std::uint8_t> png = tinyPng();
  std::vector<refhost::CgSourceFile> files;
  for (int cg = 1; cg <= 1000; ++cg) {
    const std::string path = (folder / "cg" / (std::to_string(cg) + ".png")).string();
    FILE* file = std::fopen(path.c_str(), "wb");
    std::fwrite(png.data(), 1, png.size(), file);
    std::fclose(file);
    files.push_back({cg, path, "png", png.size()});
  }
  std::string error;
  if (!refhost::writeCgArchive(files, (folder / "CG.kov").string(), error)) return state.SkipWithError(error.c_str());
  for (auto _ : state) {
    BenchHost bench(1280, 720);
    bench.host().setCgArchivePath((folder / "CG.kov").string());
    benchmark::DoNotOptimize(Init(&bench.host().kernel(), 64));
  }  // the host shuts down: it releases the engine object, which tears the engine down
  std::filesystem::remove_all(folder);
}
BENCHMARK(BM_InitAndTeardownWithAThousandCgArchive)->Unit(benchmark::kMillisecond);

// Roughly the demo's scene: a background, two full-screen layers with alpha, a dozen sprites of
// 64-256 px with mixed methods, rates and colours, and one perspective transform.
void BM_DemoSizedFrame(benchmark::State& state) {
  BenchHost bench(1280, 720);
  if (Init(&bench.host().kernel(), 64) != 1) return state.SkipWithError("Init failed");
  SYSTEM_SetConfigOverFrameRateSleep(0);
  SP_Create(1, 1280, 720, 40, 80, 120, 255);
  SP_Create(2, 1280, 720, 200, 100, 50, 128);
  SP_Create(3, 1280, 720, 10, 200, 10, 60);
  SP_SetZ(2, 1);
  SP_SetZ(3, 2);
  for (int i = 0; i < 12; ++i) {
    const int sprite = 10 + i, size = 64 + 16 * i;
    SP_Create(sprite, size, size, 30 * i, 255 - 20 * i, 128, 100 + 10 * i);
    SP_SetPos(sprite, 90 * i, 40 * i);
    SP_SetZ(sprite, 3 + i);
    SP_SetDrawMethod(sprite, i % 4);
    SP_SetBlendRate(sprite, 150 + 8 * i);
    if (i % 3 == 0) SP_SetBrightness(sprite, 180);
  }
  if (state.range(0) == 0) SP_Create(30, 256, 256, 250, 250, 0, 255);
  SP_SetSpriteTransformMode(30, 1);
  SP_SetSpriteTransformPos(30, 400, 100, 0, 1, 0, 0, 900, 150, 0, 1, 255, 0, 300, 600, 0, 1, 0, 255, 1000, 650, 0, 1,
                           255, 255);
  for (auto _ : state) benchmark::DoNotOptimize(Update());
  state.counters["fps"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_DemoSizedFrame)->Unit(benchmark::kMillisecond)->Arg(0)->Arg(1);

// ---- Frames of a large scene, whole and with dirty regions -------------------------------------------------------
// Four full-screen 1280x720 layers with random alpha and 1,000 sprites of 16-64 px sharing 64 images (long
// transparent and opaque runs), mixed methods, rates and colours, built through the exports. BM_FrameFull draws it
// whole every frame; the others switch dirty regions on (TAMBLET_DIRTY_REGIONS=1 at Init) and change nothing, a
// message window of 800x200 with 40 character-sized sprites on it, or every sprite.

constexpr int kSceneImages = 2000;    // hidden sprites holding the shared images
constexpr int kSceneSprites = 100;    // the 1,000 sprites start here
constexpr int kMessageWindow = 3000;  // the message window, its 40 characters after it


// The scene over a bound engine, dirty regions as asked; false when Init failed.
bool buildFrameScene(BenchHost& bench, bool dirtyRegions) {
  if (dirtyRegions) setenv("TAMBLET_DIRTY_REGIONS", "1", 1);
  const bool bound = Init(&bench.host().kernel(), 64) == 1;
  unsetenv("TAMBLET_DIRTY_REGIONS");
  if (!bound) return false;
  SYSTEM_SetConfigOverFrameRateSleep(0);
  std::mt19937 random(7);
  for (int layer = 0; layer < 4; ++layer) {
    SP_Create(1 + layer, 1280, 720, 0, 0, 0, 255);
    bench::paintScene(Sprite_GetWritableSurface(1 + layer), false, random);
    SP_SetZ(1 + layer, layer);
  }
  for (int i = 0; i < 64; ++i) {
    const int width = 16 + static_cast<int>(random() % 49), height = 16 + static_cast<int>(random() % 49);
    if (i % 8 == 0) {
      SP_CreatePixelOnly(kSceneImages + i, width, height);
    } else {
      SP_Create(kSceneImages + i, width, height, 0, 0, 0, 255);
    }
    bench::paintScene(Sprite_GetWritableSurface(kSceneImages + i), true, random);
    SP_SetShow(kSceneImages + i, 0);
  }
  for (int i = 0; i < 1000; ++i) {
    const int image = kSceneImages + static_cast<int>(random() % 64), sprite = kSceneSprites + i;
    Sprite_SetSurface(sprite, Sprite_GetConstSurface(image));
    SP_SetPos(sprite, static_cast<int>(random() % (1280 - SP_GetWidth(image))),
              static_cast<int>(random() % (720 - SP_GetHeight(image))));
    SP_SetZ(sprite, 10);
    if (random() % 8 == 0) SP_SetDrawMethod(sprite, static_cast<int>(random() % 4));
    if (random() % 4 == 0) SP_SetBlendRate(sprite, 1 + static_cast<int>(random() % 255));
    if (random() % 4 == 0) SP_SetMultipleColor(sprite, 255, 255, 128), SP_SetAddColor(sprite, 30, 0, 0, 0);
  }
  return true;
}

// The compositor's pixels of the last frame (Debug_GetFillRate: KiB written), beside the time.
void countFill(benchmark::State& state) {
  state.counters["fill_KiB"] = Debug_GetFillRate();
}

void BM_FrameFull(benchmark::State& state) {
  BenchHost bench(1280, 720);
  if (!buildFrameScene(bench, false)) return state.SkipWithError("Init failed");
  for (auto _ : state) benchmark::DoNotOptimize(Update());
  countFill(state);
}
BENCHMARK(BM_FrameFull)->Unit(benchmark::kMicrosecond);

void BM_FrameUnchanged(benchmark::State& state) {
  BenchHost bench(1280, 720);
  if (!buildFrameScene(bench, true)) return state.SkipWithError("Init failed");
  Update();
  for (auto _ : state) benchmark::DoNotOptimize(Update());
  countFill(state);
}
BENCHMARK(BM_FrameUnchanged)->Unit(benchmark::kMicrosecond);

// A message window as a game shows one, a translucent picture without alpha map over the scene: each frame its
// rate steps and its 40 characters (sprite-like alpha) move a pixel.
void BM_FrameMessageBox(benchmark::State& state) {
  BenchHost bench(1280, 720);
  if (!buildFrameScene(bench, true)) return state.SkipWithError("Init failed");
  std::mt19937 random(3);
  SP_CreatePixelOnly(kMessageWindow, 800, 200);
  bench::paintScene(Sprite_GetWritableSurface(kMessageWindow), false, random);
  SP_SetPos(kMessageWindow, 240, 500);
  SP_SetZ(kMessageWindow, 20);
  for (int i = 1; i <= 40; ++i) {
    SP_Create(kMessageWindow + i, 24, 24, 255, 255, 255, 255);
    bench::paintScene(Sprite_GetWritableSurface(kMessageWindow + i), true, random);
    SP_SetZ(kMessageWindow + i, 21);
  }
  Update();
  int step = 0;
  for (auto _ : state) {
    step ^= 1;
    SP_SetBlendRate(kMessageWindow, 200 + step);
    for (int i = 1; i <= 40; ++i) SP_SetPos(kMessageWindow + i, 260 + 19 * i, 520 + step);
    benchmark::DoNotOptimize(Update());
  }
  countFill(state);
}
BENCHMARK(BM_FrameMessageBox)->Unit(benchmark::kMicrosecond);

void BM_FrameAllMoving(benchmark::State& state) {
  BenchHost bench(1280, 720);
  if (!buildFrameScene(bench, true)) return state.SkipWithError("Init failed");
  Update();
  int step = 0;
  for (auto _ : state) {
    step ^= 1;
    for (int i = 0; i < 1000; ++i) SP_SetX(kSceneSprites + i, SP_GetPosX(kSceneSprites + i) + (step ? 1 : -1));
    benchmark::DoNotOptimize(Update());
  }
  countFill(state);
}
BENCHMARK(BM_FrameAllMoving)->Unit(benchmark::kMicrosecond);

}  // namespace

// A 40-character message line typed through character sprites, as a game's message window does:
// 40 handles, each given its character with an outline and placed. Arg 0 types the same line
// every time (the text cache answers); arg 1 changes the colour each time, so every character is
// rendered anew (target under 5 ms either way).
void BM_TypeMessageLine(benchmark::State& state) {
  BenchHost bench(1280, 720);
  if (Init(&bench.host().kernel(), 16) != 1) return state.SkipWithError("Init failed");
  std::int32_t handles[40];
  for (std::int32_t& handle : handles) handle = CharSpriteManager_CreateHandle();
  const bool renderAnew = state.range(0) != 0;
  std::int32_t colour = 0;
  for (auto _ : state) {
    colour = renderAnew ? (colour + 1) % 256 : 0;
    for (int i = 0; i < 40; ++i) {
      const char character[3] = {'\x88', static_cast<char>(0x9F + i), '\0'};
      CharSprite_SetCharDirect(handles[i], character, 0, 32, 255, 255, colour, 0.0f, 2.0f, 0, 0, 0);
      CharSprite_SetPos(handles[i], 100 + 34 * i, 500);
    }
    state.PauseTiming();
    for (std::int32_t handle : handles) CharSprite_Release(handle);
    state.ResumeTiming();
  }
}
BENCHMARK(BM_TypeMessageLine)->Unit(benchmark::kMillisecond)->Arg(0)->Arg(1);

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  tamblet::bench::RatioTable table(tamblet::bench::RatioTable::Figure::kMicroseconds);
  benchmark::RunSpecifiedBenchmarks(&table);
  std::printf("\nTargets (us, us, ratio, target):\n");
  table.ratio("host fill / memset of the main surface", "BM_MainSurfaceFill", "BM_MainSurfaceMemset", 1.2);
  table.ratio("empty-scene Update / memset of the main surface", "BM_UpdateEmptyScene", "BM_MainSurfaceMemset", 1.2);
  table.atLeast("demo-sized frame with the transformed sprite (fps)", "BM_DemoSizedFrame/0", "fps", 600);
  table.limit("dirty regions, nothing changed (us)", "BM_FrameUnchanged", 50.0);
  table.ratio("dirty regions, message window / whole frame", "BM_FrameMessageBox", "BM_FrameFull", 0.25);
  table.ratio("dirty regions, every sprite moving / whole frame", "BM_FrameAllMoving", "BM_FrameFull", 1.05);
  benchmark::Shutdown();
  return 0;
}
