// ImageDecoder.dll's decoder (IDecodeCG): BMP, JPEG and PNG file bytes into new 32-bit surfaces
// made by the host's surface factory, and the format code of file bytes by their signature.
#pragma once

#include <cstdint>

#include "host/Modules.h"
#include "host/Ref.h"
#include "host/Surface.h"
#include "refhost/Ledger.h"
#include "refhost/RefCounted.h"

namespace refhost {

class ImageDecoder final : public RefCounted<ImageDecoder, tamblet::IDecodeCG> {
 public:
  // Keeps a reference to the factory that makes the decoded surfaces.
  explicit ImageDecoder(tamblet::ISurfaceFactory& factory);

  // A new surface with one reference for the caller; null for null or empty data, unknown
  // formats, and files that are truncated, corrupt or larger than the decoders allow. Only the
  // `size` bytes at `data` are read.
  tamblet::ISurface* TAMBLET_HOSTCALL Decode(const void* data, std::uint32_t size) override;
  // kImageFormatBmp, kImageFormatJpeg, kImageFormatPng, or kImageFormatUnknown.
  std::int32_t TAMBLET_HOSTCALL GetFormat(const void* data, std::uint32_t size) override;

  int decodeCalls() const { return decodeCalls_; }

 private:
  LedgerEntry ledger_{"ImageDecoder"};
  tamblet::Ref<tamblet::ISurfaceFactory> factory_;
  int decodeCalls_ = 0;
};

}  // namespace refhost
