#include "text/GdiGlyphRasterizer.h"

#include <windows.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <memory>

#include "report/FixedTexts.h"

namespace tamblet {

std::unique_ptr<GlyphRasterizer> makeSystemGlyphRasterizer() {
  return std::make_unique<GdiGlyphRasterizer>();
}

namespace {

constexpr std::int32_t kMaxPixelHeight = 0xFFFF;
// The DIB grows in steps of this many pixels per side, so a run of slightly larger boxes does
// not remake it each time.
constexpr std::int32_t kBitmapStep = 64;

std::int32_t roundUpToStep(std::int32_t value) {
  const std::int64_t rounded = (std::int64_t{value} + kBitmapStep - 1) / kBitmapStep * kBitmapStep;
  return static_cast<std::int32_t>(std::min<std::int64_t>(rounded, INT_MAX));
}

// An 8-bit top-down DIB header whose palette is the grey ramp: index i is grey i, so white ink
// lands on index 0xFF and the black paper on 0.
struct GreyBitmapInfo {
  BITMAPINFOHEADER header;
  RGBQUAD colors[256];
};

}  // namespace

struct GdiGlyphRasterizer::State {
  HDC dc = nullptr;
  HGDIOBJ originalBitmap = nullptr;  // what the DC held before our DIB, put back before freeing it
  HBITMAP bitmap = nullptr;
  std::uint8_t* bits = nullptr;
  std::int32_t bitmapWidth = 0;
  std::int32_t bitmapHeight = 0;
  std::int32_t pitch = 0;  // rows of a DIB are padded to 4 bytes
  HFONT font = nullptr;
  std::int32_t fontHeight = 0;  // the character height the font was made with
  std::int32_t fontType = 0;    // and the text type it was made for
};

GdiGlyphRasterizer::GdiGlyphRasterizer() : state_(new State) {}

GdiGlyphRasterizer::~GdiGlyphRasterizer() {
  if (state_->dc) {
    if (state_->originalBitmap) SelectObject(state_->dc, state_->originalBitmap);
    DeleteDC(state_->dc);
  }
  if (state_->bitmap) DeleteObject(state_->bitmap);
  if (state_->font) DeleteObject(state_->font);
  delete state_;
}

bool GdiGlyphRasterizer::draw(std::string_view text, std::int32_t type, std::int32_t pixelHeight, ISurface& target,
                              std::int32_t width, std::int32_t height) {
  if (pixelHeight < 1 || pixelHeight > kMaxPixelHeight) return false;
  if (!state_->dc) {
    state_->dc = CreateCompatibleDC(nullptr);
    if (!state_->dc) return false;
  }
  if (!selectFont(type, pixelHeight)) return false;
  if (width < 1 || height < 1 || !target.HasPixel()) return true;
  width = std::min(width, target.GetWidth());
  height = std::min(height, target.GetHeight());
  if (width < 1 || height < 1) return true;
  if (!ensureBitmap(width, height)) return false;

  // Clear the box, draw the whole text at the origin (what passes the box is never read), and let
  // GDI finish before the pixels are read.
  GdiFlush();
  for (std::int32_t y = 0; y < height; ++y)
    std::memset(state_->bits + std::ptrdiff_t{y} * state_->pitch, 0, static_cast<std::size_t>(width));
  HDC dc = state_->dc;
  SetTextColor(dc, RGB(0xFF, 0xFF, 0xFF));
  SetBkColor(dc, RGB(0, 0, 0));
  SetBkMode(dc, TRANSPARENT);
  const HGDIOBJ previousFont = SelectObject(dc, state_->font);
  const int length = static_cast<int>(std::min<std::size_t>(text.size(), INT_MAX));
  TextOutA(dc, 0, 0, text.data(), length);
  SelectObject(dc, previousFont);
  GdiFlush();

  const std::ptrdiff_t targetPitch = target.GetPitch();
  std::uint8_t* const targetBase = target.GetPixelAddress(0, 0);
  for (std::int32_t y = 0; y < height; ++y) {
    const std::uint8_t* source = state_->bits + std::ptrdiff_t{y} * state_->pitch;
    std::uint8_t* out = targetBase + y * targetPitch;
    for (std::int32_t x = 0; x < width; ++x) {
      if (source[x] >= kInkThreshold) out[x] = 0xFF;
    }
  }
  return true;
}

// Keeps the font while the height and the type stay the same; otherwise makes the new one first
// and only then lets the old one go, so a failure leaves the previous font usable.
bool GdiGlyphRasterizer::selectFont(std::int32_t type, std::int32_t pixelHeight) {
  if (state_->font && state_->fontHeight == pixelHeight && state_->fontType == type) return true;
  LOGFONTA description{};
  description.lfHeight = -pixelHeight;  // negative: the character height, not the cell height
  description.lfWidth = 0;
  description.lfEscapement = 0;
  description.lfOrientation = 0;
  description.lfWeight = 0;
  description.lfItalic = FALSE;
  description.lfUnderline = FALSE;
  description.lfStrikeOut = FALSE;
  description.lfCharSet = SHIFTJIS_CHARSET;
  description.lfOutPrecision = 0;
  description.lfClipPrecision = 0;
  description.lfQuality = 0;
  description.lfPitchAndFamily = FIXED_PITCH;
  const char* face = fixedText(type == 1 ? FixedText::kMinchoFaceName : FixedText::kGothicFaceName);
  std::strncpy(description.lfFaceName, face, sizeof description.lfFaceName - 1);
  const HFONT font = CreateFontIndirectA(&description);
  if (!font) return false;
  if (state_->font) DeleteObject(state_->font);
  state_->font = font;
  state_->fontHeight = pixelHeight;
  state_->fontType = type;
  return true;
}

// Makes sure the DIB covers width × height, making a larger one (never smaller than the old one
// in either side) when it does not. The DC then holds the new DIB.
bool GdiGlyphRasterizer::ensureBitmap(std::int32_t width, std::int32_t height) {
  if (state_->bitmap && width <= state_->bitmapWidth && height <= state_->bitmapHeight) return true;
  const std::int32_t newWidth = roundUpToStep(std::max(width, state_->bitmapWidth));
  const std::int32_t newHeight = roundUpToStep(std::max(height, state_->bitmapHeight));
  const std::int64_t pitch = (std::int64_t{newWidth} + 3) / 4 * 4;
  if (pitch * newHeight > std::int64_t{INT_MAX}) return false;

  auto info = std::make_unique<GreyBitmapInfo>();
  info->header.biSize = sizeof(BITMAPINFOHEADER);
  info->header.biWidth = newWidth;
  info->header.biHeight = -newHeight;  // negative: rows run top-down
  info->header.biPlanes = 1;
  info->header.biBitCount = 8;
  info->header.biCompression = BI_RGB;
  info->header.biClrUsed = 256;
  for (int i = 0; i < 256; ++i) {
    const auto grey = static_cast<BYTE>(i);
    info->colors[i] = RGBQUAD{grey, grey, grey, 0};
  }
  void* bits = nullptr;
  const HBITMAP bitmap =
      CreateDIBSection(state_->dc, reinterpret_cast<const BITMAPINFO*>(info.get()), DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!bitmap || !bits) {
    if (bitmap) DeleteObject(bitmap);
    return false;
  }
  const HGDIOBJ previous = SelectObject(state_->dc, bitmap);
  if (!previous || previous == HGDI_ERROR) {
    DeleteObject(bitmap);
    return false;
  }
  if (!state_->originalBitmap) state_->originalBitmap = previous;
  if (state_->bitmap) DeleteObject(state_->bitmap);  // no longer selected: free to go
  state_->bitmap = bitmap;
  state_->bits = static_cast<std::uint8_t*>(bits);
  state_->bitmapWidth = newWidth;
  state_->bitmapHeight = newHeight;
  state_->pitch = static_cast<std::int32_t>(pitch);
  return true;
}

}  // namespace tamblet
