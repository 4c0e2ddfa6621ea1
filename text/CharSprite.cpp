#include "text/CharSprite.h"

#include <utility>

namespace tamblet {
namespace {

bool isLeadByte(unsigned char byte) { return (byte >= 0x81 && byte <= 0x9F) || byte >= 0xE0; }

// The style as the current text style receives it: both colours opaque.
TextStyle opaque(TextStyle style) {
  style.color.a = 255;
  style.edgeColor.a = 255;
  return style;
}

}  // namespace

void CharSprite::setChar(CharSpriteCommands& commands, std::string_view text, const TextStyle& style) {
  if (text == state_.text && sameValues(style, state_.style)) return;

  if (state_.spriteNumber == -1) state_.spriteNumber = commands.unusedSpriteNumber(lowestSpriteNumber_);
  commands.setTextStyle(opaque(style));
  commands.setTextSprite(state_.spriteNumber, shownCharacter(text));

  const std::int32_t sprite = state_.spriteNumber;
  commands.setPos(sprite, state_.x, state_.y);
  commands.setZ(sprite, state_.z);
  commands.setBlendRate(sprite, state_.alphaRate);
  commands.setShow(sprite, state_.show);

  state_.text.assign(text);
  state_.style = style;
}

void CharSprite::setPos(CharSpriteCommands& commands, std::int32_t x, std::int32_t y) {
  if (x == state_.x && y == state_.y) return;
  state_.x = x;
  state_.y = y;
  if (state_.spriteNumber != -1) commands.setPos(state_.spriteNumber, x, y);
}

void CharSprite::setZ(CharSpriteCommands& commands, std::int32_t z) {
  if (z == state_.z) return;
  state_.z = z;
  if (state_.spriteNumber != -1) commands.setZ(state_.spriteNumber, z);
}

void CharSprite::setAlphaRate(CharSpriteCommands& commands, std::int32_t rate) {
  if (rate == state_.alphaRate) return;
  state_.alphaRate = rate;
  if (state_.spriteNumber != -1) commands.setBlendRate(state_.spriteNumber, rate);
}

void CharSprite::setShow(CharSpriteCommands& commands, bool show) {
  if (show == state_.show) return;
  state_.show = show;
  if (state_.spriteNumber != -1) commands.setShow(state_.spriteNumber, show);
}

void CharSprite::reset(CharSpriteCommands& commands) {
  if (state_.spriteNumber != -1) commands.deleteSprite(state_.spriteNumber);
  state_ = CharSpriteState{};
}

void CharSprite::rebuild(CharSpriteCommands& commands) {
  CharSpriteState kept = std::exchange(state_, CharSpriteState{});
  setChar(commands, kept.text, kept.style);
  setPos(commands, kept.x, kept.y);
  setZ(commands, kept.z);
  setAlphaRate(commands, kept.alphaRate);
  setShow(commands, kept.show);
}

std::string_view CharSprite::shownCharacter(std::string_view text) {
  if (text.empty()) return {};
  const bool twoBytes = text.size() >= 2 && isLeadByte(static_cast<unsigned char>(text.front()));
  return text.substr(0, twoBytes ? 2 : 1);
}

}  // namespace tamblet
