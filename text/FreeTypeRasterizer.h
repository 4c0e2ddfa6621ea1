// The system faces on FreeType: IPAGothic for type 0 and every other type but 1, IPAMincho for
// type 1, found through fontconfig, opened once and kept. Glyphs are rendered monochrome (no
// smoothing, no embedded bitmaps, no synthetic bold) and the text is converted from CP932 with iconv.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "text/GlyphRasterizer.h"

namespace tamblet {

class FreeTypeRasterizer final : public GlyphRasterizer {
 public:
  FreeTypeRasterizer();
  ~FreeTypeRasterizer() override;
  FreeTypeRasterizer(const FreeTypeRasterizer&) = delete;
  FreeTypeRasterizer& operator=(const FreeTypeRasterizer&) = delete;

  bool draw(std::string_view text, std::int32_t type, std::int32_t pixelHeight, ISurface& target, std::int32_t width,
            std::int32_t height) override;

  // The font file fontconfig picks for a family name (empty when it finds none).
  static std::string matchFontFile(const char* family, int* faceIndex = nullptr);

 private:
  struct Face;
  struct State;

  Face* faceFor(std::int32_t type);

  State* state_;
};

}  // namespace tamblet
