// What every platform's file layer shares: the whole-file read on top of ReadOnlyFile.
#include "platform/Files.h"

#include <new>

namespace tamblet::platform {

std::optional<std::vector<std::uint8_t>> readWholeFile(const std::string& sjisPath) {
  ReadOnlyFile file;
  if (!file.open(sjisPath)) return std::nullopt;
  std::uint64_t size = file.size();
  if (size > 0xFFFFFFFFu) return std::nullopt;
  try {
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    if (!file.read(bytes.data(), static_cast<std::uint32_t>(size))) return std::nullopt;
    return bytes;
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }
}

}  // namespace tamblet::platform
