#include "refhost/CgArchiveFormat.h"

#include <zip.h>

#include <algorithm>

namespace refhost {

std::optional<std::int32_t> cgNumberOfEntryName(std::string_view name) {
  const std::size_t dot = name.find('.');
  if (dot == 0 || dot == std::string_view::npos || dot > 10) return std::nullopt;
  const std::string_view extension = name.substr(dot + 1);
  if (extension.empty() || extension.find_first_of("/\\") != std::string_view::npos) return std::nullopt;
  std::int64_t value = 0;
  for (std::size_t i = 0; i < dot; ++i) {
    const char c = name[i];
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');  // at most 10 digits: fits in 64 bits
  }
  if (value > INT32_MAX) return std::nullopt;
  return static_cast<std::int32_t>(value);
}

std::string cgEntryName(std::int32_t cg, std::string_view extension) {
  std::string name = std::to_string(cg);
  name += '.';
  name += extension;
  return name;
}

std::string cgIndexText(std::vector<CgIndexLine> lines) {
  std::sort(lines.begin(), lines.end(), [](const CgIndexLine& a, const CgIndexLine& b) { return a.cg < b.cg; });
  std::string text = kCgIndexHeader;
  for (const CgIndexLine& line : lines) {
    text += std::to_string(line.cg);
    text += ' ';
    text += line.name;
    text += ' ';
    text += std::to_string(line.size);
    text += '\n';
  }
  return text;
}

std::string zipErrorText(int code) {
  zip_error_t error;
  zip_error_init_with_code(&error, code);
  std::string text = zip_error_strerror(&error);
  zip_error_fini(&error);
  return text;
}

}  // namespace refhost
