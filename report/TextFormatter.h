// The library's one printf-style formatter, bounded by the caller's buffer. It knows %d %i %u %x %X
// %c %s %% with the flags '-' and '0' and a width; a null %s prints nothing and any other conversion
// is copied as it stands without taking a value. The result is always NUL-terminated and holds at
// most capacity - 1 bytes; when the cut would leave the first byte of a two-byte Shift-JIS character
// at the end, that byte is dropped too, so a cut text never ends in half a character.
#pragma once

#include <cstdarg>
#include <cstddef>

namespace tamblet::report {

// The buffer size of every report, and the longest text a report shows.
inline constexpr std::size_t kReportBufferSize = 16384;

// Returns the number of bytes written before the NUL (0 when the buffer is null or capacity is 0).
std::size_t formatText(char* buffer, std::size_t capacity, const char* format, ...) noexcept;
std::size_t formatTextV(char* buffer, std::size_t capacity, const char* format, std::va_list args) noexcept;

}  // namespace tamblet::report
