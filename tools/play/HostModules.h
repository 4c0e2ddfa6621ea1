// The reference host's modules, each a shared object whose soname is the module's file name.
// They are loaded by path before Init, so the engine finds them among the loaded objects.
#pragma once

#include <string>
#include <vector>

namespace tamblet::play {

struct LoadedModules {
  std::vector<std::string> loaded;   // module names found and loaded
  std::vector<std::string> missing;  // module names with no file in the folder
  std::vector<std::string> failed;   // "name: dlerror text" for files that did not load
};

// Every module file name the engine may look up.
const std::vector<std::string>& hostModuleNames();

// Loads each module found in `folder` with RTLD_NOW | RTLD_GLOBAL. The objects stay loaded for
// the life of the process (the engine keeps addresses into them).
LoadedModules loadHostModules(const std::string& folder);

}  // namespace tamblet::play
