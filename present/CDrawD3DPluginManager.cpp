#include "present/CDrawD3DPluginManager.h"

namespace tamblet {
namespace {

void removeFrom(SpriteTable& table, IDXPlugin* plugin) {
  for (const std::unique_ptr<SpriteRecord>& record : table.records())
    if (record->drawPlugin.get() == plugin) record->setDrawPlugin(nullptr);
}

}  // namespace

std::int32_t CDrawD3DPluginManager::AddRef() {
  return ++referenceCount_;
}

std::int32_t CDrawD3DPluginManager::Release() {
  if (--referenceCount_ <= 0) {
    referenceCount_ = 0;
    return 0;
  }
  return referenceCount_;
}

bool CDrawD3DPluginManager::SetPlugin(std::int32_t sprite, IDXPlugin* plugin) {
  SpriteRecord* record = sprites_.liveTable.find(sprite);
  if (!record) return false;
  record->setDrawPlugin(plugin);
  return true;
}

bool CDrawD3DPluginManager::RemovePlugin(std::int32_t sprite) {
  return SetPlugin(sprite, nullptr);
}

bool CDrawD3DPluginManager::RemovePluginEverywhere(IDXPlugin* plugin) {
  if (!plugin) return true;
  // Held while it is detached everywhere: the last record's reference may be the last one.
  const Ref<IDXPlugin> held = Ref<IDXPlugin>::retain(plugin);
  removeFrom(sprites_.liveTable, plugin);
  removeFrom(sprites_.backScene, plugin);
  view_.removePlugin(plugin);
  return true;
}

bool CDrawD3DPluginManager::HasPlugin(std::int32_t sprite) {
  const SpriteRecord* record = sprites_.liveTable.find(sprite);
  return record && record->drawPlugin;
}

}  // namespace tamblet
