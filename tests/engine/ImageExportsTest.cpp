// The image exports over a bound engine and the reference host with its real decoder, encoder
// and archives: CG lookup through the archive file, "CG.zep" and loose files, cutting, metrics,
// saving, the two pixel utilities, their reports byte for byte, and copy-on-write that leaves
// cached CGs untouched.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "engine/Exports.h"
#include "platform/Files.h"
#include "platform/TextEncoding.h"
#include "refhost/VMString.h"
#include "refhost/VMStruct.h"
#include "report/TextFormatter.h"
#include "tests/image/CgTestFiles.h"
#include "tests/engine/EngineFixture.h"

namespace tamblet {
namespace {

using testing::Bytes;
using testing::pixelAt;
using testing::testPixel;
using Ints = std::vector<std::int32_t>;

class ImageExports : public testing::EngineFixture {
 protected:
  Bytes png(int width, int height, int seed, bool alpha = false) {
    return testing::pngFile(host().surfaceFactory(), width, height, seed, alpha);
  }
  // Packs the entries into the host's CG archive file and binds the engine again.
  void useArchiveFile(const std::vector<testing::ArchiveEntry>& entries) {
    testing::writeArchive(folder_, folder_ / "game.kov", entries);
    host().setCgArchivePath(folder_ / "game.kov");
    ASSERT_TRUE(rebindEngine());
  }
  static ISurface* spriteSurface(std::int32_t sprite) { return Sprite_GetConstSurface(sprite); }
  static std::string invalidSprite(std::int32_t sprite) {
    char text[256];
    report::formatText(text, sizeof text, fixedText(FixedText::kInvalidSpriteNumber), sprite);
    return text;
  }
  // Writes B, G, R, A into a sprite's own pixel.
  static void poke(std::int32_t sprite, int x, int y, std::uint32_t value) {
    std::uint8_t* p = Sprite_GetWritableSurface(sprite)->GetPixelAddress(x, y);
    for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(value >> (8 * i));
  }

  testing::GameFolder folder_;
};

TEST_F(ImageExports, SetCgSharesTheCachedSurfaceAndReportsBadNumbers) {
  useArchiveFile({{100, "png", png(6, 4, 1)}});
  EXPECT_EQ(SP_SetCG(5, 0), 0);
  EXPECT_EQ(SP_SetCG(0, 100), 0);
  EXPECT_EQ(takeErrors(), (std::vector<std::string>{"nSP_SetCG\nnSP=5\nnCG=0\n", "nSP_SetCG\nnSP=0\nnCG=100\n"}));
  EXPECT_EQ(SP_SetCG(1, 12) + SP_IsUsing(1), 0);

  // Sprite 3 is created; sprite 2 keeps its place.
  EXPECT_EQ(
      (Ints{SP_SetPos(2, 7, 8), SP_SetCG(2, 100), SP_SetCG(3, 100), SP_GetPosX(2), SP_GetWidth(3), SP_GetHeight(3)}),
      (Ints{1, 1, 1, 7, 6, 4}));
  EXPECT_EQ(spriteSurface(2), spriteSurface(3));
  EXPECT_EQ(pixelAt(spriteSurface(2), 5, 3), testPixel(5, 3, 1, 255));
  EXPECT_EQ(host().imageDecoder().decodeCalls(), 1);
  const CCGCache::Statistics figures = core().cgCache->statistics();
  EXPECT_TRUE(figures.entries == 1 && figures.hits == 1);
  EXPECT_TRUE(takeErrors().empty());
}

TEST_F(ImageExports, AnEvictedCgStaysOnItsSpriteAndIsDecodedAgainWhenSetAgain) {
  cacheMebibytes = 0;
  useArchiveFile({{100, "png", png(8, 8, 2)}, {101, "png", png(8, 8, 3)}});
  ASSERT_EQ(SP_SetCG(1, 100), 1);
  ISurface* first = spriteSurface(1);
  ASSERT_EQ(SP_SetCG(2, 101), 1);  // budget 0: evicts CG 100 from the cache
  EXPECT_EQ(core().cgCache->order(), std::vector<std::int32_t>{101});
  EXPECT_EQ(spriteSurface(1), first);
  EXPECT_EQ(pixelAt(first, 7, 7), testPixel(7, 7, 2, 255));

  ASSERT_EQ(SP_SetCG(3, 100), 1);
  EXPECT_EQ(host().imageDecoder().decodeCalls(), 3);
  EXPECT_NE(spriteSurface(3), first);
  EXPECT_EQ(pixelAt(spriteSurface(3), 7, 7), testPixel(7, 7, 2, 255));

  // A writable surface of a sprite showing a cached CG is a private copy.
  ISurface* writable = Sprite_GetWritableSurface(2);
  ASSERT_NE(writable, nullptr);
  ISurface* cached = core().cgSources.getCGSurface(101);
  EXPECT_NE(writable, cached);
  cached->Release();
}

TEST_F(ImageExports, ThePackedArchiveLooseFilesAndTheArchiveFileAnswerExistenceAndFormat) {
  folder_.write("CG/CG00200.png", png(2, 2, 4));
  testing::writeArchive(folder_, folder_ / "CG.zep", {{100, "png", png(3, 3, 5)}, {150, "png", png(3, 3, 6)}});
  packedArchivePath = folder_ / "CG.zep";
  debugMode = true;
  useArchiveFile({{100, "png", png(3, 3, 7)}, {120, "bmp", testing::bmpFile(3, 3, 8, 255)}});

  ASSERT_EQ(SP_SetCG(1, 100), 1);
  EXPECT_EQ(pixelAt(spriteSurface(1), 2, 2), testPixel(2, 2, 5, 255));  // from CG.zep
  for (std::int32_t cg : {100, 120, 150, 200}) EXPECT_EQ(CG_IsExist(cg), 1) << cg;
  EXPECT_EQ(CG_IsExist(201), 0);
  EXPECT_EQ((Ints{CG_GetFormat(100), CG_GetFormat(120), CG_GetFormat(150), CG_GetFormat(200), CG_GetFormat(201)}),
            (Ints{kImageFormatPng, kImageFormatBmp, -1, -1, -1}));
  ASSERT_EQ(SP_SetCG(2, 200), 1);
  EXPECT_EQ(pixelAt(spriteSurface(2), 1, 1), testPixel(1, 1, 4, 255));

  // Without an archive file the stand-in answers: only CG.zep and loose files remain.
  host().setCgArchivePath("");
  ASSERT_TRUE(rebindEngine());
  EXPECT_STREQ(core().cgArchiveFile->GetDataFileName(0), "dummy_cg.dat");
  EXPECT_EQ((Ints{CG_IsExist(120), SP_SetCG(1, 120), CG_IsExist(150)}), (Ints{0, 0, 1}));
}

TEST_F(ImageExports, CutCgClipsToTheCgAndKeepsItsKind) {
  useArchiveFile({{100, "png", png(640, 8, 9)}});
  ASSERT_EQ(SP_SetCutCG(1, 100, -10, 0, 50, 8), 1);
  EXPECT_EQ(SP_GetWidth(1), 40);
  EXPECT_EQ(pixelAt(spriteSurface(1), 0, 3), testPixel(0, 3, 9, 255));
  EXPECT_EQ(pixelAt(spriteSurface(1), 39, 7), testPixel(39, 7, 9, 255));
  EXPECT_FALSE(spriteSurface(1)->HasAMap());

  ASSERT_EQ(SP_SetCutCG(2, 100, 630, -2, 50, 4), 1);
  EXPECT_EQ((Ints{SP_GetWidth(2), SP_GetHeight(2)}), (Ints{10, 2}));
  EXPECT_EQ(pixelAt(spriteSurface(2), 0, 0), testPixel(630, 0, 9, 255));
  EXPECT_EQ(pixelAt(spriteSurface(2), 9, 1), testPixel(639, 1, 9, 255));

  EXPECT_EQ((Ints{SP_SetCutCG(3, 100, 640, 0, 50, 8), SP_SetCutCG(3, 100, INT_MIN, 0, INT_MAX, 8),
                  SP_SetCutCG(3, 100, INT_MAX, 0, INT_MAX, 8), SP_SetCutCG(3, 100, 0, 0, 10, 0), SP_IsUsing(3)}),
            Ints(5, 0));
  ASSERT_EQ(SP_SetCutCG(3, 100, 10, 0, INT_MAX, INT_MAX), 1);  // x + width beyond 32 bits
  EXPECT_EQ(SP_GetWidth(3), 630);
  EXPECT_EQ(SP_SetCutCG(4, 101, 0, 0, 1, 1), 0);
  EXPECT_EQ(core().cgCache->statistics().entries, 1u);  // cuts are never cached

  // A CG with only an alpha map gives an alpha-only cut.
  Ref<ISurface> alphaOnly = Ref<ISurface>::adopt(host().surfaceFactory().CreateAMapOnly(4, 4));
  *alphaOnly->GetAMapAddress(2, 1) = 77;
  core().cgCache->Register(300, alphaOnly.get());
  ASSERT_EQ(SP_SetCutCG(5, 300, 1, 1, 2, 2), 1);
  EXPECT_TRUE(!spriteSurface(5)->HasPixel() && spriteSurface(5)->HasAMap());
  EXPECT_EQ(*spriteSurface(5)->GetAMapAddress(1, 0), 77);
  EXPECT_TRUE(takeErrors().empty());
}

TEST_F(ImageExports, MetricsFillSevenIntegerMembersOrReportAndWriteNothing) {
  useArchiveFile({{100, "png", png(20, 10, 1)}, {101, "png", png(3, 3, 2, true)}});
  auto members = [](std::size_t count) {
    return std::vector<refhost::VMStruct::Member>(count, refhost::VMStruct::Member{kVMTypeInt, {99}});
  };
  refhost::VMStruct eight(members(8));
  ASSERT_EQ(CG_GetMetrics(100, &eight), 1);
  const std::int32_t pitch = core().cgCache->statistics().usedBytes / 10;
  const std::vector<std::int32_t> expected = {20, 10, 32, pitch, 0, 1, 0, 99};
  for (std::int32_t i = 0; i < 8; ++i) EXPECT_EQ(eight.word(i), expected[i]) << i;
  refhost::VMStruct alpha(members(7));
  ASSERT_EQ(CG_GetMetrics(101, &alpha), 1);
  EXPECT_EQ(alpha.word(6), 1);

  refhost::VMStruct six(members(6));
  EXPECT_EQ(CG_GetMetrics(100, &six), 0);
  std::vector<refhost::VMStruct::Member> withString = members(7);
  withString[3].type = 7;
  refhost::VMStruct wrongType(withString);
  EXPECT_EQ(CG_GetMetrics(100, &wrongType), 0);
  EXPECT_EQ(takeErrors(), (std::vector<std::string>{
                              platform::utf8ToSjis("CG_GetMetrics内部エラー\n構造体メンバー個数不足\n"),
                              platform::utf8ToSjis("CG_GetMetrics内部エラー\n構造体メンバー型異常\n3番のメンバ\n")}));
  for (std::int32_t i = 0; i < 7; ++i) EXPECT_EQ(wrongType.word(i), 99) << i;
  for (std::int32_t i = 0; i < 6; ++i) EXPECT_EQ(six.word(i), 99) << i;

  EXPECT_EQ(CG_GetMetrics(102, &wrongType), 0);  // a missing CG is silent
  EXPECT_EQ(CG_GetMetrics(100, nullptr), 0);
  EXPECT_TRUE(takeErrors().empty());
}

TEST_F(ImageExports, SaveCgWaitsForTheEncoderAndNeverDestroysAnExistingFile) {
  ASSERT_EQ(SP_Create(1, 5, 3, 30, 20, 10, 200), 1);
  refhost::VMString name("saved.png");
  host().withholdModule(kModuleImageEncoder);
  EXPECT_EQ(SP_SaveCG(1, &name), 0);
  EXPECT_FALSE(CVELM::instance().binding.imageEncoder);
  host().restoreModule(kModuleImageEncoder);
  ASSERT_EQ(SP_SaveCG(1, &name), 1);

  // The file decodes back to the sprite's pixels.
  Ref<ISurface> saved = Ref<ISurface>::adopt(core().cgSources.loadSurfaceFromFile("saved.png"));
  ASSERT_TRUE(saved);
  EXPECT_EQ(saved->GetWidth(), 5);
  EXPECT_EQ(pixelAt(saved.get(), 4, 2), pixelAt(spriteSurface(1), 4, 2));
  EXPECT_EQ(pixelAt(saved.get(), 4, 2), 0xC81E140Au);

  // Failures leave the file as it was: an encoding refused (alpha-only image), no image, no sprite.
  folder_.write("old.png", Bytes{'o', 'l', 'd'});
  refhost::VMString old("old.png");
  Ref<ISurface> alphaOnly = Ref<ISurface>::adopt(host().surfaceFactory().CreateAMapOnly(2, 2));
  ASSERT_EQ(Sprite_SetSurface(2, alphaOnly.get()), 1);
  ASSERT_EQ(SP_CreateCustom(3), 1);
  EXPECT_EQ(
      (Ints{SP_SaveCG(2, &old), SP_SaveCG(3, &old), SP_SaveCG(4, &old), SP_SaveCG(0, &old), SP_SaveCG(1, nullptr)}),
      Ints(5, 0));
  EXPECT_EQ(platform::readWholeFile("old.png"), (Bytes{'o', 'l', 'd'}));

  // A file given by path decodes onto a sprite, uncached.
  refhost::VMString missing("nothing.png");
  EXPECT_EQ(SP_SetCGFromFile(6, &missing) + SP_SetCGFromFile(6, nullptr), 0);
  ASSERT_EQ(SP_SetCGFromFile(6, &name), 1);
  EXPECT_EQ(SP_GetWidth(6), 5);
  EXPECT_EQ(core().cgCache->statistics().entries, 0u);
}

TEST_F(ImageExports, BlendAMapBinCopiesColourWhereTheSourceIsOpaqueEnough) {
  const std::uint8_t alphas[4] = {0, 100, 254, 255};
  ASSERT_EQ(SP_Create(2, 4, 1, 0, 0, 0, 255), 1);
  for (int x = 0; x < 4; ++x) poke(2, x, 0, 0x00302010u | (std::uint32_t{alphas[x]} << 24));
  auto copiedColumns = [&](std::int32_t threshold) {
    SP_Create(1, 4, 1, 0, 0, 0, 9);
    CG_BlendAMapBin(1, 0, 0, 2, 0, 0, 4, 1, threshold);
    std::string copied;
    for (int x = 0; x < 4; ++x) {
      const std::uint32_t value = pixelAt(spriteSurface(1), x, 0);
      EXPECT_EQ(value >> 24, 9u);  // alpha is never written
      copied += (value & 0xFFFFFF) == 0x302010u ? '1' : '0';
    }
    return copied;
  };
  EXPECT_EQ((std::vector<std::string>{copiedColumns(0), copiedColumns(-5), copiedColumns(100), copiedColumns(255),
                                      copiedColumns(300)}),
            (std::vector<std::string>{"1111", "1111", "0111", "0001", "0001"}));

  // A source start at sx = -3 moves the destination start 3 columns right.
  ASSERT_EQ(SP_Create(3, 10, 1, 0, 0, 0, 255), 1);
  ASSERT_EQ(SP_Create(4, 10, 1, 0, 0, 0, 255), 1);
  for (int x = 0; x < 10; ++x) poke(4, x, 0, 0xFF000000u | static_cast<std::uint32_t>(x + 1));
  EXPECT_EQ(CG_BlendAMapBin(3, 0, 0, 4, -3, 0, 6, 1, 0), 1);
  for (int x = 0; x < 10; ++x)
    EXPECT_EQ(pixelAt(spriteSurface(3), x, 0) & 0xFF, x >= 3 && x < 6 ? static_cast<std::uint32_t>(x - 2) : 0u) << x;
  // Destination clipping at both ends, then nothing left.
  EXPECT_EQ(CG_BlendAMapBin(3, -2, 0, 4, 0, 0, 20, 5, 0), 1);
  EXPECT_TRUE((pixelAt(spriteSurface(3), 0, 0) & 0xFF) == 3u && (pixelAt(spriteSurface(3), 7, 0) & 0xFF) == 10u);
  EXPECT_EQ(CG_BlendAMapBin(3, 0, 0, 4, 10, 0, 5, 1, 0) +
                CG_BlendAMapBin(3, INT_MIN, INT_MIN, 4, INT_MAX, INT_MAX, INT_MAX, INT_MAX, 0),
            0);

  // On a sprite showing a cached CG only that sprite changes.
  useArchiveFile({{100, "png", png(4, 1, 5)}});
  ASSERT_EQ(SP_Create(2, 4, 1, 1, 2, 3, 255), 1);
  ASSERT_EQ(SP_SetCG(5, 100), 1);
  ASSERT_EQ(SP_SetCG(6, 100), 1);
  EXPECT_EQ(CG_BlendAMapBin(5, 0, 0, 2, 0, 0, 4, 1, 0), 1);
  EXPECT_EQ(pixelAt(spriteSurface(5), 2, 0), 0xFF010203u);
  EXPECT_EQ(pixelAt(spriteSurface(6), 2, 0), testPixel(2, 0, 5, 255));
  ISurface* cached = core().cgSources.getCGSurface(100);
  EXPECT_EQ(cached, spriteSurface(6));
  cached->Release();
  EXPECT_TRUE(takeErrors().empty());
}

TEST_F(ImageExports, RotateRgbTurnsTheChannelsOfTheClippedRectangle) {
  auto rotated = [&](std::int32_t turns) {
    SP_Create(1, 3, 2, 30, 20, 10, 40);  // B 10, G 20, R 30, A 40
    CG_RotateRGB(1, 0, 0, 3, 2, turns);
    return pixelAt(spriteSurface(1), 2, 1);
  };
  // One turn gives (30, 10, 20, 40), two (20, 30, 10, 40); negative turns count backwards and INT_MIN % 3 == -2.
  const std::pair<std::int32_t, std::uint32_t> turns[] = {{1, 0x28140A1Eu},      {2, 0x280A1E14u}, {-1, 0x280A1E14u},
                                                          {-2, 0x280A1E14u},     {3, 0x281E140Au}, {-3, 0x281E140Au},
                                                          {INT_MIN, 0x280A1E14u}};
  for (const auto& [count, expected] : turns) EXPECT_EQ(rotated(count), expected) << count;

  SP_Create(1, 3, 2, 30, 20, 10, 40);
  for (int i = 0; i < 3; ++i) CG_RotateRGB(1, 0, 0, 3, 2, 1);
  EXPECT_EQ(pixelAt(spriteSurface(1), 0, 0), 0x281E140Au);
  EXPECT_EQ(CG_RotateRGB(1, -1, 1, 2, INT_MAX, 1), 1);  // only column 0 of row 1
  EXPECT_EQ(pixelAt(spriteSurface(1), 0, 1), 0x28140A1Eu);
  EXPECT_EQ(pixelAt(spriteSurface(1), 1, 1), 0x281E140Au);
  EXPECT_EQ(pixelAt(spriteSurface(1), 0, 0), 0x281E140Au);
  EXPECT_EQ(CG_RotateRGB(1, 3, 0, 5, 5, 1) + CG_RotateRGB(1, INT_MAX, INT_MAX, INT_MAX, INT_MAX, 1), 0);
}

TEST_F(ImageExports, PixelUtilitiesReportUnusableSpritesAndRefuseOtherDepths) {
  EXPECT_EQ(CG_RotateRGB(9, 0, 0, 1, 1, 1), 0);
  ASSERT_EQ(SP_CreateCustom(8), 1);  // a sprite without image
  ASSERT_EQ(SP_Create(1, 2, 2, 1, 2, 3, 255), 1);
  EXPECT_EQ(CG_BlendAMapBin(8, 0, 0, 1, 0, 0, 1, 1, 0), 0);
  EXPECT_EQ(CG_BlendAMapBin(1, 0, 0, 9, 0, 0, 1, 1, 0), 0);
  EXPECT_EQ(takeErrors(), (std::vector<std::string>{invalidSprite(9), invalidSprite(8), invalidSprite(9)}));

  // An 8-bit image is refused rather than walked four bytes a pixel.
  Ref<ISurface> narrow = Ref<ISurface>::adopt(host().surfaceFactory().CreatePixelOnly(2, 2, 8));
  ASSERT_EQ(Sprite_SetSurface(7, narrow.get()), 1);
  narrow.reset();
  *Sprite_GetWritableSurface(7)->GetPixelAddress(0, 0) = 5;
  EXPECT_EQ((Ints{CG_RotateRGB(7, 0, 0, 2, 2, 1), CG_BlendAMapBin(7, 0, 0, 1, 0, 0, 2, 2, 0),
                  CG_BlendAMapBin(1, 0, 0, 7, 0, 0, 2, 2, 0)}),
            Ints(3, 0));
  EXPECT_EQ(*spriteSurface(7)->GetPixelAddress(0, 0), 5);
  // A source without alpha map ends the operation silently.
  ASSERT_EQ(SP_CreatePixelOnly(6, 2, 2), 1);
  EXPECT_EQ(CG_BlendAMapBin(1, 0, 0, 6, 0, 0, 2, 2, 0), 0);
  EXPECT_TRUE(takeErrors().empty());

  // Before Init (after the teardown) every export answers its failure value.
  CVELM::instance().teardown();
  refhost::VMString name("x.png");
  refhost::VMStruct metrics(std::vector<refhost::VMStruct::Member>(7));
  EXPECT_EQ((Ints{SP_SetCG(1, 1), SP_SetCutCG(1, 1, 0, 0, 1, 1), SP_SetCGFromFile(1, &name), SP_SaveCG(1, &name),
                  CG_IsExist(1), CG_GetMetrics(1, &metrics), CG_GetFormat(1),
                  CG_BlendAMapBin(1, 0, 0, 1, 0, 0, 1, 1, 0), CG_RotateRGB(1, 0, 0, 1, 1, 1), SP_RenderView(1)}),
            (Ints{0, 0, 0, 0, 0, 0, -1, 0, 0, 0}));
}

}  // namespace
}  // namespace tamblet
