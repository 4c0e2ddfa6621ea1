// The engine core: one heap object made by start-up and destroyed by the teardown. It keeps its
// own references to the host services it draws with and owns the subsystems: the sprite tables
// (live and back scene), the CG cache and sources, the compositor and view, the text store and
// the character sprites.
#pragma once

#include <cstdint>

#include "host/Kernel.h"
#include "host/Modules.h"
#include "host/Ref.h"
#include "host/Surface.h"
#include "image/CCGCache.h"
#include "image/CGSources.h"
#include "compose/SceneCompositor.h"
#include "engine/FpsCounter.h"
#include "present/CDrawD3DPluginManager.h"
#include "present/View.h"
#include "sprite/SpriteTableBlock.h"
#include "engine/ExportCharSpriteCommands.h"
#include "text/CharSpriteManager.h"
#include "text/TextStore.h"
#include "text/TextStyle.h"

namespace tamblet {

class CVelmEngine {
 public:
  // What the engine object hands the core at start-up.
  struct StartUpServices {
    IMainSurface* mainSurface = nullptr;
    IKOVFile* cgArchiveFile = nullptr;
    IDecodeCG* imageDecoder = nullptr;
    IGraph3* rasterOperations = nullptr;
    ISurfaceFactory* surfaceFactory = nullptr;
    IDrawPluginDrawer* drawPluginDrawer = nullptr;
    ITimer* timer = nullptr;
    std::uint32_t cacheBytes = 0;
    bool debugMode = false;
    const char* gameName = "";  // the host's game name text, extension included
  };

  CVelmEngine() = default;
  CVelmEngine(const CVelmEngine&) = delete;
  CVelmEngine& operator=(const CVelmEngine&) = delete;
  ~CVelmEngine() { tearDown(); }

  // Keeps the services (adding its own references), reaches the host kernel, and sets up the
  // subsystems. False when a required piece is missing; what was set up stays for tearDown.
  bool startUp(const StartUpServices& services);

  // Releases everything in the teardown order; safe to call twice.
  void tearDown();

  // The packed CG archive from now on (the engine object opens it before the core's start-up);
  // the one held before is released.
  void setPackedArchive(Ref<IPackedArchive> archive) { cgSources.setPackedArchive(std::move(archive)); }

  // One presented frame: counted for the FPS figure, then drawn by the view.
  bool drawFrame() {
    fps.countFrame();
    return view.present();
  }

  // Bits per pixel of the main surface: the depth of every new sprite image.
  std::int32_t screenDepth() const { return mainSurface ? mainSurface->GetBpp() : 32; }

  // ---- Host services the core keeps (its own references where counted). ----
  Ref<IMainSurface> mainSurface;
  Ref<IKOVFile> cgArchiveFile;
  Ref<IDecodeCG> imageDecoder;
  Ref<IGraph3> rasterOperations;
  Ref<ISurfaceFactory> surfaceFactory;
  IDrawPluginDrawer* drawPluginDrawer = nullptr;  // kept without a reference; never called
  ITimer* timer = nullptr;
  IFrameNotice* frameNotice = nullptr;  // optional
  IGamePath* gamePath = nullptr;
  bool debugMode = false;

  // ---- Subsystems. ----
  Ref<CCGCache> cgCache;
  CGSources cgSources;
  SpriteTableBlock sprites;
  SceneCompositor compositor;
  View view;
  // Handed out by GetInterface: other modules attach Direct3D draw plug-ins to sprites with it.
  CDrawD3DPluginManager d3dPluginManager{sprites, view.direct3DView()};
  TextStyle textStyle;  // what the next text sprite is drawn with
  TextStore text;       // text and dash renderers, the text cache and the font library
  ExportCharSpriteCommands charSpriteCommands{textStyle};
  CharSpriteManager charSprites{charSpriteCommands};
  FpsCounter fps;
  bool fpsShow = false;  // draws `sprites` with the raster operations' clearing fill
};

// The kernel object the HostKernel module hands out, looked up once per process and kept; null
// when the module or its entry point is missing.
IHostKernel* hostKernelObject();
// Drops the kept kernel object, for a process that replaces its host (the tests do, per test).
void forgetHostKernelObject();

}  // namespace tamblet
