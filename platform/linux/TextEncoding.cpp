#include "platform/TextEncoding.h"

#include <errno.h>
#include <iconv.h>

#include <new>

namespace tamblet::platform {
namespace {

// One direction of conversion through iconv. The descriptor is opened once per thread, because an
// iconv descriptor carries state and must not be shared between threads.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;
  ~Converter() {
    if (valid()) iconv_close(cd_);
  }

  // Converts what converts; a byte that does not (or a sequence cut short at the end) is copied as
  // it is and the conversion resumes after it.
  std::string convert(std::string_view input) {
    if (!valid()) return std::string(input);
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    std::string result;
    result.reserve(input.size() + input.size() / 2);
    char* in = const_cast<char*>(input.data());  // iconv's signature; it never writes the input
    size_t inLeft = input.size();
    char buffer[512];
    while (inLeft > 0) {
      char* out = buffer;
      size_t outLeft = sizeof buffer;
      size_t converted = iconv(cd_, &in, &inLeft, &out, &outLeft);
      result.append(buffer, out - buffer);
      if (converted != static_cast<size_t>(-1) || errno == E2BIG) continue;
      result.push_back(*in);
      ++in;
      --inLeft;
      iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    }
    return result;
  }

 private:
  bool valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

  iconv_t cd_;
};

}  // namespace

std::string sjisToUtf8(std::string_view sjis) {
  try {
    thread_local Converter converter("UTF-8", "CP932");
    return converter.convert(sjis);
  } catch (const std::bad_alloc&) {
    return {};
  }
}

std::string utf8ToSjis(std::string_view utf8) {
  try {
    thread_local Converter converter("CP932", "UTF-8");
    return converter.convert(utf8);
  } catch (const std::bad_alloc&) {
    return {};
  }
}

}  // namespace tamblet::platform
