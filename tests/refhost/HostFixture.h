// What the reference host's tests share: a fresh host per test whose objects must all be gone when it
// shuts down; image files made with the codec libraries themselves (PNG, JPEG) or byte by byte (BMP); zip
// files written with libzip directly, so archives can be made that the pack tool would never write; and a
// fresh reference Direct3D device with quads in the engine's vertex layout.
#pragma once

#include <png.h>
#include <zip.h>
#include <zlib.h>

#include <cstdio>
// clang-format off
#include <jpeglib.h>
// clang-format on

#include <gtest/gtest.h>

#include <csetjmp>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "host/Surface.h"
#include "refhost/D3DConstants.h"
#include "refhost/Host.h"
#include "refhost/Ledger.h"
#include "refhost/ReferenceDevice.h"

namespace refhost::testing {

class HostFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    liveBefore_ = Ledger::liveObjects();
    host_.emplace();
  }

  void TearDown() override {
    host_.reset();
    EXPECT_EQ(Ledger::liveObjects(), liveBefore_) << "objects of the reference host outlived it";
  }

  Host& host() { return *host_; }
  void shutDownHost() { host_.reset(); }

  // Asks a module's entry point, as the library does.
  static void* create(const char* module, const tamblet::InterfaceId& id) { return Host::moduleInterface(module, &id); }

 private:
  std::int64_t liveBefore_ = 0;
  std::optional<Host> host_;
};

using Bytes = std::vector<std::uint8_t>;

struct PngImage {
  int width, height, bitDepth, colorType;
  std::vector<std::vector<unsigned>> samples;  // per row, the samples in file order (R, G, B, A / grey / index)
  bool interlaced = false;
  std::vector<png_color> palette;
  std::vector<png_byte> paletteAlpha;       // tRNS of a palette image
  std::optional<png_color_16> transparent;  // tRNS of a grey or RGB image

  PngImage(int w, int h, int depth, int type, std::vector<std::vector<unsigned>> rows = {}, bool adam7 = false)
      : width(w), height(h), bitDepth(depth), colorType(type), samples(std::move(rows)), interlaced(adam7) {}

  PngImage& withPalette(std::vector<png_color> entries, std::vector<png_byte> alpha = {}) {
    palette = std::move(entries);
    paletteAlpha = std::move(alpha);
    return *this;
  }
  PngImage& withTransparent(png_color_16 colour) {
    transparent = colour;
    return *this;
  }
};

inline void appendPngBytes(png_structp png, png_bytep data, std::size_t count) {
  auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + count);
}

inline Bytes writePng(const PngImage& image) {
  std::vector<Bytes> rows;  // samples packed big-endian at the image's depth, as PNG stores them
  for (const auto& samples : image.samples) {
    Bytes& row = rows.emplace_back();
    int used = 8;
    for (unsigned sample : samples) {
      if (image.bitDepth == 16) {
        row.insert(row.end(), {static_cast<std::uint8_t>(sample >> 8), static_cast<std::uint8_t>(sample)});
        continue;
      }
      if (used == 8) row.push_back(0), used = 0;
      used += image.bitDepth;
      row.back() = static_cast<std::uint8_t>(row.back() | sample << (8 - used));
    }
  }
  std::vector<png_bytep> rowPointers;
  for (Bytes& row : rows) rowPointers.push_back(row.data());
  Bytes out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    ADD_FAILURE() << "libpng could not write the test image";
    return {};
  }
  png_set_write_fn(png, &out, appendPngBytes, [](png_structp) {});
  png_set_IHDR(png, info, static_cast<png_uint_32>(image.width), static_cast<png_uint_32>(image.height), image.bitDepth,
               image.colorType, image.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (!image.palette.empty()) png_set_PLTE(png, info, image.palette.data(), static_cast<int>(image.palette.size()));
  if (!image.paletteAlpha.empty()) {
    png_set_tRNS(png, info, image.paletteAlpha.data(), static_cast<int>(image.paletteAlpha.size()), nullptr);
  } else if (image.transparent) {
    png_set_tRNS(png, info, nullptr, 0, &*image.transparent);
  }
  png_write_info(png, info);
  png_write_image(png, rowPointers.data());
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return out;
}

// Rewrites the IHDR's width and height and its checksum.
inline void setPngSize(Bytes& png, std::uint32_t width, std::uint32_t height) {
  for (int i = 0; i < 4; ++i) {
    png[16 + i] = static_cast<std::uint8_t>(width >> (24 - 8 * i));
    png[20 + i] = static_cast<std::uint8_t>(height >> (24 - 8 * i));
  }
  const uLong crc = crc32(0, png.data() + 12, 17);
  for (int i = 0; i < 4; ++i) png[29 + i] = static_cast<std::uint8_t>(crc >> (24 - 8 * i));
}

// `samples`: width × height × components bytes (grey, or R, G, B).
inline Bytes writeJpeg(int width, int height, int components, const Bytes& samples, int quality = 90,
                       bool progressive = false) {
  jpeg_compress_struct info{};
  jpeg_error_mgr errors{};
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &buffer, &size);
  info.image_width = static_cast<JDIMENSION>(width);
  info.image_height = static_cast<JDIMENSION>(height);
  info.input_components = components;
  info.in_color_space = components == 1 ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, quality, TRUE);
  if (progressive) jpeg_simple_progression(&info);
  jpeg_start_compress(&info, TRUE);
  while (info.next_scanline < info.image_height) {
    auto* row = const_cast<JSAMPLE*>(samples.data() + std::size_t{info.next_scanline} * width * components);
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  Bytes out(buffer, buffer + size);
  std::free(buffer);
  return out;
}

// What libjpeg itself makes of the file: R, G, B per pixel.
inline Bytes readJpegRgb(const Bytes& file) {
  jpeg_decompress_struct info{};
  jpeg_error_mgr errors{};
  info.err = jpeg_std_error(&errors);
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, file.data(), file.size());
  jpeg_read_header(&info, TRUE);
  info.out_color_space = JCS_RGB;
  jpeg_start_decompress(&info);
  Bytes rgb(std::size_t{info.output_width} * info.output_height * 3);
  while (info.output_scanline < info.output_height) {
    JSAMPROW row = rgb.data() + std::size_t{info.output_scanline} * info.output_width * 3;
    jpeg_read_scanlines(&info, &row, 1);
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  return rgb;
}

// Appends `value` little-endian in `size` bytes.
inline void put(Bytes& out, std::uint32_t value, int size) {
  for (int i = 0; i < size; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

struct BmpImage {
  std::int32_t width, height;  // negative height: top-down
  int bpp;
  std::vector<Bytes> rows;  // in file order, without padding
  std::uint32_t compression = 0;
  std::uint32_t headerSize = 40;       // 12, 40, 52, 56, 108 or 124
  std::vector<std::uint32_t> masks;    // after a 40-byte header, or inside the longer ones
  std::vector<std::uint32_t> palette;  // 0x00RRGGBB
  std::uint32_t colorsUsed = 0;

  BmpImage(std::int32_t w, std::int32_t h, int bits, std::vector<Bytes> fileRows = {}, std::uint32_t header = 40)
      : width(w), height(h), bpp(bits), rows(std::move(fileRows)), headerSize(header) {}

  BmpImage& withMasks(std::uint32_t kind, std::vector<std::uint32_t> bitMasks) {
    compression = kind;
    masks = std::move(bitMasks);
    return *this;
  }
  BmpImage& withPalette(std::vector<std::uint32_t> entries, std::uint32_t used = 0) {
    palette = std::move(entries);
    colorsUsed = used;
    return *this;
  }
};

// Assembles the file: headers, masks, palette, rows padded to 4 bytes.
inline Bytes writeBmp(const BmpImage& image) {
  Bytes info;
  const int side = image.headerSize == 12 ? 2 : 4;  // the core header has 16-bit sides
  put(info, image.headerSize, 4);
  put(info, static_cast<std::uint32_t>(image.width), side);
  put(info, static_cast<std::uint32_t>(image.height), side);
  put(info, 1, 2);
  put(info, static_cast<std::uint32_t>(image.bpp), 2);
  if (image.headerSize != 12) {
    for (std::uint32_t value : {image.compression, 0u, 2835u, 2835u, image.colorsUsed, 0u}) put(info, value, 4);
    for (std::uint32_t mask : image.masks) put(info, mask, 4);
    while (image.headerSize > 40 && info.size() < image.headerSize) info.push_back(0);
  }
  for (std::uint32_t colour : image.palette) put(info, colour, image.headerSize == 12 ? 3 : 4);
  Bytes pixels;
  for (const Bytes& row : image.rows) {
    pixels.insert(pixels.end(), row.begin(), row.end());
    while (pixels.size() % 4) pixels.push_back(0);
  }
  Bytes file{'B', 'M'};
  for (std::size_t value : {14 + info.size() + pixels.size(), std::size_t{0}, 14 + info.size()})
    put(file, static_cast<std::uint32_t>(value), 4);
  file.insert(file.end(), info.begin(), info.end());
  file.insert(file.end(), pixels.begin(), pixels.end());
  return file;
}

// The pixel at (x, y) of a 32-bit surface as 0xAARRGGBB.
inline std::uint32_t pixelAt(tamblet::ISurface& surface, int x, int y) {
  const std::uint8_t* at = surface.GetPixelAddress(x, y);
  return std::uint32_t{at[0]} | std::uint32_t{at[1]} << 8 | std::uint32_t{at[2]} << 16 | std::uint32_t{at[3]} << 24;
}

// Expects a 32-bit surface of the given pixels (row by row, 0xAARRGGBB) and alpha-map presence.
inline void expectPixels(tamblet::ISurface* surface, int width, int height, const std::vector<std::uint32_t>& pixels,
                         bool alphaMap) {
  ASSERT_NE(surface, nullptr);
  ASSERT_EQ(surface->GetWidth(), width);
  ASSERT_EQ(surface->GetHeight(), height);
  EXPECT_EQ(surface->GetBpp(), 32);
  EXPECT_TRUE(surface->HasPixel());
  EXPECT_EQ(surface->HasAMap(), alphaMap);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      ASSERT_EQ(pixelAt(*surface, x, y), pixels[static_cast<std::size_t>(y * width + x)]) << "at " << x << ", " << y;
    }
  }
}

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempFolder {
 public:
  TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "tamblet-archive-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  std::string operator/(const std::string& name) const { return (path_ / name).string(); }
  std::string str() const { return path_.string(); }

 private:
  std::filesystem::path path_;
};

// Bytes that do not repeat (so stored and deflated data differ everywhere), from a seed.
inline Bytes patternBytes(std::size_t size, std::uint32_t seed) {
  Bytes bytes(size);
  std::uint32_t state = seed * 2654435761u + 1;
  for (auto& byte : bytes) byte = static_cast<std::uint8_t>((state = state * 1664525u + 1013904223u) >> 24);
  return bytes;
}

inline Bytes textBytes(const std::string& text) {
  return Bytes(text.begin(), text.end());
}

inline void writeFile(const std::string& path, const Bytes& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline Bytes readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

struct ZipEntry {
  std::string name;
  Bytes bytes;
  bool stored = true;
};

// Writes (or, with `append`, adds to) a zip file holding exactly these entries.
inline void writeZip(const std::string& path, const std::vector<ZipEntry>& entries, bool append = false) {
  zip_t* archive = zip_open(path.c_str(), append ? 0 : ZIP_CREATE | ZIP_TRUNCATE, nullptr);
  if (!archive) throw std::runtime_error("zip_open failed");
  for (const ZipEntry& entry : entries) {
    zip_source_t* source = zip_source_buffer(archive, entry.bytes.data(), entry.bytes.size(), 0);
    const zip_int64_t index = zip_file_add(archive, entry.name.c_str(), source, ZIP_FL_OVERWRITE);
    if (index < 0) throw std::runtime_error("zip_file_add failed");
    zip_set_file_compression(archive, static_cast<zip_uint64_t>(index), entry.stored ? ZIP_CM_STORE : ZIP_CM_DEFLATE,
                             0);
  }
  if (zip_close(archive) != 0) throw std::runtime_error("zip_close failed");
}

// The bytes of one entry as libzip reads them, and its compression method.
inline std::pair<Bytes, int> readZipEntry(const std::string& path, const std::string& name) {
  zip_t* archive = zip_open(path.c_str(), ZIP_RDONLY, nullptr);
  zip_stat_t stat;
  std::pair<Bytes, int> entry{{}, -1};
  if (archive && zip_stat(archive, name.c_str(), 0, &stat) == 0) {
    entry = {Bytes(stat.size), stat.comp_method};
    if (zip_file_t* file = zip_fopen(archive, name.c_str(), 0)) {
      zip_fread(file, entry.first.data(), entry.first.size());
      zip_fclose(file);
    }
  }
  if (archive) zip_discard(archive);
  return entry;
}

// Offsets of the records with this signature (PK\1\2 central directory, PK\5\6 its end).
inline std::vector<std::size_t> zipRecords(const Bytes& zip, std::uint8_t kind) {
  std::vector<std::size_t> found;
  for (std::size_t i = 0; i + 22 <= zip.size(); ++i)
    if (zip[i] == 'P' && zip[i + 1] == 'K' && zip[i + 2] == kind && zip[i + 3] == kind + 1) found.push_back(i);
  return found;
}

inline void putWord(Bytes& bytes, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

struct Vertex {
  float x, y, z, rhw;
  std::uint32_t diffuse;
  float u, v;
};

// The reference Direct3D device's tests: vertices in the engine's layout (FVF 0x144), quads in
// triangle-strip order, and a fresh device per test whose objects must all be gone when it is released.

// A quad from (x0, y0) to (x1, y1) with texture coordinates from (u0, v0) to (u1, v1), in strip order.
inline std::vector<Vertex> quad(float x0, float y0, float x1, float y1, std::uint32_t diffuse = 0xFFFFFFFFu, float u0 = 0,
                                float v0 = 0, float u1 = 1, float v1 = 1) {
  return {{x0, y0, 0.5f, 1, diffuse, u0, v0}, {x1, y0, 0.5f, 1, diffuse, u1, v0}, {x0, y1, 0.5f, 1, diffuse, u0, v1},
          {x1, y1, 0.5f, 1, diffuse, u1, v1}};
}

class DeviceFixture : public ::testing::Test {
 protected:
  explicit DeviceFixture(std::int32_t width = 8, std::int32_t height = 8, bool depth = true)
      : width_(width), height_(height), depth_(depth) {}

  void SetUp() override {
    liveBefore_ = Ledger::liveObjects();
    device_ = new ReferenceDevice(width_, height_, depth_);
  }

  void TearDown() override {
    for (tamblet::IDirect3DTexture9* texture : textures_) texture->Release();
    textures_.clear();
    EXPECT_EQ(device_->liveResources(), 0);
    EXPECT_EQ(device_->referenceCount(), 1);
    EXPECT_EQ(device_->Release(), 0u);
    EXPECT_EQ(Ledger::liveObjects(), liveBefore_) << "objects of the reference device outlived it";
  }

  ReferenceDevice& device() { return *device_; }

  // A managed width × height texture holding `texels` row by row (0xAARRGGBB), released at the end.
  tamblet::IDirect3DTexture9* texture(std::int32_t width, std::int32_t height, const std::vector<std::uint32_t>& texels) {
    tamblet::IDirect3DTexture9* made = nullptr;
    EXPECT_EQ(device_->CreateTexture(width, height, 1, 0, tamblet::D3DFMT_A8R8G8B8, tamblet::D3DPOOL_MANAGED, &made, nullptr),
              tamblet::D3D_OK);
    if (!made) return nullptr;
    tamblet::D3DLOCKED_RECT locked{};
    EXPECT_EQ(made->LockRect(0, &locked, nullptr, 0), tamblet::D3D_OK);
    for (std::int32_t y = 0; y < height; ++y)
      for (std::int32_t x = 0; x < width; ++x)
        static_cast<std::uint32_t*>(locked.pBits)[y * (locked.Pitch / 4) + x] = texels[static_cast<std::size_t>(y * width + x)];
    EXPECT_EQ(made->UnlockRect(0), tamblet::D3D_OK);
    textures_.push_back(made);
    return made;
  }

  // Draws `vertices` (FVF 0x144) as one strip or list inside a scene.
  tamblet::HRESULT draw(const std::vector<Vertex>& vertices, tamblet::D3DPRIMITIVETYPE type = tamblet::D3DPT_TRIANGLESTRIP) {
    const auto primitives = static_cast<tamblet::UINT>(type == tamblet::D3DPT_TRIANGLELIST ? vertices.size() / 3 : vertices.size() - 2);
    EXPECT_EQ(device_->BeginScene(), tamblet::D3D_OK);
    EXPECT_EQ(device_->SetFVF(0x144), tamblet::D3D_OK);
    const tamblet::HRESULT result = device_->DrawPrimitiveUP(type, primitives, vertices.data(), sizeof(Vertex));
    EXPECT_EQ(device_->EndScene(), tamblet::D3D_OK);
    return result;
  }

  // Stage 0 passes the diffuse colour and alpha straight through; blending and culling off.
  void drawDiffuseOnly() {
    device_->SetRenderState(tamblet::D3DRS_CULLMODE, tamblet::D3DCULL_NONE);
    device_->SetTextureStageState(0, tamblet::D3DTSS_COLOROP, tamblet::D3DTOP_SELECTARG1);
    device_->SetTextureStageState(0, tamblet::D3DTSS_COLORARG1, tamblet::D3DTA_DIFFUSE);
    device_->SetTextureStageState(0, tamblet::D3DTSS_ALPHAOP, tamblet::D3DTOP_SELECTARG1);
    device_->SetTextureStageState(0, tamblet::D3DTSS_ALPHAARG1, tamblet::D3DTA_DIFFUSE);
  }

  std::uint32_t pixel(std::int32_t x, std::int32_t y) const {
    return device_->backBuffer()[y * (device_->backBufferPitch() / 4) + x];
  }

  // The back buffer's rows as text: '#' where the pixel is not `background`.
  std::vector<std::string> coverage(std::uint32_t background = 0) const {
    std::vector<std::string> rows;
    for (std::int32_t y = 0; y < device_->height(); ++y) {
      std::string& row = rows.emplace_back();
      for (std::int32_t x = 0; x < device_->width(); ++x) row += pixel(x, y) == background ? '.' : '#';
    }
    return rows;
  }

  void clear(std::uint32_t colour) {
    ASSERT_EQ(device_->Clear(0, nullptr, tamblet::D3DCLEAR_TARGET, colour, 1.0f, 0), tamblet::D3D_OK);
  }

 private:
  std::int32_t width_, height_;
  bool depth_;
  std::int64_t liveBefore_ = 0;
  ReferenceDevice* device_ = nullptr;
  std::vector<tamblet::IDirect3DTexture9*> textures_;
};

}  // namespace refhost::testing
