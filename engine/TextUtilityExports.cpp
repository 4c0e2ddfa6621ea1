// Number formatting in full-width and half-width digits and first-character removal for
// Shift-JIS texts. They need no host service and work at any time.
#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>

#include "engine/Exports.h"
#include "engine/NumberText.h"
#include "platform/TextEncoding.h"

using namespace tamblet;

namespace {

void formatInto(IString* out, std::int32_t value, std::int32_t width, std::int32_t zeroPadding, CharacterWidth style) {
  if (!out) return;
  // A text that cannot be built leaves out as it was.
  if (std::optional<std::string> text = formatPaddedInteger(value, width, boolArgument(zeroPadding), style)) {
    out->SetText(text->c_str());
  }
}

}  // namespace

TAMBLET_EXPORT void IntToZenkaku(IString* out, std::int32_t value, std::int32_t width, std::int32_t zeroPadding) {
  guardedExport([&] { formatInto(out, value, width, zeroPadding, CharacterWidth::kFull); });
}

TAMBLET_EXPORT void IntToHankaku(IString* out, std::int32_t value, std::int32_t width, std::int32_t zeroPadding) {
  guardedExport([&] { formatInto(out, value, width, zeroPadding, CharacterWidth::kHalf); });
}

// Moves the first character of source into out: 2 for a double-byte character, 1 for a single
// byte, 0 for an empty source. A lead byte that ends the text is taken alone as a double-byte
// character; nothing past the terminator is read.
TAMBLET_EXPORT std::int32_t StringPopFront(IString* out, IString* source) {
  return guardedExport<std::int32_t>(0, [&] {
    if (!out) return 0;
    const std::string text = stringArgument(source);
    if (text.empty()) {
      out->SetText("");
      return 0;
    }
    const bool doubleByte = platform::isSjisLeadByte(static_cast<unsigned char>(text[0]));
    const std::size_t taken = std::min<std::size_t>(doubleByte ? 2 : 1, text.size());
    out->SetText(text.substr(0, taken).c_str());
    source->SetText(text.c_str() + taken);
    return doubleByte ? 2 : 1;
  });
}
