// The view plug-in: the object the engine registers with the host's Direct3D plug-in service in
// mode 1. The host calls its Draw from inside its frame, and OnLostDevice / OnResetDevice around a
// device loss; all of them go to the Direct3D view. Close (called by the engine when it leaves
// mode 1, and by the last Release) lets the view go and unregisters from the host, after which the
// object answers every call without touching the engine, so a host that still holds it is safe.
#pragma once

#include <cstdint>

#include "host/Kernel.h"
#include "host/Modules.h"
#include "present/Direct3DView.h"

namespace tamblet {

class CDXPlugin final : public IDXPlugin {
 public:
  // A plug-in with one reference for the caller, drawing `view`; `kernel` (borrowed) answers the
  // capture service. Null when memory runs out.
  static CDXPlugin* create(Direct3DView* view, IHostKernel* kernel);

  std::int32_t TAMBLET_HOSTCALL AddRef() override;   // 0
  std::int32_t TAMBLET_HOSTCALL Release() override;  // 1; at 0 closes and frees itself
  bool TAMBLET_HOSTCALL Prepare() override;          // 2; true
  bool TAMBLET_HOSTCALL Draw() override;             // 3
  bool TAMBLET_HOSTCALL OnLostDevice() override;     // 4
  bool TAMBLET_HOSTCALL OnResetDevice() override;    // 5
  bool TAMBLET_HOSTCALL Close() override;            // 6; true
  bool TAMBLET_HOSTCALL PrepareAgain() override;     // 7; true

  // Registers with the service (borrowed; the kernel keeps it) and takes its device into the
  // view's device slot. False when the service refuses.
  bool registerWith(IDirect3DPluginService* service);
  bool registered() const { return registered_; }

  // The capture the Direct3D transition object starts from: asked from the host's capture service
  // (looked up on first use and kept), borrowed; null when there is none.
  void* capture();

 private:
  CDXPlugin(Direct3DView* view, IHostKernel* kernel) : view_(view), kernel_(kernel) {}
  ~CDXPlugin() = default;

  // ---- Fields, in order. ----
  std::int32_t referenceCount_ = 1;
  IDirect3DPluginService* service_ = nullptr;
  ICaptureService* captureService_ = nullptr;
  bool registered_ = false;
  Direct3DView* view_;   // not owned; null once closed
  IHostKernel* kernel_;  // borrowed
};

}  // namespace tamblet
