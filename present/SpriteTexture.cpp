#include "present/SpriteTexture.h"

#include <algorithm>
#include <cstring>

#include "report/FixedTexts.h"
#include "report/MessageBoxReporter.h"

namespace tamblet {
namespace {

constexpr std::int32_t kWhiteTextureSize = 32;
constexpr std::int32_t kLargestSize = 1 << 30;  // beyond this no power of two fits an i32

Ref<IDirect3DTexture9> createTexture(IDirect3DDevice9* device, std::int32_t width, std::int32_t height) {
  IDirect3DTexture9* texture = nullptr;
  if (!device || !succeeded(device->CreateTexture(static_cast<UINT>(width), static_cast<UINT>(height), 1, 0,
                                                  D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr)))
    return nullptr;
  return Ref<IDirect3DTexture9>::adopt(texture);
}

// How one surface row turns into texels.
enum class RowSource { kPixelsAndAlpha, kPixelsOnly, kAlphaPlane, kAlphaByte, kNone };

RowSource rowSourceOf(ISurface* surface) {
  const bool pixels = surface->HasPixel();
  const bool alpha = surface->HasAMap();
  if (pixels) return alpha ? RowSource::kPixelsAndAlpha : RowSource::kPixelsOnly;
  if (!alpha) return RowSource::kNone;
  // An alpha-only surface keeps its alpha in a separate plane, or in byte 3 of 32-bit rows.
  return surface->GetAMapAddress(0, 0) ? RowSource::kAlphaPlane : RowSource::kAlphaByte;
}

// Converts source row `y` into `texels` (width texels), then repeats the last texel to the end
// of the texture row. A row the surface cannot give is left as it is.
void convertRow(ISurface* surface, RowSource source, std::int32_t y, std::int32_t width, std::int32_t textureWidth,
                std::uint8_t* texels) {
  const std::uint8_t* in = nullptr;
  switch (source) {
    case RowSource::kPixelsAndAlpha:
      if (!(in = surface->GetPixelAddress(0, y))) return;
      std::memcpy(texels, in, static_cast<std::size_t>(width) * 4);
      break;
    case RowSource::kPixelsOnly:
      if (!(in = surface->GetPixelAddress(0, y))) return;
      for (std::int32_t x = 0; x < width; ++x) {
        std::memcpy(texels + x * 4, in + x * 4, 3);
        texels[x * 4 + 3] = 0xFF;
      }
      break;
    case RowSource::kAlphaPlane:
    case RowSource::kAlphaByte: {
      const bool plane = source == RowSource::kAlphaPlane;
      if (!(in = plane ? surface->GetAMapAddress(0, y) : surface->GetPixelAddress(0, y))) return;
      for (std::int32_t x = 0; x < width; ++x) {
        const std::uint8_t a = plane ? in[x] : in[x * 4 + 3];
        texels[x * 4] = texels[x * 4 + 1] = texels[x * 4 + 2] = a;
        texels[x * 4 + 3] = 0xFF;
      }
      break;
    }
    case RowSource::kNone:
      return;
  }
  std::uint32_t last;
  std::memcpy(&last, texels + (width - 1) * 4, 4);
  std::fill(reinterpret_cast<std::uint32_t*>(texels) + width, reinterpret_cast<std::uint32_t*>(texels) + textureWidth,
            last);
}

}  // namespace

std::int32_t SpriteTexture::powerOfTwoAtLeast(std::int32_t size) {
  std::int32_t result = 1;
  while (result < size && result < kLargestSize) result <<= 1;
  return result;
}

SpriteTexture::Load SpriteTexture::load(IDirect3DDevice9* device, ISurface* surface, bool quiet) {
  if (!surface) {
    reset();
    return Load::kLoaded;
  }
  const std::int32_t width = surface->GetWidth();
  const std::int32_t height = surface->GetHeight();
  const RowSource source = rowSourceOf(surface);
  const bool readsPixels =
      source == RowSource::kPixelsAndAlpha || source == RowSource::kPixelsOnly || source == RowSource::kAlphaByte;
  if (width < 1 || height < 1 || width > kLargestSize || height > kLargestSize ||
      (readsPixels && surface->GetBpp() != 32)) {
    reset();
    return Load::kNotDrawable;
  }
  const std::int32_t wantWidth = powerOfTwoAtLeast(width);
  const std::int32_t wantHeight = powerOfTwoAtLeast(height);
  if (!texture || textureWidth != wantWidth || textureHeight != wantHeight) {
    reset();
    texture = createTexture(device, wantWidth, wantHeight);
    if (!texture) {
      if (!quiet) report::reportMessageBox(fixedText(FixedText::kD3DTextureCreateFailed), wantWidth, wantHeight);
      return Load::kCreateFailed;
    }
  }

  D3DLOCKED_RECT locked{};
  if (!succeeded(texture->LockRect(0, &locked, nullptr, 0)) || !locked.pBits) {
    if (!quiet)
      report::reportMessageBox(fixedText(FixedText::kD3DTextureLockFailed), wantWidth, wantHeight, width, height);
    fail();
    return Load::kLockFailed;
  }
  auto* base = static_cast<std::uint8_t*>(locked.pBits);
  const std::ptrdiff_t pitch = locked.Pitch;
  for (std::int32_t y = 0; y < height; ++y) convertRow(surface, source, y, width, wantWidth, base + y * pitch);
  // The rows below the surface repeat the conversion of its last row.
  for (std::int32_t y = height; y < wantHeight; ++y)
    std::memcpy(base + y * pitch, base + (height - 1) * pitch, static_cast<std::size_t>(wantWidth) * 4);
  if (!succeeded(texture->UnlockRect(0))) {
    fail();
    return Load::kLockFailed;
  }
  textureWidth = wantWidth;
  textureHeight = wantHeight;
  sourceWidth = width;
  sourceHeight = height;
  return Load::kLoaded;
}

Ref<IDirect3DTexture9> createWhiteTexture(IDirect3DDevice9* device, bool quiet) {
  const std::int32_t size = kWhiteTextureSize;
  Ref<IDirect3DTexture9> texture = createTexture(device, size, size);
  if (!texture) {
    if (!quiet) report::reportMessageBox(fixedText(FixedText::kD3DTextureCreateFailed), size, size);
    return nullptr;
  }
  D3DLOCKED_RECT locked{};
  if (!succeeded(texture->LockRect(0, &locked, nullptr, 0)) || !locked.pBits) {
    if (!quiet) report::reportMessageBox(fixedText(FixedText::kD3DTextureLockFailed), size, size, size, size);
    return nullptr;
  }
  for (std::int32_t y = 0; y < size; ++y)
    std::memset(static_cast<std::uint8_t*>(locked.pBits) + y * std::ptrdiff_t{locked.Pitch}, 0xFF, size * 4);
  if (!succeeded(texture->UnlockRect(0))) return nullptr;
  return texture;
}

}  // namespace tamblet
