#include "image/CompressionBinding.h"

#include "host/Modules.h"
#include "platform/Modules.h"

namespace tamblet {

bool obtainCompression(Ref<ICompression>& holder) {
  holder.reset();  // the earlier interface goes back before the module is asked again
  void* symbol = platform::findModuleSymbol(kModuleCompression, kCreateInterfaceSymbol);
  if (!symbol) return false;
  auto createInterface = reinterpret_cast<CreateInterfaceFunction>(symbol);
  holder = Ref<ICompression>::adopt(static_cast<ICompression*>(createInterface(&kIID_ICompression)));
  return static_cast<bool>(holder);
}

}  // namespace tamblet
