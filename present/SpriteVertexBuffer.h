// The vertex buffer object of a sprite store: one dynamic, write-only vertex buffer in the default
// pool holding four pre-transformed vertices per record (FVF 0x144: position with rhw, diffuse
// colour, one texture coordinate pair; 28 bytes each). It grows to the records' need and never
// shrinks; after a device loss it keeps its capacity for the reset.
#pragma once

#include <cstdint>

#include "host/D3D9.h"
#include "host/Ref.h"

namespace tamblet {

// One vertex as the device reads it.
struct SpriteVertex {
  float x, y, z, rhw;
  std::uint32_t diffuse;  // 0xAARRGGBB
  float u, v;
};
static_assert(sizeof(SpriteVertex) == 28, "the FVF 0x144 layout is 28 bytes");

class SpriteVertexBuffer {
 public:
  static constexpr DWORD kFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;
  static constexpr std::int32_t kStride = sizeof(SpriteVertex);

  // Makes sure the buffer holds at least `vertices` vertices: a smaller one is recreated at exactly
  // that size, a missing one at the larger of its former capacity and `vertices`. Nothing to do for
  // 0 or fewer. Reports "CreateVertexBuffer" failures; false then.
  bool reserve(IDirect3DDevice9* device, std::int32_t vertices);

  // The device resource only (the capacity stays) / everything.
  void releaseBuffer() { buffer_.reset(); }
  void clear();
  // Recreates the buffer at its former capacity (after a device reset); true when there is none.
  bool recreate(IDirect3DDevice9* device);

  IDirect3DVertexBuffer9* buffer() const { return buffer_.get(); }
  std::int32_t capacity() const { return capacity_; }

 private:
  bool create(IDirect3DDevice9* device, std::int32_t vertices);

  DWORD fvf_ = 0;
  Ref<IDirect3DVertexBuffer9> buffer_;
  std::int32_t capacity_ = 0;  // in vertices
};

}  // namespace tamblet
