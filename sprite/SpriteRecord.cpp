#include "sprite/SpriteRecord.h"

#include <algorithm>

namespace tamblet {

SpriteRecord::SpriteRecord(const SpriteRecord& source, ISurfaceFactory* factory, IGraph3* raster)
    : number(source.number) {
  copyProperties(source, factory, raster);
}

void SpriteRecord::copyProperties(const SpriteRecord& source, ISurfaceFactory* factory, IGraph3* raster) noexcept {
  surfaceFactory = factory;
  rasterOperations = raster;
  // The back scene is copied every frame and mostly holds the same surfaces already: a reference is
  // only traded when the surface differs.
  if (surface.get() != source.surface.get()) surface = source.surface;
  hasPixel = source.hasPixel;
  hasAMap = source.hasAMap;
  width = source.width;
  height = source.height;
  number = source.number;
  x = source.x;
  y = source.y;
  z = source.z;
  blendRate = source.blendRate;
  std::copy_n(source.multiplyColor, 4, multiplyColor);
  std::copy_n(source.addColor, 4, addColor);
  show = source.show;
  drawMethod = source.drawMethod;
  custom = source.custom;
  suspended = source.suspended;
  transformMode = source.transformMode;
  std::copy_n(source.transformPositions, 4, transformPositions);
  std::copy_n(source.transformTexCoords, 4, transformTexCoords);
  textureFilterType = source.textureFilterType;
  surfaceArea = source.surfaceArea;
  alphaClipperNumber = source.alphaClipperNumber;
  surfaceStamp = source.surfaceStamp;
  if (drawPlugin.get() != source.drawPlugin.get()) drawPlugin = source.drawPlugin;
}

void SpriteRecord::setSurface(ISurface* newSurface) {
  surface = Ref<ISurface>::retain(newSurface);  // retains the new one, then releases the old one
  if (newSurface) {
    hasPixel = newSurface->HasPixel();
    hasAMap = newSurface->HasAMap();
    width = newSurface->GetWidth();
    height = newSurface->GetHeight();
  } else {
    hasPixel = hasAMap = false;
    width = height = 0;
  }
}

}  // namespace tamblet
