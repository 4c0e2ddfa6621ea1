// The Win32 services behind the platform headers, on the real system calls: Shift-JIS conversions
// through the system's code page 932 against the same bytes the Linux build gives, module lookup
// among loaded DLLs only, files with Shift-JIS names, windows and memory figures.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "platform/Files.h"
#include "platform/Modules.h"
#include "platform/ProcessMemory.h"
#include "platform/TextEncoding.h"
#include "platform/Window.h"

namespace tamblet::platform {
namespace {

// Shift-JIS and its UTF-8, both ways; the pairs the Linux conversion gives.
const std::pair<std::string, std::string> kBothWays[] = {
    {"\x81\xAC" "ERROR\x81\xAC", "\xE3\x80\x93" "ERROR\xE3\x80\x93"},  // 〓ERROR〓
    {"\x81\x7C", "\xEF\xBC\x8D"},                                      // － U+FF0D
    {"\x95\x5C", "\xE8\xA1\xA8"},                                      // 表: trail byte 0x5C
    {"\xB1\xDF", "\xEF\xBD\xB1\xEF\xBE\x9F"},                          // half-width ｱﾟ
    {"\xF0\x40", "\xEE\x80\x80"},                                      // user-defined area, U+E000
    {"\x87\x40", "\xE2\x91\xA0"},                                      // ① (NEC row 13)
    {"CG\\SP\\~ok", "CG\\SP\\~ok"},
    {std::string("a\0\x82\xA0", 4), std::string("a\0\xE3\x81\x82", 5)},  // a NUL inside the text
};

// Bytes that do not convert stay as they are and the conversion resumes after them.
const std::pair<std::string, std::string> kSjisKept[] = {
    {"A\x81 B", "A\x81 B"},                      // lead byte with an invalid trail
    {"A\x82", "A\x82"},                          // cut short at the end
    {"\xFF\x82\xA0", "\xFF\xE3\x81\x82"},        // 0xFF starts nothing
    {"\x80\xA0\xFD\xFE", "\x80\xA0\xFD\xFE"},    // single bytes the code page leaves unassigned
    {"\x81\x80\xA0", "\xC3\xB7\xA0"},            // ÷ takes 0x80 as its trail; the lone 0xA0 stays
};
const std::pair<std::string, std::string> kUtf8Kept[] = {
    {"\xC3\xA9\xE3\x81\x82", "\xC3\xA9\x82\xA0"},  // é has no CP932 form
    {"\xF0\x9F\x98\x80!", "\xF0\x9F\x98\x80!"},    // nor has an emoji (a surrogate pair)
    {"a\xE3\x81", "a\xE3\x81"},                    // cut short
    {"\xED\xA0\x80", "\xED\xA0\x80"},              // an encoded surrogate is no UTF-8
};

TEST(Win32TextEncoding, MatchesTheLinuxBytes) {
  for (const auto& [sjis, utf8] : kBothWays) {
    EXPECT_EQ(sjisToUtf8(sjis), utf8);
    EXPECT_EQ(utf8ToSjis(utf8), sjis);
  }
  for (const auto& [sjis, utf8] : kSjisKept) EXPECT_EQ(sjisToUtf8(sjis), utf8);
  for (const auto& [utf8, sjis] : kUtf8Kept) EXPECT_EQ(utf8ToSjis(utf8), sjis);
  EXPECT_EQ(sjisToUtf8(""), "");
  EXPECT_EQ(utf8ToSjis(""), "");
}

// Random texts of ASCII, half-width kana and level-1 kanji: they survive the round trip, and a
// byte that does not convert (which takes the character-by-character path) changes nothing else.
TEST(Win32TextEncoding, RandomTextsRoundTripOnBothPaths) {
  std::mt19937 random(20261207);
  std::uint64_t checksum = 1469598103934665603ull;  // FNV-1a over every UTF-8 result
  for (int round = 0; round < 300; ++round) {
    std::string sjis;
    const int characters = static_cast<int>(random() % 40);
    for (int i = 0; i < characters; ++i) {
      switch (random() % 3) {
        case 0: sjis.push_back(static_cast<char>(0x20 + random() % 0x5F)); break;
        case 1: sjis.push_back(static_cast<char>(0xA1 + random() % 0x3F)); break;
        default: {
          unsigned trail = 0x40 + random() % 0xBC;
          if (trail >= 0x7F) ++trail;  // 0x7F is no trail byte
          sjis.push_back(static_cast<char>(0x89 + random() % 0x0F));
          sjis.push_back(static_cast<char>(trail));
        }
      }
    }
    const std::string utf8 = sjisToUtf8(sjis);
    ASSERT_EQ(utf8ToSjis(utf8), sjis);
    ASSERT_EQ(sjisToUtf8(sjis + "\xFF"), utf8 + "\xFF");
    ASSERT_EQ(utf8ToSjis(utf8 + "\xC3\xA9"), sjis + "\xC3\xA9");
    for (unsigned char byte : utf8) checksum = (checksum ^ byte) * 1099511628211ull;
  }
  EXPECT_EQ(checksum, 0xCBC77319EBAE7EFCull);  // what the Linux conversion gives
}

class Win32FilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char base[MAX_PATH];
    ASSERT_GT(GetTempPathA(MAX_PATH, base), 0u);
    dir_ = std::string(base) + "tamblet-files-" + std::to_string(GetCurrentProcessId());
    ASSERT_TRUE(CreateDirectoryA(dir_.c_str(), nullptr));
  }
  void TearDown() override {
    for (const std::string& name : listFiles(dir_)) DeleteFileA(path(name).c_str());
    RemoveDirectoryA(path("sub").c_str());
    RemoveDirectoryA(dir_.c_str());
  }

  std::string path(const std::string& name) const { return dir_ + "\\" + name; }
  std::string contents(const std::string& name) const {
    auto bytes = readWholeFile(path(name));
    return bytes ? std::string(bytes->begin(), bytes->end()) : std::string("<unreadable>");
  }

  std::string dir_;
};

TEST_F(Win32FilesTest, WritesReadsAndListsShiftJisNames) {
  const std::pair<std::string, std::string> files[] = {
      {"\x95\x5C.dat", std::string("a\0b\xFF", 4)},  // 表.dat: the trail byte 0x5C is no separator
      {"b.txt", "0123456789"},
      {"empty", ""},
  };
  for (const auto& [name, bytes] : files) ASSERT_TRUE(writeWholeFileAtomically(path(name), bytes.data(), bytes.size()));
  ASSERT_TRUE(CreateDirectoryA(path("sub").c_str(), nullptr));
  for (const auto& [name, bytes] : files) EXPECT_EQ(contents(name), bytes);
  EXPECT_EQ(listFiles(dir_), (std::vector<std::string>{"b.txt", "empty", "\x95\x5C.dat"}));
  EXPECT_EQ(listFiles(dir_ + "\\"), listFiles(dir_));
  EXPECT_TRUE(listFiles(path("sub")).empty());
  EXPECT_TRUE(listFiles(path("missing")).empty());
  EXPECT_TRUE(isRegularFile(path("\x95\x5C.dat")) && isFolder(path("sub")) && pathExists(path("sub")));
  EXPECT_FALSE(isFolder(path("\x95\x5C.dat")) || isRegularFile(path("sub")) || pathExists(path("missing")));
  EXPECT_FALSE(pathExists(path("b.txt") + std::string(1, '\0')));

  // Replacing keeps nothing of the old contents; failures change nothing and leave no temporary.
  ASSERT_TRUE(writeWholeFileAtomically(path("b.txt"), "new", 3));
  EXPECT_EQ(contents("b.txt"), "new");
  EXPECT_FALSE(writeWholeFileAtomically(path("sub"), "x", 1));
  EXPECT_FALSE(writeWholeFileAtomically(path("none\\b.txt"), "x", 1));
  EXPECT_FALSE(writeWholeFileAtomically(path("b.txt"), nullptr, 1));
  EXPECT_FALSE(writeWholeFileAtomically(dir_ + "\\", "x", 1));
  EXPECT_TRUE(isFolder(path("sub")));
  EXPECT_EQ(contents("b.txt"), "new");
  EXPECT_EQ(listFiles(dir_), (std::vector<std::string>{"b.txt", "empty", "\x95\x5C.dat"}));

  ReadOnlyFile file;
  ASSERT_TRUE(writeWholeFileAtomically(path("b.txt"), "0123456789", 10));
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
  EXPECT_EQ(contents("b.txt"), "0123456789");
  EXPECT_EQ(listFiles(dir_), (std::vector<std::string>{"b.txt", "empty", "\x95\x5C.dat"}));
  EXPECT_FALSE(file.isOpen() || file.read(buffer, 1) || file.open(path("sub")) || file.open(path("missing")));
  EXPECT_FALSE(file.open("NUL"));  // a device is no file
}

TEST(Win32Modules, FindsOnlyLoadedDllsByFileName) {
  const struct {
    const char* module;
    const char* symbol;
    bool found;
  } lookups[] = {
      {"KERNEL32.DLL", "GetTickCount", true},
      {"kernel32", "GetTickCount", true},  // the system adds ".dll"
      {"kernel32.dll", "NoSuchExport", false},
      {"FakeModule.dll", "CreateInterface", false},  // not loaded yet
      {nullptr, "GetTickCount", false},
      {"kernel32.dll", nullptr, false},
  };
  for (const auto& lookup : lookups) {
    EXPECT_EQ(findModuleSymbol(lookup.module, lookup.symbol) != nullptr, lookup.found)
        << (lookup.module ? lookup.module : "null") << " " << (lookup.symbol ? lookup.symbol : "null");
  }
  EXPECT_EQ(GetModuleHandleA("FakeModule.dll"), nullptr) << "the lookup must never load a module";

  HMODULE module = LoadLibraryA(TAMBLET_FAKE_MODULE_PATH);
  ASSERT_NE(module, nullptr);
  void* entry = findModuleSymbol("FakeModule.dll", "CreateInterface");
  EXPECT_EQ(entry, reinterpret_cast<void*>(GetProcAddress(module, "CreateInterface")));
  EXPECT_EQ(findModuleSymbol("FakeModule", "CreateInterface"), entry);
  ASSERT_TRUE(FreeLibrary(module));  // the lookups took no reference: this unloads it
  EXPECT_EQ(findModuleSymbol("FakeModule.dll", "CreateInterface"), nullptr);

  int target = 0;
  InProcessModuleResolver resolver;
  resolver.addSymbol("KOVLoader.dll", "CreateInterface", &target);
  setModuleResolver(&resolver);
  EXPECT_EQ(findModuleSymbol("KOVLoader.dll", "CreateInterface"), &target);
  EXPECT_EQ(findModuleSymbol("kernel32.dll", "GetTickCount"), nullptr);
  setModuleResolver(nullptr);
  EXPECT_EQ(resolver.lookups(), (std::vector<std::string>{"KOVLoader.dll", "kernel32.dll"}));
}

TEST(Win32Window, OwnerOfNoWindowIsNoProcess) {
  EXPECT_EQ(windowOwnerProcessId(nullptr), kNoProcess);
  EXPECT_EQ(windowOwnerProcessId(reinterpret_cast<void*>(static_cast<std::uintptr_t>(0x7FF0))), kNoProcess);
  // A console test program has no active window of its own.
  EXPECT_EQ(activeWindowOwnerProcessId(), kNoProcess);
}

TEST(Win32ProcessMemory, FiguresFollowTouchedMemory) {
  const std::uint64_t before = processWorkingSetBytes();
  EXPECT_GT(before, 0u);
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
