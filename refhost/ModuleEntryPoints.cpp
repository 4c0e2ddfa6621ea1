#include "refhost/ModuleEntryPoints.h"

#include "host/Modules.h"
#include "refhost/Host.h"

namespace refhost {
namespace {

// One entry function per module, all forwarding to the current host.
template <const char* Module>
void* moduleEntry(const tamblet::InterfaceId* id) {
  return Host::moduleInterface(Module, id);
}

template <const char* Module>
ModuleEntryPoint entryPoint(const char* symbol) {
  tamblet::CreateInterfaceFunction function = &moduleEntry<Module>;
  return {Module, symbol, reinterpret_cast<void*>(function)};
}

}  // namespace

std::vector<ModuleEntryPoint> moduleEntryPoints() {
  using namespace tamblet;
  return {
      entryPoint<kModulePixmapMaker>(kCreateInterfaceSymbol), entryPoint<kModuleRasterLib>(kCreateInterfaceSymbol),
      entryPoint<kModuleRenderHub>(kCreateInterfaceSymbol),   entryPoint<kModuleCompression>(kCreateInterfaceSymbol),
      entryPoint<kModuleKOVLoader>(kCreateInterfaceSymbol), entryPoint<kModuleZEPLoader>(kCreateInterfaceSymbol),
      entryPoint<kModuleImageDecoder>(kCreateInterfaceSymbol), entryPoint<kModuleImageEncoder>(kCreateInterfaceSymbol),
      entryPoint<kModuleSceneWipe>(kCreateInterfaceSymbol),
      entryPoint<kModuleHostKernel>(kGetInterfaceSymbol),
  };
}

}  // namespace refhost
