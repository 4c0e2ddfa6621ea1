#include "tools/play/EngineLibrary.h"

#include <dlfcn.h>

namespace tamblet::play {

std::unique_ptr<EngineLibrary> EngineLibrary::open(const std::string& path, std::string* why) {
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) {
    if (why) {
      const char* error = dlerror();
      *why = error ? error : "cannot open " + path;
    }
    return nullptr;
  }
  return std::unique_ptr<EngineLibrary>(new EngineLibrary(handle, path));
}

EngineLibrary::EngineLibrary(void* handle, std::string path) : handle_(handle), path_(std::move(path)) {
  const auto table = exportTable();
  functions_.reserve(table.size());
  for (const ExportSignature& signature : table) {
    const std::string name(signature.name);
    functions_.push_back(dlsym(handle_, name.c_str()));
  }
}

EngineLibrary::~EngineLibrary() { dlclose(handle_); }

void* EngineLibrary::function(const ExportSignature& signature) const {
  const auto table = exportTable();
  if (&signature < table.data() || &signature >= table.data() + table.size()) return nullptr;
  return function(static_cast<std::size_t>(&signature - table.data()));
}

std::size_t EngineLibrary::boundCount() const {
  std::size_t count = 0;
  for (void* function : functions_) count += function != nullptr;
  return count;
}

}  // namespace tamblet::play
