// The host's main window as the library sees it: an opaque handle (IHostWindow) and the notice
// the library sends after every drawn frame (IFrameNotice), counted, with a settable answer. After
// each notice the host renders its own frame (the Direct3D frame), when one is attached.
#pragma once

#include "host/Kernel.h"
#include "refhost/Ledger.h"

namespace refhost {

// A frame the host renders itself, right after the library's frame notice.
class HostFrame {
 public:
  virtual void renderHostFrame() = 0;

 protected:
  ~HostFrame() = default;
};

class HostWindow final : public tamblet::IHostWindow, public tamblet::IFrameNotice {
 public:
  void* TAMBLET_HOSTCALL GetWindow() override { return handle_; }
  bool TAMBLET_HOSTCALL OnFrameDrawn() override;

  // The handle is opaque to the library; by default it is this object's address (never null).
  void setHandle(void* handle) { handle_ = handle; }
  int framesNoticed() const { return framesNoticed_; }
  void setFrameNoticeResult(bool result) { frameNoticeResult_ = result; }
  // The frame rendered after every notice (not owned; null: none).
  void setHostFrame(HostFrame* frame) { hostFrame_ = frame; }

 private:
  LedgerEntry ledger_{"HostWindow"};
  void* handle_ = this;
  int framesNoticed_ = 0;
  bool frameNoticeResult_ = true;
  HostFrame* hostFrame_ = nullptr;
};

}  // namespace refhost
