// The CG sources over the reference decoder, loose files in a temporary game folder and two
// small in-memory archives: the lookup order (cache, loose, packed, archive), loose-file naming,
// case sensitivity and alpha images, existence and format questions, and reference counts.
#include <gtest/gtest.h>

#include <cstring>
#include <map>

#include "host/Ref.h"
#include "image/CGSources.h"
#include "image/CMemory.h"
#include "refhost/ImageDecoder.h"
#include "refhost/Ledger.h"
#include "refhost/SurfaceFactory.h"
#include "tests/image/CgTestFiles.h"

namespace tamblet {
namespace {

using testing::Bytes;

// The part both fake archives share: CG bytes by number, handed out in library blocks.
struct ArchiveContents {
  std::map<std::int32_t, Bytes> cgs;
  int loads = 0;

  IMemory* load(std::int32_t cg) {
    ++loads;
    const auto found = cgs.find(cg);
    if (found == cgs.end()) return nullptr;
    CMemory* block = CMemory::create();
    block->Alloc(static_cast<std::uint32_t>(found->second.size()));
    if (!found->second.empty()) std::memcpy(block->GetBuffer(), found->second.data(), found->second.size());
    return block;
  }
};

class FakePackedArchive final : public IPackedArchive {
 public:
  explicit FakePackedArchive(int* released) : released_(released) {}
  std::int32_t AddRef() override { return ++count_; }
  std::int32_t Release() override {
    if (--count_ > 0) return count_;
    ++*released_;
    delete this;
    return 0;
  }
  bool Open(const char*) override { return true; }
  IMemory* Load(std::int32_t cg) override { return contents.load(cg); }
  bool Exists(std::int32_t cg) override { return contents.cgs.contains(cg); }
  bool IsRebuilt() override { return true; }
  // clang-format off
  void UnusedSlot3() override {} void UnusedSlot5() override {} void UnusedSlot7() override {}
  void UnusedSlot8() override {} void UnusedSlot9() override {}
  // clang-format on
  ArchiveContents contents;

 private:
  ~FakePackedArchive() = default;
  std::int32_t count_ = 1;
  int* released_;
};

// Lives in the test.
class FakeArchiveFile final : public IKOVFile {
 public:
  std::int32_t AddRef() override { return 2; }
  std::int32_t Release() override { return 1; }
  IMemory* Load(std::int32_t cg) override { return contents.load(cg); }
  bool Exists(std::int32_t cg) override { return contents.cgs.contains(cg); }
  bool QueryEntry(std::int32_t) override { return false; }
  std::int32_t GetEntryCount() override { return 0; }
  void* GetRecord(std::int32_t) override { return nullptr; }
  const char* GetDataFileName(std::int32_t) override { return ""; }
  const char* GetLinkFileName(std::int32_t) override { return ""; }
  ArchiveContents contents;
};

class CgSourcesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    liveBefore_ = refhost::Ledger::liveObjects();
    factory_ = Ref<refhost::SurfaceFactory>::adopt(new refhost::SurfaceFactory());
    decoder_ = Ref<refhost::ImageDecoder>::adopt(new refhost::ImageDecoder(*factory_));
    newCache();
  }
  void newCache() { cache_ = Ref<CCGCache>::adopt(CCGCache::create(factory_.get(), nullptr, 64u << 20)); }
  void TearDown() override {
    sources_.forgetServices();
    sources_.releasePackedArchive();
    cache_.reset();
    decoder_.reset();
    factory_.reset();
    EXPECT_EQ(refhost::Ledger::liveObjects(), liveBefore_);
  }

  void setUp(bool debugMode) {
    sources_.setUp({cache_.get(), &archiveFile_, decoder_.get(), factory_.get()}, debugMode);
  }
  FakePackedArchive* addPackedArchive() {
    auto* packed = new FakePackedArchive(&packedReleased_);
    sources_.setPackedArchive(Ref<IPackedArchive>::adopt(packed));
    return packed;
  }
  Bytes png(int width, int height, int seed, bool alpha = false) {
    return testing::pngFile(*factory_, width, height, seed, alpha);
  }
  // The surface for `cg` (the test's reference adopted).
  Ref<ISurface> lookUp(std::int32_t cg) { return Ref<ISurface>::adopt(sources_.getCGSurface(cg)); }
  static std::uint32_t expected(int x, int y, int seed, std::uint8_t alpha = 255) {
    return testing::testPixel(x, y, seed, alpha);
  }
  static std::uint32_t pixel(const Ref<ISurface>& surface, int x, int y) {
    return testing::pixelAt(surface.get(), x, y);
  }

  testing::GameFolder folder_;
  Ref<refhost::SurfaceFactory> factory_;
  Ref<refhost::ImageDecoder> decoder_;
  Ref<CCGCache> cache_;
  FakeArchiveFile archiveFile_;
  CGSources sources_;
  int packedReleased_ = 0;

 private:
  std::int64_t liveBefore_ = 0;
};

TEST_F(CgSourcesTest, LooseFilesArePickedByExactNameInExtensionOrderAndOnlyInDebugMode) {
  folder_.write("CG/CG00012.bmp", testing::bmpFile(4, 3, 1, 255));
  folder_.write("CG/CG00012.png", png(4, 3, 2));
  folder_.write("CG/cg00013.bmp", testing::bmpFile(4, 3, 3, 255));
  folder_.write("CG/CG100000.jpg", Bytes{1, 2, 3});  // listed, but not decodable
  folder_.write("CG/CG100001.png", png(2, 2, 4));
  folder_.write("CG/CG00014.png/keep", Bytes{1});  // a folder with a CG's name is not a file
  archiveFile_.contents.cgs[12] = png(4, 3, 9);

  setUp(false);
  EXPECT_FALSE(sources_.looseCGExists(12));
  EXPECT_EQ(pixel(lookUp(12), 1, 1), expected(1, 1, 9));

  newCache();
  setUp(true);
  EXPECT_TRUE(sources_.looseCGExists(12));
  EXPECT_FALSE(sources_.looseCGExists(13));  // lower-case name
  EXPECT_FALSE(sources_.looseCGExists(14));
  EXPECT_TRUE(sources_.looseCGExists(100000));
  Ref<ISurface> loose = lookUp(12);
  ASSERT_TRUE(loose);
  EXPECT_EQ(pixel(loose, 3, 2), expected(3, 2, 1));  // the .bmp wins over the .png
  EXPECT_EQ(lookUp(100000).get(), nullptr);
  EXPECT_EQ(pixel(lookUp(100001), 1, 0), expected(1, 0, 4));

  // Served from the cache afterwards, even with the file gone; new files are never seen.
  folder_.remove("CG/CG00012.bmp");
  folder_.write("CG/CG00015.bmp", testing::bmpFile(2, 2, 5, 255));
  EXPECT_EQ(lookUp(12).get(), loose.get());
  EXPECT_FALSE(sources_.looseCGExists(15));
  EXPECT_EQ(cache_->statistics().hits, 1u);
}

TEST_F(CgSourcesTest, AlphaImagesAreMergedIntoByteThreeAndAMismatchFallsThroughToTheArchives) {
  folder_.write("CG/CG00020.png", png(5, 4, 6));
  folder_.write("CG/SP/CG00020.bmp", testing::bmpFile(5, 4, 7, 128));
  folder_.write("CG/CG00021.png", png(5, 4, 6));
  folder_.write("CG/SP/CG00021.bmp", testing::bmpFile(5, 3, 7, 128));  // one row short
  folder_.write("CG/CG00022.png", png(5, 4, 6));
  folder_.write("CG/SP/CG00022.bmp", testing::bmpFile(5, 4, 7, 0));  // no alpha: pixel-only
  folder_.write("CG/CG00023.png", png(5, 4, 6));
  folder_.write("CG/SP/CG00023.bmp", Bytes{'B', 'M', 0});  // undecodable
  archiveFile_.contents.cgs[21] = png(2, 2, 8);
  setUp(true);

  Ref<ISurface> merged = lookUp(20);
  ASSERT_TRUE(merged);
  EXPECT_TRUE(merged->HasPixel() && merged->HasAMap());
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 5; ++x) ASSERT_EQ(pixel(merged, x, y), expected(x, y, 6, 128));

  Ref<ISurface> fallback = lookUp(21);
  ASSERT_TRUE(fallback && fallback->GetWidth() == 2);
  EXPECT_EQ(pixel(fallback, 1, 1), expected(1, 1, 8));
  EXPECT_EQ(lookUp(22).get(), nullptr);
  EXPECT_EQ(lookUp(23).get(), nullptr);
  EXPECT_TRUE(sources_.looseCGExists(22));  // existence does not consult the alpha image
}

TEST_F(CgSourcesTest, ThePackedArchiveComesBeforeTheArchiveFileAndFailuresAreNotRemembered) {
  setUp(false);
  FakePackedArchive* packed = addPackedArchive();
  packed->contents.cgs[30] = png(3, 3, 10);
  archiveFile_.contents.cgs[30] = png(3, 3, 11);
  archiveFile_.contents.cgs[31] = png(3, 3, 12);
  archiveFile_.contents.cgs[32] = Bytes{0x89, 'P', 'N', 'G', 1, 2};  // truncated
  archiveFile_.contents.cgs[33] = Bytes{};                           // empty entry

  EXPECT_EQ(pixel(lookUp(30), 2, 2), expected(2, 2, 10));
  EXPECT_EQ(pixel(lookUp(31), 2, 2), expected(2, 2, 12));
  EXPECT_EQ(archiveFile_.contents.loads, 1);  // CG 30 never asked of the archive file
  const int before = archiveFile_.contents.loads;
  EXPECT_EQ(lookUp(32).get(), nullptr);
  EXPECT_EQ(lookUp(32).get(), nullptr);
  EXPECT_EQ(archiveFile_.contents.loads, before + 2);
  EXPECT_EQ(lookUp(33).get(), nullptr);
  EXPECT_EQ(lookUp(34).get(), nullptr);
  EXPECT_EQ(cache_->statistics().entries, 2u);

  // A new packed archive releases the one held before.
  addPackedArchive();
  EXPECT_EQ(packedReleased_, 1);
  sources_.releasePackedArchive();
  EXPECT_EQ(packedReleased_, 2);
}

TEST_F(CgSourcesTest, FilesDecodeByPathWithoutTouchingTheCache) {
  setUp(false);
  folder_.write("pictures/one.png", png(6, 2, 13, true));
  folder_.write("pictures/empty.png", Bytes{});
  Ref<ISurface> surface = Ref<ISurface>::adopt(sources_.loadSurfaceFromFile("pictures\\one.png"));
  ASSERT_TRUE(surface);
  EXPECT_TRUE(surface->HasAMap());
  EXPECT_EQ(pixel(surface, 5, 1), expected(5, 1, 13));
  EXPECT_EQ(sources_.loadSurfaceFromFile("pictures\\missing.png"), nullptr);
  EXPECT_EQ(sources_.loadSurfaceFromFile("pictures\\empty.png"), nullptr);
  EXPECT_EQ(sources_.loadSurfaceFromFile("pictures"), nullptr);
  EXPECT_EQ(cache_->statistics().entries, 0u);
}

}  // namespace
}  // namespace tamblet
