#include "refhost/JpegCodec.h"

// jpeglib.h needs FILE and size_t declared before it.
#include <cstdio>
// clang-format off
#include <jpeglib.h>
// clang-format on

#include <csetjmp>

#include "refhost/ImageLimits.h"

// libjpeg reports errors through the error manager's error_exit, which longjmps back into
// runJpegDecode. That function keeps every resource in a state object owned by its caller and has
// no object with a destructor in its frame, so a longjmp skips nothing.

namespace refhost {
namespace {

static_assert(JCS_EXTENSIONS, "libjpeg-turbo's B, G, R, A output is needed");

// A progressive file may hold many scans, each of which costs a pass over the coefficients; a
// forged file with thousands of tiny scans would take minutes. Real encoders write about a dozen.
constexpr int kMaxScans = 500;
// libjpeg's own working memory (coefficient buffers of progressive files), beyond the surface.
constexpr long kMaxWorkBytes = 512L << 20;

struct JpegErrors {
  jpeg_error_mgr manager;  // first, so libjpeg's pointer to it is a pointer to the whole
  std::jmp_buf jump;
};

struct JpegDecode {
  jpeg_decompress_struct info{};  // zeroed, so destroying it before creation is harmless
  JpegErrors errors{};
  jpeg_progress_mgr progress{};
  const std::uint8_t* data = nullptr;
  std::size_t size = 0;
  tamblet::ISurfaceFactory* factory = nullptr;
  tamblet::ISurface* surface = nullptr;  // one reference while decoding
  char refusal[JMSG_LENGTH_MAX] = "corrupt";  // libjpeg's text, or ours, for why decoding stopped
};

// The state's first member is the decompressor, whose error manager is the state's JpegErrors.
JpegDecode& stateOf(j_common_ptr info) {
  return *reinterpret_cast<JpegDecode*>(info);
}

[[noreturn]] void failJpeg(j_common_ptr info) {
  info->err->format_message(info, stateOf(info).refusal);
  std::longjmp(reinterpret_cast<JpegErrors*>(info->err)->jump, 1);
}

// Level -1 is a warning: corrupt entropy data, a premature end of file (libjpeg would pad it with
// grey), extraneous bytes. Each means the file is damaged, so it is refused like an error.
void warnJpeg(j_common_ptr info, int level) {
  if (level < 0) failJpeg(info);
}

void silentJpeg(j_common_ptr) {}

void limitScans(j_common_ptr info) {
  if (reinterpret_cast<j_decompress_ptr>(info)->input_scan_number > kMaxScans) {
    std::snprintf(stateOf(info).refusal, JMSG_LENGTH_MAX, "too many scans");
    std::longjmp(reinterpret_cast<JpegErrors*>(info->err)->jump, 1);
  }
}

bool refuse(JpegDecode& state, const char* text) {
  std::snprintf(state.refusal, sizeof state.refusal, "%s", text);
  return false;
}

bool runJpegDecode(JpegDecode& state) {
  jpeg_decompress_struct& info = state.info;
  info.err = jpeg_std_error(&state.errors.manager);
  state.errors.manager.error_exit = failJpeg;
  state.errors.manager.emit_message = warnJpeg;
  state.errors.manager.output_message = silentJpeg;
  if (setjmp(state.errors.jump)) return false;

  jpeg_create_decompress(&info);
  info.mem->max_memory_to_use = kMaxWorkBytes;
  state.progress.progress_monitor = limitScans;
  info.progress = &state.progress;
  jpeg_mem_src(&info, state.data, static_cast<unsigned long>(state.size));
  if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK) return refuse(state, "bad header");
  if (!imageSizeAllowed(info.image_width, info.image_height)) return refuse(state, "too large");
  if (info.jpeg_color_space != JCS_GRAYSCALE && info.jpeg_color_space != JCS_YCbCr && info.jpeg_color_space != JCS_RGB)
    return refuse(state, "unsupported colour space");
  info.out_color_space = JCS_EXT_BGRA;  // byte 3 comes out as 255
  jpeg_start_decompress(&info);
  if (info.output_components != 4 || info.output_width != info.image_width || info.output_height != info.image_height)
    return false;

  state.surface = makeImageSurface(*state.factory, static_cast<std::int32_t>(info.output_width),
                                   static_cast<std::int32_t>(info.output_height), false);
  if (!state.surface) return refuse(state, "out of memory");
  while (info.output_scanline < info.output_height) {
    JSAMPROW row = state.surface->GetPixelAddress(0, static_cast<std::int32_t>(info.output_scanline));
    if (jpeg_read_scanlines(&info, &row, 1) != 1) return false;  // straight into the surface
  }
  jpeg_finish_decompress(&info);
  return true;
}

}  // namespace

bool isJpeg(const std::uint8_t* data, std::size_t size) {
  return data && size >= 3 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF;
}

tamblet::ISurface* decodeJpeg(const std::uint8_t* data, std::size_t size, tamblet::ISurfaceFactory& factory,
                              std::string* why) {
  if (!isJpeg(data, size)) return nullptr;
  JpegDecode state;
  state.data = data;
  state.size = size;
  state.factory = &factory;
  const bool decoded = runJpegDecode(state);
  jpeg_destroy_decompress(&state.info);
  if (!decoded && state.surface) {
    state.surface->Release();
    state.surface = nullptr;
  }
  if (!decoded && why) *why = state.refusal;
  return state.surface;
}

}  // namespace refhost
