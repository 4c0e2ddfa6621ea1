// Binding to host modules: a module is found by its file name among those already loaded, its
// CreateInterface export is called with an id, and the interface comes with one reference.
#pragma once

#include "host/InterfaceId.h"
#include "host/Ref.h"

namespace tamblet {

// The interface `module` answers for `id` (one reference for the caller), or null when the
// module, its entry point or the interface is missing.
void* createModuleInterface(const char* module, const InterfaceId& id);

template <class Interface>
Ref<Interface> bindModule(const char* module, const InterfaceId& id) {
  return Ref<Interface>::adopt(static_cast<Interface*>(createModuleInterface(module, id)));
}

}  // namespace tamblet
