// The operating system's own module lookup, behind findModuleSymbol() when no resolver is
// installed. Each platform folder defines it; the dispatch and the in-process resolver are shared.
#pragma once

#include "platform/Modules.h"

namespace tamblet::platform {

ModuleResolver& systemModuleResolver();

}  // namespace tamblet::platform
