// The view: how the engine core presents its sprites each frame. Mode 0 (the software view)
// composes the live table into the host's main surface and signals the update rectangle; while
// keep-previous-view is on, every presented frame leaves a copy of the live table in the back
// scene, from which a transition starts. The Direct3D view (mode 1) needs the host's Direct3D
// plug-in service; without it the mode cannot be chosen. With dirty regions on, mode 0 redraws only what changed
// since the last frame (DirtyRegions).
#pragma once

#include <cstdint>

#include "compose/SceneCompositor.h"
#include "host/Kernel.h"
#include "host/Modules.h"
#include "host/Ref.h"
#include "present/DirtyRegions.h"
#include "sprite/SpriteTableBlock.h"

namespace tamblet {

class View {
 public:
  struct Services {
    IMainSurface* mainSurface = nullptr;
    IFrameNotice* frameNotice = nullptr;  // optional
    SpriteTableBlock* sprites = nullptr;
    SceneCompositor* compositor = nullptr;
  };

  // Keeps the services and binds the software transition object (SceneWipe.dll), setting it up
  // once with the main surface size. False when the object is missing or refuses the size.
  bool setUp(const Services& services);
  void tearDown();

  // One presented frame in the current mode; false when it could not be drawn.
  bool present();

  std::int32_t mode() const { return mode_; }
  // Mode 0 always succeeds; mode 1 needs the host's Direct3D plug-in service; others fail.
  bool setMode(std::int32_t mode);

  bool keepPreviousView() const { return keepPreviousView_; }
  // Switching it off empties the back scene at once.
  void setKeepPreviousView(bool keep);

  // Dirty regions in mode 0 (off until switched on); the host's dirty-rectangle reports go to dirtyRegions().
  bool dirtyRegionsOn() const { return dirtyRegionsOn_; }
  void setDirtyRegions(bool on);
  DirtyRegions& dirtyRegions() { return dirtyRegions_; }

  // Transitions of the software view, from the back scene (old picture) to the live table.
  bool beginTransition(std::int32_t number);
  bool updateTransition(float progress);
  bool endTransition();  // ends the running transition; the caller presents the next frame

 private:
  bool signalFrame();

  Services services_;
  Ref<ISoftwareTransition> softwareTransition_;
  std::int32_t mode_ = 0;
  bool keepPreviousView_ = true;
  bool dirtyRegionsOn_ = false;
  DirtyRegions dirtyRegions_;
};

}  // namespace tamblet
