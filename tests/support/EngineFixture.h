// A bound engine over a fresh reference host, for tests of the exports. The modules are handed
// to an in-process resolver, the engine object takes the services the way start-up does and the
// engine core runs its own start-up. When the test ends the engine is torn down, the host shut
// down, and every reference-host object must be gone again.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>

#include "engine/CErrorMessage.h"
#include "engine/CVELM.h"
#include "engine/HostBinding.h"
#include "platform/Messages.h"
#include "platform/Modules.h"
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
    host_.reset();
    platform::setModuleResolver(nullptr);
    EXPECT_EQ(refhost::Ledger::liveObjects(), liveBefore_) << "a reference taken by the engine was not given back";
  }

  // The services start-up takes from the host, in its order, then the engine core's start-up.
  bool bindEngine() {
    CVELM& engine = CVELM::instance();
    IHostKernel& kernel = host_->kernel();
    engine.hostKernel = &kernel;
    engine.errorReporter = CErrorMessage::create();
    engine.rasterOperations = bindModule<IGraph3>(kModuleRasterLib, kIID_IGraph3);
    engine.surfaceFactory = bindModule<ISurfaceFactory>(kModulePixmapMaker, kIID_ISurfaceFactory);
    engine.mainSurface = static_cast<IMainSurface*>(kernel.GetService(&kIID_IMainSurface));
    engine.timer = static_cast<ITimer*>(kernel.GetService(&kIID_ITimer));
    engine.vm = static_cast<IVM*>(kernel.GetService(&kIID_IVM));
    engine.errorReporter->SetInterfaces(engine.vm, nullptr, nullptr, nullptr, nullptr, nullptr);
    CVelmEngine::StartUpServices services;
    services.mainSurface = engine.mainSurface;
    services.rasterOperations = engine.rasterOperations.get();
    services.surfaceFactory = engine.surfaceFactory.get();
    services.timer = engine.timer;
    if (!engine.startEngineCore(services)) return false;
    engine.markInitialised();
    return true;
  }

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
