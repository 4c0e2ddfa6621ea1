// Read access to one CG archive (see CgArchiveFormat.h), the engine of both archive modules.
// CG numbers are mapped to entries once, when the archive is opened; a lookup is then a hash
// probe, and a load reads the entry's bytes straight into a new memory block.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "host/Memory.h"
#include "refhost/CgArchiveFormat.h"

struct zip;

namespace refhost {

class CgArchive {
 public:
  // Opens the archive file at `path`; null (with the reason in `why` when given) when it is
  // missing, not a regular file, not a readable zip, or names one CG number twice: an archive
  // with two images for one CG is refused as a whole rather than guessed at.
  static std::unique_ptr<CgArchive> openFile(const std::string& path, std::string* why = nullptr);
  // The same over bytes in memory, which must outlive the archive.
  static std::unique_ptr<CgArchive> openBytes(const void* data, std::size_t size, std::string* why = nullptr);

  CgArchive(const CgArchive&) = delete;
  CgArchive& operator=(const CgArchive&) = delete;
  ~CgArchive();

  bool contains(std::int32_t cg) const { return entries_.contains(cg); }
  // The CG's bytes in a new block (one reference for the caller), or null when the archive does
  // not hold it or its data cannot be read whole (truncated, corrupt, failed checksum); then
  // `why`, when given, receives the reason (libzip's text where it has one).
  tamblet::IMemory* load(std::int32_t cg, std::string* why = nullptr);
  // True when the index entry is exactly the index the CG entries call for.
  bool isRebuilt() const { return rebuilt_; }
  // The usable CG entries, in ascending CG number; their index is cgIndexText(lines()).
  const std::vector<CgIndexLine>& lines() const { return lines_; }

 private:
  struct Entry {
    std::uint64_t zipIndex;
    std::uint32_t size;
  };

  CgArchive(zip* archive, std::uint64_t fileSize) : zip_(archive), fileSize_(fileSize) {}
  static std::unique_ptr<CgArchive> adopt(zip* archive, std::uint64_t fileSize, std::string* why);
  bool mapEntries(std::string* why);
  bool readEntry(std::uint64_t zipIndex, std::uint8_t* into, std::uint64_t size, std::string* why = nullptr);
  bool indexMatches(const std::string& expected);

  zip* zip_;
  std::uint64_t fileSize_;
  std::unordered_map<std::int32_t, Entry> entries_;
  std::vector<CgIndexLine> lines_;
  bool rebuilt_ = false;
};

// The archive modules' load: `archive`'s CG, telling the diagnostic sink (naming the archive by
// `path`) when the archive holds the CG but cannot read it, or holds it with no bytes.
tamblet::IMemory* loadTelling(CgArchive& archive, std::int32_t cg, const std::string& path) noexcept;

}  // namespace refhost
