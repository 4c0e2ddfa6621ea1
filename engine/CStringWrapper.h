// The library's own script string (IString): an owned Shift-JIS byte string, used where the
// library calls its own string-taking exports. Not reference counted; its owner keeps it.
#pragma once

#include <string>

#include "host/VM.h"

namespace tamblet {

class CStringWrapper final : public IString {
 public:
  CStringWrapper() = default;
  explicit CStringWrapper(const char* text) { SetText(text); }
  ~CStringWrapper() = default;

  const char* TAMBLET_HOSTCALL GetText() override;           // 0; never null
  void TAMBLET_HOSTCALL SetText(const char* text) override;  // 1; null empties; out of memory keeps the old text

 private:
  std::string text_;
};

}  // namespace tamblet
