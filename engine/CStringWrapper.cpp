#include "engine/CStringWrapper.h"

#include <exception>

namespace tamblet {

const char* CStringWrapper::GetText() {
  return text_.c_str();
}

void CStringWrapper::SetText(const char* text) {
  if (!text) {
    text_.clear();
    return;
  }
  try {
    text_.assign(text);  // safe when `text` points into our own bytes
  } catch (const std::exception&) {
    // Out of memory: the old text stays, whole.
  }
}

}  // namespace tamblet
