#include "refhost/VMString.h"

namespace refhost {

void VMString::SetText(const char* text) {
  try {
    bytes_.assign(text ? text : "");
  } catch (...) {
    bytes_.clear();  // out of memory: an empty text rather than an exception
  }
}

}  // namespace refhost
