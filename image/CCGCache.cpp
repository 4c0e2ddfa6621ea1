#include "image/CCGCache.h"

#include <new>

#include "report/FixedTexts.h"
#include "report/MessageBoxReporter.h"

namespace tamblet {

CCGCache* CCGCache::create(ISurfaceFactory* factory, IGraph3* raster, std::uint32_t budgetBytes) noexcept {
  return new (std::nothrow) CCGCache(factory, raster, budgetBytes);
}

CCGCache::~CCGCache() {
  while (!entries_.empty()) entries_.pop_front();  // releases front (most recent) to back
}

std::int32_t CCGCache::AddRef() {
  return ++referenceCount_;
}

std::int32_t CCGCache::Release() {
  if (--referenceCount_ > 0) return referenceCount_;
  delete this;
  return 0;
}

std::uint32_t CCGCache::entrySize(ISurface* surface) {
  const auto height = static_cast<std::uint32_t>(surface->GetHeight());
  const auto pitch = static_cast<std::uint32_t>(surface->GetPitch());
  const auto alphaPitch = static_cast<std::uint32_t>(surface->GetAMapPitch());
  return height * (pitch + alphaPitch);
}

ISurface* CCGCache::Find(std::int32_t cg) noexcept {
  const auto found = index_.find(cg);
  if (found == index_.end()) {
    ++misses_;
    return nullptr;
  }
  ++hits_;
  const EntryList::iterator entry = found->second;
  if (entry != entries_.begin()) entries_.splice(entries_.begin(), entries_, entry);  // iterators stay valid
  return Ref<ISurface>(entry->surface).detach();
}

void CCGCache::Register(std::int32_t cg, ISurface* surface) noexcept {
  if (!surface) return;
  if (index_.contains(cg)) {
    report::reportMessageBox("%s", fixedText(FixedText::kCgCacheAlreadyRegistered));
    return;
  }
  try {
    const std::uint32_t size = entrySize(surface);
    entries_.push_front({cg, Ref<ISurface>::retain(surface), size});
    try {
      index_.emplace(cg, entries_.begin());
    } catch (...) {
      entries_.pop_front();
      throw;
    }
    usedBytes_ += size;
  } catch (...) {
    return;  // out of memory: the surface is simply not cached
  }
  while (usedBytes_ > budgetBytes_ && entries_.size() > 1) evictBack();
}

void CCGCache::evictBack() noexcept {
  Entry& back = entries_.back();
  usedBytes_ -= back.size;
  index_.erase(back.cg);
  entries_.pop_back();  // releases the cache's reference
  ++evictions_;
}

CCGCache::Statistics CCGCache::statistics() const noexcept {
  Statistics figures;
  figures.hits = hits_;
  figures.misses = misses_;
  figures.evictions = evictions_;
  figures.usedBytes = usedBytes_;
  figures.budgetBytes = budgetBytes_;
  figures.entries = entries_.size();
  return figures;
}

std::vector<std::int32_t> CCGCache::order() const {
  std::vector<std::int32_t> numbers;
  numbers.reserve(entries_.size());
  for (const Entry& entry : entries_) numbers.push_back(entry.cg);
  return numbers;
}

}  // namespace tamblet
