#include "refhost/KovFileManager.h"

#include "refhost/KovFile.h"

namespace refhost {

tamblet::IKOVFile* KovFileManager::GetFile(std::int32_t kind) {
  if (kind != 0 || cgArchivePath_.empty()) return nullptr;
  return KovFile::open(cgArchivePath_);
}

}  // namespace refhost
