#include "engine/CVelmEngine.h"

#include "engine/GameName.h"
#include "image/CKOVFileDummy.h"
#include "platform/Modules.h"
#include "report/FixedTexts.h"

namespace tamblet {

namespace {
IHostKernel* keptHostKernel = nullptr;
}  // namespace

IHostKernel* hostKernelObject() {
  if (!keptHostKernel) {
    auto getInterface = reinterpret_cast<HostKernelGetInterfaceFunction>(
        platform::findModuleSymbol(kModuleHostKernel, kGetInterfaceSymbol));
    if (getInterface) keptHostKernel = static_cast<IHostKernel*>(getInterface(&kIID_HostKernelObject));
  }
  return keptHostKernel;
}

void forgetHostKernelObject() { keptHostKernel = nullptr; }

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

  // The CG cache, then the CG sources over it; a missing CG archive file gets its stand-in.
  cgCache = Ref<CCGCache>::adopt(CCGCache::create(surfaceFactory.get(), rasterOperations.get(), services.cacheBytes));
  if (!cgCache) return false;
  if (!cgArchiveFile) {
    cgArchiveFile = Ref<IKOVFile>::adopt(CKOVFileDummy::create(fixedText(FixedText::kDummyArchiveName)));
    if (!cgArchiveFile) return false;
  }
  cgSources.setUp({cgCache.get(), cgArchiveFile.get(), imageDecoder.get(), surfaceFactory.get()}, debugMode);

  // The font library beside the game, then the renderers' host services.
  const char* prefix = gamePath->GetPathPrefix();
  text.setFontLibraryPath(std::string(prefix ? prefix : "") + baseNameOf(services.gameName) +
                          fixedText(FixedText::kFontLibraryFileName));
  text.bind(surfaceFactory.get(), rasterOperations.get());

  if (!mainSurface) return false;
  sprites.setUp(surfaceFactory.get(), rasterOperations.get(), mainSurface->GetWidth(), mainSurface->GetHeight());
  compositor.setUp(rasterOperations.get(), &sprites);
  // The view binds the software transition object, set up once with the screen size.
  if (!view.setUp({mainSurface.get(), frameNotice, &sprites, &compositor, kernel})) return false;

  fps.start(timer);
  return true;
}

void CVelmEngine::tearDown() {
  charSprites.clear();  // deletes their sprites while the table still stands
  view.tearDown();
  compositor.setUp(nullptr, nullptr);
  sprites.tearDown();
  text.clear();
  cgSources.forgetServices();
  cgCache.reset();
  mainSurface.reset();
  cgSources.releasePackedArchive();
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
