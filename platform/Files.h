// Files and folders. Paths are Shift-JIS texts that may use backslashes as separators (as game
// scripts write them); they are converted to the system's form here (on Linux forward slashes and
// UTF-8; on Windows they are already in it).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tamblet::platform {

// The system path for a script path. Linux: backslashes become '/', except the second byte of a
// two-byte character, and the text is converted from Shift-JIS to UTF-8. Windows: the path as it is.
std::string toSystemPath(const std::string& sjisPath);

bool pathExists(const std::string& sjisPath);
bool isRegularFile(const std::string& sjisPath);
bool isFolder(const std::string& sjisPath);

// Names (Shift-JIS) of the entries of a folder that exist and are not folders; "." and ".." left out.
std::vector<std::string> listFiles(const std::string& sjisFolder);

// A file opened for reading. Reads are exact: a short read is a failure.
class ReadOnlyFile {
 public:
  ReadOnlyFile() = default;
  ReadOnlyFile(const ReadOnlyFile&) = delete;
  ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;
  ~ReadOnlyFile();

  bool open(const std::string& sjisPath);
  bool isOpen() const { return fd_ >= 0; }
  std::uint64_t size() const;
  bool seek(std::uint64_t position);  // fails at or beyond the size
  bool read(void* destination, std::uint32_t count);
  void close();

 private:
  int fd_ = -1;
};

// The whole file, or nothing when it cannot be read or is larger than 4 GiB - 1.
std::optional<std::vector<std::uint8_t>> readWholeFile(const std::string& sjisPath);

// Writes the bytes to a temporary file in the same folder and renames it over the target only
// after a complete write, so a failure never destroys an existing file.
bool writeWholeFileAtomically(const std::string& sjisPath, const void* data, std::size_t size);

}  // namespace tamblet::platform
