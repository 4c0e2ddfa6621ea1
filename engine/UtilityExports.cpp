// The small exports around the script: keyboard, mouse and wheel, the timer and the local date
// and time, the game messages, number formatting and first-character removal for Shift-JIS
// texts; then the pacing switches and the diagnostics (reset flag, video memory, process memory,
// debugger pause, the script's call stack as a text).
//
// Before Init every export that needs a host service answers false, 0 or nothing and touches no
// output; after Init a service the host did not give makes its exports answer the same way. The
// text utilities, the date and time and the switches need nothing and work at any time. A null
// output address or string makes an export answer its failure value without calling the host.
#include <algorithm>
#include <cstdint>
#include <string>

#include "engine/CVELM.h"
#include "engine/Exports.h"
#include "engine/NumberText.h"
#include "platform/Clock.h"
#include "platform/Messages.h"
#include "platform/TextEncoding.h"

using namespace tamblet;

namespace {

constexpr std::int32_t kControlKey = 17;
constexpr std::int32_t kLastKeyCode = 255;

CVELM& engine() {
  return CVELM::instance();
}

// A host service field of the engine object, or null before Init (a failed Init may have left
// fields bound that belong to no running engine).
template <class Service>
Service* service(Service* field) {
  return engine().isInitialised() ? field : nullptr;
}
template <class Service>
Service* service(const Ref<Service>& field) {
  return engine().isInitialised() ? field.get() : nullptr;
}

bool isMouseButton(std::int32_t key) {
  return key == 1 || key == 2 || key == 4;
}

void formatInto(IString* out, std::int32_t value, std::int32_t width, std::int32_t zeroPadding, CharacterWidth style) {
  if (!out) return;
  // A text that cannot be built leaves out as it was.
  if (std::optional<std::string> text = formatPaddedInteger(value, width, boolArgument(zeroPadding), style)) {
    out->SetText(text->c_str());
  }
}

// The call stack's function names from the innermost frame on, each followed by the separator.
// `depth` 0 names the first frame only; a negative depth names every frame.
std::string callStackText(IVMCallStack& stack, IVMNameTable& names, std::int32_t depth) {
  const std::int64_t frames = stack.GetFrameCount();
  std::int64_t count = depth >= 0 && frames >= 0 ? std::int64_t{depth} + 1 : frames;
  count = std::min(count, frames);
  std::string text;
  for (std::int64_t i = 0; i < count; ++i) {
    const std::int32_t function = stack.GetFrameFunction(static_cast<std::int32_t>(i));
    if (function < 0) continue;
    const std::int32_t nameIndex = stack.GetFunctionNameIndex(function);
    if (nameIndex < 0) continue;
    const char* name = names.GetName(nameIndex);
    if (!name) continue;
    text += name;
    text += fixedText(FixedText::kCallStackSeparator);
  }
  return text;
}

// The time a pacing window starts at: the host timer's, or the system tick count without one.
std::uint32_t pacingNow() {
  ITimer* timer = service(engine().timer);
  return timer ? timer->GetTime() : platform::tickCount();
}

std::int32_t getSwitch(bool CVELM::*field) {
  return guardedExport<std::int32_t>(0, [&] { return boolResult(engine().*field); });
}

void setSwitch(bool CVELM::*field, std::int32_t value) {
  guardedExport([&] { engine().*field = boolArgument(value); });
}

}  // namespace

// ---- Keyboard ----

TAMBLET_EXPORT std::int32_t Key_ClearFlag() {
  return guardedExport<std::int32_t>(0, [&] {
    IInputDevice2* input = service(engine().inputDevice);
    if (!input) return 0;
    input->ClearAllKeyFlags();
    return 1;
  });
}

TAMBLET_EXPORT std::int32_t Key_ClearFlagOne(std::int32_t key) {
  return guardedExport<std::int32_t>(0, [&] {
    if (!engine().isInitialised()) return 0;
    IInputDevice2* input = engine().inputDevice;
    if (!input) {
      platform::debugOutput(fixedText(FixedText::kKeyClearFlagOneWithoutInput));
      return 0;
    }
    return boolResult(input->ClearKeyFlag(key));
  });
}

// Clears every key's flag but the control key's, which message skipping watches.
TAMBLET_EXPORT std::int32_t Key_ClearFlagNoCtrl() {
  return guardedExport<std::int32_t>(0, [&] {
    if (!engine().isInitialised()) return 0;
    IInputDevice2* input = engine().inputDevice;
    if (!input) {
      platform::debugOutput(fixedText(FixedText::kKeyClearFlagNoCtrlWithoutInput));
      return 0;
    }
    for (std::int32_t key = 0; key <= kLastKeyCode; ++key) {
      if (key != kControlKey) input->ClearKeyFlag(key);
    }
    return 1;
  });
}

TAMBLET_EXPORT std::int32_t Key_IsDown(std::int32_t key) {
  return guardedExport<std::int32_t>(0, [&] {
    IInputDevice2* input = service(engine().inputDevice);
    return boolResult(input && input->IsKeyDown(key));
  });
}

// A mouse button only counts as down while the host knows where the cursor is.
TAMBLET_EXPORT std::int32_t KEY_GetState(std::int32_t key) {
  return guardedExport<std::int32_t>(0, [&] {
    IKeyState* keys = service(engine().keyState);
    if (!keys || !keys->IsKeyDown(key)) return 0;
    if (isMouseButton(key)) {
      IInputDevice2* input = service(engine().inputDevice);
      std::int32_t x = 0, y = 0;
      if (!input || !input->GetMousePos(&x, &y)) return 0;
    }
    return 1;
  });
}

// ---- Mouse ----

TAMBLET_EXPORT std::int32_t Mouse_GetPos(std::int32_t* x, std::int32_t* y) {
  return guardedExport<std::int32_t>(0, [&] {
    IInputDevice2* input = service(engine().inputDevice);
    return boolResult(input && x && y && input->GetMousePos(x, y));
  });
}

TAMBLET_EXPORT void Mouse_ClearWheel() {
  guardedExport([&] {
    if (IMouseWheel* wheel = service(engine().mouseWheel)) wheel->Clear();
  });
}

TAMBLET_EXPORT void Mouse_GetWheel(std::int32_t* first, std::int32_t* second) {
  guardedExport([&] {
    IMouseWheel* wheel = service(engine().mouseWheel);
    if (!wheel || !first || !second) return;
    *first = wheel->GetFirstCount();
    *second = wheel->GetSecondCount();
  });
}

// ---- Time ----

TAMBLET_EXPORT std::int32_t Timer_Get() {
  return guardedExport<std::int32_t>(0, [&] {
    ITimer* timer = service(engine().timer);
    return timer ? static_cast<std::int32_t>(timer->GetTime()) : 0;
  });
}

TAMBLET_EXPORT void System_GetDate(std::int32_t* year, std::int32_t* month, std::int32_t* day,
                                   std::int32_t* dayOfWeek) {
  guardedExport([&] {
    if (!year || !month || !day || !dayOfWeek) return;
    const platform::LocalTime now = platform::localTime();
    *year = now.year;
    *month = now.month;
    *day = now.day;
    *dayOfWeek = now.dayOfWeek;
  });
}

TAMBLET_EXPORT void System_GetTime(std::int32_t* hour, std::int32_t* minute, std::int32_t* second,
                                   std::int32_t* millisecond) {
  guardedExport([&] {
    if (!hour || !minute || !second || !millisecond) return;
    const platform::LocalTime now = platform::localTime();
    *hour = now.hour;
    *minute = now.minute;
    *second = now.second;
    *millisecond = now.millisecond;
  });
}

// ---- Texts ----

TAMBLET_EXPORT void IntToZenkaku(IString* out, std::int32_t value, std::int32_t width, std::int32_t zeroPadding) {
  guardedExport([&] { formatInto(out, value, width, zeroPadding, CharacterWidth::kFull); });
}

TAMBLET_EXPORT void IntToHankaku(IString* out, std::int32_t value, std::int32_t width, std::int32_t zeroPadding) {
  guardedExport([&] { formatInto(out, value, width, zeroPadding, CharacterWidth::kHalf); });
}

// Moves the first character of source into out: 2 for a double-byte character, 1 for a single
// byte, 0 for an empty source. A lead byte that ends the text is taken alone as a double-byte
// character; nothing past the terminator is read.
TAMBLET_EXPORT std::int32_t StringPopFront(IString* out, IString* source) {
  return guardedExport<std::int32_t>(0, [&] {
    if (!out) return 0;
    const std::string text = stringArgument(source);
    if (text.empty()) {
      out->SetText("");
      return 0;
    }
    const bool doubleByte = platform::isSjisLeadByte(static_cast<unsigned char>(text[0]));
    const std::size_t taken = std::min<std::size_t>(doubleByte ? 2 : 1, text.size());
    out->SetText(text.substr(0, taken).c_str());
    source->SetText(text.c_str() + taken);
    return doubleByte ? 2 : 1;
  });
}

// ---- Game messages ----

TAMBLET_EXPORT std::int32_t GAME_MSG_GetNumof() {
  return guardedExport<std::int32_t>(0, [&] {
    IVMGameMsg* messages = service(engine().gameMessages);
    return messages ? messages->GetCount() : 0;
  });
}

TAMBLET_EXPORT void GAME_MSG_Get(std::int32_t index, IString* out) {
  guardedExport([&] {
    IVMGameMsg* messages = service(engine().gameMessages);
    if (!messages || !out) return;
    if (const char* text = messages->GetMessage(index)) out->SetText(text);
  });
}

// ---- Pacing switches: plain fields of the engine object, usable at any time ----

TAMBLET_EXPORT std::int32_t SYSTEM_IsResetOnce() {
  return guardedExport<std::int32_t>(0, [&] {
    IResetState* reset = service(engine().resetState);
    return boolResult(reset && reset->IsResetOnce());
  });
}

// Turning the sleep on starts a fresh measuring window, so frames counted while it was off do
// not move the adaptive sleep.
TAMBLET_EXPORT void SYSTEM_SetConfigOverFrameRateSleep(std::int32_t on) {
  guardedExport([&] {
    CVELM& engineObject = engine();
    const bool value = boolArgument(on);
    const bool turnedOn = value && !engineObject.sleepAboveFrameRate;
    engineObject.sleepAboveFrameRate = value;
    if (turnedOn) {
      engineObject.framesInWindow = 0;
      engineObject.windowStartTime = pacingNow();
    }
  });
}

TAMBLET_EXPORT std::int32_t SYSTEM_GetConfigOverFrameRateSleep() {
  return getSwitch(&CVELM::sleepAboveFrameRate);
}

TAMBLET_EXPORT void SYSTEM_SetConfigSleepByInactiveWindow(std::int32_t on) {
  setSwitch(&CVELM::sleepWhileInactive, on);
}

TAMBLET_EXPORT std::int32_t SYSTEM_GetConfigSleepByInactiveWindow() {
  return getSwitch(&CVELM::sleepWhileInactive);
}

TAMBLET_EXPORT void SYSTEM_SetReadMessageSkipping(std::int32_t on) {
  setSwitch(&CVELM::readingMessageSkip, on);
}

TAMBLET_EXPORT std::int32_t SYSTEM_GetReadMessageSkipping() {
  return getSwitch(&CVELM::readingMessageSkip);
}

TAMBLET_EXPORT void SYSTEM_SetConfigFrameSkipWhileMessageSkip(std::int32_t on) {
  setSwitch(&CVELM::skipFramesWhileMessageSkip, on);
}

TAMBLET_EXPORT std::int32_t SYSTEM_GetConfigFrameSkipWhileMessageSkip() {
  return getSwitch(&CVELM::skipFramesWhileMessageSkip);
}

TAMBLET_EXPORT void SYSTEM_SetInvalidateFrameSkipWhileMessageSkip(std::int32_t on) {
  setSwitch(&CVELM::frameSkipSuppressed, on);
}

TAMBLET_EXPORT std::int32_t SYSTEM_GetInvalidateFrameSkipWhileMessageSkip() {
  return getSwitch(&CVELM::frameSkipSuppressed);
}

// ---- Diagnostics ----

// Process memory in MiB as the frame loop last sampled it (debug mode only); 0 outside Init.
TAMBLET_EXPORT std::int32_t Debug_GetCurrentAllocatedMemorySize() {
  return guardedExport<std::int32_t>(0, [&] { return engine().isInitialised() ? engine().currentProcessMemory : 0; });
}

TAMBLET_EXPORT std::int32_t Debug_GetMaxAllocatedMemorySize() {
  return guardedExport<std::int32_t>(0, [&] { return engine().isInitialised() ? engine().peakProcessMemory : 0; });
}

// Total, used and peak used video memory. False, outputs untouched, when the host does not know
// the total or the free size. A free size above the total (a host's inconsistent answer) counts
// as nothing used rather than wrapping to a huge figure.
TAMBLET_EXPORT std::int32_t Debug_GetVideoMemoryInfo(std::int32_t* total, std::int32_t* used, std::int32_t* peakUsed) {
  return guardedExport<std::int32_t>(0, [&] {
    IVideoMemoryInfo* memory = service(engine().videoMemory);
    if (!memory || !total || !used || !peakUsed) return 0;
    const std::uint32_t totalBytes = memory->GetTotal();
    const std::uint32_t freeBytes = memory->GetFree();
    if (totalBytes == 0 || freeBytes == 0) return 0;
    const std::uint32_t usedBytes = freeBytes < totalBytes ? totalBytes - freeBytes : 0;
    std::uint32_t& peak = engine().peakVideoMemoryUsed;
    peak = std::max(peak, usedBytes);
    *total = static_cast<std::int32_t>(totalBytes);
    *used = static_cast<std::int32_t>(usedBytes);
    *peakUsed = static_cast<std::int32_t>(peak);
    return 1;
  });
}

TAMBLET_EXPORT void Debug_Pause() {
  guardedExport([&] {
    if (IVMDebugger* debugger = service(engine().vmDebugger)) debugger->Pause();
  });
}

// The names of the functions on the script's call stack, innermost first, each followed by "←".
// Without the call stack or the name table the text is empty.
TAMBLET_EXPORT void Debug_GetFuncStack(IString* out, std::int32_t depth) {
  guardedExport([&] {
    if (!out || !engine().isInitialised()) return;
    IVMCallStack* stack = engine().vmCallStack;
    IVMNameTable* names = engine().vmNameTable;
    out->SetText(stack && names ? callStackText(*stack, *names, depth).c_str() : "");
  });
}
