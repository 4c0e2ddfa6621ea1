// Finding host modules. A module is found by its file name (e.g. "KOVLoader.dll") among the
// modules already loaded into the process (on Windows the loaded DLLs, on Linux the shared objects
// matched by soname); nothing is ever loaded.
// Tests install an in-process resolver instead, to make modules present or missing at will.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace tamblet::platform {

class ModuleResolver {
 public:
  // The address of `symbol` exported by the loaded module `module`, or null.
  virtual void* findSymbol(const char* module, const char* symbol) = 0;

 protected:
  ~ModuleResolver() = default;
};

// Looks a symbol up through the installed resolver (by default, the loaded shared objects).
void* findModuleSymbol(const char* module, const char* symbol);

// Installs a resolver for the whole process; null restores the default. The caller keeps ownership.
void setModuleResolver(ModuleResolver* resolver);

// A resolver whose modules are tables of symbols registered in-process; records every lookup.
class InProcessModuleResolver final : public ModuleResolver {
 public:
  void addSymbol(const std::string& module, const std::string& symbol, void* address);
  void removeModule(const std::string& module);
  void* findSymbol(const char* module, const char* symbol) override;

  // Module names asked for, in order (including those not found).
  const std::vector<std::string>& lookups() const { return lookups_; }
  void clearLookups() { lookups_.clear(); }

 private:
  std::map<std::string, std::map<std::string, void*>> modules_;
  std::vector<std::string> lookups_;
};

}  // namespace tamblet::platform
