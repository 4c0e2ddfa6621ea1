// The one helper that makes "a surface of the same kind": planes, size and depth of the new surface per
// source kind, and every reference back at the end.
#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <string>

#include "host/Ref.h"
#include "sprite/MatchingSurface.h"
#include "tests/sprite/FakeHost.h"

namespace tamblet {
namespace {

using testing::FakeFactory;
using testing::FakeSurface;
using testing::liveFakes;
using testing::Planes;

struct KindCase {
  const char* name;
  Planes source;
  std::int32_t bpp;
  bool made, pixels, alpha;
  std::int32_t madeBpp;  // the depth the factory was asked for (alpha-only surfaces are 8-bit)
};

void PrintTo(const KindCase& kind, std::ostream* out) { *out << kind.name; }

class MatchingSurfaceTest : public ::testing::TestWithParam<KindCase> {};

TEST_P(MatchingSurfaceTest, KeepsThePlanesTakesTheSizeAndDepthAndLeaksNothing) {
  const KindCase& kind = GetParam();
  const std::int64_t fakesAtStart = liveFakes();
  {
    FakeFactory factory;
    Ref<ISurface> source = Ref<ISurface>::adopt(new FakeSurface(4, 3, kind.source));
    Ref<ISurface> made = makeMatchingSurface(factory, *source, 7, 5, kind.bpp);
    ASSERT_EQ(bool(made), kind.made);
    EXPECT_EQ(factory.made, kind.made ? 1 : 0);
    if (made) {
      EXPECT_EQ(made->HasPixel(), kind.pixels);
      EXPECT_EQ(made->HasAMap(), kind.alpha);
      EXPECT_EQ(made->GetWidth(), 7);
      EXPECT_EQ(made->GetHeight(), 5);
      EXPECT_EQ(made->GetBpp(), kind.madeBpp);
    }
    factory.failing = true;
    EXPECT_FALSE(makeMatchingSurface(factory, *source, 7, 5, kind.bpp));
  }
  EXPECT_EQ(liveFakes(), fakesAtStart);
}

INSTANTIATE_TEST_SUITE_P(EachKind, MatchingSurfaceTest,
                         ::testing::Values(KindCase{"PixelsAndAlpha", Planes::kPixelsAndAlpha, 32, true, true, true, 32},
                                           KindCase{"PixelsOnly", Planes::kPixelsOnly, 24, true, true, false, 24},
                                           KindCase{"AlphaOnly", Planes::kAlphaOnly, 32, true, false, true, 8},
                                           KindCase{"NoPlane", Planes::kNone, 32, false, false, false, 0}),
                         [](const auto& testCase) { return std::string(testCase.param.name); });

}  // namespace
}  // namespace tamblet
