// The dirty-rectangle sink registered with the host. Its report does nothing: the software view
// redraws the whole destination in every pass. The pointer the host gets is the
// IAddInvalidateRect part; the IInterface part counts references.
#pragma once

#include <cstdint>

#include "host/EngineObjects.h"

namespace tamblet {

class CAddInvalidateRect final : public IAddInvalidateRect, public IInterface {
 public:
  // A sink with count 1; null when memory runs out.
  static CAddInvalidateRect* create() noexcept;

  void TAMBLET_HOSTCALL AddInvalidateRect(std::int32_t x, std::int32_t y, std::int32_t width,
                                          std::int32_t height) noexcept override;  // 0
  std::int32_t TAMBLET_HOSTCALL AddRef() noexcept override;
  std::int32_t TAMBLET_HOSTCALL Release() noexcept override;  // destroys the object at 0

 private:
  CAddInvalidateRect() = default;
  ~CAddInvalidateRect() = default;

  std::int32_t referenceCount_ = 1;
};

}  // namespace tamblet
