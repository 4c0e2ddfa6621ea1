#include "refhost/MemoryBlock.h"

#include <cstdlib>
#include <cstring>
#include <new>

namespace refhost {

MemoryBlock* MemoryBlock::create() noexcept {
  try {
    return new (std::nothrow) MemoryBlock();
  } catch (...) {
    return nullptr;  // the ledger could not count it
  }
}

MemoryBlock* MemoryBlock::adopt(std::uint8_t* bytes, std::size_t size) noexcept {
  MemoryBlock* block = size <= kMaxSize ? create() : nullptr;
  if (!block) {
    std::free(bytes);
    return nullptr;
  }
  if (size == 0) {
    std::free(bytes);
    bytes = nullptr;
  }
  block->bytes_ = bytes;
  block->size_ = static_cast<std::uint32_t>(size);
  return block;
}

MemoryBlock::~MemoryBlock() {
  std::free(bytes_);
}

std::int32_t MemoryBlock::AddRef() {
  return ++references_;
}

std::int32_t MemoryBlock::Release() {
  const std::int32_t left = --references_;
  if (left == 0) Destruct(1);
  return left;
}

bool MemoryBlock::Alloc(std::uint32_t size) {
  if (size > kMaxSize) return false;
  std::uint8_t* fresh = nullptr;
  if (size != 0) {
    fresh = static_cast<std::uint8_t*>(std::calloc(size, 1));
    if (!fresh) return false;
  }
  std::free(bytes_);
  bytes_ = fresh;
  size_ = size;
  return true;
}

bool MemoryBlock::Resize(std::uint32_t size) {
  if (size > kMaxSize) return false;
  if (size == 0) {
    Free();
    return true;
  }
  auto* grown = static_cast<std::uint8_t*>(std::realloc(bytes_, size));
  if (!grown) return false;
  if (size > size_) std::memset(grown + size_, 0, size - size_);
  bytes_ = grown;
  size_ = size;
  return true;
}

void MemoryBlock::Free() {
  std::free(bytes_);
  bytes_ = nullptr;
  size_ = 0;
}

std::uint32_t MemoryBlock::GetSize() {
  return size_;
}

std::uint8_t* MemoryBlock::GetBuffer() {
  return size_ == 0 ? nullptr : bytes_;
}

void MemoryBlock::Destruct(std::uint32_t flags) {
  if (flags & 1u) {
    delete this;
  } else {
    Free();
  }
}

}  // namespace refhost
