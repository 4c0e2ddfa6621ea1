#include "present/Direct3DView.h"

#include "host/Modules.h"
#include "platform/Modules.h"
#include "present/RenderStateCache.h"

namespace tamblet {
namespace {

constexpr D3DCOLOR kOpaqueBlack = 0xFF000000;

// The Direct3D transition object from SceneWipe.dll (one reference), or null.
IDirect3DTransition* createDirect3DTransition() {
  auto create =
      reinterpret_cast<CreateInterfaceFunction>(platform::findModuleSymbol(kModuleSceneWipe, kCreateInterfaceSymbol));
  return create ? static_cast<IDirect3DTransition*>(create(&kIID_IDirect3DTransition)) : nullptr;
}

}  // namespace

bool Direct3DView::setUp(SpriteTableBlock* scene, std::int32_t width, std::int32_t height) {
  release();
  if (!scene) return false;
  transition_ = Ref<IDirect3DTransition>::adopt(createDirect3DTransition());
  if (!transition_) return false;
  scene_ = scene;
  width_ = width;
  height_ = height;
  return true;
}

void Direct3DView::release() {
  current_.clear();
  back_.clear();
  transition_.reset();
  scene_ = nullptr;
  built_ = false;
  width_ = height_ = 0;
}

bool Direct3DView::build() {
  built_ = false;
  if (!scene_ || !device_ || !transition_) return true;
  if (!current_.rebuild(device_.get(), scene_->liveTable)) return false;
  if (transition_->IsRunning()) {
    if (!back_.rebuild(device_.get(), scene_->backScene)) return false;
  } else {
    back_.clear();
  }
  built_ = true;
  return true;
}

void Direct3DView::clearScreen() const {
  device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kOpaqueBlack, 1.0f, 0);
}

bool Direct3DView::draw() {
  if (!device_) return false;
  if (!scene_ || !transition_) return true;
  if (!built_) {
    clearScreen();
    return true;
  }
  if (transition_->IsRunning()) {
    // Each begin is paired with its end, whatever the store draw between them answered.
    bool ok = transition_->BeginOldPicture();
    if (ok) {
      RenderStateCache cache(device_.get());
      ok = back_.draw(device_.get(), cache);
      ok = transition_ && transition_->EndOldPicture() && ok;
    }
    if (ok && transition_) {
      ok = transition_->BeginNewPicture();
      if (ok) {
        RenderStateCache cache(device_.get());
        ok = current_.draw(device_.get(), cache);
        ok = transition_ && transition_->EndNewPicture() && ok;
      }
    }
    return ok && transition_ && transition_->Compose();
  }
  clearScreen();
  RenderStateCache cache(device_.get());
  return current_.draw(device_.get(), cache);
}

bool Direct3DView::onLostDevice() {
  built_ = false;
  current_.releaseDeviceResources();
  back_.releaseDeviceResources();
  if (transition_ && !transition_->OnLostDevice()) return false;
  device_.reset();
  return true;
}

bool Direct3DView::onResetDevice(Ref<IDirect3DDevice9> device) {
  device_ = std::move(device);
  if (!transition_) return false;
  built_ = false;
  bool ok = current_.recreateDeviceResources(device_.get());
  ok = back_.recreateDeviceResources(device_.get()) && ok;
  transition_->SetDevice(device_.get());
  return transition_->OnResetDevice() && ok;
}

bool Direct3DView::beginTransition(std::int32_t number, void* capture) {
  if (!transition_) return false;
  transition_->SetDevice(device_.get());
  return transition_->SetUp(width_, height_, capture) && transition_->Begin(number);
}

bool Direct3DView::setTransitionProgress(float progress) {
  if (!transition_) return false;
  transition_->SetProgress(progress);
  return true;
}

bool Direct3DView::endTransition() {
  return transition_ && transition_->End();
}

bool Direct3DView::transitionRunning() const {
  return transition_ && transition_->IsRunning();
}

void Direct3DView::removePlugin(IDXPlugin* plugin) {
  current_.removePlugin(plugin);
  back_.removePlugin(plugin);
}

}  // namespace tamblet
