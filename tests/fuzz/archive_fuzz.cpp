// Fuzzes both CG archive readers, KOVLoader.dll's archive file and ZEPLoader.dll's packed
// archive, with arbitrary file contents: opening, the rebuilt check and loading every CG must
// never crash, and every memory block and archive object must be gone again afterwards.
#include <climits>
#include <cstdint>
#include <memory>

#include "refhost/CgArchive.h"
#include "refhost/KovFileManager.h"
#include "refhost/Ledger.h"
#include "refhost/PackedArchive.h"
#include "tests/fuzz/MemoryFile.h"

namespace {

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
  static const tamblet::testing::MemoryFile input("archive_fuzz");
  input.write(data, size);
  std::unique_ptr<refhost::CgArchive> inMemory = refhost::CgArchive::openBytes(data, size);

  refhost::PackedArchive* packed = refhost::PackedArchive::create();
  if (packed->Open(input.path().c_str())) {
    packed->IsRebuilt();
    exercise(packed, inMemory.get());
  }
  packed->Release();

  auto* manager = new refhost::KovFileManager();
  manager->setCgArchivePath(input.path());
  if (tamblet::IKOVFile* file = manager->GetFile(0)) {
    exercise(file, inMemory.get());
    file->Release();
  }
  manager->Release();

  inMemory.reset();
  if (refhost::Ledger::liveObjects() != liveBefore) std::abort();  // something was leaked
  return 0;
}
