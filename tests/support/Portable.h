// The few process services the tests need that POSIX and Windows spell differently: a fresh
// scratch folder, setting an environment variable, and the process id.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <random>
#include <stdexcept>
#include <string>

#ifdef _WIN32
#include <process.h>
#else
#include <unistd.h>
#endif

namespace tamblet::testing {

inline int processId() {
#ifdef _WIN32
  return _getpid();
#else
  return static_cast<int>(::getpid());
#endif
}

// Creates a new, empty folder under the system's temporary folder, named "<prefix>-<random>".
inline std::filesystem::path makeScratchFolder(const std::string& prefix) {
  std::random_device seed;
  std::mt19937 random(seed() ^ static_cast<unsigned>(processId()));
  for (int attempt = 0; attempt < 100; ++attempt) {
    auto path = std::filesystem::temp_directory_path() / (prefix + "-" + std::to_string(random()));
    if (std::filesystem::create_directory(path)) return path;
  }
  throw std::runtime_error("no scratch folder could be made for " + prefix);
}

// Sets an environment variable; a null value removes it.
inline void setEnvironment(const char* name, const char* value) {
#ifdef _WIN32
  _putenv_s(name, value ? value : "");
#else
  if (value)
    setenv(name, value, 1);
  else
    unsetenv(name);
#endif
}

}  // namespace tamblet::testing
