#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <tuple>

#include "refhost/Raster.h"
#include "sprite/SpriteTable.h"
#include "sprite/SpriteTableBlock.h"
#include "tests/sprite/FakeHost.h"

namespace tamblet {
namespace {

using testing::FakeFactory;
using testing::FakePlugin;
using testing::FakeSurface;
using testing::liveFakes;
using testing::Planes;

class SpriteTableTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fakesAtStart = liveFakes();
    table.setServices(&factory, raster.get());
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
  Ref<refhost::Raster> raster = Ref<refhost::Raster>::adopt(new refhost::Raster());
  SpriteTable table;
};

TEST_F(SpriteTableTest, NewRecordsTakeTheServicesAndFindNeverCreates) {
  const SpriteRecord* record = table.findOrCreate(-3);
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(std::tie(record->referenceCount, record->surfaceFactory, record->rasterOperations),
            std::make_tuple(1, static_cast<ISurfaceFactory*>(&factory), static_cast<IGraph3*>(raster.get())));
  // The other start values are the sprite exports' to check.
  EXPECT_FALSE(record->surface || record->drawPlugin);

  EXPECT_EQ(table.find(5), nullptr);
  EXPECT_EQ(table.size(), 1u) << "find never creates";
  SpriteRecord* five = table.findOrCreate(5);
  five->x = 10;
  EXPECT_EQ(table.findOrCreate(5), five);
  for (std::int32_t number : {INT_MAX, INT_MIN, 0, -1, 3, 7}) ASSERT_NE(table.findOrCreate(number), nullptr);
  EXPECT_EQ(table.find(5), five) << "inserting others must not move a record";
  EXPECT_EQ(five->x, 10);
  std::vector<std::int32_t> numbers;
  ASSERT_TRUE(table.listNumbers(numbers));
  EXPECT_EQ(numbers, (std::vector<std::int32_t>{INT_MIN, -3, -1, 0, 3, 5, 7, INT_MAX}));
  EXPECT_EQ(table.find(4), nullptr);

  table.find(3)->suspended = true;
  table.find(INT_MIN)->suspended = true;
  table.find(7)->show = false;  // hidden records are still listed
  ASSERT_TRUE(table.listUnsuspendedNumbers(numbers));
  EXPECT_EQ(numbers, (std::vector<std::int32_t>{-3, -1, 0, 5, 7, INT_MAX}));

  table.remove(5);
  table.remove(6);  // absent: nothing happens
  EXPECT_EQ(table.size(), 7u);
  EXPECT_EQ(table.findOrCreate(5)->x, 0) << "a number used again gets a fresh record";
  table.removeAll();
  EXPECT_TRUE(table.empty());
}

TEST_F(SpriteTableTest, SetSurfaceCachesTheSurfaceAndSurvivesItsOwnSurface) {
  FakeSurface* surface = giveSurface(1, 20, 10);
  SpriteRecord* record = table.find(1);
  EXPECT_EQ(std::tie(record->hasPixel, record->hasAMap, record->width, record->height),
            std::make_tuple(true, true, 20, 10));

  // The sprite is the only holder: handing it the same surface or plug-in again must not free it.
  const std::int64_t live = liveFakes();
  record->setSurface(record->surface.get());
  EXPECT_EQ(record->surface.get(), surface);
  EXPECT_EQ(surface->references(), 1);
  auto* plugin = new FakePlugin;
  record->setDrawPlugin(plugin);
  plugin->Release();
  record->setDrawPlugin(record->drawPlugin.get());
  EXPECT_EQ(plugin->references(), 1);
  EXPECT_EQ(liveFakes(), live + 1);

  // A new image replaces only the image and the cached facts; the old surface is released.
  record->x = 7;
  FakeSurface* alphaOnly = giveSurface(1, 3, 4, Planes::kAlphaOnly);
  EXPECT_EQ(liveFakes(), live + 1);
  EXPECT_EQ(record->surface.get(), alphaOnly);
  EXPECT_EQ(std::tie(record->hasPixel, record->hasAMap, record->width, record->height, record->x),
            std::make_tuple(false, true, 3, 4, 7));

  EXPECT_TRUE(table.setSurface(1, nullptr));
  EXPECT_FALSE(record->surface);
  EXPECT_EQ(std::tie(record->hasAMap, record->width, record->height), std::make_tuple(false, 0, 0));
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
  EXPECT_EQ(first->pixelBytes(), original);
  EXPECT_EQ(table.find(1)->surface.get(), first);
  EXPECT_EQ(first->references(), 1) << "the creation reference was given back";
  EXPECT_EQ(shared->references(), 2);
  EXPECT_EQ(table.writableSurface(1), first) << "the private copy is now held alone";
  EXPECT_EQ(factory.made, 1);
  first->setPixel(0, 0, 0x11223344u);
  EXPECT_EQ(shared->pixelBytes(), original);

  auto* second = static_cast<FakeSurface*>(table.writableSurface(2));
  ASSERT_NE(second, nullptr);
  EXPECT_TRUE(second != shared && second != first);
  EXPECT_EQ(second->pixelBytes(), original);
  EXPECT_EQ(shared->references(), 1);

  // With the cache gone, the shared surface is freed; with the sprites gone, both copies are.
  cache.reset();
  EXPECT_EQ(liveFakes(), fakesAtStart + 2);
  table.removeAll();
  EXPECT_EQ(liveFakes(), fakesAtStart);
}

TEST_F(SpriteTableTest, CopyOnWriteKeepsTheKindAndFailsSoftly) {
  EXPECT_EQ(table.writableSurface(1), nullptr);  // absent
  table.findOrCreate(1);
  EXPECT_EQ(table.writableSurface(1), nullptr);  // no surface
  FakeSurface* alone = giveSurface(2, 4, 4);
  EXPECT_EQ(table.writableSurface(2), alone);
  EXPECT_EQ(factory.made, 0);

  for (Planes planes : {Planes::kPixelsOnly, Planes::kAlphaOnly}) {
    FakeSurface* surface = giveSurface(3, 6, 2, planes);
    Ref<ISurface> holder = Ref<ISurface>::retain(surface);
    auto* copy = static_cast<FakeSurface*>(table.writableSurface(3));
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(std::tie(copy->pixelBytes(), copy->alphaBytes()), std::tie(surface->pixelBytes(), surface->alphaBytes()));
    EXPECT_EQ(copy->HasPixel(), surface->HasPixel());
    EXPECT_EQ(copy->HasAMap(), surface->HasAMap());
  }

  // A factory that fails: the sprite keeps the shared surface, nothing leaks.
  FakeSurface* surface = giveSurface(4, 6, 2);
  Ref<ISurface> holder = Ref<ISurface>::retain(surface);
  factory.failing = true;
  EXPECT_EQ(table.writableSurface(4), nullptr);
  EXPECT_EQ(table.find(4)->surface.get(), surface);
  EXPECT_EQ(surface->references(), 2);
  factory.failing = false;

  // A shared surface with neither plane is detached.
  FakeSurface* empty = giveSurface(5, 6, 2, Planes::kNone);
  Ref<ISurface> emptyHolder = Ref<ISurface>::retain(empty);
  EXPECT_EQ(table.writableSurface(5), nullptr);
  EXPECT_FALSE(table.find(5)->surface);
  EXPECT_EQ(table.find(5)->width, 0);
  EXPECT_EQ(empty->references(), 1);
}

// Every property a back-scene copy carries over (all but the count, the host pointers and the clipper).
auto properties(const SpriteRecord& r) {
  auto bytes = [](const auto& array) { return std::string(reinterpret_cast<const char*>(&array), sizeof array); };
  return std::make_tuple(r.surface.get(), r.hasPixel, r.hasAMap, r.width, r.height, r.number, r.x, r.y, r.z,
                         r.blendRate, bytes(r.multiplyColor), bytes(r.addColor), r.show, r.drawMethod, r.custom,
                         r.suspended, r.transformMode, bytes(r.transformPositions), bytes(r.transformTexCoords),
                         r.textureFilterType, bytes(r.surfaceArea), r.drawPlugin.get());
}

TEST_F(SpriteTableTest, BackSceneCopyIsIndependentAndKeepsTheAlphaClipper) {
  SpriteTableBlock block;
  FakeFactory otherFactory;
  Ref<refhost::Raster> otherRaster = Ref<refhost::Raster>::adopt(new refhost::Raster());
  block.setUp(&factory, raster.get(), 800, 600);
  block.backScene.setServices(&otherFactory, otherRaster.get());  // the copy takes the destination's
  SpriteTable& live = block.liveTable;

  auto* surface = new FakeSurface(8, 8, Planes::kPixelsOnly);
  auto* plugin = new FakePlugin;
  for (std::int32_t number : {9, -2, 4}) {
    SpriteRecord* record = live.findOrCreate(number);
    record->setSurface(surface);
    record->setDrawPlugin(plugin);
    record->x = number * 3, record->y = -number, record->z = 100 - number, record->blendRate = 128;
    record->multiplyColor[kGreen] = 7, record->addColor[kAlpha] = 300;
    record->show = number != 4, record->suspended = number == 9, record->custom = true;
    record->drawMethod = 3, record->transformMode = 1, record->textureFilterType = 0;
    record->transformPositions[2] = {1.5f, 2.5f, 0.25f, 0.5f};
    record->transformTexCoords[3] = {0.75f, 1.0f};
    record->surfaceArea = {1, 2, 3, 4};
    record->alphaClipperNumber = 42;
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
    EXPECT_EQ(std::tie(copy->alphaClipperNumber, copy->referenceCount), std::make_tuple(42, 1));
    EXPECT_EQ(copy->surfaceFactory, &otherFactory);
    EXPECT_EQ(copy->rasterOperations, otherRaster.get());
  }

  live.find(4)->x = 1000;
  live.remove(9);
  EXPECT_EQ(block.backScene.find(4)->x, 12);
  ASSERT_NE(block.backScene.find(9), nullptr);
  EXPECT_EQ(block.backScene.find(9)->surface.get(), surface);

  block.usePowerOfTwo = true;
  block.tearDown();
  EXPECT_TRUE(block.liveTable.empty() && block.backScene.empty());
  EXPECT_FALSE(block.usePowerOfTwo);
  EXPECT_EQ(liveFakes(), fakesAtStart);
}

}  // namespace
}  // namespace tamblet
