#include "refhost/PackedArchive.h"

#include <algorithm>
#include <new>
#include <string>

#include "refhost/Diagnostics.h"

namespace refhost {

PackedArchive* PackedArchive::create() {
  try {
    return new PackedArchive();
  } catch (const std::exception&) {
    return nullptr;
  }
}

bool PackedArchive::Open(const char* path) {
  archive_.reset();
  if (!path || !*path) return false;
  try {
    std::string given = path, why;
    archive_ = CgArchive::openFile(given, &why);
    if (!archive_ && given.find('\\') != std::string::npos) {
      std::replace(given.begin(), given.end(), '\\', '/');
      archive_ = CgArchive::openFile(given, &why);
    }
    path_ = given;
    if (!archive_) diagnose("packed archive \"" + given + "\" cannot be opened: " + why);
  } catch (const std::exception&) {
    archive_.reset();
  }
  return archive_ != nullptr;
}

tamblet::IMemory* PackedArchive::Load(std::int32_t cg) {
  return archive_ ? loadTelling(*archive_, cg, path_) : nullptr;
}

bool PackedArchive::Exists(std::int32_t cg) {
  return archive_ && archive_->contains(cg);
}

bool PackedArchive::IsRebuilt() {
  return archive_ && archive_->isRebuilt();
}

}  // namespace refhost
