// ZEPLoader.dll's packed archive (IPackedArchive): made unopened by each CreateInterface, then
// opened on the path the engine builds. Backslashes in that path are taken for folder
// separators when the path as given names no file. Slots the engine never calls do nothing.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "host/Modules.h"
#include "refhost/CgArchive.h"
#include "refhost/Ledger.h"
#include "refhost/RefCounted.h"

namespace refhost {

class PackedArchive final : public RefCounted<PackedArchive, tamblet::IPackedArchive> {
 public:
  // A new unopened archive with one reference for the caller, or null when memory runs out.
  static PackedArchive* create();

  // Opens the archive at `path`, closing any opened before; false leaves it unopened and tells the
  // diagnostic sink why. Load tells it when an entry the archive holds cannot be read.
  bool TAMBLET_HOSTCALL Open(const char* path) override;
  tamblet::IMemory* TAMBLET_HOSTCALL Load(std::int32_t cg) override;  // null while unopened
  bool TAMBLET_HOSTCALL Exists(std::int32_t cg) override;             // false while unopened
  bool TAMBLET_HOSTCALL IsRebuilt() override;                         // false while unopened

  void TAMBLET_HOSTCALL UnusedSlot3() override {}
  void TAMBLET_HOSTCALL UnusedSlot5() override {}
  void TAMBLET_HOSTCALL UnusedSlot7() override {}
  void TAMBLET_HOSTCALL UnusedSlot8() override {}
  void TAMBLET_HOSTCALL UnusedSlot9() override {}

 private:
  PackedArchive() = default;
  friend class RefCounted<PackedArchive, tamblet::IPackedArchive>;  // deletes at the last Release
  ~PackedArchive() = default;

  LedgerEntry ledger_{"PackedArchive"};
  std::unique_ptr<CgArchive> archive_;
  std::string path_;
};

}  // namespace refhost
