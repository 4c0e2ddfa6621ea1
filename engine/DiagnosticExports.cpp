// Diagnostics: process and video memory figures, the debugger pause and the script's call
// stack as a text. Before Init, or without the host service they need, they answer 0 or nothing.
#include <algorithm>
#include <cstdint>
#include <string>

#include "engine/BoundService.h"
#include "engine/CVELM.h"
#include "engine/Exports.h"
#include "report/FixedTexts.h"

using namespace tamblet;

namespace {

CVELM& engine() { return CVELM::instance(); }

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

}  // namespace

// Process memory in MiB as the frame loop last sampled it (debug mode only); 0 outside Init.
TAMBLET_EXPORT std::int32_t Debug_GetCurrentAllocatedMemorySize() {
  return guardedExport<std::int32_t>(0, [&] {
    return engine().isInitialised() ? engine().diagnostics.currentProcessMemory : 0;
  });
}

TAMBLET_EXPORT std::int32_t Debug_GetMaxAllocatedMemorySize() {
  return guardedExport<std::int32_t>(0, [&] {
    return engine().isInitialised() ? engine().diagnostics.peakProcessMemory : 0;
  });
}

// Total, used and peak used video memory. False, outputs untouched, when the host does not know
// the total or the free size. A free size above the total (a host's inconsistent answer) counts
// as nothing used rather than wrapping to a huge figure.
TAMBLET_EXPORT std::int32_t Debug_GetVideoMemoryInfo(std::int32_t* total, std::int32_t* used, std::int32_t* peakUsed) {
  return guardedExport<std::int32_t>(0, [&] {
    IVideoMemoryInfo* memory = boundService(engine().binding.videoMemory);
    if (!memory || !total || !used || !peakUsed) return 0;
    const std::uint32_t totalBytes = memory->GetTotal();
    const std::uint32_t freeBytes = memory->GetFree();
    if (totalBytes == 0 || freeBytes == 0) return 0;
    const std::uint32_t usedBytes = freeBytes < totalBytes ? totalBytes - freeBytes : 0;
    std::uint32_t& peak = engine().diagnostics.peakVideoMemoryUsed;
    peak = std::max(peak, usedBytes);
    *total = static_cast<std::int32_t>(totalBytes);
    *used = static_cast<std::int32_t>(usedBytes);
    *peakUsed = static_cast<std::int32_t>(peak);
    return 1;
  });
}

TAMBLET_EXPORT void Debug_Pause() {
  guardedExport([&] {
    if (IVMDebugger* debugger = boundService(engine().binding.vmDebugger)) debugger->Pause();
  });
}

// The names of the functions on the script's call stack, innermost first, each followed by "←".
// Without the call stack or the name table the text is empty.
TAMBLET_EXPORT void Debug_GetFuncStack(IString* out, std::int32_t depth) {
  guardedExport([&] {
    if (!out || !engine().isInitialised()) return;
    IVMCallStack* stack = engine().binding.vmCallStack;
    IVMNameTable* names = engine().binding.vmNameTable;
    out->SetText(stack && names ? callStackText(*stack, *names, depth).c_str() : "");
  });
}
