#include "present/Direct3DSpriteRecord.h"

#include <algorithm>
#include <cstring>

#include "report/FixedTexts.h"
#include "report/MessageBoxReporter.h"

namespace tamblet {
namespace {

constexpr std::int32_t kLargeTextureLimit = 1024;

std::uint32_t lowByte(std::int32_t value) {
  return static_cast<std::uint32_t>(value) & 0xFFu;
}

}  // namespace

Direct3DSpriteRecord::Fill Direct3DSpriteRecord::fill(IDirect3DDevice9* device, const SpriteRecord& sprite,
                                                      IDirect3DTexture9* storeWhiteTexture, bool newRecord) {
  Fill result = Fill::kDone;
  // (a) The surface and its texture: loaded only when the surface object changed, or again while
  // the texture is missing (its last load failed, or a device reset could not make it).
  ISurface* spriteSurface = sprite.surface.get();
  const bool changed = spriteSurface != surface.get();
  if (changed || !texture.texture) {
    if (changed) {
      surface = sprite.surface;
      failureShown = false;
      if (spriteSurface) {
        const std::int32_t w = spriteSurface->GetWidth(), h = spriteSurface->GetHeight();
        if (w > kLargeTextureLimit || h > kLargeTextureLimit)
          report::reportMessageBox(fixedText(FixedText::kLargeTextureWarning), w, h);
      }
    }
    const SpriteTexture::Load load = texture.load(device, spriteSurface, failureShown);
    if (load == SpriteTexture::Load::kCreateFailed || load == SpriteTexture::Load::kLockFailed) {
      if (!failureShown) {
        report::reportMessageBox(fixedText(FixedText::kD3DSpriteTextureFailed));
        report::reportMessageBox(
            fixedText(newRecord ? FixedText::kD3DSpriteCreateFailed : FixedText::kD3DSpriteRebuildFailed));
        failureShown = true;
      }
      result = Fill::kTextureFailed;
    }
  }

  // (b) The drawing properties.
  x = sprite.x, y = sprite.y;
  width = sprite.width, height = sprite.height;
  blendRate = sprite.blendRate;
  std::copy(std::begin(sprite.multiplyColor), std::end(sprite.multiplyColor), multiplyColor);
  std::copy(std::begin(sprite.addColor), std::end(sprite.addColor), addColor);
  drawMethod = sprite.drawMethod;
  surfaceArea = sprite.surfaceArea;
  transformMode = sprite.transformMode;
  if (transformMode == 1) {
    std::copy(std::begin(sprite.transformPositions), std::end(sprite.transformPositions), transformPositions);
    std::copy(std::begin(sprite.transformTexCoords), std::end(sprite.transformTexCoords), transformTexCoords);
  }
  textureFilterType = sprite.textureFilterType;

  // (c) The draw plug-in: a new one is referenced before the old one is let go.
  if (sprite.drawPlugin.get() != drawPlugin.get()) drawPlugin = sprite.drawPlugin;

  // (d) Z, the flags and the store's white texture.
  z = sprite.z;
  show = sprite.show;
  custom = sprite.custom;
  whiteTexture = storeWhiteTexture;
  return result;
}

bool Direct3DSpriteRecord::reloadTexture(IDirect3DDevice9* device) {
  const SpriteTexture::Load load = texture.load(device, surface.get(), true);
  return load != SpriteTexture::Load::kCreateFailed && load != SpriteTexture::Load::kLockFailed;
}

std::uint32_t Direct3DSpriteRecord::packedAddColor() const {
  return lowByte(addColor[kAlpha]) << 24 | lowByte(addColor[kRed]) << 16 | lowByte(addColor[kGreen]) << 8 |
         lowByte(addColor[kBlue]);
}

std::uint32_t Direct3DSpriteRecord::diffuseColor() const {
  return lowByte(blendRate) << 24 | lowByte(multiplyColor[kRed]) << 16 | lowByte(multiplyColor[kGreen]) << 8 |
         lowByte(multiplyColor[kBlue]);
}

}  // namespace tamblet
