#include "tools/common/PngFile.h"

#include <png.h>

#include <cstdio>
#include <vector>

namespace tamblet::tools {
namespace {

struct PngErrorState {
  std::string message;
};

void onPngError(png_structp png, png_const_charp message) {
  auto* state = static_cast<PngErrorState*>(png_get_error_ptr(png));
  if (state) state->message = message ? message : "libpng error";
  png_longjmp(png, 1);
}

void onPngWarning(png_structp, png_const_charp) {}

// Kept apart from any C++ object with a destructor: libpng leaves through longjmp on errors.
bool encode(std::FILE* file, std::int32_t width, std::int32_t height, int channels, png_bytepp rows,
            PngErrorState* state) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, state, onPngError, onPngWarning);
  if (!png) return false;
  png_infop info = png_create_info_struct(png);
  if (!info) {
    png_destroy_write_struct(&png, nullptr);
    return false;
  }
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_init_io(png, file);
  png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
               channels == 4 ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_set_compression_level(png, 1);  // frames are written during the run: speed over size
  png_write_info(png, info);
  png_write_image(png, rows);
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return true;
}

}  // namespace

bool writePng(const std::string& path, const Image& image, std::string* why) {
  return writePngPixels(path, image.width, image.height, 3, image.rgb.data(), why);
}

bool writePngPixels(const std::string& path, std::int32_t width, std::int32_t height, int channels,
                    const std::uint8_t* pixels, std::string* why) {
  if (width <= 0 || height <= 0 || (channels != 3 && channels != 4) || !pixels) {
    if (why) *why = "nothing to write";
    return false;
  }
  std::vector<png_bytep> rows(static_cast<std::size_t>(height));
  const std::size_t stride = static_cast<std::size_t>(width) * static_cast<std::size_t>(channels);
  for (std::size_t y = 0; y < rows.size(); ++y) rows[y] = const_cast<png_bytep>(pixels + y * stride);
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) {
    if (why) *why = "cannot create " + path;
    return false;
  }
  PngErrorState state;
  const bool encoded = encode(file, width, height, channels, rows.data(), &state);
  const bool closed = std::fclose(file) == 0;
  if (!encoded || !closed) {
    if (why) *why = "cannot write " + path + (state.message.empty() ? "" : ": " + state.message);
    return false;
  }
  return true;
}

}  // namespace tamblet::tools
