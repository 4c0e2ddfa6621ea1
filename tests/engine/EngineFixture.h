// What the engine's tests share: a bound engine over a fresh reference host and a simulated clock,
// torn down at the end with every reference-host object gone again (settings for a particular CG
// setup, then rebindEngine()), and a sink that collects debugger lines and message boxes.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "engine/CVELM.h"
#include "engine/CVelmEngine.h"
#include "engine/Exports.h"
#include "engine/HostBinding.h"
#include "platform/Clock.h"
#include "platform/Messages.h"
#include "platform/Modules.h"
#include "refhost/GameSetup.h"
#include "refhost/Host.h"
#include "refhost/Ledger.h"
#include "refhost/ModuleEntryPoints.h"

namespace tamblet::testing {

struct CapturedMessageBox {
  std::string text;
  std::string caption;
  platform::MessageBoxStyle style;
};

class CapturingMessageSink final : public platform::MessageSink {
 public:
  CapturingMessageSink() { platform::setMessageSink(this); }
  ~CapturingMessageSink() { platform::setMessageSink(nullptr); }

  void debugOutput(const std::string& sjisText) override { debugLines.push_back(sjisText); }
  void messageBox(const std::string& sjisText, const std::string& sjisCaption,
                  platform::MessageBoxStyle style) override {
    boxes.push_back({sjisText, sjisCaption, style});
  }

  std::vector<std::string> debugLines;
  std::vector<CapturedMessageBox> boxes;
};

// Records sleeps instead of sleeping; the tick count and the local time are what the test sets.
class TestClock final : public platform::Clock {
 public:
  std::uint32_t tickCount() override { return ticks; }
  void sleep(std::uint32_t milliseconds) override { sleeps.push_back(milliseconds); }
  platform::LocalTime localTime() override { return {2031, 12, 31, 3, 23, 59, 58, 999}; }
  std::uint32_t ticks = 0;
  std::vector<std::uint32_t> sleeps;
};

class EngineFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    liveBefore_ = refhost::Ledger::liveObjects();
    platform::setClock(&clock);
    host_.emplace(screenWidth, screenHeight);
    for (const refhost::ModuleEntryPoint& entry : refhost::moduleEntryPoints())
      resolver_.addSymbol(entry.module, entry.symbol, entry.address);
    platform::setModuleResolver(&resolver_);
    if (bindOnSetUp) {
      ASSERT_TRUE(bindEngine());
    }
  }

  void TearDown() override {
    CVELM::instance().teardown();
    host_.reset();  // a host shuts down by releasing the engine object
    CVELM::instance().restoreLoadState();
    forgetHostKernelObject();  // it belonged to this test's host
    platform::setModuleResolver(nullptr);
    platform::setClock(nullptr);
    EXPECT_EQ(refhost::Ledger::liveObjects(), liveBefore_) << "a reference taken by the engine was not given back";
  }

  // Init over the reference host, with the settings below: the same path a game takes.
  bool bindEngine() {
    refhost::GameSetup& game = host_->kernel().game();
    game.setDebugMode(debugMode);
    if (!packedArchivePath.empty()) {
      // Init finds "CG.zep" at path prefix + base name + "CG.zep": the base name is what stands
      // before "CG.zep" in the file name, the prefix its folder.
      const std::string file = packedArchivePath.filename().string();
      const std::string base = file.size() > 6 ? file.substr(0, file.size() - 6) : std::string();
      game.setPathPrefix(packedArchivePath.parent_path().string() + "/");
      game.setGameName(base + ".exe");
    }
    return Init(&host_->kernel(), static_cast<std::int32_t>(cacheMebibytes)) == 1;
  }

  // Tears the engine down and binds it again with the current settings (same host).
  bool rebindEngine() {
    CVELM::instance().teardown();
    return bindEngine();
  }

  // Settings read by SetUp and bindEngine.
  std::int32_t screenWidth = 640, screenHeight = 480;
  bool bindOnSetUp = true;
  std::uint32_t cacheMebibytes = 64;
  bool debugMode = false;
  std::filesystem::path packedArchivePath;  // empty: no packed archive; its file name ends in "CG.zep"

  static CVELM& engine() { return CVELM::instance(); }
  static CVelmEngine& core() { return *CVELM::instance().core(); }
  refhost::Host& host() { return *host_; }
  platform::InProcessModuleResolver& resolver() { return resolver_; }
  // Texts the script VM was asked to raise, in order; cleared by each call.
  std::vector<std::string> takeErrors() {
    std::vector<std::string> errors = host_->vm().errors();
    host_->vm().clearErrors();
    return errors;
  }

  TestClock clock;

 private:
  std::int64_t liveBefore_ = 0;
  std::optional<refhost::Host> host_;
  platform::InProcessModuleResolver resolver_;
};

}  // namespace tamblet::testing
