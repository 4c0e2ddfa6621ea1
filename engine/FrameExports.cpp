// Update and the frame exports: one frame per call, transition frames, the FPS figure, the fill
// rate and the view settings. The frame loop and its pacing live with the engine object.
#include <algorithm>
#include <cstdint>

#include "engine/CVELM.h"
#include "engine/Exports.h"

using namespace tamblet;

namespace {

CVELM& engine() {
  return CVELM::instance();
}

}  // namespace

TAMBLET_EXPORT std::int32_t Update() {
  return guardedExport<std::int32_t>(0, [] { return boolResult(engine().update()); });
}

TAMBLET_EXPORT std::int32_t TRANS_Begin(std::int32_t type) {
  return guardedExport<std::int32_t>(0, [&] {
    CVelmEngine* core = engine().core();
    if (!core) return 0;
    if (core->view.beginTransition(type)) return 1;
    engine().report(FixedText::kTransitionBeginFailed, type);
    return 0;
  });
}

TAMBLET_EXPORT std::int32_t TRANS_Update(float rate) {
  return guardedExport<std::int32_t>(0, [&] { return boolResult(engine().transitionUpdate(rate)); });
}

// Ends the transition and presents one normal frame (counted, not paced).
TAMBLET_EXPORT std::int32_t TRANS_End() {
  return guardedExport<std::int32_t>(0, [] {
    CVelmEngine* core = engine().core();
    if (!core) return 0;
    if (core->view.endTransition() && core->drawFrame()) return 1;
    engine().report(FixedText::kTransitionEndFailed);
    return 0;
  });
}

TAMBLET_EXPORT float FPS_Get() {
  return guardedExport<float>(0.0f, [] {
    CVelmEngine* core = engine().core();
    return core ? core->fps.fps() : 0.0f;
  });
}

TAMBLET_EXPORT void FPS_SetShow(std::int32_t show) {
  guardedExport([&] {
    if (CVelmEngine* core = engine().core()) core->fpsShow = boolArgument(show);
  });
}

TAMBLET_EXPORT std::int32_t FPS_GetShow() {
  return guardedExport<std::int32_t>(0, [] {
    CVelmEngine* core = engine().core();
    return core ? boolResult(core->fpsShow) : 0;
  });
}

// Pixels written in the last software pass, times 4 bytes, in KiB; 0 in any other view mode.
TAMBLET_EXPORT std::int32_t Debug_GetFillRate() {
  return guardedExport<std::int32_t>(0, [] {
    CVelmEngine* core = engine().core();
    if (!core || core->view.mode() != 0) return 0;
    const std::int64_t pixels = core->compositor.copyPixels() + core->compositor.blendPixels();
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(pixels * 4 / 1024, INT32_MIN, INT32_MAX));
  });
}

TAMBLET_EXPORT std::int32_t VIEW_SetMode(std::int32_t mode) {
  return guardedExport<std::int32_t>(0, [&] {
    CVelmEngine* core = engine().core();
    return core ? boolResult(core->view.setMode(mode)) : 0;
  });
}

TAMBLET_EXPORT std::int32_t VIEW_GetMode() {
  return guardedExport<std::int32_t>(0, [] {
    CVelmEngine* core = engine().core();
    return core ? core->view.mode() : 0;
  });
}

TAMBLET_EXPORT void VIEW_SetOffsetPos(std::int32_t x, std::int32_t y) {
  guardedExport([&] {
    if (CVelmEngine* core = engine().core()) core->sprites.viewOffsetX = x, core->sprites.viewOffsetY = y;
  });
}

TAMBLET_EXPORT std::int32_t KeepPreviousView_SetMode(std::int32_t keep) {
  return guardedExport<std::int32_t>(0, [&] {
    CVelmEngine* core = engine().core();
    if (!core) return 0;
    core->view.setKeepPreviousView(boolArgument(keep));
    return 1;
  });
}

TAMBLET_EXPORT std::int32_t KeepPreviousView_GetMode() {
  return guardedExport<std::int32_t>(0, [] {
    CVelmEngine* core = engine().core();
    return core ? boolResult(core->view.keepPreviousView()) : 0;
  });
}

TAMBLET_EXPORT void DX_SetUsePower2Texture(std::int32_t use) {
  guardedExport([&] {
    if (CVelmEngine* core = engine().core()) core->sprites.usePowerOfTwo = boolArgument(use);
  });
}

TAMBLET_EXPORT std::int32_t DX_GetUsePower2Texture() {
  return guardedExport<std::int32_t>(0, [] {
    CVelmEngine* core = engine().core();
    return core ? boolResult(core->sprites.usePowerOfTwo) : 0;
  });
}
