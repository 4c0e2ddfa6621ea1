// The engine library opened by path and its exports bound by name from the export table.
// Exports the library does not have are simply left unbound.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "tools/common/SharedLibrary.h"
#include "tools/play/ExportTable.h"

namespace tamblet::play {

class EngineLibrary {
 public:
  // Opens the library at `path` (privately: closed with this object) and binds every export of the
  // table; null with the loader's reason in `why` when the library cannot be opened.
  static std::unique_ptr<EngineLibrary> open(const std::string& path, std::string* why);

  EngineLibrary(const EngineLibrary&) = delete;
  EngineLibrary& operator=(const EngineLibrary&) = delete;

  // The address of the export at `index` in exportTable(), or null when it is not bound.
  void* function(std::size_t index) const { return index < functions_.size() ? functions_[index] : nullptr; }
  void* function(const ExportSignature& signature) const;
  bool has(const ExportSignature& signature) const { return function(signature) != nullptr; }
  std::size_t boundCount() const;
  const std::string& path() const { return path_; }

 private:
  EngineLibrary(tools::SharedLibrary library, std::string path);

  tools::SharedLibrary library_;
  std::string path_;
  std::vector<void*> functions_;
};

}  // namespace tamblet::play
