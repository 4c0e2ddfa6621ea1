#include "tools/common/SharedLibrary.h"

#include <dlfcn.h>

namespace tamblet::tools {

SharedLibrary::SharedLibrary(const std::string& path, Scope scope, std::string* why) : scope_(scope) {
  handle_ = dlopen(path.c_str(), RTLD_NOW | (scope == Scope::Resident ? RTLD_GLOBAL : RTLD_LOCAL));
  if (!handle_ && why) {
    const char* error = dlerror();
    *why = error ? error : "cannot open " + path;
  }
}

// A resident library is never closed: the engine keeps addresses into the host modules.
SharedLibrary::~SharedLibrary() {
  if (handle_ && scope_ == Scope::Private) dlclose(handle_);
}

void* SharedLibrary::symbol(const char* name) const { return handle_ ? dlsym(handle_, name) : nullptr; }

std::string moduleFileName(const std::string& moduleName) { return moduleName; }

}  // namespace tamblet::tools
