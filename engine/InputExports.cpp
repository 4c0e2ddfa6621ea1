// Keyboard, mouse and wheel exports. Before Init, or when the host gave no input device, they
// answer false, 0 or nothing and touch no output; a null output address answers the same way.
#include <cstdint>

#include "engine/BoundService.h"
#include "engine/CVELM.h"
#include "engine/Exports.h"
#include "platform/Messages.h"
#include "report/FixedTexts.h"

using namespace tamblet;

namespace {

constexpr std::int32_t kControlKey = 17;
constexpr std::int32_t kLastKeyCode = 255;

CVELM& engine() { return CVELM::instance(); }

bool isMouseButton(std::int32_t key) {
  return key == 1 || key == 2 || key == 4;
}

}  // namespace

TAMBLET_EXPORT std::int32_t Key_ClearFlag() {
  return guardedExport<std::int32_t>(0, [&] {
    IInputDevice2* input = boundService(engine().binding.inputDevice);
    if (!input) return 0;
    input->ClearAllKeyFlags();
    return 1;
  });
}

TAMBLET_EXPORT std::int32_t Key_ClearFlagOne(std::int32_t key) {
  return guardedExport<std::int32_t>(0, [&] {
    if (!engine().isInitialised()) return 0;
    IInputDevice2* input = engine().binding.inputDevice;
    if (!input) {
      platform::debugOutput(fixedText(FixedText::kKeyClearFlagOneWithoutInput));
      return 0;
    }
    return boolResult(input->ClearKeyFlag(key));
  });
}

// Clears every key's flag but the control key's, which message skipping watches.
TAMBLET_EXPORT std::int32_t Key_ClearFlagNoCtrl() {
  return guardedExport<std::int32_t>(0, [&] {
    if (!engine().isInitialised()) return 0;
    IInputDevice2* input = engine().binding.inputDevice;
    if (!input) {
      platform::debugOutput(fixedText(FixedText::kKeyClearFlagNoCtrlWithoutInput));
      return 0;
    }
    for (std::int32_t key = 0; key <= kLastKeyCode; ++key) {
      if (key != kControlKey) input->ClearKeyFlag(key);
    }
    return 1;
  });
}

TAMBLET_EXPORT std::int32_t Key_IsDown(std::int32_t key) {
  return guardedExport<std::int32_t>(0, [&] {
    IInputDevice2* input = boundService(engine().binding.inputDevice);
    return boolResult(input && input->IsKeyDown(key));
  });
}

// A mouse button only counts as down while the host knows where the cursor is.
TAMBLET_EXPORT std::int32_t KEY_GetState(std::int32_t key) {
  return guardedExport<std::int32_t>(0, [&] {
    IKeyState* keys = boundService(engine().binding.keyState);
    if (!keys || !keys->IsKeyDown(key)) return 0;
    if (isMouseButton(key)) {
      IInputDevice2* input = boundService(engine().binding.inputDevice);
      std::int32_t x = 0, y = 0;
      if (!input || !input->GetMousePos(&x, &y)) return 0;
    }
    return 1;
  });
}

// ---- Mouse ----

TAMBLET_EXPORT std::int32_t Mouse_GetPos(std::int32_t* x, std::int32_t* y) {
  return guardedExport<std::int32_t>(0, [&] {
    IInputDevice2* input = boundService(engine().binding.inputDevice);
    return boolResult(input && x && y && input->GetMousePos(x, y));
  });
}

TAMBLET_EXPORT void Mouse_ClearWheel() {
  guardedExport([&] {
    if (IMouseWheel* wheel = boundService(engine().binding.mouseWheel)) wheel->Clear();
  });
}

TAMBLET_EXPORT void Mouse_GetWheel(std::int32_t* first, std::int32_t* second) {
  guardedExport([&] {
    IMouseWheel* wheel = boundService(engine().binding.mouseWheel);
    if (!wheel || !first || !second) return;
    *first = wheel->GetFirstCount();
    *second = wheel->GetSecondCount();
  });
}
