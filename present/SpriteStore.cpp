#include "present/SpriteStore.h"

#include <algorithm>
#include <new>

#include "present/SpriteDrawStates.h"
#include "report/FixedTexts.h"
#include "report/MessageBoxReporter.h"

namespace tamblet {
namespace {

bool listed(const SpriteRecord& sprite) {
  return !sprite.suspended;
}

// The four vertices of a record, top-left, top-right, bottom-left, bottom-right (strip order).
void writeQuad(const Direct3DSpriteRecord& record, SpriteVertex* out) {
  const std::uint32_t diffuse = record.diffuseColor();
  const SpriteTexture& texture = record.texture;
  // An empty texture (the record is not drawn) gets texture coordinates of 0.
  const float inverseWidth = texture.textureWidth > 0 ? 1.0f / static_cast<float>(texture.textureWidth) : 0.0f;
  const float inverseHeight = texture.textureHeight > 0 ? 1.0f / static_cast<float>(texture.textureHeight) : 0.0f;
  if (record.transformMode == 1) {
    for (int i = 0; i < 4; ++i) {
      const TransformPosition& p = record.transformPositions[i];
      const TextureCoordinate& t = record.transformTexCoords[i];
      out[i] = {p.x - 0.5f,         p.y - 0.5f,         p.z, p.w != 0.0f ? 1.0f / p.w : 0.0f, diffuse,
                t.u * inverseWidth, t.v * inverseHeight};
    }
    return;
  }
  const SurfaceArea& area = record.surfaceArea;
  const bool wholeSprite = area.width < 1 && area.height < 1;
  const float left = static_cast<float>(record.x), top = static_cast<float>(record.y);
  const float right = left + static_cast<float>(wholeSprite ? record.width : area.width);
  const float bottom = top + static_cast<float>(wholeSprite ? record.height : area.height);
  float u0 = 0.0f, v0 = 0.0f, u1, v1;
  if (wholeSprite) {
    u1 = static_cast<float>(texture.sourceWidth) * inverseWidth;
    v1 = static_cast<float>(texture.sourceHeight) * inverseHeight;
  } else {
    u0 = static_cast<float>(area.x) * inverseWidth;
    v0 = static_cast<float>(area.y) * inverseHeight;
    u1 = static_cast<float>(static_cast<std::int64_t>(area.x) + area.width) * inverseWidth;
    v1 = static_cast<float>(static_cast<std::int64_t>(area.y) + area.height) * inverseHeight;
  }
  out[0] = {left - 0.5f, top - 0.5f, 0.5f, 1.0f, diffuse, u0, v0};
  out[1] = {right - 0.5f, top - 0.5f, 0.5f, 1.0f, diffuse, u1, v0};
  out[2] = {left - 0.5f, bottom - 0.5f, 0.5f, 1.0f, diffuse, u0, v1};
  out[3] = {right - 0.5f, bottom - 0.5f, 0.5f, 1.0f, diffuse, u1, v1};
}

}  // namespace

bool SpriteStore::rebuild(IDirect3DDevice9* device, const SpriteTable& table) {
  if (!refreshRecords(device, table)) return false;
  sortDrawList();
  if (!vertexBuffer_.reserve(device,
                             static_cast<std::int32_t>(std::min<std::size_t>(records_.size(), INT32_MAX / 4)) * 4))
    return false;
  if (!writeVertices()) return false;
  return prepareDrawPlugins();
}

// Both walks run over the table and the records side by side, each in ascending sprite number.
bool SpriteStore::refreshRecords(IDirect3DDevice9* device, const SpriteTable& table) {
  const std::span<const std::unique_ptr<SpriteRecord>> sprites = table.records();

  // Destroy the records whose sprite is gone or suspended.
  std::size_t kept = 0, s = 0;
  for (std::unique_ptr<Direct3DSpriteRecord>& record : records_) {
    while (s < sprites.size() && sprites[s]->number < record->number) ++s;
    if (s < sprites.size() && sprites[s]->number == record->number && listed(*sprites[s])) {
      records_[kept++] = std::move(record);
    } else {
      record.reset();
    }
  }
  records_.resize(kept);

  // Refresh those that stay and make the new ones, into a list in sprite-number order.
  scratch_.clear();
  scratch_.reserve(sprites.size());
  bool whiteChecked = false;
  bool ok = true;
  std::size_t r = 0;
  for (const std::unique_ptr<SpriteRecord>& sprite : sprites) {
    if (!listed(*sprite)) continue;
    std::unique_ptr<Direct3DSpriteRecord> record;
    const bool existing = r < records_.size() && records_[r]->number == sprite->number;
    if (existing) {
      record = std::move(records_[r++]);
    } else {
      record.reset(new (std::nothrow) Direct3DSpriteRecord(sprite->number));
      if (!record) {
        report::reportMessageBox(fixedText(FixedText::kD3DSpriteCreateFailed));
        ok = false;
        continue;
      }
    }
    if (!whiteChecked) ensureWhiteTexture(device), whiteChecked = true;
    record->fill(device, *sprite, whiteTexture_.get(), !existing);
    scratch_.push_back(std::move(record));
  }
  records_.swap(scratch_);
  scratch_.clear();
  return ok;
}

void SpriteStore::ensureWhiteTexture(IDirect3DDevice9* device) {
  if (whiteTexture_) return;
  // Reported once until one is made; the store goes on without it.
  whiteTexture_ = createWhiteTexture(device, whiteFailureShown_);
  whiteFailureShown_ = !whiteTexture_;
}

void SpriteStore::sortDrawList() {
  drawList_.clear();
  for (const std::unique_ptr<Direct3DSpriteRecord>& record : records_) drawList_.push_back(record.get());
  // Ties in (z, y, x) go by sprite number, so the order is the same on every run and every path.
  std::sort(drawList_.begin(), drawList_.end(), [](const Direct3DSpriteRecord* a, const Direct3DSpriteRecord* b) {
    if (a->z != b->z) return a->z < b->z;
    if (a->y != b->y) return a->y < b->y;
    if (a->x != b->x) return a->x < b->x;
    return a->number < b->number;
  });
}

bool SpriteStore::writeVertices() {
  if (drawList_.empty()) return true;
  IDirect3DVertexBuffer9* buffer = vertexBuffer_.buffer();
  if (!buffer) return false;
  void* data = nullptr;
  if (!succeeded(buffer->Lock(0, 0, &data, D3DLOCK_DISCARD)) || !data)
    return report::reportMessageBox(fixedText(FixedText::kVertexBufferLockFailed));
  auto* vertices = static_cast<SpriteVertex*>(data);
  std::int32_t first = 0;
  for (Direct3DSpriteRecord* record : drawList_) {
    record->firstVertex = first;
    writeQuad(*record, vertices + first);
    first += 4;
  }
  if (!succeeded(buffer->Unlock())) return report::reportMessageBox(fixedText(FixedText::kVertexBufferUnlockFailed));
  return true;
}

bool SpriteStore::prepareDrawPlugins() const {
  for (const std::unique_ptr<Direct3DSpriteRecord>& record : records_) {
    if (!record->drawPlugin) continue;
    // Held across the call: the plug-in may detach itself from the record while it prepares.
    const Ref<IDXPlugin> plugin = record->drawPlugin;
    if (!plugin->Prepare()) return report::reportMessageBox(fixedText(FixedText::kD3DPluginBuildFailed));
  }
  return true;
}

bool SpriteStore::draw(IDirect3DDevice9* device, RenderStateCache& cache) const {
  bool ok = true;
  for (const Direct3DSpriteRecord* record : drawList_) {
    if (!drawSpriteRecord(device, cache, *record, vertexBuffer_.buffer())) {
      ok = false;
      break;
    }
  }
  if (!drawList_.empty()) resetAfterStore(cache);
  return ok;
}

void SpriteStore::clear() {
  drawList_.clear();
  records_.clear();
  vertexBuffer_.clear();
  whiteTexture_.reset();
  whiteFailureShown_ = false;
}

void SpriteStore::releaseDeviceResources() {
  for (const std::unique_ptr<Direct3DSpriteRecord>& record : records_) {
    record->texture.releaseTexture();
    record->whiteTexture = nullptr;  // the next rebuild hands out the new one
  }
  vertexBuffer_.releaseBuffer();
  whiteTexture_.reset();
}

bool SpriteStore::recreateDeviceResources(IDirect3DDevice9* device) {
  bool ok = true;
  for (const std::unique_ptr<Direct3DSpriteRecord>& record : records_) ok = record->reloadTexture(device) && ok;
  return vertexBuffer_.recreate(device) && ok;
}

void SpriteStore::removePlugin(IDXPlugin* plugin) {
  if (!plugin) return;
  for (const std::unique_ptr<Direct3DSpriteRecord>& record : records_)
    if (record->drawPlugin.get() == plugin) record->drawPlugin.reset();
}

}  // namespace tamblet
