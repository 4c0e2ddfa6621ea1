// The host services the small exports reach through the engine object: a bound field, or null
// before Init (a failed Init may have left fields bound that belong to no running engine).
#pragma once

#include "engine/CVELM.h"
#include "host/Ref.h"

namespace tamblet {

template <class Service>
Service* boundService(Service* field) {
  return CVELM::instance().isInitialised() ? field : nullptr;
}

template <class Service>
Service* boundService(const Ref<Service>& field) {
  return CVELM::instance().isInitialised() ? field.get() : nullptr;
}

}  // namespace tamblet
