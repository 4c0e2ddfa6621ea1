#include "refhost/Direct3DService.h"

#include <algorithm>
#include <new>
#include <stdexcept>
#include <utility>

#include "refhost/D3DFrameReadback.h"

namespace refhost {
namespace {

bool failed(tamblet::HRESULT result) {
  return !tamblet::succeeded(result);
}

constexpr tamblet::D3DSWAPEFFECT kSwapEffectDiscard = 1;

}  // namespace

Direct3DService* Direct3DService::create(MainSurface* mainSurface) {
  if (!mainSurface) return nullptr;
  return new (std::nothrow) Direct3DService(mainSurface);
}

Direct3DService::Direct3DService(MainSurface* mainSurface)
    : mainSurface_(tamblet::Ref<MainSurface>::retain(mainSurface)) {}

// The registry's references go last, out of the list first: a plug-in's release may unregister.
Direct3DService::~Direct3DService() {
  std::vector<tamblet::Ref<tamblet::IDXPlugin>> leaving = std::move(plugins_);
  plugins_.clear();
  leaving.clear();
}

tamblet::IDirect3DDevice9* Direct3DService::GetDevice() {
  try {
    tamblet::IDirect3DDevice9& active = activeDevice();
    active.AddRef();
    return &active;
  } catch (const std::exception&) {
    return nullptr;
  }
}

bool Direct3DService::Register(tamblet::IDXPlugin* plugin) {
  if (!plugin) return false;
  if (isRegistered(plugin)) return true;
  try {
    plugins_.push_back(tamblet::Ref<tamblet::IDXPlugin>::retain(plugin));
  } catch (const std::exception&) {
    return false;
  }
  mainSurface_->setBlitsIgnored(true);
  return true;
}

void Direct3DService::Unregister(tamblet::IDXPlugin* plugin) {
  const auto found = std::find_if(plugins_.begin(), plugins_.end(),
                                  [plugin](const auto& held) { return held.get() == plugin; });
  if (found == plugins_.end()) return;
  // Taken out of the list before the reference goes: the release may re-enter the service.
  tamblet::Ref<tamblet::IDXPlugin> leaving = std::move(*found);
  plugins_.erase(found);
  if (plugins_.empty()) mainSurface_->setBlitsIgnored(false);
  leaving.reset();
}

bool Direct3DService::isRegistered(tamblet::IDXPlugin* plugin) const {
  return std::any_of(plugins_.begin(), plugins_.end(), [plugin](const auto& held) { return held.get() == plugin; });
}

ReferenceDevice& Direct3DService::device() {
  if (handedIn_) throw std::logic_error("the Direct3D service uses a device handed in");
  if (!reference_) {
    auto made = tamblet::Ref<ReferenceDevice>::adopt(new ReferenceDevice(mainSurface_->GetWidth(), mainSurface_->GetHeight()));
    made->setPresentTarget(mainSurface_.get());  // Present copies the back buffer into the main surface
    device_ = made.get();
    reference_ = std::move(made);
  }
  return *reference_;
}

bool Direct3DService::useDevice(tamblet::IDirect3DDevice9* device) {
  if (!device || device_) return false;
  handedIn_ = tamblet::Ref<tamblet::IDirect3DDevice9>::retain(device);
  device_ = device;
  return true;
}

tamblet::IDirect3DDevice9& Direct3DService::activeDevice() {
  if (device_) return *device_;
  return device();
}

void Direct3DService::applyBaseline() {
  if (reference_) {
    reference_->applyBaseline();
    return;
  }
  tamblet::IDirect3DDevice9& active = *device_;
  active.SetRenderState(tamblet::D3DRS_CULLMODE, tamblet::D3DCULL_NONE);
  for (tamblet::DWORD stage = 1; stage < 8; ++stage) {
    active.SetTextureStageState(stage, tamblet::D3DTSS_COLOROP, tamblet::D3DTOP_DISABLE);
    active.SetTextureStageState(stage, tamblet::D3DTSS_ALPHAOP, tamblet::D3DTOP_DISABLE);
  }
  active.SetRenderState(tamblet::D3DRS_BLENDOP, tamblet::D3DBLENDOP_ADD);
  active.SetRenderState(tamblet::D3DRS_TEXTUREFACTOR, 0xFFFFFFFFu);
  active.SetRenderState(tamblet::D3DRS_ALPHATESTENABLE, 0);
  active.SetRenderState(tamblet::D3DRS_SCISSORTESTENABLE, 0);
}

tamblet::HRESULT Direct3DService::present() {
  // A device handed in is read back before Present: with a discarding swap chain the back buffer
  // means nothing afterwards.
  if (!reference_ && !readBackFrame(*device_, *mainSurface_)) {
    const tamblet::HRESULT state = device_->TestCooperativeLevel();
    return failed(state) ? state : tamblet::D3DERR_INVALIDCALL;
  }
  return device_->Present(nullptr, nullptr, nullptr, nullptr);
}

void Direct3DService::renderHostFrame() {
  if (plugins_.empty() || inFrame_) return;
  inFrame_ = true;
  struct Leave {
    bool& flag;
    ~Leave() { flag = false; }
  } leave{inFrame_};

  try {
    activeDevice();
    round_.assign(plugins_.begin(), plugins_.end());  // reuses its room: no allocation per frame
  } catch (const std::exception&) {
    ++framesSkipped_;
    return;
  }
  struct ClearRound {
    std::vector<tamblet::Ref<tamblet::IDXPlugin>>& round;
    ~ClearRound() { round.clear(); }
  } clearRound{round_};
  const tamblet::HRESULT state = device_->TestCooperativeLevel();
  if (state == tamblet::D3DERR_DEVICELOST || state == tamblet::D3DERR_DEVICENOTRESET) {
    noticeLoss();
    if (state == tamblet::D3DERR_DEVICELOST || !reset()) {
      ++framesSkipped_;
      return;
    }
  }

  for (const auto& plugin : round_) {
    if (isRegistered(plugin.get())) plugin->Prepare();
  }
  device_->BeginScene();
  for (const auto& plugin : round_) {
    if (!isRegistered(plugin.get())) continue;
    applyBaseline();
    plugin->Draw();  // a plug-in reports its own failures; the other plug-ins still draw
  }
  device_->EndScene();
  const tamblet::HRESULT presented = present();
  if (presented == tamblet::D3DERR_DEVICELOST) {
    noticeLoss();
    ++framesSkipped_;
    return;
  }
  if (failed(presented)) {
    ++framesSkipped_;
    return;
  }
  ++framesPresented_;
}

void Direct3DService::loseDevice() {
  device().loseDevice();
  noticeLoss();
}

bool Direct3DService::resetDevice() {
  device().restoreDevice();
  noticeLoss();  // a host that never saw the loss still lets its plug-ins release first
  return reset();
}

bool Direct3DService::simulateDeviceLoss() {
  loseDevice();
  return resetDevice();
}

std::vector<tamblet::Ref<tamblet::IDXPlugin>> Direct3DService::snapshot() const {
  return plugins_;
}

void Direct3DService::noticeLoss() {
  if (lost_) return;
  lost_ = true;
  for (const auto& plugin : snapshot()) {
    if (isRegistered(plugin.get())) plugin->OnLostDevice();
  }
}

bool Direct3DService::reset() {
  tamblet::D3DPRESENT_PARAMETERS parameters{};
  parameters.BackBufferWidth = static_cast<tamblet::UINT>(mainSurface_->GetWidth());
  parameters.BackBufferHeight = static_cast<tamblet::UINT>(mainSurface_->GetHeight());
  parameters.BackBufferFormat = tamblet::D3DFMT_A8R8G8B8;
  parameters.BackBufferCount = 1;
  parameters.SwapEffect = kSwapEffectDiscard;
  parameters.Windowed = 1;
  if (failed(device_->Reset(&parameters))) return false;
  lost_ = false;
  for (const auto& plugin : snapshot()) {
    if (isRegistered(plugin.get())) plugin->OnResetDevice();
  }
  return true;
}

}  // namespace refhost
