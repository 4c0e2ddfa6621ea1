#include "refhost/Kernel.h"

#include <new>

#include "host/Modules.h"

namespace refhost {
namespace {

MainSurface* makeMainSurface(std::int32_t width, std::int32_t height) {
  MainSurface* main = MainSurface::create(width, height);
  if (!main) main = MainSurface::create(640, 480);
  if (!main) throw std::bad_alloc();
  return main;
}

}  // namespace

Kernel::Kernel(std::int32_t mainWidth, std::int32_t mainHeight)
    : mainSurface_(tamblet::Ref<MainSurface>::adopt(makeMainSurface(mainWidth, mainHeight))),
      keyState_(tamblet::Ref<KeyState>::adopt(new KeyState())),
      videoMemory_(tamblet::Ref<VideoMemoryInfo>::adopt(new VideoMemoryInfo())),
      direct3d_(tamblet::Ref<Direct3DService>::adopt(Direct3DService::create(mainSurface_.get()))),
      capture_(*mainSurface_) {
  if (!direct3d_) throw std::bad_alloc();
  window_.setHostFrame(direct3d_.get());

  using namespace tamblet;
  provide(kIID_ISetCallback, static_cast<ISetCallback*>(&callback_));
  provide(kIID_IMainSurface, static_cast<IMainSurface*>(mainSurface_.get()));
  provide(kIID_IInputDevice2, static_cast<IInputDevice2*>(&input_));
  provide(kIID_ITimer, static_cast<ITimer*>(&timer_));
  provide(kIID_IMouseWheel, static_cast<IMouseWheel*>(&input_));
  provide(kIID_IWinMsg, static_cast<IWinMsg*>(&winMsg_));
  provide(kIID_IMsgBox, static_cast<IMsgBox*>(&msgBox_));
  provide(kIID_IShutdown, static_cast<IShutdown*>(&shutdown_));
  provide(kIID_IVM, static_cast<IVM*>(&vm_));
  provide(kIID_IHostWindow, static_cast<IHostWindow*>(&window_));
  provide(kIID_IKeyState, static_cast<IKeyState*>(keyState_.get()), keyState_.get());
  provide(kIID_IResetState, static_cast<IResetState*>(&game_));
  provide(kIID_IGameInfo, static_cast<IGameInfo*>(&game_));
  provide(kIID_IVideoMemoryInfo, static_cast<IVideoMemoryInfo*>(videoMemory_.get()), videoMemory_.get());
  provide(kIID_IGamePath, static_cast<IGamePath*>(&game_));
  provide(kIID_IDebugMode, static_cast<IDebugMode*>(&game_));
  provide(kIID_IFrameNotice, static_cast<IFrameNotice*>(&window_));
  provide(kIID_IDirect3DPluginService, static_cast<IDirect3DPluginService*>(direct3d_.get()));
  provide(kIID_ICaptureService, static_cast<ICaptureService*>(&capture_));
}

Kernel::~Kernel() {
  callback_.releaseEngineObject();
}

void* Kernel::GetService(const tamblet::InterfaceId* id) {
  if (!id || withheld_.isWithheld(*id)) return nullptr;
  for (const Service& entry : services_) {
    if (entry.id != *id) continue;
    if (entry.counted) entry.counted->AddRef();
    return entry.service;
  }
  return nullptr;
}

void Kernel::provide(const tamblet::InterfaceId& id, void* service, tamblet::IInterface* counted) {
  for (Service& entry : services_) {
    if (entry.id == id) {
      entry = {id, service, counted};
      return;
    }
  }
  services_.push_back({id, service, counted});
}

}  // namespace refhost
