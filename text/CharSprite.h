// One character of script text shown as its own sprite: the character sprite keeps the text, its
// own text style and its placement, and makes or changes the underlying text sprite through the
// sprite layer's commands, allocating a sprite number of its own the first time it draws.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "text/CharSpriteCommands.h"
#include "text/TextStyle.h"

namespace tamblet {

// Everything a character sprite keeps apart from its lowest sprite number: what saved games
// store for it, and what loading gives back.
struct CharSpriteState {
  std::string text;  // the whole text last set; only its first character is shown
  TextStyle style;
  std::int32_t x = 0;
  std::int32_t y = 0;
  std::int32_t z = 0;
  std::int32_t alphaRate = 255;
  bool show = true;
  std::int32_t spriteNumber = -1;  // the bound sprite, -1 for none
};

class CharSprite {
 public:
  static constexpr std::int32_t kLowestSpriteNumber = 2000;

  CharSprite() = default;
  // A character sprite as it was saved. Its sprite number is taken as it stands; no sprite is made.
  explicit CharSprite(CharSpriteState state) : state_(std::move(state)) {}

  // Shows the first character of `text` in `style`. Nothing happens when both equal what is
  // stored; otherwise the sprite is (re)drawn, the current text style is left set to `style`,
  // and the stored placement is applied to the sprite.
  void setChar(CharSpriteCommands& commands, std::string_view text, const TextStyle& style);

  // Placement: a value equal to the stored one changes nothing; a new one is stored and, when a
  // sprite is bound, forwarded to it.
  void setPos(CharSpriteCommands& commands, std::int32_t x, std::int32_t y);
  void setZ(CharSpriteCommands& commands, std::int32_t z);
  void setAlphaRate(CharSpriteCommands& commands, std::int32_t rate);
  void setShow(CharSpriteCommands& commands, bool show);

  // Deletes the bound sprite and returns text, style and placement to their initial values.
  void reset(CharSpriteCommands& commands);

  // Draws the character anew under a fresh sprite number with the same text, style and placement.
  // The sprite bound before is forgotten, not deleted: after a load it belongs to another session.
  void rebuild(CharSpriteCommands& commands);

  const CharSpriteState& state() const { return state_; }

  // The character a text shows: empty for an empty text; two bytes when the text has at least
  // two and its first byte is 0x81-0x9F or 0xE0-0xFF; otherwise the first byte.
  static std::string_view shownCharacter(std::string_view text);

 private:
  std::int32_t lowestSpriteNumber_ = kLowestSpriteNumber;
  CharSpriteState state_;
};

}  // namespace tamblet
