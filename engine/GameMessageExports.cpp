// The script VM's game messages: their number and each one's text. Before Init, or without the
// VM's game-message service, they answer 0 or leave the output as it was.
#include <cstdint>

#include "engine/BoundService.h"
#include "engine/CVELM.h"
#include "engine/Exports.h"

using namespace tamblet;

namespace {

CVELM& engine() { return CVELM::instance(); }

}  // namespace

TAMBLET_EXPORT std::int32_t GAME_MSG_GetNumof() {
  return guardedExport<std::int32_t>(0, [&] {
    IVMGameMsg* messages = boundService(engine().binding.gameMessages);
    return messages ? messages->GetCount() : 0;
  });
}

TAMBLET_EXPORT void GAME_MSG_Get(std::int32_t index, IString* out) {
  guardedExport([&] {
    IVMGameMsg* messages = boundService(engine().binding.gameMessages);
    if (!messages || !out) return;
    if (const char* text = messages->GetMessage(index)) out->SetText(text);
  });
}
