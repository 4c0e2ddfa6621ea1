// A sprite store: the Direct3D sprite records mirroring one sprite table, the order they are drawn
// in, the vertex buffer holding their quads and the white texture draw method 2 fades to. Each
// presented frame rebuilds the store from its table; textures are uploaded only when a sprite's
// surface object changes, and the vertex buffer is rewritten completely.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "host/D3D9.h"
#include "host/Modules.h"
#include "host/Ref.h"
#include "present/Direct3DSpriteRecord.h"
#include "present/RenderStateCache.h"
#include "present/SpriteVertexBuffer.h"
#include "sprite/SpriteTable.h"

namespace tamblet {

class SpriteStore {
 public:
  SpriteStore() = default;
  SpriteStore(const SpriteStore&) = delete;
  SpriteStore& operator=(const SpriteStore&) = delete;

  // Mirrors the table's sprites that are not suspended: destroys the records of sprites gone,
  // creates or refreshes the others, sorts the draw list (ascending z, y, x, then sprite number),
  // grows the vertex buffer to four vertices per record, writes the vertices and calls the
  // attached draw plug-ins' Prepare in sprite-number order. A sprite whose texture cannot be made
  // stays with an empty texture (reported once) and does not fail the rebuild. False (reported)
  // when the vertex buffer cannot be made or written or a Prepare fails; the records refreshed so
  // far keep their new state.
  bool rebuild(IDirect3DDevice9* device, const SpriteTable& table);

  // Draws the records in draw order with `cache` (Direct3D view drawing); the first failure stops
  // the walk. After a non-empty store, blending and stage 0's alpha are reset.
  bool draw(IDirect3DDevice9* device, RenderStateCache& cache) const;

  // Destroys every record, releases the vertex buffer and the white texture.
  void clear();

  // Device loss: every texture, the vertex buffer and the white texture are released; the records,
  // their sizes and the buffer's capacity stay. Reset: every texture is loaded again from its
  // record's surface and the vertex buffer is made again at its capacity; the white texture waits
  // for the next rebuild. False when something could not be made (the next rebuild retries it).
  void releaseDeviceResources();
  bool recreateDeviceResources(IDirect3DDevice9* device);

  // Detaches `plugin` from every record that carries it (releasing the record's reference).
  void removePlugin(IDXPlugin* plugin);

  // ---- What tests and the view read. ----
  std::span<const std::unique_ptr<Direct3DSpriteRecord>> records() const { return records_; }
  std::span<Direct3DSpriteRecord* const> drawList() const { return drawList_; }
  const SpriteVertexBuffer& vertexBuffer() const { return vertexBuffer_; }
  IDirect3DTexture9* whiteTexture() const { return whiteTexture_.get(); }

 private:
  bool refreshRecords(IDirect3DDevice9* device, const SpriteTable& table);
  void ensureWhiteTexture(IDirect3DDevice9* device);
  void sortDrawList();
  bool writeVertices();
  bool prepareDrawPlugins() const;

  // Records in ascending sprite number (the order rebuilds walk the table in); each owned.
  std::vector<std::unique_ptr<Direct3DSpriteRecord>> records_;
  std::vector<Direct3DSpriteRecord*> drawList_;
  SpriteVertexBuffer vertexBuffer_;
  Ref<IDirect3DTexture9> whiteTexture_;
  bool whiteFailureShown_ = false;  // a failed white texture is reported once until one is made
  std::vector<std::unique_ptr<Direct3DSpriteRecord>> scratch_;  // reused by every rebuild
};

}  // namespace tamblet
