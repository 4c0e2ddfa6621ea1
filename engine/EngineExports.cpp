// Exports of the engine family that need no frame machinery: GetInterface, Error and the
// screen size. Each answers its failure value until Init has succeeded.
#include <cstdint>
#include <string>

#include "engine/CErrorMessage.h"
#include "engine/CVELM.h"
#include "engine/ExportSupport.h"
#include "engine/Exports.h"
#include "host/EngineObjects.h"
#include "platform/Messages.h"

using namespace tamblet;

// The error reporter or the Direct3D plug-in manager (one reference added for the caller) for
// their ids; null for any other id. The manager lives in the engine core and is answered once that
// core exists.
TAMBLET_EXPORT IInterface* GetInterface(const InterfaceId* id) {
  return guardedExport<IInterface*>(nullptr, [&]() -> IInterface* {
    if (!id) return nullptr;
    CVELM& engine = CVELM::instance();
    if (*id == kIID_IVelmErrorMessage && engine.objects.errorReporter) {
      return Ref<CErrorMessage>(engine.objects.errorReporter).detach();
    }
    if (*id == kIID_IDrawD3DPluginManager && engine.core()) {
      IDrawD3DPluginManager* manager = &engine.core()->d3dPluginManager;
      manager->AddRef();
      return manager;
    }
    return nullptr;
  });
}

// Raises the script's own text as an error, shown literally (a percent sign is not a conversion).
TAMBLET_EXPORT void Error(IString* text) {
  guardedExport([&] {
    const std::string message = stringArgument(text);
    CVELM& engine = CVELM::instance();
    if (engine.isInitialised() && engine.objects.errorReporter) {
      engine.objects.errorReporter->reportLiteral(message.c_str());
    } else {
      platform::debugOutput((message + "\n").c_str());
    }
  });
}

TAMBLET_EXPORT std::int32_t GetScreenWidth() {
  return guardedExport<std::int32_t>(0, [] {
    CVELM& engine = CVELM::instance();
    return engine.isInitialised() && engine.binding.mainSurface ? engine.binding.mainSurface->GetWidth() : 0;
  });
}

TAMBLET_EXPORT std::int32_t GetScreenHeight() {
  return guardedExport<std::int32_t>(0, [] {
    CVELM& engine = CVELM::instance();
    return engine.isInitialised() && engine.binding.mainSurface ? engine.binding.mainSurface->GetHeight() : 0;
  });
}
