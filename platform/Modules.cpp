#include "platform/Modules.h"

#include <dlfcn.h>

namespace tamblet::platform {
namespace {

// The default: a module is a shared object already loaded into the process whose soname (or
// name) is the module's file name. RTLD_NOLOAD finds it without ever loading anything.
class LoadedObjectResolver final : public ModuleResolver {
 public:
  void* findSymbol(const char* module, const char* symbol) override {
    if (!module || !symbol) return nullptr;
    void* handle = dlopen(module, RTLD_LAZY | RTLD_NOLOAD);
    if (!handle) return nullptr;
    void* address = dlsym(handle, symbol);
    dlclose(handle);  // drops the count RTLD_NOLOAD added; the host's own reference keeps it loaded
    return address;
  }
};

LoadedObjectResolver defaultResolver;
ModuleResolver* installedResolver = nullptr;

}  // namespace

void* findModuleSymbol(const char* module, const char* symbol) {
  ModuleResolver& resolver = installedResolver ? *installedResolver : defaultResolver;
  return resolver.findSymbol(module, symbol);
}

void setModuleResolver(ModuleResolver* resolver) { installedResolver = resolver; }

void InProcessModuleResolver::addSymbol(const std::string& module, const std::string& symbol, void* address) {
  modules_[module][symbol] = address;
}

void InProcessModuleResolver::removeModule(const std::string& module) { modules_.erase(module); }

void* InProcessModuleResolver::findSymbol(const char* module, const char* symbol) {
  if (!module || !symbol) return nullptr;
  lookups_.emplace_back(module);
  auto found = modules_.find(module);
  if (found == modules_.end()) return nullptr;
  auto entry = found->second.find(symbol);
  return entry == found->second.end() ? nullptr : entry->second;
}

}  // namespace tamblet::platform
