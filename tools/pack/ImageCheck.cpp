#include "tools/pack/ImageCheck.h"

#include <cstdio>
#include <limits>

#include "host/Ref.h"
#include "refhost/ImageDecoder.h"
#include "refhost/ImageLimits.h"
#include "refhost/SurfaceFactory.h"

namespace tamblet::pack {

ImageVerdict checkImage(std::span<const std::uint8_t> bytes, SizeLimit limit) {
  ImageVerdict verdict;
  if (bytes.size() > std::numeric_limits<std::uint32_t>::max()) {
    verdict.reason = "too large a file";
    return verdict;
  }
  auto factory = Ref<refhost::SurfaceFactory>::adopt(new refhost::SurfaceFactory());
  auto decoder = Ref<refhost::ImageDecoder>::adopt(new refhost::ImageDecoder(*factory));
  const auto size = static_cast<std::uint32_t>(bytes.size());
  verdict.format = refhost::ImageDecoder::formatName(decoder->GetFormat(bytes.data(), size));
  auto surface = Ref<ISurface>::adopt(decoder->decode(bytes.data(), size, &verdict.reason));
  if (!surface) return verdict;
  verdict.width = surface->GetWidth();
  verdict.height = surface->GetHeight();
  if (verdict.width > limit.width || verdict.height > limit.height) {
    verdict.reason = "too large: " + std::to_string(verdict.width) + " × " + std::to_string(verdict.height) +
                     " (limit " + std::to_string(limit.width) + " × " + std::to_string(limit.height) + ")";
    return verdict;
  }
  verdict.ok = true;
  return verdict;
}

bool parseSizeLimit(const std::string& text, SizeLimit& limit) {
  int width = 0, height = 0, used = 0;
  const int read = std::sscanf(text.c_str(), "%dx%d%n", &width, &height, &used);
  if (read == 2 && used == static_cast<int>(text.size())) {
  } else if (std::sscanf(text.c_str(), "%d%n", &width, &used) == 1 && used == static_cast<int>(text.size())) {
    height = width;
  } else {
    return false;
  }
  if (width < 1 || height < 1 || width > refhost::kMaxImageSide || height > refhost::kMaxImageSide) return false;
  limit = {width, height};
  return true;
}

}  // namespace tamblet::pack
