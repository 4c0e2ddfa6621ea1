// Init and the engine object's start-up: registers the engine object with the host, binds the
// host modules and services in their fixed order (reporting each missing one with its fixed
// text), creates the engine core and the library's own objects, and resets the frame pacer.
// A failed step returns false at once and leaves what was made for the teardown.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "compose/CAddInvalidateRect.h"
#include "engine/CErrorMessage.h"
#include "engine/CGetSurface.h"
#include "engine/CVELM.h"
#include "engine/Exports.h"
#include "engine/GameName.h"
#include "engine/HostBinding.h"
#include "image/CKOVFileDummy.h"
#include "platform/Files.h"
#include "platform/Messages.h"
#include "platform/Window.h"
#include "report/MessageBoxReporter.h"

namespace tamblet {
namespace {

template <class Service>
Service* kernelService(IHostKernel* kernel, const InterfaceId& id) {
  return static_cast<Service*>(kernel->GetService(&id));
}

template <class Service>
Service* vmService(IVM* vm, const InterfaceId& id) {
  return static_cast<Service*>(vm->GetService(&id));
}

// Whether the environment switches the software view's dirty regions on: TAMBLET_DIRTY_REGIONS=1.
bool dirtyRegionsRequested() {
  const char* value = std::getenv("TAMBLET_DIRTY_REGIONS");
  return value && std::strcmp(value, "1") == 0;
}

// Appends `line` to the failure list when `present` is false.
void noteMissing(bool present, FixedText line, std::string& failures) {
  if (!present) failures += fixedText(line);
}

}  // namespace

bool CVELM::startUp(IHostKernel* kernel, std::uint32_t cacheBytes) {
  // 1. The error reporter, without interfaces yet: reports go to the debugger and a message box.
  objects.errorReporter = Ref<CErrorMessage>::adopt(CErrorMessage::create());
  if (!objects.errorReporter || !kernel) return false;
  binding.hostKernel = kernel;
  std::string failures;

  // 2-3. Host modules.
  binding.archiveManager = bindModule<IKOVFileManager>(kModuleKOVLoader, kIID_IKOVFileManager);
  binding.imageDecoder = bindModule<IDecodeCG>(kModuleImageDecoder, kIID_IDecodeCG);
  binding.rasterOperations = bindModule<IGraph3>(kModuleRasterLib, kIID_IGraph3);
  binding.surfaceFactory = bindModule<ISurfaceFactory>(kModulePixmapMaker, kIID_ISurfaceFactory);
  binding.drawPluginManager = bindModule<IDrawPluginManager>(kModuleRenderHub, kIID_IDrawPluginManager);
  noteMissing(bool(binding.archiveManager), FixedText::kKovFileManagerMissing, failures);
  noteMissing(bool(binding.imageDecoder), FixedText::kDecodeCgMissing, failures);
  noteMissing(bool(binding.rasterOperations), FixedText::kGraph3Missing, failures);
  noteMissing(bool(binding.surfaceFactory), FixedText::kSurfaceFactoryMissing, failures);
  noteMissing(bool(binding.drawPluginManager), FixedText::kDrawPluginManagerMissing, failures);
  if (!failures.empty()) return report(FixedText::kInitModulesFailed, failures.c_str()), false;

  // 4. The engine core.
  objects.engineCore.reset(new (std::nothrow) CVelmEngine());
  if (!objects.engineCore) return false;

  // 5-9. Kernel services; the first group's absence is judged together in step 9.
  binding.mainSurface = kernelService<IMainSurface>(kernel, kIID_IMainSurface);
  binding.inputDevice = kernelService<IInputDevice2>(kernel, kIID_IInputDevice2);
  binding.timer = kernelService<ITimer>(kernel, kIID_ITimer);
  binding.mouseWheel = kernelService<IMouseWheel>(kernel, kIID_IMouseWheel);
  binding.windowMessages = kernelService<IWinMsg>(kernel, kIID_IWinMsg);
  binding.messageBox = kernelService<IMsgBox>(kernel, kIID_IMsgBox);
  binding.shutdown = kernelService<IShutdown>(kernel, kIID_IShutdown);
  binding.vm = kernelService<IVM>(kernel, kIID_IVM);

  auto* window = kernelService<IHostWindow>(kernel, kIID_IHostWindow);
  if (!window) return false;
  binding.hostProcessId = platform::kNoProcess;
  binding.hostProcessId = platform::windowOwnerProcessId(window->GetWindow());

  binding.keyState = Ref<IKeyState>::adopt(kernelService<IKeyState>(kernel, kIID_IKeyState));
  if (!binding.keyState) return false;
  binding.resetState = kernelService<IResetState>(kernel, kIID_IResetState);
  if (!binding.resetState) return false;
  auto* gameInfo = kernelService<IGameInfo>(kernel, kIID_IGameInfo);
  if (!gameInfo) return false;
  const char* gameNameText = gameInfo->GetGameName();
  binding.gameName = gameNameText ? gameNameText : "";
  binding.baseName = baseNameOf(gameNameText);
  binding.videoMemory = Ref<IVideoMemoryInfo>::adopt(kernelService<IVideoMemoryInfo>(kernel, kIID_IVideoMemoryInfo));
  if (!binding.videoMemory) return false;
  auto* gamePath = kernelService<IGamePath>(kernel, kIID_IGamePath);
  if (!gamePath) return false;
  const char* prefix = gamePath->GetPathPrefix();
  binding.pathPrefix = prefix ? prefix : "";

  noteMissing(binding.mainSurface != nullptr, FixedText::kMainSurfaceMissing, failures);
  noteMissing(binding.inputDevice != nullptr, FixedText::kInputDevice2Missing, failures);
  noteMissing(binding.timer != nullptr, FixedText::kTimerMissing, failures);
  noteMissing(binding.mouseWheel != nullptr, FixedText::kMouseWheelMissing, failures);
  noteMissing(binding.windowMessages != nullptr, FixedText::kWinMsgMissing, failures);
  noteMissing(binding.messageBox != nullptr, FixedText::kMsgBoxMissing, failures);
  noteMissing(binding.shutdown != nullptr, FixedText::kShutdownMissing, failures);
  noteMissing(binding.vm != nullptr, FixedText::kVmMissing, failures);
  if (!failures.empty()) return report(FixedText::kInitHostKernelFailed, failures.c_str()), false;

  // 10. Debug mode, when the host tells.
  auto* debugModeService = kernelService<IDebugMode>(kernel, kIID_IDebugMode);
  binding.debugMode = debugModeService && debugModeService->IsDebugMode();

  // 11. The CG archive file, or a stand-in in which every lookup fails.
  binding.cgArchiveFile = Ref<IKOVFile>::adopt(binding.archiveManager->GetFile(0));
  if (!binding.cgArchiveFile)
    binding.cgArchiveFile = Ref<IKOVFile>::adopt(CKOVFileDummy::create(fixedText(FixedText::kDummyArchiveName)));
  if (!binding.cgArchiveFile) return false;

  // 12. The packed archive beside the game, when there is one.
  const std::string packedPath = binding.pathPrefix + binding.baseName + fixedText(FixedText::kPackedArchiveFileName);
  if (platform::isRegularFile(packedPath)) {
    Ref<IPackedArchive> packed = bindModule<IPackedArchive>(kModuleZEPLoader, kIID_IPackedArchive);
    if (!packed) return false;
    if (!packed->Open(packedPath.c_str())) {
      report::reportMessageBox(fixedText(FixedText::kPackedArchiveOpenFailed), packedPath.c_str());
    } else {
      if (!binding.debugMode && !packed->IsRebuilt())
        report::reportMessageBox(fixedText(FixedText::kPackedArchiveNotRebuilt), packedPath.c_str());
      objects.engineCore->setPackedArchive(std::move(packed));
    }
  }

  // 13. The library objects the host is given.
  objects.dirtyRectangleSink = Ref<CAddInvalidateRect>::adopt(CAddInvalidateRect::create());
  objects.surfaceLookup =
      Ref<CGetSurface>::adopt(CGetSurface::create(objects.engineCore.get(), objects.errorReporter.get()));
  if (!objects.dirtyRectangleSink || !objects.surfaceLookup) return false;

  // 14. VM services; only the game messages are required.
  binding.vmDebugger = vmService<IVMDebugger>(binding.vm, kIID_IVMDebugger);
  binding.vmNameTable = vmService<IVMNameTable>(binding.vm, kIID_IVMNameTable);
  binding.vmCallStack = vmService<IVMCallStack>(binding.vm, kIID_IVMCallStack);
  binding.gameMessages = vmService<IVMGameMsg>(binding.vm, kIID_IVMGameMsg);
  noteMissing(binding.gameMessages != nullptr, FixedText::kVmGameMsgMissing, failures);
  if (!failures.empty()) return report(FixedText::kInitVmServicesFailed, failures.c_str()), false;

  // 15. The draw-plugin manager's sub-interfaces.
  binding.drawPluginUpdater =
      static_cast<IDrawPluginUpdater*>(binding.drawPluginManager->GetSubInterface(&kIID_IDrawPluginUpdater));
  if (!binding.drawPluginUpdater) return report(FixedText::kDrawPluginUpdaterMissing), false;
  binding.drawPluginDrawer =
      static_cast<IDrawPluginDrawer*>(binding.drawPluginManager->GetSubInterface(&kIID_IDrawPluginDrawer));
  if (!binding.drawPluginDrawer) return report(FixedText::kDrawPluginDrawerMissing), false;

  // 16. From here on reports go to the script VM.
  objects.errorReporter->SetInterfaces(binding.vm, binding.messageBox, binding.shutdown, binding.vmDebugger,
                                       binding.vmNameTable, binding.vmCallStack);

  // 17. The engine core's start-up, then the raster library's; both always run.
  CVelmEngine::StartUpServices services;
  services.mainSurface = binding.mainSurface;
  services.cgArchiveFile = binding.cgArchiveFile.get();
  services.imageDecoder = binding.imageDecoder.get();
  services.rasterOperations = binding.rasterOperations.get();
  services.surfaceFactory = binding.surfaceFactory.get();
  services.drawPluginDrawer = binding.drawPluginDrawer;
  services.timer = binding.timer;
  services.cacheBytes = cacheBytes;
  services.debugMode = binding.debugMode;
  services.gameName = binding.gameName.c_str();
  const bool coreStarted = objects.engineCore->startUp(services);
  const bool rasterStarted = binding.rasterOperations->Initialize();
  noteMissing(coreStarted, FixedText::kEngineCoreInitFailed, failures);
  noteMissing(rasterStarted, FixedText::kGraph2InitFailed, failures);
  if (!failures.empty()) return report(FixedText::kInitStartupFailed, failures.c_str()), false;

  // 18. Register the surface lookup (twice) and the dirty-rectangle sink with the host.
  auto* lookup = static_cast<IChangeNumToISurface2*>(objects.surfaceLookup.get());
  binding.drawPluginManager->Register(&kIID_IChangeNumToISurface, lookup);
  binding.drawPluginManager->Register(&kIID_IChangeNumToISurface2, lookup);
  binding.drawPluginManager->Register(&kIID_IAddInvalidateRect,
                                      static_cast<IAddInvalidateRect*>(objects.dirtyRectangleSink.get()));

  // 19. The compositor writes 32-bit pixels only.
  if (binding.mainSurface->GetBpp() != 32) return report(FixedText::kMainSurfaceNot32bpp), false;

  // 20. Dirty regions in the software view, when the environment asks for them (TAMBLET_DIRTY_REGIONS=1); the
  // host's dirty-rectangle reports then add to the damage. Told in debug mode.
  const bool dirtyRegions = dirtyRegionsRequested();
  objects.engineCore->view.setDirtyRegions(dirtyRegions);
  if (dirtyRegions) objects.dirtyRectangleSink->setReceiver(&objects.engineCore->view.dirtyRegions());
  if (binding.debugMode) {
    platform::debugOutput(fixedText(dirtyRegions ? FixedText::kDirtyRegionsOn : FixedText::kDirtyRegionsOff));
  }

  // 21. Reset the frame pacer.
  pacing.framesInWindow = 0;
  pacing.windowStartTime = binding.timer->GetTime();
  return true;
}

}  // namespace tamblet

using namespace tamblet;

// Binds the library to its host. A second Init after a successful one changes nothing; after a
// failed one, what the failed attempt took is released before binding again.
TAMBLET_EXPORT std::int32_t Init(IHostKernel* host, std::int32_t cacheMiB) {
  return guardedExport<std::int32_t>(0, [&] {
    CVELM& engine = CVELM::instance();
    if (engine.isInitialised()) return 1;
    if (engine.isShutDown()) return 0;  // the host released the library: it stays torn down
    if (host && !engine.callbackRegistered) {
      auto* callback = static_cast<ISetCallback*>(host->GetService(&kIID_ISetCallback));
      if (!callback) {
        platform::debugOutput(fixedText(FixedText::kSetCallbackMissing));
      } else {
        callback->SetCallback(&engine);
        engine.callbackRegistered = true;
      }
    }
    engine.teardown();  // a failed attempt before this one leaves its partial state
    const std::uint32_t cacheBytes = static_cast<std::uint32_t>(cacheMiB) << 20;
    if (!engine.startUp(host, cacheBytes)) return 0;
    engine.markInitialised();
    return 1;
  });
}
