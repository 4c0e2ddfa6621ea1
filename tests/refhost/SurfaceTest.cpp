#include <gtest/gtest.h>

#include <climits>
#include <cstdint>

#include "host/Surface.h"
#include "tests/refhost/HostFixture.h"
#include "tests/support/VTable.h"

namespace refhost::testing {
namespace {

using tamblet::testing::callSlot;

using SurfaceTest = HostFixture;

tamblet::ISurfaceFactory* factoryOf() {
  return static_cast<tamblet::ISurfaceFactory*>(
      Host::moduleInterface(tamblet::kModulePixmapMaker, &tamblet::kIID_ISurfaceFactory));
}

bool allZero(const std::uint8_t* bytes, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    if (bytes[i] != 0) return false;
  }
  return true;
}

TEST_F(SurfaceTest, ThirtyTwoBitSurfacesKeepAlphaInByteThreeOfPaddedRows) {
  tamblet::ISurfaceFactory* factory = factoryOf();
  auto* surface = callSlot<tamblet::ISurface*>(factory, 2, 5, 3, 32);
  ASSERT_NE(surface, nullptr);
  // Width, height, depth, pitch (20 bytes rounded up to 16) and alpha pitch at slots 4 to 8.
  for (const auto& [slot, value] : {std::pair{4, 5}, {5, 3}, {6, 32}, {7, 32}, {8, 0}})
    EXPECT_EQ(callSlot<std::int32_t>(surface, slot), value) << slot;
  EXPECT_TRUE(callSlot<bool>(surface, 9));
  EXPECT_TRUE(callSlot<bool>(surface, 10));
  EXPECT_EQ(callSlot<std::uint8_t*>(surface, 3, 0, 0), nullptr);
  std::uint8_t* origin = callSlot<std::uint8_t*>(surface, 2, 0, 0);
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(origin) % 16, 0u);
  EXPECT_EQ(surface->GetPixelAddress(2, 1), origin + 32 + 8);
  EXPECT_TRUE(allZero(origin, 32 * 3));

  auto* pixelOnly = callSlot<tamblet::ISurface*>(factory, 3, 4, 4, 32);
  ASSERT_NE(pixelOnly, nullptr);
  EXPECT_TRUE(pixelOnly->HasPixel());
  EXPECT_FALSE(pixelOnly->HasAMap());
  EXPECT_EQ(pixelOnly->GetPitch(), 16);

  auto* grey = factory->CreatePixelOnly(17, 2, 8);
  ASSERT_NE(grey, nullptr);
  EXPECT_EQ(grey->GetBpp(), 8);
  EXPECT_EQ(grey->GetPitch(), 32);
  EXPECT_EQ(grey->GetPixelAddress(3, 1), grey->GetPixelAddress(0, 0) + 32 + 3);

  EXPECT_EQ(host().surfaceFactory().surfacesMade(), 3);
  for (tamblet::ISurface* made : {surface, pixelOnly, grey}) EXPECT_EQ(made->Release(), 0);
  factory->Release();
}

TEST_F(SurfaceTest, AlphaOnlySurfacesKeepASeparatePlane) {
  tamblet::ISurfaceFactory* factory = factoryOf();
  auto* mask = callSlot<tamblet::ISurface*>(factory, 4, 20, 2);
  ASSERT_NE(mask, nullptr);
  EXPECT_FALSE(mask->HasPixel());
  EXPECT_TRUE(mask->HasAMap());
  EXPECT_EQ(mask->GetPixelAddress(0, 0), nullptr);
  EXPECT_EQ(mask->GetPitch(), 0);
  EXPECT_EQ(mask->GetAMapPitch(), 32);
  EXPECT_EQ(mask->GetBpp(), 8);
  std::uint8_t* plane = mask->GetAMapAddress(0, 0);
  ASSERT_NE(plane, nullptr);
  EXPECT_EQ(mask->GetAMapAddress(5, 1), plane + 32 + 5);
  EXPECT_TRUE(allZero(plane, 64));
  EXPECT_EQ(mask->AddRef(), 2);
  EXPECT_EQ(mask->Release(), 1);
  EXPECT_EQ(Ledger::liveObjects("Surface"), 1);
  EXPECT_EQ(mask->Release(), 0);
  factory->Release();
}

TEST_F(SurfaceTest, BadSizesAndDepthsAreRefused) {
  tamblet::ISurfaceFactory* factory = factoryOf();
  const std::int32_t badSides[] = {0, -1, INT32_MIN, 16385, INT32_MAX};
  for (std::int32_t side : badSides) {
    EXPECT_EQ(factory->Create(side, 4, 32), nullptr) << side;
    EXPECT_EQ(factory->Create(4, side, 32), nullptr) << side;
    EXPECT_EQ(factory->CreatePixelOnly(side, 4, 32), nullptr) << side;
    EXPECT_EQ(factory->CreateAMapOnly(4, side), nullptr) << side;
  }
  for (std::int32_t bpp : {0, 1, 15, 16, 24, 64, -32}) EXPECT_EQ(factory->Create(4, 4, bpp), nullptr) << bpp;
  tamblet::ISurface* widest = factory->CreateAMapOnly(16384, 1);
  ASSERT_NE(widest, nullptr);
  widest->Release();
  EXPECT_EQ(host().surfaceFactory().surfacesMade(), 1);
  factory->Release();
}

TEST_F(SurfaceTest, MainSurfaceReportsItsDepthAndRecordsBlits) {
  auto* main = static_cast<tamblet::IMainSurface*>(host().kernel().GetService(&tamblet::kIID_IMainSurface));
  EXPECT_EQ(main->GetWidth(), 640);
  EXPECT_EQ(main->GetHeight(), 480);
  EXPECT_EQ(callSlot<std::int32_t>(main, 6), 32);
  EXPECT_EQ(main->GetPitch(), 2560);
  EXPECT_TRUE(main->HasAMap());
  host().mainSurface().setReportedBpp(16);
  EXPECT_EQ(callSlot<std::int32_t>(main, 6), 16);
  callSlot<void>(main, 11, 1, 2, 3, 4);
  callSlot<void>(main, 11, -5, 0, INT32_MAX, 0);
  EXPECT_EQ(host().mainSurface().blits(), (std::vector<MainSurface::Rect>{{1, 2, 3, 4}, {-5, 0, INT32_MAX, 0}}));
}

}  // namespace
}  // namespace refhost::testing
