// The dirty-rectangle sink registered with the host. A host that draws into the main surface itself reports the
// rectangles it touched here. The software view that redraws the whole destination in every pass needs none of
// them, so without a receiver a report does nothing; with dirty regions on, the view receives them and redraws
// those rectangles with the next frame. The pointer the host gets is the IAddInvalidateRect part; the IInterface
// part counts references.
#pragma once

#include <cstdint>

#include "host/EngineObjects.h"

namespace tamblet {

class CAddInvalidateRect final : public IAddInvalidateRect, public IInterface {
 public:
  // Where reports go. Any four values may arrive (negative, empty, huge): the receiver judges them.
  class Receiver {
   public:
    virtual void invalidateRect(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height) noexcept = 0;

   protected:
    ~Receiver() = default;
  };

  // A sink with count 1; null when memory runs out.
  static CAddInvalidateRect* create() noexcept;

  // Reports go to `receiver` from now on (null: nowhere). The engine clears it before the receiver goes away, as
  // the host may keep the sink longer.
  void setReceiver(Receiver* receiver) noexcept { receiver_ = receiver; }

  void TAMBLET_HOSTCALL AddInvalidateRect(std::int32_t x, std::int32_t y, std::int32_t width,
                                          std::int32_t height) noexcept override;  // 0
  std::int32_t TAMBLET_HOSTCALL AddRef() noexcept override;
  std::int32_t TAMBLET_HOSTCALL Release() noexcept override;  // destroys the object at 0

 private:
  CAddInvalidateRect() = default;
  ~CAddInvalidateRect() = default;

  std::int32_t referenceCount_ = 1;
  Receiver* receiver_ = nullptr;
};

}  // namespace tamblet
