// Declarations of the library's exported C calls, grouped by family. The definitions check
// their arguments and forward to the engine object; engine/exports.map lists the same names.
#pragma once

#include <cstdint>

#include "engine/ExportSupport.h"
#include "host/EngineObjects.h"
#include "host/VM.h"

// ---- Engine ----
TAMBLET_EXPORT tamblet::IInterface* GetInterface(const tamblet::InterfaceId* id);
TAMBLET_EXPORT void Error(tamblet::IString* text);
TAMBLET_EXPORT std::int32_t GetScreenWidth();
TAMBLET_EXPORT std::int32_t GetScreenHeight();
