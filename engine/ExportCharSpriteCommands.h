// The sprite layer of the character sprites: every change goes through the public sprite
// exports, so their checks and error reports apply as if the script had made the call.
#pragma once

#include "text/CharSpriteCommands.h"
#include "text/TextStyle.h"

namespace tamblet {

class ExportCharSpriteCommands final : public CharSpriteCommands {
 public:
  // `currentStyle` is the engine core's text style, which a character sprite replaces.
  explicit ExportCharSpriteCommands(TextStyle& currentStyle) : currentStyle_(currentStyle) {}

  std::int32_t unusedSpriteNumber(std::int32_t lowest) override;
  void setTextStyle(const TextStyle& style) override { currentStyle_ = style; }
  bool setTextSprite(std::int32_t sprite, std::string_view text) override;
  void setPos(std::int32_t sprite, std::int32_t x, std::int32_t y) override;
  void setZ(std::int32_t sprite, std::int32_t z) override;
  void setBlendRate(std::int32_t sprite, std::int32_t rate) override;
  void setShow(std::int32_t sprite, bool show) override;
  void deleteSprite(std::int32_t sprite) override;

 private:
  TextStyle& currentStyle_;
};

}  // namespace tamblet
