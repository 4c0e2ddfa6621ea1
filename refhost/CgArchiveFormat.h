// The CG archive format shared by KOVLoader.dll (the CG archive file) and ZEPLoader.dll (the
// packed archive): a zip file whose entries are named "<CG number>.<extension>" (decimal, e.g.
// "100.png"; leading zeros are read but never written), plus the index entry "index.txt" that
// tamblet-pack writes. The index is a header line followed by one line per CG in ascending
// number, "<number> <entry name> <size in bytes>", each ending in a line feed. An archive is
// "rebuilt" when its index is byte for byte the index its CG entries call for.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace refhost {

inline constexpr char kCgIndexEntryName[] = "index.txt";
inline constexpr char kCgIndexHeader[] = "tamblet-cg-index 1\n";
// The largest CG entry the archives hand out (and the pack tool packs): 256 MiB.
inline constexpr std::uint64_t kCgEntrySizeLimit = std::uint64_t{256} << 20;

struct CgIndexLine {
  std::int32_t cg;
  std::string name;
  std::uint64_t size;
};

// The CG number an entry name stands for: "<1-10 digits>.<non-empty extension>" with a value
// up to INT32_MAX and no folder part. Any other name (the index, folders, other files) gives none.
std::optional<std::int32_t> cgNumberOfEntryName(std::string_view name);

// The entry name a CG is packed under: the number in decimal, a dot and the extension.
std::string cgEntryName(std::int32_t cg, std::string_view extension);

// The index text for these lines (sorted here by CG number).
std::string cgIndexText(std::vector<CgIndexLine> lines);

// libzip's text for one of its error codes.
std::string zipErrorText(int code);

}  // namespace refhost
