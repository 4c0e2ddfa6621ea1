// The one helper that makes "a surface of the same kind": planes, size and depth of the new surface per
// source kind, and every reference back at the end.
#include <gtest/gtest.h>

#include <cstdint>
#include <tuple>

#include "host/Ref.h"
#include "sprite/MatchingSurface.h"
#include "tests/sprite/FakeHost.h"

namespace tamblet {
namespace {

using testing::FakeFactory;
using testing::FakeSurface;
using testing::liveFakes;
using testing::Planes;

TEST(MatchingSurface, KeepsThePlanesTakesTheSizeAndDepthAndLeaksNothing) {
  const struct {
    Planes source;
    std::int32_t bpp;
    bool made, pixels, alpha;
    std::int32_t madeBpp;  // the depth the factory was asked for (alpha-only surfaces are 8-bit)
  } kinds[] = {{Planes::kPixelsAndAlpha, 32, true, true, true, 32},
               {Planes::kPixelsOnly, 24, true, true, false, 24},
               {Planes::kAlphaOnly, 32, true, false, true, 8},
               {Planes::kNone, 32, false, false, false, 0}};
  const std::int64_t fakesAtStart = liveFakes();
  for (const auto& kind : kinds) {
    SCOPED_TRACE(::testing::Message() << "planes " << static_cast<int>(kind.source));
    FakeFactory factory;
    Ref<ISurface> source = Ref<ISurface>::adopt(new FakeSurface(4, 3, kind.source));
    Ref<ISurface> made = makeMatchingSurface(factory, *source, 7, 5, kind.bpp);
    ASSERT_EQ(bool(made), kind.made);
    EXPECT_EQ(factory.made, kind.made ? 1 : 0);
    if (made) {
      EXPECT_EQ(std::tuple(made->HasPixel(), made->HasAMap(), made->GetWidth(), made->GetHeight(), made->GetBpp()),
                std::tuple(kind.pixels, kind.alpha, 7, 5, kind.madeBpp));
    }
    factory.failing = true;
    EXPECT_FALSE(makeMatchingSurface(factory, *source, 7, 5, kind.bpp));
  }
  EXPECT_EQ(liveFakes(), fakesAtStart);
}

}  // namespace
}  // namespace tamblet
