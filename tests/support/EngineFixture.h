// A bound engine over a fresh reference host, for tests of the exports. The modules are handed
// to an in-process resolver, the engine object takes the services the way start-up does and the
// engine core runs its own start-up. When the test ends the engine is torn down, the host shut
// down, and every reference-host object must be gone again. Tests that need a particular CG
// setup (archive file, "CG.zep", loose files, cache budget, debug mode) change the settings and
// call rebindEngine().
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "engine/Exports.h"
#include "engine/CVELM.h"
#include "engine/HostBinding.h"
#include "platform/Messages.h"
#include "platform/Modules.h"
#include "refhost/GameSetup.h"
#include "refhost/Host.h"
#include "refhost/Ledger.h"
#include "refhost/ModuleEntryPoints.h"

namespace tamblet::testing {

class EngineFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    liveBefore_ = refhost::Ledger::liveObjects();
    host_.emplace(640, 480);
    for (const refhost::ModuleEntryPoint& entry : refhost::moduleEntryPoints())
      resolver_.addSymbol(entry.module, entry.symbol, entry.address);
    platform::setModuleResolver(&resolver_);
    ASSERT_TRUE(bindEngine());
  }

  void TearDown() override {
    CVELM::instance().teardown();
    host_.reset();  // a host shuts down by releasing the engine object
    CVELM::instance().restoreLoadState();
    forgetHostKernelObject();  // it belonged to this test's host
    platform::setModuleResolver(nullptr);
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

  // Settings read by bindEngine.
  std::uint32_t cacheMebibytes = 64;
  bool debugMode = false;
  std::filesystem::path packedArchivePath;  // empty: no packed archive; its file name ends in "CG.zep"

  refhost::Host& host() { return *host_; }
  // Texts the script VM was asked to raise, in order; cleared by each call.
  std::vector<std::string> takeErrors() {
    std::vector<std::string> errors = host_->vm().errors();
    host_->vm().clearErrors();
    return errors;
  }

 private:
  std::int64_t liveBefore_ = 0;
  std::optional<refhost::Host> host_;
  platform::InProcessModuleResolver resolver_;
};

}  // namespace tamblet::testing
