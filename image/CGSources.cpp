#include "image/CGSources.h"

#include <limits>

#include "image/CMemory.h"
#include "platform/Files.h"

namespace tamblet {
namespace {

// Decodes a block's bytes; an empty block has nothing to decode.
ISurface* decodeBlock(IDecodeCG* decoder, IMemory* block) {
  const std::uint32_t size = block->GetSize();
  const std::uint8_t* bytes = block->GetBuffer();
  if (!decoder || size == 0 || !bytes) return nullptr;
  return decoder->Decode(bytes, size);
}

}  // namespace

void CGSources::setUp(const Services& services, bool debugMode) noexcept {
  services_ = services;
  loose_.build(debugMode);
}

ISurface* CGSources::getCGSurface(std::int32_t cg) noexcept {
  CCGCache* cache = services_.cache;
  if (!cache) return nullptr;
  if (ISurface* hit = cache->Find(cg)) return hit;

  if (ISurface* loose = loadLooseCG(cg)) {
    cache->Register(cg, loose);
    return loose;
  }

  try {
    Ref<IMemory> block;
    if (packedArchive_ && packedArchive_->Exists(cg)) {
      block = Ref<IMemory>::adopt(packedArchive_->Load(cg));
    } else if (services_.archiveFile) {
      block = Ref<IMemory>::adopt(services_.archiveFile->Load(cg));
    }
    if (!block) return nullptr;
    ISurface* surface = decodeBlock(services_.decoder, block.get());
    block.reset();
    if (surface) cache->Register(cg, surface);
    return surface;
  } catch (...) {
    return nullptr;
  }
}

ISurface* CGSources::loadLooseCG(std::int32_t cg) const noexcept {
  try {
    return loose_.load(cg, services_.decoder, services_.factory);
  } catch (...) {
    return nullptr;
  }
}

bool CGSources::looseCGExists(std::int32_t cg) const noexcept {
  try {
    return loose_.exists(cg);
  } catch (...) {
    return false;
  }
}

ISurface* CGSources::loadSurfaceFromFile(const std::string& path) const noexcept {
  try {
    if (!services_.decoder) return nullptr;
    platform::ReadOnlyFile file;
    if (!file.open(path)) return nullptr;
    const std::uint64_t size = file.size();
    if (size > std::numeric_limits<std::uint32_t>::max()) return nullptr;
    Ref<IMemory> block = Ref<IMemory>::adopt(CMemory::create());
    if (!block || !block->Alloc(static_cast<std::uint32_t>(size))) return nullptr;
    if (size != 0 && !file.read(block->GetBuffer(), static_cast<std::uint32_t>(size))) return nullptr;
    ISurface* surface = decodeBlock(services_.decoder, block.get());
    file.close();
    return surface;
  } catch (...) {
    return nullptr;
  }
}

bool CGSources::cgExists(std::int32_t cg) const noexcept {
  if (packedArchive_ && packedArchive_->Exists(cg)) return true;
  if (services_.archiveFile && services_.archiveFile->Exists(cg)) return true;
  return looseCGExists(cg);
}

std::int32_t CGSources::cgFormat(std::int32_t cg) const noexcept {
  if (!services_.archiveFile || !services_.decoder) return kImageFormatUnknown;
  Ref<IMemory> block = Ref<IMemory>::adopt(services_.archiveFile->Load(cg));
  if (!block) return kImageFormatUnknown;
  const std::uint32_t size = block->GetSize();
  const std::uint8_t* bytes = block->GetBuffer();
  if (size == 0 || !bytes) return kImageFormatUnknown;
  return services_.decoder->GetFormat(bytes, size);
}

}  // namespace tamblet
