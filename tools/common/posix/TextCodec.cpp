#include "tools/common/TextCodec.h"

#include <iconv.h>

#include <cerrno>

namespace tamblet::tools {
namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

// One conversion descriptor per call keeps the functions free of shared state.
class Converter {
 public:
  Converter(const char* to, const char* from) : handle_(iconv_open(to, from)) {}
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;
  ~Converter() {
    if (valid()) iconv_close(handle_);
  }
  bool valid() const { return handle_ != reinterpret_cast<iconv_t>(-1); }

  // Converts `input`; on an unconvertible sequence calls `onInvalid(out)` and, when it returns
  // true, skips one byte and goes on. Returns false when conversion stopped.
  template <class OnInvalid>
  bool convert(std::string_view input, std::string& out, OnInvalid&& onInvalid) {
    char* in = const_cast<char*>(input.data());
    std::size_t inLeft = input.size();
    char buffer[256];
    while (inLeft > 0) {
      char* outPtr = buffer;
      std::size_t outLeft = sizeof(buffer);
      const std::size_t done = iconv(handle_, &in, &inLeft, &outPtr, &outLeft);
      out.append(buffer, static_cast<std::size_t>(outPtr - buffer));
      if (done != static_cast<std::size_t>(-1)) continue;
      if (errno == E2BIG) continue;
      if (!onInvalid(out)) return false;  // EILSEQ, or EINVAL for a sequence cut off at the end
      ++in;
      --inLeft;
      iconv(handle_, nullptr, nullptr, nullptr, nullptr);
    }
    return true;
  }

 private:
  iconv_t handle_;
};

}  // namespace

std::optional<std::string> utf8ToSjis(std::string_view utf8) {
  Converter converter("CP932", "UTF-8");
  if (!converter.valid()) return std::nullopt;
  std::string out;
  if (!converter.convert(utf8, out, [](std::string&) { return false; })) return std::nullopt;
  return out;
}

std::string sjisToUtf8(std::string_view sjis) {
  Converter converter("UTF-8", "CP932");
  std::string out;
  if (!converter.valid()) return std::string(sjis);
  converter.convert(sjis, out, [](std::string& text) {
    text += kReplacement;
    return true;
  });
  return out;
}

}  // namespace tamblet::tools
