#include "text/CharSpriteManager.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "text/CharSpriteSaveData.h"

namespace tamblet {
namespace {

constexpr std::int32_t kMaxHandles = std::numeric_limits<std::int32_t>::max();

// Members of the style structure, by index.
enum StyleMember : std::int32_t { kType, kSize, kColor, kBoldWeight, kEdgeWeight, kEdgeColor, kStyleMembers };

template <class T>
T readMember(const void* address) {
  T value;
  std::memcpy(&value, address, sizeof value);
  return value;
}

std::uint8_t lowByte(std::int32_t value) { return static_cast<std::uint8_t>(value & 0xFF); }

// A colour member: four ints r, g, b, a laid out inline.
TextColor colorMember(const void* address) {
  std::int32_t rgba[4];
  std::memcpy(rgba, address, sizeof rgba);
  return {lowByte(rgba[0]), lowByte(rgba[1]), lowByte(rgba[2]), lowByte(rgba[3])};
}

}  // namespace

std::int32_t CharSpriteManager::createHandle() {
  const auto empty = std::find(slots_.begin(), slots_.end(), nullptr);
  if (empty == slots_.end() && slots_.size() >= static_cast<std::size_t>(kMaxHandles)) return -1;
  auto sprite = std::make_unique<CharSprite>();
  if (empty != slots_.end()) {
    *empty = std::move(sprite);
    return static_cast<std::int32_t>(empty - slots_.begin());
  }
  slots_.push_back(std::move(sprite));
  return static_cast<std::int32_t>(slots_.size() - 1);
}

bool CharSpriteManager::releaseHandle(std::int32_t handle) {
  CharSprite* sprite = lookUp(handle);
  if (!sprite) return false;
  sprite->reset(*commands_);
  slots_[static_cast<std::size_t>(handle)].reset();
  return true;
}

void CharSpriteManager::clear() {
  for (const auto& sprite : slots_) {
    if (sprite) sprite->reset(*commands_);
  }
  slots_.clear();
}

void CharSpriteManager::rebuild() {
  for (const auto& sprite : slots_) {
    if (sprite) sprite->rebuild(*commands_);
  }
}

bool CharSpriteManager::save(IVMArray* out) const {
  if (!out) return false;
  std::vector<std::int32_t> values = charSpriteSaveHeader(static_cast<std::int32_t>(slots_.size()));
  for (const auto& sprite : slots_) {
    values.push_back(sprite ? 1 : 0);
    if (sprite) appendCharSpriteRecord(values, sprite->state());
  }
  return writeIntArray(out, values);
}

bool CharSpriteManager::load(IVMArray* in) {
  std::optional<CharSpriteSaveReader> reader = CharSpriteSaveReader::open(in);
  if (!reader) return false;
  clear();
  for (std::int32_t slot = 0; slot < reader->slotCount(); ++slot) {
    CharSpriteState state;
    switch (reader->next(state)) {
      case CharSpriteSaveReader::Slot::kEmpty:
        slots_.emplace_back();
        break;
      case CharSpriteSaveReader::Slot::kCharSprite:
        slots_.push_back(std::make_unique<CharSprite>(std::move(state)));
        break;
      case CharSpriteSaveReader::Slot::kTruncated:
        return false;
    }
  }
  return true;
}

void CharSpriteManager::release(std::int32_t handle) {
  if (CharSprite* sprite = lookUp(handle)) sprite->reset(*commands_);
}

void CharSpriteManager::setChar(std::int32_t handle, std::string_view text, IVMStruct* style) {
  CharSprite* sprite = lookUp(handle);
  if (!sprite || !style) return;
  const void* member[kStyleMembers];
  for (std::int32_t i = 0; i < kStyleMembers; ++i) {
    member[i] = style->GetMemberAddress(i);
    if (!member[i]) return;
  }
  // A colour is a structure of four ints: an int member in its place holds one value only, and
  // reading four would run past it.
  if (style->GetMemberType(kColor) == kVMTypeInt || style->GetMemberType(kEdgeColor) == kVMTypeInt) return;
  TextStyle read;
  read.type = readMember<std::int32_t>(member[kType]);
  read.size = readMember<std::int32_t>(member[kSize]);
  read.color = colorMember(member[kColor]);
  read.boldWeight = readMember<float>(member[kBoldWeight]);
  read.edgeWeight = readMember<float>(member[kEdgeWeight]);
  read.edgeColor = colorMember(member[kEdgeColor]);
  sprite->setChar(*commands_, text, read);
}

void CharSpriteManager::setCharDirect(std::int32_t handle, const char* text, std::int32_t type, std::int32_t size,
                                      std::int32_t r, std::int32_t g, std::int32_t b, float boldWeight,
                                      float edgeWeight, std::int32_t edgeR, std::int32_t edgeG, std::int32_t edgeB) {
  CharSprite* sprite = lookUp(handle);
  if (!sprite || !text) return;
  const TextStyle style{type,       size,       {lowByte(r), lowByte(g), lowByte(b), 255},
                        boldWeight, edgeWeight, {lowByte(edgeR), lowByte(edgeG), lowByte(edgeB), 255}};
  sprite->setChar(*commands_, text, style);
}

void CharSpriteManager::setPos(std::int32_t handle, std::int32_t x, std::int32_t y) {
  if (CharSprite* sprite = lookUp(handle)) sprite->setPos(*commands_, x, y);
}

void CharSpriteManager::setZ(std::int32_t handle, std::int32_t z) {
  if (CharSprite* sprite = lookUp(handle)) sprite->setZ(*commands_, z);
}

void CharSpriteManager::setAlphaRate(std::int32_t handle, std::int32_t rate) {
  if (CharSprite* sprite = lookUp(handle)) sprite->setAlphaRate(*commands_, rate);
}

void CharSpriteManager::setShow(std::int32_t handle, bool show) {
  if (CharSprite* sprite = lookUp(handle)) sprite->setShow(*commands_, show);
}

void CharSpriteManager::getChar(std::int32_t handle, IString* out) const {
  const CharSprite* sprite = lookUp(handle);
  if (sprite && out) out->SetText(sprite->state().text.c_str());
}

std::int32_t CharSpriteManager::getAlphaRate(std::int32_t handle) const {
  const CharSprite* sprite = lookUp(handle);
  return sprite ? sprite->state().alphaRate : 0;
}

const CharSprite* CharSpriteManager::find(std::int32_t handle) const { return lookUp(handle); }

CharSprite* CharSpriteManager::lookUp(std::int32_t handle) const {
  if (handle < 0 || static_cast<std::size_t>(handle) >= slots_.size()) return nullptr;
  return slots_[static_cast<std::size_t>(handle)].get();
}

}  // namespace tamblet
