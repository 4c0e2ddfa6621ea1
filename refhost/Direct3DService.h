// The host's Direct3D plug-in service (IDirect3DPluginService) and the Direct3D frame it drives.
// It owns one reference Direct3D device the size of the main surface and a list of registered
// plug-ins. While a plug-in is registered the host renders its own frame right after the library's
// frame notice: Prepare for each plug-in, BeginScene, then for each plug-in the device's baseline
// state and its Draw, EndScene, and Present, whose picture is copied into the main surface (so
// headless frames and the window show it). The library's BlitToWindow is ignored meanwhile.
//
// A device made elsewhere (a real Direct3D 9 device on Windows) can be handed in with useDevice
// before the first one is made; the frame then reads the back buffer back into the main surface
// itself (D3DFrameReadback.h) before Present, since a real Present shows the picture in a window,
// and sets the baseline through the device's own calls.
//
// The registry keeps one reference to each registered plug-in, given back by Unregister or when the
// service goes, so the host never calls a plug-in that its owner has freed.
//
// Device loss follows Direct3D 9's order: the device reports DEVICELOST, every plug-in's
// OnLostDevice releases its default-pool resources; once it reports DEVICENOTRESET the host Resets
// it (which fails while a default-pool resource lives) and calls every OnResetDevice. The frame
// finds a lost device by itself (TestCooperativeLevel, Present); tests drive it with loseDevice and
// resetDevice.
#pragma once

#include <cstdint>
#include <vector>

#include "host/D3D9.h"
#include "host/Modules.h"
#include "host/Ref.h"
#include "refhost/HostWindow.h"
#include "refhost/Ledger.h"
#include "refhost/MainSurface.h"
#include "refhost/RefCounted.h"
#include "refhost/ReferenceDevice.h"

namespace refhost {

class Direct3DService final : public RefCounted<Direct3DService, tamblet::IDirect3DPluginService>, public HostFrame {
 public:
  // A service presenting into `mainSurface`, with one reference for the caller; null without memory.
  static Direct3DService* create(MainSurface* mainSurface);

  // The device with one reference for the caller (made on first use), or null without memory.
  tamblet::IDirect3DDevice9* TAMBLET_HOSTCALL GetDevice() override;
  // Adds the plug-in (false for null; true, once, for one already registered).
  bool TAMBLET_HOSTCALL Register(tamblet::IDXPlugin* plugin) override;
  // Removes the plug-in and gives back the registry's reference; unknown plug-ins are ignored.
  void TAMBLET_HOSTCALL Unregister(tamblet::IDXPlugin* plugin) override;

  // The host's frame, called by the host window after the library's frame notice.
  void renderHostFrame() override;

  // The reference device (made on first use; throws std::bad_alloc without memory, and
  // std::logic_error when a device was handed in with useDevice).
  ReferenceDevice& device();
  // Uses `device` (one reference taken) instead of making the reference device. False for null or
  // when the service already has a device.
  bool useDevice(tamblet::IDirect3DDevice9* device);

  // Loses the device and tells every plug-in (OnLostDevice), as the host does on finding it lost.
  void loseDevice();
  // Lets the lost device be reset, Resets it and tells every plug-in (OnResetDevice); false when
  // Reset fails (a default-pool resource still lives), and the device stays lost.
  bool resetDevice();
  // Both in order.
  bool simulateDeviceLoss();

  bool isRegistered(tamblet::IDXPlugin* plugin) const;
  std::size_t pluginCount() const { return plugins_.size(); }
  // Frames rendered and presented into the main surface, and frames skipped on a lost device.
  std::int32_t framesPresented() const { return framesPresented_; }
  std::int32_t framesSkipped() const { return framesSkipped_; }
  bool deviceLost() const { return lost_; }

 private:
  explicit Direct3DService(MainSurface* mainSurface);
  friend class RefCounted<Direct3DService, tamblet::IDirect3DPluginService>;
  ~Direct3DService();

  // The plug-ins as they stand, each held for the duration of a round of calls, since a plug-in
  // may unregister itself or another from inside a call.
  std::vector<tamblet::Ref<tamblet::IDXPlugin>> snapshot() const;
  // The device of the frame: the one handed in, else the reference device (made on first use).
  tamblet::IDirect3DDevice9& activeDevice();
  // The state each plug-in's Draw starts from (ReferenceDevice::applyBaseline).
  void applyBaseline();
  // The rendered frame into the main surface: the reference device's Present copies it; a device
  // handed in is read back first. False when the frame could not be shown.
  tamblet::HRESULT present();
  void noticeLoss();
  bool reset();

  LedgerEntry ledger_{"Direct3DService"};
  tamblet::Ref<MainSurface> mainSurface_;
  tamblet::Ref<ReferenceDevice> reference_;
  tamblet::Ref<tamblet::IDirect3DDevice9> handedIn_;
  tamblet::IDirect3DDevice9* device_ = nullptr;  // the frame's device: one of the two above
  std::vector<tamblet::Ref<tamblet::IDXPlugin>> plugins_;
  std::vector<tamblet::Ref<tamblet::IDXPlugin>> round_;  // the frame's plug-ins, held while it runs
  bool lost_ = false;
  bool inFrame_ = false;
  std::int32_t framesPresented_ = 0;
  std::int32_t framesSkipped_ = 0;
};

}  // namespace refhost
