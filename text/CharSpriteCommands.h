// What a character sprite asks of the sprite layer. The engine implements it with its public
// sprite exports, so their argument checks and error reports apply to every forwarded change;
// the character sprites themselves never touch the sprite table.
#pragma once

#include <cstdint>
#include <string_view>

#include "text/TextStyle.h"

namespace tamblet {

struct CharSpriteCommands {
  // The first sprite number not in use that is not below `lowest` (SP_GetUnuseNum).
  virtual std::int32_t unusedSpriteNumber(std::int32_t lowest) = 0;
  // Makes `style` the current text style for every text sprite drawn from now on; both colour
  // alphas arrive already set to 255.
  virtual void setTextStyle(const TextStyle& style) = 0;
  // Draws `text` in the current style and gives it to the sprite (SP_SetTextSprite). The view
  // is not NUL-terminated; it holds one character or is empty.
  virtual bool setTextSprite(std::int32_t sprite, std::string_view text) = 0;
  virtual void setPos(std::int32_t sprite, std::int32_t x, std::int32_t y) = 0;  // SP_SetPos
  virtual void setZ(std::int32_t sprite, std::int32_t z) = 0;                    // SP_SetZ
  virtual void setBlendRate(std::int32_t sprite, std::int32_t rate) = 0;         // SP_SetBlendRate
  virtual void setShow(std::int32_t sprite, bool show) = 0;                      // SP_SetShow
  virtual void deleteSprite(std::int32_t sprite) = 0;                            // SP_Delete

 protected:
  ~CharSpriteCommands() = default;
};

}  // namespace tamblet
