#include "platform/Modules.h"
#include "platform/SystemModules.h"

namespace tamblet::platform {
namespace {

ModuleResolver* installedResolver = nullptr;

}  // namespace

void* findModuleSymbol(const char* module, const char* symbol) {
  ModuleResolver& resolver = installedResolver ? *installedResolver : systemModuleResolver();
  return resolver.findSymbol(module, symbol);
}

void setModuleResolver(ModuleResolver* resolver) { installedResolver = resolver; }

void InProcessModuleResolver::addSymbol(const std::string& module, const std::string& symbol, void* address) {
  modules_[module][symbol] = address;
}

void InProcessModuleResolver::removeModule(const std::string& module) { modules_.erase(module); }

void* InProcessModuleResolver::findSymbol(const char* module, const char* symbol) {
  if (!module || !symbol) return nullptr;
  lookups_.emplace_back(module);
  auto found = modules_.find(module);
  if (found == modules_.end()) return nullptr;
  auto entry = found->second.find(symbol);
  return entry == found->second.end() ? nullptr : entry->second;
}

}  // namespace tamblet::platform
