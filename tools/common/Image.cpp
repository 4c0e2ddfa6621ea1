#include "tools/common/Image.h"

#include <algorithm>
#include <cstring>

namespace tamblet::tools {

Image captureSurface(ISurface& surface) {
  Image image;
  const std::int32_t width = surface.GetWidth();
  const std::int32_t height = surface.GetHeight();
  const std::uint8_t* first = surface.GetPixelAddress(0, 0);
  const std::int32_t pitch = surface.GetPitch();
  if (width <= 0 || height <= 0 || !first || surface.GetBpp() != 32 || pitch < width * 4) return image;
  image.width = width;
  image.height = height;
  image.rgb.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3);
  std::uint8_t* out = image.rgb.data();
  for (std::int32_t y = 0; y < height; ++y) {
    const std::uint8_t* row = first + static_cast<std::ptrdiff_t>(y) * pitch;
    for (std::int32_t x = 0; x < width; ++x, out += 3) {
      out[0] = row[x * 4 + 2];
      out[1] = row[x * 4 + 1];
      out[2] = row[x * 4 + 0];
    }
  }
  return image;
}

Image thumbnail(const Image& source, std::int32_t maxWidth, std::int32_t maxHeight) {
  if (source.empty() || maxWidth <= 0 || maxHeight <= 0) return {};
  const double scale = std::min({1.0, static_cast<double>(maxWidth) / source.width,
                                 static_cast<double>(maxHeight) / source.height});
  Image out;
  out.width = std::max(1, static_cast<std::int32_t>(source.width * scale));
  out.height = std::max(1, static_cast<std::int32_t>(source.height * scale));
  out.rgb.resize(static_cast<std::size_t>(out.width) * static_cast<std::size_t>(out.height) * 3);
  for (std::int32_t y = 0; y < out.height; ++y) {
    const std::int32_t y0 = static_cast<std::int32_t>(static_cast<std::int64_t>(y) * source.height / out.height);
    const std::int32_t y1 = std::max(y0 + 1, static_cast<std::int32_t>(static_cast<std::int64_t>(y + 1) * source.height / out.height));
    for (std::int32_t x = 0; x < out.width; ++x) {
      const std::int32_t x0 = static_cast<std::int32_t>(static_cast<std::int64_t>(x) * source.width / out.width);
      const std::int32_t x1 = std::max(x0 + 1, static_cast<std::int32_t>(static_cast<std::int64_t>(x + 1) * source.width / out.width));
      std::uint64_t sum[3] = {0, 0, 0};
      for (std::int32_t sy = y0; sy < y1; ++sy) {
        const std::uint8_t* row = source.rgb.data() + (static_cast<std::size_t>(sy) * source.width + x0) * 3;
        for (std::int32_t sx = x0; sx < x1; ++sx, row += 3) {
          sum[0] += row[0];
          sum[1] += row[1];
          sum[2] += row[2];
        }
      }
      const std::uint64_t area = static_cast<std::uint64_t>(y1 - y0) * static_cast<std::uint64_t>(x1 - x0);
      std::uint8_t* pixel = out.rgb.data() + (static_cast<std::size_t>(y) * out.width + x) * 3;
      for (int c = 0; c < 3; ++c) pixel[c] = static_cast<std::uint8_t>((sum[c] + area / 2) / area);
    }
  }
  return out;
}

Image contactSheet(const std::vector<Image>& pictures, std::int32_t columns, std::int32_t gap) {
  if (pictures.empty() || columns <= 0 || gap < 0) return {};
  std::int32_t cellWidth = 1, cellHeight = 1;
  for (const Image& picture : pictures) {
    cellWidth = std::max(cellWidth, picture.width);
    cellHeight = std::max(cellHeight, picture.height);
  }
  const auto count = static_cast<std::int32_t>(pictures.size());
  columns = std::min(columns, count);
  const std::int32_t rows = (count + columns - 1) / columns;
  Image sheet;
  sheet.width = columns * (cellWidth + gap) + gap;
  sheet.height = rows * (cellHeight + gap) + gap;
  sheet.rgb.assign(static_cast<std::size_t>(sheet.width) * static_cast<std::size_t>(sheet.height) * 3, 0x20);
  for (std::int32_t i = 0; i < count; ++i) {
    const Image& picture = pictures[static_cast<std::size_t>(i)];
    const std::int32_t left = gap + (i % columns) * (cellWidth + gap);
    const std::int32_t top = gap + (i / columns) * (cellHeight + gap);
    for (std::int32_t y = 0; y < picture.height; ++y) {
      std::memcpy(sheet.rgb.data() + (static_cast<std::size_t>(top + y) * sheet.width + left) * 3,
                  picture.rgb.data() + static_cast<std::size_t>(y) * picture.width * 3,
                  static_cast<std::size_t>(picture.width) * 3);
    }
  }
  return sheet;
}

}  // namespace tamblet::tools
