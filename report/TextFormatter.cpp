#include "report/TextFormatter.h"

#include <algorithm>
#include <cstdint>

namespace tamblet::report {

namespace {

bool isLeadByte(unsigned char byte) {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

// Appends bytes up to the limit, remembering whether the last byte written opens a two-byte
// character still waiting for its second byte.
class BoundedWriter {
 public:
  BoundedWriter(char* buffer, std::size_t limit) : buffer_(buffer), limit_(limit) {}

  void put(char c) {
    if (length_ == limit_) {
      cut_ = true;
      return;
    }
    buffer_[length_++] = c;
    waitingForTrailByte_ = !waitingForTrailByte_ && isLeadByte(static_cast<unsigned char>(c));
  }
  void repeat(char c, std::size_t count) {
    for (std::size_t i = 0; i < count && !cut_; ++i) put(c);
  }
  void write(const char* text, std::size_t count) {
    for (std::size_t i = 0; i < count && !cut_; ++i) put(text[i]);
  }
  bool isCut() const { return cut_; }

  std::size_t finish() {
    if (cut_ && waitingForTrailByte_) --length_;
    buffer_[length_] = '\0';
    return length_;
  }

 private:
  char* buffer_;
  std::size_t limit_;
  std::size_t length_ = 0;
  bool cut_ = false;
  bool waitingForTrailByte_ = false;
};

struct Conversion {
  bool leftAlign = false;
  bool zeroPad = false;
  std::size_t width = 0;
};

// Writes text padded to the width; a sign is kept in front of zero padding ("-0042").
void writePadded(BoundedWriter& out, const Conversion& conversion, const char* sign, const char* body,
                 std::size_t bodyLength) {
  const std::size_t signLength = (sign && *sign) ? 1 : 0;
  const std::size_t length = signLength + bodyLength;
  const std::size_t padding = conversion.width > length ? conversion.width - length : 0;
  if (conversion.leftAlign) {
    out.write(sign, signLength);
    out.write(body, bodyLength);
    out.repeat(' ', padding);
  } else if (conversion.zeroPad) {
    out.write(sign, signLength);
    out.repeat('0', padding);
    out.write(body, bodyLength);
  } else {
    out.repeat(' ', padding);
    out.write(sign, signLength);
    out.write(body, bodyLength);
  }
}

void writeNumber(BoundedWriter& out, const Conversion& conversion, std::uint32_t magnitude, bool negative,
                 unsigned base, bool upperCase) {
  const char* digits = upperCase ? "0123456789ABCDEF" : "0123456789abcdef";
  char text[16];
  std::size_t start = sizeof text;
  do {
    text[--start] = digits[magnitude % base];
    magnitude /= base;
  } while (magnitude != 0);
  writePadded(out, conversion, negative ? "-" : "", text + start, sizeof text - start);
}

std::size_t lengthOf(const char* text) {
  std::size_t length = 0;
  while (text[length] != '\0') ++length;
  return length;
}

}  // namespace

std::size_t formatText(char* buffer, std::size_t capacity, const char* format, ...) noexcept {
  std::va_list args;
  va_start(args, format);
  const std::size_t length = formatTextV(buffer, capacity, format, args);
  va_end(args);
  return length;
}

std::size_t formatTextV(char* buffer, std::size_t capacity, const char* format, std::va_list args) noexcept {
  if (!buffer || capacity == 0) return 0;
  BoundedWriter out(buffer, capacity - 1);
  if (!format) return out.finish();

  const char* p = format;
  while (*p != '\0' && !out.isCut()) {
    if (*p != '%') {
      out.put(*p++);
      continue;
    }
    const char* conversionStart = p++;
    Conversion conversion;
    for (;; ++p) {
      if (*p == '-') {
        conversion.leftAlign = true;
      } else if (*p == '0') {
        conversion.zeroPad = true;
      } else {
        break;
      }
    }
    // Widths beyond the buffer cannot show anyway; clamping keeps the count from overflowing.
    for (; *p >= '0' && *p <= '9'; ++p) {
      conversion.width = std::min(conversion.width * 10 + static_cast<std::size_t>(*p - '0'), capacity);
    }
    switch (*p) {
      case 'd':
      case 'i': {
        const int value = va_arg(args, int);
        // The magnitude is taken unsigned, so the most negative int keeps all its digits.
        const std::uint32_t magnitude =
            value < 0 ? 0u - static_cast<std::uint32_t>(value) : static_cast<std::uint32_t>(value);
        writeNumber(out, conversion, magnitude, value < 0, 10, false);
        break;
      }
      case 'u':
        writeNumber(out, conversion, va_arg(args, unsigned int), false, 10, false);
        break;
      case 'x':
      case 'X':
        writeNumber(out, conversion, va_arg(args, unsigned int), false, 16, *p == 'X');
        break;
      case 'c': {
        const char c = static_cast<char>(va_arg(args, int));
        conversion.zeroPad = false;
        writePadded(out, conversion, "", &c, 1);
        break;
      }
      case 's': {
        const char* text = va_arg(args, const char*);
        if (!text) text = "";
        conversion.zeroPad = false;
        // Long arguments are written byte by byte up to the cut, never measured beyond it.
        if (conversion.width == 0) {
          while (*text != '\0' && !out.isCut()) out.put(*text++);
        } else {
          writePadded(out, conversion, "", text, lengthOf(text));
        }
        break;
      }
      case '%':
        out.put('%');
        break;
      default:
        // Not a conversion we know (or the format ended): copy it as it stands, taking no value.
        out.write(conversionStart, static_cast<std::size_t>(p - conversionStart));
        if (*p == '\0') return out.finish();
        out.put(*p);
        break;
    }
    ++p;
  }
  return out.finish();
}

}  // namespace tamblet::report
