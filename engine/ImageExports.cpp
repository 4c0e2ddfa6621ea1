// The image family of exports: giving sprites CGs (whole, cut out, from a file), saving a
// sprite's image, asking about CGs (existence, measurements, format code) and the two pixel
// utilities that rewrite a sprite's own pixels. Each checks its own arguments and forwards to the
// engine core's CG sources and sprite table; before Init every one answers its failure value.
#include <algorithm>
#include <cstdint>
#include <string>

#include "engine/CVELM.h"
#include "engine/Exports.h"
#include "engine/HostBinding.h"
#include "platform/Files.h"
#include "report/TextFormatter.h"
#include "sprite/MatchingSurface.h"

using namespace tamblet;

namespace {

CVELM& engine() {
  return CVELM::instance();
}

// The seven CG measurements CG_GetMetrics hands to the script, in member order.
constexpr std::int32_t kMetricCount = 7;
// The buffer the member-type message is formatted into.
constexpr std::size_t kMetricsMessageSize = 512;

// A sprite's surface made safe to write, as the surface lookup's writable operation gives it: an
// unusable sprite number (absent, without surface, copy failed) is reported with its text.
ISurface* writableSurfaceOrReport(CVelmEngine& core, std::int32_t sprite) {
  if (core.sprites.liveTable.find(sprite)) {
    if (ISurface* surface = core.sprites.liveTable.writableSurface(sprite)) return surface;
  }
  engine().report(FixedText::kInvalidSpriteNumber, sprite);
  return nullptr;
}

// Half-open column and row ranges of a destination and an equally sized source rectangle.
struct Span {
  std::int64_t begin, end;
  bool empty() const { return begin >= end; }
};

// Clips `lead` to start at 0 and end at `limit`, moving `follower` by the same amounts, so the
// two stay the same length.
void clipStart(Span& lead, Span& follower) {
  if (lead.begin < 0) {
    follower.begin -= lead.begin;
    lead.begin = 0;
  }
}
void clipEnd(Span& lead, Span& follower, std::int64_t limit) {
  if (lead.end > limit) {
    const std::int64_t excess = lead.end - limit;
    lead.end -= excess;
    follower.end -= excess;
  }
}

// Copies B, G, R of every source pixel whose alpha reaches the threshold; alpha is never written.
void blendRows(ISurface* destination, Span dx, Span dy, ISurface* source, Span sx, Span sy, std::uint8_t threshold) {
  const auto width = static_cast<std::int32_t>(dx.end - dx.begin);
  for (std::int64_t row = 0; row < dy.end - dy.begin; ++row) {
    std::uint8_t* to =
        destination->GetPixelAddress(static_cast<std::int32_t>(dx.begin), static_cast<std::int32_t>(dy.begin + row));
    const std::uint8_t* from =
        source->GetPixelAddress(static_cast<std::int32_t>(sx.begin), static_cast<std::int32_t>(sy.begin + row));
    if (!to || !from) return;
    for (std::int32_t x = 0; x < width; ++x, to += 4, from += 4) {
      if (from[3] >= threshold) {
        to[0] = from[0];
        to[1] = from[1];
        to[2] = from[2];
      }
    }
  }
}

// Rotates B, G, R of every pixel in the rectangle one way (turn 1) or the other (turn 2).
void rotateRows(ISurface* surface, Span xs, Span ys, std::int32_t turn) {
  const auto width = static_cast<std::int32_t>(xs.end - xs.begin);
  for (std::int64_t y = ys.begin; y < ys.end; ++y) {
    std::uint8_t* p = surface->GetPixelAddress(static_cast<std::int32_t>(xs.begin), static_cast<std::int32_t>(y));
    if (!p) return;
    for (std::int32_t x = 0; x < width; ++x, p += 4) {
      const std::uint8_t blue = p[0], green = p[1], red = p[2];
      if (turn == 1) {
        p[0] = red;
        p[1] = blue;
        p[2] = green;
      } else {
        p[0] = green;
        p[1] = red;
        p[2] = blue;
      }
    }
  }
}

}  // namespace

// ---- Giving sprites images ----

TAMBLET_EXPORT std::int32_t SP_SetCG(std::int32_t nSP, std::int32_t nCG) {
  return guardedExport<std::int32_t>(0, [&] {
    CVelmEngine* core = engine().core();
    if (!core) return 0;
    if (nSP < 1 || nCG < 1) {
      engine().report(FixedText::kSpSetCgBadArgument, nSP, nCG);
      return 0;
    }
    Ref<ISurface> surface = Ref<ISurface>::adopt(core->cgSources.getCGSurface(nCG));
    if (!surface) return 0;
    return boolResult(core->sprites.liveTable.setSurface(nSP, surface.get()));
  });
}

// Cuts (x, y, width, height) out of the CG, clipped to it, into a surface of its own kind.
TAMBLET_EXPORT std::int32_t SP_SetCutCG(std::int32_t nSP, std::int32_t nCG, std::int32_t x, std::int32_t y,
                                        std::int32_t width, std::int32_t height) {
  return guardedExport<std::int32_t>(0, [&] {
    CVelmEngine* core = engine().core();
    if (!core) return 0;
    Ref<ISurface> source = Ref<ISurface>::adopt(core->cgSources.getCGSurface(nCG));
    if (!source) return 0;
    // 64-bit arithmetic: x + width cannot overflow, and the results equal 32-bit ones wherever those fit.
    std::int64_t left = x, top = y, w = width, h = height;
    const std::int64_t sourceWidth = source->GetWidth(), sourceHeight = source->GetHeight();
    if (left < 0) {
      w += left;
      left = 0;
    }
    if (left + w > sourceWidth) w = sourceWidth - left;
    if (top < 0) {
      h += top;
      top = 0;
    }
    if (top + h > sourceHeight) h = sourceHeight - top;
    if (w < 1 || h < 1) return 0;
    const auto cutWidth = static_cast<std::int32_t>(w), cutHeight = static_cast<std::int32_t>(h);
    Ref<ISurface> target =
        makeMatchingSurface(*core->surfaceFactory, *source, cutWidth, cutHeight, source->GetBpp());
    if (!target) return 0;
    core->rasterOperations->Copy(target.get(), 0, 0, source.get(), static_cast<std::int32_t>(left),
                                 static_cast<std::int32_t>(top), cutWidth, cutHeight);
    source.reset();
    return boolResult(core->sprites.liveTable.setSurface(nSP, target.get()));
  });
}

TAMBLET_EXPORT std::int32_t SP_SetCGFromFile(std::int32_t nSP, IString* fileName) {
  return guardedExport<std::int32_t>(0, [&] {
    CVelmEngine* core = engine().core();
    if (!core || !fileName) return 0;
    const char* text = fileName->GetText();
    if (!text) return 0;
    Ref<ISurface> surface = Ref<ISurface>::adopt(core->cgSources.loadSurfaceFromFile(text));
    if (!surface) return 0;
    return boolResult(core->sprites.liveTable.setSurface(nSP, surface.get()));
  });
}

// Encodes the sprite's image with the host encoder and writes it whole, replacing the file only
// once the new contents are complete.
TAMBLET_EXPORT std::int32_t SP_SaveCG(std::int32_t nSP, IString* fileName) {
  return guardedExport<std::int32_t>(0, [&] {
    CVelmEngine* core = engine().core();
    if (!core) return 0;
    Ref<IImageEncoder>& encoder = engine().binding.imageEncoder;
    if (!encoder) encoder = bindModule<IImageEncoder>(kModuleImageEncoder, kIID_IImageEncoder);
    if (!encoder) return 0;  // asked again by the next call
    const char* text = fileName ? fileName->GetText() : nullptr;
    if (!text || nSP < 1) return 0;
    const SpriteRecord* record = core->sprites.liveTable.find(nSP);
    if (!record || !record->surface) return 0;
    Ref<IMemory> block = Ref<IMemory>::adopt(encoder->Encode(record->surface.get(), 0));
    if (!block) return 0;
    const std::uint32_t size = block->GetSize();
    const std::uint8_t* bytes = block->GetBuffer();
    if (size == 0 || !bytes) return 0;  // an empty encoding is no image: the old file stays
    return boolResult(platform::writeWholeFileAtomically(text, bytes, size));
  });
}

// ---- Questions about CGs ----

TAMBLET_EXPORT std::int32_t CG_IsExist(std::int32_t nCG) {
  return guardedExport<std::int32_t>(0, [&] {
    CVelmEngine* core = engine().core();
    return core ? boolResult(core->cgSources.cgExists(nCG)) : 0;
  });
}

// Fills the first seven integer members of the script's structure with the CG's measurements;
// the structure is checked whole before anything is written.
TAMBLET_EXPORT std::int32_t CG_GetMetrics(std::int32_t nCG, IVMStruct* metrics) {
  return guardedExport<std::int32_t>(0, [&] {
    CVelmEngine* core = engine().core();
    if (!core) return 0;
    std::int32_t values[kMetricCount];
    {
      Ref<ISurface> surface = Ref<ISurface>::adopt(core->cgSources.getCGSurface(nCG));
      if (!surface) return 0;
      values[0] = surface->GetWidth();
      values[1] = surface->GetHeight();
      values[2] = surface->GetBpp();
      values[3] = surface->GetPitch();
      values[4] = surface->GetAMapPitch();
      values[5] = boolResult(surface->HasPixel());
      values[6] = boolResult(surface->HasAMap());
    }
    if (!metrics) return 0;
    if (metrics->GetMemberCount() < kMetricCount) {
      engine().reportLiteral(fixedText(FixedText::kCgMetricsTooFewMembers));
      return 0;
    }
    for (std::int32_t member = 0; member < kMetricCount; ++member) {
      if (metrics->GetMemberType(member) != kVMTypeInt) {
        char message[kMetricsMessageSize];
        report::formatText(message, sizeof message, fixedText(FixedText::kCgMetricsBadMemberType), member);
        engine().reportLiteral(message);
        return 0;
      }
    }
    for (std::int32_t member = 0; member < kMetricCount; ++member) metrics->SetMember(member, &values[member]);
    return 1;
  });
}

TAMBLET_EXPORT std::int32_t CG_GetFormat(std::int32_t nCG) {
  return guardedExport<std::int32_t>(-1, [&] {
    CVelmEngine* core = engine().core();
    return core ? core->cgSources.cgFormat(nCG) : -1;
  });
}

// ---- Pixel utilities ----

// Copies the colour of the source sprite's pixels onto the destination sprite wherever the
// source alpha reaches the threshold. Both images are made private to their sprites first.
TAMBLET_EXPORT std::int32_t CG_BlendAMapBin(std::int32_t nDestSP, std::int32_t dx, std::int32_t dy, std::int32_t nSrcSP,
                                            std::int32_t sx, std::int32_t sy, std::int32_t width, std::int32_t height,
                                            std::int32_t threshold) {
  return guardedExport<std::int32_t>(0, [&] {
    CVelmEngine* core = engine().core();
    if (!core) return 0;
    ISurface* destination = writableSurfaceOrReport(*core, nDestSP);
    if (!destination || !destination->HasPixel()) return 0;
    ISurface* source = writableSurfaceOrReport(*core, nSrcSP);
    if (!source || !source->HasPixel() || !source->HasAMap()) return 0;
    // Rows are walked four bytes a pixel: anything but 32-bit pixels would be read past its end.
    if (destination->GetBpp() != 32 || source->GetBpp() != 32) return 0;

    Span dxs{dx, std::int64_t{dx} + width}, dys{dy, std::int64_t{dy} + height};
    Span sxs{sx, std::int64_t{sx} + width}, sys{sy, std::int64_t{sy} + height};
    clipStart(dxs, sxs);
    clipStart(dys, sys);
    clipEnd(dxs, sxs, destination->GetWidth());
    clipEnd(dys, sys, destination->GetHeight());
    clipStart(sxs, dxs);
    clipStart(sys, dys);
    clipEnd(sxs, dxs, source->GetWidth());
    clipEnd(sys, dys, source->GetHeight());
    if (dxs.empty() || dys.empty() || sxs.empty() || sys.empty()) return 0;

    const auto limit = static_cast<std::uint8_t>(std::clamp(threshold, 0, 255));
    blendRows(destination, dxs, dys, source, sxs, sys, limit);
    return 1;
  });
}

// Rotates the colour channels of a rectangle of the sprite's image by `turns` steps (mod 3).
TAMBLET_EXPORT std::int32_t CG_RotateRGB(std::int32_t nSP, std::int32_t x, std::int32_t y, std::int32_t width,
                                         std::int32_t height, std::int32_t turns) {
  return guardedExport<std::int32_t>(0, [&] {
    CVelmEngine* core = engine().core();
    if (!core) return 0;
    ISurface* surface = writableSurfaceOrReport(*core, nSP);
    if (!surface || !surface->HasPixel() || surface->GetBpp() != 32) return 0;
    const Span xs{std::max<std::int64_t>(x, 0), std::min<std::int64_t>(std::int64_t{x} + width, surface->GetWidth())};
    const Span ys{std::max<std::int64_t>(y, 0), std::min<std::int64_t>(std::int64_t{y} + height, surface->GetHeight())};
    if (xs.empty() || ys.empty()) return 0;
    const std::int32_t turn = turns % 3;
    if (turn == 0) return 0;
    rotateRows(surface, xs, ys, turn);
    return 1;
  });
}
