// The operating system's own services, used when no test or host has installed a replacement.
// Each platform folder (linux/, win32/) defines them; the dispatch and the set*() hooks beside the
// headers are shared, so replacing a service works the same everywhere.
#pragma once

#include "platform/Clock.h"
#include "platform/Messages.h"
#include "platform/Modules.h"
#include "platform/Window.h"

namespace tamblet::platform {

ModuleResolver& systemModuleResolver();
Clock& systemClock();
MessageSink& systemMessageSink();
WindowSystem& systemWindowSystem();

}  // namespace tamblet::platform
