#include "tools/assets/PictureFiles.h"

#include <jpeglib.h>

#include <csetjmp>
#include <cstdio>
#include <fstream>
#include <vector>

#include "tools/common/PngFile.h"

namespace tamblet::assets {
namespace {

void put16(std::vector<std::uint8_t>& out, std::uint32_t value) {
  out.push_back(static_cast<std::uint8_t>(value));
  out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void put32(std::vector<std::uint8_t>& out, std::uint32_t value) {
  put16(out, value & 0xFFFF);
  put16(out, value >> 16);
}

bool writeBmp(const std::string& path, const Picture& picture, int bits, std::string* why) {
  const std::uint32_t bytesPerPixel = static_cast<std::uint32_t>(bits / 8);
  const std::uint32_t stride = (static_cast<std::uint32_t>(picture.width) * bytesPerPixel + 3) & ~3u;
  const std::uint32_t paletteSize = bits == 8 ? 256 * 4 : 0;
  const std::uint32_t offset = 14 + 40 + paletteSize;
  const std::uint32_t imageSize = stride * static_cast<std::uint32_t>(picture.height);
  std::vector<std::uint8_t> file;
  file.reserve(offset + imageSize);
  file.push_back('B');
  file.push_back('M');
  put32(file, offset + imageSize);
  put32(file, 0);
  put32(file, offset);
  put32(file, 40);
  put32(file, static_cast<std::uint32_t>(picture.width));
  put32(file, static_cast<std::uint32_t>(picture.height));
  put16(file, 1);
  put16(file, static_cast<std::uint32_t>(bits));
  put32(file, 0);  // no compression
  put32(file, imageSize);
  put32(file, 2835);  // 72 dots per inch
  put32(file, 2835);
  put32(file, bits == 8 ? 256 : 0);
  put32(file, 0);
  for (std::uint32_t i = 0; i < paletteSize / 4; ++i) put32(file, i | i << 8 | i << 16);
  for (std::int32_t y = picture.height - 1; y >= 0; --y) {
    const std::uint8_t* row = picture.rgba.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(picture.width) * 4;
    for (std::int32_t x = 0; x < picture.width; ++x) {
      if (bits == 8) {
        file.push_back(row[x * 4]);
      } else if (bits == 32) {
        file.push_back(row[x * 4 + 2]);
        file.push_back(row[x * 4 + 1]);
        file.push_back(row[x * 4]);
        file.push_back(row[x * 4 + 3]);
      } else {
        file.push_back(row[x * 4 + 2]);
        file.push_back(row[x * 4 + 1]);
        file.push_back(row[x * 4]);
      }
    }
    for (std::uint32_t pad = static_cast<std::uint32_t>(picture.width) * bytesPerPixel; pad < stride; ++pad) file.push_back(0);
  }
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
  if (!out) {
    if (why) *why = "cannot write " + path;
    return false;
  }
  return true;
}

struct JpegError {
  jpeg_error_mgr manager;
  std::jmp_buf jump;
};

void onJpegError(j_common_ptr info) { std::longjmp(reinterpret_cast<JpegError*>(info->err)->jump, 1); }

// Kept free of C++ objects with destructors: libjpeg leaves through longjmp on errors.
bool encodeJpeg(std::FILE* file, const Picture& picture, const std::uint8_t* rgb, int quality) {
  jpeg_compress_struct info;
  JpegError error;
  info.err = jpeg_std_error(&error.manager);
  error.manager.error_exit = onJpegError;
  if (setjmp(error.jump)) {
    jpeg_destroy_compress(&info);
    return false;
  }
  jpeg_create_compress(&info);
  jpeg_stdio_dest(&info, file);
  info.image_width = static_cast<JDIMENSION>(picture.width);
  info.image_height = static_cast<JDIMENSION>(picture.height);
  info.input_components = 3;
  info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, quality, TRUE);
  jpeg_start_compress(&info, TRUE);
  while (info.next_scanline < info.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(rgb + static_cast<std::size_t>(info.next_scanline) * picture.width * 3);
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  return true;
}

}  // namespace

bool writePngPicture(const std::string& path, const Picture& picture, bool withAlpha, std::string* why) {
  if (withAlpha) return tools::writePngPixels(path, picture.width, picture.height, 4, picture.rgba.data(), why);
  std::vector<std::uint8_t> rgb;
  rgb.reserve(picture.rgba.size() / 4 * 3);
  for (std::size_t i = 0; i < picture.rgba.size(); i += 4) rgb.insert(rgb.end(), &picture.rgba[i], &picture.rgba[i] + 3);
  return tools::writePngPixels(path, picture.width, picture.height, 3, rgb.data(), why);
}

bool writeBmp24(const std::string& path, const Picture& picture, std::string* why) {
  return writeBmp(path, picture, 24, why);
}

bool writeBmp32(const std::string& path, const Picture& picture, std::string* why) {
  return writeBmp(path, picture, 32, why);
}

bool writeBmpGrey(const std::string& path, const Picture& picture, std::string* why) {
  return writeBmp(path, picture, 8, why);
}

bool writeJpeg(const std::string& path, const Picture& picture, int quality, std::string* why) {
  std::vector<std::uint8_t> rgb;
  rgb.reserve(picture.rgba.size() / 4 * 3);
  for (std::size_t i = 0; i < picture.rgba.size(); i += 4) rgb.insert(rgb.end(), &picture.rgba[i], &picture.rgba[i] + 3);
  std::FILE* file = std::fopen(path.c_str(), "wb");
  bool ok = file && encodeJpeg(file, picture, rgb.data(), quality);
  if (file && std::fclose(file) != 0) ok = false;
  if (!ok && why) *why = "cannot write " + path;
  return ok;
}

}  // namespace tamblet::assets
