// The glyph surface: pitch, the spare row below the plane, and a Release that empties it for reuse.
#include <gtest/gtest.h>

#include <array>
#include <cstring>

#include "tests/support/VTable.h"
#include "text/CDIBSurface.h"

namespace tamblet {
namespace {

TEST(CDIBSurface, PitchSpareRowAndReuse) {
  CDIBSurface surface;
  EXPECT_EQ(surface.GetPixelAddress(0, 0), nullptr);
  for (const auto& c : {std::array{10, 3, 16}, std::array{16, 1, 16}, std::array{17, 2, 32}, std::array{1, 1, 16}}) {
    const int width = c[0], height = c[1], pitch = c[2];
    ASSERT_TRUE(surface.Create(width, height));
    EXPECT_EQ(surface.GetPitch() * 100 + surface.GetBpp(), pitch * 100 + 8);
    std::memset(surface.GetPixelAddress(0, height), 0x7F, std::size_t(pitch));  // the spare row exists
    EXPECT_EQ(testing::callSlot<std::int32_t>(&surface, 0), 1);
    EXPECT_EQ(testing::callSlot<std::int32_t>(&surface, 1), 0);
    EXPECT_FALSE(surface.HasPixel());
  }
  EXPECT_FALSE(surface.Create(0, 4));
  EXPECT_FALSE(surface.Create(8192, 8192));  // beyond the largest plane
  ASSERT_TRUE(surface.ensureSize(20, 4));
  ASSERT_TRUE(surface.ensureSize(8, 9));  // grows in both sides, never shrinks
  EXPECT_EQ(surface.GetWidth() * 100 + surface.GetHeight(), 2009);
}

}  // namespace
}  // namespace tamblet
