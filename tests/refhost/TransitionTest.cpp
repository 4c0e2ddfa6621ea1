// The reference host's software transitions: every effect (crossfades, the four wipes, the mosaic and
// rule images of each kind) composed over seeded pictures at fixed progress values, one checksum for the
// table; calls out of order and hostile sizes refused; rule images belong to their host.
#include <gtest/gtest.h>

#include <climits>
#include <limits>
#include <random>

#include "host/Modules.h"
#include "host/Ref.h"
#include "refhost/MainSurface.h"
#include "refhost/SceneWipe.h"
#include "tests/refhost/HostFixture.h"
#include "tests/support/Checksum.h"

namespace refhost::testing {
namespace {

using tamblet::ISurface;
using tamblet::Ref;
using TransitionTest = HostFixture;

Ref<tamblet::ISoftwareTransition> makeTransition() {
  return Ref<tamblet::ISoftwareTransition>::adopt(static_cast<tamblet::ISoftwareTransition*>(
      Host::moduleInterface(tamblet::kModuleSceneWipe, &tamblet::kIID_ISoftwareTransition)));
}

void scramble(ISurface* surface, std::mt19937& random) {
  for (int y = 0; y < surface->GetHeight(); ++y) {
    for (int x = 0; x < surface->GetWidth(); ++x) {
      if (std::uint8_t* p = surface->GetPixelAddress(x, y))
        for (int c = 0; c < surface->GetBpp() / 8; ++c) p[c] = static_cast<std::uint8_t>(random());
      if (std::uint8_t* a = surface->GetAMapAddress(x, y)) *a = static_cast<std::uint8_t>(random());
    }
  }
}

TEST_F(TransitionTest, EveryEffectGivesTheStoredBytesAtEveryProgress) {
  std::mt19937 random(2026);
  SurfaceFactory& factory = host().surfaceFactory();
  Ref<ISurface> rules[] = {Ref<ISurface>::adopt(factory.Create(9, 5, 32)),
                                 Ref<ISurface>::adopt(factory.CreatePixelOnly(7, 3, 8)),
                                 Ref<ISurface>::adopt(factory.CreateAMapOnly(5, 4))};
  const std::int32_t ruleNumbers[] = {100, 101, INT_MAX};
  for (int i = 0; i < 3; ++i) {
    scramble(rules[i].get(), random);
    ASSERT_TRUE(SceneWipe::setRuleImage(ruleNumbers[i], rules[i].get()));
  }
  EXPECT_FALSE(SceneWipe::setRuleImage(99, rules[0].get()));

  auto transition = makeTransition();
  // Wider and lower than the pictures, so composing clips to both.
  auto main = Ref<MainSurface>::adopt(MainSurface::create(70, 40));
  ASSERT_TRUE(transition->SetUp(64, 48));
  scramble(transition->GetOldPictureSurface(), random);
  scramble(transition->GetNewPictureSurface(), random);
  const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
  tamblet::testing::Checksum sum;
  for (std::int32_t number : {0, 1, 2, 3, 4, 5, 6, 100, 101, INT_MAX}) {
    ASSERT_TRUE(transition->Begin(number)) << number;
    for (float progress : {-inf, nan, 0.0f, 0.1f, 0.25f, 0.49f, 0.5f, 0.75f, 0.9f, 1.0f, 7.0f}) {
      scramble(main.get(), random);
      ASSERT_TRUE(transition->Compose(main.get(), progress)) << number << " at " << progress;
      sum.addSurface(main.get());
    }
  }
  sum.addSurface(transition->GetOldPictureSurface()).addSurface(transition->GetNewPictureSurface());
  EXPECT_EQ(sum.value(), 0xAF03B62Du);

  // A later host starts without this host's rule images.
  EXPECT_TRUE(SceneWipe::setRuleImage(101, nullptr));
  EXPECT_FALSE(transition->Begin(101));
  transition.reset();
  main.reset();
  for (auto& rule : rules) rule.reset();
  shutDownHost();
  Host next;
  auto again = makeTransition();
  ASSERT_TRUE(again->SetUp(4, 1));
  EXPECT_FALSE(again->Begin(100));
}

TEST_F(TransitionTest, RefusesCallsOutOfOrderAndHostileSizes) {
  auto transition = makeTransition();
  auto main = Ref<MainSurface>::adopt(MainSurface::create(8, 8));
  EXPECT_FALSE(transition->Begin(0) || transition->End() || transition->Compose(main.get(), 0.5f));
  EXPECT_EQ(transition->GetOldPictureSurface(), nullptr);
  for (auto [width, height] :
       {std::pair{0, 1}, {1, 0}, {-1, 5}, {16385, 1}, {1, 16385}, {INT_MIN, INT_MAX}, {INT_MAX, INT_MAX}})
    EXPECT_FALSE(transition->SetUp(width, height)) << width << " x " << height;
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

}  // namespace
}  // namespace refhost::testing
