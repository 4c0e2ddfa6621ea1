// The fuzz input as one in-memory file, reached by path as the readers under test expect.
#pragma once

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>

namespace tamblet::testing {

class MemoryFile {
 public:
  explicit MemoryFile(const char* name) : fd_(memfd_create(name, 0)) {
    if (fd_ < 0) std::abort();
  }
  std::string path() const { return "/proc/self/fd/" + std::to_string(fd_); }
  // Replaces the contents with the input's bytes.
  void write(const std::uint8_t* data, std::size_t size) const {
    if (ftruncate(fd_, 0) != 0) std::abort();
    for (std::size_t done = 0; done < size;) {
      const ssize_t wrote = pwrite(fd_, data + done, size - done, static_cast<off_t>(done));
      if (wrote <= 0) std::abort();
      done += static_cast<std::size_t>(wrote);
    }
  }

 private:
  int fd_;
};

}  // namespace tamblet::testing
