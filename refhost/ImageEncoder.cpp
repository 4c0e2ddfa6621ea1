#include "refhost/ImageEncoder.h"

#include "refhost/PngCodec.h"

namespace refhost {

tamblet::IMemory* ImageEncoder::Encode(tamblet::ISurface* surface, std::int32_t option) {
  ++encodeCalls_;
  if (!surface || option != kOptionPng) return nullptr;
  try {
    return encodePng(*surface);
  } catch (...) {
    return nullptr;  // nothing may cross the interface
  }
}

}  // namespace refhost
