// Setting an environment variable of the running process, which libraries it loads read with
// getenv (the engine reads its start-up switches that way): setenv on Linux, _putenv_s on Windows.
#pragma once

namespace tamblet::tools {

// Sets `name` to `value`, replacing any earlier value; false when the system refuses.
bool setEnvironment(const char* name, const char* value);

}  // namespace tamblet::tools
