#include "engine/CVELM.h"

#include "compose/CAddInvalidateRect.h"
#include "engine/CErrorMessage.h"
#include "engine/CGetSurface.h"
#include "platform/Messages.h"
#include "report/TextFormatter.h"

#include <cstdarg>
#include <new>
#include <string>

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
  shutDown_ = true;
  referenceCount = 0;
  return 0;
}

void CVELM::restoreLoadState() {
  teardown();
  this->~CVELM();
  new (this) CVELM();
}

bool CVELM::startEngineCore(const CVelmEngine::StartUpServices& services) {
  engineCore.reset(new (std::nothrow) CVelmEngine());
  return engineCore && engineCore->startUp(services);
}

void CVELM::reportFormatted(const char* format, ...) const {
  char text[report::kReportBufferSize];
  va_list values;
  va_start(values, format);
  report::formatTextV(text, sizeof text, format, values);
  va_end(values);
  if (errorReporter) {
    errorReporter->Open("%s", text);
  } else {
    platform::debugOutput(text);
  }
}

void CVELM::reportLiteral(const char* text) const {
  if (errorReporter) {
    errorReporter->reportLiteral(text);
  } else {
    platform::debugOutput((std::string(text ? text : "") + "\n").c_str());
  }
}

void CVELM::teardown() {
  initialised_ = false;
  // Reset state is forgotten, not released; the key state is released.
  resetState = nullptr;
  keyState.reset();
  drawPluginManager.reset();
  if (dirtyRectangleSink) {
    dirtyRectangleSink->Release();
    dirtyRectangleSink = nullptr;
  }
  if (surfaceLookup) {
    surfaceLookup->forgetCore();  // the host may still hold it; it must not reach the core
    surfaceLookup->Release();
    surfaceLookup = nullptr;
  }
  engineCore.reset();
  imageEncoder.reset();
  imageDecoder.reset();
  archiveManager.reset();
  rasterOperations.reset();
  surfaceFactory.reset();
  // The CG archive file came with a reference of its own from the archive manager.
  cgArchiveFile.reset();
  if (errorReporter) {
    errorReporter->Release();
    errorReporter = nullptr;
  }
  videoMemory.reset();
  mainSurface = nullptr;
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
  gameName.clear();
  baseName.clear();
  pathPrefix.clear();
}

}  // namespace tamblet
