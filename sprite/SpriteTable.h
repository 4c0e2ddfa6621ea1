// The sprites of one scene, found by sprite number and walked in ascending number. Each entry
// owns its record, so record pointers stay valid until the entry is removed. The table decides
// nothing about which numbers are acceptable: callers check and choose find or find-or-create.
// Failures (memory) are results: no operation throws.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "sprite/SpriteRecord.h"

namespace tamblet {

class SpriteTable {
 public:
  SpriteTable() = default;
  SpriteTable(const SpriteTable&) = delete;
  SpriteTable& operator=(const SpriteTable&) = delete;

  // The host services every record made from now on is given (not owned).
  void setServices(ISurfaceFactory* factory, IGraph3* raster);
  ISurfaceFactory* surfaceFactory() const { return surfaceFactory_; }
  IGraph3* rasterOperations() const { return rasterOperations_; }

  // The record under `number`, or null.
  SpriteRecord* find(std::int32_t number) const;
  // The record under `number`, made with the start values when absent; null only when memory runs out.
  SpriteRecord* findOrCreate(std::int32_t number);

  // Destroys the record under `number` (nothing when absent) / every record.
  void remove(std::int32_t number);
  void removeAll();

  std::size_t size() const { return numbers_.size(); }
  bool empty() const { return numbers_.empty(); }
  // Every sprite number, ascending, and every record in the same order.
  std::span<const std::int32_t> numbers() const { return numbers_; }
  std::span<const std::unique_ptr<SpriteRecord>> records() const { return records_; }

  // Sprite numbers in ascending order, all of them / those whose record is not suspended.
  // `out` is replaced; false (with `out` empty) when memory runs out.
  bool listNumbers(std::vector<std::int32_t>& out) const;
  bool listUnsuspendedNumbers(std::vector<std::int32_t>& out) const;

  // Makes `destination` an independent copy of `source` (the back scene): records with the
  // destination's services and every property, alpha clipper number included (it names a sprite
  // of the copy), the surfaces and draw plug-ins shared with a reference each. The destination's
  // records are reused, so copying a table no larger than the last one allocates nothing. False
  // when memory runs out; what was copied so far stays.
  static bool copy(SpriteTable& destination, const SpriteTable& source);

  // Finds or creates the sprite and gives it `surface` (null detaches); its other properties stay.
  // False only when memory runs out.
  bool setSurface(std::int32_t number, ISurface* surface);

  // The sprite's surface made safe to write (copy-on-write): the surface itself when the sprite is
  // its only holder, otherwise a private copy that replaces it on the sprite. Null when the sprite
  // is absent, has no surface or the copy cannot be made (the shared surface then stays). The
  // result is borrowed: the sprite keeps the reference.
  ISurface* writableSurface(std::int32_t number);

  // Tells the table that `surface`'s pixels may have been written by someone who got it without asking for a
  // writable one (a host drawing through the surface lookup): every sprite showing it gets a new surface stamp.
  void markSurfaceWritten(const ISurface* surface);

 private:
  // Index of the first number not below `number` (size() when there is none).
  std::size_t lowerBound(std::int32_t number) const;

  // A new surface stamp for `record` (see SpriteRecord::surfaceStamp).
  void stamp(SpriteRecord& record) { record.surfaceStamp = ++lastStamp_; }

  ISurfaceFactory* surfaceFactory_ = nullptr;
  IGraph3* rasterOperations_ = nullptr;
  // A sorted vector pair: numbers_[i] names records_[i]. The numbers sit apart from the records so
  // a lookup's binary search runs over one compact array.
  std::vector<std::int32_t> numbers_;
  std::vector<std::unique_ptr<SpriteRecord>> records_;
  std::uint64_t lastStamp_ = 0;  // 64 bits: never wraps
};

}  // namespace tamblet
