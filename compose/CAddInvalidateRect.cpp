#include "compose/CAddInvalidateRect.h"

#include <new>

namespace tamblet {

CAddInvalidateRect* CAddInvalidateRect::create() noexcept { return new (std::nothrow) CAddInvalidateRect(); }

void CAddInvalidateRect::AddInvalidateRect(std::int32_t x, std::int32_t y, std::int32_t width,
                                           std::int32_t height) noexcept {
  if (receiver_) receiver_->invalidateRect(x, y, width, height);
}

std::int32_t CAddInvalidateRect::AddRef() noexcept { return ++referenceCount_; }

std::int32_t CAddInvalidateRect::Release() noexcept {
  if (--referenceCount_ > 0) return referenceCount_;
  delete this;
  return 0;
}

}  // namespace tamblet
