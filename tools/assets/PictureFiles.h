// Writing the demo's pictures in the three formats the host decodes: PNG (with alpha), BMP
// (24-bit colour, or 8-bit grey through a palette) and JPEG (baseline, fixed quality).
#pragma once

#include <string>

#include "tools/assets/DemoPictures.h"

namespace tamblet::assets {

bool writePngPicture(const std::string& path, const Picture& picture, bool withAlpha, std::string* why);
// Bottom-up rows, each padded to 4 bytes, a 40-byte info header; alpha is dropped.
bool writeBmp24(const std::string& path, const Picture& picture, std::string* why);
// The red channel as an 8-bit image with a 256-entry grey palette.
// 32 bits per pixel: B, G, R and the picture's alpha, which the engine reads as an alpha image.
bool writeBmp32(const std::string& path, const Picture& picture, std::string* why);
bool writeBmpGrey(const std::string& path, const Picture& picture, std::string* why);
bool writeJpeg(const std::string& path, const Picture& picture, int quality, std::string* why);

}  // namespace tamblet::assets
