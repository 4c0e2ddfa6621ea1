// The Direct3D plug-in manager the engine hands out through GetInterface: other host modules
// attach Direct3D draw plug-ins of their own to sprites with it; such a sprite is then drawn by
// its plug-in's Draw in the Direct3D view instead of as a quad. It lives inside the engine core;
// Release never frees it.
#pragma once

#include <cstdint>

#include "host/EngineObjects.h"
#include "present/Direct3DView.h"
#include "sprite/SpriteTableBlock.h"

namespace tamblet {

class CDrawD3DPluginManager final : public IDrawD3DPluginManager {
 public:
  CDrawD3DPluginManager(SpriteTableBlock& sprites, Direct3DView& view) : sprites_(sprites), view_(view) {}
  CDrawD3DPluginManager(const CDrawD3DPluginManager&) = delete;
  CDrawD3DPluginManager& operator=(const CDrawD3DPluginManager&) = delete;

  std::int32_t TAMBLET_HOSTCALL AddRef() override;   // 0
  std::int32_t TAMBLET_HOSTCALL Release() override;  // 1; never below 0, never frees
  // 2; false for an absent sprite; the new plug-in is referenced before the old one is released,
  // and a null plug-in detaches.
  bool TAMBLET_HOSTCALL SetPlugin(std::int32_t sprite, IDXPlugin* plugin) override;
  bool TAMBLET_HOSTCALL RemovePlugin(std::int32_t sprite) override;          // 3; false for an absent sprite
  bool TAMBLET_HOSTCALL RemovePluginEverywhere(IDXPlugin* plugin) override;  // 4; both tables, both stores
  bool TAMBLET_HOSTCALL HasPlugin(std::int32_t sprite) override;             // 5

 private:
  std::int32_t referenceCount_ = 1;
  SpriteTableBlock& sprites_;
  Direct3DView& view_;
};

}  // namespace tamblet
