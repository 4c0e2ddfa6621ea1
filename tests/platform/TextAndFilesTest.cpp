// Shift-JIS conversions and the file services, checked byte for byte on real files in a scratch folder.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/Files.h"
#include "platform/TextEncoding.h"

namespace tamblet::platform {
namespace {

TEST(TextEncoding, ConvertsCp932ExactlyAndKeepsBytesThatDoNotConvert) {
  const std::pair<std::string, std::string> both[] = {
      {"\x81\xAC" "ERROR\x81\xAC", "\xE3\x80\x93" "ERROR\xE3\x80\x93"},  // 〓ERROR〓
      {"\x81\xA9", "\xE2\x86\x90"},                                      // ←
      {"\x81\x7C", "\xEF\xBC\x8D"},                                      // － U+FF0D
      {"\x95\x5C", "\xE8\xA1\xA8"},                                      // 表: trail byte 0x5C
      {"\xB1", "\xEF\xBD\xB1"},                                          // half-width ｱ
      {"CG\\SP\\~ok", "CG\\SP\\~ok"},
      {std::string("a\0b", 3), std::string("a\0b", 3)},
      {"", ""},
  };
  for (const auto& [sjis, utf8] : both) {
    EXPECT_EQ(sjisToUtf8(sjis), utf8);
    EXPECT_EQ(utf8ToSjis(utf8), sjis);
  }
  EXPECT_EQ(sjisToUtf8("A\x81 B"), "A\x81 B");                        // lead byte with an invalid trail
  EXPECT_EQ(sjisToUtf8("A\x82"), "A\x82");                            // cut short at the end
  EXPECT_EQ(sjisToUtf8("\xFF\x82\xA0"), "\xFF\xE3\x81\x82");          // conversion resumes after the byte
  EXPECT_EQ(utf8ToSjis("\xC3\xA9\xE3\x81\x82"), "\xC3\xA9\x82\xA0");  // é has no CP932 form
  EXPECT_EQ(utf8ToSjis("\xF0\x9F\x98\x80!"), "\xF0\x9F\x98\x80!");
  EXPECT_EQ(utf8ToSjis("a\xE3\x81"), "a\xE3\x81");
  EXPECT_EQ(utf8ToSjis(sjisToUtf8("\xFD\x81\x20\x82\xA0")), "\xFD\x81\x20\x82\xA0");

  // System paths turn separators but not trail bytes; half-width ﾟ is one byte, so its '\' separates.
  EXPECT_EQ(toSystemPath("CG\\SP\\CG00001.bmp"), "CG/SP/CG00001.bmp");
  EXPECT_EQ(toSystemPath("\x95\x5C\\a"), "\xE8\xA1\xA8/a");
  EXPECT_EQ(toSystemPath("a\\\x95\x5C"), "a/\xE8\xA1\xA8");
  EXPECT_EQ(toSystemPath("\xDF\\x"), "\xEF\xBE\x9F/x");
  EXPECT_EQ(toSystemPath("a\\\x95"), "a/\x95");
}

class FilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/tamblet-files-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  // A name inside the scratch folder written the way scripts write it, with a backslash.
  std::string path(const std::string& name) const { return dir_ + "\\" + name; }
  void put(const std::string& name, const std::string& bytes) const {
    ASSERT_TRUE(std::ofstream(dir_ + "/" + name, std::ios::binary) << bytes);
  }
  std::string contents(const std::string& name) const {
    auto bytes = readWholeFile(path(name));
    return bytes ? std::string(bytes->begin(), bytes->end()) : std::string("<unreadable>");
  }

  std::string dir_;
};

TEST_F(FilesTest, ReadsExactlyAndSeeksWithinTheSize) {
  put("data.bin", "0123456789");
  ReadOnlyFile file;
  ASSERT_TRUE(file.open(path("data.bin")));
  EXPECT_EQ(file.size(), 10u);
  char buffer[8] = {};
  ASSERT_TRUE(file.read(buffer, 4));
  EXPECT_EQ(std::string(buffer, 4), "0123");
  EXPECT_TRUE(file.read(buffer, 0));
  EXPECT_FALSE(file.seek(10));
  EXPECT_TRUE(file.seek(8));
  ASSERT_TRUE(file.read(buffer, 2));
  EXPECT_EQ(std::string(buffer, 2), "89");
  EXPECT_TRUE(file.seek(8));
  EXPECT_FALSE(file.read(buffer, 3));  // only two bytes remain: a short read fails
  EXPECT_FALSE(file.read(nullptr, 1));
  file.close();
  EXPECT_FALSE(file.read(buffer, 1) || file.seek(0) || file.isOpen());

  EXPECT_FALSE(file.open(path("missing.bin")));
  EXPECT_FALSE(file.open(dir_));                                      // a folder is not a file
  EXPECT_FALSE(file.open(path("data.bin") + std::string("\0x", 2)));  // a NUL would cut the path short
  EXPECT_EQ(file.size(), 0u);

  put("empty.bin", "");
  put("text.txt", std::string("a\0b\xFF", 4));
  EXPECT_EQ(contents("empty.bin"), "");
  EXPECT_EQ(contents("text.txt"), std::string("a\0b\xFF", 4));
  EXPECT_FALSE(readWholeFile(path("missing.bin")).has_value());
  EXPECT_FALSE(readWholeFile(dir_).has_value());
}

TEST_F(FilesTest, AtomicWriteReplacesTheTargetOnlyAfterACompleteWrite) {
  put("save.dat", "old");
  ASSERT_EQ(chmod((dir_ + "/save.dat").c_str(), 0640), 0);
  ASSERT_TRUE(writeWholeFileAtomically(path("save.dat"), "new data", 8));
  EXPECT_EQ(contents("save.dat"), "new data");
  struct stat status;
  ASSERT_EQ(stat((dir_ + "/save.dat").c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 07777, 0640u);  // permissions of the replaced file kept
  ASSERT_TRUE(writeWholeFileAtomically(path("\x95\x5C.dat"), nullptr, 0));
  EXPECT_TRUE(std::filesystem::is_regular_file(dir_ + "/\xE8\xA1\xA8.dat"));

  // Failures: the target is a folder, the folder is missing, no data.
  std::filesystem::create_directory(dir_ + "/folder");
  EXPECT_FALSE(writeWholeFileAtomically(path("folder"), "x", 1));
  EXPECT_TRUE(std::filesystem::is_directory(dir_ + "/folder"));
  EXPECT_FALSE(writeWholeFileAtomically(path("none\\save.dat"), "x", 1));
  EXPECT_FALSE(writeWholeFileAtomically(path("save.dat"), nullptr, 1));

  // A write that fails half-way (the file size limit is hit) leaves the old file as it was.
  put("save.dat", "old");
  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  rlimit small = saved;
  small.rlim_cur = 4096;
  auto previousHandler = signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  std::vector<char> big(65536, 'n');
  const bool written = writeWholeFileAtomically(path("save.dat"), big.data(), big.size());
  setrlimit(RLIMIT_FSIZE, &saved);
  signal(SIGXFSZ, previousHandler);
  EXPECT_FALSE(written);
  EXPECT_EQ(contents("save.dat"), "old");

  // No temporary file is left behind by any of the above.
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir_)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"folder", "save.dat", "\xE8\xA1\xA8.dat"}));
}

TEST_F(FilesTest, ListsFilesButNotFolders) {
  put("b.txt", "b");
  put("\xE8\xA1\xA8.bin", "");  // 表.bin on disk
  std::filesystem::create_directory(dir_ + "/sub");
  std::filesystem::create_directory_symlink(dir_ + "/sub", dir_ + "/link-to-sub");
  std::filesystem::create_symlink(dir_ + "/nowhere", dir_ + "/dangling");
  std::filesystem::create_symlink(dir_ + "/b.txt", dir_ + "/a-link");
  EXPECT_EQ(listFiles(dir_), (std::vector<std::string>{"a-link", "b.txt", "\x95\x5C.bin"}));
  EXPECT_TRUE(listFiles(path("sub")).empty());
  EXPECT_TRUE(listFiles(path("missing")).empty());

  EXPECT_TRUE(isRegularFile(path("\x95\x5C.bin")) && pathExists(path("sub")) && isFolder(path("sub")));
  EXPECT_FALSE(isRegularFile(path("sub")) || isFolder(path("b.txt")) || pathExists(path("dangling")));
  EXPECT_FALSE(pathExists(path("b.txt") + std::string(1, '\0')));
}

}  // namespace
}  // namespace tamblet::platform
