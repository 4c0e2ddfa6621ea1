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
  objects.engineCore.reset(new (std::nothrow) CVelmEngine());
  return objects.engineCore && objects.engineCore->startUp(services);
}

void CVELM::reportFormatted(const char* format, ...) const {
  char text[report::kReportBufferSize];
  va_list values;
  va_start(values, format);
  report::formatTextV(text, sizeof text, format, values);
  va_end(values);
  if (objects.errorReporter) {
    objects.errorReporter->Open("%s", text);
  } else {
    platform::debugOutput(text);
  }
}

void CVELM::reportLiteral(const char* text) const {
  if (objects.errorReporter) {
    objects.errorReporter->reportLiteral(text);
  } else {
    platform::debugOutput((std::string(text ? text : "") + "\n").c_str());
  }
}

void CVELM::teardown() {
  initialised_ = false;
  // Reset state is forgotten, not released; the key state is released.
  binding.resetState = nullptr;
  binding.keyState.reset();
  binding.drawPluginManager.reset();
  // The host may still hold the dirty-rectangle sink; its reports must not reach the core from now on.
  if (objects.dirtyRectangleSink) objects.dirtyRectangleSink->setReceiver(nullptr);
  objects.dirtyRectangleSink.reset();
  // The host may still hold the surface lookup; it must not reach the core from now on.
  if (objects.surfaceLookup) objects.surfaceLookup->forgetCore();
  objects.surfaceLookup.reset();
  objects.engineCore.reset();
  binding.imageEncoder.reset();
  binding.imageDecoder.reset();
  binding.archiveManager.reset();
  binding.rasterOperations.reset();
  binding.surfaceFactory.reset();
  // The CG archive file came with a reference of its own from the archive manager.
  binding.cgArchiveFile.reset();
  objects.errorReporter.reset();
  binding.videoMemory.reset();
  binding.mainSurface = nullptr;
  binding.hostKernel = nullptr;
  binding.inputDevice = nullptr;
  binding.timer = nullptr;
  binding.windowMessages = nullptr;
  binding.drawPluginDrawer = nullptr;
  binding.drawPluginUpdater = nullptr;
  binding.mouseWheel = nullptr;
  binding.messageBox = nullptr;
  binding.shutdown = nullptr;
  binding.vm = nullptr;
  binding.vmDebugger = nullptr;
  binding.vmNameTable = nullptr;
  binding.vmCallStack = nullptr;
  binding.gameMessages = nullptr;
  binding.gameName.clear();
  binding.baseName.clear();
  binding.pathPrefix.clear();
}

}  // namespace tamblet
