// Fuzzes both CG archive readers, KOVLoader.dll's archive file and ZEPLoader.dll's packed
// archive, with arbitrary file contents: opening, the rebuilt check and loading every CG must
// never crash, and every memory block and archive object must be gone again afterwards.
#include <sys/mman.h>
#include <unistd.h>

#include <climits>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "refhost/CgArchive.h"
#include "refhost/KovFileManager.h"
#include "refhost/Ledger.h"
#include "refhost/PackedArchive.h"

namespace {

// The input lives in one in-memory file, reached by path as the modules expect.
const std::string& inputPath() {
  static const std::string path = [] {
    const int fd = memfd_create("archive_fuzz", 0);
    if (fd < 0) std::abort();
    return "/proc/self/fd/" + std::to_string(fd);
  }();
  return path;
}

void writeInput(const std::uint8_t* data, std::size_t size) {
  const int fd = std::stoi(inputPath().substr(std::string("/proc/self/fd/").size()));
  if (ftruncate(fd, 0) != 0) std::abort();
  for (std::size_t done = 0; done < size;) {
    const ssize_t wrote = pwrite(fd, data + done, size - done, static_cast<off_t>(done));
    if (wrote <= 0) std::abort();
    done += static_cast<std::size_t>(wrote);
  }
}

template <class Archive>
void exercise(Archive* archive, const refhost::CgArchive* lines) {
  const std::int32_t absurd[] = {0, -1, INT_MIN, INT_MAX, 1};
  for (std::int32_t cg : absurd) {
    archive->Exists(cg);
    if (tamblet::IMemory* block = archive->Load(cg)) block->Release();
  }
  if (!lines) return;
  for (const refhost::CgIndexLine& line : lines->lines()) {
    if (!archive->Exists(line.cg)) std::abort();  // every listed CG is there
    if (tamblet::IMemory* block = archive->Load(line.cg)) {
      if (block->GetSize() != line.size) std::abort();
      block->Release();
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::int64_t liveBefore = refhost::Ledger::liveObjects();
  writeInput(data, size);
  std::unique_ptr<refhost::CgArchive> inMemory = refhost::CgArchive::openBytes(data, size);

  refhost::PackedArchive* packed = refhost::PackedArchive::create();
  if (packed->Open(inputPath().c_str())) {
    packed->IsRebuilt();
    exercise(packed, inMemory.get());
  }
  packed->Release();

  auto* manager = new refhost::KovFileManager();
  manager->setCgArchivePath(inputPath());
  if (tamblet::IKOVFile* file = manager->GetFile(0)) {
    exercise(file, inMemory.get());
    file->Release();
  }
  manager->Release();

  inMemory.reset();
  if (refhost::Ledger::liveObjects() != liveBefore) std::abort();  // something was leaked
  return 0;
}
