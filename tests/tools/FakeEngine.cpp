// A stand-in engine library for the player's bridge tests: a handful of exports with the real
// names and C signatures whose answers are fixed, so every marshalling path can be checked
// exactly (outputs, strings, arrays, structures, surfaces, references).
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "host/IInterface.h"
#include "host/InterfaceId.h"
#include "host/Kernel.h"
#include "host/Surface.h"
#include "host/VM.h"

#define FAKE_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

// A counted object whose count tests read through FakeEngine_References.
struct CountedSurface final : tamblet::ISurface {
  std::int32_t count = 1;
  std::int32_t AddRef() override { return ++count; }
  std::int32_t Release() override { return --count; }
  std::uint8_t* GetPixelAddress(std::int32_t, std::int32_t) override { return nullptr; }
  std::uint8_t* GetAMapAddress(std::int32_t, std::int32_t) override { return nullptr; }
  std::int32_t GetWidth() override { return 3; }
  std::int32_t GetHeight() override { return 2; }
  std::int32_t GetBpp() override { return 32; }
  std::int32_t GetPitch() override { return 12; }
  std::int32_t GetAMapPitch() override { return 0; }
  bool HasPixel() override { return false; }
  bool HasAMap() override { return false; }
};

CountedSurface surface;
tamblet::IHostKernel* lastKernel = nullptr;
std::int32_t updates = 0;
std::int32_t numbers[] = {4, 5};

}  // namespace

FAKE_EXPORT std::int32_t FakeEngine_References() { return surface.count; }
FAKE_EXPORT std::int32_t FakeEngine_Updates() { return updates; }
FAKE_EXPORT void* FakeEngine_LastKernel() { return lastKernel; }

FAKE_EXPORT std::int32_t Init(tamblet::IHostKernel* kernel, std::int32_t cacheMiB) {
  lastKernel = kernel;
  return cacheMiB == 64 ? 1 : 0;
}
FAKE_EXPORT std::int32_t Update() { return ++updates, 1; }
FAKE_EXPORT std::int32_t TRANS_Update(float rate) { return rate >= 0.5f ? 1 : 0; }
FAKE_EXPORT float FPS_Get() { return 59.5f; }
FAKE_EXPORT std::int32_t SP_SetShow(std::int32_t nSP, std::int32_t show) { return nSP == 1 ? show : 0; }
FAKE_EXPORT std::int32_t SP_SetPos(std::int32_t nSP, std::int32_t x, std::int32_t y) { return nSP + x + y == 0; }
FAKE_EXPORT std::int32_t Mouse_GetPos(std::int32_t* x, std::int32_t* y) {
  *x = 7;
  *y = -8;
  return 1;
}
FAKE_EXPORT std::int32_t StringPopFront(tamblet::IString* out, tamblet::IString* source) {
  const char* text = source->GetText();
  const std::size_t take = static_cast<unsigned char>(text[0]) >= 0x81 ? 2 : 1;
  char first[3] = {};
  std::memcpy(first, text, take);
  out->SetText(first);
  const char* rest = text + take;
  char copy[64] = {};
  std::snprintf(copy, sizeof(copy), "%s", rest);
  source->SetText(copy);
  return static_cast<std::int32_t>(take);
}
FAKE_EXPORT void IntToHankaku(tamblet::IString* out, std::int32_t value, std::int32_t width, std::int32_t zero) {
  char text[64];
  std::snprintf(text, sizeof(text), "%d|%d|%d", value, width, zero);
  out->SetText(text);
}
FAKE_EXPORT void CharSprite_GetChar(std::int32_t, tamblet::IString* out) { out->SetText("\x82\xa0\x82"); }
FAKE_EXPORT std::int32_t SP_Enum(tamblet::IVMArray* array) {
  const std::int32_t counts[] = {3};
  if (!array->Resize(counts, 1)) return -1;
  for (std::int32_t i = 0; i < 3; ++i) {
    const std::int32_t value = 5 + i;
    array->SetElement(i, &value);
  }
  return array->GetElementType();
}
FAKE_EXPORT std::int32_t CG_GetMetrics(std::int32_t nCG, tamblet::IVMStruct* metrics) {
  for (std::int32_t i = 0; i < metrics->GetMemberCount(); ++i) {
    if (metrics->GetMemberType(i) != tamblet::kVMTypeInt) continue;
    const std::int32_t value = nCG * 10 + i;
    metrics->SetMember(i, &value);
  }
  return 1;
}
FAKE_EXPORT std::int32_t Debug_GetSpriteNumberList(std::int32_t** list, std::int32_t* count) {
  *list = numbers;
  *count = 2;
  return 1;
}
FAKE_EXPORT tamblet::ISurface* Sprite_GetConstSurface(std::int32_t nSP) { return nSP == 1 ? &surface : nullptr; }
FAKE_EXPORT std::int32_t Sprite_SetSurface(std::int32_t, tamblet::ISurface* given) {
  return given == &surface ? 1 : given ? 2 : 0;
}
FAKE_EXPORT tamblet::IInterface* GetInterface(const tamblet::InterfaceId* id) {
  if (id->bytes[0] != 0x71 || id->bytes[15] != 0x2F) return nullptr;
  surface.AddRef();
  return &surface;
}
FAKE_EXPORT void CharSprite_SetCharDirect(std::int32_t handle, const char* text, std::int32_t, std::int32_t,
                                          std::int32_t, std::int32_t, std::int32_t b, float bold, float edge,
                                          std::int32_t, std::int32_t, std::int32_t edgeB) {
  // Records what arrived where: the handle becomes the number of updates.
  updates = handle + static_cast<std::int32_t>(std::strlen(text)) + b + static_cast<std::int32_t>(bold * 10) +
            static_cast<std::int32_t>(edge * 100) + edgeB * 1000;
}
FAKE_EXPORT void Debug_GetFuncStack(tamblet::IString* out, std::int32_t) { out->SetText("stack"); }
