#include "present/View.h"

#include "host/EngineObjects.h"
#include "platform/Modules.h"
#include "report/FixedTexts.h"
#include "report/MessageBoxReporter.h"

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
  leaveDirect3D();
  softwareTransition_.reset();
  services_ = {};
  mode_ = 0;
}

bool View::present() {
  if (mode_ == 1) return presentDirect3D();
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

// Mode 1: the stores are built, the host's frame (inside the frame notice) calls the view plug-in
// to draw them, and the back scene is refilled.
bool View::presentDirect3D() {
  bool ok = direct3D_.build();
  if (!ok) report::reportMessageBox(fixedText(FixedText::kD3DViewBuildFailed));
  if (ok) ok = signalFrame();
  if (ok && keepPreviousView_ && !SpriteTable::copy(services_.sprites->backScene, services_.sprites->liveTable)) {
    report::reportMessageBox(fixedText(FixedText::kBackSceneCreateFailed));
    ok = false;
  }
  if (!ok) report::reportMessageBox(fixedText(FixedText::kD3DDrawFailed));
  return ok;
}

bool View::setMode(std::int32_t mode) {
  if (mode == mode_) return true;
  dirtyRegions_.invalidateAll();  // another view may draw the screen meanwhile
  if (mode != 0 && mode != 1) return false;
  if (mode_ == 1) leaveDirect3D();
  if (mode == 1 && !enterDirect3D()) return false;
  mode_ = mode;
  return true;
}

// Registers a new view plug-in with the host's Direct3D plug-in service and sets up the Direct3D
// view; on any failure the plug-in is closed (so the host forgets it) and released.
bool View::enterDirect3D() {
  leaveDirect3D();
  if (!services_.kernel || !services_.mainSurface || !services_.sprites) return false;
  viewPlugin_ = Ref<CDXPlugin>::adopt(CDXPlugin::create(&direct3D_, services_.kernel));
  if (!viewPlugin_) return false;
  auto* service = static_cast<IDirect3DPluginService*>(services_.kernel->GetService(&kIID_IDirect3DPluginService));
  if (service && viewPlugin_->registerWith(service) &&
      direct3D_.setUp(services_.sprites, services_.mainSurface->GetWidth(), services_.mainSurface->GetHeight()))
    return true;
  leaveDirect3D();
  return false;
}

void View::leaveDirect3D() {
  if (viewPlugin_) {
    viewPlugin_->Close();
    viewPlugin_.reset();
  }
  direct3D_.release();
  direct3D_.releaseDevice();
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
  if (mode_ == 1) return direct3D_.beginTransition(number, viewPlugin_ ? viewPlugin_->capture() : nullptr);
  return mode_ == 0 && softwareTransition_ && softwareTransition_->Begin(number);
}

// Renders the old picture (the back scene) and the new one (the live table) where the transition
// object asks, lets it compose them into the main surface, and signals the frame. In mode 1 the
// host's frame does the drawing from the built stores, during the frame signal.
bool View::updateTransition(float progress) {
  if (mode_ == 1) {
    return direct3D_.isSetUp() && direct3D_.build() && direct3D_.setTransitionProgress(progress) && signalFrame();
  }
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
  if (mode_ == 1) return direct3D_.endTransition();
  return mode_ == 0 && softwareTransition_ && softwareTransition_->End();
}

}  // namespace tamblet
