// A service the engine only asks for and keeps, without calling any operation on it (the window
// message, message box, shutdown and draw-plugin drawer services): a distinct, non-null object.
#pragma once

#include "refhost/Ledger.h"

namespace refhost {

template <class Interface>
class Placeholder final : public Interface {
 private:
  LedgerEntry ledger_{"Placeholder"};
};

}  // namespace refhost
