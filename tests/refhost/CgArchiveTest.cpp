#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <filesystem>
#include <string>
#include <vector>

#include "host/Modules.h"
#include "refhost/CgArchive.h"
#include "refhost/CgArchiveFormat.h"
#include "refhost/CgArchiveWriter.h"
#include "tests/refhost/HostFixture.h"
#include "tests/support/VTable.h"

namespace refhost::testing {
namespace {

using tamblet::testing::callSlot;

// Slots of IPackedArchive and of IKOVFile / IKOVFileManager, as the library calls them.
constexpr std::size_t kZepOpen = 2, kZepLoad = 4, kZepExists = 6, kZepIsRebuilt = 10;

class CgArchiveTest : public HostFixture {
 protected:
  void SetUp() override {
    HostFixture::SetUp();
    writeFile(folder_ / "CG00100.png", png_);
    writeFile(folder_ / "7.bmp", bmp_);
    writeFile(folder_ / "CG2147483647.jpg", jpg_);
    writeFile(folder_ / "notes.txt", textBytes("not a CG"));
    writeFile(folder_ / "cg00005.png", png_);                    // lower-case prefix: not a CG file
    writeFile(folder_ / "CG2147483648.png", png_);               // beyond the 32-bit range
    std::filesystem::create_directory(folder_ / "CG00009.png");  // a folder, not a file
  }

  std::string build() {
    std::vector<CgSourceFile> files;
    std::vector<std::string> ignored;
    std::string error;
    EXPECT_TRUE(collectCgFiles(folder_.str(), files, ignored, error)) << error;
    EXPECT_EQ(files.size(), 3u);
    EXPECT_EQ(ignored.size(), 4u);
    EXPECT_TRUE(writeCgArchive(files, out_ / "cg.zep", error)) << error;
    return out_ / "cg.zep";
  }

  static tamblet::IPackedArchive* newPacked() {
    return static_cast<tamblet::IPackedArchive*>(create(tamblet::kModuleZEPLoader, tamblet::kIID_IPackedArchive));
  }
  static bool open(void* archive, const std::string& path) { return callSlot<bool>(archive, kZepOpen, path.c_str()); }
  static bool has(void* archive, std::int32_t cg, std::size_t slot = kZepExists) {
    return callSlot<bool>(archive, slot, cg);
  }
  static bool rebuilt(void* archive) { return callSlot<bool>(archive, kZepIsRebuilt); }

  // The bytes of a CG as the library gets them, through the slot; empty when there are none.
  static Bytes load(void* archive, std::int32_t cg, std::size_t slot = kZepLoad) {
    auto* block = callSlot<tamblet::IMemory*>(archive, slot, cg);
    if (!block) return {};
    Bytes bytes(block->GetBuffer(), block->GetBuffer() + block->GetSize());
    EXPECT_EQ(block->Release(), 0);
    return bytes;
  }

  // Whether `path` opens as a fresh packed archive, which is released again.
  static bool opens(const std::string& path) {
    tamblet::IPackedArchive* archive = newPacked();
    const bool opened = open(archive, path);
    EXPECT_EQ(archive->Release(), 0);
    return opened;
  }

  TempFolder folder_, out_;
  const Bytes png_ = patternBytes(1000, 1), bmp_ = Bytes(5000, 0x42), jpg_ = {0xFF, 0xD8, 0xFF};
};

TEST(CgArchiveFormatTest, EntryNamesGiveTheirCgNumber) {
  EXPECT_EQ(cgNumberOfEntryName("100.png"), 100);
  EXPECT_EQ(cgNumberOfEntryName("00100.png"), 100);
  EXPECT_EQ(cgNumberOfEntryName("0.bmp"), 0);
  EXPECT_EQ(cgNumberOfEntryName("2147483647.tar.gz"), INT_MAX);
  for (const char* name : {"2147483648.png", "99999999999.png", "-5.png", "100", "100.", ".png", "1a.png",
                           "sub/100.png", "100.p/g", "index.txt", "", "CG100.png"})
    EXPECT_FALSE(cgNumberOfEntryName(name).has_value()) << name;
}

TEST_F(CgArchiveTest, PackedArchiveLoadsEveryPackedCgThroughItsSlots) {
  const std::string path = build();
  const Bytes index = readZipEntry(path, "index.txt").first;
  EXPECT_EQ(std::string(index.begin(), index.end()),
            "tamblet-cg-index 1\n7 7.bmp 5000\n100 100.png 1000\n2147483647 2147483647.jpg 3\n");
  EXPECT_EQ(readZipEntry(path, "100.png").second, ZIP_CM_STORE);
  EXPECT_EQ(readZipEntry(path, "7.bmp").second, ZIP_CM_DEFLATE);  // compresses well

  tamblet::IPackedArchive* archive = newPacked();
  tamblet::IPackedArchive* another = newPacked();
  ASSERT_NE(archive, nullptr);
  EXPECT_NE(archive, another);  // one fresh archive per request
  EXPECT_EQ(another->Release(), 0);
  EXPECT_FALSE(has(archive, 100));  // not opened yet
  EXPECT_EQ(load(archive, 100), Bytes{});
  EXPECT_FALSE(rebuilt(archive));

  ASSERT_TRUE(open(archive, path));
  EXPECT_TRUE(rebuilt(archive));
  EXPECT_EQ(load(archive, 100), png_);
  EXPECT_EQ(load(archive, 7), bmp_);
  EXPECT_EQ(load(archive, INT_MAX), jpg_);
  for (std::int32_t cg : {100, 7, INT_MAX}) EXPECT_TRUE(has(archive, cg)) << cg;
  for (std::int32_t cg : {0, 5, 9, 101, -1, -100, INT_MIN}) {
    EXPECT_FALSE(has(archive, cg)) << cg;
    EXPECT_EQ(callSlot<tamblet::IMemory*>(archive, kZepLoad, cg), nullptr) << cg;
  }
  for (std::size_t slot : {3, 5, 7, 8, 9}) callSlot<void>(archive, slot);  // harmless
  EXPECT_EQ(Ledger::liveObjects("MemoryBlock"), 0);

  // A second Open replaces the first; a failed one leaves the archive unopened.
  EXPECT_FALSE(open(archive, out_ / "missing.zep"));
  EXPECT_FALSE(has(archive, 100));
  EXPECT_FALSE(rebuilt(archive));
  std::string windowsStyle = path;
  std::replace(windowsStyle.begin(), windowsStyle.end(), '/', '\\');
  EXPECT_TRUE(open(archive, windowsStyle));
  EXPECT_TRUE(has(archive, 7));
  EXPECT_EQ(archive->Release(), 0);
}

TEST_F(CgArchiveTest, KovLoaderHandsOutTheConfiguredArchiveFileOnlyAsKindZero) {
  const std::string path = build();
  auto* manager =
      static_cast<tamblet::IKOVFileManager*>(create(tamblet::kModuleKOVLoader, tamblet::kIID_IKOVFileManager));
  EXPECT_EQ(manager->GetFile(0), nullptr);  // nothing configured
  host().setCgArchivePath(path);
  EXPECT_EQ(manager->GetFile(1), nullptr);
  tamblet::IKOVFile* file = manager->GetFile(0);
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(load(file, 100, /*IKOVFile::Load*/ 2), png_);
  EXPECT_FALSE(file->QueryEntry(100));
  EXPECT_EQ(file->GetEntryCount(), 0);
  const auto* record = static_cast<const std::int32_t*>(file->GetRecord(0));
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(record[0] | record[1], 0);
  EXPECT_STREQ(file->GetDataFileName(0), path.c_str());
  EXPECT_STREQ(file->GetLinkFileName(0), "index.txt");
  EXPECT_EQ(file->Release(), 0);
  EXPECT_EQ(manager->Release(), 1);  // the host keeps its own
}

TEST_F(CgArchiveTest, IndexIsCurrentOnlyUntilEntriesChange) {
  const std::string path = build();
  writeZip(path, {{"12.png", patternBytes(64, 2)}}, /*append=*/true);
  tamblet::IPackedArchive* archive = newPacked();
  ASSERT_TRUE(open(archive, path));
  EXPECT_FALSE(rebuilt(archive));
  EXPECT_EQ(load(archive, 12), patternBytes(64, 2));  // used all the same
  // Each archive is closed before its file is rewritten: Windows replaces no file that is open.
  EXPECT_EQ(archive->Release(), 0);

  std::size_t entries = 0;
  bool rewritten = false;
  std::string error;
  ASSERT_TRUE(reindexCgArchive(path, entries, rewritten, error)) << error;
  EXPECT_TRUE(rewritten);
  EXPECT_EQ(entries, 4u);
  archive = newPacked();
  ASSERT_TRUE(open(archive, path));
  EXPECT_TRUE(rebuilt(archive));
  EXPECT_EQ(archive->Release(), 0);
  ASSERT_TRUE(reindexCgArchive(path, entries, rewritten, error));
  EXPECT_FALSE(rewritten);  // already current: left alone

  // An index that names a missing entry, misstates a size, lacks its header or is absent is not
  // current; a deflated index that is right is.
  const std::string current = cgIndexText({{1, "1.png", 3}});
  const std::string stale = out_ / "stale.zep";
  for (const auto& [index, isCurrent] : {std::pair<std::string, bool>{current + "2 2.png 3\n", false},
                                         {"tamblet-cg-index 1\n1 1.png 4\n", false},
                                         {"1 1.png 3\n", false},
                                         {"", false},
                                         {current, true}}) {
    std::vector<ZipEntry> zipped = {{"1.png", {1, 2, 3}}};
    if (!index.empty()) zipped.push_back({"index.txt", textBytes(index), /*stored=*/false});
    writeZip(stale, zipped);
    archive = newPacked();
    ASSERT_TRUE(open(archive, stale));
    EXPECT_EQ(rebuilt(archive), isCurrent) << index;
    EXPECT_EQ(archive->Release(), 0);
  }
}

TEST_F(CgArchiveTest, UnusableFilesAndPathsAreRefusedCleanly) {
  std::filesystem::create_directory(out_ / "folder.zep");
  for (const std::string& path : {out_ / "missing.zep", out_.str(), out_ / "folder.zep", std::string()})
    EXPECT_FALSE(opens(path)) << path;
  tamblet::IPackedArchive* archive = newPacked();
  EXPECT_FALSE(callSlot<bool>(archive, kZepOpen, static_cast<const char*>(nullptr)));
  EXPECT_EQ(archive->Release(), 0);

  const Bytes whole = readFile(build());
  Bytes broken = whole;  // the end-of-directory record claims a directory beyond the file
  putWord(broken, zipRecords(broken, 5).back() + 16, 0x7FFFFFF0u);
  for (const Bytes& bytes :
       {Bytes{}, patternBytes(4096, 3),
        Bytes(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(whole.size() / 2)), broken}) {
    writeFile(out_ / "bad.zep", bytes);
    EXPECT_FALSE(opens(out_ / "bad.zep")) << bytes.size() << " bytes";
  }

  // Two entries for one CG: the archive is refused, by both modules.
  writeZip(out_ / "twice.zep", {{"5.png", {1}}, {"0005.bmp", {2}}});
  EXPECT_FALSE(opens(out_ / "twice.zep"));
  host().setCgArchivePath(out_ / "twice.zep");
  auto* manager =
      static_cast<tamblet::IKOVFileManager*>(create(tamblet::kModuleKOVLoader, tamblet::kIID_IKOVFileManager));
  EXPECT_EQ(manager->GetFile(0), nullptr);
  EXPECT_EQ(manager->Release(), 1);
  std::string why;
  EXPECT_EQ(CgArchive::openFile(out_ / "twice.zep", &why), nullptr);
  EXPECT_EQ(why, "CG 5 is stored twice: 5.png and 0005.bmp");
}

TEST_F(CgArchiveTest, DamagedEntriesGiveNullWithoutReadingPastTheFile) {
  writeZip(out_ / "good.zep", {{"1.png", patternBytes(300, 4)},
                               {"2.png", patternBytes(300, 5)},
                               {"3.bmp", Bytes(300, 7), false},
                               {"4.png", patternBytes(300, 6)},
                               {"5.png", patternBytes(300, 7)}});
  Bytes bytes = readFile(out_ / "good.zep");
  const std::vector<std::size_t> records = zipRecords(bytes, 1);
  ASSERT_EQ(records.size(), 5u);
  bytes[records[0] - 100] ^= 0x55;               // the data of 5.png (last before the directory)
  putWord(bytes, records[0] + 42, 0x7FFFFFF0u);  // 1.png: local header far beyond the file
  // 2.png: stored, both sizes running past the end of the file but within the entry size limit.
  putWord(bytes, records[1] + 20, static_cast<std::uint32_t>(bytes.size() + 1000));
  putWord(bytes, records[1] + 24, static_cast<std::uint32_t>(bytes.size() + 1000));
  putWord(bytes, records[2] + 24, 0xFFFFFFF0u);  // 3.bmp: declares nearly 4 GiB of pixels
  writeFile(out_ / "damaged.zep", bytes);

  tamblet::IPackedArchive* archive = newPacked();
  ASSERT_TRUE(open(archive, out_ / "damaged.zep"));
  EXPECT_EQ(callSlot<tamblet::IMemory*>(archive, kZepLoad, 1), nullptr);
  EXPECT_FALSE(has(archive, 2));  // unusable entries are as if absent
  EXPECT_FALSE(has(archive, 3));
  EXPECT_EQ(load(archive, 4), patternBytes(300, 6));
  EXPECT_TRUE(has(archive, 5));
  EXPECT_EQ(callSlot<tamblet::IMemory*>(archive, kZepLoad, 5), nullptr);  // checksum fails
  EXPECT_FALSE(rebuilt(archive));
  EXPECT_EQ(archive->Release(), 0);
  EXPECT_EQ(Ledger::liveObjects("MemoryBlock"), 0);
}

// Leaves archives like those of these tests as seeds for the archive fuzzer.
TEST_F(CgArchiveTest, WritesFuzzSeeds) {
#ifdef TAMBLET_ARCHIVE_SEED_DIR
  const std::string seeds = TAMBLET_ARCHIVE_SEED_DIR;
  std::filesystem::create_directories(seeds);
  std::filesystem::copy_file(build(), seeds + "/built.zep", std::filesystem::copy_options::overwrite_existing);
  writeZip(seeds + "/deflated.zep",
           {{"3.bmp", Bytes(300, 7), false}, {"index.txt", textBytes(cgIndexText({{3, "3.bmp", 300}}))}});
  writeZip(seeds + "/twice.zep", {{"5.png", {1}}, {"0005.bmp", {2}}});
#else
  GTEST_SKIP() << "no seed folder configured";
#endif
}

}  // namespace
}  // namespace refhost::testing
