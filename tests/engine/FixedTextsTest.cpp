// The fixed texts against an independent conversion of their UTF-8 wording, and the bounded
// formatter's conversions, padding and cut.
#include <gtest/gtest.h>
#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#endif

#include <climits>
#include <string>
#include <vector>

#include "report/FixedTexts.h"
#include "report/TextFormatter.h"

namespace tamblet {
namespace {

// The system's own conversion, independent of the engine's tables.
#ifdef _WIN32
std::string utf8ToCp932(const std::string& utf8) {
  const int wideSize = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), int(utf8.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(wideSize), L'\0');
  MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), int(utf8.size()), wide.data(), wideSize);
  const int size = WideCharToMultiByte(932, 0, wide.data(), wideSize, nullptr, 0, nullptr, nullptr);
  std::string output(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(932, 0, wide.data(), wideSize, output.data(), size, nullptr, nullptr);
  EXPECT_TRUE(utf8.empty() || size > 0) << utf8;
  return output;
}
#else
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
#endif

// The wording of every text as the reader sees it, in UTF-8, in the order of FixedText.
const char* const kWording[] = {
    "SP_Create\nサイズ指定エラー\nnSP     = %d\nnWidth  = %d\nnHeight = %d\nrgb=(%d,%d,%d)\nblend = %d\n",
    "SP_CreatePixelOnly\nサイズ指定エラー\nnSP     = %d\nnWidth  = %d\nnHeight = %d\n", "SP_Delete\nnSP=%d\n",
    "SP_SetPos\nnSP=%d\nx=%d\ny=%d\n", "SP_SetX\nnSP=%d\nnX=%d\n", "SP_SetY\nnSP=%d\nnY=%d\n",
    "SP_SetZ\nnSP=%d\nnZ=%d\n", "SP_SetBlendRate\nnSP=%d\nnBlendRate=%d", "SP_SetBrightness\nnSP=%d\nnBrightness=%d",
    "SP_Show\nnSP=%d\nbShow=%d\n", "SP_SetDrawMethod\nnSP=%d\nnMethod=%d\n", "SP_IsPtIn\nnSP=%d\nx=%d\ny=%d\n",
    "SP_IsPtInRect\nnSP=%d\nx=%d\ny=%d\n", "nSP_SetCG\nnSP=%d\nnCG=%d\n",
    "無効なスプライト番号が使用された\nSP=%d\n(CGetSurface::Change)\n", "トランジション%d番の開始に失敗しました", "トランジションの更新に失敗しました",
    "トランジションの終了に失敗しました", "SP_Enumに渡す配列は１次元で確保されていなければならない", "SP_Enumの引数はintの配列でなければならない",
    "SP_Enumに渡す配列が必要個数分確保されていない\n必要な個数を取得するには、SP_Count()を呼び出す\n", "CG_GetMetrics内部エラー\n構造体メンバー個数不足",
    "CG_GetMetrics内部エラー\n構造体メンバー型異常\n%d番のメンバ", "■ERROR ISetCallback取得失敗 - Init - VELM.DLL\n", "IKOVFileManager取得失敗\n",
    "IDecodeCG取得失敗\n", "IGraph3取得失敗\n", "ISurfaceFactory取得失敗\n", "IDrawPluginManager取得失敗\n",
    "VELM初期化エラー(CreateInterface,GetInterface)\n%s\n", "IMainSurface取得失敗\n", "IInputDevice2取得失敗\n", "ITimer取得失敗\n",
    "IMouseWheel取得失敗\n", "IWinMsg取得失敗\n", "IMsgBox取得失敗\n", "IShutdown取得失敗\n", "IVM取得失敗\n",
    "VELM初期化エラー(IHostKernel)\n%s\n", "IVMGameMsg取得失敗\n", "VELM初期化エラー(IVM->GetInterface())\n%s\n",
    "IDrawPluginUpdater取得失敗", "IDrawPluginDrawer取得失敗", "VelmEngine Init失敗\n", "Graph2 Init失敗\n",
    "VELM初期化エラー(Init)\n%s\n", "メインサーフェスが32bppではありません。\nMareth40.iniに設定を記述してください", "CGZEPファイル【 %s 】の読み込みに失敗しました",
    "CGZEPファイル【 %s 】\nリビルドされていません", "〓ERROR〓 format=NULL @ CErrorMessage::Open @ VELM2\n",
    "〓ERROR〓 m_pIVM=NULL @ CErrorMessage::Open @ VELM2\n", "WendleSpriteEngine.dll",
    "〓ERROR〓 m_pIInputDevice2=NULL ＠ CVELM::Key_ClearFlagOne\n",
    "〓ERROR〓 m_pIInputDevice2=NULL ＠ CVELM::Key_ClearFlagNoCtrl\n", "０１２３４５６７８９", "－", "　", "←",
    "ＣＧキャッシュへのサーフェス登録で、すでにＣＧが登録されていました", "CG.zep", "cg", "dummy_", ".dat", ".kov", "CG", "CG\\SP", "CG\\", "CG\\SP\\",
    "CG%05d.%s", "CG%05d.bmp", "bmp", "jpg", "png", "\\*", "\\", ".", "..", "Direct3Dビューの描画に失敗しました",
    "Direct3Dビューの構築に失敗しました", "バックシーンの作成に失敗しました", "Direct3Dによる描画に失敗しました", "Direct3Dプラグインのビルドに失敗しました",
    "Direct3Dスプライトの作成に失敗しました", "Direct3Dスプライトの再構築に失敗しました", "【警告】\n1024x1024サイズをこえるスプライト用テクスチャの作成は禁止されています\n\n(%d x %d)",
    "Direct3Dスプライトのテクスチャ作成に失敗しました", "Direct3Dテクスチャの生成に失敗しました\n(%d x %d)",
    "IDirect3DTexture9::LockRect()に失敗しました\n(%d x %d) <- (%d x %d)", "CreateVertexBufferに失敗しました",
    "IDirect3DVertexBuffer9::Lock()に失敗しました", "IDirect3DVertexBuffer9::Unlock()に失敗しました", "ＭＳ ゴシック", "ＭＳ 明朝", "Font.fnl",
    "FNA", "dirty regions: on (TAMBLET_DIRTY_REGIONS=1), frames redraw only what changed\n",
    "dirty regions: off, every frame is redrawn whole\n"};

TEST(FixedTexts, EveryTextIsItsExactShiftJisBytes) {
  static_assert(std::size(kWording) == static_cast<std::size_t>(FixedText::kCount), "one wording per text");
  for (std::size_t i = 0; i < std::size(kWording); ++i)
    EXPECT_EQ(std::string(fixedText(static_cast<FixedText>(i))), utf8ToCp932(kWording[i])) << kWording[i];
  EXPECT_STREQ(fixedText(FixedText::kCount), "");
  EXPECT_STREQ(fixedText(static_cast<FixedText>(60000)), "");
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
