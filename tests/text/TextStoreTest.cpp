// The text store as the engine core uses it: the cache (same surface for the same key, trimming by
// last use), the library path to the missing glyph, teardown giving every reference back, and
// golden checksums of characters drawn with the IPA faces.
#include <gtest/gtest.h>
#include <zlib.h>

#include <limits>

#include "refhost/Ledger.h"
#include "tests/text/TextFixture.h"
#include "text/TextCache.h"
#include "text/TextStore.h"

namespace tamblet::testing {
namespace {

class TextStoreTest : public TextFixture {
 protected:
  void SetUp() override {
    TextFixture::SetUp();
    store.bind(factory.get(), raster.get());
  }
  void TearDown() override {
    store.clear();
    TextFixture::TearDown();
  }
  TextStore store;
};

std::int32_t countOf(IInterface* object) {
  object->AddRef();
  return object->Release();
}

TEST_F(TextStoreTest, TheCacheAnswersTheSameKeyWithTheSameSurface) {
  TextStyle nan = style(16, std::numeric_limits<float>::quiet_NaN());
  TextStyle negativeZero = style(16, -0.0f), red = style(16);
  red.color.r = 255;
  const Ref<ISurface> first = store.characterSurface("A", style(16));
  ASSERT_TRUE(first);
  EXPECT_EQ(store.characterSurface("A", style(16)).get(), first.get());
  EXPECT_EQ(countOf(first.get()), 2);  // the cache's and ours
  EXPECT_NE(store.characterSurface("A", red).get(), first.get());
  EXPECT_NE(store.characterSurface("A", negativeZero).get(), first.get());  // weights compared bit for bit
  const Ref<ISurface> nanSurface = store.characterSurface("A", nan);
  EXPECT_EQ(store.characterSurface("A", nan).get(), nanSurface.get());
  EXPECT_NE(store.characterSurface("B", style(16)).get(), first.get());
  EXPECT_EQ(store.cache().size(), 5u);
  EXPECT_EQ(store.cache().bytesInUse(), 5u * 8 * 16 * 4);
  EXPECT_FALSE(store.characterSurface("A", style(0)));
  EXPECT_EQ(store.cache().size(), 5u);
  // A library face without a loadable "Font.fnl" draws the stripes; dashes stay out of the cache.
  const Ref<ISurface> missing = store.characterSurface("\x82\xA0", style(16, 0, 0, 0x100));
  ASSERT_TRUE(missing);
  EXPECT_EQ(alphaAt(*missing, 0, 0) * 1000 + alphaAt(*missing, 1, 0), 255);
  ASSERT_TRUE(store.dashSurface(30, 10, style(16)));
  EXPECT_EQ(store.cache().size(), 6u);
}

TEST_F(TextStoreTest, TheCacheTrimsTheLeastRecentlyUsedBelowTheLowMark) {
  TextCache cache;
  // clang-format off
  struct Entry { const char* text; std::int32_t width; };  // × 1024 rows × 4 bytes
  // clang-format on
  const Entry entries[] = {{"a", 1024}, {"b", 2048}, {"c", 512}, {"d", 512}};  // 16 MiB in all
  for (const Entry& entry : entries) {
    cache.trimIfFull();
    const Ref<ISurface> surface = Ref<ISurface>::adopt(factory->Create(entry.width, 1024, 32));
    cache.insert(entry.text, style(16), surface.get());
  }
  EXPECT_TRUE(cache.find("a", style(16)));  // now the most recent
  EXPECT_EQ(cache.bytesInUse(), TextCache::kLimit);
  const std::int64_t surfaces = refhost::Ledger::liveObjects("Surface");
  cache.trimIfFull();  // b (8 MiB) goes, still 8 MiB: c goes, 6 MiB is below the low mark
  EXPECT_EQ(cache.bytesInUse(), 6u << 20);
  EXPECT_EQ(refhost::Ledger::liveObjects("Surface"), surfaces - 2);
  for (const Entry& entry : entries)
    EXPECT_EQ(bool(cache.find(entry.text, style(16))), *entry.text == 'a' || *entry.text == 'd');
}

TEST_F(TextStoreTest, ClearGivesEveryReferenceBack) {
  const std::int64_t live = refhost::Ledger::liveObjects();
  const std::int32_t factoryCount = countOf(factory.get()), rasterCount = countOf(raster.get());
  TextStore other;
  other.bind(factory.get(), raster.get());
  for (const char* text : {"A", "\x82\xA0", "\x88\xEA", ""})
    for (const TextStyle& s : {style(16), style(20, 2, 3), style(12, 0, 2, 1), style(16, 1, 0, 0x100)})
      (void)other.characterSurface(text, s);
  (void)other.dashSurface(40, 12, style(16, 1, 2));
  EXPECT_GT(refhost::Ledger::liveObjects(), live);
  other.clear();
  EXPECT_EQ(refhost::Ledger::liveObjects(), live);
  EXPECT_EQ(countOf(factory.get()), factoryCount);
  EXPECT_EQ(countOf(raster.get()), rasterCount);
  EXPECT_FALSE(other.characterSurface("A", style(16)));  // unbound: nothing to draw with
}

// Checksums of rendered pixels (all four bytes, row by row) with
//   libfreetype6 2.12.1+dfsg-5+deb12u4, fonts-ipafont-gothic 00303-23, fonts-ipafont-mincho 00303-23
// (dpkg -s libfreetype6 fonts-ipafont-gothic fonts-ipafont-mincho). Other versions may hint or
// draw the outlines differently; then these are expected to change.
TEST_F(TextStoreTest, GoldenCharactersInBothFaces) {
  // clang-format off
  struct Golden { const char* text; TextStyle style; std::uint32_t crc; };
  const Golden goldens[] = {
      {"\x82\xA0", style(16), 0x3027D69D},              // あ, gothic
      {"A", style(24, 1, 2), 0xA06A6438},               // gothic, bold and outline
      {"\x8A\xBF", style(32, 0, 1.5f, 1), 0x25F96DCF},  // 漢, mincho with an outline
      {"g", style(20, 0.5f, 0, 1), 0x2295F8C4},         // mincho, half width, descender
      {"\x88\xEA", style(16, 0, 0, 1), 0xD4CB61F2},     // 一, mincho
  };
  // clang-format on
  for (const Golden& golden : goldens) {
    const Ref<ISurface> surface = store.characterSurface(golden.text, golden.style);
    ASSERT_TRUE(surface);
    uLong crc = crc32(0, nullptr, 0);
    for (int y = 0; y < surface->GetHeight(); ++y)
      crc = crc32(crc, surface->GetPixelAddress(0, y), static_cast<uInt>(surface->GetWidth() * 4));
    EXPECT_EQ(crc, golden.crc) << golden.text << " size " << golden.style.size;
  }
}

}  // namespace
}  // namespace tamblet::testing
