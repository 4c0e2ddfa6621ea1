#include "tools/play/HostModules.h"

#include <filesystem>

#include "host/Modules.h"
#include "tools/common/SharedLibrary.h"

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
    const std::filesystem::path path = std::filesystem::path(folder) / tools::moduleFileName(name);
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) {
      result.missing.push_back(name);
      continue;
    }
    std::string why;
    const tools::SharedLibrary module(path.string(), tools::SharedLibrary::Scope::Resident, &why);
    if (module.open()) {
      result.loaded.push_back(name);
    } else {
      result.failed.push_back(name + ": " + why);
    }
  }
  return result;
}

}  // namespace tamblet::play
