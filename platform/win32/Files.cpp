#include "platform/Files.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <new>

#include "platform/TextEncoding.h"

// Paths stay Shift-JIS bytes: the ANSI file calls take them as they are on a Japanese system,
// and a script's backslashes are already the system's separators.
//
// ReadOnlyFile keeps its handle in the int the class holds: kernel handles carry only 32
// significant bits (HandleToLong and LongToHandle are the system's own conversions), and
// INVALID_HANDLE_VALUE becomes -1, the closed state.

namespace tamblet::platform {
namespace {

HANDLE handleOf(int fd) { return LongToHandle(fd); }

// The system path, or nothing for a text the system cannot name (an embedded NUL would silently
// cut the path short).
std::optional<std::string> nativePath(const std::string& sjisPath) {
  if (sjisPath.find('\0') != std::string::npos) return std::nullopt;
  return toSystemPath(sjisPath);
}

DWORD attributesOf(const std::string& sjisPath) {
  auto path = nativePath(sjisPath);
  return path ? GetFileAttributesA(path->c_str()) : INVALID_FILE_ATTRIBUTES;
}

// Where the folder part of a path ends: just after its last separator ('\' or '/', never the
// trail byte of a two-byte character), or 0 when there is none.
std::size_t folderPartLength(const std::string& path) {
  std::size_t end = 0;
  for (std::size_t i = 0; i < path.size(); ++i) {
    if (isSjisLeadByte(static_cast<unsigned char>(path[i]))) {
      ++i;
    } else if (path[i] == '\\' || path[i] == '/') {
      end = i + 1;
    }
  }
  return end;
}

// Writes all bytes, in pieces a single WriteFile call can take.
bool writeAll(HANDLE file, const void* data, std::size_t size) {
  const char* bytes = static_cast<const char*>(data);
  while (size > 0) {
    DWORD piece = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
    DWORD written = 0;
    if (!WriteFile(file, bytes, piece, &written, nullptr) || written == 0) return false;
    bytes += written;
    size -= written;
  }
  return true;
}

// A new, empty file beside the target whose name no other writer uses.
HANDLE createTemporary(const std::string& folder, std::string& name) {
  static std::atomic<unsigned> counter{0};
  for (int attempt = 0; attempt < 100; ++attempt) {
    char suffix[64];
    wsprintfA(suffix, ".tamblet-%lu-%lu-%u", GetCurrentProcessId(), GetTickCount(), counter++);
    name = folder + suffix;
    HANDLE file = CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS) return file;
  }
  return INVALID_HANDLE_VALUE;
}

}  // namespace

std::string toSystemPath(const std::string& sjisPath) { return sjisPath; }

bool pathExists(const std::string& sjisPath) { return attributesOf(sjisPath) != INVALID_FILE_ATTRIBUTES; }

bool isRegularFile(const std::string& sjisPath) {
  DWORD attributes = attributesOf(sjisPath);
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE));
}

bool isFolder(const std::string& sjisPath) {
  DWORD attributes = attributesOf(sjisPath);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::vector<std::string> listFiles(const std::string& sjisFolder) {
  std::vector<std::string> names;
  auto folder = nativePath(sjisFolder);
  if (!folder || folder->empty()) return names;
  try {
    std::string pattern = *folder;
    if (folderPartLength(pattern) != pattern.size()) pattern += '\\';
    pattern += '*';
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA(pattern.c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
      if (entry.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) continue;  // also "." and ".."
      try {
        names.emplace_back(entry.cFileName);
      } catch (const std::bad_alloc&) {
        FindClose(search);
        throw;
      }
    } while (FindNextFileA(search, &entry));
    FindClose(search);
    std::sort(names.begin(), names.end());
  } catch (const std::bad_alloc&) {
    names.clear();
  }
  return names;
}

ReadOnlyFile::~ReadOnlyFile() {
  close();
}

bool ReadOnlyFile::open(const std::string& sjisPath) {
  close();
  auto path = nativePath(sjisPath);
  if (!path) return false;
  // Others may go on reading, writing, renaming or deleting it, as on other systems. A folder
  // cannot be opened this way; pipes and devices are refused just below.
  HANDLE file = CreateFileA(path->c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  fd_ = HandleToLong(file);
  if (GetFileType(file) != FILE_TYPE_DISK) {
    close();
    return false;
  }
  return true;
}

std::uint64_t ReadOnlyFile::size() const {
  LARGE_INTEGER size{};
  if (fd_ < 0 || !GetFileSizeEx(handleOf(fd_), &size) || size.QuadPart < 0) return 0;
  return static_cast<std::uint64_t>(size.QuadPart);
}

bool ReadOnlyFile::seek(std::uint64_t position) {
  if (fd_ < 0 || position >= size()) return false;
  LARGE_INTEGER distance{};
  distance.QuadPart = static_cast<LONGLONG>(position);
  return SetFilePointerEx(handleOf(fd_), distance, nullptr, FILE_BEGIN) != 0;
}

bool ReadOnlyFile::read(void* destination, std::uint32_t count) {
  if (fd_ < 0 || (!destination && count > 0)) return false;
  char* bytes = static_cast<char*>(destination);
  DWORD left = count;
  while (left > 0) {
    DWORD got = 0;
    if (!ReadFile(handleOf(fd_), bytes, left, &got, nullptr) || got == 0) return false;  // an error, or the end
    bytes += got;
    left -= got;
  }
  return true;
}

void ReadOnlyFile::close() {
  if (fd_ >= 0) CloseHandle(handleOf(fd_));
  fd_ = -1;
}

bool writeWholeFileAtomically(const std::string& sjisPath, const void* data, std::size_t size) {
  if (!data && size > 0) return false;
  try {
    auto target = nativePath(sjisPath);
    if (!target || target->empty()) return false;
    const std::size_t folderLength = folderPartLength(*target);
    if (folderLength == target->size()) return false;  // names a folder
    std::string temporary;
    HANDLE file = createTemporary(target->substr(0, folderLength), temporary);
    if (file == INVALID_HANDLE_VALUE) return false;
    bool complete = writeAll(file, data, size) && FlushFileBuffers(file);
    complete = CloseHandle(file) && complete;
    // The rename replaces the target in one step; it fails (and the temporary goes) when the target
    // is a folder or cannot be replaced.
    if (!complete ||
        !MoveFileExA(temporary.c_str(), target->c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      DeleteFileA(temporary.c_str());
      return false;
    }
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

}  // namespace tamblet::platform
