#include "engine/CVelmEngine.h"

#include "platform/Modules.h"

namespace tamblet {

IHostKernel* hostKernelObject() {
  static IHostKernel* kernel = nullptr;
  if (!kernel) {
    auto getInterface = reinterpret_cast<HostKernelGetInterfaceFunction>(
        platform::findModuleSymbol(kModuleHostKernel, kGetInterfaceSymbol));
    if (getInterface) kernel = static_cast<IHostKernel*>(getInterface(&kIID_HostKernelObject));
  }
  return kernel;
}

bool CVelmEngine::startUp(const StartUpServices& services) {
  mainSurface = Ref<IMainSurface>::retain(services.mainSurface);
  cgArchiveFile = Ref<IKOVFile>::retain(services.cgArchiveFile);
  imageDecoder = Ref<IDecodeCG>::retain(services.imageDecoder);
  rasterOperations = Ref<IGraph3>::retain(services.rasterOperations);
  surfaceFactory = Ref<ISurfaceFactory>::retain(services.surfaceFactory);
  drawPluginDrawer = services.drawPluginDrawer;
  timer = services.timer;
  debugMode = services.debugMode;

  IHostKernel* kernel = hostKernelObject();
  if (!kernel) return false;
  frameNotice = static_cast<IFrameNotice*>(kernel->GetService(&kIID_IFrameNotice));
  gamePath = static_cast<IGamePath*>(kernel->GetService(&kIID_IGamePath));
  if (!gamePath) return false;

  if (!mainSurface) return false;
  sprites.setUp(surfaceFactory.get(), rasterOperations.get(), mainSurface->GetWidth(), mainSurface->GetHeight());
  return true;
}

void CVelmEngine::tearDown() {
  sprites.tearDown();
  mainSurface.reset();
  cgArchiveFile.reset();
  imageDecoder.reset();
  rasterOperations.reset();
  surfaceFactory.reset();
  drawPluginDrawer = nullptr;
  timer = nullptr;
  frameNotice = nullptr;
  gamePath = nullptr;
}

}  // namespace tamblet
