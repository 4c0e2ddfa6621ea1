// The commands of tamblet-pack. Each prints what it did to `out` and every warning or failure,
// one line each starting with "tamblet-pack: ", to `err`, and returns the process exit code
// (0, or 1 when anything was refused or failed).
#pragma once

#include <ostream>
#include <string>

#include "tools/pack/ImageCheck.h"

namespace tamblet::pack {

// The packed archive's file name in a game folder.
inline constexpr char kPackedArchiveName[] = "CG.zep";

struct PackOptions {
  SizeLimit limit;     // pictures beyond it are refused
  bool force = false;  // pack refused pictures anyway, with a warning for each
};

// Packs every picture of `folder` named "CG<number>.<ext>" into `archive`. Each is decoded first;
// one that does not decode or exceeds the size limit is refused with its file name and the
// reason, and then nothing is written (unless `options.force`). Other names are skipped with a
// warning each.
int buildArchive(const std::string& folder, const std::string& archive, const PackOptions& options, std::ostream& out,
                 std::ostream& err);
// Lists the archive's CGs ("<number> <entry> <size>" per line) and whether its index is current.
int listArchive(const std::string& archive, std::ostream& out, std::ostream& err);
// Rewrites the archive's index so that it matches its entries.
int reindexArchive(const std::string& archive, std::ostream& out, std::ostream& err);
// Decodes every CG of the archive: one line each ("CG 12 (12.png): ok, PNG 64 × 48" or
// "... refused: PNG: truncated") and a total; 1 when the archive or any entry fails.
int verifyArchive(const std::string& archive, const SizeLimit& limit, std::ostream& out, std::ostream& err);

}  // namespace tamblet::pack
