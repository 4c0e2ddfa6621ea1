// Image files for the codec tests, made with the codec libraries themselves (PNG, JPEG) or byte
// by byte (BMP), and the checks the tests share.
#pragma once

#include <png.h>
#include <zlib.h>

#include <cstdio>
// clang-format off
#include <jpeglib.h>
// clang-format on

#include <gtest/gtest.h>

#include <csetjmp>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <utility>
#include <vector>

#include "host/Surface.h"

namespace refhost::testing {

using Bytes = std::vector<std::uint8_t>;

// ---- PNG -----------------------------------------------------------------------------------------

struct PngImage {
  int width = 1;
  int height = 1;
  int bitDepth = 8;
  int colorType = PNG_COLOR_TYPE_RGB;
  bool interlaced = false;
  std::vector<png_color> palette;
  std::vector<png_byte> paletteAlpha;          // tRNS of a palette image
  std::optional<png_color_16> transparent;     // tRNS of a grey or RGB image
  std::vector<std::vector<unsigned>> samples;  // per row, the samples in file order (R, G, B, A / grey / index)

  PngImage(int w, int h, int depth, int type, std::vector<std::vector<unsigned>> rows = {})
      : width(w), height(h), bitDepth(depth), colorType(type), samples(std::move(rows)) {}
  PngImage& withPalette(std::vector<png_color> entries, std::vector<png_byte> alpha = {}) {
    palette = std::move(entries);
    paletteAlpha = std::move(alpha);
    return *this;
  }
  PngImage& withTransparent(png_color_16 colour) {
    transparent = colour;
    return *this;
  }
  PngImage& interlace() {
    interlaced = true;
    return *this;
  }
};

// Packs samples of `depth` bits big-endian, as PNG stores them.
inline Bytes packSamples(const std::vector<unsigned>& samples, int depth) {
  Bytes packed;
  if (depth == 16) {
    for (unsigned sample : samples) {
      packed.push_back(static_cast<std::uint8_t>(sample >> 8));
      packed.push_back(static_cast<std::uint8_t>(sample));
    }
    return packed;
  }
  int used = 8;
  for (unsigned sample : samples) {
    if (used == 8) {
      packed.push_back(0);
      used = 0;
    }
    used += depth;
    packed.back() = static_cast<std::uint8_t>(packed.back() | sample << (8 - used));
  }
  return packed;
}

inline void appendPngBytes(png_structp png, png_bytep data, std::size_t count) {
  auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + count);
}
inline void flushPngBytes(png_structp) {}

inline Bytes writePng(const PngImage& image) {
  std::vector<Bytes> rows;
  for (const auto& row : image.samples) rows.push_back(packSamples(row, image.bitDepth));
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
  png_set_write_fn(png, &out, appendPngBytes, flushPngBytes);
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

// ---- JPEG ----------------------------------------------------------------------------------------

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

// ---- BMP -----------------------------------------------------------------------------------------

inline void put16(Bytes& out, std::uint32_t value) {
  out.push_back(static_cast<std::uint8_t>(value));
  out.push_back(static_cast<std::uint8_t>(value >> 8));
}
inline void put32(Bytes& out, std::uint32_t value) {
  put16(out, value & 0xFFFF);
  put16(out, value >> 16);
}

struct BmpImage {
  std::int32_t width = 1;
  std::int32_t height = 1;  // negative: top-down
  int bpp = 24;
  std::uint32_t compression = 0;
  std::uint32_t headerSize = 40;       // 12, 40, 52, 56, 108 or 124
  std::vector<std::uint32_t> masks;    // after a 40-byte header, or inside the longer ones
  std::vector<std::uint32_t> palette;  // 0x00RRGGBB
  std::uint32_t colorsUsed = 0;
  std::vector<Bytes> rows;  // in file order, without padding

  BmpImage(std::int32_t w, std::int32_t h, int bits, std::vector<Bytes> fileRows = {})
      : width(w), height(h), bpp(bits), rows(std::move(fileRows)) {}
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
  BmpImage& withHeader(std::uint32_t size) {
    headerSize = size;
    return *this;
  }
};

// Assembles the file: headers, masks, palette, rows padded to 4 bytes.
inline Bytes writeBmp(const BmpImage& image) {
  Bytes info;
  if (image.headerSize == 12) {
    put32(info, 12);
    put16(info, static_cast<std::uint32_t>(image.width));
    put16(info, static_cast<std::uint32_t>(image.height));
    put16(info, 1);
    put16(info, static_cast<std::uint32_t>(image.bpp));
  } else {
    put32(info, image.headerSize);
    put32(info, static_cast<std::uint32_t>(image.width));
    put32(info, static_cast<std::uint32_t>(image.height));
    put16(info, 1);
    put16(info, static_cast<std::uint32_t>(image.bpp));
    put32(info, image.compression);
    put32(info, 0);  // image size
    put32(info, 2835);
    put32(info, 2835);
    put32(info, image.colorsUsed);
    put32(info, 0);
    for (std::uint32_t mask : image.masks) put32(info, mask);  // inside the longer headers, or right after
    while (image.headerSize > 40 && info.size() < image.headerSize) info.push_back(0);
  }
  for (std::uint32_t colour : image.palette) {
    info.push_back(static_cast<std::uint8_t>(colour));
    info.push_back(static_cast<std::uint8_t>(colour >> 8));
    info.push_back(static_cast<std::uint8_t>(colour >> 16));
    if (image.headerSize != 12) info.push_back(0);
  }
  Bytes pixels;
  for (const Bytes& row : image.rows) {
    pixels.insert(pixels.end(), row.begin(), row.end());
    while (pixels.size() % 4) pixels.push_back(0);
  }
  Bytes file{'B', 'M'};
  put32(file, static_cast<std::uint32_t>(14 + info.size() + pixels.size()));
  put32(file, 0);
  put32(file, static_cast<std::uint32_t>(14 + info.size()));
  file.insert(file.end(), info.begin(), info.end());
  file.insert(file.end(), pixels.begin(), pixels.end());
  return file;
}

// ---- checks --------------------------------------------------------------------------------------

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

}  // namespace refhost::testing
