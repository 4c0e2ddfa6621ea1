#include "refhost/ImageDecoder.h"

#include "refhost/BmpCodec.h"
#include "refhost/Diagnostics.h"
#include "refhost/JpegCodec.h"
#include "refhost/PngCodec.h"

namespace refhost {

ImageDecoder::ImageDecoder(tamblet::ISurfaceFactory& factory)
    : factory_(tamblet::Ref<tamblet::ISurfaceFactory>::retain(&factory)) {}

tamblet::ISurface* ImageDecoder::Decode(const void* data, std::uint32_t size) {
  ++decodeCalls_;
  try {
    std::string why;
    tamblet::ISurface* surface = decode(data, size, &why);
    if (!surface) diagnose("image refused by the decoder: " + why);
    return surface;
  } catch (...) {
    return nullptr;  // the decoders free their own resources; nothing may cross the interface
  }
}

tamblet::ISurface* ImageDecoder::decode(const void* data, std::uint32_t size, std::string* why) {
  std::string reason;
  tamblet::ISurface* surface = nullptr;
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  const std::int32_t format = GetFormat(data, size);
  try {
    switch (format) {
      case tamblet::kImageFormatPng: surface = decodePng(bytes, size, *factory_, &reason); break;
      case tamblet::kImageFormatJpeg: surface = decodeJpeg(bytes, size, *factory_, &reason); break;
      case tamblet::kImageFormatBmp: surface = decodeBmp(bytes, size, *factory_, &reason); break;
      default: break;
    }
  } catch (...) {
    reason = "out of memory";
  }
  if (!surface && why) {
    if (!data || size == 0) *why = "empty";
    else if (format == tamblet::kImageFormatUnknown) *why = "unknown format (not BMP, JPEG or PNG)";
    else *why = std::string(formatName(format)) + ": " + (reason.empty() ? "corrupt" : reason);
  }
  return surface;
}

const char* ImageDecoder::formatName(std::int32_t format) {
  switch (format) {
    case tamblet::kImageFormatPng: return "PNG";
    case tamblet::kImageFormatJpeg: return "JPEG";
    case tamblet::kImageFormatBmp: return "BMP";
    default: return "unknown";
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
