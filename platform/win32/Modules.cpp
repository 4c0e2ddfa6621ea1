#include <windows.h>

#include "platform/SystemModules.h"

namespace tamblet::platform {
namespace {

// A module is a DLL the host has already loaded, found by its file name. GetModuleHandleA never
// loads anything and adds no reference; it appends ".dll" to a name without an extension.
class LoadedModuleResolver final : public ModuleResolver {
 public:
  void* findSymbol(const char* module, const char* symbol) override {
    if (!module || !symbol) return nullptr;
    HMODULE handle = GetModuleHandleA(module);
    if (!handle) return nullptr;
    return reinterpret_cast<void*>(GetProcAddress(handle, symbol));
  }
};

}  // namespace

ModuleResolver& systemModuleResolver() {
  static LoadedModuleResolver resolver;
  return resolver;
}

}  // namespace tamblet::platform
