// The text family: the current text style's six setters, text and dash sprites, and the two font
// metric queries. The style setters store what they are given; text and dash sprites render a
// surface through the core's text store and give it to the sprite. No failure is reported: a
// text sprite that cannot be made answers false and the sprite keeps its former surface.
#include <cstdint>

#include "engine/CVELM.h"
#include "engine/Exports.h"
#include "text/FontMetrics.h"

using namespace tamblet;

namespace {

CVelmEngine* core() { return CVELM::instance().core(); }

TextColor opaqueColor(std::int32_t r, std::int32_t g, std::int32_t b) {
  return {static_cast<std::uint8_t>(r), static_cast<std::uint8_t>(g), static_cast<std::uint8_t>(b), 255};
}

// Runs `change` on the current style; nothing before Init.
template <class Change>
void changeStyle(Change&& change) {
  guardedExport([&] {
    if (CVelmEngine* engineCore = core()) change(engineCore->textStyle);
  });
}

// Gives `surface` to sprite `nSP`; false for a null surface.
std::int32_t giveSurface(CVelmEngine& engineCore, std::int32_t nSP, const Ref<ISurface>& surface) {
  if (!surface) return 0;
  return boolResult(engineCore.sprites.liveTable.setSurface(nSP, surface.get()));
}

}  // namespace

TAMBLET_EXPORT std::int32_t SP_SetTextSprite(std::int32_t nSP, IString* text) {
  return guardedExport<std::int32_t>(0, [&] {
    CVelmEngine* engineCore = core();
    if (!engineCore) return 0;
    const std::string bytes = stringArgument(text);
    return giveSurface(*engineCore, nSP, engineCore->text.characterSurface(bytes, engineCore->textStyle));
  });
}

TAMBLET_EXPORT std::int32_t SP_SetDashTextSprite(std::int32_t nSP, std::int32_t width, std::int32_t height) {
  return guardedExport<std::int32_t>(0, [&] {
    CVelmEngine* engineCore = core();
    if (!engineCore) return 0;
    return giveSurface(*engineCore, nSP, engineCore->text.dashSurface(width, height, engineCore->textStyle));
  });
}

TAMBLET_EXPORT void SP_SetTextSpriteType(std::int32_t type) {
  changeStyle([&](TextStyle& style) { style.type = type; });
}

TAMBLET_EXPORT void SP_SetTextSpriteSize(std::int32_t size) {
  changeStyle([&](TextStyle& style) { style.size = size; });
}

TAMBLET_EXPORT void SP_SetTextSpriteColor(std::int32_t r, std::int32_t g, std::int32_t b) {
  changeStyle([&](TextStyle& style) { style.color = opaqueColor(r, g, b); });
}

TAMBLET_EXPORT void SP_SetTextSpriteBoldWeight(float weight) {
  changeStyle([&](TextStyle& style) { style.boldWeight = weight; });
}

TAMBLET_EXPORT void SP_SetTextSpriteEdgeWeight(float weight) {
  changeStyle([&](TextStyle& style) { style.edgeWeight = weight; });
}

TAMBLET_EXPORT void SP_SetTextSpriteEdgeColor(std::int32_t r, std::int32_t g, std::int32_t b) {
  changeStyle([&](TextStyle& style) { style.edgeColor = opaqueColor(r, g, b); });
}

TAMBLET_EXPORT std::int32_t SP_GetFontDescent(std::int32_t* out) {
  return guardedExport<std::int32_t>(0, [&] {
    CVelmEngine* engineCore = core();
    if (!engineCore || !out) return 0;
    return boolResult(fontDescent(engineCore->text.fontLibrary(), engineCore->textStyle, *out));
  });
}

TAMBLET_EXPORT std::int32_t SP_GetFontWidth(IString* text, std::int32_t* out) {
  return guardedExport<std::int32_t>(0, [&] {
    CVelmEngine* engineCore = core();
    if (!engineCore || !out) return 0;
    const std::string bytes = stringArgument(text);
    return boolResult(fontWidth(engineCore->text.fontLibrary(), bytes, engineCore->textStyle, *out));
  });
}
