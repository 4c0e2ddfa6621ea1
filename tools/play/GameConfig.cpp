#include "tools/play/GameConfig.h"

#include <charconv>
#include <sstream>

namespace tamblet::play {
namespace {

std::string trim(const std::string& text) {
  const auto first = text.find_first_not_of(" \t\r");
  if (first == std::string::npos) return {};
  const auto last = text.find_last_not_of(" \t\r");
  return text.substr(first, last - first + 1);
}

std::optional<std::int32_t> positiveInt(const std::string& text, std::int32_t limit) {
  std::int32_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value < 1 || value > limit) return std::nullopt;
  return value;
}

}  // namespace

std::optional<GameConfig> parseGameConfig(const std::string& text, std::string* why) {
  GameConfig config;
  std::istringstream lines(text);
  std::string line;
  int number = 0;
  while (std::getline(lines, line)) {
    ++number;
    const auto comment = line.find('#');
    if (comment != std::string::npos) line.erase(comment);
    line = trim(line);
    if (line.empty()) continue;
    const auto equals = line.find('=');
    const std::string key = equals == std::string::npos ? line : trim(line.substr(0, equals));
    const std::string value = equals == std::string::npos ? std::string() : trim(line.substr(equals + 1));
    bool ok = equals != std::string::npos;
    if (ok && (key == "width" || key == "height")) {
      const auto size = positiveInt(value, 8192);
      ok = size.has_value();
      (key == "width" ? config.width : config.height) = size;
    } else if (ok && key == "cache_mib") {
      config.cacheMiB = positiveInt(value, 4096);
      ok = config.cacheMiB.has_value();
    } else if (ok && key == "debug") {
      ok = value == "true" || value == "false";
      config.debug = value == "true";
    } else if (ok && key == "title") {
      config.title = value;
    } else {
      ok = false;
    }
    if (!ok) {
      if (why) *why = "player.conf line " + std::to_string(number) + ": cannot use \"" + line + "\"";
      return std::nullopt;
    }
  }
  return config;
}

}  // namespace tamblet::play
