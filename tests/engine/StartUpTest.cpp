// Init over the reference host: the texts of every start-up failure, the silent failures, the
// packed archive beside the game, the registrations, a second Init and the teardown.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/CVELM.h"
#include "engine/Exports.h"
#include "engine/GameName.h"
#include "platform/TextEncoding.h"
#include "refhost/VMString.h"
#include "tests/engine/EngineFixture.h"

namespace tamblet {
namespace {

std::string sjis(const char* utf8) {
  return platform::utf8ToSjis(utf8);
}

// Start-up binds the engine itself, over a 320 x 240 screen, and sees what it reports.
class StartUp : public testing::EngineFixture {
 protected:
  StartUp() {
    bindOnSetUp = false;
    screenWidth = 320, screenHeight = 240;
    cacheMebibytes = 8;
  }
  bool init() { return bindEngine(); }
  // The report of a failed start-up before the VM is bound: the debugger line, then a message box.
  std::string reportedBox() const { return messages_.boxes.empty() ? std::string() : messages_.boxes.back().text; }

  testing::CapturingMessageSink messages_;
};

TEST_F(StartUp, SucceedsAndRegistersTheLibraryObjects) {
  ASSERT_TRUE(init());
  EXPECT_TRUE(messages_.boxes.empty());
  const auto& registrations = host().drawPlugins().registrations();
  ASSERT_EQ(registrations.size(), 3u);
  EXPECT_TRUE(registrations[0].id == kIID_IChangeNumToISurface && registrations[1].id == kIID_IChangeNumToISurface2 &&
              registrations[2].id == kIID_IAddInvalidateRect);
  EXPECT_EQ(registrations[0].object, registrations[1].object);
  EXPECT_TRUE(GetScreenWidth() == 320 && GetScreenHeight() == 240);
  EXPECT_TRUE(init());  // a second Init changes nothing
  EXPECT_EQ(host().drawPlugins().registrations().size(), 3u);
  // No "CG.zep": the packed-archive module is never looked up.
  for (const std::string& module : resolver().lookups()) EXPECT_NE(module, kModuleZEPLoader);
}

TEST_F(StartUp, MissingModulesAreListedInModuleOrder) {
  for (const char* module :
       {kModuleKOVLoader, kModuleImageDecoder, kModuleRasterLib, kModulePixmapMaker, kModuleRenderHub})
    resolver().removeModule(module);
  EXPECT_FALSE(init());
  EXPECT_EQ(reportedBox(), sjis("VELM初期化エラー(CreateInterface,GetInterface)\nIKOVFileManager取得失敗\n"
                                "IDecodeCG取得失敗\nIGraph3取得失敗\nISurfaceFactory取得失敗\n"
                                "IDrawPluginManager取得失敗\n\n"));
  ASSERT_FALSE(messages_.debugLines.empty());
  EXPECT_EQ(messages_.debugLines.back(), sjis("〓ERROR〓 m_pIVM=NULL @ CErrorMessage::Open @ VELM2\n"));
  EXPECT_EQ(GetScreenWidth(), 0);
}

// A missing kernel, VM or draw-plugin service fails Init with its report, or silently; a new Init
// after the failed attempts releases what they took and binds again.
TEST_F(StartUp, MissingServicesAreReportedOrFailSilently) {
  struct Case {
    int part;  // 0 the kernel, 1 the VM, 2 the draw-plugin manager
    const InterfaceId& id;
    const char* report;  // null: silent
  };
  const Case cases[] = {{0, kIID_IWinMsg, "VELM初期化エラー(IHostKernel)\nIWinMsg取得失敗\n\n"},
                        {0, kIID_IHostWindow, nullptr}, {0, kIID_IKeyState, nullptr}, {0, kIID_IResetState, nullptr},
                        {0, kIID_IGameInfo, nullptr}, {0, kIID_IVideoMemoryInfo, nullptr}, {0, kIID_IGamePath, nullptr},
                        {1, kIID_IVMGameMsg, "VELM初期化エラー(IVM->GetInterface())\nIVMGameMsg取得失敗\n\n"},
                        {2, kIID_IDrawPluginUpdater, "IDrawPluginUpdater取得失敗"},
                        {2, kIID_IDrawPluginDrawer, "IDrawPluginDrawer取得失敗"}};
  for (const Case& c : cases) {
    auto withhold = [&](bool missing) {
      if (c.part == 0) missing ? host().kernel().withhold(c.id) : host().kernel().restore(c.id);
      if (c.part == 1) missing ? host().vm().withhold(c.id) : host().vm().restore(c.id);
      if (c.part == 2) missing ? host().drawPlugins().withhold(c.id) : host().drawPlugins().restore(c.id);
    };
    messages_.boxes.clear();
    withhold(true);
    EXPECT_FALSE(init());
    EXPECT_EQ(reportedBox(), c.report ? sjis(c.report) : "") << c.part << " " << (c.report ? c.report : "");
    withhold(false);
  }
  EXPECT_TRUE(init());
}

TEST_F(StartUp, ASixteenBitScreenFailsAfterEverythingElse) {
  host().mainSurface().setReportedBpp(16);
  EXPECT_FALSE(init());
  // Reported through the VM now that it is bound.
  EXPECT_EQ(
      host().vm().errors(),
      std::vector<std::string>{sjis("メインサーフェスが32bppではありません。\nMareth40.iniに設定を記述してください")});
  EXPECT_EQ(host().drawPlugins().registrations().size(), 3u);
}

TEST_F(StartUp, ThePackedArchiveBesideTheGameIsOpenedAndChecked) {
  const std::filesystem::path folder = std::filesystem::temp_directory_path() / "tamblet-startup-test";
  std::filesystem::create_directories(folder);
  host().kernel().game().setGameName("game.exe");
  host().kernel().game().setPathPrefix((folder / "").string());  // with the system's separator
  const std::string packedPath = (folder / "gameCG.zep").string();
  std::ofstream(packedPath) << "not an archive";

  EXPECT_TRUE(init());
  ASSERT_EQ(messages_.boxes.size(), 1u);
  const std::string expected = sjis("CGZEPファイル【 ") + packedPath + sjis(" 】の読み込みに失敗しました");
  EXPECT_EQ(messages_.boxes[0].text, expected);
  EXPECT_EQ(messages_.boxes[0].caption, "WendleSpriteEngine.dll");
  std::filesystem::remove_all(folder);
}

// The host's release of the engine object tears it down in a fixed order: key state, draw-plugin
// manager, the core's services (main surface, decoder, raster, factory), the engine object's
// modules (encoder, decoder, archive manager, raster, factory), and the video memory last.
TEST_F(StartUp, TheTeardownReleasesTheHostInItsOrder) {
  ASSERT_TRUE(init());
  refhost::VMString fileName("never-written.png");
  EXPECT_EQ(SP_SaveCG(1, &fileName), 0);  // obtains the image encoder, then finds no sprite
  refhost::Ledger::startReleaseTrace();
  EXPECT_EQ(CVELM::instance().Release(), 0);
  const std::vector<const void*> trace = refhost::Ledger::stopReleaseTrace();
  EXPECT_TRUE(CVELM::instance().isShutDown());
  EXPECT_EQ(Init(&host().kernel(), 8) + SP_SetPos(1, 0, 0), 0);  // released for good

  const std::vector<const void*> expected = {
      &host().kernel().keyState(), &host().drawPlugins(), &host().mainSurface(),   &host().imageDecoder(),
      &host().raster(),            &host().surfaceFactory(), &host().imageEncoder(), &host().imageDecoder(),
      &host().kovFiles(),          &host().raster(),      &host().surfaceFactory(), &host().kernel().videoMemory()};
  std::size_t matched = 0;
  for (const void* released : trace)
    if (matched < expected.size() && released == expected[matched]) ++matched;
  EXPECT_EQ(matched, expected.size()) << "the release order broke after " << matched << " steps";
}

TEST(GameName, BaseNameDropsTheLastExtensionScanningShiftJis) {
  EXPECT_EQ(baseNameOf("game.exe"), "game");
  EXPECT_EQ(baseNameOf("a.b.c"), "a.b");
  EXPECT_EQ(baseNameOf("noext"), "noext");
  EXPECT_EQ(baseNameOf("\x81\x2E"), "\x81\x2E");  // a second byte 0x2E is not a dot
  EXPECT_EQ(baseNameOf("x.\xE0\x2E" "y"), "x");  // the dot before it is
  EXPECT_EQ(baseNameOf("ab.\x81"), "ab");       // a trailing lead byte ends the scan
  EXPECT_EQ(baseNameOf(nullptr), "");
}

}  // namespace
}  // namespace tamblet
