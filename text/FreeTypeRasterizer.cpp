#include "text/FreeTypeRasterizer.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <memory>

namespace tamblet {

std::unique_ptr<GlyphRasterizer> makeSystemGlyphRasterizer() {
  return std::make_unique<FreeTypeRasterizer>();
}

namespace {

constexpr const char* kGothicFamily = "IPAGothic";
constexpr const char* kMinchoFamily = "IPAMincho";

bool isLeadByte(unsigned char byte) {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

}  // namespace

struct FreeTypeRasterizer::Face {
  const char* family = nullptr;
  bool attempted = false;  // opened (or failed to open) once: never tried again
  FT_Face face = nullptr;
  std::int32_t pixelHeight = 0;  // the size last set
};

struct FreeTypeRasterizer::State {
  FT_Library library = nullptr;
  iconv_t converter = reinterpret_cast<iconv_t>(-1);
  Face gothic{kGothicFamily};
  Face mincho{kMinchoFamily};
};

FreeTypeRasterizer::FreeTypeRasterizer() : state_(new State) {
  if (FT_Init_FreeType(&state_->library) != 0) state_->library = nullptr;
  state_->converter = iconv_open("UTF-32LE", "CP932");
}

FreeTypeRasterizer::~FreeTypeRasterizer() {
  for (Face* face : {&state_->gothic, &state_->mincho}) {
    if (face->face) FT_Done_Face(face->face);
  }
  if (state_->library) FT_Done_FreeType(state_->library);
  if (state_->converter != reinterpret_cast<iconv_t>(-1)) iconv_close(state_->converter);
  delete state_;
}

std::string FreeTypeRasterizer::matchFontFile(const char* family, int* faceIndex) {
  std::string file;
  FcConfig* config = FcInitLoadConfigAndFonts();
  if (!config) return file;
  FcPattern* pattern = FcPatternCreate();
  if (pattern) {
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
    FcConfigSubstitute(config, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    if (FcPattern* match = FcFontMatch(config, pattern, &result)) {
      FcChar8* path = nullptr;
      if (FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch && path) {
        file = reinterpret_cast<const char*>(path);
        int index = 0;
        if (FcPatternGetInteger(match, FC_INDEX, 0, &index) != FcResultMatch) index = 0;
        if (faceIndex) *faceIndex = index;
      }
      FcPatternDestroy(match);
    }
    FcPatternDestroy(pattern);
  }
  FcConfigDestroy(config);
  return file;
}

FreeTypeRasterizer::Face* FreeTypeRasterizer::faceFor(std::int32_t type) {
  Face& face = type == 1 ? state_->mincho : state_->gothic;
  if (!face.attempted && state_->library) {
    face.attempted = true;
    int index = 0;
    const std::string file = matchFontFile(face.family, &index);
    FT_Face opened = nullptr;
    if (!file.empty() && FT_New_Face(state_->library, file.c_str(), index, &opened) == 0) {
      if (FT_Select_Charmap(opened, FT_ENCODING_UNICODE) == 0 && FT_IS_SCALABLE(opened)) {
        face.face = opened;
      } else {
        FT_Done_Face(opened);
      }
    }
  }
  return face.face ? &face : nullptr;
}

bool FreeTypeRasterizer::draw(std::string_view text, std::int32_t type, std::int32_t pixelHeight, ISurface& target,
                              std::int32_t width, std::int32_t height) {
  Face* face = faceFor(type);
  if (!face || pixelHeight < 1 || pixelHeight > 0xFFFF) return false;
  FT_Face ft = face->face;
  if (face->pixelHeight != pixelHeight) {
    if (FT_Set_Pixel_Sizes(ft, 0, static_cast<FT_UInt>(pixelHeight)) != 0) {
      face->pixelHeight = 0;
      return false;
    }
    face->pixelHeight = pixelHeight;
  }
  if (width < 1 || height < 1 || !target.HasPixel()) return true;
  width = std::min(width, target.GetWidth());
  height = std::min(height, target.GetHeight());
  std::uint8_t* const base = target.GetPixelAddress(0, 0);
  const std::ptrdiff_t pitch = target.GetPitch();

  // The baseline sits the face's ascender below the top, so (0, 0) is the cell's top-left corner.
  const auto baseline = static_cast<std::int64_t>(
      std::lround(static_cast<double>(ft->ascender) * pixelHeight / static_cast<double>(ft->units_per_EM)));
  std::int64_t pen = 0;                                                // in 1/64 pixel
  const std::int64_t stop = (std::int64_t{width} + pixelHeight) * 64;  // nothing beyond reaches back into the box

  for (std::size_t at = 0; at < text.size() && pen < stop;) {
    const bool twoBytes = isLeadByte(static_cast<unsigned char>(text[at])) && at + 1 < text.size();
    const std::size_t length = twoBytes ? 2 : 1;
    const std::int64_t cell = (twoBytes ? pixelHeight : pixelHeight / 2) * std::int64_t{64};

    // One character to UTF-32: a sequence the converter refuses leaves its cell empty.
    std::uint32_t codePoint = 0;
    bool converted = false;
    if (state_->converter != reinterpret_cast<iconv_t>(-1)) {
      char* in = const_cast<char*>(text.data() + at);
      std::size_t inLeft = length;
      unsigned char out[8];
      char* outPtr = reinterpret_cast<char*>(out);
      std::size_t outLeft = sizeof out;
      iconv(state_->converter, nullptr, nullptr, nullptr, nullptr);
      if (iconv(state_->converter, &in, &inLeft, &outPtr, &outLeft) != static_cast<std::size_t>(-1) && inLeft == 0 &&
          outLeft == 4) {
        codePoint = out[0] | out[1] << 8 | out[2] << 16 | static_cast<std::uint32_t>(out[3]) << 24;
        converted = true;
      }
    }
    at += length;

    const FT_UInt index = converted ? FT_Get_Char_Index(ft, codePoint) : 0;
    if (index == 0 || FT_Load_Glyph(ft, index, FT_LOAD_TARGET_MONO | FT_LOAD_NO_BITMAP) != 0 ||
        (ft->glyph->format != FT_GLYPH_FORMAT_BITMAP && FT_Render_Glyph(ft->glyph, FT_RENDER_MODE_MONO) != 0)) {
      pen += cell;
      continue;
    }
    const FT_GlyphSlot slot = ft->glyph;
    const FT_Bitmap& bitmap = slot->bitmap;
    const std::int64_t left = ((pen + 32) >> 6) + slot->bitmap_left;
    const std::int64_t top = baseline - slot->bitmap_top;
    pen += slot->advance.x;
    if (bitmap.pixel_mode != FT_PIXEL_MODE_MONO || !bitmap.buffer) continue;

    const std::int64_t rows = bitmap.rows, columns = bitmap.width;
    const std::int64_t rowStep = bitmap.pitch < 0 ? -std::int64_t{bitmap.pitch} : bitmap.pitch;
    const std::int64_t fromY = std::max<std::int64_t>(0, -top), toY = std::min<std::int64_t>(rows, height - top);
    const std::int64_t fromX = std::max<std::int64_t>(0, -left), toX = std::min<std::int64_t>(columns, width - left);
    for (std::int64_t y = fromY; y < toY; ++y) {
      // A negative pitch stores the rows bottom-up from the buffer's start.
      const std::uint8_t* source = bitmap.buffer + (bitmap.pitch < 0 ? rows - 1 - y : y) * rowStep;
      std::uint8_t* out = base + (top + y) * pitch + left;
      for (std::int64_t x = fromX; x < toX;) {
        const std::uint8_t bits = source[x >> 3];
        if ((x & 7) == 0 && x + 8 <= toX && (bits == 0 || bits == 0xFF)) {  // a whole byte of paper or ink
          if (bits) std::memset(out + x, 0xFF, 8);
          x += 8;
          continue;
        }
        if (bits & (0x80 >> (x & 7))) out[x] = 0xFF;
        ++x;
      }
    }
  }
  return true;
}

}  // namespace tamblet
