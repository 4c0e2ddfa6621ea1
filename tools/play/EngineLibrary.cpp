#include "tools/play/EngineLibrary.h"

namespace tamblet::play {

std::unique_ptr<EngineLibrary> EngineLibrary::open(const std::string& path, std::string* why) {
  tools::SharedLibrary library(path, tools::SharedLibrary::Scope::Private, why);
  if (!library.open()) return nullptr;
  return std::unique_ptr<EngineLibrary>(new EngineLibrary(std::move(library), path));
}

EngineLibrary::EngineLibrary(tools::SharedLibrary library, std::string path)
    : library_(std::move(library)), path_(std::move(path)) {
  const auto table = exportTable();
  functions_.reserve(table.size());
  for (const ExportSignature& signature : table) {
    const std::string name(signature.name);
    functions_.push_back(library_.symbol(name.c_str()));
  }
}

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
