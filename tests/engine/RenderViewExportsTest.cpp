// SP_RenderView over a bound engine and the reference host: the export reaches the live scene and
// draws into a shown sprite's private copy (the compositor's own tests pin the pixels on every path).
#include <gtest/gtest.h>

#include <cstdint>

#include "engine/CVELM.h"
#include "engine/Exports.h"
#include "tests/engine/EngineFixture.h"

namespace tamblet {
namespace {

class CompositorExports : public testing::EngineFixture {};

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
  // Red at 255 over the cleared black through alpha 255 gives 254; outside sprite 1 black stays.
  EXPECT_EQ(Sprite_GetConstSurface(2)->GetPixelAddress(4, 2)[2], 254);
  EXPECT_EQ(Sprite_GetConstSurface(2)->GetPixelAddress(3, 2)[2], 0);
  EXPECT_EQ(CVELM::instance().core()->compositor.blendPixels(), 64 + 256);
}

}  // namespace
}  // namespace tamblet
