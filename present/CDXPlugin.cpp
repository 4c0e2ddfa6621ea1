#include "present/CDXPlugin.h"

#include <new>

#include "report/FixedTexts.h"
#include "report/MessageBoxReporter.h"

namespace tamblet {

CDXPlugin* CDXPlugin::create(Direct3DView* view, IHostKernel* kernel) {
  return new (std::nothrow) CDXPlugin(view, kernel);
}

std::int32_t CDXPlugin::AddRef() {
  return ++referenceCount_;
}

std::int32_t CDXPlugin::Release() {
  if (--referenceCount_ > 0) return referenceCount_;
  Close();
  delete this;
  return 0;
}

bool CDXPlugin::Prepare() {
  return true;
}

bool CDXPlugin::PrepareAgain() {
  return true;
}

bool CDXPlugin::Draw() {
  if (!view_) return false;
  if (view_->draw()) return true;
  return report::reportMessageBox(fixedText(FixedText::kD3DViewDrawFailed));
}

bool CDXPlugin::OnLostDevice() {
  return view_ && view_->onLostDevice();
}

bool CDXPlugin::OnResetDevice() {
  if (!view_ || !service_) return false;
  return view_->onResetDevice(Ref<IDirect3DDevice9>::adopt(service_->GetDevice()));
}

bool CDXPlugin::Close() {
  // Held while unregistering: the host may drop its reference to this object meanwhile.
  ++referenceCount_;
  if (view_) {
    view_->release();
    view_->releaseDevice();
    view_ = nullptr;
  }
  if (registered_ && service_) service_->Unregister(this);
  registered_ = false;
  --referenceCount_;
  return true;
}

bool CDXPlugin::registerWith(IDirect3DPluginService* service) {
  if (!service || !view_) return false;
  service_ = service;
  if (!service->Register(this)) return false;
  registered_ = true;
  view_->setDevice(Ref<IDirect3DDevice9>::adopt(service->GetDevice()));
  return true;
}

void* CDXPlugin::capture() {
  if (!captureService_ && kernel_)
    captureService_ = static_cast<ICaptureService*>(kernel_->GetService(&kIID_ICaptureService));
  void* picture = nullptr;
  if (captureService_) captureService_->GetCapture(0, &picture);
  return picture;
}

}  // namespace tamblet
