#include "refhost/Direct3DService.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>

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
    ReferenceDevice& made = device();
    made.AddRef();
    return &made;
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
  if (!device_) {
    device_ = tamblet::Ref<ReferenceDevice>::adopt(new ReferenceDevice(mainSurface_->GetWidth(), mainSurface_->GetHeight()));
  }
  return *device_;
}

void Direct3DService::renderHostFrame() {
  if (plugins_.empty() || inFrame_) return;
  inFrame_ = true;
  struct Leave {
    bool& flag;
    ~Leave() { flag = false; }
  } leave{inFrame_};

  std::vector<tamblet::Ref<tamblet::IDXPlugin>> round;
  try {
    device();
    round = snapshot();
  } catch (const std::exception&) {
    ++framesSkipped_;
    return;
  }
  const tamblet::HRESULT state = device_->TestCooperativeLevel();
  if (state == tamblet::D3DERR_DEVICELOST || state == tamblet::D3DERR_DEVICENOTRESET) {
    noticeLoss();
    if (state == tamblet::D3DERR_DEVICELOST || !reset()) {
      ++framesSkipped_;
      return;
    }
  }

  for (const auto& plugin : round) {
    if (isRegistered(plugin.get())) plugin->Prepare();
  }
  device_->BeginScene();
  for (const auto& plugin : round) {
    if (!isRegistered(plugin.get())) continue;
    device_->applyBaseline();
    plugin->Draw();  // a plug-in reports its own failures; the other plug-ins still draw
  }
  device_->EndScene();
  const tamblet::HRESULT presented = device_->Present(nullptr, nullptr, nullptr, nullptr);
  if (presented == tamblet::D3DERR_DEVICELOST) {
    noticeLoss();
    ++framesSkipped_;
    return;
  }
  if (failed(presented)) {
    ++framesSkipped_;
    return;
  }
  presentIntoMainSurface();
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

// The presented back buffer becomes the main surface's picture, row by row over the shared area.
void Direct3DService::presentIntoMainSurface() {
  std::uint8_t* target = mainSurface_->GetPixelAddress(0, 0);
  const std::uint32_t* source = device_->backBuffer();
  if (!target || !source) return;
  // The device was made the main surface's size.
  const std::int32_t width = mainSurface_->GetWidth();
  const std::int32_t height = mainSurface_->GetHeight();
  const std::int64_t targetPitch = mainSurface_->GetPitch();
  const std::int64_t sourcePitch = device_->backBufferPitch();
  const auto* sourceBytes = reinterpret_cast<const std::uint8_t*>(source);
  for (std::int32_t y = 0; y < height; ++y) {
    std::memcpy(target + y * targetPitch, sourceBytes + y * sourcePitch, static_cast<std::size_t>(width) * 4);
  }
}

}  // namespace refhost
