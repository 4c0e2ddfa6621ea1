#include "refhost/ImageDecoder.h"

#include "refhost/BmpCodec.h"
#include "refhost/JpegCodec.h"
#include "refhost/PngCodec.h"

namespace refhost {

ImageDecoder::ImageDecoder(tamblet::ISurfaceFactory& factory)
    : factory_(tamblet::Ref<tamblet::ISurfaceFactory>::retain(&factory)) {}

tamblet::ISurface* ImageDecoder::Decode(const void* data, std::uint32_t size) {
  ++decodeCalls_;
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  try {
    switch (GetFormat(data, size)) {
      case tamblet::kImageFormatPng:
        return decodePng(bytes, size, *factory_);
      case tamblet::kImageFormatJpeg:
        return decodeJpeg(bytes, size, *factory_);
      case tamblet::kImageFormatBmp:
        return decodeBmp(bytes, size, *factory_);
      default:
        return nullptr;
    }
  } catch (...) {
    return nullptr;  // the decoders free their own resources; nothing may cross the interface
  }
}

std::int32_t ImageDecoder::GetFormat(const void* data, std::uint32_t size) {
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  if (isPng(bytes, size)) return tamblet::kImageFormatPng;
  if (isJpeg(bytes, size)) return tamblet::kImageFormatJpeg;
  if (isBmp(bytes, size)) return tamblet::kImageFormatBmp;
  return tamblet::kImageFormatUnknown;
}

}  // namespace refhost
