// The fixed texts against an independent conversion of their UTF-8 wording, and the bounded
// formatter's conversions, padding and cut.
#include <gtest/gtest.h>
#include <iconv.h>

#include <climits>
#include <set>
#include <string>
#include <vector>

#include "report/FixedTexts.h"
#include "report/TextFormatter.h"

namespace tamblet {
namespace {

std::string utf8ToCp932(const std::string& utf8) {
  iconv_t converter = iconv_open("CP932", "UTF-8");
  EXPECT_NE(converter, reinterpret_cast<iconv_t>(-1));
  std::string input = utf8;
  std::string output(input.size() * 2 + 1, '\0');
  char* in = input.data();
  char* out = output.data();
  std::size_t inLeft = input.size();
  std::size_t outLeft = output.size();
  EXPECT_NE(iconv(converter, &in, &inLeft, &out, &outLeft), static_cast<std::size_t>(-1)) << utf8;
  iconv_close(converter);
  output.resize(output.size() - outLeft);
  return output;
}

struct ExpectedText {
  FixedText id;
  const char* utf8;
};

// The wording of every text as the reader sees it, in UTF-8.
using enum FixedText;
const std::vector<ExpectedText> kExpectedTexts = {
    {kSpCreateSizeError,
     "SP_Create\nサイズ指定エラー\nnSP     = %d\nnWidth  = %d\nnHeight = %d\nrgb=(%d,%d,%d)\nblend = %d\n"},
    {kSpCreatePixelOnlySizeError, "SP_CreatePixelOnly\nサイズ指定エラー\nnSP     = %d\nnWidth  = %d\nnHeight = %d\n"},
    {kSpDeleteBadNumber, "SP_Delete\nnSP=%d\n"},
    {kSpSetPosBadNumber, "SP_SetPos\nnSP=%d\nx=%d\ny=%d\n"},
    {kSpSetXBadNumber, "SP_SetX\nnSP=%d\nnX=%d\n"},
    {kSpSetYBadNumber, "SP_SetY\nnSP=%d\nnY=%d\n"},
    {kSpSetZBadArgument, "SP_SetZ\nnSP=%d\nnZ=%d\n"},
    {kSpSetBlendRateBadArgument, "SP_SetBlendRate\nnSP=%d\nnBlendRate=%d"},
    {kSpSetBrightnessBadArgument, "SP_SetBrightness\nnSP=%d\nnBrightness=%d"},
    {kSpSetShowBadNumber, "SP_Show\nnSP=%d\nbShow=%d\n"},
    {kSpSetDrawMethodBadNumber, "SP_SetDrawMethod\nnSP=%d\nnMethod=%d\n"},
    {kSpIsPtInBadNumber, "SP_IsPtIn\nnSP=%d\nx=%d\ny=%d\n"},
    {kSpIsPtInRectBadNumber, "SP_IsPtInRect\nnSP=%d\nx=%d\ny=%d\n"},
    {kSpSetCgBadArgument, "nSP_SetCG\nnSP=%d\nnCG=%d\n"},
    {kInvalidSpriteNumber, "無効なスプライト番号が使用された\nSP=%d\n(CGetSurface::Change)\n"},
    {kTransitionBeginFailed, "トランジション%d番の開始に失敗しました"},
    {kTransitionUpdateFailed, "トランジションの更新に失敗しました"},
    {kTransitionEndFailed, "トランジションの終了に失敗しました"},
    {kSpEnumArrayNotOneDimensional, "SP_Enumに渡す配列は１次元で確保されていなければならない"},
    {kSpEnumArrayNotInt, "SP_Enumの引数はintの配列でなければならない"},
    {kSpEnumArrayTooShort,
     "SP_Enumに渡す配列が必要個数分確保されていない\n必要な個数を取得するには、SP_Count()を呼び出す\n"},
    {kCgMetricsTooFewMembers, "CG_GetMetrics内部エラー\n構造体メンバー個数不足"},
    {kCgMetricsBadMemberType, "CG_GetMetrics内部エラー\n構造体メンバー型異常\n%d番のメンバ"},
    {kSetCallbackMissing, "■ERROR ISetCallback取得失敗 - Init - VELM.DLL\n"},
    {kKovFileManagerMissing, "IKOVFileManager取得失敗\n"},
    {kDecodeCgMissing, "IDecodeCG取得失敗\n"},
    {kGraph3Missing, "IGraph3取得失敗\n"},
    {kSurfaceFactoryMissing, "ISurfaceFactory取得失敗\n"},
    {kDrawPluginManagerMissing, "IDrawPluginManager取得失敗\n"},
    {kInitModulesFailed, "VELM初期化エラー(CreateInterface,GetInterface)\n%s\n"},
    {kMainSurfaceMissing, "IMainSurface取得失敗\n"},
    {kInputDevice2Missing, "IInputDevice2取得失敗\n"},
    {kTimerMissing, "ITimer取得失敗\n"},
    {kMouseWheelMissing, "IMouseWheel取得失敗\n"},
    {kWinMsgMissing, "IWinMsg取得失敗\n"},
    {kMsgBoxMissing, "IMsgBox取得失敗\n"},
    {kShutdownMissing, "IShutdown取得失敗\n"},
    {kVmMissing, "IVM取得失敗\n"},
    {kInitHostKernelFailed, "VELM初期化エラー(IHostKernel)\n%s\n"},
    {kVmGameMsgMissing, "IVMGameMsg取得失敗\n"},
    {kInitVmServicesFailed, "VELM初期化エラー(IVM->GetInterface())\n%s\n"},
    {kDrawPluginUpdaterMissing, "IDrawPluginUpdater取得失敗"},
    {kDrawPluginDrawerMissing, "IDrawPluginDrawer取得失敗"},
    {kEngineCoreInitFailed, "VelmEngine Init失敗\n"},
    {kGraph2InitFailed, "Graph2 Init失敗\n"},
    {kInitStartupFailed, "VELM初期化エラー(Init)\n%s\n"},
    {kMainSurfaceNot32bpp, "メインサーフェスが32bppではありません。\nMareth40.iniに設定を記述してください"},
    {kPackedArchiveOpenFailed, "CGZEPファイル【 %s 】の読み込みに失敗しました"},
    {kPackedArchiveNotRebuilt, "CGZEPファイル【 %s 】\nリビルドされていません"},
    {kOpenWithoutFormat, "〓ERROR〓 format=NULL @ CErrorMessage::Open @ VELM2\n"},
    {kOpenWithoutVm, "〓ERROR〓 m_pIVM=NULL @ CErrorMessage::Open @ VELM2\n"},
    {kMessageBoxCaption, "WendleSpriteEngine.dll"},
    {kKeyClearFlagOneWithoutInput, "〓ERROR〓 m_pIInputDevice2=NULL ＠ CVELM::Key_ClearFlagOne\n"},
    {kKeyClearFlagNoCtrlWithoutInput, "〓ERROR〓 m_pIInputDevice2=NULL ＠ CVELM::Key_ClearFlagNoCtrl\n"},
    {kFullWidthDigits, "０１２３４５６７８９"},
    {kFullWidthMinus, "－"},
    {kFullWidthSpace, "　"},
    {kCallStackSeparator, "←"},
    {kCgCacheAlreadyRegistered, "ＣＧキャッシュへのサーフェス登録で、すでにＣＧが登録されていました"},
    {kPackedArchiveFileName, "CG.zep"},
    {kDummyArchiveName, "cg"},
    {kDummyFilePrefix, "dummy_"},
    {kDummyDataFileSuffix, ".dat"},
    {kDummyLinkFileSuffix, ".kov"},
    {kLooseCgFolder, "CG"},
    {kLooseAlphaFolder, "CG\\SP"},
    {kLooseCgPathPrefix, "CG\\"},
    {kLooseAlphaPathPrefix, "CG\\SP\\"},
    {kLooseCgNameFormat, "CG%05d.%s"},
    {kLooseAlphaNameFormat, "CG%05d.bmp"},
    {kExtensionBmp, "bmp"},
    {kExtensionJpg, "jpg"},
    {kExtensionPng, "png"},
    {kDirectorySearchPattern, "\\*"},
    {kPathSeparator, "\\"},
    {kCurrentFolderEntry, "."},
    {kParentFolderEntry, ".."},
    {kD3DViewDrawFailed, "Direct3Dビューの描画に失敗しました"},
    {kD3DViewBuildFailed, "Direct3Dビューの構築に失敗しました"},
    {kBackSceneCreateFailed, "バックシーンの作成に失敗しました"},
    {kD3DDrawFailed, "Direct3Dによる描画に失敗しました"},
    {kD3DPluginBuildFailed, "Direct3Dプラグインのビルドに失敗しました"},
    {kD3DSpriteCreateFailed, "Direct3Dスプライトの作成に失敗しました"},
    {kD3DSpriteRebuildFailed, "Direct3Dスプライトの再構築に失敗しました"},
    {kLargeTextureWarning,
     "【警告】\n1024x1024サイズをこえるスプライト用テクスチャの作成は禁止されています\n\n(%d x %d)"},
    {kD3DSpriteTextureFailed, "Direct3Dスプライトのテクスチャ作成に失敗しました"},
    {kD3DTextureCreateFailed, "Direct3Dテクスチャの生成に失敗しました\n(%d x %d)"},
    {kD3DTextureLockFailed, "IDirect3DTexture9::LockRect()に失敗しました\n(%d x %d) <- (%d x %d)"},
    {kVertexBufferCreateFailed, "CreateVertexBufferに失敗しました"},
    {kVertexBufferLockFailed, "IDirect3DVertexBuffer9::Lock()に失敗しました"},
    {kVertexBufferUnlockFailed, "IDirect3DVertexBuffer9::Unlock()に失敗しました"},
    {kGothicFaceName, "ＭＳ ゴシック"},
    {kMinchoFaceName, "ＭＳ 明朝"},
    {kFontLibraryFileName, "Font.fnl"},
    {kFontLibraryMagic, "FNA"},
};

TEST(FixedTexts, EveryTextIsItsExactShiftJisBytes) {
  std::set<FixedText> seen;
  for (const ExpectedText& expected : kExpectedTexts) {
    EXPECT_TRUE(seen.insert(expected.id).second) << "listed twice: " << static_cast<int>(expected.id);
    EXPECT_EQ(std::string(fixedText(expected.id)), utf8ToCp932(expected.utf8)) << expected.utf8;
  }
  EXPECT_EQ(seen.size(), static_cast<std::size_t>(kCount)) << "a text is missing from this list";
  EXPECT_STREQ(fixedText(kCount), "");
  EXPECT_STREQ(fixedText(static_cast<FixedText>(60000)), "");
}

// The characters whose code the conversion could choose differently, pinned to their bytes.
TEST(FixedTexts, CharactersWithStatedBytes) {
  EXPECT_STREQ(fixedText(kCallStackSeparator), "\x81\xA9");
  EXPECT_STREQ(fixedText(kFullWidthMinus), "\x81\x7C");
  EXPECT_STREQ(fixedText(kFullWidthSpace), "\x81\x40");
  EXPECT_STREQ(fixedText(kFullWidthDigits),
               "\x82\x4F\x82\x50\x82\x51\x82\x52\x82\x53\x82\x54\x82\x55\x82\x56\x82\x57\x82\x58");
}

template <class... Args>
std::string format(std::size_t capacity, const char* pattern, Args... args) {
  std::vector<char> buffer(capacity + 1, '#');
  const std::size_t length = report::formatText(buffer.data(), capacity, pattern, args...);
  EXPECT_EQ(buffer[capacity], '#') << "wrote past the capacity";
  EXPECT_EQ(length, std::string(buffer.data()).size());
  return std::string(buffer.data(), length);
}

TEST(TextFormatter, ConversionsFlagsWidthsAndLiteralPercent) {
  EXPECT_EQ(format(64, "%05d|%05d|%5d|%-5d|", 42, -42, -42, 42), "00042|-0042|  -42|42   |");
  EXPECT_EQ(format(64, "%-05d|%2d|%03d", -42, -42, 12345), "-42  |-42|12345");
  EXPECT_EQ(format(64, "%d %i", INT_MIN, INT_MAX), "-2147483648 2147483647");
  EXPECT_EQ(format(64, "%u %x %X %04x", 4294967295u, 255u, 0xBEEFu, 10u), "4294967295 ff BEEF 000a");
  EXPECT_EQ(format(64, "[%c][%3c][%-3c]", 'a', 'b', 'c'), "[a][  b][c  ]");
  EXPECT_EQ(format(64, "[%s][%5s][%-5s][%05s]", "x", "ab", "ab", "ab"), "[x][   ab][ab   ][   ab]");
  EXPECT_EQ(format(64, "[%s]", static_cast<const char*>(nullptr)), "[]");
  EXPECT_EQ(format(64, "rgb=(%d,%d,%d)\n", 1, 2, 3), "rgb=(1,2,3)\n");
  EXPECT_EQ(format(64, "100%"), "100%");
  EXPECT_EQ(format(64, "100%%"), "100%");
  EXPECT_EQ(format(64, "%-0"), "%-0");
  // An unknown conversion takes no value: the next one still gets the first argument.
  EXPECT_EQ(format(64, "%q %5y %d", 7), "%q %5y 7");
  EXPECT_EQ(format(64, "%ld", 7), "%ld");
  EXPECT_EQ(format(64, nullptr), "");
}

TEST(TextFormatter, CutAtCapacityNeverOverflowsNorEndsInHalfACharacter) {
  const std::string huge(20000, 'a');
  EXPECT_EQ(format(report::kReportBufferSize, "%s", huge.c_str()), std::string(16383, 'a'));
  EXPECT_EQ(format(report::kReportBufferSize, "<%s>", huge.c_str()), "<" + std::string(16382, 'a'));
  // Exactly at the boundary: 16,383 bytes fit whole, one more is cut.
  EXPECT_EQ(format(report::kReportBufferSize, "%s", huge.substr(0, 16383).c_str()).size(), 16383u);
  EXPECT_EQ(format(report::kReportBufferSize, "%s!", huge.substr(0, 16383).c_str()), huge.substr(0, 16383));
  EXPECT_EQ(format(report::kReportBufferSize, "%20000d", 5).size(), 16383u);
  EXPECT_EQ(format(8, "%999999999999999999999d", 5), "       ");
  EXPECT_EQ(format(1, "abc"), "");
  char untouched = '#';
  EXPECT_EQ(report::formatText(&untouched, 0, "abc"), 0u);
  EXPECT_EQ(untouched, '#');
  EXPECT_EQ(report::formatText(nullptr, 10, "abc"), 0u);

  // "ab" then two two-byte characters: five bytes fit, the dangling first byte is dropped.
  EXPECT_EQ(format(6, "ab%s", "\x82\xA0\x82\xA0"), "ab\x82\xA0");
  EXPECT_EQ(format(7, "ab%s", "\x82\xA0\x82\xA0"), "ab\x82\xA0\x82\xA0");
  // A second byte in the lead range is still a second byte: "\x81\x81" pairs are counted, not guessed.
  EXPECT_EQ(format(4, "a\x81\x81\x81\x81"), "a\x81\x81");
  EXPECT_EQ(format(5, "a\x81\x81\x81\x81"), "a\x81\x81");
  // An uncut text keeps whatever its caller gave it.
  EXPECT_EQ(format(8, "ab\x82"), "ab\x82");
}

}  // namespace
}  // namespace tamblet
