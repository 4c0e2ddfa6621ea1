// The kernel's keyboard and mouse (IInputDevice2) and mouse wheel (IMouseWheel). Tests press
// keys, move the mouse or make its position unknown, and turn the wheel. A key pressed raises its
// flag, which stays up until the library clears it (one key or all).
#pragma once

#include <cstdint>
#include <set>

#include "host/Kernel.h"
#include "refhost/Ledger.h"

namespace refhost {

class Input final : public tamblet::IInputDevice2, public tamblet::IMouseWheel {
 public:
  // IInputDevice2
  void TAMBLET_HOSTCALL ClearAllKeyFlags() override;
  bool TAMBLET_HOSTCALL IsKeyDown(std::int32_t key) override;
  bool TAMBLET_HOSTCALL GetMousePos(std::int32_t* x, std::int32_t* y) override;
  void TAMBLET_HOSTCALL UnusedSlot3() override {}
  // True when the key code is one the host knows (0 to 255).
  bool TAMBLET_HOSTCALL ClearKeyFlag(std::int32_t key) override;

  // IMouseWheel
  void TAMBLET_HOSTCALL Clear() override;
  std::int32_t TAMBLET_HOSTCALL GetFirstCount() override { return wheel_[0]; }
  std::int32_t TAMBLET_HOSTCALL GetSecondCount() override { return wheel_[1]; }

  // Test controls.
  void setKeyDown(std::int32_t key, bool down);  // pressing also raises the key's flag
  void setKeyFlag(std::int32_t key, bool raised);
  bool keyFlag(std::int32_t key) const { return flags_.contains(key); }
  int clearAllCalls() const { return clearAllCalls_; }
  void setMousePosition(std::int32_t x, std::int32_t y);
  void setMousePositionUnknown() { mouseKnown_ = false; }
  void setWheelCounts(std::int32_t first, std::int32_t second);
  int wheelClears() const { return wheelClears_; }

 private:
  LedgerEntry ledger_{"Input"};
  std::set<std::int32_t> down_;
  std::set<std::int32_t> flags_;
  int clearAllCalls_ = 0;
  bool mouseKnown_ = true;
  std::int32_t mouseX_ = 0;
  std::int32_t mouseY_ = 0;
  std::int32_t wheel_[2] = {0, 0};
  int wheelClears_ = 0;
};

}  // namespace refhost
