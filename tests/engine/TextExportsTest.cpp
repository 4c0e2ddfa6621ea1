// The text and character-sprite exports over a bound engine and the reference host: the sizes
// text sprites come out at, the cache handing back the very surface, the font metrics, character
// sprites placed through the sprite exports and saved into a script array, and a teardown with
// all of it alive giving every reference back (the fixture checks the ledger).
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "engine/CStringWrapper.h"
#include "engine/Exports.h"
#include "refhost/VMArray.h"
#include "refhost/VMString.h"
#include "tests/engine/EngineFixture.h"

namespace tamblet {
namespace {

using Ints = std::vector<std::int32_t>;

class TextExports : public testing::EngineFixture {
 protected:
  static std::int32_t setText(std::int32_t sprite, const char* text) {
    CStringWrapper argument(text);
    return SP_SetTextSprite(sprite, &argument);
  }
  static void style(std::int32_t type, std::int32_t size, float bold, float edge) {
    SP_SetTextSpriteType(type);
    SP_SetTextSpriteSize(size);
    SP_SetTextSpriteBoldWeight(bold);
    SP_SetTextSpriteEdgeWeight(edge);
  }
  static Ints size(std::int32_t sprite) { return {SP_GetWidth(sprite), SP_GetHeight(sprite)}; }
};

TEST_F(TextExports, TextSpritesComeOutAtTheCharacterBoxPlusTheirMargins) {
  struct Case {
    std::int32_t type, size;
    float bold, edge;
    const char* text;
    Ints expected;
  };
  // Each style export reaches the renderer (whose own table holds the other boxes).
  const Case cases[] = {
      {1, 15, 0.0f, 0.0f, "A", {8, 15}},          // odd size, mincho, half width
      {0, 16, 1.5f, 0.0f, "\x88\x9F", {20, 20}},  // bold 1.5 rounds up to 2
      {0x100, 16, 0.0f, 1.0f, "A", {10, 18}},     // no font library: the system box, a one-pixel outline
  };
  std::int32_t sprite = 1;
  for (const Case& c : cases) {
    style(c.type, c.size, c.bold, c.edge);
    EXPECT_EQ(setText(sprite, c.text), 1) << c.text;
    EXPECT_EQ(size(sprite), c.expected) << c.text << " at " << c.size;
    ++sprite;
  }
}

TEST_F(TextExports, TheCacheHandsBackTheSameSurfaceUntilTheStyleChanges) {
  ASSERT_EQ(setText(1, "\x82\xA0"), 1);
  ASSERT_EQ(setText(2, "\x82\xA0"), 1);
  EXPECT_EQ(Sprite_GetConstSurface(1), Sprite_GetConstSurface(2));
  SP_SetTextSpriteColor(255, 0, 0);
  ASSERT_EQ(setText(3, "\x82\xA0"), 1);
  EXPECT_NE(Sprite_GetConstSurface(3), Sprite_GetConstSurface(1));
  // The colour reaches the pixels, the style's alpha stays opaque.
  const std::uint8_t* centre = Sprite_GetConstSurface(3)->GetPixelAddress(0, 0);
  EXPECT_EQ((Ints{centre[0], centre[1], centre[2]}), (Ints{0, 0, 255}));
}

TEST_F(TextExports, UnusableSizesAndDashesFailAndTheSpriteKeepsItsSurface) {
  ASSERT_EQ(setText(1, "A"), 1);
  ISurface* before = Sprite_GetConstSurface(1);
  const float nan = std::numeric_limits<float>::quiet_NaN();
  for (std::int32_t bad : {0, -5, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()}) {
    style(0, bad, nan, std::numeric_limits<float>::infinity());
    EXPECT_EQ(setText(1, "A"), 0) << bad;
    EXPECT_EQ(Sprite_GetConstSurface(1), before);
  }
  style(0, 16, 2.0f, 0.0f);
  EXPECT_EQ(SP_SetDashTextSprite(1, 4, 10), 0);  // no room inside the margins
  EXPECT_EQ(Sprite_GetConstSurface(1), before);
  EXPECT_EQ(SP_SetDashTextSprite(2, 40, 12), 1);
  EXPECT_EQ(size(2), (Ints{40, 12}));
}

TEST_F(TextExports, SystemFaceMetricsAnswerTheBoxAndMargins) {
  style(0, 16, 0.0f, 3.0f);
  refhost::VMString text("\x82\xA0");
  std::int32_t out = -1;
  EXPECT_EQ(SP_GetFontWidth(&text, &out), 1);
  EXPECT_EQ(out, 22);
  EXPECT_EQ(SP_GetFontDescent(&out), 1);
  EXPECT_EQ(out, 0);
  SP_SetTextSpriteType(0x100);  // no Font.fnl beside the game: the fallback width and false
  EXPECT_EQ(SP_GetFontWidth(&text, &out), 0);
  EXPECT_EQ(out, 22);
  EXPECT_EQ(SP_GetFontWidth(&text, nullptr), 0);
}

TEST_F(TextExports, CharacterSpritesPlaceTheirSpritesAndSaveIntoAScriptArray) {
  const std::int32_t first = CharSpriteManager_CreateHandle();
  const std::int32_t second = CharSpriteManager_CreateHandle();
  CharSprite_SetCharDirect(second, "\x82\xA0\x82\xA2", 0, 24, 255, 255, 255, 0.0f, 1.0f, 0, 0, 0);
  CharSprite_SetPos(second, 30, 40);
  CharSprite_SetAlphaRate(second, 128);
  EXPECT_EQ((Ints{SP_IsUsing(2000), SP_GetPosX(2000), SP_GetPosY(2000), SP_GetBlendRate(2000)}),
            (Ints{1, 30, 40, 128}));
  EXPECT_EQ(size(2000), (Ints{26, 26}));
  refhost::VMString shown;
  CharSprite_GetChar(second, &shown);
  EXPECT_EQ(shown.bytes(), "\x82\xA0\x82\xA2");
  // The character sprite's style stays the current one for the script's next text sprite.
  ASSERT_EQ(setText(1, "A"), 1);
  EXPECT_EQ(size(1), (Ints{14, 26}));

  // A released handle saves as an empty slot; text bytes are saved as signed values.
  EXPECT_EQ(CharSpriteManager_ReleaseHandle(first), 1);
  refhost::VMArray saved;
  ASSERT_EQ(CharSpriteManager_Save(&saved), 1);
  const Ints& values = saved.values();
  ASSERT_GE(values.size(), 13u);
  EXPECT_EQ(Ints(values.begin(), values.begin() + 13), (Ints{67, 83, 77, 0, 0, 2, 0, 1, -126, -96, -126, -94, 0}));
  EXPECT_EQ(values.back(), 2000);

  // Loading brings the records back without sprites; rebuilding draws them anew.
  CharSpriteManager_Clear();
  EXPECT_EQ(SP_IsUsing(2000), 0);
  ASSERT_EQ(CharSpriteManager_Load(&saved), 1);
  EXPECT_EQ(SP_IsUsing(2000), 0);
  CharSpriteManager_Rebuild();
  EXPECT_EQ((Ints{SP_IsUsing(2000), SP_GetPosX(2000), SP_GetBlendRate(2000)}), (Ints{1, 30, 128}));
  EXPECT_EQ((Ints{CharSprite_GetAlphaRate(first), CharSprite_GetAlphaRate(second), CharSprite_GetAlphaRate(7)}),
            (Ints{0, 128, 0}));
}

}  // namespace
}  // namespace tamblet
