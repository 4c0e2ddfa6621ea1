// OssmerCompressionLibrary.dll's decompression (ICompression): zlib streams.
#pragma once

#include <cstdint>

#include "host/Memory.h"
#include "refhost/Ledger.h"
#include "refhost/RefCounted.h"

namespace refhost {

class Compression final : public RefCounted<Compression, tamblet::ICompression> {
 public:
  // True only when the source is one complete zlib stream of exactly destinationSize bytes.
  bool TAMBLET_HOSTCALL Decompress(void* destination, std::uint32_t destinationSize, const void* source,
                                   std::uint32_t sourceSize) override;

  int decompressCalls() const { return decompressCalls_; }

 private:
  LedgerEntry ledger_{"Compression"};
  int decompressCalls_ = 0;
};

}  // namespace refhost
