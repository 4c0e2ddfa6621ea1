// One host module as a shared object of its own, named after the module's file, so the library
// finds it among the loaded objects by that name. Its one export forwards to the current host.
// Built once per module with REFHOST_MODULE_NAME (the file name) and REFHOST_MODULE_SYMBOL
// (CreateInterface, or GetInterface for HostKernel).
#include "host/InterfaceId.h"
#include "refhost/Host.h"

extern "C" __attribute__((visibility("default"))) void* REFHOST_MODULE_SYMBOL(const tamblet::InterfaceId* id) {
  return refhost::Host::moduleInterface(REFHOST_MODULE_NAME, id);
}
