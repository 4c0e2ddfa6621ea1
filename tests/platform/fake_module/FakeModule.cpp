// A stand-in for a host module: its soname is "FakeModule.dll" and it exports the usual entry point,
// which hands back its argument so a test can tell the call arrived.
extern "C" __attribute__((visibility("default"))) void* CreateInterface(const void* id) {
  return const_cast<void*>(id);
}
