#include "platform/Files.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <new>

#include "platform/TextEncoding.h"

namespace tamblet::platform {
namespace {

// The system path, or nothing for a text the system cannot name (an embedded NUL would silently
// cut the path short).
std::optional<std::string> nativePath(const std::string& sjisPath) {
  if (sjisPath.find('\0') != std::string::npos) return std::nullopt;
  return toSystemPath(sjisPath);
}

bool statPath(const std::string& sjisPath, struct stat& status) {
  auto path = nativePath(sjisPath);
  return path && ::stat(path->c_str(), &status) == 0;
}

// Writes all bytes, resuming after signals and partial writes.
bool writeAll(int fd, const void* data, std::size_t size) {
  const char* bytes = static_cast<const char*>(data);
  while (size > 0) {
    ssize_t written = ::write(fd, bytes, size);
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes += written;
    size -= static_cast<std::size_t>(written);
  }
  return true;
}

// Makes a completed rename durable; a failure here does not undo the write, so it is not reported.
void syncFolder(const std::string& folder) {
  int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

}  // namespace

std::string toSystemPath(const std::string& sjisPath) {
  std::string path = sjisPath;
  for (std::size_t i = 0; i < path.size(); ++i) {
    if (isSjisLeadByte(static_cast<unsigned char>(path[i]))) {
      ++i;  // the trail byte may be 0x5C and is part of the character
    } else if (path[i] == '\\') {
      path[i] = '/';
    }
  }
  return sjisToUtf8(path);
}

bool pathExists(const std::string& sjisPath) {
  struct stat status;
  return statPath(sjisPath, status);
}

bool isRegularFile(const std::string& sjisPath) {
  struct stat status;
  return statPath(sjisPath, status) && S_ISREG(status.st_mode);
}

bool isFolder(const std::string& sjisPath) {
  struct stat status;
  return statPath(sjisPath, status) && S_ISDIR(status.st_mode);
}

std::vector<std::string> listFiles(const std::string& sjisFolder) {
  std::vector<std::string> names;
  auto path = nativePath(sjisFolder);
  DIR* folder = path ? ::opendir(path->c_str()) : nullptr;
  if (!folder) return names;
  try {
    while (dirent* entry = ::readdir(folder)) {
      if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0) continue;
      // stat follows links: a dangling link does not exist, a link to a folder is a folder.
      struct stat status;
      if (::fstatat(::dirfd(folder), entry->d_name, &status, 0) != 0 || S_ISDIR(status.st_mode)) continue;
      names.push_back(utf8ToSjis(entry->d_name));
    }
    std::sort(names.begin(), names.end());
  } catch (const std::bad_alloc&) {
    names.clear();
  }
  ::closedir(folder);
  return names;
}

ReadOnlyFile::~ReadOnlyFile() {
  close();
}

bool ReadOnlyFile::open(const std::string& sjisPath) {
  close();
  auto path = nativePath(sjisPath);
  if (!path) return false;
  // O_NONBLOCK keeps a named pipe from blocking the open; it is refused just below.
  fd_ = ::open(path->c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd_ < 0) return false;
  struct stat status;
  if (::fstat(fd_, &status) != 0 || !S_ISREG(status.st_mode)) {
    close();
    return false;
  }
  return true;
}

std::uint64_t ReadOnlyFile::size() const {
  struct stat status;
  if (fd_ < 0 || ::fstat(fd_, &status) != 0) return 0;
  return static_cast<std::uint64_t>(status.st_size);
}

bool ReadOnlyFile::seek(std::uint64_t position) {
  if (fd_ < 0 || position >= size()) return false;
  return ::lseek(fd_, static_cast<off_t>(position), SEEK_SET) >= 0;
}

bool ReadOnlyFile::read(void* destination, std::uint32_t count) {
  if (fd_ < 0 || (!destination && count > 0)) return false;
  char* bytes = static_cast<char*>(destination);
  std::size_t left = count;
  while (left > 0) {
    ssize_t got = ::read(fd_, bytes, left);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;  // an error, or the end of the file before the count
    bytes += got;
    left -= static_cast<std::size_t>(got);
  }
  return true;
}

void ReadOnlyFile::close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

bool writeWholeFileAtomically(const std::string& sjisPath, const void* data, std::size_t size) {
  if (!data && size > 0) return false;
  try {
    auto target = nativePath(sjisPath);
    if (!target || target->empty() || target->back() == '/') return false;
    std::string folder = target->substr(0, target->rfind('/') + 1);  // "" for the current folder
    std::string temporary = folder + ".tamblet-XXXXXX";
    int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) return false;
    // mkstemp creates the file private to its owner; keep the target's permissions, or the usual ones.
    struct stat existing;
    mode_t mode = ::stat(target->c_str(), &existing) == 0 ? (existing.st_mode & 07777) : 0644;
    bool complete = writeAll(fd, data, size) && ::fchmod(fd, mode) == 0 && ::fsync(fd) == 0;
    complete = (::close(fd) == 0) && complete;
    if (!complete || ::rename(temporary.c_str(), target->c_str()) != 0) {
      ::unlink(temporary.c_str());
      return false;
    }
    syncFolder(folder);
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

}  // namespace tamblet::platform
