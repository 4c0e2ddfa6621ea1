// The scene compositor over the reference host's surfaces and raster: clipping, surface areas, alpha clippers,
// view offset, counters, unusable surfaces, hostile numbers, drawing a sprite's view into itself, and a random
// scene that must give the same bytes on every kernel path.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "compose/SceneCompositor.h"
#include "compose/kernels/BlendKernels.h"
#include "refhost/Host.h"
#include "sprite/SpriteTableBlock.h"
#include "tests/support/Checksum.h"

namespace {

using tamblet::ISurface;
using tamblet::Ref;
using tamblet::SceneCompositor;
using tamblet::SpriteRecord;
using tamblet::kernels::KernelPath;

constexpr int kWidth = 64, kHeight = 48;
constexpr std::uint32_t kBlackOpaque = 0xFF000000u;  // the fill clears B, G, R and keeps alpha

// A distinct opaque-looking pixel for every (x, y) of a surface, alpha included.
std::uint32_t pattern(int x, int y, int seed) {
  return static_cast<std::uint32_t>(((seed * 37 + x * 5 + y * 11) & 0xFF) << 24 | (y & 0xFF) << 16 | (x & 0xFF) << 8 |
                                    (seed & 0xFF));
}

std::uint32_t pixelOf(ISurface* surface, int x, int y) {
  std::uint32_t value;
  std::memcpy(&value, surface->GetPixelAddress(x, y), 4);
  return value;
}

void setPixel(ISurface* surface, int x, int y, std::uint32_t value) {
  std::memcpy(surface->GetPixelAddress(x, y), &value, 4);
}

// d + (((s - d) * a) >> 8) for B, G, R; alpha of d kept.
std::uint32_t mixed(std::uint32_t s, std::uint32_t d, int a) {
  std::uint32_t out = d & 0xFF000000u;
  for (int shift = 0; shift < 24; shift += 8) {
    const int sc = (s >> shift) & 0xFF, dc = (d >> shift) & 0xFF;
    out |= static_cast<std::uint32_t>((dc + (((sc - dc) * a) >> 8)) & 0xFF) << shift;
  }
  return out;
}

class SceneCompositorTest : public ::testing::Test {
 protected:
  SceneCompositorTest() {
    block_.setUp(&host_.surfaceFactory(), &host_.raster(), kWidth, kHeight);
    compositor_.setUp(&host_.raster(), &block_);
    destination_ = Ref<ISurface>::adopt(host_.surfaceFactory().CreatePixelOnly(kWidth, kHeight, 32));
    originalPath_ = tamblet::kernels::activeKernelPath();
  }
  ~SceneCompositorTest() override {
    tamblet::kernels::forceKernelPath(originalPath_);
    block_.tearDown();
  }

  // A 32-bit surface with the pattern of `seed`; with an alpha map when `alpha` is set.
  Ref<ISurface> patterned(int width, int height, int seed, bool alpha = false) {
    Ref<ISurface> surface = Ref<ISurface>::adopt(alpha ? host_.surfaceFactory().Create(width, height, 32)
                                                       : host_.surfaceFactory().CreatePixelOnly(width, height, 32));
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) setPixel(surface.get(), x, y, pattern(x, y, seed));
    }
    return surface;
  }

  SpriteRecord& sprite(std::int32_t number, ISurface* surface, std::int32_t x = 0, std::int32_t y = 0) {
    EXPECT_TRUE(block_.liveTable.setSurface(number, surface));
    SpriteRecord& record = *block_.liveTable.find(number);
    record.x = x, record.y = y;
    return record;
  }

  // One pass of `table` into the destination, which starts white with alpha 255 so the fill's black is visible.
  bool compose(const tamblet::SpriteTable* table = nullptr) {
    for (int y = 0; y < kHeight; ++y) {
      for (int x = 0; x < kWidth; ++x) setPixel(destination_.get(), x, y, 0xFFFFFFFFu);
    }
    return compositor_.compose(table ? *table : block_.liveTable, destination_.get());
  }
  std::uint32_t at(int x, int y) { return pixelOf(destination_.get(), x, y); }
  // The destination shows `seed`'s pattern from source (sx, sy) on in [x0, x0 + w) x [y0, y0 + h) and the
  // fill's black everywhere else.
  void expectScene(int x0 = 0, int y0 = 0, int w = 0, int h = 0, int sx = 0, int sy = 0, int seed = 0) {
    for (int y = 0; y < kHeight; ++y) {
      for (int x = 0; x < kWidth; ++x) {
        const bool inside = x >= x0 && x < x0 + w && y >= y0 && y < y0 + h;
        ASSERT_EQ(at(x, y), inside ? pattern(x - x0 + sx, y - y0 + sy, seed) : kBlackOpaque) << x << "," << y;
      }
    }
  }
  refhost::Host host_{kWidth, kHeight};
  tamblet::SpriteTableBlock block_;
  SceneCompositor compositor_;
  Ref<ISurface> destination_;
  KernelPath originalPath_;
};

TEST_F(SceneCompositorTest, FillClipRuleSurfaceAreasAndUnusableDestinations) {
  SceneCompositor unset;
  EXPECT_FALSE(unset.compose(block_.liveTable, destination_.get()));  // no sprite-table block yet
  const int fillsBefore = host_.raster().fillColorCalls();
  ASSERT_TRUE(compose());
  EXPECT_EQ(host_.raster().fillColorCalls(), fillsBefore + 1);
  expectScene();
  EXPECT_EQ(compositor_.copyPixels(), kWidth * kHeight);
  EXPECT_EQ(compositor_.blendPixels(), 0);

  // A destination that is not a 32-bit pixel surface fails the pass without touching it.
  Ref<ISurface> narrow = Ref<ISurface>::adopt(host_.surfaceFactory().CreatePixelOnly(8, 8, 8));
  Ref<ISurface> alphaOnly = Ref<ISurface>::adopt(host_.surfaceFactory().CreateAMapOnly(8, 8));
  for (ISurface* bad : {narrow.get(), alphaOnly.get(), static_cast<ISurface*>(nullptr)})
    EXPECT_FALSE(compositor_.compose(block_.liveTable, bad));
  EXPECT_EQ(host_.raster().fillColorCalls(), fillsBefore + 1);

  struct Case {
    int width, height, x, y;
    tamblet::SurfaceArea area;
    int shownX, shownY, shownWidth, shownHeight, sourceX, sourceY;
  };
  const Case cases[] = {
      {30, 4, -10, 5, {0, 0, 0, 0}, 0, 5, 20, 4, 10, 0},             // the part left of the screen is cut
      {100, 100, 3, 2, {-5, 0, 20, 10}, 3, 2, 20, 10, 0, 0},         // area columns from 0, at the sprite
      {100, 100, -30, -50, {0, 0, 0, 0}, 0, 0, kWidth, kHeight, 30, 50},  // empty area: whole surface
      {100, 100, 0, 0, {150, 0, 20, 10}, 0, 0, 0, 0, 0, 0},          // area right of a 100-wide surface
      {100, 100, 0, 0, {2, 3, 4, 0}, 0, 0, 0, 0, 0, 0},              // one side set: height 0
      {100, 100, 0, 0, {98, 1, 10, -1}, 0, 0, 0, 0, 0, 0},
  };
  int seed = 1;
  for (const Case& c : cases) {
    SCOPED_TRACE(seed);
    block_.liveTable.removeAll();
    Ref<ISurface> surface = patterned(c.width, c.height, seed);
    sprite(1, surface.get(), c.x, c.y).surfaceArea = c.area;
    ASSERT_TRUE(compose());
    expectScene(c.shownX, c.shownY, c.shownWidth, c.shownHeight, c.sourceX, c.sourceY, seed++);
    EXPECT_EQ(compositor_.copyPixels(), kWidth * kHeight + c.shownWidth * c.shownHeight);
  }
}

TEST_F(SceneCompositorTest, AlphaClipperLookupRectangleAndViewOffset) {
  Ref<ISurface> source = patterned(20, 10, 3);
  Ref<ISurface> clip = Ref<ISurface>::adopt(host_.surfaceFactory().Create(10, 10, 32));
  for (int y = 0; y < 10; ++y) {
    for (int x = 0; x < 10; ++x) setPixel(clip.get(), x, y, static_cast<std::uint32_t>(x * 25 + y) << 24);
  }
  SpriteRecord& drawn = sprite(1, source.get(), 5, 5);
  SpriteRecord& clipper = sprite(2, clip.get(), 10, 8);
  clipper.show = false;
  drawn.alphaClipperNumber = 2;
  block_.viewOffsetX = 3, block_.viewOffsetY = 1;  // moves the sprite to (8, 6), not the clipper rectangle
  ASSERT_TRUE(compose());
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      const bool inside = x >= 10 && x < 20 && y >= 8 && y < 16;  // clipper and sprite overlap
      const int a = (x - 10) * 25 + (y - 8);
      ASSERT_EQ(at(x, y), inside ? mixed(pattern(x - 8, y - 6, 3), kBlackOpaque, a) : kBlackOpaque) << x << "," << y;
    }
  }
  // A pixel-only source at rate 255 counts as a copy, even through a clipper; only the clipped part counts.
  EXPECT_EQ(compositor_.copyPixels(), kWidth * kHeight + 10 * 8);
  EXPECT_EQ(compositor_.blendPixels(), 0);
}

TEST_F(SceneCompositorTest, ClipperVariantsCountersAndDrawMethods) {
  Ref<ISurface> source = patterned(8, 8, 4);
  Ref<ISurface> clip = patterned(8, 8, 5, true);
  Ref<ISurface> alphaOnly = Ref<ISurface>::adopt(host_.surfaceFactory().CreateAMapOnly(8, 8));
  Ref<ISurface> narrow = Ref<ISurface>::adopt(host_.surfaceFactory().CreatePixelOnly(8, 8, 8));

  // The clipper number names a sprite without surface / with an unusable surface: not drawn, not counted.
  SpriteRecord& drawn = sprite(1, source.get(), 0, 0);
  block_.liveTable.findOrCreate(7);  // no surface
  drawn.alphaClipperNumber = 7;
  ASSERT_TRUE(compose());
  expectScene();
  EXPECT_EQ(compositor_.copyPixels(), kWidth * kHeight);
  for (ISurface* unusable : {alphaOnly.get(), narrow.get()}) {
    sprite(7, unusable, 0, 0).show = false;
    ASSERT_TRUE(compose());
    expectScene();
  }

  // An absent clipper number draws unclipped; -1 means none even though sprite -1 exists.
  drawn.alphaClipperNumber = 99;
  ASSERT_TRUE(compose());
  EXPECT_EQ(at(7, 7), pattern(7, 7, 4));
  sprite(-1, clip.get(), 50, 40).show = false;
  drawn.alphaClipperNumber = -1;
  ASSERT_TRUE(compose());
  EXPECT_EQ(at(7, 7), pattern(7, 7, 4));
  EXPECT_EQ(compositor_.copyPixels(), kWidth * kHeight + 64);

  // Unusable sources are skipped; draw method 7 is counted but not drawn; transform sprites are not counted.
  block_.liveTable.removeAll();
  sprite(1, narrow.get(), 0, 0);
  sprite(2, alphaOnly.get(), 0, 0);
  SpriteRecord& method7 = sprite(3, clip.get(), 10, 10);
  method7.drawMethod = 7;
  SpriteRecord& rated = sprite(4, source.get(), 20, 0);
  rated.blendRate = 100;
  rated.surfaceArea = {0, 0, 4, 2};
  sprite(5, source.get(), 30, 0);
  SpriteRecord& transformed = sprite(6, source.get(), 0, 0);
  transformed.transformMode = 1;
  const float corners[4][2] = {{40, 20}, {48, 20}, {40, 28}, {48, 28}};
  for (int i = 0; i < 4; ++i) transformed.transformPositions[i] = {corners[i][0], corners[i][1], 0.0f, 1.0f};
  transformed.transformTexCoords[1] = {8, 0};
  transformed.transformTexCoords[2] = {0, 8};
  block_.viewOffsetX = 5, block_.viewOffsetY = 5;
  ASSERT_TRUE(compose());
  EXPECT_EQ(compositor_.blendPixels(), 64 + 8);
  EXPECT_EQ(compositor_.copyPixels(), kWidth * kHeight + 64);
  EXPECT_EQ(at(15, 15), kBlackOpaque);     // method 7 drew nothing
  EXPECT_EQ(at(35, 5), pattern(0, 0, 4));  // the copy moved by the view offset
  EXPECT_EQ(at(25, 5), mixed(pattern(0, 0, 4), kBlackOpaque, 100));
  EXPECT_EQ(at(40, 20), pattern(0, 0, 4));  // the transform sprite was not moved
  EXPECT_EQ(at(45, 25), pattern(5, 5, 4));
  EXPECT_EQ(at(47, 27), pattern(7, 7, 4));
  EXPECT_EQ(at(48, 28), kBlackOpaque);
}

TEST_F(SceneCompositorTest, BackScenePassUsesItsOwnClippersAndKeepsTheCounters) {
  Ref<ISurface> source = patterned(8, 8, 6);
  Ref<ISurface> transparent = Ref<ISurface>::adopt(host_.surfaceFactory().Create(8, 8, 32));  // alpha 0
  sprite(1, source.get(), 0, 0);
  sprite(5, transparent.get(), 0, 0).show = false;
  ASSERT_TRUE(tamblet::SpriteTable::copy(block_.backScene, block_.liveTable));
  block_.backScene.find(1)->alphaClipperNumber = 5;
  block_.liveTable.remove(5);
  ASSERT_TRUE(compose());
  const std::int64_t copyCount = compositor_.copyPixels();

  ASSERT_TRUE(compose(&block_.backScene));
  EXPECT_EQ(at(3, 3), kBlackOpaque) << "the back scene's own clipper (alpha 0) applies";
  EXPECT_EQ(compositor_.copyPixels(), copyCount);
  EXPECT_EQ(compositor_.blendPixels(), 0);
  block_.backScene.remove(5);
  ASSERT_TRUE(compose(&block_.backScene));
  EXPECT_EQ(at(3, 3), pattern(3, 3, 6)) << "an absent clipper leaves the sprite unclipped";
}

TEST_F(SceneCompositorTest, HostileNumbersDrawNothingOutsideAnySurface) {
  Ref<ISurface> source = patterned(16, 16, 7, true);
  const std::int32_t extremes[] = {INT_MIN, INT_MIN + 1, -17, INT_MAX - 8, INT_MAX};
  std::int32_t number = 1;
  for (std::int32_t x : extremes) {
    for (std::int32_t y : extremes) {
      SpriteRecord& record = sprite(number++, source.get(), x, y);
      record.surfaceArea = {x, y, INT_MAX, INT_MAX};
    }
  }
  SpriteRecord& hugeArea = sprite(number++, source.get(), 0, 0);
  hugeArea.surfaceArea = {INT_MIN, INT_MIN, INT_MAX, INT_MAX};
  SpriteRecord& clipped = sprite(number++, source.get(), 0, 0);
  sprite(number, source.get(), INT_MIN, INT_MAX).show = false;
  clipped.alphaClipperNumber = number;
  for (std::int32_t offset : {INT_MAX, INT_MIN}) {
    block_.viewOffsetX = offset, block_.viewOffsetY = offset;
    ASSERT_TRUE(compose());
    expectScene();
  }
  // Without an offset each still lies outside, is cut away by its area (x + width = -1: no overlap) or by its
  // clipper far outside.
  block_.viewOffsetX = block_.viewOffsetY = 0;
  ASSERT_TRUE(compose());
  expectScene();
}

TEST_F(SceneCompositorTest, RenderViewDrawsTheLiveTableIntoASpritesOwnSurface) {
  EXPECT_FALSE(compositor_.renderView(1));  // absent
  block_.liveTable.findOrCreate(1);
  EXPECT_FALSE(compositor_.renderView(1));  // no surface

  for (KernelPath path : {KernelPath::kScalar, KernelPath::kSse2, KernelPath::kAvx2}) {
    if (!tamblet::kernels::forceKernelPath(path)) continue;
    SCOPED_TRACE(tamblet::kernels::kernelPathName(path));
    block_.liveTable.removeAll();
    Ref<ISurface> shared = patterned(16, 16, 8);
    SpriteRecord& target = sprite(1, shared.get(), 1, 0);  // shown, and drawn into itself one column right
    Ref<ISurface> other = patterned(4, 4, 9);
    sprite(2, other.get(), 6, 6).z = 1;
    SpriteRecord& clippedByTarget = sprite(3, other.get(), 10, 1);
    clippedByTarget.alphaClipperNumber = 1;
    clippedByTarget.z = 1;

    ASSERT_TRUE(compositor_.renderView(1));
    ISurface* view = target.surface.get();
    ASSERT_NE(view, shared.get()) << "the shared surface is copied before it is written";
    EXPECT_EQ(pixelOf(shared.get(), 5, 5), pattern(5, 5, 8));
    for (int y = 0; y < 16; ++y) {
      for (int x = 0; x < 16; ++x) {
        // The fill keeps alpha; the self-copy one column right runs left to right, so column 0's alpha spreads.
        std::uint32_t expected = pattern(0, y, 8) & 0xFF000000u;
        if (x >= 6 && x < 10 && y >= 6 && y < 10) expected = pattern(x - 6, y - 6, 9);
        if (x >= 10 && x < 14 && y >= 1 && y < 5) expected = mixed(pattern(x - 10, y - 1, 9), expected, expected >> 24);
        ASSERT_EQ(pixelOf(view, x, y), expected) << x << "," << y;
      }
    }
    EXPECT_EQ(compositor_.copyPixels(), 16 * 16 + 15 * 16 + 16 + 16);
  }
}

TEST_F(SceneCompositorTest, RandomSceneGivesTheSameBytesOnEveryPath) {
  std::mt19937 random(2024);
  const auto pick = [&](int low, int high) { return low + static_cast<int>(random() % (high - low + 1)); };
  std::vector<Ref<ISurface>> surfaces;
  for (int i = 0; i < 24; ++i) {
    const bool alpha = i % 3 != 0;
    Ref<ISurface> surface =
        Ref<ISurface>::adopt(alpha ? host_.surfaceFactory().Create(pick(1, 40), pick(1, 40), 32)
                                   : host_.surfaceFactory().CreatePixelOnly(pick(1, 40), pick(1, 40), 32));
    for (int y = 0; y < surface->GetHeight(); ++y) {
      for (int x = 0; x < surface->GetWidth(); ++x) setPixel(surface.get(), x, y, static_cast<std::uint32_t>(random()));
    }
    surfaces.push_back(surface);
  }
  for (int number = 1; number <= 200; ++number) {
    SpriteRecord& record = sprite(number, surfaces[random() % surfaces.size()].get(), pick(-30, 80), pick(-30, 60));
    record.z = pick(0, 5);
    record.drawMethod = pick(0, 9) == 0 ? 5 : pick(0, 3);
    record.blendRate = pick(0, 2) == 0 ? pick(1, 255) : 255;
    if (pick(0, 2) == 0) {
      for (int c = 0; c < 4; ++c) record.multiplyColor[c] = pick(0, 300), record.addColor[c] = pick(-20, 300);
    }
    if (pick(0, 3) == 0) record.surfaceArea = {pick(-5, 20), pick(-5, 20), pick(-2, 30), pick(-2, 30)};
    if (pick(0, 3) == 0) record.alphaClipperNumber = pick(0, 220);
    if (pick(0, 15) == 0) {
      record.transformMode = 1;
      record.textureFilterType = pick(0, 1);
      for (auto& corner : record.transformPositions) {
        corner = {static_cast<float>(pick(-200, 800)) / 10, static_cast<float>(pick(-200, 600)) / 10, 0.0f, 1.0f};
      }
      for (auto& texel : record.transformTexCoords)
        texel = {static_cast<float>(pick(0, 40)), static_cast<float>(pick(0, 40))};
    }
  }
  block_.viewOffsetX = 3, block_.viewOffsetY = -2;
  std::vector<std::uint32_t> sums;
  std::vector<std::int64_t> counts;
  for (KernelPath path : {KernelPath::kScalar, KernelPath::kSse2, KernelPath::kAvx2, KernelPath::kScalar}) {
    if (!tamblet::kernels::forceKernelPath(path)) continue;
    ASSERT_TRUE(compose());
    sums.push_back(tamblet::testing::Checksum().addSurface(destination_.get()).value());
    counts.push_back(compositor_.copyPixels() * 100000 + compositor_.blendPixels());
  }
  ASSERT_GE(sums.size(), 3u);
  for (std::size_t i = 1; i < sums.size(); ++i) {
    EXPECT_EQ(sums[i], sums[0]) << "path " << i;
    EXPECT_EQ(counts[i], counts[0]);
  }
  EXPECT_GT(compositor_.blendPixels(), 0);
}

}  // namespace
