#include "refhost/CgArchive.h"

#include <zip.h>

#include <algorithm>
#include <filesystem>
#include <new>
#include <system_error>

#include "host/Ref.h"
#include "refhost/Diagnostics.h"
#include "refhost/MemoryBlock.h"

namespace refhost {
namespace {

// Deflate cannot expand data by more than about 1032 to 1; an entry declaring more is a lie.
constexpr std::uint64_t kMaxDeflateRatio = 1032;

void tell(std::string* why, std::string text) {
  if (why) *why = std::move(text);
}

// Whether the entry's declared sizes and method are ones a sound archive can have.
bool plausible(const zip_stat_t& stat, std::uint64_t fileSize) {
  const zip_uint64_t needed = ZIP_STAT_SIZE | ZIP_STAT_COMP_SIZE | ZIP_STAT_COMP_METHOD | ZIP_STAT_ENCRYPTION_METHOD;
  if ((stat.valid & needed) != needed) return false;
  if (stat.size > kCgEntrySizeLimit || stat.comp_size > fileSize) return false;
  if (stat.encryption_method != ZIP_EM_NONE) return false;
  if (stat.comp_method == ZIP_CM_STORE) return stat.comp_size == stat.size;
  if (stat.comp_method == ZIP_CM_DEFLATE) return stat.size <= (stat.comp_size + 1) * kMaxDeflateRatio;
  return zip_compression_method_supported(stat.comp_method, 0) != 0 && stat.comp_size > 0;
}

}  // namespace

std::unique_ptr<CgArchive> CgArchive::openFile(const std::string& path, std::string* why) {
  try {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) {
      tell(why, std::filesystem::exists(path, error) ? "not a regular file" : "no such file");
      return nullptr;
    }
    const std::uint64_t fileSize = std::filesystem::file_size(path, error);
    if (error) {
      tell(why, error.message());
      return nullptr;
    }
    int code = 0;
    zip_t* archive = zip_open(path.c_str(), ZIP_RDONLY, &code);
    if (!archive) {
      tell(why, zipErrorText(code));
      return nullptr;
    }
    return adopt(archive, fileSize, why);
  } catch (const std::exception&) {
    tell(why, "out of memory");
    return nullptr;
  }
}

std::unique_ptr<CgArchive> CgArchive::openBytes(const void* data, std::size_t size, std::string* why) {
  try {
    if (!data && size != 0) return nullptr;
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(data, size, 0, &error);
    zip_t* archive = source ? zip_open_from_source(source, ZIP_RDONLY, &error) : nullptr;
    if (!archive) {
      tell(why, zip_error_strerror(&error));
      if (source) zip_source_free(source);
      zip_error_fini(&error);
      return nullptr;
    }
    zip_error_fini(&error);
    return adopt(archive, size, why);
  } catch (const std::exception&) {
    tell(why, "out of memory");
    return nullptr;
  }
}

CgArchive::~CgArchive() {
  zip_discard(zip_);
}

tamblet::IMemory* CgArchive::load(std::int32_t cg, std::string* why) {
  const auto found = entries_.find(cg);
  if (found == entries_.end()) {
    tell(why, "not in the archive");
    return nullptr;
  }
  const Entry& entry = found->second;
  auto block = tamblet::Ref<MemoryBlock>::adopt(MemoryBlock::create());
  if (!block || !block->Alloc(entry.size)) {
    tell(why, "out of memory");
    return nullptr;
  }
  if (!readEntry(entry.zipIndex, block->GetBuffer(), entry.size, why)) return nullptr;
  return block.detach();
}

// Takes over an open zip; refuses it (closing it) when its CG entries cannot be mapped.
std::unique_ptr<CgArchive> CgArchive::adopt(zip* archive, std::uint64_t fileSize, std::string* why) {
  std::unique_ptr<CgArchive> opened;
  try {
    opened.reset(new CgArchive(archive, fileSize));
  } catch (const std::bad_alloc&) {
    zip_discard(archive);
    throw;
  }
  if (!opened->mapEntries(why)) return nullptr;
  return opened;
}

bool CgArchive::mapEntries(std::string* why) {
  const zip_int64_t count = zip_get_num_entries(zip_, 0);
  std::unordered_map<std::int32_t, std::string> seen;
  for (zip_int64_t i = 0; i < count; ++i) {
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(zip_, static_cast<zip_uint64_t>(i), 0, &stat) != 0 || !(stat.valid & ZIP_STAT_NAME)) continue;
    const std::optional<std::int32_t> cg = cgNumberOfEntryName(stat.name);
    if (!cg) continue;
    const auto [previous, fresh] = seen.emplace(*cg, stat.name);
    if (!fresh) {
      tell(why, "CG " + std::to_string(*cg) + " is stored twice: " + previous->second + " and " + stat.name);
      return false;
    }
    if (!plausible(stat, fileSize_)) continue;  // unusable: as if absent
    entries_.emplace(*cg, Entry{static_cast<std::uint64_t>(i), static_cast<std::uint32_t>(stat.size)});
    lines_.push_back({*cg, stat.name, stat.size});
  }
  std::sort(lines_.begin(), lines_.end(), [](const CgIndexLine& a, const CgIndexLine& b) { return a.cg < b.cg; });
  rebuilt_ = indexMatches(cgIndexText(lines_));
  return true;
}

bool CgArchive::readEntry(std::uint64_t zipIndex, std::uint8_t* into, std::uint64_t size, std::string* why) {
  zip_file_t* file = zip_fopen_index(zip_, zipIndex, 0);
  if (!file) {
    tell(why, zip_strerror(zip_));
    return false;
  }
  std::uint64_t done = 0;
  while (done < size) {
    const zip_int64_t got = zip_fread(file, into + done, size - done);
    if (got <= 0) break;
    done += static_cast<std::uint64_t>(got);
  }
  // Reading on to the end makes the library check the entry's checksum; the data must end there.
  std::uint8_t extra = 0;
  bool whole = done == size && zip_fread(file, &extra, 1) == 0;
  if (!whole) {
    tell(why, done < size ? std::string("entry cut short: ") + zip_file_strerror(file) : "entry longer than declared");
  }
  if (const int closed = zip_fclose(file); closed != 0) {
    if (whole) tell(why, zipErrorText(closed));
    whole = false;
  }
  return whole;
}

bool CgArchive::indexMatches(const std::string& expected) {
  const zip_int64_t index = zip_name_locate(zip_, kCgIndexEntryName, 0);
  if (index < 0) return false;
  zip_stat_t stat;
  zip_stat_init(&stat);
  if (zip_stat_index(zip_, static_cast<zip_uint64_t>(index), 0, &stat) != 0 || !(stat.valid & ZIP_STAT_SIZE) ||
      stat.size != expected.size() || !plausible(stat, fileSize_))
    return false;
  std::string stored(expected.size(), '\0');
  return readEntry(static_cast<zip_uint64_t>(index), reinterpret_cast<std::uint8_t*>(stored.data()), stored.size()) &&
         stored == expected;
}

tamblet::IMemory* loadTelling(CgArchive& archive, std::int32_t cg, const std::string& path) noexcept {
  try {
    std::string why;
    tamblet::IMemory* bytes = archive.load(cg, &why);
    if (!bytes && archive.contains(cg)) {
      diagnose("CG " + std::to_string(cg) + " in \"" + path + "\" cannot be read: " + why);
    } else if (bytes && bytes->GetSize() == 0) {
      diagnose("CG " + std::to_string(cg) + " in \"" + path + "\" is empty (0 bytes)");
    }
    return bytes;
  } catch (...) {
    return nullptr;  // out of memory telling why: the load fails as it would have
  }
}

}  // namespace refhost
