#include "tools/pack/PackCommands.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

#include "host/Ref.h"
#include "refhost/CgArchive.h"
#include "refhost/CgArchiveWriter.h"

namespace tamblet::pack {
namespace {

namespace fs = std::filesystem;

int fail(std::ostream& err, const std::string& message) {
  err << "tamblet-pack: " << message << '\n';
  return 1;
}

std::vector<std::uint8_t> readFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// The game reads pictures named CG<number>.<ext> only; the archive code also takes bare numbers.
bool hasCgName(const std::string& path) {
  return fs::path(path).filename().string().starts_with("CG");
}

}  // namespace

int buildArchive(const std::string& folder, const std::string& archive, const PackOptions& options, std::ostream& out,
                 std::ostream& err) {
  std::vector<refhost::CgSourceFile> found;
  std::vector<std::string> ignored;
  std::string error;
  if (!refhost::collectCgFiles(folder, found, ignored, error)) return fail(err, error);
  std::vector<refhost::CgSourceFile> files;
  for (refhost::CgSourceFile& file : found) {
    if (hasCgName(file.path)) {
      files.push_back(std::move(file));
    } else {
      ignored.push_back(fs::path(file.path).filename().string());
    }
  }
  for (const std::string& name : ignored)
    err << "tamblet-pack: warning: skipping " << name << ": not named CG<number>.<ext>\n";

  std::size_t refused = 0;
  for (const refhost::CgSourceFile& file : files) {
    const ImageVerdict verdict = checkImage(readFile(file.path), options.limit);
    if (verdict.ok) continue;
    const std::string name = fs::path(file.path).filename().string();
    if (options.force) {
      err << "tamblet-pack: warning: " << name << ": " << verdict.reason << "; packed anyway (--force)\n";
    } else {
      err << "tamblet-pack: " << name << ": refused: " << verdict.reason << '\n';
      ++refused;
    }
  }
  if (refused > 0) {
    return fail(err, std::to_string(refused) + " picture" + (refused == 1 ? "" : "s") + " refused; " + archive +
                         " not written (--force packs them anyway)");
  }
  if (files.empty()) return fail(err, "no CG files (CG<number>.<ext>) in " + folder);
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

int verifyArchive(const std::string& archive, const SizeLimit& limit, std::ostream& out, std::ostream& err) {
  std::string why;
  std::unique_ptr<refhost::CgArchive> opened = refhost::CgArchive::openFile(archive, &why);
  if (!opened) return fail(err, "cannot read " + archive + ": " + why);
  std::size_t failed = 0;
  for (const refhost::CgIndexLine& line : opened->lines()) {
    out << "CG " << line.cg << " (" << line.name << "): ";
    auto bytes = Ref<IMemory>::adopt(opened->load(line.cg, &why));
    if (!bytes) {
      out << "cannot be read: " << why << '\n';
      ++failed;
      continue;
    }
    const ImageVerdict verdict = checkImage(
        std::span<const std::uint8_t>(static_cast<const std::uint8_t*>(bytes->GetBuffer()), bytes->GetSize()), limit);
    if (verdict.ok) {
      out << "ok, " << verdict.format << ' ' << verdict.width << " × " << verdict.height << '\n';
    } else {
      out << "refused: " << verdict.reason << '\n';
      ++failed;
    }
  }
  out << opened->lines().size() << " CG" << (opened->lines().size() == 1 ? "" : "s") << ", " << failed << " failed\n";
  if (failed > 0)
    return fail(err, archive + ": " + std::to_string(failed) + " CG" + (failed == 1 ? "" : "s") + " failed");
  return 0;
}

}  // namespace tamblet::pack
