#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "host/Modules.h"
#include "host/Ref.h"
#include "refhost/MainSurface.h"
#include "refhost/SceneWipe.h"
#include "tests/refhost/HostFixture.h"
#include "tests/support/VTable.h"

namespace refhost::testing {
namespace {

using tamblet::ISurface;
using tamblet::testing::callSlot;
using ByteAt = std::function<int(int x, int y, int c)>;

using TransitionTest = HostFixture;

tamblet::Ref<tamblet::ISoftwareTransition> makeTransition() {
  return tamblet::Ref<tamblet::ISoftwareTransition>::adopt(static_cast<tamblet::ISoftwareTransition*>(
      Host::moduleInterface(tamblet::kModuleSceneWipe, &tamblet::kIID_ISoftwareTransition)));
}

tamblet::Ref<MainSurface> makeMain(int width, int height) {
  return tamblet::Ref<MainSurface>::adopt(MainSurface::create(width, height));
}

void paint(ISurface* surface, const ByteAt& byteAt) {
  for (int y = 0; y < surface->GetHeight(); ++y) {
    for (int x = 0; x < surface->GetWidth(); ++x) {
      for (int c = 0; c < 4; ++c) surface->GetPixelAddress(x, y)[c] = static_cast<std::uint8_t>(byteAt(x, y, c));
    }
  }
}

// Every byte of the surface's top-left width x height area against the expectation.
void expectPixels(ISurface* surface, int width, int height, const ByteAt& expected, const char* what) {
  SCOPED_TRACE(what);
  int mismatches = 0;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      for (int c = 0; c < 4; ++c) {
        const int got = surface->GetPixelAddress(x, y)[c];
        if (got != expected(x, y, c) && ++mismatches <= 5) {
          ADD_FAILURE() << "pixel (" << x << ", " << y << ") byte " << c << ": " << got << " != " << expected(x, y, c);
        }
      }
    }
  }
}

const ByteAt kBlack = [](int, int, int) { return 0; };
const ByteAt kWhite = [](int, int, int) { return 255; };

TEST_F(TransitionTest, ModuleMakesOneNewObjectPerRequest) {
  const std::int64_t before = Ledger::liveObjects("SceneWipe");
  void* first = create(tamblet::kModuleSceneWipe, tamblet::kIID_ISoftwareTransition);
  void* second = create(tamblet::kModuleSceneWipe, tamblet::kIID_ISoftwareTransition);
  ASSERT_NE(first, nullptr);
  EXPECT_NE(first, second);
  EXPECT_EQ(Ledger::liveObjects("SceneWipe"), before + 2);
  EXPECT_EQ(create(tamblet::kModuleSceneWipe, tamblet::kIID_IDirect3DTransition), nullptr);
  EXPECT_EQ(callSlot<std::int32_t>(first, 0), 2);  // AddRef
  EXPECT_EQ(callSlot<std::int32_t>(first, 1), 1);  // Release
  EXPECT_EQ(callSlot<std::int32_t>(first, 1), 0);
  EXPECT_EQ(callSlot<std::int32_t>(second, 1), 0);
  EXPECT_EQ(Ledger::liveObjects("SceneWipe"), before);
}

TEST_F(TransitionTest, SlotsRunInTheOrderTheEngineCallsThem) {
  auto transition = makeTransition();
  auto main = makeMain(16, 8);
  void* object = transition.get();
  ASSERT_TRUE(callSlot<bool>(object, 2, 16, 8));  // SetUp
  auto* newPicture = callSlot<ISurface*>(object, 6);
  auto* oldPicture = callSlot<ISurface*>(object, 7);
  ASSERT_NE(newPicture, nullptr);
  ASSERT_NE(oldPicture, nullptr);
  EXPECT_NE(newPicture, oldPicture);
  EXPECT_EQ(newPicture, transition->GetNewPictureSurface());
  EXPECT_EQ(std::pair(oldPicture->GetWidth(), oldPicture->GetHeight()), std::pair(16, 8));
  paint(newPicture, kWhite);
  EXPECT_TRUE(callSlot<bool>(object, 3, 0));                                                      // Begin
  EXPECT_TRUE(callSlot<bool>(object, 5, static_cast<tamblet::IMainSurface*>(main.get()), 1.0f));  // Compose
  expectPixels(main.get(), 16, 8, kWhite, "composed through the slot");
  EXPECT_TRUE(callSlot<bool>(object, 4));   // End
  EXPECT_FALSE(callSlot<bool>(object, 4));  // nothing runs any more
}

TEST_F(TransitionTest, RefusesCallsOutOfOrderAndHostileSizes) {
  auto transition = makeTransition();
  auto main = makeMain(8, 8);
  EXPECT_FALSE(transition->Begin(0) || transition->End() || transition->Compose(main.get(), 0.5f));
  EXPECT_EQ(transition->GetOldPictureSurface(), nullptr);
  for (auto [width, height] :
       {std::pair{0, 1}, {1, 0}, {-1, 5}, {16385, 1}, {1, 16385}, {INT_MIN, INT_MAX}, {INT_MAX, INT_MAX}}) {
    EXPECT_FALSE(transition->SetUp(width, height)) << width << " x " << height;
  }
  EXPECT_EQ(transition->GetNewPictureSurface(), nullptr);
  EXPECT_TRUE(transition->SetUp(16384, 1));
  ASSERT_TRUE(transition->SetUp(8, 8));
  ISurface* picture = transition->GetOldPictureSurface();
  EXPECT_FALSE(transition->SetUp(0, 0));
  EXPECT_EQ(transition->GetOldPictureSurface(), picture) << "a refused set-up keeps the pictures";

  for (int number : {-1, 7, 99, 100, INT_MAX, INT_MIN}) EXPECT_FALSE(transition->Begin(number)) << number;
  EXPECT_FALSE(transition->End());
  ASSERT_TRUE(transition->Begin(0));
  EXPECT_FALSE(transition->Compose(nullptr, 0.5f));
  main->setReportedBpp(16);
  EXPECT_FALSE(transition->Compose(main.get(), 0.5f));
  main->setReportedBpp(32);
  EXPECT_TRUE(transition->Compose(main.get(), 0.5f));
  EXPECT_TRUE(transition->End());
  EXPECT_FALSE(transition->Compose(main.get(), 0.5f));

  // Set up again: new pictures, the old ones given back, the running transition stopped.
  ASSERT_TRUE(transition->Begin(2));
  const std::int64_t surfaces = Ledger::liveObjects("Surface");
  ASSERT_TRUE(transition->SetUp(4, 4));
  EXPECT_EQ(transition->GetOldPictureSurface()->GetWidth(), 4);
  EXPECT_EQ(Ledger::liveObjects("Surface"), surfaces);
  EXPECT_FALSE(transition->End());
}

TEST_F(TransitionTest, CrossfadeGivesExactBytesClampedAndClippedToTheMainSurface) {
  auto transition = makeTransition();
  auto main = makeMain(6, 2);  // wider and lower than the pictures
  ASSERT_TRUE(transition->SetUp(4, 3));
  const ByteAt oldBytes = [](int x, int y, int c) { return (x * 40 + y * 7 + c * 63) & 255; };
  const ByteAt newBytes = [](int x, int y, int c) { return 255 - ((x * 31 + y * 5 + c * 11) & 255); };
  const ByteAt half = [&](int x, int y, int c) { return (oldBytes(x, y, c) + newBytes(x, y, c) + 1) >> 1; };
  paint(transition->GetOldPictureSurface(), oldBytes);
  paint(transition->GetNewPictureSurface(), newBytes);
  paint(main.get(), [](int, int, int) { return 0x5A; });
  ASSERT_TRUE(transition->Begin(0));

  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  for (float progress : {0.0f, -3.0f, nan, -inf}) {
    ASSERT_TRUE(transition->Compose(main.get(), progress));
    expectPixels(main.get(), 4, 2, oldBytes, "start");
  }
  for (float progress : {1.0f, 7.0f, inf}) {
    ASSERT_TRUE(transition->Compose(main.get(), progress));
    expectPixels(main.get(), 4, 2, newBytes, "end");
  }
  ASSERT_TRUE(transition->Compose(main.get(), 0.5f));
  expectPixels(main.get(), 4, 2, half, "midpoint");
  ASSERT_TRUE(transition->Begin(1));
  ASSERT_TRUE(transition->Compose(main.get(), 0.5f));
  expectPixels(main.get(), 4, 2, half, "number 1 is a crossfade too");
  for (int x = 4; x < 6; ++x) EXPECT_EQ(main->GetPixelAddress(x, 1)[2], 0x5A) << "outside the pictures";
  expectPixels(transition->GetOldPictureSurface(), 4, 3, oldBytes, "the old picture is left alone");
}

TEST_F(TransitionTest, WipesMoveASoftEdgeInEachDirection) {
  auto transition = makeTransition();
  auto main = makeMain(64, 64);
  ASSERT_TRUE(transition->SetUp(64, 64));  // soft edge of 4 pixels
  paint(transition->GetOldPictureSurface(), kBlack);
  paint(transition->GetNewPictureSurface(), kWhite);
  std::vector<int> edge(64, 0);  // the midpoint, counted from the side the wipe starts at
  for (int i = 0; i < 30; ++i) edge[i] = 255;
  edge[30] = 223, edge[31] = 159, edge[32] = 96, edge[33] = 32;
  const ByteAt expected[] = {[&](int x, int, int) { return edge[x]; }, [&](int x, int, int) { return edge[63 - x]; },
                             [&](int, int y, int) { return edge[y]; }, [&](int, int y, int) { return edge[63 - y]; }};
  for (int number = 2; number <= 5; ++number) {
    SCOPED_TRACE(number);
    ASSERT_TRUE(transition->Begin(number));
    ASSERT_TRUE(transition->Compose(main.get(), 0.5f));
    expectPixels(main.get(), 64, 64, expected[number - 2], "midpoint");
    ASSERT_TRUE(transition->Compose(main.get(), 0.0f));
    expectPixels(main.get(), 64, 64, kBlack, "start");
    ASSERT_TRUE(transition->Compose(main.get(), 1.0f));
    expectPixels(main.get(), 64, 64, kWhite, "end");
  }
}

TEST_F(TransitionTest, RuleImagesTurnDarkPixelsFirstAndBelongToTheHost) {
  tamblet::Ref<ISurface> grey32 = tamblet::Ref<ISurface>::adopt(host().surfaceFactory().Create(4, 1, 32));
  const int greys[] = {0, 130, 170, 255};
  paint(grey32.get(), [&](int x, int, int c) { return c == 3 ? 255 : greys[x]; });
  tamblet::Ref<ISurface> grey8 = tamblet::Ref<ISurface>::adopt(host().surfaceFactory().CreatePixelOnly(2, 1, 8));
  grey8->GetPixelAddress(0, 0)[0] = 255;
  grey8->GetPixelAddress(1, 0)[0] = 0;
  tamblet::Ref<ISurface> alphaOnly = tamblet::Ref<ISurface>::adopt(host().surfaceFactory().CreateAMapOnly(2, 1));
  alphaOnly->GetAMapAddress(0, 0)[0] = 0;
  alphaOnly->GetAMapAddress(1, 0)[0] = 255;
  EXPECT_FALSE(SceneWipe::setRuleImage(99, grey32.get()));
  ASSERT_TRUE(SceneWipe::setRuleImage(100, grey32.get()));
  ASSERT_TRUE(SceneWipe::setRuleImage(101, grey8.get()));
  ASSERT_TRUE(SceneWipe::setRuleImage(INT_MAX, alphaOnly.get()));
  grey32.reset();  // the grey levels were copied

  auto transition = makeTransition();
  auto main = makeMain(8, 2);
  auto row = [](std::vector<int> bytes) { return ByteAt([bytes](int x, int, int) { return bytes[x]; }); };
  auto run = [&](int number, int width, int height, float progress) {
    ASSERT_TRUE(transition->SetUp(width, height));
    paint(transition->GetOldPictureSurface(), kBlack);
    paint(transition->GetNewPictureSurface(), kWhite);
    ASSERT_TRUE(transition->Begin(number));
    ASSERT_TRUE(transition->Compose(main.get(), progress));
  };
  run(100, 4, 1, 0.5f);
  expectPixels(main.get(), 4, 1, row({255, 108, 0, 0}), "soft band at grey 130");
  run(100, 8, 2, 0.5f);
  expectPixels(main.get(), 8, 2, row({255, 255, 108, 108, 0, 0, 0, 0}), "rule scaled to the pictures");
  ASSERT_TRUE(transition->Compose(main.get(), 0.0f));
  expectPixels(main.get(), 8, 2, kBlack, "start");
  ASSERT_TRUE(transition->Compose(main.get(), 1.0f));
  expectPixels(main.get(), 8, 2, kWhite, "end");
  run(101, 4, 1, 0.5f);
  expectPixels(main.get(), 4, 1, row({0, 0, 255, 255}), "8-bit rule");
  run(INT_MAX, 4, 1, 0.5f);
  expectPixels(main.get(), 4, 1, row({255, 255, 0, 0}), "alpha-only rule");

  EXPECT_TRUE(SceneWipe::setRuleImage(101, nullptr));
  EXPECT_FALSE(transition->Begin(101));
  transition.reset();
  main.reset();
  grey8.reset();
  alphaOnly.reset();
  shutDownHost();
  Host next;
  auto again = makeTransition();
  ASSERT_TRUE(again->SetUp(4, 1));
  EXPECT_FALSE(again->Begin(100)) << "a new host starts without rule images";
}

TEST_F(TransitionTest, MosaicGrowsToTheMidpointSwitchesPictureAndShrinks) {
  auto transition = makeTransition();
  auto main = makeMain(64, 64);
  ASSERT_TRUE(transition->SetUp(64, 64));  // largest block 4
  const ByteAt oldBytes = [](int x, int y, int c) { return (x * 13 + y * 29 + c * 71) & 255; };
  const ByteAt newBytes = [](int x, int y, int c) { return (x * x + y * 3 + c * 50) & 255; };
  paint(transition->GetOldPictureSurface(), oldBytes);
  paint(transition->GetNewPictureSurface(), newBytes);
  auto blocks = [](const ByteAt& picture, int size) {
    return ByteAt([picture, size](int x, int y, int c) {
      const int bx = x / size * size, by = y / size * size;
      int sum = 0, count = 0;
      for (int j = by; j < std::min(by + size, 64); ++j) {
        for (int i = bx; i < std::min(bx + size, 64); ++i, ++count) sum += picture(i, j, c);
      }
      return (sum + count / 2) / count;
    });
  };
  ASSERT_TRUE(transition->Begin(6));
  const std::pair<float, ByteAt> frames[] = {{0.0f, oldBytes},
                                             {0.25f, blocks(oldBytes, 3)},
                                             {0.49f, blocks(oldBytes, 4)},
                                             {0.5f, blocks(newBytes, 4)},
                                             {0.75f, blocks(newBytes, 3)},
                                             {1.0f, newBytes}};
  for (const auto& [progress, expected] : frames) {
    ASSERT_TRUE(transition->Compose(main.get(), progress));
    expectPixels(main.get(), 64, 64, expected, std::to_string(progress).c_str());
  }
}

}  // namespace
}  // namespace refhost::testing
