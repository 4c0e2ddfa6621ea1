#include "present/DrawnScene.h"

#include <bit>
#include <exception>

namespace tamblet {

void DrawnScene::update(const SpriteTable& table, SceneCompositor::Offset offset, DamageRects& damage) {
  const bool everything =
      !known_ || damage.full() || offset.x != offset_.x || offset.y != offset_.y || damage.screen() != screen_;
  if (!everything && refresh(table, offset, damage)) return;
  rebuild(table, offset, damage, everything);
}

void DrawnScene::forget() {
  drawn_.clear();
  known_ = false;
}

bool DrawnScene::drawnAtAll(const SpriteRecord& record) {
  // The draw list's rule (shown, rate above 0), and a sprite without a surface draws nothing.
  return record.show && record.blendRate > 0 && record.surface;
}

DrawnScene::Look DrawnScene::lookOf(const SpriteRecord& record, const SpriteTable& table) {
  Look look;
  look.number = record.number;
  look.x = record.x, look.y = record.y, look.z = record.z;
  look.blendRate = record.blendRate, look.drawMethod = record.drawMethod;
  look.transformMode = record.transformMode, look.textureFilterType = record.textureFilterType;
  for (int i = 0; i < 4; ++i) look.multiply[i] = record.multiplyColor[i], look.add[i] = record.addColor[i];
  look.surface = record.surface.get();
  look.surfaceStamp = record.surfaceStamp;
  if (record.transformMode == 1) {
    for (int i = 0; i < 4; ++i) {
      const TransformPosition& p = record.transformPositions[i];
      const TextureCoordinate& t = record.transformTexCoords[i];
      const float values[6] = {p.x, p.y, p.z, p.w, t.u, t.v};
      for (int j = 0; j < 6; ++j) look.corners[i][j] = std::bit_cast<std::uint32_t>(values[j]);
    }
    return look;
  }
  const SurfaceArea& area = record.surfaceArea;
  look.area[0] = area.x, look.area[1] = area.y, look.area[2] = area.width, look.area[3] = area.height;
  look.clipperNumber = record.alphaClipperNumber;
  if (record.alphaClipperNumber != -1) {
    if (const SpriteRecord* clipper = table.find(record.alphaClipperNumber)) {
      look.clipperFound = true;
      look.clipperX = clipper->x, look.clipperY = clipper->y;
      look.clipperSurface = clipper->surface.get();
      look.clipperStamp = clipper->surfaceStamp;
    }
  }
  return look;
}

bool DrawnScene::looksAs(const Look& look, const SpriteRecord& record, const SpriteTable& table) {
  if (look.x != record.x || look.y != record.y || look.z != record.z || look.blendRate != record.blendRate ||
      look.drawMethod != record.drawMethod || look.transformMode != record.transformMode ||
      look.textureFilterType != record.textureFilterType || look.surface != record.surface.get() ||
      look.surfaceStamp != record.surfaceStamp) {
    return false;
  }
  for (int i = 0; i < 4; ++i) {
    if (look.multiply[i] != record.multiplyColor[i] || look.add[i] != record.addColor[i]) return false;
  }
  if (record.transformMode == 1) {
    // The look was made in transform mode too, so its area and clipper hold their start values, as lookOf leaves
    // them; only the corners remain.
    for (int i = 0; i < 4; ++i) {
      const TransformPosition& p = record.transformPositions[i];
      const TextureCoordinate& t = record.transformTexCoords[i];
      const float values[6] = {p.x, p.y, p.z, p.w, t.u, t.v};
      for (int j = 0; j < 6; ++j) {
        if (look.corners[i][j] != std::bit_cast<std::uint32_t>(values[j])) return false;
      }
    }
    return true;
  }
  const SurfaceArea& area = record.surfaceArea;
  if (look.area[0] != area.x || look.area[1] != area.y || look.area[2] != area.width || look.area[3] != area.height ||
      look.clipperNumber != record.alphaClipperNumber) {
    return false;
  }
  const SpriteRecord* clipper = record.alphaClipperNumber != -1 ? table.find(record.alphaClipperNumber) : nullptr;
  if (!clipper) return !look.clipperFound;
  return look.clipperFound && look.clipperX == clipper->x && look.clipperY == clipper->y &&
         look.clipperSurface == clipper->surface.get() && look.clipperStamp == clipper->surfaceStamp;
}

bool DrawnScene::refresh(const SpriteTable& table, SceneCompositor::Offset offset, DamageRects& damage) {
  const PixelRect& screen = damage.screen();
  std::size_t next = 0;
  for (const auto& record : table.records()) {
    if (!drawnAtAll(*record)) continue;
    if (next == drawn_.size() || drawn_[next].look.number != record->number) return false;
    Drawn& drawn = drawn_[next++];
    if (looksAs(drawn.look, *record, table)) continue;
    const PixelRect before = drawn.reach;
    drawn.look = lookOf(*record, table);
    drawn.reach = SceneCompositor::reach(*record, table, offset, screen.width, screen.height);
    damage.add(drawn.reach);
    damage.add(before);
  }
  return next == drawn_.size();
}

void DrawnScene::rebuild(const SpriteTable& table, SceneCompositor::Offset offset, DamageRects& damage,
                         bool everything) {
  const PixelRect& screen = damage.screen();
  if (everything) damage.addScreen();
  next_.clear();
  try {
    next_.reserve(table.size());
  } catch (const std::exception&) {
    forget();
    damage.addScreen();
    return;
  }
  // Both lists ascend by sprite number: one walk pairs each sprite with what it drew last time.
  std::size_t old = 0;
  for (const auto& record : table.records()) {
    if (!drawnAtAll(*record)) continue;
    while (old < drawn_.size() && drawn_[old].look.number < record->number) damage.add(drawn_[old++].reach);
    const bool seen = old < drawn_.size() && drawn_[old].look.number == record->number;
    // Reserved above: push_back never allocates.
    if (seen && !everything && looksAs(drawn_[old].look, *record, table)) {
      next_.push_back(drawn_[old++]);
      continue;
    }
    Drawn now{lookOf(*record, table), SceneCompositor::reach(*record, table, offset, screen.width, screen.height)};
    damage.add(now.reach);
    if (seen) damage.add(drawn_[old++].reach);
    next_.push_back(now);
  }
  while (old < drawn_.size()) damage.add(drawn_[old++].reach);
  drawn_.swap(next_);
  offset_ = offset;
  screen_ = screen;
  known_ = true;
}

}  // namespace tamblet
