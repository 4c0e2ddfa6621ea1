// Opens the engine library the way a host does and looks its exports up by name.
#pragma once

#include <dlfcn.h>

#include <stdexcept>
#include <string>

namespace tamblet::testing {

class EngineLibrary {
 public:
  EngineLibrary() : handle_(dlopen(TAMBLET_ENGINE_LIBRARY, RTLD_NOW | RTLD_LOCAL)) {
    if (!handle_) throw std::runtime_error(dlerror());
  }
  EngineLibrary(const EngineLibrary&) = delete;
  EngineLibrary& operator=(const EngineLibrary&) = delete;
  ~EngineLibrary() { dlclose(handle_); }

  template <class Function>
  Function* find(const char* name) const {
    return reinterpret_cast<Function*>(dlsym(handle_, name));
  }

 private:
  void* handle_;
};

}  // namespace tamblet::testing
