// RenderHub.dll's draw-plugin manager (IDrawPluginManager): records the objects the library
// registers, in order, and answers its two sub-interfaces, the updater (IDrawPluginUpdater,
// counts the frames it is advanced) and the drawer; each sub-interface can be withheld.
#pragma once

#include <cstdint>
#include <vector>

#include "host/Modules.h"
#include "refhost/Ledger.h"
#include "refhost/Placeholder.h"
#include "refhost/RefCounted.h"
#include "refhost/Withholding.h"

namespace refhost {

class DrawPluginManager final : public RefCounted<DrawPluginManager, tamblet::IDrawPluginManager>,
                                public tamblet::IDrawPluginUpdater {
 public:
  struct Registration {
    tamblet::InterfaceId id;
    void* object;
  };

  // Records (id, object) without taking a reference; false for a null id or object.
  bool TAMBLET_HOSTCALL Register(const tamblet::InterfaceId* id, void* object) override;
  void* TAMBLET_HOSTCALL GetSubInterface(const tamblet::InterfaceId* id) override;
  void TAMBLET_HOSTCALL Advance() override { ++advances_; }

  void withhold(const tamblet::InterfaceId& id) { withheld_.withhold(id); }
  void restore(const tamblet::InterfaceId& id) { withheld_.restore(id); }

  const std::vector<Registration>& registrations() const { return registrations_; }
  // The object last registered under the id, or null.
  void* registered(const tamblet::InterfaceId& id) const;
  int advances() const { return advances_; }
  tamblet::IDrawPluginDrawer* drawer() { return &drawer_; }

 private:
  LedgerEntry ledger_{"DrawPluginManager"};
  Withholding withheld_;
  Placeholder<tamblet::IDrawPluginDrawer> drawer_;
  std::vector<Registration> registrations_;
  int advances_ = 0;
};

}  // namespace refhost
