// One host module as a shared library of its own, named after the module's file, so the library
// finds it among the loaded objects by that name. Its one export forwards to the current host.
// Built once per module with REFHOST_MODULE_NAME (the file name) and REFHOST_MODULE_SYMBOL
// (CreateInterface, or GetInterface for HostKernel).
#include "host/InterfaceId.h"
#include "refhost/Host.h"

// The one symbol the module exports, under its plain C name.
#if defined(_WIN32)
#define REFHOST_MODULE_EXPORT __declspec(dllexport)
#else
#define REFHOST_MODULE_EXPORT __attribute__((visibility("default")))
#endif

extern "C" REFHOST_MODULE_EXPORT void* REFHOST_MODULE_SYMBOL(const tamblet::InterfaceId* id) {
  return refhost::Host::moduleInterface(REFHOST_MODULE_NAME, id);
}
