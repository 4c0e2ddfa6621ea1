// The compositor family of exports: SP_RenderView draws the live sprite table into a sprite's own surface.
// Before Init it answers false.
#include <cstdint>

#include "engine/CVELM.h"
#include "engine/Exports.h"

using namespace tamblet;

TAMBLET_EXPORT std::int32_t SP_RenderView(std::int32_t nSP) {
  return guardedExport<std::int32_t>(0, [&] {
    CVelmEngine* core = CVELM::instance().core();
    return boolResult(core && core->compositor.renderView(nSP));
  });
}
