#include "tools/common/Environment.h"

#include <stdlib.h>

namespace tamblet::tools {

// The C runtime's copy is what getenv reads, in this program and in every DLL sharing the system's
// C runtime with it (the engine DLL does); _putenv_s also updates the process environment block.
bool setEnvironment(const char* name, const char* value) { return _putenv_s(name, value) == 0; }

}  // namespace tamblet::tools
