// Text at the boundary between scripts and the engine: scripts are UTF-8, the engine's texts are
// Shift-JIS (code page 932). Conversion goes through iconv on Linux and the system code pages on Windows.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tamblet::tools {

// The Shift-JIS bytes of a UTF-8 text; none when the text is not valid UTF-8 or holds a
// character that code page 932 cannot write.
std::optional<std::string> utf8ToSjis(std::string_view utf8);

// The UTF-8 text of Shift-JIS bytes; a byte sequence that does not convert (a lone lead byte,
// an undefined code) becomes U+FFFD and conversion goes on after it.
std::string sjisToUtf8(std::string_view sjis);

}  // namespace tamblet::tools
