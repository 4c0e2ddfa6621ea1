#include "tools/play/HostModules.h"

#include <dlfcn.h>

#include <filesystem>

#include "host/Modules.h"

namespace tamblet::play {

const std::vector<std::string>& hostModuleNames() {
  static const std::vector<std::string> names = {
      kModuleHostKernel,   kModuleKOVLoader, kModuleImageDecoder, kModuleImageEncoder, kModuleRasterLib,
      kModulePixmapMaker,  kModuleRenderHub, kModuleZEPLoader,    kModuleSceneWipe,    kModuleCompression,
  };
  return names;
}

LoadedModules loadHostModules(const std::string& folder) {
  LoadedModules result;
  for (const std::string& name : hostModuleNames()) {
    const std::filesystem::path path = std::filesystem::path(folder) / name;
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) {
      result.missing.push_back(name);
      continue;
    }
    if (dlopen(path.c_str(), RTLD_NOW | RTLD_GLOBAL)) {
      result.loaded.push_back(name);
    } else {
      const char* why = dlerror();
      result.failed.push_back(name + ": " + (why ? why : "cannot load"));
    }
  }
  return result;
}

}  // namespace tamblet::play
