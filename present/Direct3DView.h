// The Direct3D view: what mode 1 draws with. It holds the device slot (the one Direct3D device
// reference the engine keeps, taken from the host's plug-in service), the current store mirroring
// the live sprite table, the back store mirroring the back scene while a transition runs, and the
// Direct3D transition object from SceneWipe.dll. Each presented frame builds the stores; the host's
// frame then calls the view plug-in, which draws them.
#pragma once

#include <cstdint>

#include "host/D3D9.h"
#include "host/Modules.h"
#include "host/Ref.h"
#include "present/SpriteStore.h"
#include "sprite/SpriteTableBlock.h"

namespace tamblet {

class Direct3DView {
 public:
  Direct3DView() = default;
  Direct3DView(const Direct3DView&) = delete;
  Direct3DView& operator=(const Direct3DView&) = delete;
  ~Direct3DView() { release(); }

  // ---- The device slot. ----
  void setDevice(Ref<IDirect3DDevice9> device) { device_ = std::move(device); }
  void releaseDevice() { device_.reset(); }
  IDirect3DDevice9* device() const { return device_.get(); }

  // Keeps the scene and the main surface size and creates the Direct3D transition object; false
  // (and nothing kept) when SceneWipe.dll or its object is missing.
  bool setUp(SpriteTableBlock* scene, std::int32_t width, std::int32_t height);
  // Clears both stores, releases the transition object, forgets the scene and the sizes.
  void release();

  // Rebuilds the current store, and the back store while a transition runs (else empties it).
  // True with nothing to do when the view is not set up or there is no device; false when a
  // rebuild fails. Only a successful build lets the next draw draw the stores.
  bool build();

  // The view plug-in's Draw: clears to opaque black when nothing was built, else draws the current
  // store, or during a transition both pictures where the transition object asks and lets it
  // compose them. False without a device or when a store draw or the transition object fails.
  bool draw();

  // Device loss: the stores' device resources go, the transition object is told, and the device
  // slot is emptied; false (the slot kept) when the transition object refuses.
  bool onLostDevice();
  // Device reset with the device the service hands out again: the stores' textures and vertex
  // buffers are made again and the transition object gets the device. False without a transition
  // object or when something could not be made.
  bool onResetDevice(Ref<IDirect3DDevice9> device);

  // Transitions in mode 1: set device, set up (view size, capture), begin / set progress / end.
  bool beginTransition(std::int32_t number, void* capture);
  bool setTransitionProgress(float progress);
  bool endTransition();
  bool transitionRunning() const;

  // Detaches a draw plug-in from every record of both stores.
  void removePlugin(IDXPlugin* plugin);

  bool isSetUp() const { return scene_ != nullptr; }
  bool built() const { return built_; }
  std::int32_t width() const { return width_; }
  std::int32_t height() const { return height_; }
  const SpriteStore& currentStore() const { return current_; }
  const SpriteStore& backStore() const { return back_; }

 private:
  void clearScreen() const;  // to opaque black, depth 1

  Ref<IDirect3DDevice9> device_;  // the device slot
  // ---- Fields, in order. ----
  SpriteTableBlock* scene_ = nullptr;
  bool built_ = false;
  std::int32_t width_ = 0;
  std::int32_t height_ = 0;
  SpriteStore current_;
  SpriteStore back_;
  Ref<IDirect3DTransition> transition_;
};

}  // namespace tamblet
