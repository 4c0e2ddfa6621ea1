// The shared library's dynamic symbol table (the DLL's export table on Windows) holds exactly the
// engine's exports, each under its exact name, and nothing else (no C++ symbols leak out of it).
#ifndef _WIN32
#include <elf.h>
#endif
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "EngineLibrary.h"

namespace {

// Every name of the library's version script: 138, each of them also in the player's export table (checked
// there), so a name left out of the script is caught by the count.
std::set<std::string> expectedExports() {
  std::ifstream map(TAMBLET_EXPORTS_MAP);
  const std::regex symbol(R"(^\s*([A-Za-z_][A-Za-z_0-9]*);\s*$)");
  std::set<std::string> names;
  std::smatch match;
  for (std::string line; std::getline(map, line);)
    if (std::regex_match(line, match, symbol)) names.insert(match[1].str());
  return names;
}

#ifdef _WIN32
// The names of the loaded DLL's export directory.
std::set<std::string> exportedNames(const tamblet::testing::EngineLibrary& library) {
  const unsigned char* image = library.image();
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(image);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(image + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& entry = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
  std::set<std::string> names;
  if (entry.Size == 0) return names;
  const auto* directory = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(image + entry.VirtualAddress);
  const auto* nameOffsets = reinterpret_cast<const DWORD*>(image + directory->AddressOfNames);
  for (DWORD i = 0; i < directory->NumberOfNames; ++i)
    names.insert(reinterpret_cast<const char*>(image + nameOffsets[i]));
  return names;
}
#else
std::set<std::string> definedDynamicSymbols(const char* path) {
  std::ifstream file(path, std::ios::binary);
  std::vector<char> image((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  std::set<std::string> names;
  if (image.size() < sizeof(Elf64_Ehdr)) return names;
  const auto* header = reinterpret_cast<const Elf64_Ehdr*>(image.data());
  const auto* sections = reinterpret_cast<const Elf64_Shdr*>(image.data() + header->e_shoff);
  for (int i = 0; i < header->e_shnum; ++i) {
    if (sections[i].sh_type != SHT_DYNSYM) continue;
    const Elf64_Shdr& strings = sections[sections[i].sh_link];
    const auto* symbols = reinterpret_cast<const Elf64_Sym*>(image.data() + sections[i].sh_offset);
    for (std::size_t s = 1; s < sections[i].sh_size / sizeof(Elf64_Sym); ++s) {
      const unsigned char binding = ELF64_ST_BIND(symbols[s].st_info);
      if (symbols[s].st_shndx == SHN_UNDEF || (binding != STB_GLOBAL && binding != STB_WEAK)) continue;
      names.insert(image.data() + strings.sh_offset + symbols[s].st_name);
    }
  }
  return names;
}
#endif

TEST(ExportManifest, SymbolTableHoldsExactlyTheExportsAndEachResolvesByItsExactName) {
  const std::set<std::string> expected = expectedExports();
  EXPECT_EQ(expected.size(), 138u);
  tamblet::testing::EngineLibrary library;
#ifdef _WIN32
  EXPECT_EQ(exportedNames(library), expected);
#else
  EXPECT_EQ(definedDynamicSymbols(TAMBLET_ENGINE_LIBRARY), expected);
#endif
  for (const std::string& name : expected) EXPECT_NE(library.find<void>(name.c_str()), nullptr) << name;
  EXPECT_EQ(library.find<void>("getInterface"), nullptr);
}

}  // namespace
