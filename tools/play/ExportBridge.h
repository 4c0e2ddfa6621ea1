// Every export of the table as a Lua global of the same name. A call converts the Lua arguments
// by their kinds (naming the export and the argument on any mismatch, before the engine is
// touched), calls the bound export, and returns its result followed by its outputs in argument
// order. A text the engine raised through the VM's error sink during the call becomes a Lua error.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "host/Kernel.h"
#include "refhost/ScriptVM.h"
#include "tools/play/EngineLibrary.h"
#include "tools/play/ExportTable.h"
#include "tools/play/FailureReport.h"

struct lua_State;

namespace tamblet::play {

// The surface held by a surface value of the script at `index`, or null for any other value.
ISurface* surfaceArgument(lua_State* L, int index);

class ExportBridge {
 public:
  // `vm` receives the engine's error texts and `kernel` is what Init is given; either may be null
  // (then engine errors go unnoticed, or Init gets a null kernel).
  ExportBridge(const EngineLibrary& library, refhost::ScriptVM* vm, IHostKernel* kernel);

  // Registers every export as a global and the surface value type. The bridge must outlive `L`'s use of them.
  void install(lua_State* L);

  // Tells `watcher` around every call the script makes (null: nobody); a text it answers becomes
  // the call's script error.
  void setWatcher(CallWatcher* watcher) { watcher_ = watcher; }

  // Calls an export from the player itself with ready slots; none when it is not bound.
  std::optional<CallResult> callDirect(std::string_view name, std::span<const ArgSlot> args = {});

  // The engine's error texts raised since the last look, decoded to UTF-8 and joined by line
  // feeds; empty when there were none.
  std::string takeEngineErrors();

  // The body of every export global: pushes the results and returns their count, or pushes an
  // error message and returns -1 (the caller raises it, outside any C++ frame).
  int callFromLua(lua_State* L, std::size_t index) noexcept;

 private:
  int call(lua_State* L, const ExportSignature& signature, void* function);
  // Shows the Lua call stack to the VM's call-stack service, for Debug_GetFuncStack.
  void describeCallStack(lua_State* L);

  const EngineLibrary& library_;
  refhost::ScriptVM* vm_;
  IHostKernel* kernel_;
  CallWatcher* watcher_ = nullptr;
  std::size_t errorsSeen_ = 0;
};

}  // namespace tamblet::play
