// An RGB picture held by the player: frames taken from the main surface, their thumbnails and the
// contact sheet. Rows are top-down, three bytes per pixel, no padding.
#pragma once

#include <cstdint>
#include <vector>

#include "host/Surface.h"

namespace tamblet::tools {

struct Image {
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::vector<std::uint8_t> rgb;

  bool empty() const { return width <= 0 || height <= 0; }
};

// The colour of a 32-bit surface (bytes B, G, R, A per pixel), alpha ignored; empty when the
// surface has no pixel plane or another depth.
Image captureSurface(ISurface& surface);

// `source` scaled down to at most `maxWidth` × `maxHeight`, keeping its shape, each pixel the
// average of the source pixels it covers. Never scales up.
Image thumbnail(const Image& source, std::int32_t maxWidth, std::int32_t maxHeight);

// A grid of the pictures (each in a cell of the largest one's size), `columns` wide, on a dark
// background with `gap` pixels around every cell.
Image contactSheet(const std::vector<Image>& pictures, std::int32_t columns, std::int32_t gap);

}  // namespace tamblet::tools
