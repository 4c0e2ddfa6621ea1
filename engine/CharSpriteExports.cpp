// The character-sprite family: handles into the core's character-sprite manager. Bad handles
// make setters do nothing and queries answer their defaults; before Init every export answers
// its failure value. Changes reach the sprites through the public sprite exports.
#include <cstdint>

#include "engine/CVELM.h"
#include "engine/Exports.h"

using namespace tamblet;

namespace {

CharSpriteManager* manager() {
  CVelmEngine* core = CVELM::instance().core();
  return core ? &core->charSprites : nullptr;
}

// Runs `use` on the manager; nothing before Init.
template <class Use>
void withManager(Use&& use) {
  guardedExport([&] {
    if (CharSpriteManager* charSprites = manager()) use(*charSprites);
  });
}

// `use`'s answer, or `failure` before Init.
template <class Result, class Use>
Result askManager(Result failure, Use&& use) {
  return guardedExport<Result>(failure, [&] {
    CharSpriteManager* charSprites = manager();
    return charSprites ? static_cast<Result>(use(*charSprites)) : failure;
  });
}

}  // namespace

TAMBLET_EXPORT std::int32_t CharSpriteManager_CreateHandle() {
  return askManager<std::int32_t>(-1, [](CharSpriteManager& m) { return m.createHandle(); });
}

TAMBLET_EXPORT std::int32_t CharSpriteManager_ReleaseHandle(std::int32_t handle) {
  return askManager<std::int32_t>(0, [&](CharSpriteManager& m) { return boolResult(m.releaseHandle(handle)); });
}

TAMBLET_EXPORT void CharSpriteManager_Clear() {
  withManager([](CharSpriteManager& m) { m.clear(); });
}

TAMBLET_EXPORT void CharSpriteManager_Rebuild() {
  withManager([](CharSpriteManager& m) { m.rebuild(); });
}

TAMBLET_EXPORT std::int32_t CharSpriteManager_Save(IVMArray* out) {
  return askManager<std::int32_t>(0, [&](CharSpriteManager& m) { return boolResult(m.save(out)); });
}

TAMBLET_EXPORT std::int32_t CharSpriteManager_Load(IVMArray* in) {
  return askManager<std::int32_t>(0, [&](CharSpriteManager& m) { return boolResult(m.load(in)); });
}

TAMBLET_EXPORT void CharSprite_Release(std::int32_t handle) {
  withManager([&](CharSpriteManager& m) { m.release(handle); });
}

TAMBLET_EXPORT void CharSprite_SetChar(std::int32_t handle, IString* text, IVMStruct* style) {
  withManager([&](CharSpriteManager& m) { m.setChar(handle, stringArgument(text), style); });
}

TAMBLET_EXPORT void CharSprite_SetCharDirect(std::int32_t handle, const char* text, std::int32_t type,
                                             std::int32_t size, std::int32_t r, std::int32_t g, std::int32_t b,
                                             float boldWeight, float edgeWeight, std::int32_t edgeR,
                                             std::int32_t edgeG, std::int32_t edgeB) {
  withManager([&](CharSpriteManager& m) {
    m.setCharDirect(handle, text, type, size, r, g, b, boldWeight, edgeWeight, edgeR, edgeG, edgeB);
  });
}

TAMBLET_EXPORT void CharSprite_SetPos(std::int32_t handle, std::int32_t x, std::int32_t y) {
  withManager([&](CharSpriteManager& m) { m.setPos(handle, x, y); });
}

TAMBLET_EXPORT void CharSprite_SetZ(std::int32_t handle, std::int32_t z) {
  withManager([&](CharSpriteManager& m) { m.setZ(handle, z); });
}

TAMBLET_EXPORT void CharSprite_SetAlphaRate(std::int32_t handle, std::int32_t rate) {
  withManager([&](CharSpriteManager& m) { m.setAlphaRate(handle, rate); });
}

TAMBLET_EXPORT void CharSprite_SetShow(std::int32_t handle, std::int32_t show) {
  withManager([&](CharSpriteManager& m) { m.setShow(handle, boolArgument(show)); });
}

TAMBLET_EXPORT void CharSprite_GetChar(std::int32_t handle, IString* out) {
  withManager([&](CharSpriteManager& m) { m.getChar(handle, out); });
}

TAMBLET_EXPORT std::int32_t CharSprite_GetAlphaRate(std::int32_t handle) {
  return askManager<std::int32_t>(0, [&](CharSpriteManager& m) { return m.getAlphaRate(handle); });
}
