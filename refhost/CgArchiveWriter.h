// Writing CG archives (format in CgArchiveFormat.h), for tamblet-pack and for tests: gathering a
// folder of CG files, packing them with their index, and rewriting a stale index in place.
// Every failure is a false result with a one-line reason in `error`; nothing throws.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace refhost {

struct CgSourceFile {
  std::int32_t cg;
  std::string path;       // the file to pack
  std::string extension;  // as in the file's name, without the dot
  std::uint64_t size;
};

// The files of `folder` (not its subfolders) named "CG<number>.<ext>" or "<number>.<ext>", with
// 1 to 10 digits and a number up to 2147483647, in ascending CG number. Other names are listed in
// `ignored`. Two files for one number, or a file over the entry size limit, is an error.
bool collectCgFiles(const std::string& folder, std::vector<CgSourceFile>& files, std::vector<std::string>& ignored,
                    std::string& error);

// Writes an archive holding these files and their index to `out`. PNG and JPEG data are stored,
// everything else deflated. `out` is replaced only once the new archive is complete and reads
// back with an index that matches its entries.
bool writeCgArchive(const std::vector<CgSourceFile>& files, const std::string& out, std::string& error);

// Rewrites the archive's index so that it matches its CG entries (left alone when it already
// does). `entries` receives the number of CGs indexed, `rewritten` whether anything changed.
bool reindexCgArchive(const std::string& archive, std::size_t& entries, bool& rewritten, std::string& error);

}  // namespace refhost
