// The sprite family of exports: creation, properties, draw order queries, hit tests and pixel
// queries. Each checks its own arguments (reporting a fixed text), then looks the sprite up by
// find or find-or-create as its operation requires, and answers false, 0, −1 or null without a
// report for an absent sprite. Before Init every one answers its failure value.
#include <cstdint>
#include <limits>
#include <vector>

#include "engine/CIntArray.h"
#include "engine/CVELM.h"
#include "engine/Exports.h"
#include "sprite/DrawOrder.h"
#include "sprite/MatchingSurface.h"
#include "sprite/PixelQueries.h"

using namespace tamblet;

namespace {

CVELM& engine() { return CVELM::instance(); }

// The live table, or null before Init.
SpriteTable* liveTable() {
  CVelmEngine* core = engine().core();
  return core ? &core->sprites.liveTable : nullptr;
}

SpriteRecord* findSprite(std::int32_t number) {
  SpriteTable* table = liveTable();
  return table ? table->find(number) : nullptr;
}

SpriteRecord* findOrCreateSprite(std::int32_t number) {
  SpriteTable* table = liveTable();
  return table ? table->findOrCreate(number) : nullptr;
}

// Runs `set` on the sprite found or created; false before Init or when memory runs out.
template <class Set>
std::int32_t setOnCreated(std::int32_t number, Set&& set) {
  return guardedExport<std::int32_t>(0, [&] {
    SpriteRecord* record = findOrCreateSprite(number);
    if (!record) return 0;
    set(*record);
    return 1;
  });
}

// Runs `set` on an existing sprite; false when it is absent.
template <class Set>
std::int32_t setOnExisting(std::int32_t number, Set&& set) {
  return guardedExport<std::int32_t>(0, [&] {
    SpriteRecord* record = findSprite(number);
    if (!record) return 0;
    set(*record);
    return 1;
  });
}

// A field of an existing sprite, or `absent` for an absent sprite (and before Init).
template <class Get>
std::int32_t getFromExisting(std::int32_t number, std::int32_t absent, Get&& get) {
  return guardedExport<std::int32_t>(absent, [&] {
    const SpriteRecord* record = findSprite(number);
    return record ? static_cast<std::int32_t>(get(*record)) : absent;
  });
}

// True when the core exists; otherwise the check fails silently (nothing to report to yet).
bool ready() { return engine().core() != nullptr; }

// Whether a surface of width × height at `bpp` is too large to address with 32-bit sizes.
bool surfaceTooLarge(std::int32_t width, std::int32_t height, std::int32_t bpp) {
  const std::int64_t bytesPerPixel = bpp > 8 ? (static_cast<std::int64_t>(bpp) + 7) / 8 : 1;
  const std::int64_t pixels = static_cast<std::int64_t>(width) * height;  // both are at least 1
  return pixels > std::numeric_limits<std::int32_t>::max() / bytesPerPixel;
}

// Gives the sprite a new surface made by `make` (one reference) and drops the maker's reference.
template <class Make>
bool setNewSurface(std::int32_t number, Make&& make) {
  Ref<ISurface> surface = Ref<ISurface>::adopt(make());
  return surface && liveTable()->setSurface(number, surface.get());
}

}  // namespace

// ---- Creation ----

TAMBLET_EXPORT std::int32_t SP_Create(std::int32_t nSP, std::int32_t nWidth, std::int32_t nHeight, std::int32_t r,
                                      std::int32_t g, std::int32_t b, std::int32_t blend) {
  return guardedExport<std::int32_t>(0, [&] {
    if (!ready()) return 0;
    if (nWidth < 1 || nHeight < 1) {
      engine().report(FixedText::kSpCreateSizeError, nSP, nWidth, nHeight, r, g, b, blend);
      return 0;
    }
    CVelmEngine& core = *engine().core();
    const std::int32_t depth = core.screenDepth();
    if (surfaceTooLarge(nWidth, nHeight, depth)) return 0;
    return boolResult(setNewSurface(nSP, [&]() -> ISurface* {
      ISurface* surface = core.surfaceFactory->Create(nWidth, nHeight, depth);
      if (surface) {
        core.rasterOperations->FillColor(surface, 0, 0, nWidth, nHeight, r, g, b, 0);
        core.rasterOperations->FillAlpha(surface, 0, 0, nWidth, nHeight, blend);
      }
      return surface;
    }));
  });
}

TAMBLET_EXPORT std::int32_t SP_CreatePixelOnly(std::int32_t nSP, std::int32_t nWidth, std::int32_t nHeight) {
  return guardedExport<std::int32_t>(0, [&] {
    if (!ready()) return 0;
    if (nWidth < 1 || nHeight < 1) {
      engine().report(FixedText::kSpCreatePixelOnlySizeError, nSP, nWidth, nHeight);
      return 0;
    }
    CVelmEngine& core = *engine().core();
    const std::int32_t depth = core.screenDepth();
    if (surfaceTooLarge(nWidth, nHeight, depth)) return 0;
    return boolResult(
        setNewSurface(nSP, [&] { return core.surfaceFactory->CreatePixelOnly(nWidth, nHeight, depth); }));
  });
}

// Copies only the image of nSrc onto nDest, into a surface of the same kind.
TAMBLET_EXPORT std::int32_t SP_CreateCopy(std::int32_t nDest, std::int32_t nSrc) {
  return guardedExport<std::int32_t>(0, [&] {
    const SpriteRecord* source = findSprite(nSrc);
    if (!source || !source->surface) return 0;
    CVelmEngine& core = *engine().core();
    ISurface* from = source->surface.get();
    const std::int32_t width = from->GetWidth(), height = from->GetHeight();
    if (!from->HasPixel() && !from->HasAMap()) return 0;
    return boolResult(setNewSurface(nDest, [&]() -> ISurface* {
      Ref<ISurface> copy = makeMatchingSurface(*core.surfaceFactory, *from, width, height, from->GetBpp());
      if (copy) core.rasterOperations->Copy(copy.get(), 0, 0, from, 0, 0, width, height);
      return copy.detach();
    }));
  });
}

TAMBLET_EXPORT std::int32_t SP_CreateCustom(std::int32_t nSP) {
  return setOnCreated(nSP, [](SpriteRecord& record) { record.custom = true; });
}

TAMBLET_EXPORT std::int32_t SP_Delete(std::int32_t nSP) {
  return guardedExport<std::int32_t>(0, [&] {
    SpriteTable* table = liveTable();
    if (!table) return 0;
    if (nSP < 1) {
      engine().report(FixedText::kSpDeleteBadNumber, nSP);
      return 0;
    }
    if (!table->find(nSP)) return 0;
    table->remove(nSP);
    return 1;
  });
}

TAMBLET_EXPORT std::int32_t SP_DeleteAll() {
  return guardedExport<std::int32_t>(0, [] {
    SpriteTable* table = liveTable();
    if (!table) return 0;
    table->removeAll();
    return 1;
  });
}

// ---- Setters ----

TAMBLET_EXPORT std::int32_t SP_SetPos(std::int32_t nSP, std::int32_t x, std::int32_t y) {
  if (ready() && nSP < 1) return engine().report(FixedText::kSpSetPosBadNumber, nSP, x, y), 0;
  return setOnCreated(nSP, [&](SpriteRecord& record) { record.x = x, record.y = y; });
}

TAMBLET_EXPORT std::int32_t SP_SetX(std::int32_t nSP, std::int32_t nX) {
  if (ready() && nSP < 1) return engine().report(FixedText::kSpSetXBadNumber, nSP, nX), 0;
  return setOnCreated(nSP, [&](SpriteRecord& record) { record.x = nX; });
}

TAMBLET_EXPORT std::int32_t SP_SetY(std::int32_t nSP, std::int32_t nY) {
  if (ready() && nSP < 1) return engine().report(FixedText::kSpSetYBadNumber, nSP, nY), 0;
  return setOnCreated(nSP, [&](SpriteRecord& record) { record.y = nY; });
}

TAMBLET_EXPORT std::int32_t SP_SetZ(std::int32_t nSP, std::int32_t nZ) {
  if (ready() && (nSP < 1 || nZ < 0)) return engine().report(FixedText::kSpSetZBadArgument, nSP, nZ), 0;
  return setOnCreated(nSP, [&](SpriteRecord& record) { record.z = nZ; });
}

TAMBLET_EXPORT std::int32_t SP_SetBlendRate(std::int32_t nSP, std::int32_t rate) {
  if (ready() && (nSP < 1 || static_cast<std::uint32_t>(rate) > 255))
    return engine().report(FixedText::kSpSetBlendRateBadArgument, nSP, rate), 0;
  return setOnCreated(nSP, [&](SpriteRecord& record) { record.blendRate = rate; });
}

TAMBLET_EXPORT std::int32_t SP_SetBrightness(std::int32_t nSP, std::int32_t value) {
  if (ready() && (nSP < 1 || value < 0 || value > 255))
    return engine().report(FixedText::kSpSetBrightnessBadArgument, nSP, value), 0;
  return setOnCreated(nSP, [&](SpriteRecord& record) {
    record.multiplyColor[kRed] = record.multiplyColor[kGreen] = record.multiplyColor[kBlue] = value;
    record.multiplyColor[kAlpha] = 255;
  });
}

TAMBLET_EXPORT std::int32_t SP_SetMultipleColor(std::int32_t nSP, std::int32_t r, std::int32_t g, std::int32_t b) {
  return setOnExisting(nSP, [&](SpriteRecord& record) {
    record.multiplyColor[kRed] = r, record.multiplyColor[kGreen] = g, record.multiplyColor[kBlue] = b;
    record.multiplyColor[kAlpha] = 255;
  });
}

TAMBLET_EXPORT std::int32_t SP_SetAddColor(std::int32_t nSP, std::int32_t r, std::int32_t g, std::int32_t b,
                                           std::int32_t a) {
  return setOnExisting(nSP, [&](SpriteRecord& record) {
    record.addColor[kRed] = r, record.addColor[kGreen] = g, record.addColor[kBlue] = b, record.addColor[kAlpha] = a;
  });
}

TAMBLET_EXPORT std::int32_t SP_SetShow(std::int32_t nSP, std::int32_t bShow) {
  const bool show = boolArgument(bShow);
  if (ready() && nSP < 1) return engine().report(FixedText::kSpSetShowBadNumber, nSP, boolResult(show)), 0;
  return setOnCreated(nSP, [&](SpriteRecord& record) { record.show = show; });
}

TAMBLET_EXPORT std::int32_t SP_SetDrawMethod(std::int32_t nSP, std::int32_t nMethod) {
  if (ready() && nSP < 1) return engine().report(FixedText::kSpSetDrawMethodBadNumber, nSP, nMethod), 0;
  return setOnCreated(nSP, [&](SpriteRecord& record) { record.drawMethod = nMethod; });
}

TAMBLET_EXPORT std::int32_t SP_SetSurfaceArea(std::int32_t nSP, std::int32_t x, std::int32_t y, std::int32_t width,
                                              std::int32_t height) {
  return setOnCreated(nSP, [&](SpriteRecord& record) { record.surfaceArea = {x, y, width, height}; });
}

TAMBLET_EXPORT std::int32_t SP_GetSurfaceArea(std::int32_t nSP, std::int32_t* x, std::int32_t* y,
                                              std::int32_t* width, std::int32_t* height) {
  if (!x || !y || !width || !height) return 0;
  return setOnCreated(nSP, [&](SpriteRecord& record) {
    *x = record.surfaceArea.x, *y = record.surfaceArea.y;
    *width = record.surfaceArea.width, *height = record.surfaceArea.height;
  });
}

TAMBLET_EXPORT std::int32_t SP_SetSpriteTransformMode(std::int32_t nSP, std::int32_t mode) {
  return setOnCreated(nSP, [&](SpriteRecord& record) { record.transformMode = mode; });
}

TAMBLET_EXPORT std::int32_t SP_SetSpriteTransformPos(std::int32_t nSP, float x0, float y0, float z0, float w0,
                                                     float u0, float v0, float x1, float y1, float z1, float w1,
                                                     float u1, float v1, float x2, float y2, float z2, float w2,
                                                     float u2, float v2, float x3, float y3, float z3, float w3,
                                                     float u3, float v3) {
  const float corners[4][6] = {{x0, y0, z0, w0, u0, v0},
                               {x1, y1, z1, w1, u1, v1},
                               {x2, y2, z2, w2, u2, v2},
                               {x3, y3, z3, w3, u3, v3}};
  return setOnCreated(nSP, [&](SpriteRecord& record) {
    for (int corner = 0; corner < 4; ++corner) {
      const float* c = corners[corner];
      record.transformPositions[corner] = {c[0], c[1], c[2], c[3]};
      record.transformTexCoords[corner] = {c[4], c[5]};
    }
  });
}

TAMBLET_EXPORT std::int32_t Sprite_SetTextureFilerType(std::int32_t nSP, std::int32_t type) {
  return setOnExisting(nSP, [&](SpriteRecord& record) { record.textureFilterType = type; });
}

TAMBLET_EXPORT std::int32_t SP_SetAlphaClipperSpriteNumber(std::int32_t nSP, std::int32_t nClipSP) {
  return setOnExisting(nSP, [&](SpriteRecord& record) { record.alphaClipperNumber = nClipSP; });
}

TAMBLET_EXPORT std::int32_t SP_Suspend(std::int32_t nSP) {
  return setOnExisting(nSP, [](SpriteRecord& record) { record.suspended = true; });
}

TAMBLET_EXPORT std::int32_t SP_Resume(std::int32_t nSP) {
  return setOnExisting(nSP, [](SpriteRecord& record) { record.suspended = false; });
}

// ---- Getters ----

TAMBLET_EXPORT std::int32_t SP_IsUsing(std::int32_t nSP) {
  return getFromExisting(nSP, 0, [](const SpriteRecord&) { return 1; });
}

TAMBLET_EXPORT std::int32_t SP_ExistAlpha(std::int32_t nSP) {
  return getFromExisting(nSP, 0, [](const SpriteRecord& r) { return boolResult(r.surface && r.surface->HasAMap()); });
}

TAMBLET_EXPORT std::int32_t SP_GetPosX(std::int32_t nSP) { return getFromExisting(nSP, 0, [](auto& r) { return r.x; }); }
TAMBLET_EXPORT std::int32_t SP_GetPosY(std::int32_t nSP) { return getFromExisting(nSP, 0, [](auto& r) { return r.y; }); }
TAMBLET_EXPORT std::int32_t SP_GetZ(std::int32_t nSP) { return getFromExisting(nSP, 0, [](auto& r) { return r.z; }); }
TAMBLET_EXPORT std::int32_t SP_GetWidth(std::int32_t nSP) {
  return getFromExisting(nSP, 0, [](auto& r) { return r.width; });
}
TAMBLET_EXPORT std::int32_t SP_GetHeight(std::int32_t nSP) {
  return getFromExisting(nSP, 0, [](auto& r) { return r.height; });
}
TAMBLET_EXPORT std::int32_t SP_GetBlendRate(std::int32_t nSP) {
  return getFromExisting(nSP, 0, [](auto& r) { return r.blendRate; });
}
TAMBLET_EXPORT std::int32_t SP_GetBrightness(std::int32_t nSP) {
  return getFromExisting(nSP, 0, [](auto& r) { return r.multiplyColor[kRed]; });
}
TAMBLET_EXPORT std::int32_t SP_GetDrawMethod(std::int32_t nSP) {
  return getFromExisting(nSP, 0, [](auto& r) { return r.drawMethod; });
}
TAMBLET_EXPORT std::int32_t SP_GetShow(std::int32_t nSP) {
  return getFromExisting(nSP, 0, [](auto& r) { return boolResult(r.show); });
}
TAMBLET_EXPORT std::int32_t SP_IsSuspend(std::int32_t nSP) {
  return getFromExisting(nSP, 0, [](auto& r) { return boolResult(r.suspended); });
}
TAMBLET_EXPORT std::int32_t Sprite_GetTextureFilterType(std::int32_t nSP) {
  return getFromExisting(nSP, 1, [](auto& r) { return r.textureFilterType; });
}
TAMBLET_EXPORT std::int32_t SP_GetAlphaClipperSpriteNumber(std::int32_t nSP) {
  return getFromExisting(nSP, -1, [](auto& r) { return r.alphaClipperNumber; });
}

// ---- Surfaces (all borrowed: the sprite keeps its reference) ----

TAMBLET_EXPORT ISurface* Sprite_GetWritableSurface(std::int32_t nSP) {
  return guardedExport<ISurface*>(nullptr, [&]() -> ISurface* {
    SpriteTable* table = liveTable();
    return table ? table->writableSurface(nSP) : nullptr;
  });
}

TAMBLET_EXPORT std::int32_t Sprite_SetSurface(std::int32_t nSP, ISurface* surface) {
  return guardedExport<std::int32_t>(0, [&] {
    SpriteTable* table = liveTable();
    return table ? boolResult(table->setSurface(nSP, surface)) : 0;
  });
}

TAMBLET_EXPORT ISurface* Sprite_GetConstSurface(std::int32_t nSP) {
  return guardedExport<ISurface*>(nullptr, [&]() -> ISurface* {
    const SpriteRecord* record = findSprite(nSP);
    return record ? record->surface.get() : nullptr;
  });
}

TAMBLET_EXPORT ISurface* Debug_GetSpriteSurface(std::int32_t nSP) { return Sprite_GetConstSurface(nSP); }

// ---- Draw order and enumeration ----

TAMBLET_EXPORT std::int32_t SP_Count() {
  return guardedExport<std::int32_t>(0, [] {
    const SpriteTable* table = liveTable();
    return table ? spriteCount(*table) : 0;
  });
}

// Writes the sprite numbers into a one-dimensional int array that is long enough; answers the
// count whatever the array, reporting the first check that fails.
TAMBLET_EXPORT std::int32_t SP_Enum(IVMArray* array) {
  return guardedExport<std::int32_t>(0, [&] {
    const SpriteTable* table = liveTable();
    if (!table) return 0;
    Ref<CIntArray> numbers = Ref<CIntArray>::adopt(CIntArray::create());
    std::vector<std::int32_t> list;
    if (!numbers || !table->listNumbers(list)) return 0;
    for (std::int32_t number : list) numbers->PushBack(number);
    const auto count = static_cast<std::int32_t>(numbers->Size());
    if (!array || array->GetDimensionCount() != 1) {
      engine().reportLiteral(fixedText(FixedText::kSpEnumArrayNotOneDimensional));
    } else if (array->GetElementType() != kVMTypeInt) {
      engine().reportLiteral(fixedText(FixedText::kSpEnumArrayNotInt));
    } else if (array->GetElementCount() < count) {
      engine().reportLiteral(fixedText(FixedText::kSpEnumArrayTooShort));
    } else {
      for (std::int32_t i = 0; i < count; ++i) array->SetElement(i, numbers->At(static_cast<std::uint32_t>(i)));
    }
    return count;
  });
}

TAMBLET_EXPORT std::int32_t SP_GetUnuseNum(std::int32_t nMin) {
  return guardedExport<std::int32_t>(0, [&] {
    const SpriteTable* table = liveTable();
    return table ? unusedNumber(*table, nMin) : 0;
  });
}

TAMBLET_EXPORT std::int32_t SP_GetMaxZ() {
  return guardedExport<std::int32_t>(0, [] {
    const SpriteTable* table = liveTable();
    return table ? maxZ(*table) : 0;
  });
}

// Hands out the numbers of all sprites in a list the library keeps for the whole process; it
// stays valid until the next call.
TAMBLET_EXPORT std::int32_t Debug_GetSpriteNumberList(std::int32_t** list, std::int32_t* count) {
  return guardedExport<std::int32_t>(0, [&] {
    static std::vector<std::int32_t> numbers;
    const SpriteTable* table = liveTable();
    if (!table || !list || !count) return 0;
    if (!table->listNumbers(numbers)) numbers.clear();
    *list = numbers.empty() ? nullptr : numbers.data();
    *count = static_cast<std::int32_t>(numbers.size());
    return 1;
  });
}

// ---- Hit tests and pixel queries ----

TAMBLET_EXPORT std::int32_t SP_IsPtIn(std::int32_t nSP, std::int32_t x, std::int32_t y) {
  if (ready() && nSP < 1) return engine().report(FixedText::kSpIsPtInBadNumber, nSP, x, y), 0;
  return guardedExport<std::int32_t>(0, [&] { return boolResult(isPointIn(findSprite(nSP), x, y)); });
}

TAMBLET_EXPORT std::int32_t SP_IsPtInRect(std::int32_t nSP, std::int32_t x, std::int32_t y) {
  if (ready() && nSP < 1) return engine().report(FixedText::kSpIsPtInRectBadNumber, nSP, x, y), 0;
  return guardedExport<std::int32_t>(0, [&] { return boolResult(isPointInRect(findSprite(nSP), x, y)); });
}

TAMBLET_EXPORT std::int32_t SP_GetAMapValue(std::int32_t nSP, std::int32_t x, std::int32_t y) {
  return guardedExport<std::int32_t>(-1, [&] { return aMapValue(findSprite(nSP), x, y); });
}

TAMBLET_EXPORT std::int32_t SP_GetPixelValue(std::int32_t nSP, std::int32_t x, std::int32_t y, std::int32_t* r,
                                             std::int32_t* g, std::int32_t* b) {
  return guardedExport<std::int32_t>(0, [&] {
    if (!r || !g || !b) return 0;
    return boolResult(pixelValue(findSprite(nSP), x, y, *r, *g, *b));
  });
}
