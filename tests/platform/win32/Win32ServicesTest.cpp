// The Win32 services behind the platform headers, on the real system calls: Shift-JIS conversions
// through the system's code page 932 against the same bytes the Linux build gives, module lookup
// among loaded DLLs only, files with Shift-JIS names, windows and memory figures.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "platform/Files.h"
#include "platform/Modules.h"
#include "platform/ProcessMemory.h"
#include "platform/TextEncoding.h"
#include "platform/Window.h"
#include "tests/support/Portable.h"

namespace tamblet::platform {
namespace {

// Shift-JIS, its UTF-8, and which way the pair converts: both ways, or only one because the bytes
// that do not convert stay as they are and the conversion resumes after them.
enum Way { kBoth, kFromSjis, kToSjis };
const struct {
  std::string sjis, utf8;
  Way way;
} kTexts[] = {
    {"\x81\xAC" "ERROR\x81\xAC", "\xE3\x80\x93" "ERROR\xE3\x80\x93", kBoth},  // 〓ERROR〓
    {"\x81\x7C", "\xEF\xBC\x8D", kBoth},                                      // － U+FF0D
    {"\x95\x5C", "\xE8\xA1\xA8", kBoth},                                      // 表: trail byte 0x5C
    {"\xB1\xDF", "\xEF\xBD\xB1\xEF\xBE\x9F", kBoth},                          // half-width ｱﾟ
    {"\xF0\x40", "\xEE\x80\x80", kBoth},                                      // user-defined area, U+E000
    {"\x87\x40", "\xE2\x91\xA0", kBoth},                                      // ① (NEC row 13)
    {std::string("a\0\x82\xA0", 4), std::string("a\0\xE3\x81\x82", 5), kBoth},  // a NUL inside the text
    {"", "", kBoth},
    {"A\x81 B", "A\x81 B", kFromSjis},                    // lead byte with an invalid trail
    {"A\x82", "A\x82", kFromSjis},                        // cut short at the end
    {"\xFF\x82\xA0", "\xFF\xE3\x81\x82", kFromSjis},      // 0xFF starts nothing
    {"\x80\xA0\xFD\xFE", "\x80\xA0\xFD\xFE", kFromSjis},  // single bytes the code page leaves unassigned
    {"\x81\x80\xA0", "\xC3\xB7\xA0", kFromSjis},          // ÷ takes 0x80 as its trail; the lone 0xA0 stays
    {"\xC3\xA9\x82\xA0", "\xC3\xA9\xE3\x81\x82", kToSjis},  // é has no CP932 form
    {"\xF0\x9F\x98\x80!", "\xF0\x9F\x98\x80!", kToSjis},    // nor has an emoji (a surrogate pair)
    {"a\xE3\x81", "a\xE3\x81", kToSjis},                    // cut short
    {"\xED\xA0\x80", "\xED\xA0\x80", kToSjis},              // an encoded surrogate is no UTF-8
};

TEST(Win32TextEncoding, MatchesTheLinuxBytes) {
  for (const auto& [sjis, utf8, way] : kTexts) {
    if (way != kToSjis) {
      EXPECT_EQ(sjisToUtf8(sjis), utf8);
    }
    if (way != kFromSjis) {
      EXPECT_EQ(utf8ToSjis(utf8), sjis);
    }
  }
}

// Random texts of ASCII, half-width kana and level-1 kanji: they survive the round trip, and a
// byte that does not convert (which takes the character-by-character path) changes nothing else.
TEST(Win32TextEncoding, RandomTextsRoundTripOnBothPaths) {
  std::mt19937 random(20261207);
  std::uint64_t checksum = 1469598103934665603ull;  // FNV-1a over every UTF-8 result
  for (int round = 0; round < 300; ++round) {
    std::string sjis;
    for (int i = static_cast<int>(random() % 40); i > 0; --i) {
      const unsigned kind = random() % 3;
      if (kind < 2) {
        sjis.push_back(static_cast<char>(kind == 0 ? 0x20 + random() % 0x5F : 0xA1 + random() % 0x3F));
        continue;
      }
      unsigned trail = 0x40 + random() % 0xBC;
      sjis.push_back(static_cast<char>(0x89 + random() % 0x0F));
      sjis.push_back(static_cast<char>(trail >= 0x7F ? trail + 1 : trail));  // 0x7F is no trail byte
    }
    const std::string utf8 = sjisToUtf8(sjis);
    ASSERT_EQ(utf8ToSjis(utf8), sjis);
    ASSERT_EQ(sjisToUtf8(sjis + "\xFF"), utf8 + "\xFF");
    ASSERT_EQ(utf8ToSjis(utf8 + "\xC3\xA9"), sjis + "\xC3\xA9");
    for (unsigned char byte : utf8) checksum = (checksum ^ byte) * 1099511628211ull;
  }
  EXPECT_EQ(checksum, 0xCBC77319EBAE7EFCull);  // what the Linux conversion gives
}

TEST(Win32Files, WritesReadsAndListsShiftJisNamesAndFailsWithoutLoss) {
  const std::string dir = testing::makeScratchFolder("tamblet-files").string();
  const auto path = [&](const std::string& name) { return dir + "\\" + name; };
  const auto contents = [&](const std::string& name) {
    auto bytes = readWholeFile(path(name));
    return bytes ? std::string(bytes->begin(), bytes->end()) : std::string("<unreadable>");
  };
  const std::vector<std::string> names = {"b.txt", "empty", "\x95\x5C.dat"};  // 表.dat: 0x5C is no separator
  const std::string bytes[] = {"0123456789", "", std::string("a\0b\xFF", 4)};
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(writeWholeFileAtomically(path(names[i]), bytes[i].data(), bytes[i].size()));
  ASSERT_TRUE(CreateDirectoryA(path("sub").c_str(), nullptr));
  for (int i = 0; i < 3; ++i) EXPECT_EQ(contents(names[i]), bytes[i]);
  EXPECT_EQ(listFiles(dir + "\\"), names);
  EXPECT_TRUE(listFiles(path("sub")).empty() && listFiles(path("missing")).empty());
  EXPECT_TRUE(isRegularFile(path(names[2])) && isFolder(path("sub")) && pathExists(path("sub")));
  EXPECT_FALSE(isFolder(path(names[2])) || isRegularFile(path("sub")) || pathExists(path("missing")));
  EXPECT_FALSE(pathExists(path("b.txt") + std::string(1, '\0')));

  // Failures change nothing and leave no temporary.
  EXPECT_FALSE(writeWholeFileAtomically(path("sub"), "x", 1));
  EXPECT_FALSE(writeWholeFileAtomically(path("none\\b.txt"), "x", 1));
  EXPECT_FALSE(writeWholeFileAtomically(path("b.txt"), nullptr, 1));
  EXPECT_FALSE(writeWholeFileAtomically(dir + "\\", "x", 1));
  EXPECT_TRUE(isFolder(path("sub")));

  ReadOnlyFile file;
  ASSERT_TRUE(file.open(path("b.txt")));
  char buffer[4] = {};
  EXPECT_EQ(file.size(), 10u);
  EXPECT_FALSE(file.seek(10));
  ASSERT_TRUE(file.seek(7) && file.read(buffer, 3));
  EXPECT_EQ(std::string(buffer, 3), "789");
  ASSERT_TRUE(file.seek(8));
  EXPECT_FALSE(file.read(buffer, 3));  // a short read fails
  // Windows refuses to replace a file someone holds open: the write fails, and nothing is lost.
  EXPECT_FALSE(writeWholeFileAtomically(path("b.txt"), "x", 1));
  file.close();
  EXPECT_EQ(contents("b.txt"), bytes[0]);
  ASSERT_TRUE(writeWholeFileAtomically(path("b.txt"), "new", 3));
  EXPECT_EQ(contents("b.txt"), "new");
  EXPECT_EQ(listFiles(dir), names);
  EXPECT_FALSE(file.isOpen() || file.read(buffer, 1) || file.open(path("sub")) || file.open(path("missing")));
  EXPECT_FALSE(file.open("NUL"));  // a device is no file
  std::filesystem::remove_all(dir);
}

TEST(Win32Modules, FindsOnlyLoadedDllsByFileName) {
  const struct {
    const char *module, *symbol;
    bool found;
  } lookups[] = {
      {"KERNEL32.DLL", "GetTickCount", true},        {"kernel32", "GetTickCount", true},  // the system adds ".dll"
      {"kernel32.dll", "NoSuchExport", false},       {nullptr, "GetTickCount", false},
      {"FakeModule.dll", "CreateInterface", false},  // not loaded yet
      {"kernel32.dll", nullptr, false},
  };
  for (const auto& [module, symbol, found] : lookups)
    EXPECT_EQ(findModuleSymbol(module, symbol) != nullptr, found) << (module ? module : "null");
  EXPECT_EQ(GetModuleHandleA("FakeModule.dll"), nullptr) << "the lookup must never load a module";

  HMODULE module = LoadLibraryA(TAMBLET_FAKE_MODULE_PATH);
  ASSERT_NE(module, nullptr);
  void* entry = findModuleSymbol("FakeModule", "CreateInterface");
  EXPECT_EQ(entry, reinterpret_cast<void*>(GetProcAddress(module, "CreateInterface")));
  ASSERT_TRUE(FreeLibrary(module));  // the lookups took no reference: this unloads it
  EXPECT_EQ(findModuleSymbol("FakeModule.dll", "CreateInterface"), nullptr);
}

TEST(Win32WindowAndMemory, NoWindowIsNoProcessAndFiguresFollowTouchedMemory) {
  EXPECT_EQ(windowOwnerProcessId(nullptr), kNoProcess);
  EXPECT_EQ(windowOwnerProcessId(reinterpret_cast<void*>(static_cast<std::uintptr_t>(0x7FF0))), kNoProcess);
  EXPECT_EQ(activeWindowOwnerProcessId(), kNoProcess);  // a console test program has no window of its own

  const std::uint64_t before = processWorkingSetBytes();
  constexpr std::size_t kSize = 64u << 20;
  char* block = static_cast<char*>(std::malloc(kSize));
  ASSERT_NE(block, nullptr);
  std::memset(block, 1, kSize);
  asm volatile("" : : "r"(block) : "memory");  // the pages must really be written
  EXPECT_GE(processWorkingSetBytes(), before + kSize / 2);
  std::free(block);
  EXPECT_GE(processPeakWorkingSetBytes(), before + kSize / 2);
}

}  // namespace
}  // namespace tamblet::platform
