// ImageDecoder.dll's decoder (IDecodeCG): BMP, JPEG and PNG file bytes into new 32-bit surfaces
// made by the host's surface factory, and the format code of file bytes by their signature.
#pragma once

#include <cstdint>
#include <string>

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
  // `size` bytes at `data` are read. A refusal is also told to the diagnostic sink.
  tamblet::ISurface* TAMBLET_HOSTCALL Decode(const void* data, std::uint32_t size) override;
  // The same without the sink: the refusal goes to `why` as "<format>: <reason>", e.g.
  // "PNG: truncated", "BMP: too large", "unknown format", "empty".
  tamblet::ISurface* decode(const void* data, std::uint32_t size, std::string* why);
  // kImageFormatBmp, kImageFormatJpeg, kImageFormatPng, or kImageFormatUnknown.
  std::int32_t TAMBLET_HOSTCALL GetFormat(const void* data, std::uint32_t size) override;
  // "BMP", "JPEG", "PNG", or "unknown" for a format code.
  static const char* formatName(std::int32_t format);

  int decodeCalls() const { return decodeCalls_; }

 private:
  LedgerEntry ledger_{"ImageDecoder"};
  tamblet::Ref<tamblet::ISurfaceFactory> factory_;
  int decodeCalls_ = 0;
};

}  // namespace refhost
