// Fuzzes ImageDecoder.dll's decoder with arbitrary bytes: decoding must never crash, read outside
// the input or leak, and whatever decodes must survive a PNG round trip through ImageEncoder.dll
// pixel for pixel. Every surface and memory block must be gone again after each input.
//
// Built only with Clang; the refhost tests leave its seeds in fuzz/decoder_seeds of the build folder.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "host/Ref.h"
#include "refhost/ImageDecoder.h"
#include "refhost/ImageEncoder.h"
#include "refhost/Ledger.h"
#include "refhost/SurfaceFactory.h"

namespace {

// Round trips cost a PNG compression each; larger images are only decoded.
constexpr std::int64_t kRoundTripPixels = 1 << 16;

[[noreturn]] void fail(const char* why) {
  __builtin_printf("decoder_fuzz: %s\n", why);
  std::abort();
}

void checkRoundTrip(tamblet::ISurface& decoded, refhost::ImageDecoder& decoder, refhost::ImageEncoder& encoder) {
  tamblet::IMemory* file = encoder.Encode(&decoded, 0);
  if (!file) fail("a decoded surface could not be encoded");
  tamblet::ISurface* again = decoder.Decode(file->GetBuffer(), file->GetSize());
  file->Release();
  if (!again) fail("an encoded surface could not be decoded");
  const std::int32_t width = decoded.GetWidth();
  if (again->GetWidth() != width || again->GetHeight() != decoded.GetHeight() || again->HasAMap() != decoded.HasAMap())
    fail("the round trip changed the surface's kind or size");
  for (std::int32_t y = 0; y < decoded.GetHeight(); ++y) {
    if (std::memcmp(again->GetPixelAddress(0, y), decoded.GetPixelAddress(0, y), std::size_t(width) * 4) != 0)
      fail("the round trip changed pixels");
  }
  again->Release();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > 0xFFFFFFFFu) return 0;
  // A copy of exactly `size` bytes, so AddressSanitizer catches any read past the input.
  auto* bytes = static_cast<std::uint8_t*>(std::malloc(size ? size : 1));
  if (size) std::memcpy(bytes, data, size);

  const std::int64_t liveBefore = refhost::Ledger::liveObjects();
  {
    auto factory = tamblet::Ref<refhost::SurfaceFactory>::adopt(new refhost::SurfaceFactory());
    auto decoder = tamblet::Ref<refhost::ImageDecoder>::adopt(new refhost::ImageDecoder(*factory));
    auto encoder = tamblet::Ref<refhost::ImageEncoder>::adopt(new refhost::ImageEncoder());
    decoder->GetFormat(bytes, static_cast<std::uint32_t>(size));
    if (tamblet::ISurface* surface = decoder->Decode(bytes, static_cast<std::uint32_t>(size))) {
      if (surface->GetBpp() != 32 || !surface->HasPixel()) fail("a decoded surface is not 32-bit");
      if (std::int64_t{surface->GetWidth()} * surface->GetHeight() <= kRoundTripPixels)
        checkRoundTrip(*surface, *decoder, *encoder);
      surface->Release();
    }
  }
  if (refhost::Ledger::liveObjects() != liveBefore) fail("objects outlived the input");
  std::free(bytes);
  return 0;
}
