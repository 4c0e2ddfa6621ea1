#include "refhost/KovFileManager.h"

#include "refhost/Diagnostics.h"
#include "refhost/KovFile.h"

namespace refhost {

tamblet::IKOVFile* KovFileManager::GetFile(std::int32_t kind) {
  if (kind != 0 || cgArchivePath_.empty()) return nullptr;
  std::string why;
  KovFile* file = KovFile::open(cgArchivePath_, &why);
  if (!file) {
    diagnose("CG archive \"" + cgArchivePath_ + "\" cannot be opened: " + (why.empty() ? "out of memory" : why));
  }
  return file;
}

}  // namespace refhost
