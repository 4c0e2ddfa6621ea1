#include "tools/common/Environment.h"

#include <cstdlib>

namespace tamblet::tools {

bool setEnvironment(const char* name, const char* value) { return setenv(name, value, 1) == 0; }

}  // namespace tamblet::tools
