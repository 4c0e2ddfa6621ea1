// The CG cache over reference-host surfaces: use order and eviction under budgets, the byte
// arithmetic of entries, the duplicate-registration message, statistics, slot positions and
// reference counts returning to where they started; and the stand-in CG archive file's slots.
#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "report/FixedTexts.h"
#include "host/Ref.h"
#include "image/CCGCache.h"
#include "image/CKOVFileDummy.h"
#include "refhost/Ledger.h"
#include "refhost/SurfaceFactory.h"
#include "tests/engine/EngineFixture.h"
#include "tests/support/VTable.h"

namespace tamblet {
namespace {

using testing::callSlot;
using Order = std::vector<std::int32_t>;

class CgCache : public ::testing::Test {
 protected:
  void TearDown() override {
    surfaces_.clear();
    factory_.reset();
    EXPECT_EQ(refhost::Ledger::liveObjects(), liveBefore_);
  }

  // A 32-bit surface with pixels only (no separate alpha plane), kept by the test.
  ISurface* surface(int width, int height) {
    return surfaces_.emplace_back(Ref<ISurface>::adopt(factory_->CreatePixelOnly(width, height, 32))).get();
  }
  static std::int32_t references(ISurface* surface) {
    surface->AddRef();
    return surface->Release();
  }
  static Ref<CCGCache> cache(std::uint32_t budget) {
    return Ref<CCGCache>::adopt(CCGCache::create(nullptr, nullptr, budget));
  }

  std::int64_t liveBefore_ = refhost::Ledger::liveObjects();  // set before the factory below
  Ref<refhost::SurfaceFactory> factory_ = Ref<refhost::SurfaceFactory>::adopt(new refhost::SurfaceFactory());
  std::vector<Ref<ISurface>> surfaces_;
};

TEST_F(CgCache, BudgetsEvictButKeepTheNewestAndEntrySizesFollowThePitch) {
  Ref<CCGCache> none = cache(0);
  ISurface* a = surface(4, 4);
  ISurface* b = surface(4, 4);
  none->Register(1, a);
  EXPECT_EQ(none->order(), Order{1});  // the newest is never evicted
  EXPECT_EQ(references(a), 2);
  none->Register(2, b);
  EXPECT_EQ(none->order(), Order{2});
  EXPECT_EQ(references(a), 1);  // the cache's reference was dropped; the test's stays
  EXPECT_EQ(none->Find(1), nullptr);
  const CCGCache::Statistics figures = none->statistics();
  EXPECT_EQ(std::tie(figures.entries, figures.evictions, figures.misses), std::make_tuple(1u, 1u, 1u));
  EXPECT_EQ(figures.usedBytes, CCGCache::entrySize(b));

  // 800 × 600 at 32 bits is 1,920,000 bytes: two fit in 4 MiB, one in 3 MiB.
  ISurface* screens[3] = {surface(800, 600), surface(800, 600), surface(800, 600)};
  EXPECT_EQ(CCGCache::entrySize(screens[0]), 1920000u);
  Ref<CCGCache> four = cache(4u << 20), three = cache(3u << 20);
  for (int i = 0; i < 3; ++i) four->Register(i + 1, screens[i]);
  EXPECT_EQ(four->order(), (Order{3, 2}));
  EXPECT_EQ(four->statistics().usedBytes, 3840000u);
  three->Register(1, screens[0]);
  three->Register(2, screens[1]);
  EXPECT_EQ(three->order(), Order{2});

  // An alpha-only surface counts its alpha pitch.
  ISurface* alphaOnly = surfaces_.emplace_back(Ref<ISurface>::adopt(factory_->CreateAMapOnly(10, 3))).get();
  EXPECT_EQ(CCGCache::entrySize(alphaOnly), 3u * static_cast<std::uint32_t>(alphaOnly->GetAMapPitch()));
}

TEST_F(CgCache, AHitMovesToTheFrontSoTheNextEvictionTakesTheLeastRecent) {
  ISurface* s[5] = {nullptr, surface(10, 10), surface(10, 10), surface(10, 10), surface(10, 10)};
  Ref<CCGCache> cg = cache(3 * CCGCache::entrySize(s[1]));
  for (int i = 1; i <= 3; ++i) cg->Register(i, s[i]);
  ISurface* found = cg->Find(1);
  EXPECT_EQ(found, s[1]);
  EXPECT_EQ(references(s[1]), 3);  // test, cache, and the reference Find handed out
  found->Release();
  EXPECT_EQ(cg->order(), (Order{1, 3, 2}));

  cg->Register(4, s[4]);
  EXPECT_EQ(cg->order(), (Order{4, 1, 3}));
  EXPECT_EQ(references(s[2]), 1);
  EXPECT_EQ(cg->statistics().hits, 1u);
  cg->Find(4)->Release();  // finding the front entry keeps the order
  EXPECT_EQ(cg->order(), (Order{4, 1, 3}));
}

TEST_F(CgCache, ADuplicateNumberShowsTheMessageAndChangesNothing) {
  testing::CapturingMessageSink sink;
  Ref<CCGCache> cg = cache(1u << 20);
  ISurface* first = surface(2, 2);
  ISurface* other = surface(3, 3);
  cg->Register(7, first);
  cg->Register(8, surface(2, 2));
  cg->Register(7, other);
  ASSERT_EQ(sink.boxes.size(), 1u);
  EXPECT_EQ(sink.boxes[0].text, fixedText(FixedText::kCgCacheAlreadyRegistered));
  EXPECT_EQ(sink.boxes[0].caption, fixedText(FixedText::kMessageBoxCaption));
  EXPECT_EQ(cg->order(), (Order{8, 7}));
  EXPECT_EQ(references(other), 1);
  ISurface* found = cg->Find(7);
  EXPECT_EQ(found, first);
  found->Release();
  EXPECT_EQ(cg->statistics().usedBytes, 2u * CCGCache::entrySize(first));
  cg->Register(3, nullptr);  // a null surface is never stored
  EXPECT_EQ(cg->statistics().entries, 2u);
}

TEST_F(CgCache, CountsThroughSlotsAndReleasesEverySurfaceWhenDestroyed) {
  ISurface* a = surface(2, 2);
  CCGCache* cg = CCGCache::create(nullptr, nullptr, 1u << 20);
  cg->Register(1, a);
  EXPECT_EQ(callSlot<std::int32_t>(static_cast<IInterface*>(cg), 0), 2);
  EXPECT_EQ(callSlot<std::int32_t>(static_cast<IInterface*>(cg), 1), 1);
  EXPECT_EQ(references(a), 2);
  EXPECT_EQ(callSlot<std::int32_t>(static_cast<IInterface*>(cg), 1), 0);
  EXPECT_EQ(references(a), 1);
}

TEST(CgArchiveStandIn, AnswersEveryLookupWithFailureAndCarriesItsNames) {
  CKOVFileDummy* dummy = CKOVFileDummy::create(fixedText(FixedText::kDummyArchiveName));
  ASSERT_NE(dummy, nullptr);
  void* object = static_cast<IKOVFile*>(dummy);
  EXPECT_EQ(callSlot<std::int32_t>(object, 0), 2);
  EXPECT_EQ(callSlot<std::int32_t>(object, 1), 1);
  EXPECT_EQ(callSlot<IMemory*>(object, 2, std::int32_t{12}), nullptr);
  EXPECT_FALSE(callSlot<bool>(object, 3, std::int32_t{12}));
  EXPECT_FALSE(callSlot<bool>(object, 4, std::int32_t{0}));
  EXPECT_EQ(callSlot<std::int32_t>(object, 5), 0);
  const auto* record = callSlot<const std::int32_t*>(object, 6, std::int32_t{0});
  EXPECT_EQ(record[0] | record[1], 0);
  EXPECT_STREQ(callSlot<const char*>(object, 7, std::int32_t{0}), "dummy_cg.dat");
  EXPECT_STREQ(callSlot<const char*>(object, 8, std::int32_t{0}), "dummy_cg.kov");
  EXPECT_EQ(callSlot<std::int32_t>(object, 1), 0);
}

}  // namespace
}  // namespace tamblet
