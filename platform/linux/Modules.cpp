#include <dlfcn.h>

#include "platform/SystemModules.h"

namespace tamblet::platform {
namespace {

// A module is a shared object already loaded into the process whose soname (or name) is the
// module's file name. RTLD_NOLOAD finds it without ever loading anything.
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

}  // namespace

ModuleResolver& systemModuleResolver() {
  static LoadedObjectResolver resolver;
  return resolver;
}

}  // namespace tamblet::platform
