#include "engine/GameName.h"

namespace tamblet {

std::string baseNameOf(const char* gameName) {
  if (!gameName) return {};
  const std::string text(gameName);
  std::string::size_type lastDot = std::string::npos;
  for (std::string::size_type i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if ((byte >= 0x81 && byte <= 0x9F) || byte >= 0xE0) {
      ++i;  // the second byte of the character (the terminator ends the loop if it is missing)
    } else if (byte == '.') {
      lastDot = i;
    }
  }
  return lastDot == std::string::npos ? text : text.substr(0, lastDot);
}

}  // namespace tamblet
