#include "engine/ExportCharSpriteCommands.h"

#include <string>

#include "engine/CStringWrapper.h"
#include "engine/Exports.h"

namespace tamblet {

std::int32_t ExportCharSpriteCommands::unusedSpriteNumber(std::int32_t lowest) { return SP_GetUnuseNum(lowest); }

bool ExportCharSpriteCommands::setTextSprite(std::int32_t sprite, std::string_view text) {
  CStringWrapper argument(std::string(text).c_str());
  return SP_SetTextSprite(sprite, &argument) != 0;
}

void ExportCharSpriteCommands::setPos(std::int32_t sprite, std::int32_t x, std::int32_t y) { SP_SetPos(sprite, x, y); }

void ExportCharSpriteCommands::setZ(std::int32_t sprite, std::int32_t z) { SP_SetZ(sprite, z); }

void ExportCharSpriteCommands::setBlendRate(std::int32_t sprite, std::int32_t rate) { SP_SetBlendRate(sprite, rate); }

void ExportCharSpriteCommands::setShow(std::int32_t sprite, bool show) { SP_SetShow(sprite, show ? 1 : 0); }

void ExportCharSpriteCommands::deleteSprite(std::int32_t sprite) { SP_Delete(sprite); }

}  // namespace tamblet
