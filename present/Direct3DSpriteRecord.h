// A Direct3D sprite record: the snapshot of one sprite's drawing properties a sprite store draws
// from, its own reference to the sprite's surface, the texture made from that surface and the
// place of its four vertices in the store's vertex buffer.
#pragma once

#include <cstdint>

#include "host/D3D9.h"
#include "host/Modules.h"
#include "host/Ref.h"
#include "present/SpriteTexture.h"
#include "sprite/SpriteRecord.h"

namespace tamblet {

class Direct3DSpriteRecord {
 public:
  explicit Direct3DSpriteRecord(std::int32_t spriteNumber) : number(spriteNumber) {}
  Direct3DSpriteRecord(const Direct3DSpriteRecord&) = delete;
  Direct3DSpriteRecord& operator=(const Direct3DSpriteRecord&) = delete;

  // What a fill or a reload made of the record's texture.
  enum class Fill {
    kDone,
    kTextureFailed,  // the surface could not be loaded: the record stays, with an empty texture
  };

  // Copies the sprite's properties, takes its surface and draw plug-in, and loads the texture when
  // the surface object changed or the texture is missing (a failed load, a failed reset). A failure's messages are
  // shown once per record and surface: `newRecord` picks the closing text (made or refreshed).
  Fill fill(IDirect3DDevice9* device, const SpriteRecord& sprite, IDirect3DTexture9* storeWhiteTexture, bool newRecord);

  // Loads the texture again from the record's surface (after a device reset), quietly; false when
  // that fails, which the next fill retries.
  bool reloadTexture(IDirect3DDevice9* device);

  // Drawn as a quad at all: a texture, a positive blend rate, shown, not a custom sprite.
  bool drawable() const { return surface && texture.texture && blendRate > 0 && show && !custom; }

  // The record's add colour packed as 0xAARRGGBB from the low 8 bits of each component.
  std::uint32_t packedAddColor() const;
  // The vertex colour: alpha the blend rate, red, green and blue the multiply colour's low bytes.
  std::uint32_t diffuseColor() const;

  // ---- Fields, in order. ----
  Ref<ISurface> surface;
  std::int32_t number = 0;
  std::int32_t x = 0, y = 0;
  std::int32_t z = 0;
  std::int32_t width = 0, height = 0;
  std::int32_t blendRate = 0;
  std::int32_t multiplyColor[4] = {255, 255, 255, 255};
  std::int32_t addColor[4] = {0, 0, 0, 0};
  std::int32_t drawMethod = 0;
  SurfaceArea surfaceArea;
  bool show = false;
  bool custom = false;
  std::int32_t transformMode = 0;
  TransformPosition transformPositions[4];
  TextureCoordinate transformTexCoords[4];
  std::int32_t textureFilterType = 1;
  std::int32_t firstVertex = 0;
  SpriteTexture texture;
  Ref<IDXPlugin> drawPlugin;
  IDirect3DTexture9* whiteTexture = nullptr;  // the store's, not owned
  // A load of the current surface failed and its messages were shown (once per surface); the next
  // fill tries again, as it does whenever the texture is missing.
  bool failureShown = false;
};

}  // namespace tamblet
