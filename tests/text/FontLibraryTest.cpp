// The font library reader and its metric queries over small libraries written by tamblet-font's
// encoder, with the reference host's compression module unpacking the glyphs; and a library built by
// tamblet-font from an IPA face, read back by the engine.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "platform/Modules.h"
#include "refhost/ModuleEntryPoints.h"
#include "tests/refhost/HostFixture.h"
#include "text/FontLibrary.h"
#include "text/FontMetrics.h"
#include "tools/font/FontFile.h"

namespace tamblet {
namespace {

using refhost::testing::Bytes;
using refhost::testing::readFile;

struct TestGlyph {
  std::uint32_t code;
  std::uint16_t width;
  Bytes bitmap;  // pixel height × row bytes
};

// One face, one size record of pixel height 64 and descent 14, glyphs up to index 441.
constexpr std::uint32_t kHeight = 64, kDescent = 14, kGlyphCount = 442;
constexpr std::size_t kFirstGlyphRecord = 16 + 4 + 4 + 12;

// Written by tamblet-font's own encoder.
Bytes writeLibrary(const std::vector<TestGlyph>& glyphs) {
  font::FontFile file;
  file.faces = {{font::SizeImages{kHeight, kDescent, std::vector<font::GlyphImage>(kGlyphCount)}}};
  font::BitmapCompressor compressor;
  for (const TestGlyph& glyph : glyphs)
    file.faces[0][0].glyphs[static_cast<std::size_t>(FontLibrary::glyphIndex(glyph.code))] = {
        glyph.width, compressor.compress(glyph.bitmap)};
  return font::encodeFontFile(file);
}

Bytes randomBitmap(std::uint32_t width, std::uint32_t seed) {
  std::mt19937 random(seed);
  Bytes bitmap(font::bitmapRowBytes(width) * kHeight);
  for (std::uint8_t& byte : bitmap) byte = static_cast<std::uint8_t>(random());
  return bitmap;
}

// 'A', 'B', 'C' 62, 61 and 60 supersampled pixels wide; 'D' a full-width box; 0x82A0 (index 441).
std::vector<TestGlyph> sampleGlyphs() {
  return {{'A', 62, randomBitmap(62, 1)},
          {'B', 61, randomBitmap(61, 2)},
          {'C', 60, randomBitmap(60, 3)},
          {0x82A0, 64, randomBitmap(64, 4)}};
}

class FontLibraryTest : public refhost::testing::HostFixture {
 protected:
  void SetUp() override {
    HostFixture::SetUp();
    for (const refhost::ModuleEntryPoint& entry : refhost::moduleEntryPoints())
      resolver_.addSymbol(entry.module, entry.symbol, entry.address);
    platform::setModuleResolver(&resolver_);
    library_.setPath(folder_ / "Font.fnl");
  }
  void TearDown() override {
    library_.clear();  // gives the decompressor back before the host checks its objects
    platform::setModuleResolver(nullptr);
    HostFixture::TearDown();
  }

  void write(const Bytes& bytes) { refhost::testing::writeFile(folder_ / "Font.fnl", bytes); }

  bool descent(std::int32_t& out) { return fontDescent(library_, style_, out); }

  platform::InProcessModuleResolver resolver_;
  refhost::testing::TempFolder folder_;
  FontLibrary library_;
  TextStyle style_{.type = 0x100, .size = 16};
};

TEST_F(FontLibraryTest, WidthsAndDescentFromTheSizeRecord) {
  Bytes bytes = writeLibrary(sampleGlyphs());
  refhost::testing::putWord(bytes, 8, 0x12345678);  // the reserved field is not examined
  write(bytes);
  struct Case {
    const char* text;
    std::int32_t type, size;
    float bold, edge;
    bool found;
    std::int32_t width;
  };
  const Case cases[] = {
      {"A", 0x100, 16, 0, 0, true, 16},        {"B", 0x100, 16, 0, 0, true, 16},
      {"C", 0x100, 16, 0, 0, true, 15},        {"A", 0x100, 16, 1.5f, 0, true, 20},
      {"C", 0x100, 16, 0.5f, 2.5f, true, 21},  {"\x82\xA0", 0x100, 16, 0, 0, true, 16},
      {"ABC", 0x100, 16, 0, 0, false, 8},      {"E", 0x100, 16, 0, 1, false, 10},  // no image: fallback
      {"A", 0x101, 16, 0, 0, false, 8},        {"A", 0x100, 15, 0, 0, false, 8},    // no face, no size
      {"A", 0x100, 0, 0, 0, false, 0},         {"\x82\xA0", 0, 16, 2, 0, true, 20},
      {"A", 1, 15, 0, 0, true, 8},             {"\x82\xA0", 0, std::numeric_limits<std::int32_t>::max(), 1e30f, 0, true,
                                                 std::numeric_limits<std::int32_t>::max()},
  };
  for (const Case& c : cases) {
    style_ = {.type = c.type, .size = c.size, .boldWeight = c.bold, .edgeWeight = c.edge};
    std::int32_t width = -1;
    EXPECT_EQ(fontWidth(library_, c.text, style_, width), c.found) << c.text << " type " << c.type;
    EXPECT_EQ(width, c.width) << c.text << " type " << c.type << " size " << c.size;
  }
  style_ = {.type = 0x100, .size = 16};
  std::int32_t out = -1;
  EXPECT_TRUE(descent(out));
  EXPECT_EQ(out, 3);  // 14 / 4
  style_.type = 1;
  EXPECT_TRUE(descent(out));
  EXPECT_EQ(out, 0);
}

TEST_F(FontLibraryTest, GlyphsUnpackToTheirExactBitmaps) {
  const std::vector<TestGlyph> glyphs = sampleGlyphs();
  write(writeLibrary(glyphs));
  ASSERT_TRUE(library_.ensureLoaded());
  for (const TestGlyph& expected : glyphs) {
    LibraryGlyph glyph;
    ASSERT_TRUE(library_.readGlyph(0, kHeight, expected.code, glyph)) << expected.code;
    EXPECT_EQ(glyph.width, expected.width);
    EXPECT_EQ(glyph.descent, kDescent);
    EXPECT_EQ(glyph.pixelHeight, kHeight);
    EXPECT_EQ(glyph.rowBytes, font::bitmapRowBytes(expected.width));
    EXPECT_EQ(glyph.bitmap, expected.bitmap) << expected.code;
  }
  LibraryGlyph glyph;
  for (std::uint32_t code : {0x45u, 0x41u + 0x10000u, 0x8340u})  // no image, no index, index past the count
    EXPECT_FALSE(library_.readGlyph(0, kHeight, code, glyph)) << code;
  EXPECT_FALSE(library_.readGlyph(0, 48, 'A', glyph));
  EXPECT_FALSE(library_.readGlyph(-1, kHeight, 'A', glyph));
}

// Each damage either refuses the whole file or only the glyph 'A' (index 33).
TEST_F(FontLibraryTest, DamagedFilesAreRefused) {
  const Bytes good = writeLibrary(sampleGlyphs());
  const std::size_t recordA = kFirstGlyphRecord + 10 * 33;
  struct Case {
    const char* what;
    std::size_t at;
    std::uint32_t value;
    bool loads;
  };
  const Case cases[] = {
      {"magic", 0, 0x00414E47, false},
      {"second field", 4, 1, false},
      {"index size 3", 12, 3, false},
      {"index past the end", 12, 0xFFFFFFF0u, false},
      {"negative faces", 16, 0xFFFFFFFFu, false},
      {"faces beyond the index", 16, 0x7FFFFFFF, false},
      {"two faces in a one-face index", 16, 2, false},
      {"negative sizes", 20, 0x80000000u, false},
      {"sizes beyond the index", 20, 4000, false},
      {"negative glyphs", 32, 0xFFFFFFFEu, false},
      {"glyphs beyond the index", 32, kGlyphCount + 1, false},
      {"image at the end", recordA + 2, static_cast<std::uint32_t>(good.size()), true},
      {"image past the end", recordA + 6, static_cast<std::uint32_t>(good.size()), true},
      {"image cut short", recordA + 6, 8, true},
      {"narrower bitmap", recordA, 24, true},  // unpacks to more bytes than 24 wide needs
      {"wider bitmap", recordA, 70, true},     // and to fewer than 70 wide needs
  };
  for (const Case& c : cases) {
    Bytes bytes = good;
    if (c.at == recordA) {
      bytes[c.at] = static_cast<std::uint8_t>(c.value);
    } else {
      refhost::testing::putWord(bytes, c.at, c.value);
    }
    write(bytes);
    library_.clear();
    EXPECT_EQ(library_.ensureLoaded(), c.loads) << c.what;
    LibraryGlyph glyph;
    EXPECT_FALSE(library_.readGlyph(0, kHeight, 'A', glyph)) << c.what;
    EXPECT_EQ(library_.readGlyph(0, kHeight, 'B', glyph), c.loads) << c.what;
  }
}

TEST_F(FontLibraryTest, MissingFileIsRetriedFailedFileIsNot) {
  std::int32_t out = -1;
  EXPECT_FALSE(descent(out));
  write(writeLibrary(sampleGlyphs()));
  EXPECT_TRUE(descent(out));
  EXPECT_EQ(out, 3);

  library_.clear();
  Bytes bad = writeLibrary(sampleGlyphs());
  bad[4] = 1;
  write(bad);
  EXPECT_FALSE(descent(out));
  write(writeLibrary(sampleGlyphs()));
  EXPECT_FALSE(descent(out));  // opened once: no new load
  library_.clear();
  EXPECT_TRUE(descent(out));
}

TEST(FontLibraryGlyphIndex, IndexTable) {
  const std::pair<std::uint32_t, std::int32_t> cases[] = {
      {0x20, 0},      {0x7E, 94},     {0xA1, 95},     {0xDF, 157},    {0x8140, 158},  {0x817E, 220},
      {0x8180, 221},  {0x81FC, 345},  {0x9FFC, 5985}, {0xE040, 5986}, {0xEFFC, 8993}, {0x1F, -1},
      {0x7F, -1},     {0xA0, -1},     {0xE0, -1},     {0x813F, -1},   {0x817F, -1},   {0x81FD, -1},
      {0xA040, -1},   {0xF040, -1},   {0x4141, -1},   {0x10041, -1},  {0, -1},
  };
  for (auto [code, index] : cases) EXPECT_EQ(FontLibrary::glyphIndex(code), index) << std::hex << code;
  // Every index from 0 to 8993 belongs to exactly one code.
  std::set<std::int32_t> seen;
  for (std::uint32_t code = 0; code <= 0xFFFF; ++code) {
    const std::int32_t index = FontLibrary::glyphIndex(code);
    if (index >= 0) {
      EXPECT_TRUE(seen.insert(index).second) << index;
    }
  }
  EXPECT_EQ(seen.size(), 8994u);
  EXPECT_EQ(*seen.rbegin(), 8993);
}

#ifdef TAMBLET_FONT_TOOL
std::string run(const std::string& command) {
  std::string output;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe)) output += buffer;
    if (pclose(pipe) != 0) output += "(failed)";
  }
  return output;
}

// tamblet-font draws IPAGothic at text size 8 (32 pixels); the engine reads what it wrote.
TEST_F(FontLibraryTest, BuiltLibraryRoundTrip) {
  const std::string tool = TAMBLET_FONT_TOOL;
  const std::string file = folder_ / "Font.fnl", again = folder_ / "Again.fnl";
  ASSERT_EQ(run(tool + " build -o " + file + " --face IPAGothic --size 8 >/dev/null").find("(failed)"),
            std::string::npos);
  run(tool + " build -o " + again + " --face IPAGothic --size 8");
  EXPECT_EQ(readFile(file), readFile(again));  // same input, same bytes

  style_.size = 8;
  std::int32_t out = -1;
  ASSERT_TRUE(descent(out));
  const std::string dump = run(tool + " dump " + file);
  EXPECT_NE(dump.find("pixel height 32 (text size 8), descent " + std::to_string(library_.findSizeRecord(0, 32)->descent) +
                      ", glyphs 8994"),
            std::string::npos)
      << dump;
  // IPAGothic is fixed pitch: half an em for ASCII, a whole em for kana.
  for (auto [text, width] : {std::pair{"A", 4}, {"\x82\xA0", 8}, {"\x81\x51", 8}}) {
    EXPECT_TRUE(fontWidth(library_, text, style_, out)) << text;
    EXPECT_EQ(out, width) << text;
  }
  // The underscore's ink lies in the bottom rows, which come first.
  LibraryGlyph glyph;
  ASSERT_TRUE(library_.readGlyph(0, 32, '_', glyph));
  auto rowHasInk = [&](std::uint32_t row) {
    for (std::uint32_t i = 0; i < glyph.rowBytes; ++i)
      if (glyph.bitmap[row * glyph.rowBytes + i]) return true;
    return false;
  };
  bool inkBelow = false, inkAbove = false;
  for (std::uint32_t row = 0; row < 32; ++row) (row < 16 ? inkBelow : inkAbove) |= rowHasInk(row);
  EXPECT_TRUE(inkBelow);
  EXPECT_FALSE(inkAbove);
}
#endif

}  // namespace
}  // namespace tamblet
