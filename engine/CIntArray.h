// The library's reference-counted vector of int32 (IIntArray), used to collect sprite numbers.
// Element accessors answer null instead of reaching outside the elements; growth is capped at
// kMaxSize elements and reported by false, like exhausted memory.
#pragma once

#include <cstdint>
#include <vector>

#include "host/EngineObjects.h"

namespace tamblet {

class CIntArray final : public IIntArray {
 public:
  // The largest element count Resize, Reserve and PushBack accept (64 MiB of elements).
  static constexpr std::uint32_t kMaxSize = 1u << 24;

  // A new empty array with one reference for the caller, or null when memory runs out.
  static CIntArray* create();

  CIntArray(const CIntArray&) = delete;
  CIntArray& operator=(const CIntArray&) = delete;

  std::int32_t TAMBLET_HOSTCALL AddRef() override;                  // 0
  std::int32_t TAMBLET_HOSTCALL Release() override;                 // 1; destroys the array at 0
  std::int32_t* TAMBLET_HOSTCALL At(std::uint32_t index) override;  // 2
  std::int32_t* TAMBLET_HOSTCALL Front() override;                  // 3
  void TAMBLET_HOSTCALL Clear() override;                           // 4
  std::int32_t* TAMBLET_HOSTCALL Begin() override;                  // 5
  bool TAMBLET_HOSTCALL IsEmpty() override;                         // 6
  std::int32_t* TAMBLET_HOSTCALL End() override;                    // 7
  std::int32_t* TAMBLET_HOSTCALL Back() override;                   // 8
  void TAMBLET_HOSTCALL PopBack() override;                         // 9; nothing when empty
  bool TAMBLET_HOSTCALL PushBack(std::int32_t value) override;      // 10
  std::uint32_t TAMBLET_HOSTCALL Size() override;                   // 11
  bool TAMBLET_HOSTCALL Resize(std::uint32_t size) override;        // 12; new elements are 0
  std::uint32_t TAMBLET_HOSTCALL Capacity() override;               // 13
  bool TAMBLET_HOSTCALL Reserve(std::uint32_t capacity) override;   // 14
  void TAMBLET_HOSTCALL Sort() override;                            // 15
  void TAMBLET_HOSTCALL Destruct(std::uint32_t flags) override;     // 16

 private:
  CIntArray() = default;
  ~CIntArray() = default;

  std::int32_t referenceCount_ = 1;
  std::vector<std::int32_t> values_;
};

}  // namespace tamblet
