#include "refhost/CaptureService.h"

#include <cstring>

namespace refhost {

void CaptureService::GetCapture(std::int32_t kind, void** capture) {
  if (kind != 0 || !capture) return;
  const std::int32_t width = mainSurface_.GetWidth();
  const std::int32_t height = mainSurface_.GetHeight();
  const std::uint8_t* first = mainSurface_.GetPixelAddress(0, 0);
  if (width < 1 || height < 1 || !first || mainSurface_.GetBpp() != 32) return;
  try {
    capture_.pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  } catch (const std::exception&) {
    return;
  }
  capture_.width = width;
  capture_.height = height;
  const std::size_t rowBytes = static_cast<std::size_t>(width) * 4;
  for (std::int32_t y = 0; y < height; ++y) {
    std::memcpy(capture_.pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width),
                first + static_cast<std::int64_t>(y) * mainSurface_.GetPitch(), rowBytes);
  }
  ++capturesTaken_;
  *capture = &capture_;
}

}  // namespace refhost
