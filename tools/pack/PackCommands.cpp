#include "tools/pack/PackCommands.h"

#include <memory>
#include <vector>

#include "refhost/CgArchive.h"
#include "refhost/CgArchiveWriter.h"

namespace tamblet::pack {
namespace {

int fail(std::ostream& err, const std::string& message) {
  err << "tamblet-pack: " << message << '\n';
  return 1;
}

}  // namespace

int buildArchive(const std::string& folder, const std::string& archive, std::ostream& out, std::ostream& err) {
  std::vector<refhost::CgSourceFile> files;
  std::vector<std::string> ignored;
  std::string error;
  if (!refhost::collectCgFiles(folder, files, ignored, error)) return fail(err, error);
  for (const std::string& name : ignored) err << "tamblet-pack: ignoring " << name << " (not a CG file name)\n";
  if (files.empty()) return fail(err, "no CG files (CG<number>.<ext> or <number>.<ext>) in " + folder);
  if (!refhost::writeCgArchive(files, archive, error)) return fail(err, error);
  out << "packed " << files.size() << " CG" << (files.size() == 1 ? "" : "s") << " into " << archive << '\n';
  return 0;
}

int listArchive(const std::string& archive, std::ostream& out, std::ostream& err) {
  std::string why;
  std::unique_ptr<refhost::CgArchive> opened = refhost::CgArchive::openFile(archive, &why);
  if (!opened) return fail(err, "cannot read " + archive + ": " + why);
  for (const refhost::CgIndexLine& line : opened->lines())
    out << line.cg << ' ' << line.name << ' ' << line.size << '\n';
  out << (opened->isRebuilt() ? "index: up to date\n" : "index: out of date (run tamblet-pack reindex)\n");
  return 0;
}

int reindexArchive(const std::string& archive, std::ostream& out, std::ostream& err) {
  std::size_t entries = 0;
  bool rewritten = false;
  std::string error;
  if (!refhost::reindexCgArchive(archive, entries, rewritten, error)) return fail(err, error);
  out << (rewritten ? "index rewritten: " : "index already up to date: ") << entries << " CG"
      << (entries == 1 ? "" : "s") << '\n';
  return 0;
}

}  // namespace tamblet::pack
