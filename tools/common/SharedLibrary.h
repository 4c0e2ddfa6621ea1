// A shared library opened by path, and its exports found by name: dlopen/dlsym on Linux,
// LoadLibraryA/GetProcAddress on Windows. The tools reach the engine and the host modules only
// through this, so no other file of theirs depends on the system's loader.
#pragma once

#include <string>

namespace tamblet::tools {

class SharedLibrary {
 public:
  // How long the library stays loaded and whom its symbols serve.
  enum class Scope {
    Private,   // closed with this object; its symbols serve no other library (RTLD_LOCAL)
    Resident,  // loaded for the life of the process; other libraries may find it (RTLD_GLOBAL)
  };

  // Opens the library at `path`; an unopened object (open() false) with the loader's reason in
  // `why` when it cannot be loaded.
  SharedLibrary(const std::string& path, Scope scope, std::string* why);
  SharedLibrary(const SharedLibrary&) = delete;
  SharedLibrary& operator=(const SharedLibrary&) = delete;
  SharedLibrary(SharedLibrary&& other) noexcept : handle_(other.handle_), scope_(other.scope_) { other.handle_ = nullptr; }
  SharedLibrary& operator=(SharedLibrary&&) = delete;
  ~SharedLibrary();

  bool open() const { return handle_ != nullptr; }
  // The address of the export `name`, or null when the library has none (or is not open).
  void* symbol(const char* name) const;

 private:
  void* handle_ = nullptr;
  Scope scope_;
};

// The file name the system gives a module that is named without an extension: on Windows the
// loader appends ".dll" ("HostKernel" is HostKernel.dll), elsewhere the name is the file name.
std::string moduleFileName(const std::string& moduleName);

}  // namespace tamblet::tools
