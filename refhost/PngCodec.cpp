#include "refhost/PngCodec.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "refhost/ImageLimits.h"

// libpng reports errors by longjmp back into the function that called setjmp. Every such function
// below (run...) keeps its resources in a state object owned by its caller and has no object with
// a destructor in its frame, so a longjmp skips nothing; the caller frees whatever the state holds.

namespace refhost {
namespace {

constexpr std::size_t kSignatureSize = 8;

[[noreturn]] void failPng(png_structp png, png_const_charp) {
  png_longjmp(png, 1);
}
void ignorePngWarning(png_structp, png_const_charp) {}

// ---- decoding ----------------------------------------------------------------------------------

struct PngInput {
  const std::uint8_t* data;
  std::size_t size;
  std::size_t position;
};

struct PngDecode {
  png_structp png = nullptr;
  png_infop info = nullptr;
  PngInput input{};
  tamblet::ISurfaceFactory* factory = nullptr;
  tamblet::ISurface* surface = nullptr;  // one reference while decoding
  png_bytep* rows = nullptr;             // malloc'd row addresses into the surface
  char refusal[160] = "";                // libpng's text, or ours, for why decoding stopped
  bool tooLarge = false;
};

void refuse(PngDecode& state, const char* text) {
  std::snprintf(state.refusal, sizeof state.refusal, "%s", text);
}

// "too large: <width> × <height>" from the header, which libpng has read by the time it refuses.
void refuseTooLarge(PngDecode& state) {
  const std::uint8_t* header = state.input.data + 16;  // after the signature and IHDR's length and type
  const auto word = [header](int at) {
    return static_cast<unsigned long>(header[at]) << 24 | static_cast<unsigned long>(header[at + 1]) << 16 |
           static_cast<unsigned long>(header[at + 2]) << 8 | header[at + 3];
  };
  if (state.input.size < 24) return refuse(state, "too large");
  std::snprintf(state.refusal, sizeof state.refusal, "too large: %lu × %lu", word(0), word(4));
}

// Keeps libpng's reason before jumping back. Its own size check warns "... exceeds user limit"
// and then fails with "Invalid IHDR data"; the warning is the reason then.
[[noreturn]] void failPngDecode(png_structp png, png_const_charp message) {
  auto* state = static_cast<PngDecode*>(png_get_error_ptr(png));
  if (!state->tooLarge) refuse(*state, message ? message : "corrupt");
  png_longjmp(png, 1);
}

void warnPngDecode(png_structp png, png_const_charp message) {
  auto* state = static_cast<PngDecode*>(png_get_error_ptr(png));
  if (message && std::strstr(message, "exceeds user limit") && !state->tooLarge) {
    state->tooLarge = true;
    refuseTooLarge(*state);
  }
}

void readPngBytes(png_structp png, png_bytep out, std::size_t count) {
  auto* input = static_cast<PngInput*>(png_get_io_ptr(png));
  if (count > input->size - input->position) png_error(png, "truncated");
  std::memcpy(out, input->data + input->position, count);
  input->position += count;
}

bool runPngDecode(PngDecode& state) {
  if (setjmp(png_jmpbuf(state.png))) return false;
  png_structp png = state.png;
  png_infop info = state.info;
  png_set_read_fn(png, &state.input, readPngBytes);
  png_set_user_limits(png, kMaxImageSide, kMaxImageSide);
  // A checksum error in any chunk, ancillary ones included, refuses the file instead of quietly
  // dropping (say) its transparency.
  png_set_crc_action(png, PNG_CRC_ERROR_QUIT, PNG_CRC_ERROR_QUIT);
  png_read_info(png, info);

  const png_uint_32 width = png_get_image_width(png, info);
  const png_uint_32 height = png_get_image_height(png, info);
  const int colorType = png_get_color_type(png, info);
  if (!imageSizeAllowed(width, height)) {
    refuseTooLarge(state);
    return false;
  }
  const bool alpha = (colorType & PNG_COLOR_MASK_ALPHA) != 0 || png_get_valid(png, info, PNG_INFO_tRNS) != 0;

  png_set_expand(png);  // palette to RGB, grey below 8 bits to 8, tRNS to an alpha channel
  png_set_scale_16(png);
  png_set_gray_to_rgb(png);
  png_set_bgr(png);
  if (!alpha) png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  if (png_get_rowbytes(png, info) != std::size_t{width} * 4) return false;

  state.surface =
      makeImageSurface(*state.factory, static_cast<std::int32_t>(width), static_cast<std::int32_t>(height), alpha);
  if (!state.surface || !(state.rows = static_cast<png_bytep*>(std::malloc(sizeof(png_bytep) * height)))) {
    refuse(state, "out of memory");
    return false;
  }
  for (png_uint_32 y = 0; y < height; ++y)
    state.rows[y] = state.surface->GetPixelAddress(0, static_cast<std::int32_t>(y));
  png_read_image(png, state.rows);  // straight into the surface, interlace passes included
  png_read_end(png, nullptr);       // the rest of the file must be there and intact as well
  return true;
}

// ---- encoding ----------------------------------------------------------------------------------

struct PngOutput {
  std::uint8_t* bytes;  // malloc'd
  std::size_t size;
  std::size_t capacity;
};

struct PngEncode {
  png_structp png = nullptr;
  png_infop info = nullptr;
  PngOutput output{};
  tamblet::ISurface* surface = nullptr;  // borrowed
};

void writePngBytes(png_structp png, png_bytep data, std::size_t count) {
  auto* output = static_cast<PngOutput*>(png_get_io_ptr(png));
  if (count > MemoryBlock::kMaxSize - output->size) png_error(png, "file too large");
  if (output->size + count > output->capacity) {
    std::size_t capacity = output->capacity < 4096 ? 4096 : output->capacity * 2;
    if (capacity < output->size + count) capacity = output->size + count;
    auto* grown = static_cast<std::uint8_t*>(std::realloc(output->bytes, capacity));
    if (!grown) png_error(png, "out of memory");
    output->bytes = grown;
    output->capacity = capacity;
  }
  std::memcpy(output->bytes + output->size, data, count);
  output->size += count;
}

void flushPng(png_structp) {}

bool runPngEncode(PngEncode& state) {
  if (setjmp(png_jmpbuf(state.png))) return false;
  png_structp png = state.png;
  tamblet::ISurface& surface = *state.surface;
  const std::int32_t width = surface.GetWidth();
  const std::int32_t height = surface.GetHeight();
  const bool alpha = surface.HasAMap();
  png_set_write_fn(png, &state.output, writePngBytes, flushPng);
  png_set_IHDR(png, state.info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
               alpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, state.info);
  png_set_bgr(png);
  if (!alpha) png_set_filler(png, 0, PNG_FILLER_AFTER);  // drops byte 3 from each pixel
  // libpng copies each row before transforming it, so the surface is only read.
  for (std::int32_t y = 0; y < height; ++y) png_write_row(png, surface.GetPixelAddress(0, y));
  png_write_end(png, state.info);
  return true;
}

bool encodable(tamblet::ISurface& surface) {
  const std::int32_t width = surface.GetWidth();
  const std::int32_t height = surface.GetHeight();
  return surface.HasPixel() && surface.GetBpp() == 32 && width >= 1 && height >= 1 && width <= kMaxImageSide &&
         height <= kMaxImageSide && std::int64_t{surface.GetPitch()} >= std::int64_t{width} * 4 &&
         surface.GetPixelAddress(0, 0) != nullptr;
}

}  // namespace

bool isPng(const std::uint8_t* data, std::size_t size) {
  return data && size >= kSignatureSize && png_sig_cmp(data, 0, kSignatureSize) == 0;
}

tamblet::ISurface* decodePng(const std::uint8_t* data, std::size_t size, tamblet::ISurfaceFactory& factory,
                             std::string* why) {
  if (!isPng(data, size)) return nullptr;
  PngDecode state;
  state.input = {data, size, 0};
  state.factory = &factory;
  refuse(state, "out of memory");
  state.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &state, failPngDecode, warnPngDecode);
  if (!state.png) {
    if (why) *why = state.refusal;
    return nullptr;
  }
  refuse(state, "corrupt");
  state.info = png_create_info_struct(state.png);
  const bool decoded = state.info && runPngDecode(state);
  png_destroy_read_struct(&state.png, state.info ? &state.info : nullptr, nullptr);
  std::free(state.rows);
  if (!decoded && state.surface) {
    state.surface->Release();
    state.surface = nullptr;
  }
  if (!decoded && why) *why = state.refusal;
  return state.surface;
}

MemoryBlock* encodePng(tamblet::ISurface& surface) {
  if (!encodable(surface)) return nullptr;
  PngEncode state;
  state.surface = &surface;
  state.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, failPng, ignorePngWarning);
  if (!state.png) return nullptr;
  state.info = png_create_info_struct(state.png);
  const bool encoded = state.info && runPngEncode(state);
  png_destroy_write_struct(&state.png, state.info ? &state.info : nullptr);
  if (!encoded) {
    std::free(state.output.bytes);
    return nullptr;
  }
  return MemoryBlock::adopt(state.output.bytes, state.output.size);
}

}  // namespace refhost
