// The image decoder module: formats by signature, one row per format family with its exact pixels
// (BMP, the module's own parser, at every depth, header and mask), JPEGs as libjpeg decodes them,
// and every refusal of untrusted input (cut short, oversized, malformed, bit flips) without a leak.
#include <gtest/gtest.h>
#include <png.h>
#include <zlib.h>

#include <cstdio>
// clang-format off
#include <jpeglib.h>
// clang-format on

#include <algorithm>
#include <filesystem>
#include <random>
#include <string>

#include "host/Modules.h"
#include "refhost/ImageDecoder.h"
#include "tests/refhost/HostFixture.h"
#include "tests/support/VTable.h"

namespace refhost::testing {
namespace {

using tamblet::testing::callSlot;

std::uint32_t argb(std::uint32_t a, std::uint32_t r, std::uint32_t g, std::uint32_t b) {
  return a << 24 | r << 16 | g << 8 | b;
}
std::uint32_t opaque(std::uint32_t rgb) {
  return 0xFF000000u | rgb;
}
std::uint32_t grey(std::uint32_t v, std::uint32_t a = 255) {
  return argb(a, v, v, v);
}

std::vector<std::uint32_t> opaques(std::initializer_list<std::uint32_t> rgbs) {
  std::vector<std::uint32_t> pixels;
  for (std::uint32_t rgb : rgbs) pixels.push_back(opaque(rgb));
  return pixels;
}

class ImageDecoderTest : public HostFixture {
 protected:
  void SetUp() override {
    HostFixture::SetUp();
    decoder_ = static_cast<tamblet::IDecodeCG*>(create(tamblet::kModuleImageDecoder, tamblet::kIID_IDecodeCG));
    ASSERT_NE(decoder_, nullptr);
  }
  void TearDown() override {
    if (decoder_) decoder_->Release();
    HostFixture::TearDown();
  }

  tamblet::ISurface* decode(const Bytes& file) {
    return decoder_->Decode(file.data(), static_cast<std::uint32_t>(file.size()));
  }

  // Each file that decodes as expected is also left in TAMBLET_DECODER_SEED_DIR, as the seed corpus of the
  // decoder's fuzz target.
  void expectDecoded(const Bytes& file, int width, int height, const std::vector<std::uint32_t>& pixels,
                     bool alphaMap) {
#ifdef TAMBLET_DECODER_SEED_DIR
    std::filesystem::create_directories(TAMBLET_DECODER_SEED_DIR);
    writeFile(std::string(TAMBLET_DECODER_SEED_DIR) + "/" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name() + std::to_string(seeds_++),
              file);
#endif
    tamblet::ISurface* surface = decode(file);
    expectPixels(surface, width, height, pixels, alphaMap);
    if (surface) {
      EXPECT_EQ(surface->Release(), 0);
    }
  }

  void expectRefused(const Bytes& file, const std::string& what) {
    EXPECT_EQ(decode(file), nullptr) << what;
    EXPECT_EQ(Ledger::liveObjects("Surface"), 0) << what;
  }

  tamblet::IDecodeCG* decoder_ = nullptr;
  int seeds_ = 0;
};

// A PNG from libpng's simplified writer: `format` is a PNG_FORMAT_*, `pixels` rows without padding,
// `colormap` the entries of a colour-mapped format.
Bytes writePng(png_uint_32 width, png_uint_32 height, png_uint_32 format, const void* pixels,
               const std::vector<std::uint8_t>& colormap = {}) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = width;
  image.height = height;
  image.format = format;
  image.colormap_entries = static_cast<png_uint_32>(colormap.size() / 4);
  png_alloc_size_t size = 0;
  const void* entries = colormap.empty() ? nullptr : colormap.data();
  png_image_write_to_memory(&image, nullptr, &size, 0, pixels, 0, entries);
  Bytes out(size);
  EXPECT_TRUE(png_image_write_to_memory(&image, out.data(), &size, 0, pixels, 0, entries)) << image.message;
  return out;
}

// Rewrites the IHDR's width and height and its checksum.
void setPngSize(Bytes& png, std::uint32_t width, std::uint32_t height) {
  for (int i = 0; i < 4; ++i) {
    png[16 + i] = static_cast<std::uint8_t>(width >> (24 - 8 * i));
    png[20 + i] = static_cast<std::uint8_t>(height >> (24 - 8 * i));
  }
  const uLong crc = crc32(0, png.data() + 12, 17);
  for (int i = 0; i < 4; ++i) png[29 + i] = static_cast<std::uint8_t>(crc >> (24 - 8 * i));
}

Bytes smallRgbaPng() {
  const std::uint8_t pixels[] = {10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 110, 120, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
  return writePng(3, 2, PNG_FORMAT_RGBA, pixels);
}

// `samples`: grey, R G B, or C M Y K; `scans`, when given, the scan script of a progressive file.
Bytes writeJpeg(int width, int height, int components, const Bytes& samples, int quality = 90,
                bool progressive = false, const std::vector<jpeg_scan_info>& scans = {}) {
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
  info.in_color_space = components == 1 ? JCS_GRAYSCALE : components == 3 ? JCS_RGB : JCS_CMYK;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, quality, TRUE);
  if (progressive) jpeg_simple_progression(&info);
  if (!scans.empty()) info.scan_info = scans.data(), info.num_scans = static_cast<int>(scans.size());
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
Bytes readJpegRgb(const Bytes& file) {
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
void put(Bytes& out, std::uint32_t value, int size) {
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
Bytes writeBmp(const BmpImage& image) {
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

Bytes smallJpeg(int components = 3) {
  Bytes samples(16 * 16 * components);
  for (std::size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<std::uint8_t>(i * 7 % 251);
  return writeJpeg(16, 16, components, samples);
}

Bytes smallBmp24() {
  return writeBmp({3, 2, 24, {{1, 2, 3, 4, 5, 6, 7, 8, 9}, {9, 8, 7, 6, 5, 4, 3, 2, 1}}});
}

// 1-5-5-5 through BI_ALPHABITFIELDS after a 40-byte header: red opaque, blue transparent.
Bytes argb1555Bmp() {
  return writeBmp(BmpImage{2, 1, 16, {{0x00, 0xFC, 0x1F, 0x00}}}.withMasks(6, {0x7C00, 0x03E0, 0x001F, 0x8000}));
}

TEST_F(ImageDecoderTest, AnswersAtItsSlotsAndNamesFormatsBySignature) {
  const Bytes png = smallRgbaPng(), jpeg = smallJpeg(), bmp = smallBmp24();
  EXPECT_EQ(callSlot<std::int32_t>(decoder_, 3, static_cast<const void*>(png.data()), 8u), tamblet::kImageFormatPng);
  EXPECT_EQ(decoder_->GetFormat(jpeg.data(), 3), tamblet::kImageFormatJpeg);
  EXPECT_EQ(decoder_->GetFormat(bmp.data(), 2), tamblet::kImageFormatBmp);
  EXPECT_EQ(decoder_->GetFormat(png.data(), 7), tamblet::kImageFormatUnknown);  // signature cut short
  EXPECT_EQ(decoder_->GetFormat(jpeg.data(), 2), tamblet::kImageFormatUnknown);
  EXPECT_EQ(decoder_->GetFormat("GIF89a", 6), tamblet::kImageFormatUnknown);
  EXPECT_EQ(decoder_->GetFormat(nullptr, 100), tamblet::kImageFormatUnknown);
  EXPECT_EQ(decoder_->GetFormat(png.data(), 0), tamblet::kImageFormatUnknown);

  auto* surface = callSlot<tamblet::ISurface*>(decoder_, 2, static_cast<const void*>(bmp.data()),
                                               static_cast<std::uint32_t>(bmp.size()));
  // Bottom-up: the second row of the file is the top row.
  expectPixels(
      surface, 3, 2,
      {opaque(0x070809), opaque(0x040506), opaque(0x010203), opaque(0x030201), opaque(0x060504), opaque(0x090807)},
      false);
  if (surface) {
    EXPECT_EQ(surface->Release(), 0);
  }
  EXPECT_EQ(host().surfaceFactory().surfacesMade(), 1);  // made by the host's factory
  EXPECT_EQ(decoder_->Decode(nullptr, 100), nullptr);
  EXPECT_EQ(decoder_->Decode(png.data(), 0), nullptr);
  EXPECT_EQ(decoder_->Decode("GIF89a", 6), nullptr);
  EXPECT_EQ(create(tamblet::kModuleImageDecoder, tamblet::kIID_IImageEncoder), nullptr);
  host().withholdModule(tamblet::kModuleImageDecoder);
  EXPECT_EQ(create(tamblet::kModuleImageDecoder, tamblet::kIID_IDecodeCG), nullptr);
}

// One row per PNG family (libpng expands them): grey, grey with alpha, 16-bit colour cut to 8 bits,
// and a palette whose transparency chunk gives the alpha map.
TEST_F(ImageDecoderTest, PngFamiliesComeOutAsBgraWithAnAlphaMapWhenTransparent) {
  const std::uint8_t greys[] = {0, 77, 255}, greyAlpha[] = {50, 0, 200, 99}, indexes[] = {2, 0, 1};
  expectDecoded(writePng(3, 1, PNG_FORMAT_GRAY, greys), 3, 1, {grey(0), grey(77), grey(255)}, false);
  expectDecoded(writePng(2, 1, PNG_FORMAT_GA, greyAlpha), 2, 1, {grey(50, 0), grey(200, 99)}, true);
  const std::uint16_t deep[] = {0x1212, 0xABAB, 0xFFFF, 0, 0x8080, 0x0101};
  expectDecoded(writePng(2, 1, PNG_FORMAT_LINEAR_RGB, deep), 2, 1, {opaque(0x12ABFF), opaque(0x008001)}, false);
  expectDecoded(writePng(3, 1, PNG_FORMAT_RGBA_COLORMAP, indexes, {255, 0, 0, 255, 10, 20, 30, 128, 1, 2, 3, 0}), 3, 1,
                {argb(0, 1, 2, 3), argb(255, 255, 0, 0), argb(128, 10, 20, 30)}, true);
}

TEST_F(ImageDecoderTest, JpegsMatchWhatLibjpegDecodesAndAreOpaque) {
  for (const int components : {1, 3}) {
    for (const bool progressive : {false, true}) {
      SCOPED_TRACE(::testing::Message() << components << " components, progressive " << progressive);
      Bytes samples(21 * 13 * components);
      for (std::size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<std::uint8_t>(i * 37 % 256);
      const Bytes file = writeJpeg(21, 13, components, samples, 85, progressive);
      const Bytes reference = readJpegRgb(file);
      std::vector<std::uint32_t> expected;
      for (std::size_t i = 0; i < reference.size(); i += 3) {
        expected.push_back(argb(255, reference[i], reference[i + 1], reference[i + 2]));
      }
      expectDecoded(file, 21, 13, expected, false);
    }
  }
}

TEST_F(ImageDecoderTest, BmpsOfEveryDepthHeaderAndRowOrder) {
  // 1 bit, 10 wide: two bytes per row plus padding; bottom-up, so the first file row is the last.
  std::vector<std::uint32_t> oneBit;
  for (int bit : {0, 1, 0, 1, 0, 1, 0, 1, 1, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 1}) oneBit.push_back(opaque(bit * 0xFFEEDD));
  expectDecoded(writeBmp(BmpImage{10, 2, 1, {{0x80, 0x40}, {0x55, 0x80}}}.withPalette({0, 0xFFEEDD})), 10, 2, oneBit,
                false);
  // 4 bits, odd width, top-down.
  expectDecoded(
      writeBmp(BmpImage{3, -2, 4, {{0x01, 0x20}, {0x21, 0x00}}}.withPalette({0x112233, 0x445566, 0x778899}, 3)), 3, 2,
      opaques({0x112233, 0x445566, 0x778899, 0x778899, 0x445566, 0x112233}), false);
  // 8 bits with two palette entries: indexes past the palette are black.
  expectDecoded(writeBmp(BmpImage{3, 1, 8, {{1, 0, 200}}}.withPalette({0x0A0B0C, 0x0D0E0F}, 2)), 3, 1,
                opaques({0x0D0E0F, 0x0A0B0C, 0}), false);
  // The 12-byte core header with its 3-byte palette entries.
  const Bytes core = writeBmp(BmpImage{2, 1, 8, {{1, 0}}, 12}.withPalette({0x010203, 0x040506}));
  EXPECT_EQ(core.size(), 14u + 12u + 6u + 4u);
  expectDecoded(core, 2, 1, opaques({0x040506, 0x010203}), false);
  // 5-5-5 by default: 0x7FFF white, 0x7C00 red, 0x0001 the smallest blue (1 of 31 → 8).
  expectDecoded(writeBmp({3, 1, 16, {{0xFF, 0x7F, 0x00, 0x7C, 0x01, 0x00}}}), 3, 1,
                opaques({0xFFFFFF, 0xFF0000, 0x000008}), false);
  // 5-6-5 through BI_BITFIELDS after a 40-byte header: green has 6 bits (1 of 63 → 4).
  expectDecoded(writeBmp(BmpImage{2, 1, 16, {{0x20, 0x00, 0x1F, 0xF8}}}.withMasks(3, {0xF800, 0x07E0, 0x001F})), 2, 1,
                opaques({0x000400, 0xFF00FF}), false);
  // 24 bits, three wide (nine bytes padded to twelve), top-down.
  expectDecoded(writeBmp({3, -2, 24, {{1, 2, 3, 4, 5, 6, 7, 8, 9}, {10, 11, 12, 13, 14, 15, 16, 17, 18}}}), 3, 2,
                opaques({0x030201, 0x060504, 0x090807, 0x0C0B0A, 0x0F0E0D, 0x121110}), false);
  // 32 bits: byte 3 is alpha as soon as one pixel has a non-zero one.
  expectDecoded(writeBmp({2, 1, 32, {{1, 2, 3, 0, 4, 5, 6, 128}}}), 2, 1, {argb(0, 3, 2, 1), argb(128, 6, 5, 4)}, true);
  expectDecoded(writeBmp({2, 1, 32, {{1, 2, 3, 0, 4, 5, 6, 0}}}), 2, 1, opaques({0x030201, 0x060504}), false);
  // 32 bits with R, G, B, A masks in byte order (a V4 header carries all four).
  const auto rgbaMasks = BmpImage{1, 1, 32, {{0x11, 0x22, 0x33, 0x44}}, 108}.withMasks(
      3, {0x000000FF, 0x0000FF00, 0x00FF0000, 0xFF000000});
  expectDecoded(writeBmp(rgbaMasks), 1, 1, {argb(0x44, 0x11, 0x22, 0x33)}, true);
  expectDecoded(argb1555Bmp(), 2, 1, {argb(255, 255, 0, 0), argb(0, 0, 0, 255)}, true);
}

TEST_F(ImageDecoderTest, TruncatedPngsJpegsAndBmpsAreRefused) {
  const Bytes png = smallRgbaPng(), jpeg = smallJpeg();
  const Bytes bmp = smallBmp24();  // the last row's 3 padding bytes may be missing
  for (const auto& [file, keep] : {std::pair{&png, 0u}, {&jpeg, 0u}, {&bmp, 3u}}) {
    for (std::size_t length = 0; length + keep < file->size(); ++length) {
      EXPECT_EQ(decoder_->Decode(file->data(), static_cast<std::uint32_t>(length)), nullptr)
          << length << " of " << file->size();
    }
    tamblet::ISurface* whole = decode(*file);
    ASSERT_NE(whole, nullptr);
    whole->Release();
  }
  EXPECT_EQ(Ledger::liveObjects("Surface"), 0);
}

TEST_F(ImageDecoderTest, OversizedAndZeroSizedImagesAreRefusedBeforeAllocating) {
  const int madeBefore = host().surfaceFactory().surfacesMade();
  for (const auto& [width, height] : {std::pair{100000u, 100000u},
                                      {16385u, 1u},
                                      {1u, 16385u},
                                      {8192u, 8193u},
                                      {0u, 5u},
                                      {5u, 0u},
                                      {0x80000000u, 1u}}) {
    SCOPED_TRACE(::testing::Message() << width << " x " << height);
    Bytes png = smallRgbaPng();
    setPngSize(png, width, height);
    expectRefused(png, "png");

    Bytes jpeg = smallJpeg();  // SOF0 holds height, then width, as 16-bit big-endian numbers
    std::size_t sof = 2;
    while (jpeg[sof] != 0xFF || jpeg[sof + 1] != 0xC0) ++sof;
    const std::uint32_t h = std::min(height, 65535u), w = std::min(width, 65535u);
    for (const auto& [at, value] : {std::pair{sof + 5, h >> 8}, {sof + 6, h}, {sof + 7, w >> 8}, {sof + 8, w}})
      jpeg[at] = static_cast<std::uint8_t>(value);
    expectRefused(jpeg, "jpeg");

    Bytes bmp = smallBmp24();
    for (int i = 0; i < 4; ++i) {
      bmp[18 + i] = static_cast<std::uint8_t>(width >> (8 * i));
      bmp[22 + i] = static_cast<std::uint8_t>(height >> (8 * i));
    }
    expectRefused(bmp, "bmp");
    bmp[25] = 0x80;  // a negative height of that size: top-down, just as large
    expectRefused(bmp, "bmp top-down");
  }
  EXPECT_EQ(host().surfaceFactory().surfacesMade(), madeBefore);
}

// A CMYK JPEG, and a progressive one of 631 valid scans (each AC coefficient alone, then refined bit by bit)
// that the decoder stops reading at its scan limit instead of working through them all.
TEST_F(ImageDecoderTest, CmykAndEndlessScanJpegsAreRefused) {
  expectRefused(writeJpeg(8, 8, 4, Bytes(8 * 8 * 4, 99)), "CMYK");
  std::vector<jpeg_scan_info> scans = {{1, {0}, 0, 0, 0, 0}};
  for (int k = 1; k < 64; ++k) {
    scans.push_back({1, {0}, k, k, 0, 9});
    for (int bit = 9; bit > 0; --bit) scans.push_back({1, {0}, k, k, bit, bit - 1});
  }
  expectRefused(writeJpeg(8, 8, 1, Bytes(64, 77), 90, false, scans), "631 scans");
  scans.resize(400);  // below the limit the same kind of file decodes
  expectDecoded(writeJpeg(8, 8, 1, Bytes(64, 77), 90, false, scans), 8, 8, std::vector<std::uint32_t>(64, grey(77)), false);
}

TEST_F(ImageDecoderTest, MalformedBmpHeadersAreRefused) {
  const std::pair<std::size_t, std::uint32_t> patches[] = {
      {22, 0x80000000u},  // height INT_MIN
      {10, 0xFFFFFFF0u},  // pixels past the end
      {10, 20},           // pixels inside the header
      {14, 64},           // unknown header size
      {14, 0xFFFFFFFFu},  // header larger than the file
      {30, 1},            // run-length compressed
      {30, 3},            // bit fields at 24 bits
  };
  for (const auto& [offset, value] : patches) {
    Bytes file = smallBmp24();
    for (int i = 0; i < 4; ++i) file[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
    expectRefused(file, std::to_string(offset) + " = " + std::to_string(value));
  }
  Bytes bpp = smallBmp24();
  bpp[28] = 25;
  expectRefused(bpp, "25 bits per pixel");
  expectRefused(writeBmp(BmpImage{1, 1, 16, {{0, 0}}}.withMasks(3, {0xF0F0, 0x0F00, 0x000F})), "mask with a gap");
  expectRefused(writeBmp(BmpImage{1, 1, 16, {{0, 0}}}.withMasks(3, {0x1F0000, 0x07E0, 0x1F})),
                "mask wider than the pixel");
  Bytes masksCut = writeBmp(BmpImage{1, 1, 16, {}}.withMasks(3, {}));
  masksCut.resize(14 + 40 + 4);
  expectRefused(masksCut, "masks cut off");
}

TEST_F(ImageDecoderTest, BitFlipsNeverCrashOrLeakAndEveryFlippedPngIsRefused) {
  int decoded = 0;
  for (const Bytes& file : {smallRgbaPng(), smallJpeg(), smallJpeg(1), smallBmp24()}) {
    const bool isPng = file[1] == 'P';
    for (std::size_t bit = 0; bit < file.size() * 8; ++bit) {
      Bytes flipped = file;
      flipped[bit / 8] ^= static_cast<std::uint8_t>(1u << (bit % 8));
      tamblet::ISurface* surface = decode(flipped);
      if (!surface) continue;
      ASSERT_FALSE(isPng) << "bit " << bit;  // every chunk is checksummed
      EXPECT_LE(surface->GetWidth() * std::int64_t{surface->GetHeight()}, 16 * 16 * 2);
      ++decoded;
      surface->Release();
    }
  }
  EXPECT_GT(decoded, 0);  // flips in the pixel data still give pictures
  EXPECT_EQ(Ledger::liveObjects("Surface"), 0);
}

}  // namespace
}  // namespace refhost::testing
