// The reference host's memory block (IMemory): a reference-counted byte buffer in which the
// host modules hand bytes to the library (the encoder's file image). Counted in the ledger.
#pragma once

#include <cstddef>
#include <cstdint>

#include "host/Memory.h"
#include "refhost/Ledger.h"

namespace refhost {

class MemoryBlock final : public tamblet::IMemory {
 public:
  // The largest block Alloc and Resize accept (1 GiB); larger requests fail like exhausted memory.
  static constexpr std::uint32_t kMaxSize = 1u << 30;

  // A new empty block with one reference for the caller, or null when memory runs out.
  static MemoryBlock* create() noexcept;
  // A block that takes over `bytes` (from malloc/realloc) of length `size`; on failure the bytes
  // are freed and the answer is null.
  static MemoryBlock* adopt(std::uint8_t* bytes, std::size_t size) noexcept;

  MemoryBlock(const MemoryBlock&) = delete;
  MemoryBlock& operator=(const MemoryBlock&) = delete;

  std::int32_t TAMBLET_HOSTCALL AddRef() override;            // 0
  std::int32_t TAMBLET_HOSTCALL Release() override;           // 1; destroys the block at 0
  bool TAMBLET_HOSTCALL Alloc(std::uint32_t size) override;   // 2
  bool TAMBLET_HOSTCALL Resize(std::uint32_t size) override;  // 3
  void TAMBLET_HOSTCALL Free() override;                      // 4
  std::uint32_t TAMBLET_HOSTCALL GetSize() override;          // 5
  std::uint8_t* TAMBLET_HOSTCALL GetBuffer() override;        // 6
  // 7; empties the block, and with bit 0 of the flags also frees the object.
  void TAMBLET_HOSTCALL Destruct(std::uint32_t flags) override;

 private:
  MemoryBlock() = default;
  ~MemoryBlock();

  LedgerEntry ledger_{"MemoryBlock"};
  std::int32_t references_ = 1;
  std::uint8_t* bytes_ = nullptr;  // malloc family, so Resize can realloc
  std::uint32_t size_ = 0;
};

}  // namespace refhost
