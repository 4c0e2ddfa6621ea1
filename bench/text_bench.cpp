// Text sprites: a cached character (target under 1 µs), a new full-width character at size 32
// with bold 2 and edge 3 rendered from scratch, and the mask growth that dominates it.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

#include "host/Modules.h"
#include "host/Ref.h"
#include "image/CSurface8bpp.h"
#include "refhost/Host.h"
#include "text/FreeTypeRasterizer.h"
#include "text/TextRenderer.h"
#include "text/TextStore.h"

namespace {

using namespace tamblet;

TextStyle outlinedStyle() {
  TextStyle style;
  style.size = 32;
  style.boldWeight = 2.0f;
  style.edgeWeight = 3.0f;
  return style;
}

// A full-width kanji per step, cycling through 0x889F..0x88FC (a new key for each).
std::string kanji(std::int64_t step) {
  return {'\x88', static_cast<char>(0x9F + step % 94)};
}

struct Bound {
  refhost::Host host;
  Ref<ISurfaceFactory> factory = Ref<ISurfaceFactory>::adopt(
      static_cast<ISurfaceFactory*>(refhost::Host::moduleInterface(kModulePixmapMaker, &kIID_ISurfaceFactory)));
  Ref<IGraph3> raster =
      Ref<IGraph3>::adopt(static_cast<IGraph3*>(refhost::Host::moduleInterface(kModuleRasterLib, &kIID_IGraph3)));
};

void BM_CachedCharacter(benchmark::State& state) {
  Bound bound;
  TextStore store;
  store.bind(bound.factory.get(), bound.raster.get());
  const TextStyle style = outlinedStyle();
  (void)store.characterSurface("\x82\xA0", style);
  for (auto _ : state) {
    Ref<ISurface> surface = store.characterSurface("\x82\xA0", style);
    benchmark::DoNotOptimize(surface.get());
  }
  store.clear();
}
BENCHMARK(BM_CachedCharacter);

void BM_RenderNewCharacter(benchmark::State& state) {
  Bound bound;
  FreeTypeRasterizer freeType;
  TextRenderer renderer;
  renderer.bind(bound.factory.get(), bound.raster.get(), &freeType);
  const TextStyle style = outlinedStyle();
  std::int64_t step = 0;
  for (auto _ : state) {
    Ref<ISurface> surface = renderer.renderCharacter(kanji(step++), style);
    benchmark::DoNotOptimize(surface.get());
  }
  renderer.clear();
}
BENCHMARK(BM_RenderNewCharacter)->Unit(benchmark::kMicrosecond);

// The edge mask of one size-32 glyph: PrepareEdge and Dilate with radius 3.
void BM_DilateEdge(benchmark::State& state) {
  Bound bound;
  FreeTypeRasterizer freeType;
  TextRenderer renderer;
  renderer.bind(bound.factory.get(), bound.raster.get(), &freeType);
  TextStyle plain = outlinedStyle();
  plain.boldWeight = plain.edgeWeight = 0.0f;
  (void)renderer.renderCharacter("\x8A\xBF", plain);  // leaves 漢 in the glyph surface
  CSurface8bpp mask;
  for (auto _ : state) {
    mask.PrepareEdge(32, 32, 3);
    benchmark::DoNotOptimize(mask.Dilate(&renderer.glyphSurface(), 3.0f));
  }
  renderer.clear();
}
BENCHMARK(BM_DilateEdge)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
