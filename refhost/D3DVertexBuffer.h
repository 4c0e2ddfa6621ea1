// A vertex buffer of the reference Direct3D device (IDirect3DVertexBuffer9): bytes the draw calls
// read through SetStreamSource. Lock with D3DLOCK_DISCARD (dynamic buffers only) hands out a buffer
// whose old contents are gone (filled with 0xCD bytes, so a reader of stale vertices draws garbage
// in tests rather than last frame's quads); locks nest and each needs its Unlock.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "refhost/D3DResource.h"

namespace refhost {

class D3DVertexBuffer final : public D3DResource<D3DVertexBuffer, tamblet::IDirect3DVertexBuffer9> {
 public:
  // A buffer with one reference for the caller; throws std::bad_alloc.
  static D3DVertexBuffer* create(ReferenceDevice& device, std::string label, tamblet::UINT length,
                                 tamblet::DWORD usage, tamblet::DWORD fvf, tamblet::D3DPOOL pool);

  tamblet::D3DRESOURCETYPE TAMBLET_HOSTCALL GetType() override;
  tamblet::HRESULT TAMBLET_HOSTCALL Lock(tamblet::UINT offset, tamblet::UINT size, void** data,
                                         tamblet::DWORD flags) override;
  tamblet::HRESULT TAMBLET_HOSTCALL Unlock() override;
  tamblet::HRESULT TAMBLET_HOSTCALL GetDesc(tamblet::D3DVERTEXBUFFER_DESC* desc) override;

  const std::vector<std::uint8_t>& bytes() const { return bytes_; }

  void firstReference() {}
  void lastReference();

 private:
  D3DVertexBuffer(ReferenceDevice& device, std::string label, tamblet::UINT length, tamblet::DWORD usage,
                  tamblet::DWORD fvf, tamblet::D3DPOOL pool)
      : D3DResource(device, std::move(label), pool, usage, 1), bytes_(length), fvf_(fvf) {}
  ~D3DVertexBuffer() = default;

  LedgerEntry ledger_{"Direct3DVertexBuffer9"};
  std::vector<std::uint8_t> bytes_;
  tamblet::DWORD fvf_;
  int locks_ = 0;
};

}  // namespace refhost
