#include "sprite/SpriteTable.h"

#include <algorithm>
#include <exception>

#include "sprite/MatchingSurface.h"

namespace tamblet {

namespace {

// Grows a vector's capacity geometrically so that one more element fits without allocating.
template <class T>
void reserveOneMore(std::vector<T>& vector) {
  if (vector.size() == vector.capacity()) vector.reserve(std::max<std::size_t>(16, vector.capacity() * 2));
}

}  // namespace

void SpriteTable::setServices(ISurfaceFactory* factory, IGraph3* raster) {
  surfaceFactory_ = factory;
  rasterOperations_ = raster;
}

SpriteRecord* SpriteTable::find(std::int32_t number) const {
  const std::size_t index = lowerBound(number);
  return index < numbers_.size() && numbers_[index] == number ? records_[index].get() : nullptr;
}

SpriteRecord* SpriteTable::findOrCreate(std::int32_t number) {
  const std::size_t index = lowerBound(number);
  if (index < numbers_.size() && numbers_[index] == number) return records_[index].get();
  try {
    // Every allocation happens before the first insertion, so a failure leaves the pair in step.
    reserveOneMore(numbers_);
    reserveOneMore(records_);
    auto record = std::make_unique<SpriteRecord>(number, surfaceFactory_, rasterOperations_);
    numbers_.insert(numbers_.begin() + static_cast<std::ptrdiff_t>(index), number);
    records_.insert(records_.begin() + static_cast<std::ptrdiff_t>(index), std::move(record));
    stamp(*records_[index]);
    return records_[index].get();
  } catch (const std::exception&) {
    return nullptr;
  }
}

void SpriteTable::remove(std::int32_t number) {
  const std::size_t index = lowerBound(number);
  if (index >= numbers_.size() || numbers_[index] != number) return;
  numbers_.erase(numbers_.begin() + static_cast<std::ptrdiff_t>(index));
  records_.erase(records_.begin() + static_cast<std::ptrdiff_t>(index));
}

void SpriteTable::removeAll() {
  numbers_.clear();
  records_.clear();  // keeps the capacity: the back scene is refilled frame after frame
}

bool SpriteTable::listNumbers(std::vector<std::int32_t>& out) const {
  try {
    out = numbers_;
    return true;
  } catch (const std::exception&) {
    out.clear();
    return false;
  }
}

bool SpriteTable::listUnsuspendedNumbers(std::vector<std::int32_t>& out) const {
  out.clear();
  try {
    for (const auto& record : records_) {
      if (!record->suspended) out.push_back(record->number);
    }
    return true;
  } catch (const std::exception&) {
    out.clear();
    return false;
  }
}

bool SpriteTable::copy(SpriteTable& destination, const SpriteTable& source) {
  if (&destination == &source) return true;
  const std::size_t count = source.records_.size();
  if (destination.records_.size() > count) {
    destination.records_.resize(count);
    destination.numbers_.resize(count);
  }
  std::size_t copied = 0;
  try {
    destination.numbers_.reserve(count);
    destination.records_.reserve(count);
    for (std::size_t i = 0; i < count; ++i, copied = i) {
      const SpriteRecord& record = *source.records_[i];
      if (i < destination.records_.size()) {
        destination.records_[i]->copyProperties(record, destination.surfaceFactory_, destination.rasterOperations_);
        destination.numbers_[i] = record.number;
      } else {
        destination.records_.push_back(
            std::make_unique<SpriteRecord>(record, destination.surfaceFactory_, destination.rasterOperations_));
        destination.numbers_.push_back(record.number);
      }
    }
    return true;
  } catch (const std::exception&) {
    // Records beyond those copied hold the last frame's properties: the copy keeps only what it finished.
    destination.records_.resize(std::min(copied, destination.records_.size()));
    destination.numbers_.resize(destination.records_.size());
    return false;
  }
}

bool SpriteTable::setSurface(std::int32_t number, ISurface* surface) {
  SpriteRecord* record = findOrCreate(number);
  if (!record) return false;
  record->setSurface(surface);
  stamp(*record);
  return true;
}

ISurface* SpriteTable::writableSurface(std::int32_t number) {
  SpriteRecord* record = find(number);
  if (!record || !record->surface) return nullptr;
  ISurface* shared = record->surface.get();
  if (!record->surface.isShared()) {  // the sprite is the sole holder: write in place
    stamp(*record);
    return shared;
  }

  const bool withPixels = shared->HasPixel();
  const bool withAMap = shared->HasAMap();
  const std::int32_t width = shared->GetWidth();
  const std::int32_t height = shared->GetHeight();
  if (!withPixels && !withAMap) {
    record->setSurface(nullptr);  // nothing that could be written
    stamp(*record);
    return nullptr;
  }
  ISurfaceFactory* factory = record->surfaceFactory;
  IGraph3* raster = record->rasterOperations;
  if (!factory || !raster) return nullptr;

  constexpr std::int32_t kImageBpp = 32;
  Ref<ISurface> copy = makeMatchingSurface(*factory, *shared, width, height, kImageBpp);
  if (!copy) return nullptr;  // the sprite keeps the shared surface
  raster->Copy(copy.get(), 0, 0, shared, 0, 0, width, height);
  record->setSurface(copy.get());  // drops the sprite's reference to the shared surface
  stamp(*record);
  return copy.get();  // the creation reference goes with `copy`; the sprite keeps one
}

void SpriteTable::markSurfaceWritten(const ISurface* surface) {
  if (!surface) return;
  for (const auto& record : records_) {
    if (record->surface.get() == surface) stamp(*record);
  }
}

std::size_t SpriteTable::lowerBound(std::int32_t number) const {
  // Branch-free binary search: the loop runs log2(size) times whatever the key, with no
  // mispredicted jumps.
  const std::int32_t* first = numbers_.data();
  std::size_t length = numbers_.size();
  if (length == 0) return 0;
  while (length > 1) {
    const std::size_t half = length / 2;
    first = first[half] < number ? first + half : first;
    length -= half;
  }
  return static_cast<std::size_t>(first - numbers_.data()) + (*first < number ? 1 : 0);
}

}  // namespace tamblet
