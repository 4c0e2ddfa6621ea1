// The library's own memory block: a reference-counted, zero-initialised byte buffer handed
// across the boundary as IMemory. Sizes above kMaxSize are refused like exhausted memory, so
// a hostile length never turns into a multi-gigabyte allocation.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <memory>

#include "host/Memory.h"

namespace tamblet {

class CMemory final : public IMemory {
 public:
  // The largest block Alloc and Resize accept (1 GiB).
  static constexpr std::uint32_t kMaxSize = 1u << 30;

  // A new empty block with one reference for the caller, or null when memory runs out.
  static CMemory* create();

  CMemory(const CMemory&) = delete;
  CMemory& operator=(const CMemory&) = delete;

  std::int32_t TAMBLET_HOSTCALL AddRef() override;               // 0
  std::int32_t TAMBLET_HOSTCALL Release() override;              // 1; destroys the block at 0
  bool TAMBLET_HOSTCALL Alloc(std::uint32_t size) override;      // 2
  bool TAMBLET_HOSTCALL Resize(std::uint32_t size) override;     // 3
  void TAMBLET_HOSTCALL Free() override;                         // 4
  std::uint32_t TAMBLET_HOSTCALL GetSize() override;             // 5
  std::uint8_t* TAMBLET_HOSTCALL GetBuffer() override;           // 6
  void TAMBLET_HOSTCALL Destruct(std::uint32_t flags) override;  // 7

 private:
  struct FreeBytes {
    void operator()(std::uint8_t* bytes) const { std::free(bytes); }
  };

  CMemory() = default;
  ~CMemory() = default;

  std::int32_t referenceCount_ = 1;
  std::unique_ptr<std::uint8_t, FreeBytes> bytes_;  // malloc family: calloc zero-fills lazily, realloc keeps bytes
  std::uint32_t size_ = 0;
};

}  // namespace tamblet
