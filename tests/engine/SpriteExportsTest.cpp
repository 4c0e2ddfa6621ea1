// The sprite exports over a bound engine and the reference host: which exports create sprites
// and which answer defaults, the reports they raise byte for byte, images and copy-on-write,
// enumeration, hit tests and the surface lookup the host is given.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "engine/CErrorMessage.h"
#include "engine/CGetSurface.h"
#include "engine/Exports.h"
#include "platform/TextEncoding.h"
#include "refhost/VMArray.h"
#include "tests/engine/EngineFixture.h"
#include "tests/support/VTable.h"

namespace tamblet {
namespace {

using testing::callSlot;
using Ints = std::vector<std::int32_t>;

class SpriteExports : public testing::EngineFixture {
 protected:
  // The pixel (B, G, R, A) of a sprite's surface.
  static Ints pixel(std::int32_t sprite, int x, int y) {
    const std::uint8_t* p = Sprite_GetConstSurface(sprite)->GetPixelAddress(x, y);
    return {p[0], p[1], p[2], p[3]};
  }
};

TEST_F(SpriteExports, SettersCreateSpritesWithStartValuesWhileFindersAnswerDefaults) {
  EXPECT_EQ(SP_SetPos(5, 10, 20), 1);
  EXPECT_EQ(
      (Ints{SP_IsUsing(5), SP_GetPosX(5), SP_GetPosY(5), SP_GetShow(5), SP_GetBlendRate(5), SP_GetZ(5), SP_GetWidth(5),
            SP_GetBrightness(5), Sprite_GetTextureFilterType(5), SP_GetAlphaClipperSpriteNumber(5)}),
      (Ints{1, 10, 20, 1, 255, 0, 0, 255, 1, -1}));

  // Find-only exports neither create nor report.
  EXPECT_EQ((Ints{SP_SetMultipleColor(9, 1, 2, 3), SP_SetAddColor(9, 1, 2, 3, 4), Sprite_SetTextureFilerType(9, 0),
                  SP_SetAlphaClipperSpriteNumber(9, 3), SP_Suspend(9), SP_Resume(9), SP_Delete(9), SP_IsUsing(9),
                  Sprite_GetTextureFilterType(9), SP_GetAlphaClipperSpriteNumber(9)}),
            (Ints{0, 0, 0, 0, 0, 0, 0, 0, 1, -1}));
  EXPECT_EQ(Sprite_GetConstSurface(9), nullptr);
  EXPECT_EQ(Sprite_GetWritableSurface(9), nullptr);

  // Unchecked find-or-create exports accept any number, 0 and negatives included.
  std::int32_t x = 1, y = 1, w = 1, h = 1;
  EXPECT_EQ(SP_GetSurfaceArea(9, &x, &y, &w, &h), 1);
  EXPECT_EQ(SP_IsUsing(9), 1);
  EXPECT_EQ(x + y + w + h, 0);
  EXPECT_EQ(SP_SetSurfaceArea(0, 1, 2, 3, 4), 1);
  EXPECT_EQ(SP_SetSpriteTransformMode(-3, 1), 1);
  EXPECT_EQ(SP_CreateCustom(-7), 1);
  EXPECT_EQ(SP_Count(), 5);
  EXPECT_TRUE(takeErrors().empty());

  // SP_SetX keeps y; the multiplied colour sets the brightness, the added colour does not.
  EXPECT_EQ((Ints{SP_SetX(6, 7), SP_GetPosY(6), SP_SetAddColor(6, 10, 0, 0, 0), SP_SetBrightness(6, 128),
                  SP_GetBrightness(6), SP_SetMultipleColor(6, 10, 20, 30), SP_GetBrightness(6), SP_Suspend(6),
                  SP_IsSuspend(6), SP_Delete(6), SP_IsUsing(6), SP_DeleteAll(), SP_Count()}),
            (Ints{1, 0, 1, 1, 128, 1, 10, 1, 1, 1, 0, 1, 0}));
}

TEST_F(SpriteExports, ArgumentChecksReportTheirTextsAndChangeNothing) {
  // SP_SetShow takes only the low byte of its switch: 0x100 is false.
  EXPECT_EQ((Ints{SP_SetX(0, 10), SP_SetY(-1, 3), SP_SetPos(0, 1, 2), SP_SetZ(1, -1), SP_SetBlendRate(1, 256),
                  SP_SetBlendRate(1, -1), SP_SetBrightness(1, 300), SP_SetShow(0, 0x100), SP_SetShow(0, 7),
                  SP_SetDrawMethod(0, 3), SP_Delete(0), SP_IsPtIn(0, 4, 5), SP_IsPtInRect(-2, 4, 5)}),
            Ints(13, 0));
  EXPECT_EQ(SP_Count(), 0);
  EXPECT_EQ(takeErrors(),
            (std::vector<std::string>{
                "SP_SetX\nnSP=0\nnX=10\n", "SP_SetY\nnSP=-1\nnY=3\n", "SP_SetPos\nnSP=0\nx=1\ny=2\n",
                "SP_SetZ\nnSP=1\nnZ=-1\n", "SP_SetBlendRate\nnSP=1\nnBlendRate=256",
                "SP_SetBlendRate\nnSP=1\nnBlendRate=-1", "SP_SetBrightness\nnSP=1\nnBrightness=300",
                "SP_Show\nnSP=0\nbShow=0\n", "SP_Show\nnSP=0\nbShow=1\n", "SP_SetDrawMethod\nnSP=0\nnMethod=3\n",
                "SP_Delete\nnSP=0\n", "SP_IsPtIn\nnSP=0\nx=4\ny=5\n", "SP_IsPtInRect\nnSP=-2\nx=4\ny=5\n"}));

  // The edges that pass: rate 0 and 255, Z 0.
  EXPECT_EQ(SP_SetBlendRate(1, 0) + SP_SetBlendRate(1, 255) + SP_SetZ(1, 0), 3);
  EXPECT_TRUE(takeErrors().empty());
}

TEST_F(SpriteExports, CreateFillsColourAndAlphaAndKeepsTheRestOfAnExistingSprite) {
  EXPECT_EQ(SP_Create(3, 0, 5, 1, 2, 3, 4), 0);
  const std::string sizeError = platform::utf8ToSjis(
      "SP_Create\nサイズ指定エラー\nnSP     = 3\nnWidth  = 0\nnHeight = 5\nrgb=(1,2,3)\nblend = 4\n");
  EXPECT_EQ(takeErrors(), std::vector<std::string>{sizeError});
  EXPECT_EQ(SP_CreatePixelOnly(3, 4, -1), 0);
  EXPECT_EQ(takeErrors(), std::vector<std::string>{platform::utf8ToSjis(
                              "SP_CreatePixelOnly\nサイズ指定エラー\nnSP     = 3\nnWidth  = 4\nnHeight = -1\n")});

  ASSERT_EQ(SP_SetPos(3, 40, 50) + SP_SetZ(3, 7) + SP_SetBlendRate(3, 99) + SP_SetShow(3, 0), 4);
  ASSERT_EQ(SP_Create(3, 16, 8, 200, 100, 50, 128), 1);
  EXPECT_EQ((Ints{SP_GetWidth(3), SP_GetHeight(3), SP_GetPosX(3), SP_GetZ(3), SP_GetBlendRate(3), SP_GetShow(3)}),
            (Ints{16, 8, 40, 7, 99, 0}));
  EXPECT_EQ(pixel(3, 15, 7), (Ints{50, 100, 200, 128}));
  EXPECT_EQ(SP_ExistAlpha(3), 1);

  ASSERT_EQ(SP_CreatePixelOnly(-1, 2, 2), 1);  // the number is not validated
  EXPECT_EQ(SP_ExistAlpha(-1), 0);
  // Sizes whose byte count does not fit are refused cleanly.
  EXPECT_EQ(SP_Create(4, INT_MAX, INT_MAX, 0, 0, 0, 255), 0);
  EXPECT_EQ(SP_CreatePixelOnly(4, 65536, 65536), 0);
  EXPECT_EQ(SP_IsUsing(4), 0);

  ASSERT_EQ(SP_CreateCopy(8, 3), 1);
  EXPECT_EQ(pixel(8, 0, 0), pixel(3, 0, 0));
  EXPECT_NE(Sprite_GetConstSurface(8), Sprite_GetConstSurface(3));
  EXPECT_EQ(SP_ExistAlpha(8), 1);
  EXPECT_EQ(SP_CreateCopy(8, 77), 0);
  EXPECT_TRUE(takeErrors().empty());
}

TEST_F(SpriteExports, WritableSurfacesAreCopiedOnlyWhenShared) {
  ASSERT_EQ(SP_Create(1, 4, 4, 9, 9, 9, 255), 1);
  ISurface* own = Sprite_GetConstSurface(1);
  EXPECT_EQ(Sprite_GetWritableSurface(1), own);                      // sole holder: the surface itself
  EXPECT_EQ(Sprite_SetSurface(1, Sprite_GetWritableSurface(1)), 1);  // handing it back keeps it alive
  EXPECT_EQ(Sprite_GetConstSurface(1), own);

  ASSERT_EQ(Sprite_SetSurface(2, own), 1);  // now shared by sprites 1 and 2
  ISurface* privateCopy = Sprite_GetWritableSurface(2);
  ASSERT_NE(privateCopy, own);
  EXPECT_EQ(Sprite_GetWritableSurface(2), privateCopy);
  EXPECT_EQ(Sprite_GetConstSurface(1), own);
  EXPECT_EQ(pixel(2, 3, 3), pixel(1, 3, 3));
  EXPECT_EQ(Sprite_SetSurface(2, nullptr), 1);
  EXPECT_EQ(SP_GetWidth(2), 0);
}

TEST_F(SpriteExports, EnumChecksTheArrayInOrderAndAlwaysAnswersTheCount) {
  for (int n : {5, 1, 3, 2, 4}) SP_SetPos(n, 0, 0);
  refhost::VMArray twoDimensional(kVMTypeInt, {3, 3});
  refhost::VMArray floats(4, {8});
  refhost::VMArray shortInts(kVMTypeInt, {4});
  refhost::VMArray ints(kVMTypeInt, {7});
  ints.SetElement(5, &(const std::int32_t&)99);
  EXPECT_EQ((Ints{SP_Enum(&twoDimensional), SP_Enum(&floats), SP_Enum(&shortInts), SP_Enum(nullptr)}), Ints(4, 5));
  EXPECT_EQ(shortInts.values(), Ints(4, 0));
  const std::string notOneDimensional = platform::utf8ToSjis("SP_Enumに渡す配列は１次元で確保されていなければならない\n");
  EXPECT_EQ(takeErrors(), (std::vector<std::string>{
                              notOneDimensional, platform::utf8ToSjis("SP_Enumの引数はintの配列でなければならない\n"),
                              platform::utf8ToSjis("SP_Enumに渡す配列が必要個数分確保されていない\n"
                                                   "必要な個数を取得するには、SP_Count()を呼び出す\n\n"),
                              notOneDimensional}));
  EXPECT_EQ(SP_Enum(&ints), 5);
  EXPECT_EQ(ints.values(), (std::vector<std::int32_t>{1, 2, 3, 4, 5, 99, 0}));

  std::int32_t* list = nullptr;
  std::int32_t count = 0;
  ASSERT_EQ(Debug_GetSpriteNumberList(&list, &count), 1);
  ASSERT_EQ(count, 5);
  EXPECT_EQ(std::vector<std::int32_t>(list, list + count), (std::vector<std::int32_t>{1, 2, 3, 4, 5}));
}

// The hit tests and pixel reads themselves are the sprite layer's; here they answer by number, for a
// hidden sprite too, and leave the outputs alone when they fail.
TEST_F(SpriteExports, HitTestsAndPixelReadsAnswerThroughTheSpriteNumber) {
  ASSERT_EQ(SP_Create(1, 20, 10, 0, 0, 0, 255), 1);
  ASSERT_EQ(SP_SetPos(1, 100, 50) + SP_SetShow(1, 0), 2);
  Sprite_GetWritableSurface(1)->GetPixelAddress(0, 0)[3] = 0;
  std::int32_t r = -5, g = -5, b = -5;
  EXPECT_EQ((Ints{SP_IsPtIn(1, 119, 59), SP_IsPtIn(1, 120, 50), SP_IsPtIn(1, 100, 50), SP_IsPtInRect(1, 100, 50),
                  SP_GetAMapValue(1, 0, 0), SP_GetAMapValue(1, -1, 0), SP_GetPixelValue(1, -1, 0, &r, &g, &b), r, g,
                  b, SP_GetPixelValue(1, 2, 2, nullptr, &g, &b), g, SP_GetPixelValue(1, 2, 2, &r, &g, &b), r, g, b}),
            (Ints{1, 0, 0, 1, 0, -1, 0, -5, -5, -5, 0, -5, 1, 0, 0, 0}));
}

TEST_F(SpriteExports, SurfaceLookupAnswersThroughItsSlotsAndOutlivesTheCore) {
  CGetSurface* lookup = CGetSurface::create(CVELM::instance().core(), CVELM::instance().objects.errorReporter.get());
  ASSERT_NE(lookup, nullptr);
  IChangeNumToISurface2* change = lookup;  // the part the host is given
  ASSERT_EQ(SP_Create(1, 4, 4, 1, 1, 1, 255), 1);
  ASSERT_EQ(Sprite_SetSurface(2, Sprite_GetConstSurface(1)), 1);

  EXPECT_EQ(callSlot<ISurface*>(change, 1, 1), Sprite_GetConstSurface(1));
  ISurface* writable = callSlot<ISurface*>(change, 0, 2);
  EXPECT_NE(writable, Sprite_GetConstSurface(1));
  EXPECT_EQ(callSlot<ISurface*>(change, 0, 2), writable);
  EXPECT_TRUE(takeErrors().empty());
  EXPECT_EQ(callSlot<ISurface*>(change, 1, 42), nullptr);
  SP_SetPos(43, 0, 0);
  EXPECT_EQ(callSlot<ISurface*>(change, 0, 43), nullptr);
  const std::string invalid = "無効なスプライト番号が使用された\nSP=%d\n(CGetSurface::Change)\n";
  auto withNumber = [&](int n) {
    std::string text = platform::utf8ToSjis(invalid);
    return text.replace(text.find("%d"), 2, std::to_string(n));
  };
  EXPECT_EQ(takeErrors(), (std::vector<std::string>{withNumber(42), withNumber(43)}));

  lookup->forgetCore();
  EXPECT_EQ(callSlot<ISurface*>(change, 1, 1), nullptr);
  EXPECT_EQ(takeErrors(), std::vector<std::string>{withNumber(1)});
  IInterface* counted = lookup;
  EXPECT_EQ(counted->AddRef(), 2);
  EXPECT_EQ(counted->Release(), 1);
  EXPECT_EQ(counted->Release(), 0);
}

}  // namespace
}  // namespace tamblet
