// A game folder's optional "player.conf": lines "key = value" ('#' starts a comment) giving the
// main surface size, the CG cache budget and debug mode. Options on the command line win.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace tamblet::play {

struct GameConfig {
  std::optional<std::int32_t> width;
  std::optional<std::int32_t> height;
  std::optional<std::int32_t> cacheMiB;
  std::optional<bool> debug;
  std::optional<std::string> title;
};

// Parses the text; an unknown key or a bad value gives none with the line in `why`.
std::optional<GameConfig> parseGameConfig(const std::string& text, std::string* why);

}  // namespace tamblet::play
