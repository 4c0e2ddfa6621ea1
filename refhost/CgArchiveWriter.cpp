#include "refhost/CgArchiveWriter.h"

#include <zip.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <memory>
#include <system_error>

#include "refhost/CgArchive.h"
#include "refhost/CgArchiveFormat.h"

namespace refhost {
namespace {

namespace fs = std::filesystem;

bool isStoredFormat(std::string extension) {
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c); });
  return extension == "png" || extension == "jpg" || extension == "jpeg";
}

// Adds (or replaces) the index entry; `text` must stay alive until the archive is closed.
bool putIndex(zip_t* archive, const std::string& text, std::string& error) {
  zip_source_t* source = zip_source_buffer(archive, text.data(), text.size(), 0);
  if (!source || zip_file_add(archive, kCgIndexEntryName, source, ZIP_FL_OVERWRITE | ZIP_FL_ENC_UTF_8) < 0) {
    error = std::string("cannot add the index: ") + zip_strerror(archive);
    if (source) zip_source_free(source);
    return false;
  }
  return true;
}

// An archive being written: discarded unless it was closed.
using OpenArchive = std::unique_ptr<zip_t, decltype(&zip_discard)>;

bool closeArchive(OpenArchive& open, const std::string& path, std::string& error) {
  zip_t* archive = open.release();
  if (zip_close(archive) != 0) {
    error = "cannot write " + path + ": " + zip_strerror(archive);
    zip_discard(archive);
    return false;
  }
  return true;
}

bool writeCgArchiveOrThrow(const std::vector<CgSourceFile>& files, const std::string& out, std::string& error) {
  std::error_code status;
  if (fs::exists(out, status) && !fs::is_regular_file(out, status)) {
    error = out + " exists and is not a file";
    return false;
  }
  std::vector<CgIndexLine> lines;
  for (const CgSourceFile& file : files) lines.push_back({file.cg, cgEntryName(file.cg, file.extension), file.size});
  const std::string index = cgIndexText(lines);

  int code = 0;
  OpenArchive open(zip_open(out.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &code), zip_discard);
  if (!open) {
    error = "cannot create " + out + ": " + zipErrorText(code);
    return false;
  }
  zip_t* archive = open.get();
  for (std::size_t i = 0; i < files.size(); ++i) {
    const CgSourceFile& file = files[i];
    zip_source_t* source = zip_source_file(archive, file.path.c_str(), 0, -1);
    const zip_int64_t added =
        source ? zip_file_add(archive, lines[i].name.c_str(), source, ZIP_FL_ENC_UTF_8) : zip_int64_t{-1};
    if (added < 0) {
      error = "cannot add " + file.path + ": " + zip_strerror(archive);
      if (source) zip_source_free(source);
      return false;
    }
    zip_set_file_compression(archive, static_cast<zip_uint64_t>(added),
                             isStoredFormat(file.extension) ? ZIP_CM_STORE : ZIP_CM_DEFLATE, 0);
  }
  if (!putIndex(archive, index, error) || !closeArchive(open, out, error)) return false;

  // A file that changed while it was packed leaves an index that does not match: say so.
  std::string why;
  std::unique_ptr<CgArchive> written = CgArchive::openFile(out, &why);
  if (!written || !written->isRebuilt() || written->lines().size() != files.size()) {
    error = written ? out + ": a file changed while it was packed; run reindex" : out + " does not read back: " + why;
    return false;
  }
  return true;
}

bool reindexOrThrow(const std::string& path, std::size_t& entries, bool& rewritten, std::string& error) {
  std::string why;
  std::unique_ptr<CgArchive> current = CgArchive::openFile(path, &why);
  if (!current) {
    error = "cannot read " + path + ": " + why;
    return false;
  }
  entries = current->lines().size();
  if (current->isRebuilt()) return true;
  const std::string index = cgIndexText(current->lines());
  current.reset();

  int code = 0;
  OpenArchive open(zip_open(path.c_str(), 0, &code), zip_discard);
  if (!open) {
    error = "cannot open " + path + " for writing: " + zipErrorText(code);
    return false;
  }
  if (!putIndex(open.get(), index, error) || !closeArchive(open, path, error)) return false;
  rewritten = true;
  return true;
}

}  // namespace

bool collectCgFiles(const std::string& folder, std::vector<CgSourceFile>& files, std::vector<std::string>& ignored,
                    std::string& error) {
  try {
    std::error_code status;
    if (!fs::is_directory(folder, status)) {
      error = folder + " is not a folder";
      return false;
    }
    std::map<std::int32_t, CgSourceFile> found;
    for (fs::directory_iterator it(folder, status), end; !status && it != end; it.increment(status)) {
      const std::string name = it->path().filename().string();
      std::string_view stem = name;
      if (stem.starts_with("CG")) stem.remove_prefix(2);
      const std::optional<std::int32_t> cg = cgNumberOfEntryName(stem);
      std::error_code fileStatus;
      if (!cg || !it->is_regular_file(fileStatus)) {
        ignored.push_back(name);
        continue;
      }
      const std::uint64_t size = it->file_size(fileStatus);
      if (fileStatus) {
        error = "cannot read " + it->path().string() + ": " + fileStatus.message();
        return false;
      }
      if (size > kCgEntrySizeLimit) {
        error = it->path().string() + " is larger than " + std::to_string(kCgEntrySizeLimit) + " bytes";
        return false;
      }
      const std::string extension(stem.substr(stem.find('.') + 1));
      const auto [previous, fresh] = found.emplace(*cg, CgSourceFile{*cg, it->path().string(), extension, size});
      if (!fresh) {
        error =
            "CG " + std::to_string(*cg) + " is given twice: " + previous->second.path + " and " + it->path().string();
        return false;
      }
    }
    if (status) {
      error = "cannot list " + folder + ": " + status.message();
      return false;
    }
    files.clear();
    for (auto& [cg, file] : found) files.push_back(std::move(file));
    return true;
  } catch (const std::exception& failure) {
    error = failure.what();
    return false;
  }
}

bool writeCgArchive(const std::vector<CgSourceFile>& files, const std::string& out, std::string& error) {
  try {
    return writeCgArchiveOrThrow(files, out, error);
  } catch (const std::exception& failure) {
    error = failure.what();
    return false;
  }
}

bool reindexCgArchive(const std::string& archive, std::size_t& entries, bool& rewritten, std::string& error) {
  rewritten = false;
  entries = 0;
  try {
    return reindexOrThrow(archive, entries, rewritten, error);
  } catch (const std::exception& failure) {
    error = failure.what();
    return false;
  }
}

}  // namespace refhost
