// Memory blocks that carry bytes across the boundary, and the host's decompression service.
#pragma once

#include <cstdint>

#include "host/IInterface.h"
#include "host/InterfaceId.h"

namespace tamblet {

// A reference-counted byte block. Blocks handed out by any operation carry one reference.
struct IMemory : IInterface {
  virtual bool TAMBLET_HOSTCALL Alloc(std::uint32_t size) = 0;   // 2; size zero bytes; false keeps the old contents
  virtual bool TAMBLET_HOSTCALL Resize(std::uint32_t size) = 0;  // 3; keeps the leading bytes, new ones are zero
  virtual void TAMBLET_HOSTCALL Free() = 0;                      // 4; length 0, storage given back
  virtual std::uint32_t TAMBLET_HOSTCALL GetSize() = 0;          // 5
  virtual std::uint8_t* TAMBLET_HOSTCALL GetBuffer() = 0;        // 6; null when the length is 0
  // 7; the destructor's slot: destroys the contents, and frees the object when bit 0 of the flags is set.
  virtual void TAMBLET_HOSTCALL Destruct(std::uint32_t flags) = 0;

 protected:
  ~IMemory() = default;
};

// OssmerCompressionLibrary.dll.
struct ICompression : IInterface {
  // 2; fills exactly destinationSize bytes from the compressed source; true on success.
  virtual bool TAMBLET_HOSTCALL Decompress(void* destination, std::uint32_t destinationSize, const void* source,
                                           std::uint32_t sourceSize) = 0;

 protected:
  ~ICompression() = default;
};

inline constexpr InterfaceId kIID_ICompression = makeInterfaceId("EDC55CD4-613C-43B9-A515-EC5472F5690C");

}  // namespace tamblet
