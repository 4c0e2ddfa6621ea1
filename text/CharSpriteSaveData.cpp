#include "text/CharSpriteSaveData.h"

#include <array>
#include <cstring>
#include <limits>

namespace tamblet {
namespace {

constexpr std::array<std::int32_t, 5> kTag{67, 83, 77, 0, 0};
constexpr std::int32_t kRecordFieldsAfterText = 18;

void appendColor(std::vector<std::int32_t>& values, const TextColor& color) {
  values.insert(values.end(), {color.r, color.g, color.b, color.a});
}

std::uint8_t lowByte(std::int32_t value) { return static_cast<std::uint8_t>(value & 0xFF); }

TextColor colorFrom(const std::int32_t* values) {
  return {lowByte(values[0]), lowByte(values[1]), lowByte(values[2]), lowByte(values[3])};
}

}  // namespace

std::vector<std::int32_t> charSpriteSaveHeader(std::int32_t slotCount) {
  std::vector<std::int32_t> values(kTag.begin(), kTag.end());
  values.push_back(slotCount);
  return values;
}

void appendCharSpriteRecord(std::vector<std::int32_t>& values, const CharSpriteState& state) {
  for (const char byte : state.text) {
    if (byte == 0) break;  // a zero would end the text early on loading
    values.push_back(static_cast<signed char>(byte));
  }
  values.push_back(0);
  const TextStyle& style = state.style;
  values.insert(values.end(), {style.type, style.size});
  appendColor(values, style.color);
  values.push_back(static_cast<std::int32_t>(floatBits(style.boldWeight)));
  values.push_back(static_cast<std::int32_t>(floatBits(style.edgeWeight)));
  appendColor(values, style.edgeColor);
  values.insert(values.end(), {state.x, state.y, state.z, state.alphaRate, state.show ? 1 : 0, state.spriteNumber});
}

bool writeIntArray(IVMArray* array, const std::vector<std::int32_t>& values) {
  if (!array || values.size() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) return false;
  const auto count = static_cast<std::int32_t>(values.size());
  if (!array->Resize(&count, 1)) return false;
  for (std::int32_t i = 0; i < count; ++i) {
    if (!array->SetElement(i, &values[static_cast<std::size_t>(i)])) return false;
  }
  return true;
}

bool isIntList(IVMArray& array) { return array.GetDimensionCount() == 1 && array.GetElementType() == kVMTypeInt; }

std::optional<CharSpriteSaveReader> CharSpriteSaveReader::open(IVMArray* array) {
  if (!array || !isIntList(*array)) return std::nullopt;
  const std::int32_t count = array->GetElementCount();
  if (count <= 0) return std::nullopt;
  for (std::int32_t i = 0; i < count; ++i) {
    if (!array->GetElementAddress(i)) return std::nullopt;
  }
  CharSpriteSaveReader reader(*array, count);
  if (count < static_cast<std::int32_t>(kTag.size()) + 1) return std::nullopt;
  for (const std::int32_t expected : kTag) {
    std::int32_t value = 0;
    if (!reader.read(value) || value != expected) return std::nullopt;
  }
  if (!reader.read(reader.slotCount_) || reader.slotCount_ < 0) return std::nullopt;
  return reader;
}

CharSpriteSaveReader::Slot CharSpriteSaveReader::next(CharSpriteState& state) {
  std::int32_t marker = 0;
  if (!read(marker)) return Slot::kTruncated;
  if (marker == 0) return Slot::kEmpty;

  state = CharSpriteState{};
  bool textEnded = false;  // a zero low byte ends the text; its remaining values are skipped
  for (std::int32_t value = 0;;) {
    if (!read(value)) return Slot::kTruncated;
    if (value == 0) break;
    const auto byte = static_cast<char>(lowByte(value));
    textEnded = textEnded || byte == 0;
    if (!textEnded && state.text.size() < kMaxLoadedTextBytes) state.text.push_back(byte);
  }

  std::array<std::int32_t, kRecordFieldsAfterText> field{};
  for (std::int32_t& value : field) {
    if (!read(value)) return Slot::kTruncated;
  }
  TextStyle& style = state.style;
  style.type = field[0];
  style.size = field[1];
  style.color = colorFrom(&field[2]);
  style.boldWeight = floatFromBits(static_cast<std::uint32_t>(field[6]));
  style.edgeWeight = floatFromBits(static_cast<std::uint32_t>(field[7]));
  style.edgeColor = colorFrom(&field[8]);
  state.x = field[12];
  state.y = field[13];
  state.z = field[14];
  state.alphaRate = field[15];
  state.show = field[16] != 0;
  state.spriteNumber = field[17];
  return Slot::kCharSprite;
}

bool CharSpriteSaveReader::read(std::int32_t& value) {
  if (position_ >= count_) return false;
  const void* address = array_->GetElementAddress(position_);
  if (!address) return false;
  ++position_;
  std::memcpy(&value, address, sizeof value);
  return true;
}

}  // namespace tamblet
