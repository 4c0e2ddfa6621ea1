// The stand-in CG archive file used when the host's archive manager has none: every lookup in
// it fails. It carries the names a real link file would ("dummy_<name>.dat", "dummy_<name>.kov")
// and a record of two zero words, so callers that ask for them get sensible answers.
#pragma once

#include <cstdint>
#include <string>

#include "host/Modules.h"

namespace tamblet {

class CKOVFileDummy final : public IKOVFile {
 public:
  // A stand-in named `name` with count 1, or null when memory runs out.
  static CKOVFileDummy* create(const char* name) noexcept;

  CKOVFileDummy(const CKOVFileDummy&) = delete;
  CKOVFileDummy& operator=(const CKOVFileDummy&) = delete;

  std::int32_t TAMBLET_HOSTCALL AddRef() override;                               // 0
  std::int32_t TAMBLET_HOSTCALL Release() override;                              // 1; deleted at 0
  IMemory* TAMBLET_HOSTCALL Load(std::int32_t cg) override;                      // 2; null
  bool TAMBLET_HOSTCALL Exists(std::int32_t cg) override;                        // 3; false
  bool TAMBLET_HOSTCALL QueryEntry(std::int32_t argument) override;              // 4; false
  std::int32_t TAMBLET_HOSTCALL GetEntryCount() override;                        // 5; 0
  void* TAMBLET_HOSTCALL GetRecord(std::int32_t argument) override;              // 6; the two-word record
  const char* TAMBLET_HOSTCALL GetDataFileName(std::int32_t argument) override;  // 7
  const char* TAMBLET_HOSTCALL GetLinkFileName(std::int32_t argument) override;  // 8

 private:
  explicit CKOVFileDummy(const char* name);
  ~CKOVFileDummy() = default;

  std::int32_t referenceCount_ = 1;
  std::int32_t record_[2] = {0, 0};
  std::string dataFileName_;
  std::string linkFileName_;
};

}  // namespace tamblet
