// A bound engine over a fresh reference host, for tests of the exports. The modules are handed
// to an in-process resolver, the engine object takes the services the way start-up does and the
// engine core runs its own start-up. When the test ends the engine is torn down, the host shut
// down, and every reference-host object must be gone again. Tests that need a particular CG
// setup (archive file, "CG.zep", loose files, cache budget, debug mode) change the settings and
// call rebindEngine().
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>

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
    forgetHostKernelObject();  // it belonged to this test's host
    platform::setModuleResolver(nullptr);
    EXPECT_EQ(refhost::Ledger::liveObjects(), liveBefore_) << "a reference taken by the engine was not given back";
  }

  // The services start-up takes from the host, in its order, then the engine core's start-up.
  bool bindEngine() {
    CVELM& engine = CVELM::instance();
    IHostKernel& kernel = host_->kernel();
    engine.hostKernel = &kernel;
    engine.errorReporter = CErrorMessage::create();
    engine.archiveManager = bindModule<IKOVFileManager>(kModuleKOVLoader, kIID_IKOVFileManager);
    engine.imageDecoder = bindModule<IDecodeCG>(kModuleImageDecoder, kIID_IDecodeCG);
    engine.rasterOperations = bindModule<IGraph3>(kModuleRasterLib, kIID_IGraph3);
    engine.surfaceFactory = bindModule<ISurfaceFactory>(kModulePixmapMaker, kIID_ISurfaceFactory);
    engine.mainSurface = static_cast<IMainSurface*>(kernel.GetService(&kIID_IMainSurface));
    engine.timer = static_cast<ITimer*>(kernel.GetService(&kIID_ITimer));
    engine.vm = static_cast<IVM*>(kernel.GetService(&kIID_IVM));
    engine.inputDevice = static_cast<IInputDevice2*>(kernel.GetService(&kIID_IInputDevice2));
    engine.mouseWheel = static_cast<IMouseWheel*>(kernel.GetService(&kIID_IMouseWheel));
    engine.keyState = Ref<IKeyState>::adopt(static_cast<IKeyState*>(kernel.GetService(&kIID_IKeyState)));
    engine.videoMemory =
        Ref<IVideoMemoryInfo>::adopt(static_cast<IVideoMemoryInfo*>(kernel.GetService(&kIID_IVideoMemoryInfo)));
    engine.resetState = static_cast<IResetState*>(kernel.GetService(&kIID_IResetState));
    if (engine.vm) {
      engine.vmDebugger = static_cast<IVMDebugger*>(engine.vm->GetService(&kIID_IVMDebugger));
      engine.vmNameTable = static_cast<IVMNameTable*>(engine.vm->GetService(&kIID_IVMNameTable));
      engine.vmCallStack = static_cast<IVMCallStack*>(engine.vm->GetService(&kIID_IVMCallStack));
      engine.gameMessages = static_cast<IVMGameMsg*>(engine.vm->GetService(&kIID_IVMGameMsg));
    }
    engine.errorReporter->SetInterfaces(engine.vm, nullptr, nullptr, nullptr, nullptr, nullptr);
    engine.debugMode = debugMode;
    if (engine.archiveManager) engine.cgArchiveFile = Ref<IKOVFile>::adopt(engine.archiveManager->GetFile(0));
    CVelmEngine::StartUpServices services;
    services.mainSurface = engine.mainSurface;
    services.cgArchiveFile = engine.cgArchiveFile.get();
    services.imageDecoder = engine.imageDecoder.get();
    services.cacheBytes = cacheMebibytes << 20;
    services.debugMode = debugMode;
    services.rasterOperations = engine.rasterOperations.get();
    services.surfaceFactory = engine.surfaceFactory.get();
    services.timer = engine.timer;
    if (!engine.startEngineCore(services)) return false;
    if (!packedArchivePath.empty()) {
      // As start-up does for a "CG.zep" that exists: bind ZEPLoader.dll, open, hand it to the core.
      Ref<IPackedArchive> archive = bindModule<IPackedArchive>(kModuleZEPLoader, kIID_IPackedArchive);
      if (archive && archive->Open(packedArchivePath.c_str())) engine.engineCore->setPackedArchive(std::move(archive));
    }
    engine.markInitialised();
    return true;
  }

  // Tears the engine down and binds it again with the current settings (same host).
  bool rebindEngine() {
    CVELM::instance().teardown();
    return bindEngine();
  }

  // Settings read by bindEngine.
  std::uint32_t cacheMebibytes = 64;
  bool debugMode = false;
  std::string packedArchivePath;  // empty: no packed archive

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
