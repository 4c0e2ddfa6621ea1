#include "engine/HostBinding.h"

#include "host/Modules.h"
#include "platform/Modules.h"

namespace tamblet {

void* createModuleInterface(const char* module, const InterfaceId& id) {
  auto create = reinterpret_cast<CreateInterfaceFunction>(platform::findModuleSymbol(module, kCreateInterfaceSymbol));
  return create ? create(&id) : nullptr;
}

}  // namespace tamblet
