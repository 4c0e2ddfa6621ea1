#include "refhost/D3DVertexBuffer.h"

#include <algorithm>

#include "refhost/D3DConstants.h"
#include "refhost/ReferenceDevice.h"

namespace refhost {

using namespace tamblet;

D3DVertexBuffer* D3DVertexBuffer::create(ReferenceDevice& device, std::string label, UINT length, DWORD usage, DWORD fvf,
                                         D3DPOOL pool) {
  return new D3DVertexBuffer(device, std::move(label), length, usage, fvf, pool);
}

void D3DVertexBuffer::lastReference() {
  ReferenceDevice& owner = device();
  owner.forget(this);
  delete this;
  d3d_detail::releaseDeviceReference(owner);
}

D3DRESOURCETYPE D3DVertexBuffer::GetType() {
  log().enter(label().c_str(), "GetType");
  return D3DRTYPE_VERTEXBUFFER;
}

HRESULT D3DVertexBuffer::Lock(UINT offset, UINT size, void** data, DWORD flags) {
  if (log().enter(label().c_str(), "Lock", offset, size, flags) || !data) return D3DERR_INVALIDCALL;
  const std::size_t length = bytes_.size();
  if (offset > length || (size != 0 && size > length - offset)) return D3DERR_INVALIDCALL;
  if ((flags & D3DLOCK_DISCARD) && !(usage() & D3DUSAGE_DYNAMIC)) return D3DERR_INVALIDCALL;
  if ((flags & D3DLOCK_DISCARD) && locks_ == 0) std::fill(bytes_.begin(), bytes_.end(), std::uint8_t{0xCD});
  *data = bytes_.data() + offset;
  ++locks_;
  return D3D_OK;
}

HRESULT D3DVertexBuffer::Unlock() {
  if (log().enter(label().c_str(), "Unlock") || locks_ == 0) return D3DERR_INVALIDCALL;
  --locks_;
  return D3D_OK;
}

HRESULT D3DVertexBuffer::GetDesc(D3DVERTEXBUFFER_DESC* desc) {
  if (log().enter(label().c_str(), "GetDesc") || !desc) return D3DERR_INVALIDCALL;
  *desc = {D3DFMT_VERTEXDATA, D3DRTYPE_VERTEXBUFFER, usage(), pool(), static_cast<UINT>(bytes_.size()), fvf_};
  return D3D_OK;
}

}  // namespace refhost
