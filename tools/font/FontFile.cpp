#include "tools/font/FontFile.h"

#include <zlib.h>

#include <cstring>
#include <map>
#include <stdexcept>

namespace tamblet::font {
namespace {

constexpr std::uint8_t kMagic[4] = {0x46, 0x4E, 0x41, 0x00};
constexpr std::uint64_t kHeaderSize = 16;
constexpr std::uint64_t kGlyphRecordSize = 10;

void putU16(std::vector<std::uint8_t>& out, std::uint32_t value) {
  out.push_back(static_cast<std::uint8_t>(value));
  out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void putU32(std::vector<std::uint8_t>& out, std::uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<std::uint8_t>(value >> shift));
}

std::uint64_t indexBytes(const FontFile& file) {
  std::uint64_t bytes = 4;
  for (const auto& face : file.faces) {
    bytes += 4;
    for (const SizeImages& size : face) bytes += 12 + kGlyphRecordSize * size.glyphs.size();
  }
  return bytes;
}

// Reads little-endian fields with every position checked against the end.
class Cursor {
 public:
  Cursor(const std::vector<std::uint8_t>& bytes, std::uint64_t begin, std::uint64_t end)
      : bytes_(bytes), position_(begin), end_(end) {}

  std::uint32_t u16() {
    need(2);
    const std::uint32_t value = bytes_[position_] | static_cast<std::uint32_t>(bytes_[position_ + 1]) << 8;
    position_ += 2;
    return value;
  }
  std::uint32_t u32() {
    need(4);
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = value << 8 | bytes_[position_ + static_cast<std::uint64_t>(i)];
    position_ += 4;
    return value;
  }
  std::uint32_t count(std::uint64_t recordSize, const char* what) {
    const auto value = static_cast<std::int32_t>(u32());
    if (value < 0) throw std::runtime_error(std::string("negative ") + what);
    if (static_cast<std::uint64_t>(value) > (end_ - position_) / recordSize)
      throw std::runtime_error(std::string(what) + " larger than the index holds");
    return static_cast<std::uint32_t>(value);
  }

 private:
  void need(std::uint64_t count) {
    if (end_ - position_ < count) throw std::runtime_error("the index ends inside a record");
  }
  const std::vector<std::uint8_t>& bytes_;
  std::uint64_t position_;
  std::uint64_t end_;
};

}  // namespace

std::uint32_t bitmapRowBytes(std::uint32_t width) { return ((width + 7) / 8 + 3) & ~3u; }

struct BitmapCompressor::Stream {
  z_stream z{};
};

BitmapCompressor::BitmapCompressor() : stream_(new Stream) {
  if (deflateInit(&stream_->z, Z_BEST_COMPRESSION) != Z_OK) {
    delete stream_;
    throw std::runtime_error("zlib could not start");
  }
}

BitmapCompressor::~BitmapCompressor() {
  deflateEnd(&stream_->z);
  delete stream_;
}

std::vector<std::uint8_t> BitmapCompressor::compress(const std::vector<std::uint8_t>& bitmap) {
  z_stream& z = stream_->z;
  if (deflateReset(&z) != Z_OK) throw std::runtime_error("zlib could not reset");
  std::vector<std::uint8_t> out(deflateBound(&z, static_cast<uLong>(bitmap.size())));
  z.next_in = const_cast<Bytef*>(bitmap.data());
  z.avail_in = static_cast<uInt>(bitmap.size());
  z.next_out = out.data();
  z.avail_out = static_cast<uInt>(out.size());
  if (deflate(&z, Z_FINISH) != Z_STREAM_END) throw std::runtime_error("zlib could not compress a glyph");
  out.resize(out.size() - z.avail_out);
  return out;
}

std::vector<std::uint8_t> encodeFontFile(const FontFile& file) {
  const std::uint64_t index = indexBytes(file);
  if (index > 0xFFFFFFFFu - kHeaderSize) throw std::runtime_error("the index does not fit the file format");
  std::vector<std::uint8_t> out(kMagic, kMagic + 4);
  putU32(out, 0);
  putU32(out, 0);  // reserved
  putU32(out, static_cast<std::uint32_t>(index));

  // Images follow the index in first-use order; an image met again reuses the first offset.
  std::vector<std::uint8_t> images;
  std::map<std::vector<std::uint8_t>, std::uint32_t> offsets;
  const std::uint64_t imageBase = kHeaderSize + index;
  putU32(out, static_cast<std::uint32_t>(file.faces.size()));
  for (const auto& face : file.faces) {
    putU32(out, static_cast<std::uint32_t>(face.size()));
    for (const SizeImages& size : face) {
      putU32(out, size.pixelHeight);
      putU32(out, size.descent);
      putU32(out, static_cast<std::uint32_t>(size.glyphs.size()));
      for (const GlyphImage& glyph : size.glyphs) {
        std::uint32_t offset = 0;
        if (!glyph.compressed.empty()) {
          auto [found, inserted] = offsets.try_emplace(glyph.compressed, 0);
          if (inserted) {
            const std::uint64_t at = imageBase + images.size();
            if (at + glyph.compressed.size() > 0xFFFFFFFFu)
              throw std::runtime_error("the glyph images pass the 4 GiB the file format can address");
            found->second = static_cast<std::uint32_t>(at);
            images.insert(images.end(), glyph.compressed.begin(), glyph.compressed.end());
          }
          offset = found->second;
        }
        putU16(out, glyph.width);
        putU32(out, offset);
        putU32(out, static_cast<std::uint32_t>(glyph.compressed.size()));
      }
    }
  }
  out.insert(out.end(), images.begin(), images.end());
  return out;
}

FontFile decodeFontFile(const std::vector<std::uint8_t>& bytes) {
  if (bytes.size() < kHeaderSize || std::memcmp(bytes.data(), kMagic, 4) != 0)
    throw std::runtime_error("not a font library (no \"FNA\" header)");
  Cursor header(bytes, 4, kHeaderSize);
  if (header.u32() != 0) throw std::runtime_error("the header's second field is not 0");
  header.u32();
  const std::uint32_t indexSize = header.u32();
  if (indexSize < 4 || kHeaderSize + indexSize > bytes.size())
    throw std::runtime_error("the index size is below 4 or passes the end of the file");

  FontFile file;
  Cursor index(bytes, kHeaderSize, kHeaderSize + indexSize);
  file.faces.resize(index.count(4, "face count"));
  for (auto& face : file.faces) {
    face.resize(index.count(12, "size count"));
    for (SizeImages& size : face) {
      size.pixelHeight = index.u32();
      size.descent = index.u32();
      size.glyphs.resize(index.count(kGlyphRecordSize, "glyph count"));
      for (GlyphImage& glyph : size.glyphs) {
        glyph.width = static_cast<std::uint16_t>(index.u16());
        const std::uint64_t offset = index.u32();
        const std::uint64_t length = index.u32();
        if (length == 0) continue;
        if (offset >= bytes.size() || offset + length > bytes.size())
          throw std::runtime_error("a glyph image lies outside the file");
        glyph.compressed.assign(bytes.begin() + static_cast<std::ptrdiff_t>(offset),
                                bytes.begin() + static_cast<std::ptrdiff_t>(offset + length));
      }
    }
  }
  return file;
}

bool decompressBitmap(const GlyphImage& glyph, std::uint32_t pixelHeight, std::vector<std::uint8_t>& bitmap) {
  const std::uint64_t size = static_cast<std::uint64_t>(bitmapRowBytes(glyph.width)) * pixelHeight;
  // No text is drawn taller than 8000 supersampled rows of at most 8192 bytes: a larger bitmap
  // comes from a damaged file and is not allocated.
  if (size > (64u << 20) || glyph.compressed.empty()) return false;
  bitmap.assign(static_cast<std::size_t>(size), 0);
  z_stream stream{};
  if (inflateInit(&stream) != Z_OK) return false;
  stream.next_in = const_cast<Bytef*>(glyph.compressed.data());
  stream.avail_in = static_cast<uInt>(glyph.compressed.size());
  stream.next_out = bitmap.data();
  stream.avail_out = static_cast<uInt>(size);
  const int result = inflate(&stream, Z_FINISH);
  inflateEnd(&stream);
  return result == Z_STREAM_END && stream.avail_out == 0;
}

}  // namespace tamblet::font
