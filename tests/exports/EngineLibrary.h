// Opens the engine library the way a host does and looks its exports up by name.
#pragma once

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

#include <stdexcept>
#include <string>

namespace tamblet::testing {

class EngineLibrary {
 public:
#ifdef _WIN32
  EngineLibrary() : handle_(LoadLibraryA(TAMBLET_ENGINE_LIBRARY)) {
    if (!handle_) throw std::runtime_error("LoadLibraryA failed: " + std::to_string(GetLastError()));
  }
  ~EngineLibrary() { FreeLibrary(handle_); }
  // The loaded image, whose export directory a test can read.
  const unsigned char* image() const { return reinterpret_cast<const unsigned char*>(handle_); }
#else
  EngineLibrary() : handle_(dlopen(TAMBLET_ENGINE_LIBRARY, RTLD_NOW | RTLD_LOCAL)) {
    if (!handle_) throw std::runtime_error(dlerror());
  }
  ~EngineLibrary() { dlclose(handle_); }
#endif
  EngineLibrary(const EngineLibrary&) = delete;
  EngineLibrary& operator=(const EngineLibrary&) = delete;

  template <class Function>
  Function* find(const char* name) const {
#ifdef _WIN32
    return reinterpret_cast<Function*>(reinterpret_cast<void*>(GetProcAddress(handle_, name)));
#else
    return reinterpret_cast<Function*>(dlsym(handle_, name));
#endif
  }

 private:
#ifdef _WIN32
  HMODULE handle_;
#else
  void* handle_;
#endif
};

}  // namespace tamblet::testing
