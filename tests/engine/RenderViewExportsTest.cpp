// SP_RenderView over a bound engine and the reference host: the live scene drawn into a shown sprite's own
// surface (made private first), the answers for absent sprites, and the fill counters it leaves.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "engine/CVELM.h"
#include "engine/Exports.h"
#include "tests/engine/EngineFixture.h"

namespace tamblet {
namespace {

class CompositorExports : public testing::EngineFixture {
 protected:
  static std::vector<int> pixel(std::int32_t sprite, int x, int y) {
    const std::uint8_t* p = Sprite_GetConstSurface(sprite)->GetPixelAddress(x, y);
    return {p[0], p[1], p[2], p[3]};
  }
};

TEST_F(CompositorExports, RenderViewDrawsTheLiveSceneIntoAShownSprite) {
  EXPECT_EQ(SP_RenderView(3), 0);  // absent
  ASSERT_EQ(SP_SetPos(3, 0, 0), 1);
  EXPECT_EQ(SP_RenderView(3), 0);  // no surface

  ASSERT_EQ(SP_Create(1, 8, 8, 255, 0, 0, 255), 1);    // opaque red, with an alpha map
  ASSERT_EQ(SP_Create(2, 16, 16, 0, 0, 255, 255), 1);  // the target: shown, drawn after sprite 1
  ASSERT_EQ(SP_SetPos(1, 4, 2) + SP_SetPos(2, 0, 0) + SP_SetZ(1, 0) + SP_SetZ(2, 1), 4);
  ISurface* before = Sprite_GetConstSurface(2);
  before->AddRef();  // a second holder: the view must go to a private copy

  ASSERT_EQ(SP_RenderView(2), 1);
  EXPECT_NE(Sprite_GetConstSurface(2), before);
  EXPECT_EQ(before->GetPixelAddress(0, 0)[0], 255) << "the shared surface keeps its blue";
  before->Release();
  // Cleared to black, red at 255 over black through alpha 255 gives 254, then the target drawn onto itself
  // (source equals destination) changes nothing.
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) {
      const bool red = x >= 4 && x < 12 && y >= 2 && y < 10;
      ASSERT_EQ(pixel(2, x, y), (std::vector<int>{0, 0, red ? 254 : 0, 255})) << x << "," << y;
    }
  }
  const SceneCompositor& compositor = CVELM::instance().core()->compositor;
  EXPECT_EQ(compositor.copyPixels(), 16 * 16);
  EXPECT_EQ(compositor.blendPixels(), 64 + 256);
}

}  // namespace
}  // namespace tamblet
