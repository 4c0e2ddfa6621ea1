#include "engine/CVELM.h"

#include "engine/CErrorMessage.h"

#include <new>

namespace tamblet {

// The instance lives in static storage and is never destroyed: at unload the host's objects it
// may still point to can be gone already, so nothing may be released then.
CVELM& CVELM::instance() {
  alignas(CVELM) static unsigned char storage[sizeof(CVELM)];
  static CVELM* const engineObject = new (storage) CVELM();
  return *engineObject;
}

std::int32_t CVELM::AddRef() { return ++referenceCount; }

std::int32_t CVELM::Release() {
  if (--referenceCount > 0) return referenceCount;
  teardown();
  return 0;
}

void CVELM::teardown() {
  initialised_ = false;
  // Reset state is forgotten, not released; the key state is released.
  resetState = nullptr;
  keyState.reset();
  drawPluginManager.reset();
  imageEncoder.reset();
  imageDecoder.reset();
  cgArchiveFile.reset();
  archiveManager.reset();
  rasterOperations.reset();
  surfaceFactory.reset();
  mainSurface = nullptr;
  if (errorReporter) {
    errorReporter->Release();
    errorReporter = nullptr;
  }
  videoMemory.reset();
  hostKernel = nullptr;
  inputDevice = nullptr;
  timer = nullptr;
  windowMessages = nullptr;
  drawPluginDrawer = nullptr;
  drawPluginUpdater = nullptr;
  mouseWheel = nullptr;
  messageBox = nullptr;
  shutdown = nullptr;
  vm = nullptr;
  vmDebugger = nullptr;
  vmNameTable = nullptr;
  vmCallStack = nullptr;
  gameMessages = nullptr;
}

}  // namespace tamblet
