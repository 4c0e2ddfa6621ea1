// Blend kernel throughput on 1280x720 and 256x256 destinations, side by side with the peers people use
// (pixman OVER, SDL2's alpha-blended blit) and with memcpy as the bandwidth limit, a scene of kernel calls, and the
// transform kernels on each path; the closing table prints the ratios that the kernels are held to. Figures are
// pixels per second (items_per_second).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "bench/RatioTable.h"
#include "compose/kernels/BlendKernels.h"
#include "compose/kernels/TransformKernels.h"

#ifdef TAMBLET_HAVE_PIXMAN
#include <pixman.h>
#endif
#ifdef TAMBLET_HAVE_SDL2
#include <SDL.h>
#endif

namespace {

namespace kernels = tamblet::kernels;

struct Size {
  int width, height;
  std::string name() const { return std::to_string(width) + "x" + std::to_string(height); }
};
constexpr Size kSizes[] = {{1280, 720}, {256, 256}};

// 64-byte aligned pixel rows.
struct Frame {
  explicit Frame(Size size) : size(size), storage(static_cast<std::size_t>(size.width) * size.height + 16) {
    const auto misalign = reinterpret_cast<std::uintptr_t>(storage.data()) % 64;
    pixels = storage.data() + (misalign ? (64 - misalign) / 4 : 0);
  }
  std::uint8_t* bytes() const { return reinterpret_cast<std::uint8_t*>(pixels); }
  int pitch() const { return size.width * 4; }
  std::size_t byteCount() const { return static_cast<std::size_t>(size.width) * size.height * 4; }
  Size size;
  std::vector<std::uint32_t> storage;
  std::uint32_t* pixels;
};

enum class Source { kRandomAlpha, kSpriteLike };

// Random colours; alpha random, or long runs of fully transparent and fully opaque pixels with short soft edges.
// Colours never exceed alpha, so the pixels are valid premultiplied input for pixman as well.
Frame makeSource(Size size, Source kind) {
  Frame frame(size);
  std::mt19937 random(kind == Source::kRandomAlpha ? 1 : 2);
  const int count = size.width * size.height;
  for (int i = 0; i < count;) {
    const int run = kind == Source::kRandomAlpha ? 1 : 16 + static_cast<int>(random() % 240);
    const int phase = static_cast<int>(random() % 5);  // sprite-like: 2 transparent, 2 opaque, 1 edge
    for (int j = i; j < std::min(count, i + run); ++j) {
      std::uint32_t alpha = random() & 255;
      if (kind == Source::kSpriteLike) alpha = phase < 2 ? 0 : phase < 4 ? 255 : random() & 255;
      const std::uint32_t b = alpha ? random() % (alpha + 1) : 0, g = alpha ? random() % (alpha + 1) : 0,
                          r = alpha ? random() % (alpha + 1) : 0;
      frame.pixels[j] = alpha << 24 | r << 16 | g << 8 | b;
    }
    i += run;
  }
  return frame;
}

Frame makeDestination(Size size) {
  Frame frame(size);
  std::mt19937 random(3);
  for (int i = 0; i < size.width * size.height; ++i) frame.pixels[i] = random() | 0xFF000000u;
  return frame;
}

void countPixels(benchmark::State& state, Size size) {
  state.SetItemsProcessed(state.iterations() * size.width * size.height);
}

// ---- the kernels ----------------------------------------------------------------------------------------------

void runKernel(benchmark::State& state, kernels::KernelPath path, int method, unsigned flags, Size size,
               Source kind) {
  if (!kernels::kernelPathSupported(path)) {
    state.SkipWithError("the processor lacks this path");
    return;
  }
  Frame src = makeSource(size, kind), dst = makeDestination(size), clip = makeSource(size, Source::kRandomAlpha);
  kernels::BlendParams params;
  const std::uint8_t multiply[4] = {200, 180, 255, 230}, add[4] = {10, 0, 20, 0};
  std::memcpy(params.multiply, multiply, 4);
  std::memcpy(params.add, add, 4);
  params.rate = 200;
  params.clipper = clip.bytes();
  params.clipperPitch = clip.pitch();
  const kernels::NormalKernel kernel = kernels::normalKernel(path, method, flags);
  for (auto _ : state) {
    kernel(dst.bytes(), dst.pitch(), src.bytes(), src.pitch(), size.width, size.height, params);
    benchmark::ClobberMemory();
  }
  countPixels(state, size);
}

std::string flagsName(unsigned flags) {
  char text[8];
  std::snprintf(text, sizeof text, "f%02X", flags);
  return text;
}

void registerKernels() {
  using kernels::KernelPath;
  for (const Size size : kSizes) {
    for (KernelPath path : {KernelPath::kScalar, KernelPath::kSse2, KernelPath::kAvx2}) {
      const unsigned simd = path == KernelPath::kScalar ? 0 : kernels::kFlagSimd;
      for (int method = 0; method < kernels::kMethodCount; ++method) {
        for (unsigned flags = 0; flags < kernels::kFlagCount; flags += 2) {
          const std::string name = std::string("kernel/") + kernels::kernelPathName(path) + "/m" +
                                   std::to_string(method) + "/" + flagsName(flags | simd) + "/" + size.name();
          benchmark::RegisterBenchmark(name.c_str(), [=](benchmark::State& state) {
            runKernel(state, path, method, flags | simd, size, Source::kRandomAlpha);
          });
        }
      }
      for (unsigned flags : {kernels::kFlagSourceAlpha, kernels::kFlagSourceAlpha | kernels::kFlagModulate}) {
        const std::string name = std::string("kernel-sprite/") + kernels::kernelPathName(path) + "/m0/" +
                                 flagsName(flags | simd) + "/" + size.name();
        benchmark::RegisterBenchmark(name.c_str(), [=](benchmark::State& state) {
          runKernel(state, path, 0, flags | simd, size, Source::kSpriteLike);
        });
      }
    }
  }
}

// ---- the peers ------------------------------------------------------------------------------------------------

void registerMemcpy() {
  for (const Size size : kSizes) {
    benchmark::RegisterBenchmark(("memcpy/" + size.name()).c_str(), [=](benchmark::State& state) {
      Frame src = makeSource(size, Source::kRandomAlpha), dst = makeDestination(size);
      for (auto _ : state) {
        std::memcpy(dst.bytes(), src.bytes(), dst.byteCount());
        benchmark::ClobberMemory();
      }
      countPixels(state, size);
    });
  }
}

#ifdef TAMBLET_HAVE_PIXMAN
void runPixmanOver(benchmark::State& state, Size size, Source kind, bool solidMask) {
  Frame src = makeSource(size, kind), dst = makeDestination(size);
  pixman_image_t* source = pixman_image_create_bits(PIXMAN_a8r8g8b8, size.width, size.height, src.pixels, src.pitch());
  pixman_image_t* destination =
      pixman_image_create_bits(PIXMAN_a8r8g8b8, size.width, size.height, dst.pixels, dst.pitch());
  const pixman_color_t half{0x8000, 0x8000, 0x8000, 0xC000};
  pixman_image_t* mask = solidMask ? pixman_image_create_solid_fill(&half) : nullptr;
  for (auto _ : state) {
    pixman_image_composite32(PIXMAN_OP_OVER, source, mask, destination, 0, 0, 0, 0, 0, 0, size.width, size.height);
    benchmark::ClobberMemory();
  }
  if (mask) pixman_image_unref(mask);
  pixman_image_unref(destination);
  pixman_image_unref(source);
  countPixels(state, size);
}

void registerPixman() {
  for (const Size size : kSizes) {
    benchmark::RegisterBenchmark(("pixman-over/random/" + size.name()).c_str(),
                                 [=](benchmark::State& s) { runPixmanOver(s, size, Source::kRandomAlpha, false); });
    benchmark::RegisterBenchmark(("pixman-over/sprite/" + size.name()).c_str(),
                                 [=](benchmark::State& s) { runPixmanOver(s, size, Source::kSpriteLike, false); });
    benchmark::RegisterBenchmark(("pixman-over/solid-mask/" + size.name()).c_str(),
                                 [=](benchmark::State& s) { runPixmanOver(s, size, Source::kRandomAlpha, true); });
  }
}
#endif

#ifdef TAMBLET_HAVE_SDL2
void runSdlBlend(benchmark::State& state, Size size) {
  Frame src = makeSource(size, Source::kRandomAlpha), dst = makeDestination(size);
  SDL_Surface* source = SDL_CreateRGBSurfaceWithFormatFrom(src.pixels, size.width, size.height, 32, src.pitch(),
                                                           SDL_PIXELFORMAT_ARGB8888);
  SDL_Surface* destination = SDL_CreateRGBSurfaceWithFormatFrom(dst.pixels, size.width, size.height, 32, dst.pitch(),
                                                                SDL_PIXELFORMAT_ARGB8888);
  if (!source || !destination) {
    state.SkipWithError(SDL_GetError());
  } else {
    SDL_SetSurfaceBlendMode(source, SDL_BLENDMODE_BLEND);
    for (auto _ : state) {
      SDL_BlitSurface(source, nullptr, destination, nullptr);
      benchmark::ClobberMemory();
    }
    countPixels(state, size);
  }
  SDL_FreeSurface(destination);
  SDL_FreeSurface(source);
}

void registerSdl() {
  for (const Size size : kSizes) {
    benchmark::RegisterBenchmark(("sdl2-blend/" + size.name()).c_str(),
                                 [=](benchmark::State& s) { runSdlBlend(s, size); });
  }
}
#endif

// ---- a scene of kernel calls: four full-screen layers and 1,000 sprites of 16-64 px -------------------------------

struct SceneBlit {
  kernels::NormalKernel kernel;
  int x, y, width, height, method;
  kernels::BlendParams params;
  bool layer;  // drawn from the random-alpha layer frame, else from the sprite-like frame
};

void runScene(benchmark::State& state, kernels::KernelPath path) {
  if (!kernels::kernelPathSupported(path)) {
    state.SkipWithError("the processor lacks this path");
    return;
  }
  const Size screen{1280, 720};
  Frame layer = makeSource(screen, Source::kRandomAlpha), sprites = makeSource(screen, Source::kSpriteLike);
  Frame dst = makeDestination(screen);
  std::mt19937 random(5);
  std::vector<SceneBlit> blits;
  const unsigned simd = path == kernels::KernelPath::kScalar ? 0 : kernels::kFlagSimd;
  for (int i = 0; i < 4; ++i) {
    blits.push_back({kernels::normalKernel(path, 0, kernels::kFlagSourceAlpha | simd), 0, 0, 1280, 720, 0, {}, true});
  }
  for (int i = 0; i < 1000; ++i) {
    SceneBlit blit{};
    blit.width = 16 + static_cast<int>(random() % 49), blit.height = 16 + static_cast<int>(random() % 49);
    blit.x = static_cast<int>(random() % (1280 - blit.width)), blit.y = static_cast<int>(random() % (720 - blit.height));
    blit.method = random() % 8 ? 0 : static_cast<int>(random() % 4);
    unsigned flags = kernels::kFlagSourceAlpha;
    if (random() % 4 == 0) flags |= kernels::kFlagRate, blit.params.rate = static_cast<std::uint8_t>(random());
    if (random() % 4 == 0) flags |= kernels::kFlagModulate, blit.params.multiply[0] = 128, blit.params.add[2] = 30;
    blit.kernel = kernels::normalKernel(path, blit.method, flags | (blit.width >= 4 ? simd : 0));
    blits.push_back(blit);
  }
  std::int64_t pixels = 0;
  for (const SceneBlit& blit : blits) pixels += std::int64_t{blit.width} * blit.height;
  for (auto _ : state) {
    for (const SceneBlit& blit : blits) {
      const std::ptrdiff_t at = std::ptrdiff_t{blit.y} * dst.pitch() + blit.x * 4;
      const Frame& from = blit.layer ? layer : sprites;
      blit.kernel(dst.bytes() + at, dst.pitch(), from.bytes() + at, from.pitch(), blit.width, blit.height, blit.params);
    }
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * pixels);
  state.counters["frames_per_second"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void registerScene() {
  for (kernels::KernelPath path : {kernels::KernelPath::kScalar, kernels::KernelPath::kSse2, kernels::KernelPath::kAvx2}) {
    benchmark::RegisterBenchmark((std::string("scene/") + kernels::kernelPathName(path)).c_str(),
                                 [=](benchmark::State& s) { runScene(s, path); });
  }
}

// ---- the transform kernels: a 640x480 surface onto a turned quad of about 900x600 pixels --------------------------

struct TransformCase {
  const char* name;
  unsigned key;
};
constexpr TransformCase kTransformCases[] = {
    {"bilinear-perspective-alpha", kernels::kTransformBilinear | kernels::kTransformGeneral |
                                       kernels::kTransformPerspective | kernels::kTransformSourceAlpha},
    {"nearest-affine-alpha", kernels::kTransformGeneral | kernels::kTransformSourceAlpha},
    {"bilinear-affine-modulated-rate", kernels::kTransformBilinear | kernels::kTransformGeneral |
                                           kernels::kTransformModulate | kernels::kTransformRate |
                                           kernels::kTransformSourceAlpha},
};

kernels::TransformQuad benchQuad(bool perspective) {
  kernels::TransformQuad quad;
  const float x[4] = {230.0f, 1090.0f, 190.0f, 1050.0f}, y[4] = {80.0f, 140.0f, 640.0f, 700.0f};
  for (int i = 0; i < 4; ++i) {
    auto& corner = quad.corners[i];
    corner.x = x[i], corner.y = y[i];
    corner.z = perspective ? 0.1f * static_cast<float>(i) : 0.0f;
    corner.w = perspective ? 1.0f + 0.3f * static_cast<float>(i) : 1.0f;
    corner.u = (i & 1) ? 640.0f : 0.0f, corner.v = (i & 2) ? 480.0f : 0.0f;
  }
  return quad;
}

void runTransform(benchmark::State& state, kernels::KernelPath path, TransformCase kind) {
  if (!kernels::kernelPathSupported(path)) {
    state.SkipWithError("the processor lacks this path");
    return;
  }
  const Size sourceSize{640, 480}, screen{1280, 720};
  Frame src = makeSource(sourceSize, Source::kRandomAlpha), dst = makeDestination(screen);
  const kernels::TransformQuad quad = benchQuad((kind.key & kernels::kTransformPerspective) != 0);
  kernels::BlendParams params;
  params.rate = 200, params.multiply[0] = 200, params.add[2] = 20;
  const kernels::PixelRows to{dst.bytes(), dst.pitch(), screen.width, screen.height};
  const kernels::PixelRows from{src.bytes(), src.pitch(), sourceSize.width, sourceSize.height};
  // The covered pixels: an opaque copy of white into black counts them.
  Frame probe(screen), white(sourceSize);
  std::fill(probe.pixels, probe.pixels + screen.width * screen.height, 0u);
  std::fill(white.pixels, white.pixels + sourceSize.width * sourceSize.height, 0xFFFFFFFFu);
  kernels::transformKernel(kernels::KernelPath::kScalar, kind.key & (kernels::kTransformGeneral |
                                                                     kernels::kTransformPerspective))(
      {probe.bytes(), probe.pitch(), screen.width, screen.height},
      {white.bytes(), white.pitch(), sourceSize.width, sourceSize.height}, quad, params);
  const auto covered = std::count(probe.pixels, probe.pixels + screen.width * screen.height, 0xFFFFFFFFu);
  const kernels::TransformKernel kernel = kernels::transformKernel(path, kind.key);
  for (auto _ : state) {
    kernel(to, from, quad, params);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * covered);
}

void registerTransforms() {
  for (kernels::KernelPath path : {kernels::KernelPath::kScalar, kernels::KernelPath::kSse2, kernels::KernelPath::kAvx2}) {
    for (const TransformCase& kind : kTransformCases) {
      benchmark::RegisterBenchmark((std::string("transform/") + kernels::kernelPathName(path) + "/" + kind.name).c_str(),
                                   [=](benchmark::State& s) { runTransform(s, path, kind); });
    }
  }
}

// ---- the closing table -------------------------------------------------------------------------------------------

// The closing table: pixel rates against pixman, SDL2, memcpy and the scalar kernels.
void printRatios(const tamblet::bench::RatioTable& table) {
  std::printf("\nTargets (Mpix/s, ratio, target):\n");
  for (const Size size : kSizes) {
    const std::string at = "/" + size.name();
    std::printf("-- %s\n", size.name().c_str());
    table.ratio("sse2 m0 f11 / pixman OVER random", "kernel/sse2/m0/f11" + at, "pixman-over/random" + at, 1.1);
    table.ratio("avx2 m0 f11 / pixman OVER random", "kernel/avx2/m0/f11" + at, "pixman-over/random" + at, 2.2);
    table.ratio("avx2 m0 f11 sprite (best) / pixman OVER sprite", "kernel-sprite/avx2/m0/f11" + at,
                "pixman-over/sprite" + at, 1.5);
    table.ratio("sse2 m0 f11 sprite / pixman sprite (best's target)", "kernel-sprite/sse2/m0/f11" + at,
                "pixman-over/sprite" + at, 1.5);
    table.ratio("sse2 m0 f13 (modulated) / pixman solid mask", "kernel/sse2/m0/f13" + at, "pixman-over/solid-mask" + at, 1.1);
    table.ratio("sse2 m0 f03 (modulated copy) / pixman solid mask", "kernel/sse2/m0/f03" + at, "pixman-over/solid-mask" + at, 1.1);
    table.ratio("sse2 m0 f01 (copy) / memcpy", "kernel/sse2/m0/f01" + at, "memcpy" + at, 1.0);
    table.ratio("sse2 m0 f11 / SDL2 blend", "kernel/sse2/m0/f11" + at, "sdl2-blend" + at, 5.0);
    for (int method = 0; method < kernels::kMethodCount; ++method) {
      for (unsigned flags = 2; flags < kernels::kFlagCount; flags += 2) {
        const std::string m = "/m" + std::to_string(method) + "/";
        table.ratio(("sse2 / scalar m" + std::to_string(method) + " " + flagsName(flags)).c_str(),
                    "kernel/sse2" + m + flagsName(flags | 1) + at, "kernel/scalar" + m + flagsName(flags) + at, 4.0);
      }
    }
  }
  std::printf("-- scene of kernel calls (4 layers + 1,000 sprites), frames per second\n");
  table.atLeast("scene avx2", "scene/avx2", "frames_per_second", 330);
  std::printf("-- transform kernels, covered pixels\n");
  for (const TransformCase& kind : kTransformCases) {
    const std::string scalar = std::string("transform/scalar/") + kind.name;
    for (const char* path : {"sse2", "avx2"}) {
      table.ratio((std::string(path) + " / scalar " + kind.name).c_str(), std::string("transform/") + path + "/" + kind.name,
                  scalar, 1.0);
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  registerKernels();
  registerMemcpy();
#ifdef TAMBLET_HAVE_PIXMAN
  registerPixman();
#endif
#ifdef TAMBLET_HAVE_SDL2
  registerSdl();
#endif
  registerScene();
  registerTransforms();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  tamblet::bench::RatioTable table(tamblet::bench::RatioTable::Figure::kMegaItemsPerSecond);
  benchmark::RunSpecifiedBenchmarks(&table);
  printRatios(table);
  benchmark::Shutdown();
  return 0;
}
