#include "refhost/KovFile.h"

#include <new>
#include <utility>

#include "refhost/Diagnostics.h"

namespace refhost {

KovFile* KovFile::open(const std::string& path, std::string* why) {
  try {
    std::unique_ptr<CgArchive> archive = CgArchive::openFile(path, why);
    if (!archive) return nullptr;
    return new KovFile(std::move(archive), path);
  } catch (const std::exception&) {
    return nullptr;
  }
}

KovFile::KovFile(std::unique_ptr<CgArchive> archive, std::string path)
    : archive_(std::move(archive)), path_(std::move(path)) {}

tamblet::IMemory* KovFile::Load(std::int32_t cg) {
  return loadTelling(*archive_, cg, path_);
}

bool KovFile::Exists(std::int32_t cg) {
  return archive_->contains(cg);
}

bool KovFile::QueryEntry(std::int32_t) {
  return false;
}

std::int32_t KovFile::GetEntryCount() {
  return 0;
}

void* KovFile::GetRecord(std::int32_t) {
  return record_;
}

const char* KovFile::GetDataFileName(std::int32_t) {
  return path_.c_str();
}

const char* KovFile::GetLinkFileName(std::int32_t) {
  return kCgIndexEntryName;
}

}  // namespace refhost
