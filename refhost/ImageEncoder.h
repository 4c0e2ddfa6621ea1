// ImageEncoder.dll's encoder (IImageEncoder): option 0 makes the complete PNG file of a 32-bit
// surface (RGBA when it has an alpha map, RGB otherwise) in a new memory block.
#pragma once

#include <cstdint>

#include "host/Memory.h"
#include "host/Modules.h"
#include "host/Surface.h"
#include "refhost/Ledger.h"
#include "refhost/RefCounted.h"

namespace refhost {

class ImageEncoder final : public RefCounted<ImageEncoder, tamblet::IImageEncoder> {
 public:
  static constexpr std::int32_t kOptionPng = 0;

  // A block with one reference for the caller; null for other options, a null surface, a
  // surface without 32-bit pixel plane, or when memory runs out.
  tamblet::IMemory* TAMBLET_HOSTCALL Encode(tamblet::ISurface* surface, std::int32_t option) override;

  int encodeCalls() const { return encodeCalls_; }

 private:
  LedgerEntry ledger_{"ImageEncoder"};
  int encodeCalls_ = 0;
};

}  // namespace refhost
