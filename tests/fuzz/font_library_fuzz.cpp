// Fuzzes the font library reader with arbitrary "Font.fnl" contents: loading, looking up every
// size record and reading every glyph of it must never crash, allocate without bound or leak, a
// glyph that reads must have exactly the bitmap its record describes, and the decompressor of the
// compression module must be given back when the library is cleared.
//
// Built only with Clang; the seeds are in tests/fuzz/font_library_seeds.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "host/Modules.h"
#include "platform/Modules.h"
#include "refhost/Compression.h"
#include "refhost/Ledger.h"
#include "tests/fuzz/MemoryFile.h"
#include "text/FontLibrary.h"

namespace {

[[noreturn]] void fail(const char* why) {
  __builtin_printf("font_library_fuzz: %s\n", why);
  std::abort();
}

// The compression module: a fresh reference-host decompressor for every request.
void* createCompression(const tamblet::InterfaceId* id) {
  if (*id != tamblet::kIID_ICompression) return nullptr;
  return static_cast<tamblet::ICompression*>(new refhost::Compression());
}

tamblet::platform::InProcessModuleResolver& resolver() {
  static tamblet::platform::InProcessModuleResolver instance = [] {
    tamblet::platform::InProcessModuleResolver made;
    tamblet::CreateInterfaceFunction entry = &createCompression;
    made.addSymbol(tamblet::kModuleCompression, tamblet::kCreateInterfaceSymbol, reinterpret_cast<void*>(entry));
    return made;
  }();
  return instance;
}

// The code of every glyph index, found once by sweeping all two-byte codes.
const std::vector<std::uint32_t>& codeOfIndex() {
  static const std::vector<std::uint32_t> codes = [] {
    std::vector<std::uint32_t> made;
    for (std::uint32_t code = 0; code <= 0xFFFF; ++code) {
      const std::int32_t index = tamblet::FontLibrary::glyphIndex(code);
      if (index < 0) continue;
      if (static_cast<std::size_t>(index) >= made.size()) made.resize(static_cast<std::size_t>(index) + 1);
      made[static_cast<std::size_t>(index)] = code;
    }
    return made;
  }();
  return codes;
}

// Every glyph of the record (through its first record of that height, as lookups find it), and
// codes without a glyph index.
void readEveryGlyph(tamblet::FontLibrary& library, std::int32_t face, const tamblet::FontLibrary::SizeRecord& record) {
  const tamblet::FontLibrary::SizeRecord* first = library.findSizeRecord(face, record.pixelHeight);
  if (!first) fail("a size record is not found by its height");
  tamblet::LibraryGlyph glyph;
  for (std::uint32_t code : {0x00u, 0x7Fu, 0x80FFu, 0xF040u, 0x10041u})
    if (library.readGlyph(face, record.pixelHeight, code, glyph)) fail("a code without a glyph index read a glyph");
  const std::vector<std::uint32_t>& codes = codeOfIndex();
  const std::size_t count = first->glyphs.size() < codes.size() ? first->glyphs.size() : codes.size();
  for (std::size_t index = 0; index < count; ++index) {
    if (!library.readGlyph(face, record.pixelHeight, codes[index], glyph)) continue;
    const std::uint64_t rowBytes = ((glyph.width + 7) / 8 + 3) & ~3u;
    if (glyph.rowBytes != rowBytes || glyph.bitmap.size() != rowBytes * glyph.pixelHeight ||
        glyph.width != first->glyphs[index].width || glyph.pixelHeight != record.pixelHeight)
      fail("a glyph's bitmap does not match its record");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::int64_t liveBefore = refhost::Ledger::liveObjects();
  tamblet::platform::setModuleResolver(&resolver());
  static const tamblet::testing::MemoryFile input("font_library_fuzz");
  input.write(data, size);
  {
    tamblet::FontLibrary library;
    library.setPath(input.path());
    if (library.ensureLoaded()) {
      const auto& faces = library.faces();
      for (std::size_t face = 0; face < faces.size(); ++face)
        for (const tamblet::FontLibrary::SizeRecord& record : faces[face])
          readEveryGlyph(library, static_cast<std::int32_t>(face), record);
    }
    if (library.ensureLoaded() != library.ensureLoaded()) fail("a second load answered differently");
    library.clear();
    if (refhost::Ledger::liveObjects() != liveBefore) fail("the decompressor was not given back");
  }
  tamblet::platform::setModuleResolver(nullptr);
  return 0;
}
