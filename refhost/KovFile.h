// KOVLoader.dll's CG archive file (IKOVFile): one opened CG archive (CgArchive.h). Only Load and
// Exists do real work; the other link-file operations give fixed, harmless answers.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "host/Modules.h"
#include "refhost/CgArchive.h"
#include "refhost/Ledger.h"
#include "refhost/RefCounted.h"

namespace refhost {

class KovFile final : public RefCounted<KovFile, tamblet::IKOVFile> {
 public:
  // The archive file at `path` with one reference for the caller, or null when it cannot be opened
  // (the reason in `why` when given).
  static KovFile* open(const std::string& path, std::string* why = nullptr);

  // Load tells the diagnostic sink when it holds the CG but cannot read it.

  tamblet::IMemory* TAMBLET_HOSTCALL Load(std::int32_t cg) override;
  bool TAMBLET_HOSTCALL Exists(std::int32_t cg) override;
  bool TAMBLET_HOSTCALL QueryEntry(std::int32_t argument) override;              // false
  std::int32_t TAMBLET_HOSTCALL GetEntryCount() override;                        // 0
  void* TAMBLET_HOSTCALL GetRecord(std::int32_t argument) override;              // a record of two zero words
  const char* TAMBLET_HOSTCALL GetDataFileName(std::int32_t argument) override;  // the archive's path
  const char* TAMBLET_HOSTCALL GetLinkFileName(std::int32_t argument) override;  // the index entry's name

 private:
  KovFile(std::unique_ptr<CgArchive> archive, std::string path);
  friend class RefCounted<KovFile, tamblet::IKOVFile>;  // deletes at the last Release
  ~KovFile() = default;

  LedgerEntry ledger_{"KovFile"};
  std::unique_ptr<CgArchive> archive_;
  std::string path_;
  std::int32_t record_[2] = {0, 0};
};

}  // namespace refhost
