// One sprite: the image it shows (a shared host surface) and every property it is drawn with.
// A record starts with the values below; the software compositor and the Direct3D view read it
// as it stands at the next frame.
#pragma once

#include <cstdint>

#include "host/Modules.h"
#include "host/Ref.h"
#include "host/Surface.h"

namespace tamblet {

// A transform corner's position, in the corner order top-left, top-right, bottom-left, bottom-right.
struct TransformPosition {
  float x = 0.0f, y = 0.0f, z = 0.0f, w = 1.0f;
};

struct TextureCoordinate {
  float u = 0.0f, v = 0.0f;
};

// Sub-rectangle of the surface to draw; inactive while both width and height are 0 or less.
struct SurfaceArea {
  std::int32_t x = 0, y = 0, width = 0, height = 0;
};

// Indices of the four colour channels in multiplyColor and addColor.
enum ColorChannel : int { kRed = 0, kGreen = 1, kBlue = 2, kAlpha = 3 };

class SpriteRecord {
 public:
  SpriteRecord(std::int32_t spriteNumber, ISurfaceFactory* factory, IGraph3* raster)
      : surfaceFactory(factory), rasterOperations(raster), number(spriteNumber) {}

  // A property copy for the back scene: every field of `source` except the reference count and
  // the host pointers (taken from the arguments). The copy holds its own references to the shared
  // surface and draw plug-in; the alpha clipper number names a sprite of the copy's own table.
  SpriteRecord(const SpriteRecord& source, ISurfaceFactory* factory, IGraph3* raster);

  // The same property copy into an existing record (the back scene reuses its records from frame
  // to frame, so a presented frame allocates nothing per sprite). Never throws.
  void copyProperties(const SpriteRecord& source, ISurfaceFactory* factory, IGraph3* raster) noexcept;

  SpriteRecord(const SpriteRecord&) = delete;
  SpriteRecord& operator=(const SpriteRecord&) = delete;

  // Holds `newSurface` (null detaches) and caches its has-pixel, has-alpha-map, width and height.
  // The new reference is taken before the old one is dropped, so handing the record the surface
  // it already holds never frees it.
  void setSurface(ISurface* newSurface);

  // Holds `plugin` (null detaches); the same ordering as setSurface.
  void setDrawPlugin(IDXPlugin* plugin) { drawPlugin = Ref<IDXPlugin>::retain(plugin); }

  // ---- Fields, in order, with their start values. ----
  // The table entry is the record's one holder (see SpriteTable); the count stays at 1.
  std::int32_t referenceCount = 1;
  ISurfaceFactory* surfaceFactory = nullptr;  // not owned; used for copy-on-write
  IGraph3* rasterOperations = nullptr;        // not owned; used for copy-on-write
  Ref<ISurface> surface;
  bool hasPixel = false;
  bool hasAMap = false;
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::int32_t number = 0;
  std::int32_t x = 0;
  std::int32_t y = 0;
  std::int32_t z = 0;
  std::int32_t blendRate = 255;
  std::int32_t multiplyColor[4] = {255, 255, 255, 255};
  std::int32_t addColor[4] = {0, 0, 0, 0};
  bool show = true;
  std::int32_t drawMethod = 0;
  bool custom = false;
  bool suspended = false;
  std::int32_t transformMode = 0;
  TransformPosition transformPositions[4];
  TextureCoordinate transformTexCoords[4];
  std::int32_t textureFilterType = 1;
  SurfaceArea surfaceArea;
  std::int32_t alphaClipperNumber = -1;
  // Changes whenever the sprite's pixels may have changed without the surface pointer telling: a surface set or
  // handed out for writing. The table stamps it from a counter of its own, so the stamps one sprite number sees
  // never repeat, even across deletion (the dirty regions compare it with the stamp they last drew).
  std::uint64_t surfaceStamp = 0;
  // Declared last so that it is released first when the record is destroyed, then the surface.
  Ref<IDXPlugin> drawPlugin;
};

}  // namespace tamblet
