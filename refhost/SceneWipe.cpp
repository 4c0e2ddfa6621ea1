#include "refhost/SceneWipe.h"

#include <algorithm>
#include <new>
#include <utility>

namespace refhost {
namespace {

constexpr std::int32_t kBitsPerPixel = 32;

bool sideInRange(std::int32_t side) {
  return side >= 1 && side <= SceneWipe::kMaxSide;
}

// The grey level of a 32-bit pixel: its luminance, weights summing to 256 so white stays 255.
std::uint8_t luminance(const std::uint8_t* pixel) {
  return static_cast<std::uint8_t>((pixel[0] * 28 + pixel[1] * 151 + pixel[2] * 77 + 128) >> 8);
}

}  // namespace

SceneWipe* SceneWipe::create(tamblet::ISurfaceFactory* factory) {
  if (!factory) return nullptr;
  return new (std::nothrow) SceneWipe(factory);
}

SceneWipe::SceneWipe(tamblet::ISurfaceFactory* factory)
    : factory_(tamblet::Ref<tamblet::ISurfaceFactory>::retain(factory)) {}

bool SceneWipe::setRuleImage(std::int32_t number, tamblet::ISurface* grey) {
  if (number < kFirstRuleNumber) return false;
  try {
    if (!grey) {
      ruleBook().erase(number);
      return true;
    }
    const std::int32_t width = grey->GetWidth();
    const std::int32_t height = grey->GetHeight();
    const std::int32_t bpp = grey->GetBpp();
    const bool alphaOnly = !grey->HasPixel() && grey->HasAMap();
    if (!sideInRange(width) || !sideInRange(height)) return false;
    if (alphaOnly ? bpp != 8 : (bpp != 8 && bpp != 32)) return false;

    RuleImage image{width, height, {}};
    image.greys.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    for (std::int32_t y = 0; y < height; ++y) {
      const std::uint8_t* row = alphaOnly ? grey->GetAMapAddress(0, y) : grey->GetPixelAddress(0, y);
      if (!row) return false;
      std::uint8_t* out = image.greys.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width);
      if (bpp == 8) {
        std::copy(row, row + width, out);
      } else {
        for (std::int32_t x = 0; x < width; ++x) out[x] = luminance(row + 4 * static_cast<std::size_t>(x));
      }
    }
    ruleBook()[number] = std::move(image);
    return true;
  } catch (const std::exception&) {
    return false;  // out of memory: the book stays as it was
  }
}

void SceneWipe::clearRuleImages() {
  ruleBook().clear();
}

bool SceneWipe::SetUp(std::int32_t width, std::int32_t height) {
  if (!sideInRange(width) || !sideInRange(height)) return false;
  auto oldPicture = tamblet::Ref<tamblet::ISurface>::adopt(factory_->Create(width, height, kBitsPerPixel));
  auto newPicture = tamblet::Ref<tamblet::ISurface>::adopt(factory_->Create(width, height, kBitsPerPixel));
  for (const auto& made : {oldPicture.get(), newPicture.get()}) {
    if (!made || made->GetBpp() != kBitsPerPixel || made->GetWidth() != width || made->GetHeight() != height ||
        !made->GetPixelAddress(0, 0) || made->GetPitch() < 4 * width) {
      return false;
    }
  }
  std::vector<std::uint16_t> weights;
  try {
    weights.resize(static_cast<std::size_t>(std::max(width, height)));
  } catch (const std::exception&) {
    return false;
  }
  oldPicture_ = std::move(oldPicture);
  newPicture_ = std::move(newPicture);
  weights_ = std::move(weights);
  width_ = width;
  height_ = height;
  running_ = -1;
  rule_ = {};
  return true;
}

bool SceneWipe::Begin(std::int32_t number) {
  if (!oldPicture_ || !hasEffect(number)) return false;
  if (number >= kFirstRuleNumber && !scaledRule(number, width_, height_, &rule_)) return false;
  if (number < kFirstRuleNumber) rule_ = {};
  running_ = number;
  return true;
}

bool SceneWipe::End() {
  if (running_ < 0) return false;
  running_ = -1;
  rule_ = {};
  return true;
}

bool SceneWipe::Compose(tamblet::IMainSurface* mainSurface, float progress) {
  if (running_ < 0 || !mainSurface) return false;
  if (mainSurface->GetBpp() != kBitsPerPixel || !mainSurface->HasPixel()) return false;
  const std::int32_t mainWidth = mainSurface->GetWidth();
  const std::int32_t mainHeight = mainSurface->GetHeight();
  if (mainWidth < 1 || mainHeight < 1) return false;

  wipe::Frame frame;
  frame.oldPicture = planeOf(oldPicture_.get());
  frame.newPicture = planeOf(newPicture_.get());
  frame.output = planeOf(mainSurface);
  frame.pictureWidth = width_;
  frame.pictureHeight = height_;
  frame.width = std::min(mainWidth, width_);
  frame.height = std::min(mainHeight, height_);
  if (!frame.output.pixels || frame.output.pitch < 4 * static_cast<std::int64_t>(frame.width)) return false;

  composeEffect(running_, frame, wipe::progressStep(progress), rule_.data(), weights_);
  return true;
}

std::map<std::int32_t, SceneWipe::RuleImage>& SceneWipe::ruleBook() {
  static std::map<std::int32_t, RuleImage> book;
  return book;
}

void SceneWipe::composeEffect(std::int32_t number, const wipe::Frame& frame, std::int32_t step,
                              const std::uint8_t* rule, std::span<std::uint16_t> weights) {
  switch (number) {
    case kCrossfade:
    case kCrossfadeToo:
      wipe::crossfade(frame, (step * 256 + wipe::kFullStep / 2) >> 16);
      break;
    case kWipeLeftToRight:
      wipe::wipe(frame, wipe::WipeDirection::LeftToRight, step, weights);
      break;
    case kWipeRightToLeft:
      wipe::wipe(frame, wipe::WipeDirection::RightToLeft, step, weights);
      break;
    case kWipeTopToBottom:
      wipe::wipe(frame, wipe::WipeDirection::TopToBottom, step, weights);
      break;
    case kWipeBottomToTop:
      wipe::wipe(frame, wipe::WipeDirection::BottomToTop, step, weights);
      break;
    case kMosaic:
      wipe::mosaic(frame, step);
      break;
    default:
      wipe::ruleWipe(frame, rule, frame.pictureWidth, step);
      break;
  }
}

bool SceneWipe::hasEffect(std::int32_t number) {
  if (number >= kFirstRuleNumber) return ruleBook().contains(number);
  return number >= kCrossfade && number <= kMosaic;
}

bool SceneWipe::scaledRule(std::int32_t number, std::int32_t width, std::int32_t height,
                           std::vector<std::uint8_t>* scaledOut) {
  const auto found = ruleBook().find(number);
  if (found == ruleBook().end() || !scaledOut || width < 1 || height < 1) return false;
  const RuleImage& image = found->second;
  try {
    std::vector<std::uint8_t> scaled(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    std::vector<std::int32_t> columns(static_cast<std::size_t>(width));
    for (std::int32_t x = 0; x < width; ++x) {
      columns[static_cast<std::size_t>(x)] =
          static_cast<std::int32_t>(static_cast<std::int64_t>(x) * image.width / width);
    }
    for (std::int32_t y = 0; y < height; ++y) {
      const auto sourceY = static_cast<std::size_t>(static_cast<std::int64_t>(y) * image.height / height);
      const std::uint8_t* source = image.greys.data() + sourceY * static_cast<std::size_t>(image.width);
      std::uint8_t* out = scaled.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width);
      for (std::int32_t x = 0; x < width; ++x) out[x] = source[columns[static_cast<std::size_t>(x)]];
    }
    *scaledOut = std::move(scaled);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

wipe::Plane SceneWipe::planeOf(tamblet::ISurface* surface) {
  return {surface->GetPixelAddress(0, 0), surface->GetPitch()};
}

}  // namespace refhost
