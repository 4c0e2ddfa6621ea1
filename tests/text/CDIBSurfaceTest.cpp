// The glyph surface: pitch, the spare row below the plane, and a Release that empties it for reuse.
#include <gtest/gtest.h>

#include <cstring>

#include "tests/support/VTable.h"
#include "text/CDIBSurface.h"

namespace tamblet {
namespace {

TEST(CDIBSurface, PitchSpareRowAndReuse) {
  struct Case {
    int width, height, pitch;
  };
  CDIBSurface surface;
  EXPECT_EQ(surface.GetPixelAddress(0, 0), nullptr);
  for (const Case& c : {Case{10, 3, 16}, Case{16, 1, 16}, Case{17, 2, 32}, Case{1, 1, 16}}) {
    ASSERT_TRUE(surface.Create(c.width, c.height));
    EXPECT_EQ(surface.GetPitch() * 100 + surface.GetBpp(), c.pitch * 100 + 8);
    std::memset(surface.GetPixelAddress(0, c.height), 0x7F, std::size_t(c.pitch));  // the spare row exists
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
