#include "present/View.h"

#include "host/EngineObjects.h"
#include "platform/Modules.h"

namespace tamblet {
namespace {

// The software transition object from SceneWipe.dll (one reference), or null.
ISoftwareTransition* createSoftwareTransition() {
  auto create = reinterpret_cast<CreateInterfaceFunction>(
      platform::findModuleSymbol(kModuleSceneWipe, kCreateInterfaceSymbol));
  return create ? static_cast<ISoftwareTransition*>(create(&kIID_ISoftwareTransition)) : nullptr;
}

}  // namespace

bool View::setUp(const Services& services) {
  services_ = services;
  if (!services_.mainSurface || !services_.sprites || !services_.compositor) return false;
  softwareTransition_ = Ref<ISoftwareTransition>::adopt(createSoftwareTransition());
  return softwareTransition_ &&
         softwareTransition_->SetUp(services_.mainSurface->GetWidth(), services_.mainSurface->GetHeight());
}

void View::tearDown() {
  dirtyRegions_.forget();
  softwareTransition_.reset();
  services_ = {};
  mode_ = 0;
}

bool View::present() {
  if (mode_ != 0 || !services_.compositor) return false;
  if (dirtyRegionsOn_) {
    // Redraws and blits what changed; the frame notice follows as after a whole frame.
    if (!dirtyRegions_.present(*services_.compositor, *services_.mainSurface, *services_.sprites)) return false;
    if (services_.frameNotice) services_.frameNotice->OnFrameDrawn();
  } else {
    if (!services_.compositor->compose(services_.sprites->liveTable, services_.mainSurface)) return false;
    signalFrame();
  }
  if (keepPreviousView_) return SpriteTable::copy(services_.sprites->backScene, services_.sprites->liveTable);
  return true;
}

// Tells the host the whole main surface changed, then that a frame was drawn.
bool View::signalFrame() {
  IMainSurface* screen = services_.mainSurface;
  const std::int32_t height = screen->GetHeight();
  const std::int32_t width = screen->GetWidth();
  screen->BlitToWindow(0, 0, width, height);
  return services_.frameNotice ? services_.frameNotice->OnFrameDrawn() : true;
}

bool View::setMode(std::int32_t mode) {
  if (mode == mode_) return true;
  dirtyRegions_.invalidateAll();  // another view may draw the screen meanwhile
  // The Direct3D view is drawn through the host's Direct3D plug-in service. This build has no
  // Direct3D presentation, so mode 1 is refused like a host without that service.
  return false;
}

void View::setKeepPreviousView(bool keep) {
  if (keepPreviousView_ && !keep && services_.sprites) services_.sprites->backScene.removeAll();
  keepPreviousView_ = keep;
}

void View::setDirtyRegions(bool on) {
  dirtyRegionsOn_ = on;
  dirtyRegions_.invalidateAll();
}

bool View::beginTransition(std::int32_t number) {
  dirtyRegions_.invalidateAll();  // the transition draws the screen: the frame after it is drawn whole
  return mode_ == 0 && softwareTransition_ && softwareTransition_->Begin(number);
}

// Renders the old picture (the back scene) and the new one (the live table) where the transition
// object asks, lets it compose them into the main surface, and signals the frame.
bool View::updateTransition(float progress) {
  if (mode_ != 0 || !softwareTransition_) return false;
  ISurface* oldPicture = softwareTransition_->GetOldPictureSurface();
  if (!oldPicture || !services_.compositor->compose(services_.sprites->backScene, oldPicture)) return false;
  ISurface* newPicture = softwareTransition_->GetNewPictureSurface();
  if (!newPicture || !services_.compositor->compose(services_.sprites->liveTable, newPicture)) return false;
  dirtyRegions_.invalidateAll();
  if (!softwareTransition_->Compose(services_.mainSurface, progress)) return false;
  signalFrame();
  return true;
}

bool View::endTransition() {
  dirtyRegions_.invalidateAll();
  return mode_ == 0 && softwareTransition_ && softwareTransition_->End();
}

}  // namespace tamblet
