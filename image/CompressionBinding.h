// Binding to the host's decompression module: asks the already loaded compression module for
// its ICompression interface. The holder (the font library) keeps the one reference obtained.
#pragma once

#include "host/Memory.h"
#include "host/Ref.h"

namespace tamblet {

// Releases whatever `holder` held, then stores the module's interface (or null) in it.
// True when an interface was obtained; a missing module or export leaves the holder empty.
bool obtainCompression(Ref<ICompression>& holder);

}  // namespace tamblet
