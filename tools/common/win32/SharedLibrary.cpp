#include "tools/common/SharedLibrary.h"

#include <windows.h>

#include <filesystem>

namespace tamblet::tools {
namespace {

// The system's text for an error code, without the trailing line break.
std::string systemMessage(DWORD code) {
  char* text = nullptr;
  const DWORD length =
      FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                     nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string message = length && text ? std::string(text, length) : "error " + std::to_string(code);
  if (text) LocalFree(text);
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == ' ')) {
    message.pop_back();
  }
  return message;
}

}  // namespace

// Windows has one namespace of loaded modules, so a Private library differs from a Resident one
// only in being freed with this object. A library named by a path finds the DLLs it imports in its
// own folder first (the host modules import the reference host's DLL beside them).
SharedLibrary::SharedLibrary(const std::string& path, Scope scope, std::string* why) : scope_(scope) {
  std::error_code error;
  const std::filesystem::path full = std::filesystem::absolute(path, error);
  const bool named = path.find_first_of("/\\") != std::string::npos && !error;
  handle_ = named ? LoadLibraryExA(full.string().c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH)
                  : LoadLibraryA(path.c_str());
  if (!handle_ && why) *why = path + ": " + systemMessage(GetLastError());
}

SharedLibrary::~SharedLibrary() {
  if (handle_ && scope_ == Scope::Private) FreeLibrary(static_cast<HMODULE>(handle_));
}

void* SharedLibrary::symbol(const char* name) const {
  return handle_ ? reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle_), name)) : nullptr;
}

std::string moduleFileName(const std::string& moduleName) {
  return moduleName.find('.') == std::string::npos ? moduleName + ".dll" : moduleName;
}

}  // namespace tamblet::tools
