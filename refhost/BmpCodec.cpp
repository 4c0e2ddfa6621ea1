#include "refhost/BmpCodec.h"

#include <array>
#include <bit>

#include "refhost/ImageLimits.h"

namespace refhost {
namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::uint32_t kCoreHeaderSize = 12;
constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::uint32_t kRgb = 0;
constexpr std::uint32_t kBitFields = 3;
constexpr std::uint32_t kAlphaBitFields = 6;

// Little-endian fields at offsets the caller has already checked to lie inside the bytes.
std::uint16_t u16(const std::uint8_t* at) {
  return static_cast<std::uint16_t>(at[0] | at[1] << 8);
}
std::uint32_t u32(const std::uint8_t* at) {
  return std::uint32_t{at[0]} | std::uint32_t{at[1]} << 8 | std::uint32_t{at[2]} << 16 | std::uint32_t{at[3]} << 24;
}

// One colour channel of a 16- or 32-bit pixel given by a contiguous bit mask, widened to 8 bits.
struct Channel {
  std::uint32_t mask = 0;
  int shift = 0;
  int bits = 0;

  // False for a mask whose bits are not contiguous.
  bool set(std::uint32_t newMask) {
    *this = Channel();
    if (newMask == 0) return true;
    mask = newMask;
    shift = std::countr_zero(newMask);
    const std::uint32_t field = newMask >> shift;
    if ((field & (field + 1)) != 0) return false;
    bits = std::popcount(field);
    return true;
  }

  std::uint8_t value(std::uint32_t pixel) const {
    const std::uint32_t field = (pixel & mask) >> shift;
    if (bits >= 8) return static_cast<std::uint8_t>(field >> (bits - 8));
    const std::uint32_t largest = (1u << bits) - 1;  // bits is 1..7 here: masks of 0 never get here
    return static_cast<std::uint8_t>((field * 255 + largest / 2) / largest);
  }
};

struct BmpImage {
  std::int32_t width = 0;
  std::int32_t height = 0;
  bool topDown = false;
  int bpp = 0;
  std::uint64_t pixelOffset = 0;
  std::uint64_t stride = 0;  // bytes from one file row to the next
  Channel red, green, blue, alpha;
  std::array<std::uint32_t, 256> palette{};  // B, G, R in the low three bytes; unlisted entries black
  const char* refusal = "bad header";        // why readLayout answered false
};

// Reads the headers, masks and palette; false for anything malformed, unsupported or too large,
// including pixel rows that do not all lie inside the bytes.
bool readLayout(const std::uint8_t* data, std::size_t size, BmpImage& image) {
  image.refusal = "truncated";
  if (size < kFileHeaderSize + 4) return false;
  image.pixelOffset = u32(data + 10);
  const std::uint32_t headerSize = u32(data + kFileHeaderSize);
  if (headerSize > size - kFileHeaderSize) return false;
  image.refusal = "bad header";
  const std::uint8_t* header = data + kFileHeaderSize;

  std::int64_t height = 0;
  std::uint32_t compression = kRgb;
  std::uint32_t colorsUsed = 0;
  std::size_t paletteEntrySize = 4;
  if (headerSize == kCoreHeaderSize) {
    image.width = u16(header + 4);
    height = u16(header + 6);
    image.bpp = u16(header + 10);
    paletteEntrySize = 3;
  } else if (headerSize == 40 || headerSize == 52 || headerSize == 56 || headerSize == 108 || headerSize == 124) {
    image.width = static_cast<std::int32_t>(u32(header + 4));
    height = static_cast<std::int32_t>(u32(header + 8));
    image.bpp = u16(header + 14);
    compression = u32(header + 16);
    colorsUsed = u32(header + 32);
  } else {
    return false;
  }
  image.topDown = height < 0;
  if (image.topDown) height = -height;  // 64-bit: INT32_MIN negates safely and is refused below
  if (!imageSizeAllowed(image.width, height)) {
    image.refusal = "too large";
    return false;
  }
  image.height = static_cast<std::int32_t>(height);

  const bool masked = compression == kBitFields || compression == kAlphaBitFields;
  image.refusal = "unsupported kind of bitmap";
  if (compression != kRgb && !masked) return false;  // run-length and embedded JPEG/PNG are not read
  if (masked
          ? image.bpp != 16 && image.bpp != 32
          : image.bpp != 1 && image.bpp != 4 && image.bpp != 8 && image.bpp != 16 && image.bpp != 24 && image.bpp != 32)
    return false;

  // Masks: inside the longer info headers, or right after the 40-byte one.
  std::uint64_t tableOffset = kFileHeaderSize + headerSize;
  std::array<std::uint32_t, 4> masks{};
  if (masked) {
    std::uint32_t count = (headerSize - kInfoHeaderSize) / 4;  // 3 in the 52-byte header, 4 from 56 on
    if (headerSize == kInfoHeaderSize) {
      count = compression == kAlphaBitFields ? 4 : 3;
      if (std::uint64_t{count} * 4 > size - tableOffset) return false;
      tableOffset += count * 4;
    }
    for (std::uint32_t i = 0; i < count && i < 4; ++i) masks[i] = u32(header + kInfoHeaderSize + 4 * i);
  } else if (image.bpp == 16) {
    masks = {0x7C00, 0x03E0, 0x001F, 0};
  } else if (image.bpp == 32) {
    masks = {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000};
  }
  if (image.bpp >= 16) {
    const std::uint64_t usable = image.bpp == 16 ? 0xFFFFu : 0xFFFFFFFFu;
    for (std::uint32_t mask : masks) {
      if (mask & ~usable) return false;
    }
    if (!image.red.set(masks[0]) || !image.green.set(masks[1]) || !image.blue.set(masks[2]) ||
        !image.alpha.set(masks[3]))
      return false;
  }
  image.refusal = "bad header";
  if (image.pixelOffset < tableOffset) return false;  // pixels overlapping the headers

  // The palette lies between the headers and the pixels; entries it lacks stay black.
  if (image.bpp <= 8) {
    std::uint64_t count = std::uint64_t{1} << image.bpp;
    if (colorsUsed != 0 && colorsUsed < count) count = colorsUsed;
    const std::uint64_t room = (image.pixelOffset - tableOffset) / paletteEntrySize;
    if (room < count) count = room;
    if (count * paletteEntrySize > size - tableOffset) return false;
    for (std::uint64_t i = 0; i < count; ++i) {
      const std::uint8_t* entry = data + tableOffset + i * paletteEntrySize;
      image.palette[i] = std::uint32_t{entry[0]} | std::uint32_t{entry[1]} << 8 | std::uint32_t{entry[2]} << 16;
    }
  }

  // Every row must be there; only the padding after the last row may be missing.
  image.stride = (std::uint64_t(image.width) * image.bpp + 31) / 32 * 4;
  const std::uint64_t rowBytes = (std::uint64_t(image.width) * image.bpp + 7) / 8;
  image.refusal = "truncated";
  return image.pixelOffset <= size && image.stride * (image.height - 1) + rowBytes <= size - image.pixelOffset;
}

const std::uint8_t* fileRow(const std::uint8_t* data, const BmpImage& image, std::int32_t y) {
  const std::int32_t stored = image.topDown ? y : image.height - 1 - y;
  return data + image.pixelOffset + std::uint64_t(stored) * image.stride;
}

std::uint32_t maskedPixel(const std::uint8_t* row, int bpp, std::int32_t x) {
  return bpp == 16 ? u16(row + 2 * x) : u32(row + 4 * x);
}

// Whether the image's alpha channel holds anything but zeros.
bool anyAlpha(const std::uint8_t* data, const BmpImage& image) {
  if (image.bpp < 16 || image.alpha.mask == 0) return false;
  for (std::int32_t y = 0; y < image.height; ++y) {
    const std::uint8_t* row = fileRow(data, image, y);
    for (std::int32_t x = 0; x < image.width; ++x) {
      if (maskedPixel(row, image.bpp, x) & image.alpha.mask) return true;
    }
  }
  return false;
}

void convertRow(const std::uint8_t* in, std::uint8_t* out, const BmpImage& image, bool keepAlpha) {
  const std::int32_t width = image.width;
  if (image.bpp <= 8) {
    const int bpp = image.bpp;
    const int perByte = 8 / bpp;
    const unsigned indexMask = (1u << bpp) - 1;
    for (std::int32_t x = 0; x < width; ++x) {
      const int shift = 8 - bpp * (x % perByte + 1);  // leftmost pixel in the high bits
      const std::uint32_t colour = image.palette[(in[x / perByte] >> shift) & indexMask];
      out[4 * x] = static_cast<std::uint8_t>(colour);
      out[4 * x + 1] = static_cast<std::uint8_t>(colour >> 8);
      out[4 * x + 2] = static_cast<std::uint8_t>(colour >> 16);
      out[4 * x + 3] = 255;
    }
  } else if (image.bpp == 24) {
    for (std::int32_t x = 0; x < width; ++x) {
      out[4 * x] = in[3 * x];
      out[4 * x + 1] = in[3 * x + 1];
      out[4 * x + 2] = in[3 * x + 2];
      out[4 * x + 3] = 255;
    }
  } else {
    for (std::int32_t x = 0; x < width; ++x) {
      const std::uint32_t pixel = maskedPixel(in, image.bpp, x);
      out[4 * x] = image.blue.mask ? image.blue.value(pixel) : 0;
      out[4 * x + 1] = image.green.mask ? image.green.value(pixel) : 0;
      out[4 * x + 2] = image.red.mask ? image.red.value(pixel) : 0;
      out[4 * x + 3] = keepAlpha ? image.alpha.value(pixel) : 255;
    }
  }
}

}  // namespace

bool isBmp(const std::uint8_t* data, std::size_t size) {
  return data && size >= 2 && data[0] == 'B' && data[1] == 'M';
}

tamblet::ISurface* decodeBmp(const std::uint8_t* data, std::size_t size, tamblet::ISurfaceFactory& factory,
                             std::string* why) {
  if (!isBmp(data, size)) return nullptr;
  BmpImage image;
  if (!readLayout(data, size, image)) {
    if (why) *why = image.refusal;
    return nullptr;
  }
  const bool keepAlpha = anyAlpha(data, image);
  tamblet::ISurface* surface = makeImageSurface(factory, image.width, image.height, keepAlpha);
  if (!surface) {
    if (why) *why = "out of memory";
    return nullptr;
  }
  for (std::int32_t y = 0; y < image.height; ++y) {
    convertRow(fileRow(data, image, y), surface->GetPixelAddress(0, y), image, keepAlpha);
  }
  return surface;
}

}  // namespace refhost
