// The CG cache: decoded CG surfaces by CG number, most recently used first, within a byte budget
// fixed at creation. The list keeps the use order and decides eviction (the back goes first, the
// newest entry never); a hash index beside it finds an entry without walking the list.
#pragma once

#include <cstdint>
#include <list>
#include <unordered_map>
#include <vector>

#include "host/IInterface.h"
#include "host/Modules.h"
#include "host/Ref.h"
#include "host/Surface.h"

namespace tamblet {

class CCGCache final : public IInterface {
 public:
  // Figures for diagnostics; hits and misses count Find calls, evictions the entries pushed out.
  struct Statistics {
    std::uint64_t hits = 0;
    std::uint64_t misses = 0;
    std::uint64_t evictions = 0;
    std::uint64_t usedBytes = 0;
    std::uint32_t budgetBytes = 0;
    std::size_t entries = 0;
  };

  // An empty cache with count 1, or null when memory runs out. The factory and raster
  // operations are kept (not counted) for the cache's users; the cache itself draws nothing.
  static CCGCache* create(ISurfaceFactory* factory, IGraph3* raster, std::uint32_t budgetBytes) noexcept;

  CCGCache(const CCGCache&) = delete;
  CCGCache& operator=(const CCGCache&) = delete;

  std::int32_t TAMBLET_HOSTCALL AddRef() override;   // 0
  std::int32_t TAMBLET_HOSTCALL Release() override;  // 1; destroys the cache at 0

  // The cached surface with a new reference for the caller (the entry becomes the most recent),
  // or null.
  ISurface* Find(std::int32_t cg) noexcept;

  // Stores the surface under `cg` with a reference of the cache's own, then evicts from the back
  // while the entries exceed the budget and more than one is left. A number already present is
  // refused with a message box and nothing changes.
  void Register(std::int32_t cg, ISurface* surface) noexcept;

  Statistics statistics() const noexcept;
  // CG numbers front (most recent) to back.
  std::vector<std::int32_t> order() const;

  ISurfaceFactory* surfaceFactory() const { return surfaceFactory_; }
  IGraph3* rasterOperations() const { return rasterOperations_; }

  // The bytes an entry counts for: height × (pitch + alpha pitch), in 32-bit unsigned arithmetic.
  static std::uint32_t entrySize(ISurface* surface);

 private:
  struct Entry {
    std::int32_t cg;
    Ref<ISurface> surface;  // the cache's reference
    std::uint32_t size;  // entrySize when added
  };
  using EntryList = std::list<Entry>;

  CCGCache(ISurfaceFactory* factory, IGraph3* raster, std::uint32_t budgetBytes)
      : surfaceFactory_(factory), rasterOperations_(raster), budgetBytes_(budgetBytes) {}
  ~CCGCache();

  void evictBack() noexcept;

  std::int32_t referenceCount_ = 1;
  ISurfaceFactory* surfaceFactory_;
  IGraph3* rasterOperations_;
  EntryList entries_;
  std::unordered_map<std::int32_t, EntryList::iterator> index_;
  // The sum of the entry sizes; 64 bits so that a sum beyond 4 GiB cannot wrap and stop eviction.
  std::uint64_t usedBytes_ = 0;
  std::uint32_t budgetBytes_;
  std::uint64_t hits_ = 0;
  std::uint64_t misses_ = 0;
  std::uint64_t evictions_ = 0;
};

}  // namespace tamblet
