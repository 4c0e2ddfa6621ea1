#include "present/SpriteVertexBuffer.h"

#include <algorithm>

#include "report/FixedTexts.h"
#include "report/MessageBoxReporter.h"

namespace tamblet {
namespace {

// The largest buffer whose byte length fits the UINT the device takes.
constexpr std::int32_t kMostVertices = INT32_MAX / SpriteVertexBuffer::kStride;

}  // namespace

bool SpriteVertexBuffer::reserve(IDirect3DDevice9* device, std::int32_t vertices) {
  if (vertices <= 0) return true;
  if (buffer_ && capacity_ >= vertices) return true;
  return create(device, buffer_ ? vertices : std::max(capacity_, vertices));
}

bool SpriteVertexBuffer::create(IDirect3DDevice9* device, std::int32_t vertices) {
  fvf_ = kFvf;
  buffer_.reset();
  capacity_ = 0;
  IDirect3DVertexBuffer9* buffer = nullptr;
  if (!device || vertices > kMostVertices ||
      !succeeded(device->CreateVertexBuffer(static_cast<UINT>(vertices * kStride),
                                            D3DUSAGE_WRITEONLY | D3DUSAGE_DYNAMIC, fvf_, D3DPOOL_DEFAULT, &buffer,
                                            nullptr)) ||
      !buffer) {
    return report::reportMessageBox(fixedText(FixedText::kVertexBufferCreateFailed));
  }
  buffer_ = Ref<IDirect3DVertexBuffer9>::adopt(buffer);
  capacity_ = vertices;
  return true;
}

void SpriteVertexBuffer::clear() {
  buffer_.reset();
  capacity_ = 0;
}

bool SpriteVertexBuffer::recreate(IDirect3DDevice9* device) {
  if (capacity_ <= 0) return true;
  const std::int32_t vertices = capacity_;
  if (create(device, vertices)) return true;
  capacity_ = vertices;  // kept, so the next rebuild tries the same size again
  return false;
}

}  // namespace tamblet
