#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <tuple>

#include "sprite/SpriteTable.h"
#include "sprite/SpriteTableBlock.h"
#include "tests/sprite/FakeHost.h"

namespace tamblet {
namespace {

using testing::FakeFactory;
using testing::FakePlugin;
using testing::FakeRaster;
using testing::FakeSurface;
using testing::liveFakes;
using testing::Planes;

class SpriteTableTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fakesAtStart = liveFakes();
    table.setServices(&factory, &raster);
  }
  void TearDown() override {
    table.removeAll();
    EXPECT_EQ(liveFakes(), fakesAtStart) << "a fake surface or plug-in was leaked or freed twice";
  }

  // A surface held only by the sprite `number`.
  FakeSurface* giveSurface(std::int32_t number, std::int32_t width, std::int32_t height,
                           Planes planes = Planes::kPixelsAndAlpha) {
    auto* surface = new FakeSurface(width, height, planes);
    surface->fillPattern(static_cast<std::uint8_t>(number));
    EXPECT_TRUE(table.setSurface(number, surface));
    surface->Release();
    return surface;
  }

  std::int64_t fakesAtStart = 0;
  FakeFactory factory;
  FakeRaster raster;
  SpriteTable table;
};

TEST_F(SpriteTableTest, NewRecordHasTheStartValues) {
  const SpriteRecord* record = table.findOrCreate(-3);
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(record->referenceCount, 1);
  EXPECT_EQ(record->surfaceFactory, &factory);
  EXPECT_EQ(record->rasterOperations, &raster);
  EXPECT_FALSE(record->surface || record->drawPlugin);
  EXPECT_EQ(std::tie(record->hasPixel, record->hasAMap, record->show, record->custom, record->suspended),
            std::make_tuple(false, false, true, false, false));
  EXPECT_EQ(std::tie(record->width, record->height, record->number, record->x, record->y, record->z, record->blendRate,
                     record->drawMethod, record->transformMode, record->textureFilterType, record->alphaClipperNumber),
            std::make_tuple(0, 0, -3, 0, 0, 0, 255, 0, 0, 1, -1));
  for (int channel = 0; channel < 4; ++channel) {
    EXPECT_EQ(record->multiplyColor[channel], 255);
    EXPECT_EQ(record->addColor[channel], 0);
  }
  for (int corner = 0; corner < 4; ++corner) {
    const TransformPosition& p = record->transformPositions[corner];
    const TextureCoordinate& t = record->transformTexCoords[corner];
    EXPECT_EQ(std::tie(p.x, p.y, p.z, p.w, t.u, t.v), std::make_tuple(0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f));
  }
  const SurfaceArea& area = record->surfaceArea;
  EXPECT_EQ(std::tie(area.x, area.y, area.width, area.height), std::make_tuple(0, 0, 0, 0));
}

TEST_F(SpriteTableTest, FindNeverCreatesAndFindOrCreateKeepsExistingRecords) {
  EXPECT_EQ(table.find(5), nullptr);
  EXPECT_TRUE(table.empty());

  SpriteRecord* five = table.findOrCreate(5);
  five->x = 10;
  EXPECT_EQ(table.findOrCreate(5), five);
  EXPECT_EQ(table.find(5), five);
  EXPECT_EQ(five->x, 10);

  for (std::int32_t number : {INT_MAX, INT_MIN, 0, -1, 3, 7}) ASSERT_NE(table.findOrCreate(number), nullptr);
  EXPECT_EQ(table.find(5), five) << "inserting others must not move a record";
  std::vector<std::int32_t> numbers;
  ASSERT_TRUE(table.listNumbers(numbers));
  EXPECT_EQ(numbers, (std::vector<std::int32_t>{INT_MIN, -1, 0, 3, 5, 7, INT_MAX}));
  EXPECT_EQ(table.find(4), nullptr);
  EXPECT_EQ(table.find(6), nullptr);

  table.find(3)->suspended = true;
  table.find(INT_MIN)->suspended = true;
  table.find(7)->show = false;  // hidden records are still listed
  ASSERT_TRUE(table.listUnsuspendedNumbers(numbers));
  EXPECT_EQ(numbers, (std::vector<std::int32_t>{-1, 0, 5, 7, INT_MAX}));

  table.remove(5);
  table.remove(6);  // absent: nothing happens
  EXPECT_EQ(table.find(5), nullptr);
  EXPECT_EQ(table.size(), 6u);
  EXPECT_EQ(table.findOrCreate(5)->x, 0) << "a number used again gets a fresh record";

  table.removeAll();
  EXPECT_TRUE(table.empty());
  EXPECT_EQ(table.find(INT_MAX), nullptr);
}

TEST_F(SpriteTableTest, SetSurfaceCachesTheSurfaceAndSurvivesItsOwnSurface) {
  FakeSurface* surface = giveSurface(1, 20, 10);
  SpriteRecord* record = table.find(1);
  EXPECT_EQ(surface->references(), 1);
  EXPECT_TRUE(record->hasPixel);
  EXPECT_TRUE(record->hasAMap);
  EXPECT_EQ(record->width, 20);
  EXPECT_EQ(record->height, 10);

  // The sprite is the surface's only holder: handing it the same surface must not free it.
  const std::int64_t live = liveFakes();
  record->setSurface(record->surface.get());
  EXPECT_EQ(liveFakes(), live);
  EXPECT_EQ(record->surface.get(), surface);
  EXPECT_EQ(surface->references(), 1);
  EXPECT_EQ(surface->GetWidth(), 20);

  // The same for a draw plug-in.
  auto* plugin = new FakePlugin;
  record->setDrawPlugin(plugin);
  plugin->Release();
  record->setDrawPlugin(record->drawPlugin.get());
  EXPECT_EQ(plugin->references(), 1);
  EXPECT_EQ(liveFakes(), live + 1);

  // A new image replaces only the image and the cached facts.
  record->x = 7;
  record->blendRate = 9;
  FakeSurface* alphaOnly = giveSurface(1, 3, 4, Planes::kAlphaOnly);
  EXPECT_EQ(liveFakes(), live + 1) << "the old surface is released, the new one held";
  EXPECT_EQ(record->surface.get(), alphaOnly);
  EXPECT_FALSE(record->hasPixel);
  EXPECT_TRUE(record->hasAMap);
  EXPECT_EQ(record->width, 3);
  EXPECT_EQ(record->height, 4);
  EXPECT_EQ(record->x, 7);
  EXPECT_EQ(record->blendRate, 9);

  EXPECT_TRUE(table.setSurface(1, nullptr));
  EXPECT_FALSE(record->surface);
  EXPECT_FALSE(record->hasAMap);
  EXPECT_EQ(record->width, 0);
  EXPECT_EQ(record->height, 0);
  EXPECT_EQ(liveFakes(), live);
}

TEST_F(SpriteTableTest, CopyOnWriteCopiesASharedSurfaceOnceAndLeavesTheSharedOneAlone) {
  auto* shared = new FakeSurface(5, 3, Planes::kPixelsAndAlpha);
  shared->fillPattern(40);
  const std::vector<std::uint8_t> original = shared->pixelBytes();
  ASSERT_TRUE(table.setSurface(1, shared));
  ASSERT_TRUE(table.setSurface(2, shared));
  Ref<ISurface> cache = Ref<ISurface>::adopt(shared);  // a cache-like third holder
  EXPECT_EQ(shared->references(), 3);

  auto* first = static_cast<FakeSurface*>(table.writableSurface(1));
  ASSERT_NE(first, nullptr);
  EXPECT_NE(first, shared);
  EXPECT_EQ(factory.createCalls, 1);
  EXPECT_EQ(raster.copyCalls, 1);
  EXPECT_EQ(first->GetBpp(), 32);
  EXPECT_EQ(first->pixelBytes(), original);
  EXPECT_EQ(table.find(1)->surface.get(), first);
  EXPECT_EQ(first->references(), 1) << "the creation reference was given back";
  EXPECT_EQ(shared->references(), 2);

  EXPECT_EQ(table.writableSurface(1), first) << "the private copy is now held alone";
  EXPECT_EQ(factory.createCalls, 1);
  first->setPixel(0, 0, 0x11223344u);
  EXPECT_EQ(shared->pixelBytes(), original);

  auto* second = static_cast<FakeSurface*>(table.writableSurface(2));
  ASSERT_NE(second, nullptr);
  EXPECT_NE(second, shared);
  EXPECT_NE(second, first);
  EXPECT_EQ(second->pixelBytes(), original);
  EXPECT_EQ(shared->references(), 1);

  // With the cache gone, the shared surface is freed; with the sprites gone, both copies are.
  cache.reset();
  EXPECT_EQ(liveFakes(), fakesAtStart + 2);
  table.removeAll();
  EXPECT_EQ(liveFakes(), fakesAtStart);
}

TEST_F(SpriteTableTest, CopyOnWriteChoosesTheMakerByKindAndFailsSoftly) {
  EXPECT_EQ(table.writableSurface(1), nullptr);  // absent
  table.findOrCreate(1);
  EXPECT_EQ(table.writableSurface(1), nullptr);  // no surface

  FakeSurface* alone = giveSurface(2, 4, 4);
  EXPECT_EQ(table.writableSurface(2), alone);
  EXPECT_EQ(factory.createCalls + factory.pixelOnlyCalls + factory.alphaOnlyCalls, 0);

  // Each kind of shared surface gets a private copy of the same kind.
  for (Planes planes : {Planes::kPixelsOnly, Planes::kAlphaOnly}) {
    FakeSurface* surface = giveSurface(3, 6, 2, planes);
    Ref<ISurface> holder = Ref<ISurface>::retain(surface);
    auto* copy = static_cast<FakeSurface*>(table.writableSurface(3));
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->HasPixel(), surface->HasPixel());
    EXPECT_EQ(copy->HasAMap(), surface->HasAMap());
    EXPECT_EQ(copy->pixelBytes(), surface->pixelBytes());
    EXPECT_EQ(copy->alphaBytes(), surface->alphaBytes());
  }
  EXPECT_EQ(factory.pixelOnlyCalls, 1);
  EXPECT_EQ(factory.alphaOnlyCalls, 1);

  // A factory that fails: the sprite keeps the shared surface, nothing leaks.
  {
    FakeSurface* surface = giveSurface(4, 6, 2);
    Ref<ISurface> holder = Ref<ISurface>::retain(surface);
    factory.failing = true;
    EXPECT_EQ(table.writableSurface(4), nullptr);
    EXPECT_EQ(table.find(4)->surface.get(), surface);
    EXPECT_EQ(surface->references(), 2);
    factory.failing = false;
  }

  // A shared surface with neither plane is detached.
  {
    FakeSurface* empty = giveSurface(5, 6, 2, Planes::kNone);
    Ref<ISurface> holder = Ref<ISurface>::retain(empty);
    EXPECT_EQ(table.writableSurface(5), nullptr);
    EXPECT_FALSE(table.find(5)->surface);
    EXPECT_EQ(table.find(5)->width, 0);
    EXPECT_EQ(empty->references(), 1);
  }
}

// Every property a back-scene copy carries over (all fields but the count, the host pointers and
// the alpha clipper number).
auto properties(const SpriteRecord& r) {
  auto bytes = [](const auto& array) {
    return std::string(reinterpret_cast<const char*>(&array), sizeof array);  // plain int and float arrays
  };
  return std::make_tuple(r.surface.get(), r.hasPixel, r.hasAMap, r.width, r.height, r.number, r.x, r.y, r.z,
                         r.blendRate, bytes(r.multiplyColor), bytes(r.addColor), r.show, r.drawMethod, r.custom,
                         r.suspended, r.transformMode, bytes(r.transformPositions), bytes(r.transformTexCoords),
                         r.textureFilterType, bytes(r.surfaceArea), r.drawPlugin.get());
}

TEST_F(SpriteTableTest, BackSceneCopyIsIndependentAndDropsTheAlphaClipper) {
  SpriteTableBlock block;
  FakeFactory otherFactory;
  FakeRaster otherRaster;
  block.setUp(&factory, &raster, 800, 600);
  block.backScene.setServices(&otherFactory, &otherRaster);  // proves the copy takes the destination's
  SpriteTable& live = block.liveTable;

  auto* surface = new FakeSurface(8, 8, Planes::kPixelsOnly);
  auto* plugin = new FakePlugin;
  for (std::int32_t number : {9, -2, 4}) {
    SpriteRecord* record = live.findOrCreate(number);
    record->setSurface(surface);
    record->x = number * 3;
    record->y = -number;
    record->z = 100 - number;
    record->blendRate = 128;
    record->multiplyColor[kGreen] = 7;
    record->addColor[kAlpha] = 300;
    record->show = number != 4;
    record->drawMethod = 3;
    record->custom = true;
    record->suspended = number == 9;
    record->transformMode = 1;
    record->transformPositions[2] = {1.5f, 2.5f, 0.25f, 0.5f};
    record->transformTexCoords[3] = {0.75f, 1.0f};
    record->textureFilterType = 0;
    record->surfaceArea = {1, 2, 3, 4};
    record->alphaClipperNumber = 42;
    record->setDrawPlugin(plugin);
  }
  surface->Release();
  plugin->Release();
  block.backScene.findOrCreate(77);  // replaced by the copy

  ASSERT_TRUE(SpriteTable::copy(block.backScene, live));
  std::vector<std::int32_t> numbers;
  ASSERT_TRUE(block.backScene.listNumbers(numbers));
  EXPECT_EQ(numbers, (std::vector<std::int32_t>{-2, 4, 9}));
  EXPECT_EQ(surface->references(), 6);
  EXPECT_EQ(plugin->references(), 6);
  for (std::int32_t number : numbers) {
    const SpriteRecord* original = live.find(number);
    const SpriteRecord* copy = block.backScene.find(number);
    ASSERT_NE(copy, original);
    EXPECT_EQ(properties(*copy), properties(*original));
    EXPECT_EQ(copy->alphaClipperNumber, -1);
    EXPECT_EQ(copy->referenceCount, 1);
    EXPECT_EQ(copy->surfaceFactory, &otherFactory);
    EXPECT_EQ(copy->rasterOperations, &otherRaster);
  }

  live.find(4)->x = 1000;
  live.remove(9);
  EXPECT_EQ(block.backScene.find(4)->x, 12);
  ASSERT_NE(block.backScene.find(9), nullptr);
  EXPECT_EQ(block.backScene.find(9)->surface.get(), surface);

  block.usePowerOfTwo = true;
  block.tearDown();
  EXPECT_TRUE(block.liveTable.empty());
  EXPECT_TRUE(block.backScene.empty());
  EXPECT_FALSE(block.usePowerOfTwo);
  EXPECT_EQ(block.screenWidth, 800);
  EXPECT_EQ(liveFakes(), fakesAtStart);
}

}  // namespace
}  // namespace tamblet
