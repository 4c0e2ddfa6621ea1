// The reference host's modules, each a shared library whose file name is the module's file name
// (on Windows a name without an extension gets ".dll"). They are loaded by path before Init, so
// the engine finds them among the loaded modules by name.
#pragma once

#include <string>
#include <vector>

namespace tamblet::play {

struct LoadedModules {
  std::vector<std::string> loaded;   // module names found and loaded
  std::vector<std::string> missing;  // module names with no file in the folder
  std::vector<std::string> failed;   // "name: the loader's reason" for files that did not load
};

// Every module file name the engine may look up.
const std::vector<std::string>& hostModuleNames();

// Loads each module found in `folder`, visible to other libraries. The modules stay loaded for
// the life of the process (the engine keeps addresses into them).
LoadedModules loadHostModules(const std::string& folder);

}  // namespace tamblet::play
