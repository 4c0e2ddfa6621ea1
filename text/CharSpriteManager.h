// The script's character sprites by handle. A handle is an index into a list that only grows:
// creating reuses the first empty slot, releasing empties one, clearing and loading replace the
// list. A handle that is out of range or empty makes every per-handle call do nothing. The whole
// set saves into a script int array and loads back (CharSpriteSaveData.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "host/VM.h"
#include "text/CharSprite.h"
#include "text/CharSpriteCommands.h"

namespace tamblet {

class CharSpriteManager {
 public:
  // The commands object outlives the manager. Destroying the manager frees its character sprites
  // without touching their sprites: whoever tears down calls clear() first while sprites still exist.
  explicit CharSpriteManager(CharSpriteCommands& commands) : commands_(&commands) {}

  // A new character sprite with initial values in the first empty slot, or appended; its handle.
  // -1 when there are as many handles as an int can name.
  std::int32_t createHandle();
  // Destroys the character sprite and its sprite and empties the slot; false for a bad handle.
  bool releaseHandle(std::int32_t handle);
  // Destroys every character sprite and its sprite and empties the list.
  void clear();
  // Draws every character sprite anew under fresh sprite numbers, in list order. The sprites they
  // had are not deleted (after a load they are not this session's).
  void rebuild();

  // Writes the saved form into `out`, sizing it to one dimension; false when the array is null or
  // refuses a size or value.
  bool save(IVMArray* out) const;
  // Replaces the character sprites by those saved in `in`. A damaged header leaves everything as
  // it was; once the header is good the current set is cleared, and values that end inside a slot
  // fail the load with the slots before it kept. Loaded sprites keep their saved sprite numbers
  // but are not drawn: rebuild() shows them.
  bool load(IVMArray* in);

  // Returns the character sprite to its initial values, deleting its sprite; the handle stays.
  void release(std::int32_t handle);
  // Sets the character with the style from a script structure: type, size, colour (four ints, low
  // bytes used), bold weight, edge weight, edge colour. A null structure or member does nothing.
  void setChar(std::int32_t handle, std::string_view text, IVMStruct* style);
  // Sets the character with the style from values (colours from the low bytes, alphas 255);
  // `text` is a NUL-terminated byte string, and a null one does nothing.
  void setCharDirect(std::int32_t handle, const char* text, std::int32_t type, std::int32_t size, std::int32_t r,
                     std::int32_t g, std::int32_t b, float boldWeight, float edgeWeight, std::int32_t edgeR,
                     std::int32_t edgeG, std::int32_t edgeB);
  void setPos(std::int32_t handle, std::int32_t x, std::int32_t y);
  void setZ(std::int32_t handle, std::int32_t z);
  void setAlphaRate(std::int32_t handle, std::int32_t rate);
  void setShow(std::int32_t handle, bool show);
  // Puts the stored text into `out`; a bad handle or a null string leaves it unchanged.
  void getChar(std::int32_t handle, IString* out) const;
  // The stored alpha rate; 0 for a bad handle.
  std::int32_t getAlphaRate(std::int32_t handle) const;

  // The character sprite a handle names, or null.
  const CharSprite* find(std::int32_t handle) const;
  std::size_t slotCount() const { return slots_.size(); }

 private:
  CharSprite* lookUp(std::int32_t handle) const;

  CharSpriteCommands* commands_;
  std::vector<std::unique_ptr<CharSprite>> slots_;  // null for an empty slot
};

}  // namespace tamblet
