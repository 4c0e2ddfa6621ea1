// The commands of tamblet-pack. Each prints what it did to `out` and any failure, as one line
// starting with "tamblet-pack: ", to `err`, and returns the process exit code (0 or 1).
#pragma once

#include <ostream>
#include <string>

namespace tamblet::pack {

// Packs every CG file of `folder` ("CG<number>.<ext>" or "<number>.<ext>") into `archive`.
int buildArchive(const std::string& folder, const std::string& archive, std::ostream& out, std::ostream& err);
// Lists the archive's CGs ("<number> <entry> <size>" per line) and whether its index is current.
int listArchive(const std::string& archive, std::ostream& out, std::ostream& err);
// Rewrites the archive's index so that it matches its entries.
int reindexArchive(const std::string& archive, std::ostream& out, std::ostream& err);

}  // namespace tamblet::pack
