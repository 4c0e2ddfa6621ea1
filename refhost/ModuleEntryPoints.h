// The host modules' entry points as functions of this library, so tests can hand them to an
// in-process module resolver instead of loading the module files.
#pragma once

#include <vector>

namespace refhost {

struct ModuleEntryPoint {
  const char* module;  // the module's file name, e.g. "PixmapMaker.dll"
  const char* symbol;  // "CreateInterface", or "GetInterface" for HostKernel
  void* address;       // a function taking const tamblet::InterfaceId* and returning void*
};

std::vector<ModuleEntryPoint> moduleEntryPoints();

}  // namespace refhost
