#include "refhost/DrawPluginManager.h"

namespace refhost {

bool DrawPluginManager::Register(const tamblet::InterfaceId* id, void* object) {
  if (!id || !object) return false;
  try {
    registrations_.push_back({*id, object});
  } catch (...) {
    return false;
  }
  return true;
}

void* DrawPluginManager::GetSubInterface(const tamblet::InterfaceId* id) {
  if (!id || withheld_.isWithheld(*id)) return nullptr;
  if (*id == tamblet::kIID_IDrawPluginUpdater) return static_cast<tamblet::IDrawPluginUpdater*>(this);
  if (*id == tamblet::kIID_IDrawPluginDrawer) return static_cast<tamblet::IDrawPluginDrawer*>(&drawer_);
  return nullptr;
}

void* DrawPluginManager::registered(const tamblet::InterfaceId& id) const {
  for (auto it = registrations_.rbegin(); it != registrations_.rend(); ++it) {
    if (it->id == id) return it->object;
  }
  return nullptr;
}

}  // namespace refhost
