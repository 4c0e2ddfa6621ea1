// Turns a CG number into a decoded surface: the cache first, then the loose files (debug mode),
// the packed archive and last the CG archive file. Bytes from an archive are decoded straight
// from the block the archive hands out; every surface decoded here is registered in the cache.
// The sources borrow the cache, archive file, decoder and factory from the engine core that owns
// them; only the packed archive is held here.
#pragma once

#include <cstdint>
#include <string>

#include "host/Modules.h"
#include "host/Ref.h"
#include "host/Surface.h"
#include "image/CCGCache.h"
#include "image/LooseCgStore.h"

namespace tamblet {

class CGSources {
 public:
  struct Services {
    CCGCache* cache = nullptr;
    IKOVFile* archiveFile = nullptr;  // never null once set up (a stand-in when the host has none)
    IDecodeCG* decoder = nullptr;
    ISurfaceFactory* factory = nullptr;
  };

  // Takes the borrowed services and builds the loose-file store when `debugMode` is set.
  void setUp(const Services& services, bool debugMode) noexcept;
  // Forgets the borrowed services (before their owner releases them); the packed archive stays.
  void forgetServices() noexcept { services_ = {}; }

  // The packed archive from now on; the one held before is released.
  void setPackedArchive(Ref<IPackedArchive> archive) noexcept { packedArchive_ = std::move(archive); }
  void releasePackedArchive() noexcept { packedArchive_.reset(); }
  IPackedArchive* packedArchive() const { return packedArchive_.get(); }

  // The CG's surface with one reference for the caller, or null. Failures are not remembered.
  ISurface* getCGSurface(std::int32_t cg) noexcept;
  // The loose-file source alone (not cached).
  ISurface* loadLooseCG(std::int32_t cg) const noexcept;
  bool looseCGExists(std::int32_t cg) const noexcept;
  // Decodes any image file (never cached); null when it is missing, too large or undecodable.
  ISurface* loadSurfaceFromFile(const std::string& path) const noexcept;

  // Whether any source other than the cache holds the CG (nothing is decoded).
  bool cgExists(std::int32_t cg) const noexcept;
  // The decoder's format code for the CG's bytes in the CG archive file only, or −1.
  std::int32_t cgFormat(std::int32_t cg) const noexcept;

  LooseCgStore& looseStore() { return loose_; }
  const Services& services() const { return services_; }

 private:
  Services services_;
  Ref<IPackedArchive> packedArchive_;
  LooseCgStore loose_;
};

}  // namespace tamblet
