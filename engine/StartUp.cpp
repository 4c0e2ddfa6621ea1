// Init and the engine object's start-up: registers the engine object with the host, binds the
// host modules and services in their fixed order (reporting each missing one with its fixed
// text), creates the engine core and the library's own objects, and resets the frame pacer.
// A failed step returns false at once and leaves what was made for the teardown.
#include <cstdint>
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

// Appends `line` to the failure list when `present` is false.
void noteMissing(bool present, FixedText line, std::string& failures) {
  if (!present) failures += fixedText(line);
}

}  // namespace

bool CVELM::startUp(IHostKernel* kernel, std::uint32_t cacheBytes) {
  // 1. The error reporter, without interfaces yet: reports go to the debugger and a message box.
  errorReporter = CErrorMessage::create();
  if (!errorReporter || !kernel) return false;
  hostKernel = kernel;
  std::string failures;

  // 2-3. Host modules.
  archiveManager = bindModule<IKOVFileManager>(kModuleKOVLoader, kIID_IKOVFileManager);
  imageDecoder = bindModule<IDecodeCG>(kModuleImageDecoder, kIID_IDecodeCG);
  rasterOperations = bindModule<IGraph3>(kModuleRasterLib, kIID_IGraph3);
  surfaceFactory = bindModule<ISurfaceFactory>(kModulePixmapMaker, kIID_ISurfaceFactory);
  drawPluginManager = bindModule<IDrawPluginManager>(kModuleRenderHub, kIID_IDrawPluginManager);
  noteMissing(bool(archiveManager), FixedText::kKovFileManagerMissing, failures);
  noteMissing(bool(imageDecoder), FixedText::kDecodeCgMissing, failures);
  noteMissing(bool(rasterOperations), FixedText::kGraph3Missing, failures);
  noteMissing(bool(surfaceFactory), FixedText::kSurfaceFactoryMissing, failures);
  noteMissing(bool(drawPluginManager), FixedText::kDrawPluginManagerMissing, failures);
  if (!failures.empty()) return report(FixedText::kInitModulesFailed, failures.c_str()), false;

  // 4. The engine core.
  engineCore.reset(new (std::nothrow) CVelmEngine());
  if (!engineCore) return false;

  // 5-9. Kernel services; the first group's absence is judged together in step 9.
  mainSurface = kernelService<IMainSurface>(kernel, kIID_IMainSurface);
  inputDevice = kernelService<IInputDevice2>(kernel, kIID_IInputDevice2);
  timer = kernelService<ITimer>(kernel, kIID_ITimer);
  mouseWheel = kernelService<IMouseWheel>(kernel, kIID_IMouseWheel);
  windowMessages = kernelService<IWinMsg>(kernel, kIID_IWinMsg);
  messageBox = kernelService<IMsgBox>(kernel, kIID_IMsgBox);
  shutdown = kernelService<IShutdown>(kernel, kIID_IShutdown);
  vm = kernelService<IVM>(kernel, kIID_IVM);

  auto* window = kernelService<IHostWindow>(kernel, kIID_IHostWindow);
  if (!window) return false;
  hostProcessId = platform::kNoProcess;
  hostProcessId = platform::windowOwnerProcessId(window->GetWindow());

  keyState = Ref<IKeyState>::adopt(kernelService<IKeyState>(kernel, kIID_IKeyState));
  if (!keyState) return false;
  resetState = kernelService<IResetState>(kernel, kIID_IResetState);
  if (!resetState) return false;
  auto* gameInfo = kernelService<IGameInfo>(kernel, kIID_IGameInfo);
  if (!gameInfo) return false;
  const char* gameNameText = gameInfo->GetGameName();
  gameName = gameNameText ? gameNameText : "";
  baseName = baseNameOf(gameNameText);
  videoMemory = Ref<IVideoMemoryInfo>::adopt(kernelService<IVideoMemoryInfo>(kernel, kIID_IVideoMemoryInfo));
  if (!videoMemory) return false;
  auto* gamePath = kernelService<IGamePath>(kernel, kIID_IGamePath);
  if (!gamePath) return false;
  const char* prefix = gamePath->GetPathPrefix();
  pathPrefix = prefix ? prefix : "";

  noteMissing(mainSurface != nullptr, FixedText::kMainSurfaceMissing, failures);
  noteMissing(inputDevice != nullptr, FixedText::kInputDevice2Missing, failures);
  noteMissing(timer != nullptr, FixedText::kTimerMissing, failures);
  noteMissing(mouseWheel != nullptr, FixedText::kMouseWheelMissing, failures);
  noteMissing(windowMessages != nullptr, FixedText::kWinMsgMissing, failures);
  noteMissing(messageBox != nullptr, FixedText::kMsgBoxMissing, failures);
  noteMissing(shutdown != nullptr, FixedText::kShutdownMissing, failures);
  noteMissing(vm != nullptr, FixedText::kVmMissing, failures);
  if (!failures.empty()) return report(FixedText::kInitHostKernelFailed, failures.c_str()), false;

  // 10. Debug mode, when the host tells.
  auto* debugModeService = kernelService<IDebugMode>(kernel, kIID_IDebugMode);
  debugMode = debugModeService && debugModeService->IsDebugMode();

  // 11. The CG archive file, or a stand-in in which every lookup fails.
  cgArchiveFile = Ref<IKOVFile>::adopt(archiveManager->GetFile(0));
  if (!cgArchiveFile) cgArchiveFile = Ref<IKOVFile>::adopt(CKOVFileDummy::create(fixedText(FixedText::kDummyArchiveName)));
  if (!cgArchiveFile) return false;

  // 12. The packed archive beside the game, when there is one.
  const std::string packedPath = pathPrefix + baseName + fixedText(FixedText::kPackedArchiveFileName);
  if (platform::isRegularFile(packedPath)) {
    Ref<IPackedArchive> packed = bindModule<IPackedArchive>(kModuleZEPLoader, kIID_IPackedArchive);
    if (!packed) return false;
    if (!packed->Open(packedPath.c_str())) {
      report::reportMessageBox(fixedText(FixedText::kPackedArchiveOpenFailed), packedPath.c_str());
    } else {
      if (!debugMode && !packed->IsRebuilt())
        report::reportMessageBox(fixedText(FixedText::kPackedArchiveNotRebuilt), packedPath.c_str());
      engineCore->setPackedArchive(std::move(packed));
    }
  }

  // 13. The library objects the host is given.
  dirtyRectangleSink = CAddInvalidateRect::create();
  surfaceLookup = CGetSurface::create(engineCore.get(), errorReporter);
  if (!dirtyRectangleSink || !surfaceLookup) return false;

  // 14. VM services; only the game messages are required.
  vmDebugger = vmService<IVMDebugger>(vm, kIID_IVMDebugger);
  vmNameTable = vmService<IVMNameTable>(vm, kIID_IVMNameTable);
  vmCallStack = vmService<IVMCallStack>(vm, kIID_IVMCallStack);
  gameMessages = vmService<IVMGameMsg>(vm, kIID_IVMGameMsg);
  noteMissing(gameMessages != nullptr, FixedText::kVmGameMsgMissing, failures);
  if (!failures.empty()) return report(FixedText::kInitVmServicesFailed, failures.c_str()), false;

  // 15. The draw-plugin manager's sub-interfaces.
  drawPluginUpdater = static_cast<IDrawPluginUpdater*>(drawPluginManager->GetSubInterface(&kIID_IDrawPluginUpdater));
  if (!drawPluginUpdater) return report(FixedText::kDrawPluginUpdaterMissing), false;
  drawPluginDrawer = static_cast<IDrawPluginDrawer*>(drawPluginManager->GetSubInterface(&kIID_IDrawPluginDrawer));
  if (!drawPluginDrawer) return report(FixedText::kDrawPluginDrawerMissing), false;

  // 16. From here on reports go to the script VM.
  errorReporter->SetInterfaces(vm, messageBox, shutdown, vmDebugger, vmNameTable, vmCallStack);

  // 17. The engine core's start-up, then the raster library's; both always run.
  CVelmEngine::StartUpServices services;
  services.mainSurface = mainSurface;
  services.cgArchiveFile = cgArchiveFile.get();
  services.imageDecoder = imageDecoder.get();
  services.rasterOperations = rasterOperations.get();
  services.surfaceFactory = surfaceFactory.get();
  services.drawPluginDrawer = drawPluginDrawer;
  services.timer = timer;
  services.cacheBytes = cacheBytes;
  services.debugMode = debugMode;
  services.gameName = gameName.c_str();
  const bool coreStarted = engineCore->startUp(services);
  const bool rasterStarted = rasterOperations->Initialize();
  noteMissing(coreStarted, FixedText::kEngineCoreInitFailed, failures);
  noteMissing(rasterStarted, FixedText::kGraph2InitFailed, failures);
  if (!failures.empty()) return report(FixedText::kInitStartupFailed, failures.c_str()), false;

  // 18. Register the surface lookup (twice) and the dirty-rectangle sink with the host.
  drawPluginManager->Register(&kIID_IChangeNumToISurface, static_cast<IChangeNumToISurface2*>(surfaceLookup));
  drawPluginManager->Register(&kIID_IChangeNumToISurface2, static_cast<IChangeNumToISurface2*>(surfaceLookup));
  drawPluginManager->Register(&kIID_IAddInvalidateRect, static_cast<IAddInvalidateRect*>(dirtyRectangleSink));

  // 19. The compositor writes 32-bit pixels only.
  if (mainSurface->GetBpp() != 32) return report(FixedText::kMainSurfaceNot32bpp), false;

  // 20. Reset the frame pacer.
  framesInWindow = 0;
  windowStartTime = timer->GetTime();
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
