#include "image/CMemory.h"

#include <cstring>
#include <new>

namespace tamblet {

CMemory* CMemory::create() {
  return new (std::nothrow) CMemory();
}

std::int32_t CMemory::AddRef() {
  return ++referenceCount_;
}

std::int32_t CMemory::Release() {
  if (--referenceCount_ > 0) return referenceCount_;
  Destruct(1);
  return 0;
}

bool CMemory::Alloc(std::uint32_t size) {
  if (size > kMaxSize) return false;
  if (size == 0) {
    Free();
    return true;
  }
  // calloc hands out zeroed bytes without a second fill (fresh pages come zeroed from the system).
  auto* fresh = static_cast<std::uint8_t*>(std::calloc(size, 1));
  if (!fresh) return false;
  bytes_.reset(fresh);
  size_ = size;
  return true;
}

bool CMemory::Resize(std::uint32_t size) {
  if (size > kMaxSize) return false;
  if (size == 0) {
    Free();
    return true;
  }
  // realloc keeps the leading bytes and leaves the old block untouched when it fails.
  auto* grown = static_cast<std::uint8_t*>(std::realloc(bytes_.get(), size));
  if (!grown) return false;
  (void)bytes_.release();
  bytes_.reset(grown);
  if (size > size_) std::memset(grown + size_, 0, size - size_);
  size_ = size;
  return true;
}

void CMemory::Free() {
  bytes_.reset();
  size_ = 0;
}

std::uint32_t CMemory::GetSize() {
  return size_;
}

std::uint8_t* CMemory::GetBuffer() {
  return size_ == 0 ? nullptr : bytes_.get();
}

void CMemory::Destruct(std::uint32_t flags) {
  Free();
  if (flags & 1) delete this;
}

}  // namespace tamblet
