// KOVLoader.dll (IKOVFileManager): hands out the CG archive file the host is configured with.
// Each GetFile(0) opens the configured file afresh, so a test may replace it between calls.
#pragma once

#include <cstdint>
#include <string>
#include <utility>

#include "host/Modules.h"
#include "refhost/Ledger.h"
#include "refhost/RefCounted.h"

namespace refhost {

class KovFileManager final : public RefCounted<KovFileManager, tamblet::IKOVFileManager> {
 public:
  // Kind 0: the CG archive file with one reference for the caller; null for any other kind,
  // when no file is configured, or when the file cannot be opened as a CG archive (told to the
  // diagnostic sink with libzip's reason).
  tamblet::IKOVFile* TAMBLET_HOSTCALL GetFile(std::int32_t kind) override;

  // The CG archive file's path; empty means none.
  void setCgArchivePath(std::string path) { cgArchivePath_ = std::move(path); }
  const std::string& cgArchivePath() const { return cgArchivePath_; }

 private:
  LedgerEntry ledger_{"KovFileManager"};
  std::string cgArchivePath_;
};

}  // namespace refhost
