#include "text/FontLibrary.h"

#include <cstring>
#include <new>
#include <stdexcept>

#include "image/CompressionBinding.h"

namespace tamblet {
namespace {

constexpr std::uint8_t kMagic[4] = {0x46, 0x4E, 0x41, 0x00};  // "FNA" and a zero byte
constexpr std::uint64_t kHeaderSize = 16;
constexpr std::uint64_t kGlyphRecordSize = 10;        // width u16, image offset u32, image size u32
constexpr std::uint64_t kSizeRecordMinimum = 12;      // pixel height, descent, glyph count
constexpr std::uint64_t kFaceMinimum = 4;             // size count
// The largest bitmap a glyph may unpack to. A text is drawn at most 2000 pixels high (8000
// supersampled rows) and a glyph is at most 65535 wide (8192 bytes a row), which stays below it;
// anything larger comes from a damaged file and is refused before memory is taken for it.
constexpr std::uint64_t kMaxBitmapBytes = 64ull << 20;

std::uint32_t readU32(const std::uint8_t* bytes) {
  return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
         static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

// Reads the index block front to back; every read and every count is checked against what is
// left of the block before anything is taken or allocated.
class IndexReader {
 public:
  IndexReader(const std::uint8_t* bytes, std::uint64_t size) : bytes_(bytes), size_(size) {}

  bool u16(std::uint32_t& value) {
    if (left() < 2) return false;
    value = static_cast<std::uint32_t>(bytes_[position_]) | static_cast<std::uint32_t>(bytes_[position_ + 1]) << 8;
    position_ += 2;
    return true;
  }

  bool u32(std::uint32_t& value) {
    if (left() < 4) return false;
    value = readU32(bytes_ + position_);
    position_ += 4;
    return true;
  }

  // A count of records of at least `recordSize` bytes each: not negative, and no more of them
  // than the rest of the block can hold.
  bool count(std::uint64_t recordSize, std::uint32_t& value) {
    std::uint32_t raw;
    if (!u32(raw)) return false;
    const auto signedCount = static_cast<std::int32_t>(raw);
    if (signedCount < 0 || static_cast<std::uint64_t>(signedCount) > left() / recordSize) return false;
    value = raw;
    return true;
  }

 private:
  std::uint64_t left() const { return size_ - position_; }

  const std::uint8_t* bytes_;
  std::uint64_t size_;
  std::uint64_t position_ = 0;
};

bool parseIndex(IndexReader& reader, std::vector<std::vector<FontLibrary::SizeRecord>>& faces) {
  std::uint32_t faceCount;
  if (!reader.count(kFaceMinimum, faceCount)) return false;
  faces.resize(faceCount);
  for (std::vector<FontLibrary::SizeRecord>& face : faces) {
    std::uint32_t sizeCount;
    if (!reader.count(kSizeRecordMinimum, sizeCount)) return false;
    face.resize(sizeCount);
    for (FontLibrary::SizeRecord& record : face) {
      std::uint32_t glyphCount;
      if (!reader.u32(record.pixelHeight) || !reader.u32(record.descent) ||
          !reader.count(kGlyphRecordSize, glyphCount))
        return false;
      record.glyphs.resize(glyphCount);
      for (FontLibrary::GlyphRecord& glyph : record.glyphs) {
        if (!reader.u16(glyph.width) || !reader.u32(glyph.imageOffset) || !reader.u32(glyph.imageSize)) return false;
      }
    }
  }
  return true;
}

// ⌈width / 8⌉ bytes, rounded up to a multiple of 4.
std::uint64_t bitmapRowBytes(std::uint32_t width) {
  const std::uint64_t bytes = (static_cast<std::uint64_t>(width) + 7) / 8;
  return (bytes + 3) & ~std::uint64_t{3};
}

}  // namespace

std::uint32_t libraryCharacterCode(std::string_view text) {
  if (text.size() == 1) return static_cast<unsigned char>(text[0]);
  if (text.size() == 2) return static_cast<unsigned char>(text[0]) * 256u + static_cast<unsigned char>(text[1]);
  return 0;
}

FontLibrary::FontLibrary() = default;
FontLibrary::~FontLibrary() { clear(); }

void FontLibrary::setPath(std::string sjisPath) {
  // A library read from another file would answer for the wrong one: start over.
  if (sjisPath != path_) clear();
  path_ = std::move(sjisPath);
}

bool FontLibrary::ensureLoaded() {
  if (attempted_) return loaded_;
  loaded_ = load();
  if (!loaded_) {
    faces_.clear();
    faces_.shrink_to_fit();
  }
  return loaded_;
}

bool FontLibrary::load() {
  decompressor_.reset();
  faces_.clear();
  file_.close();
  if (!file_.open(path_)) return false;  // not attempted: the next query tries again
  attempted_ = true;
  fileSize_ = file_.size();
  if (!obtainCompression(decompressor_)) return false;

  std::uint8_t header[kHeaderSize];
  if (fileSize_ < kHeaderSize || !file_.read(header, sizeof header)) return false;
  if (std::memcmp(header, kMagic, sizeof kMagic) != 0 || readU32(header + 4) != 0) return false;
  const std::uint32_t indexSize = readU32(header + 12);
  if (indexSize < 4 || kHeaderSize + indexSize > fileSize_) return false;

  try {
    std::vector<std::uint8_t> index(indexSize);
    if (!file_.read(index.data(), indexSize)) return false;
    IndexReader reader(index.data(), indexSize);
    return parseIndex(reader, faces_);
  } catch (const std::bad_alloc&) {
    return false;
  } catch (const std::length_error&) {
    return false;
  }
}

const FontLibrary::SizeRecord* FontLibrary::findSizeRecord(std::int32_t face, std::uint32_t pixelHeight) const {
  if (face < 0 || static_cast<std::size_t>(face) >= faces_.size()) return nullptr;
  for (const SizeRecord& record : faces_[static_cast<std::size_t>(face)]) {
    if (record.pixelHeight == pixelHeight) return &record;
  }
  return nullptr;
}

bool FontLibrary::readGlyph(std::int32_t face, std::uint32_t pixelHeight, std::uint32_t code, LibraryGlyph& glyph) {
  if (!loaded_) return false;
  const SizeRecord* record = findSizeRecord(face, pixelHeight);
  const std::int32_t index = glyphIndex(code);
  if (!record || index < 0 || static_cast<std::size_t>(index) >= record->glyphs.size()) return false;
  const GlyphRecord& entry = record->glyphs[static_cast<std::size_t>(index)];

  const std::uint64_t offset = entry.imageOffset;
  const std::uint64_t size = entry.imageSize;
  if (offset >= fileSize_ || size == 0 || offset + size > fileSize_) return false;

  const std::uint64_t rowBytes = bitmapRowBytes(entry.width);
  const std::uint64_t bitmapBytes = rowBytes * record->pixelHeight;
  if (bitmapBytes > kMaxBitmapBytes || !decompressor_) return false;

  try {
    // Both buffers are reused from glyph to glyph; the bitmap is handed out only once it is whole.
    if (imageBuffer_.size() < size) imageBuffer_.resize(size);
    if (!file_.seek(offset) || !file_.read(imageBuffer_.data(), entry.imageSize)) return false;
    if (bitmapBuffer_.size() < bitmapBytes) bitmapBuffer_.resize(bitmapBytes);
    if (!decompressor_->Decompress(bitmapBuffer_.data(), static_cast<std::uint32_t>(bitmapBytes),
                                   imageBuffer_.data(), entry.imageSize))
      return false;
    glyph.bitmap.assign(bitmapBuffer_.begin(), bitmapBuffer_.begin() + static_cast<std::ptrdiff_t>(bitmapBytes));
  } catch (const std::bad_alloc&) {
    return false;
  }
  glyph.width = entry.width;
  glyph.descent = record->descent;
  glyph.pixelHeight = record->pixelHeight;
  glyph.rowBytes = static_cast<std::uint32_t>(rowBytes);
  return true;
}

void FontLibrary::clear() {
  decompressor_.reset();
  faces_.clear();
  faces_.shrink_to_fit();
  file_.close();
  attempted_ = false;
  loaded_ = false;
  fileSize_ = 0;
  imageBuffer_ = {};
  bitmapBuffer_ = {};
}

std::int32_t FontLibrary::glyphIndex(std::uint32_t code) {
  if (code <= 0xFF) {
    if (code >= 0x20 && code <= 0x7E) return static_cast<std::int32_t>(code - 0x20);
    if (code >= 0xA1 && code <= 0xDF) return static_cast<std::int32_t>(code - 0x42);
    return -1;
  }
  if (code > 0xFFFF) return -1;
  const auto lead = static_cast<std::int32_t>(code >> 8);
  const auto trail = static_cast<std::int32_t>(code & 0xFF);
  std::int32_t base;
  if (lead >= 0x81 && lead <= 0x9F) {
    base = lead * 0xBC - 0x5E5E;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    base = lead * 0xBC - 0x8D5E;
  } else {
    return -1;
  }
  if (trail >= 0x40 && trail <= 0x7E) return base + trail;
  if (trail >= 0x80 && trail <= 0xFC) return base - 1 + trail;  // 0x7F is never a trail byte
  return -1;
}

}  // namespace tamblet
