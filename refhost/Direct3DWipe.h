// SceneWipe.dll's Direct3D transition (IDirect3DTransition): the same effects as the software one
// (crossfades, wipes, mosaic, rule images; numbers as in SceneWipe.h), composed on the processor.
//
// The engine draws the old and the new picture into two render-target textures of this object
// (Begin/End-Old/New-Picture switch the device's render target to them and back, each pass
// starting from opaque black). Compose reads both back, writes the frame at the current progress
// with the shared effects, uploads it into a managed texture and draws it as one full-screen quad,
// texel for pixel, into the render target that was current (the back buffer).
//
// Until the engine draws an old picture, the old picture is the capture handed to SetUp (the frame
// on screen when the transition was set up), or black without one. The capture is copied at
// SetUp, so it may change or go afterwards.
//
// Device resources: the render targets and the vertex buffer live in the default pool and go with
// OnLostDevice (OnResetDevice makes them again); the read-back surface (system memory) and the
// composed texture (managed pool) survive a reset. A new device drops everything made on the old.
#pragma once

#include <cstdint>
#include <vector>

#include "host/D3D9.h"
#include "host/Modules.h"
#include "host/Ref.h"
#include "refhost/Ledger.h"
#include "refhost/RefCounted.h"

namespace refhost {

class Direct3DWipe final : public RefCounted<Direct3DWipe, tamblet::IDirect3DTransition> {
 public:
  static constexpr std::int32_t kMaxSide = 16384;

  // A new transition with one reference for the caller, or null without memory.
  static Direct3DWipe* create();

  // Holds a reference to the device (null lets it go); a different device drops every resource
  // made on the previous one.
  void TAMBLET_HOSTCALL SetDevice(tamblet::IDirect3DDevice9* device) override;
  // Makes the pictures width x height (1 to 16384 each) on the device and stops a running
  // transition; `capture` is null or the host's capture (a refhost::Capture). False without a
  // device or when the device refuses a resource.
  bool TAMBLET_HOSTCALL SetUp(std::int32_t width, std::int32_t height, void* capture) override;
  // Starts (or restarts) transition `number`; false before SetUp and for numbers without effect.
  bool TAMBLET_HOSTCALL Begin(std::int32_t number) override;
  // Stops the running transition; false when none runs.
  bool TAMBLET_HOSTCALL End() override;
  // Draw passes: the render target becomes the picture, cleared to opaque black, until the end
  // call puts the previous target back. False when no transition runs, another pass is open (or,
  // for an end, this one is not) or the device refuses.
  bool TAMBLET_HOSTCALL BeginNewPicture() override;
  bool TAMBLET_HOSTCALL EndNewPicture() override;
  bool TAMBLET_HOSTCALL BeginOldPicture() override;
  bool TAMBLET_HOSTCALL EndOldPicture() override;
  // Draws the frame at the current progress into the current render target; false when no
  // transition runs, a pass is open or a device call fails.
  bool TAMBLET_HOSTCALL Compose() override;
  bool TAMBLET_HOSTCALL IsRunning() override { return running_ >= 0; }
  // Progress from 0.0 (old picture) to 1.0 (new picture), clamped; NaN counts as 0.
  void TAMBLET_HOSTCALL SetProgress(float progress) override;
  // Releases the default-pool resources (an open pass is abandoned); always true.
  bool TAMBLET_HOSTCALL OnLostDevice() override;
  // Makes them again when set up; false when the device refuses.
  bool TAMBLET_HOSTCALL OnResetDevice() override;

  // The running transition's number, or -1.
  std::int32_t running() const { return running_; }

 private:
  enum Picture { kOldPicture = 0, kNewPicture = 1 };

  Direct3DWipe() = default;
  friend class RefCounted<Direct3DWipe, tamblet::IDirect3DTransition>;
  ~Direct3DWipe() = default;

  bool beginPicture(Picture picture);
  bool endPicture(Picture picture);
  bool makeDefaultPoolResources();
  void releaseDefaultPoolResources();
  void releaseAllResources();
  bool readBack(Picture picture);
  bool uploadComposed();
  bool drawQuad();

  LedgerEntry ledger_{"Direct3DWipe"};
  tamblet::Ref<tamblet::IDirect3DDevice9> device_;
  tamblet::Ref<tamblet::IDirect3DTexture9> targets_[2];
  tamblet::Ref<tamblet::IDirect3DSurface9> targetSurfaces_[2];
  tamblet::Ref<tamblet::IDirect3DVertexBuffer9> quad_;
  tamblet::Ref<tamblet::IDirect3DSurface9> readBackSurface_;
  tamblet::Ref<tamblet::IDirect3DTexture9> composed_;
  tamblet::Ref<tamblet::IDirect3DSurface9> savedTarget_;  // the target an open pass replaced
  std::int32_t openPass_ = -1;                            // the picture being drawn, or -1
  bool drawn_[2] = {false, false};                        // drawn since the last Compose
  std::int32_t width_ = 0;
  std::int32_t height_ = 0;
  std::int32_t running_ = -1;
  std::int32_t step_ = 0;
  std::vector<std::uint32_t> pictures_[2];  // the pictures as read back, width_ x height_ words
  std::vector<std::uint32_t> output_;
  std::vector<std::uint8_t> rule_;
  std::vector<std::uint16_t> weights_;
};

}  // namespace refhost
