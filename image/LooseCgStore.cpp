#include "image/LooseCgStore.h"

#include <cstring>
#include <vector>

#include "host/Ref.h"
#include "platform/Files.h"
#include "report/FixedTexts.h"
#include "report/TextFormatter.h"

namespace tamblet {
namespace {

constexpr FixedText kExtensions[] = {FixedText::kExtensionBmp, FixedText::kExtensionJpg, FixedText::kExtensionPng};

std::string looseName(std::int32_t cg, FixedText extension) {
  char name[64];
  report::formatText(name, sizeof name, fixedText(FixedText::kLooseCgNameFormat), cg, fixedText(extension));
  return name;
}

std::string alphaName(std::int32_t cg) {
  char name[64];
  report::formatText(name, sizeof name, fixedText(FixedText::kLooseAlphaNameFormat), cg);
  return name;
}

// Whether the colour and alpha images can be merged: both 32-bit and the same size, the colour
// image with a pixel plane, the alpha image with an alpha map carried in byte 3 of its pixels.
bool mergeable(ISurface* colour, ISurface* alpha) {
  if (colour->GetBpp() != 32 || alpha->GetBpp() != 32) return false;
  if (!colour->HasPixel() || !alpha->HasAMap()) return false;
  const std::int32_t width = colour->GetWidth(), height = colour->GetHeight();
  if (width < 1 || height < 1 || alpha->GetWidth() != width || alpha->GetHeight() != height) return false;
  return colour->GetPixelAddress(0, 0) != nullptr && alpha->GetPixelAddress(0, 0) != nullptr;
}

// A new 32-bit surface with the colour image's B, G, R and the alpha image's byte 3.
ISurface* merge(ISurface* colour, ISurface* alpha, ISurfaceFactory* factory) {
  const std::int32_t width = colour->GetWidth(), height = colour->GetHeight();
  Ref<ISurface> merged = Ref<ISurface>::adopt(factory->Create(width, height, 32));
  if (!merged) return nullptr;
  for (std::int32_t y = 0; y < height; ++y) {
    const std::uint8_t* from = colour->GetPixelAddress(0, y);
    const std::uint8_t* alphaFrom = alpha->GetPixelAddress(0, y);
    std::uint8_t* to = merged->GetPixelAddress(0, y);
    if (!from || !alphaFrom || !to) return nullptr;
    for (std::int32_t x = 0; x < width; ++x, from += 4, alphaFrom += 4, to += 4) {
      to[0] = from[0];
      to[1] = from[1];
      to[2] = from[2];
      to[3] = alphaFrom[3];
    }
  }
  return merged.detach();
}

}  // namespace

ISurface* decodeWholeFile(const std::string& path, IDecodeCG* decoder) {
  if (!decoder) return nullptr;
  std::optional<std::vector<std::uint8_t>> bytes = platform::readWholeFile(path);
  if (!bytes || bytes->empty()) return nullptr;
  return decoder->Decode(bytes->data(), static_cast<std::uint32_t>(bytes->size()));
}

void LooseCgStore::build(bool enabled) noexcept {
  colourNames_.clear();
  alphaNames_.clear();
  enabled_ = enabled;
  if (!enabled) return;
  try {
    for (std::string& name : platform::listFiles(fixedText(FixedText::kLooseCgFolder)))
      colourNames_.insert(std::move(name));
    for (std::string& name : platform::listFiles(fixedText(FixedText::kLooseAlphaFolder)))
      alphaNames_.insert(std::move(name));
  } catch (...) {
    colourNames_.clear();
    alphaNames_.clear();
  }
}

void LooseCgStore::setNames(std::set<std::string> colourNames, std::set<std::string> alphaNames) {
  colourNames_ = std::move(colourNames);
  alphaNames_ = std::move(alphaNames);
}

std::string LooseCgStore::colourName(std::int32_t cg) const {
  for (FixedText extension : kExtensions) {
    std::string name = looseName(cg, extension);
    if (colourNames_.contains(name)) return name;
  }
  return {};
}

bool LooseCgStore::exists(std::int32_t cg) const {
  return enabled_ && !colourName(cg).empty();
}

ISurface* LooseCgStore::load(std::int32_t cg, IDecodeCG* decoder, ISurfaceFactory* factory) const {
  if (!enabled_ || !decoder) return nullptr;
  const std::string name = colourName(cg);
  if (name.empty()) return nullptr;
  const std::string alpha = alphaName(cg);
  const bool withAlpha = alphaNames_.contains(alpha);

  Ref<ISurface> colour =
      Ref<ISurface>::adopt(decodeWholeFile(fixedText(FixedText::kLooseCgPathPrefix) + name, decoder));
  if (!colour || !withAlpha) return colour.detach();

  Ref<ISurface> alphaImage =
      Ref<ISurface>::adopt(decodeWholeFile(fixedText(FixedText::kLooseAlphaPathPrefix) + alpha, decoder));
  if (!alphaImage || !factory || !mergeable(colour.get(), alphaImage.get())) return nullptr;
  return merge(colour.get(), alphaImage.get(), factory);
}

}  // namespace tamblet
