// The CG path's costs: a cache hit through the lookup (target under 100 ns, the same for 50 or
// 50,000 entries), and loading plus decoding a 1280 × 720 PNG and JPEG from a CG archive against
// decoding the same bytes with libpng / libjpeg alone (target at most 1.1 times).
//
// The codec libraries come into the process with the reference host; the baseline takes their
// functions from the process by name, so this file needs no link line of its own.
#include <benchmark/benchmark.h>
#include <dlfcn.h>
#include <jpeglib.h>
#include <png.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "host/Ref.h"
#include "image/CCGCache.h"
#include "image/CGSources.h"
#include "refhost/CgArchiveWriter.h"
#include "refhost/ImageDecoder.h"
#include "refhost/ImageEncoder.h"
#include "refhost/KovFile.h"
#include "refhost/SurfaceFactory.h"

namespace {

using tamblet::CCGCache;
using tamblet::CGSources;
using tamblet::ISurface;
using tamblet::Ref;
using Bytes = std::vector<std::uint8_t>;

// A function of the codec libraries, found in the process.
template <class Function>
Function* codec(Function*, const char* name) {
  void* address = dlsym(RTLD_DEFAULT, name);
  if (!address) throw std::runtime_error(std::string("codec function missing: ") + name);
  return reinterpret_cast<Function*>(address);
}
#define CODEC(name) codec(&name, #name)

// ---- Cache hits ----

void cacheHit(benchmark::State& state) {
  const auto entries = static_cast<std::int32_t>(state.range(0));
  Ref<refhost::SurfaceFactory> factory = Ref<refhost::SurfaceFactory>::adopt(new refhost::SurfaceFactory());
  Ref<CCGCache> cache = Ref<CCGCache>::adopt(CCGCache::create(factory.get(), nullptr, 0xFFFFFFFFu));
  for (std::int32_t cg = 1; cg <= entries; ++cg) {
    Ref<ISurface> surface = Ref<ISurface>::adopt(factory->CreatePixelOnly(1, 1, 32));
    cache->Register(cg, surface.get());
  }
  CGSources sources;
  sources.setUp({cache.get(), nullptr, nullptr, factory.get()}, false);
  std::mt19937 random(99);
  std::uniform_int_distribution<std::int32_t> pick(1, entries);
  std::vector<std::int32_t> keys(4096);
  for (std::int32_t& key : keys) key = pick(random);
  std::size_t next = 0;
  for (auto _ : state) {
    ISurface* surface = sources.getCGSurface(keys[next++ & 4095]);
    benchmark::DoNotOptimize(surface);
    surface->Release();
  }
  sources.forgetServices();
}
BENCHMARK(cacheHit)->Arg(50)->Arg(5'000)->Arg(50'000);

// ---- Archive load and decode against the codec alone ----

constexpr int kWidth = 1280, kHeight = 720;

// A photograph-like picture: smooth gradients with some noise, B, G, R, A = 255.
Bytes picture() {
  Bytes pixels(static_cast<std::size_t>(kWidth) * kHeight * 4);
  std::mt19937 random(5);
  std::uniform_int_distribution<int> noise(-6, 6);
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) {
      std::uint8_t* p = &pixels[(static_cast<std::size_t>(y) * kWidth + x) * 4];
      p[0] = static_cast<std::uint8_t>(std::clamp(x * 255 / kWidth + noise(random), 0, 255));
      p[1] = static_cast<std::uint8_t>(std::clamp(y * 255 / kHeight + noise(random), 0, 255));
      p[2] = static_cast<std::uint8_t>(std::clamp((x + y) % 256 + noise(random), 0, 255));
      p[3] = 255;
    }
  return pixels;
}

Bytes pngBytes(const Bytes& pixels) {
  Ref<refhost::SurfaceFactory> factory = Ref<refhost::SurfaceFactory>::adopt(new refhost::SurfaceFactory());
  Ref<ISurface> surface = Ref<ISurface>::adopt(factory->CreatePixelOnly(kWidth, kHeight, 32));
  for (int y = 0; y < kHeight; ++y)
    std::copy_n(&pixels[static_cast<std::size_t>(y) * kWidth * 4], kWidth * 4, surface->GetPixelAddress(0, y));
  Ref<refhost::ImageEncoder> encoder = Ref<refhost::ImageEncoder>::adopt(new refhost::ImageEncoder());
  Ref<tamblet::IMemory> block = Ref<tamblet::IMemory>::adopt(encoder->Encode(surface.get(), 0));
  return Bytes(block->GetBuffer(), block->GetBuffer() + block->GetSize());
}

Bytes jpegBytes(const Bytes& pixels) {
  jpeg_compress_struct info{};
  jpeg_error_mgr errors{};
  info.err = CODEC(jpeg_std_error)(&errors);
  CODEC(jpeg_CreateCompress)(&info, JPEG_LIB_VERSION, sizeof info);
  unsigned char* out = nullptr;
  unsigned long size = 0;
  CODEC(jpeg_mem_dest)(&info, &out, &size);
  info.image_width = kWidth;
  info.image_height = kHeight;
  info.input_components = 4;
  info.in_color_space = JCS_EXT_BGRA;
  CODEC(jpeg_set_defaults)(&info);
  CODEC(jpeg_set_quality)(&info, 90, TRUE);
  CODEC(jpeg_start_compress)(&info, TRUE);
  auto writeScanlines = CODEC(jpeg_write_scanlines);
  while (info.next_scanline < info.image_height) {
    JSAMPROW row = const_cast<std::uint8_t*>(&pixels[static_cast<std::size_t>(info.next_scanline) * kWidth * 4]);
    writeScanlines(&info, &row, 1);
  }
  CODEC(jpeg_finish_compress)(&info);
  CODEC(jpeg_destroy_compress)(&info);
  Bytes bytes(out, out + size);
  std::free(out);
  return bytes;
}

// The two pictures packed into a CG archive file: CG 1 the PNG, CG 2 the JPEG.
struct ArchiveFixture {
  ArchiveFixture() {
    const Bytes pixels = picture();
    png = pngBytes(pixels);
    jpeg = jpegBytes(pixels);
    folder = std::filesystem::temp_directory_path() / ("tamblet-cg-bench-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    std::vector<refhost::CgSourceFile> files;
    for (auto [cg, extension, bytes] : {std::tuple{1, "png", &png}, std::tuple{2, "jpg", &jpeg}}) {
      const std::string path = (folder / (std::to_string(cg) + "." + extension)).string();
      std::ofstream(path, std::ios::binary)
          .write(reinterpret_cast<const char*>(bytes->data()), static_cast<std::streamsize>(bytes->size()));
      files.push_back({cg, path, extension, bytes->size()});
    }
    std::string error;
    if (!refhost::writeCgArchive(files, (folder / "cg.kov").string(), error)) throw std::runtime_error(error);
  }
  ~ArchiveFixture() { std::filesystem::remove_all(folder); }

  Bytes png, jpeg;
  std::filesystem::path folder;
};

ArchiveFixture& archive() {
  static ArchiveFixture fixture;
  return fixture;
}

void loadFromArchive(benchmark::State& state) {
  const auto cg = static_cast<std::int32_t>(state.range(0));
  Ref<refhost::SurfaceFactory> factory = Ref<refhost::SurfaceFactory>::adopt(new refhost::SurfaceFactory());
  Ref<refhost::ImageDecoder> decoder = Ref<refhost::ImageDecoder>::adopt(new refhost::ImageDecoder(*factory));
  Ref<tamblet::IKOVFile> file =
      Ref<tamblet::IKOVFile>::adopt(refhost::KovFile::open((archive().folder / "cg.kov").string()));
  if (!file) throw std::runtime_error("archive did not open");
  for (auto _ : state) {
    // A fresh (empty) cache each time, so every lookup loads and decodes.
    Ref<CCGCache> cache = Ref<CCGCache>::adopt(CCGCache::create(factory.get(), nullptr, 64u << 20));
    CGSources sources;
    sources.setUp({cache.get(), file.get(), decoder.get(), factory.get()}, false);
    ISurface* surface = sources.getCGSurface(cg);
    if (!surface) throw std::runtime_error("decoding failed");
    surface->Release();
    sources.forgetServices();
  }
  state.SetLabel(cg == 1 ? "PNG" : "JPEG");
}
BENCHMARK(loadFromArchive)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

void libpngAlone(benchmark::State& state) {
  const Bytes& bytes = archive().png;
  Bytes pixels(static_cast<std::size_t>(kWidth) * kHeight * 4);
  auto begin = CODEC(png_image_begin_read_from_memory);
  auto finish = CODEC(png_image_finish_read);
  for (auto _ : state) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!begin(&image, bytes.data(), bytes.size())) throw std::runtime_error("png header");
    image.format = PNG_FORMAT_BGRA;
    if (!finish(&image, nullptr, pixels.data(), 0, nullptr)) throw std::runtime_error("png data");
    benchmark::DoNotOptimize(pixels.data());
  }
}
BENCHMARK(libpngAlone)->Unit(benchmark::kMillisecond);

// Arg 0: one output buffer reused; arg 1: a fresh zeroed buffer per decode, as a new surface is.
void libjpegAlone(benchmark::State& state) {
  const Bytes& bytes = archive().jpeg;
  const bool fresh = state.range(0) != 0;
  Bytes pixels(static_cast<std::size_t>(kWidth) * kHeight * 4);
  auto stdError = CODEC(jpeg_std_error);
  auto create = CODEC(jpeg_CreateDecompress);
  auto memorySource = CODEC(jpeg_mem_src);
  auto readHeader = CODEC(jpeg_read_header);
  auto start = CODEC(jpeg_start_decompress);
  auto readScanlines = CODEC(jpeg_read_scanlines);
  auto finish = CODEC(jpeg_finish_decompress);
  auto destroy = CODEC(jpeg_destroy_decompress);
  for (auto _ : state) {
    if (fresh) Bytes(pixels.size()).swap(pixels);
    jpeg_decompress_struct info{};
    jpeg_error_mgr errors{};
    info.err = stdError(&errors);
    create(&info, JPEG_LIB_VERSION, sizeof info);
    memorySource(&info, bytes.data(), bytes.size());
    readHeader(&info, TRUE);
    info.out_color_space = JCS_EXT_BGRA;
    start(&info);
    while (info.output_scanline < info.output_height) {
      JSAMPROW row = &pixels[static_cast<std::size_t>(info.output_scanline) * kWidth * 4];
      readScanlines(&info, &row, 1);
    }
    finish(&info);
    destroy(&info);
    benchmark::DoNotOptimize(pixels.data());
  }
}
BENCHMARK(libjpegAlone)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The archive's share: the CG's bytes read into a block, nothing decoded.
void archiveLoadOnly(benchmark::State& state) {
  Ref<tamblet::IKOVFile> file =
      Ref<tamblet::IKOVFile>::adopt(refhost::KovFile::open((archive().folder / "cg.kov").string()));
  for (auto _ : state) {
    Ref<tamblet::IMemory> block = Ref<tamblet::IMemory>::adopt(file->Load(static_cast<std::int32_t>(state.range(0))));
    benchmark::DoNotOptimize(block.get());
  }
}
BENCHMARK(archiveLoadOnly)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
