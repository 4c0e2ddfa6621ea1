// Dirty regions against the whole redraw, byte for byte. An engine with TAMBLET_DIRTY_REGIONS=1 presents each
// frame; beside it a reference surface gets a whole pass of the same live table (from the same bytes: the clearing
// fill keeps each pixel's alpha). Seeded random scenes go through hundreds of random changes (every property the
// compositor reads, each writer of surfaces in place, sprites created and deleted, host reports, transitions) on
// every kernel path, and a table makes the changes random runs seldom reach and the bad input. Every frame must
// equal the reference, and every pixel that changed must lie in a rectangle handed to the host (the table also
// pins how much is handed over).
#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <cmath>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "compose/SceneCompositor.h"
#include "compose/kernels/BlendKernels.h"
#include "engine/Exports.h"
#include "tests/engine/EngineFixture.h"
#include "tests/support/Portable.h"

namespace tamblet {
namespace {

namespace kernels = tamblet::kernels;

std::vector<std::uint8_t> bytesOf(ISurface* surface) {
  std::vector<std::uint8_t> bytes;
  for (std::int32_t y = 0; y < surface->GetHeight(); ++y) {
    const std::uint8_t* row = surface->GetPixelAddress(0, y);
    bytes.insert(bytes.end(), row, row + 4 * surface->GetWidth());
  }
  return bytes;
}

// Random pixels into a random part of a surface; alpha transparent, opaque or soft.
void paint(ISurface* surface, std::mt19937& random) {
  if (!surface || !surface->HasPixel() || surface->GetBpp() != 32 || surface->GetWidth() < 1) return;
  const int width = surface->GetWidth(), height = surface->GetHeight();
  const int x0 = static_cast<int>(random() % width), y0 = static_cast<int>(random() % height);
  const int x1 = x0 + 1 + static_cast<int>(random() % (width - x0));
  const int y1 = y0 + 1 + static_cast<int>(random() % (height - y0));
  for (int y = y0; y < y1; ++y) {
    for (int x = x0; x < x1; ++x) {
      const std::uint32_t kind = random() % 3, alpha = kind == 0 ? 0 : kind == 1 ? 255 : random() & 255;
      const std::uint32_t pixel = alpha << 24 | (static_cast<std::uint32_t>(random()) & 0xFFFFFF);
      std::memcpy(surface->GetPixelAddress(x, y), &pixel, 4);
    }
  }
}

CAddInvalidateRect& sink() { return *CVELM::instance().objects.dirtyRectangleSink; }

// A 160 × 120 screen with dirty regions on, and the reference beside it.
class DirtyFrames : public testing::EngineFixture {
 protected:
  void SetUp() override {
    screenWidth = 160, screenHeight = 120;
    testing::setEnvironment("TAMBLET_DIRTY_REGIONS", "1");
    EngineFixture::SetUp();
    testing::setEnvironment("TAMBLET_DIRTY_REGIONS", nullptr);
    ASSERT_TRUE(core().view.dirtyRegionsOn());
    reference_ = Ref<ISurface>::adopt(host().surfaceFactory().Create(screenWidth, screenHeight, 32));
    referenceCompositor_.setUp(&host().raster(), nullptr);
    syncReference();
    pathBefore_ = kernels::activeKernelPath();
  }
  void TearDown() override {
    kernels::forceKernelPath(pathBefore_);
    reference_.reset();
    EngineFixture::TearDown();
  }

  // The reference takes the screen's bytes (a transition or the host drew the screen, in both worlds).
  void syncReference() {
    for (std::int32_t y = 0; y < screenHeight; ++y) {
      std::memcpy(reference_->GetPixelAddress(0, y), host().mainSurface().GetPixelAddress(0, y), 4 * screenWidth);
    }
  }

  // One checked Update; answers the area blitted.
  std::int64_t frame(const std::string& when) {
    const std::vector<std::uint8_t> before = bytesOf(&host().mainSurface());
    host().mainSurface().clearBlits();
    EXPECT_EQ(Update(), 1) << when;
    const SpriteTableBlock& sprites = core().sprites;
    referenceCompositor_.compose(sprites.liveTable, reference_.get(), sprites.liveTable,
                                 {sprites.viewOffsetX, sprites.viewOffsetY}, nullptr);
    const std::vector<std::uint8_t> after = bytesOf(&host().mainSurface()), expected = bytesOf(reference_.get());
    const auto& blits = host().mainSurface().blits();
    std::int64_t area = 0;
    for (const auto& blit : blits) area += std::int64_t{blit.width} * blit.height;
    for (std::size_t i = 0; i < after.size(); i += 4) {
      const int x = static_cast<int>(i / 4 % screenWidth), y = static_cast<int>(i / 4 / screenWidth);
      bool covered = std::memcmp(&after[i], &before[i], 4) == 0;
      for (const auto& b : blits)
        covered = covered || (x >= b.x && x < b.x + b.width && y >= b.y && y < b.y + b.height);
      if (std::memcmp(&after[i], &expected[i], 4) != 0 || !covered) {
        ADD_FAILURE() << when << ": pixel " << x << "," << y
                      << (covered ? " differs from the whole redraw" : " not blitted");
        break;
      }
    }
    takeErrors();  // arguments refused on purpose are reported to the script
    return area;
  }

  // One random change of sprites 1 to 24 (clippers among 1 to 4, often hidden).
  void randomChange(std::mt19937& r, int kind = -1) {
    const auto in = [&r](int low, int high) { return low + static_cast<int>(r() % unsigned(high - low + 1)); };
    const auto at = [&](int extent) { return r() % 40 ? in(-extent / 4, extent) : (r() % 2 ? INT_MIN : INT_MAX - 40); };
    const auto corner = [&](int extent) {
      static constexpr float kFar[] = {1e30f, -1e30f, FLT_MAX, NAN, INFINITY};
      return r() % 30 ? static_cast<float>(in(-extent / 4, extent)) + 0.125f * (r() % 8) : kFar[r() % 5];
    };
    const int n = in(1, 24), w = screenWidth, h = screenHeight;
    switch (kind >= 0 ? kind : static_cast<int>(r() % 21)) {
      case 0:
        if (r() % 5)
          SP_Create(n, in(1, w / 4), in(1, h / 4), in(0, 255), in(0, 255), in(0, 255), in(0, 255));
        else
          SP_CreatePixelOnly(n, in(1, w / 4), in(1, h / 4));
        SP_SetPos(n, in(-10, w), in(-10, h)), paint(Sprite_GetWritableSurface(n), r);
        break;
      case 1: SP_Delete(n); break;
      case 2: SP_SetPos(n, at(w), at(h)); break;
      case 3: SP_SetZ(n, in(-3, 3)); break;
      case 4: SP_SetShow(n, r() % 3 != 0); break;
      case 5: SP_SetBlendRate(n, r() % 4 ? in(0, 255) : 255); break;
      case 6: SP_SetDrawMethod(n, in(0, 3)); break;
      case 7: SP_SetMultipleColor(n, in(0, 255), in(0, 255), in(0, 255)); break;
      case 8: SP_SetAddColor(n, in(0, 255), in(0, 255), in(0, 255), in(0, 255)); break;
      case 9: SP_SetSurfaceArea(n, at(40), at(40), r() % 8 ? in(-5, 60) : INT_MAX, in(-5, 60)); break;
      case 10: {
        const int clipper = r() % 4 ? in(1, 4) : -1;
        SP_SetAlphaClipperSpriteNumber(n, clipper);
        if (clipper > 0 && r() % 2) SP_SetShow(clipper, 0);
        break;
      }
      case 11: {
        SP_SetSpriteTransformMode(n, r() % 3 != 0), Sprite_SetTextureFilerType(n, static_cast<int>(r() % 2));
        float c[4][6];
        for (auto& k : c)
          k[0] = corner(w), k[1] = corner(h), k[2] = r() % 3 ? 0.0f : 0.25f, k[3] = 1, k[4] = in(0, 40),
          k[5] = in(0, 40);
        SP_SetSpriteTransformPos(n, c[0][0], c[0][1], c[0][2], c[0][3], c[0][4], c[0][5], c[1][0], c[1][1], c[1][2],
                                 c[1][3], c[1][4], c[1][5], c[2][0], c[2][1], c[2][2], c[2][3], c[2][4], c[2][5],
                                 c[3][0], c[3][1], c[3][2], c[3][3], c[3][4], c[3][5]);
        break;
      }
      case 12: if (r() % 4 == 0) VIEW_SetOffsetPos(in(-20, 20), in(-20, 20)); break;
      case 13: paint(Sprite_GetWritableSurface(n), r); break;  // the pixel utilities' way in
      case 14: CG_RotateRGB(n, in(-5, 30), in(-5, 30), in(0, 40), in(0, 40), in(1, 2)); break;
      case 15: SP_RenderView(n); break;
      case 16: paint(CVELM::instance().objects.surfaceLookup->Change(n), r); break;  // a host, shared or not
      case 17: Sprite_SetSurface(in(1, 24), Sprite_GetConstSurface(n)); break;
      case 18: {  // the host draws into the screen (and the reference) and reports the rectangle, sane or not
        const std::int32_t x = r() % 4 ? in(-10, w) : INT_MIN, y = in(-10, h), cw = r() % 4 ? in(-5, 50) : INT_MAX;
        const std::int32_t ch = in(-5, 50);
        for (std::int64_t py = std::max(y, 0); py < std::min<std::int64_t>(std::int64_t{y} + ch, h); ++py) {
          for (std::int64_t px = std::max(x, 0); px < std::min<std::int64_t>(std::int64_t{x} + cw, w); ++px) {
            const std::uint32_t pixel = static_cast<std::uint32_t>(r());
            std::memcpy(host().mainSurface().GetPixelAddress(int(px), int(py)), &pixel, 4);
            std::memcpy(reference_->GetPixelAddress(int(px), int(py)), &pixel, 4);
          }
        }
        sink().AddInvalidateRect(x, y, cw, ch);
        break;
      }
      case 19: KeepPreviousView_SetMode(static_cast<int>(r() % 2)); break;  // off: sole holders write in place
      case 20: {  // one step of a crossfade spanning frames
        const unsigned step = r() % 3;
        if (step == 0) TRANS_Begin(1);
        if (step == 1 && TRANS_Update(0.25f * (r() % 5))) syncReference();
        if (step == 2) TRANS_End();
        break;
      }
    }
  }

  Ref<ISurface> reference_;
  SceneCompositor referenceCompositor_;
  kernels::KernelPath pathBefore_ = kernels::KernelPath::kScalar;
};

class DirtyRegionsProperty : public DirtyFrames, public ::testing::WithParamInterface<kernels::KernelPath> {};

TEST_P(DirtyRegionsProperty, EveryFrameEqualsTheWholeRedraw) {
  if (!kernels::forceKernelPath(GetParam())) GTEST_SKIP() << "the processor lacks this path";
  for (std::uint32_t seed : {1u, 2u, 3u}) {
    std::mt19937 random(seed);
    SP_DeleteAll();
    for (int i = 0; i < 20; ++i) randomChange(random, 0);
    for (int step = 0; step < 200 && !HasFailure(); ++step) {
      for (int i = 1 + static_cast<int>(random() % 3); i > 0; --i) randomChange(random);
      frame("seed " + std::to_string(seed) + " step " + std::to_string(step));
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Paths, DirtyRegionsProperty,
                         ::testing::Values(kernels::KernelPath::kScalar, kernels::KernelPath::kSse2,
                                           kernels::KernelPath::kAvx2),
                         [](const auto& tested) { return std::string(kernels::kernelPathName(tested.param)); });

// A painted background; sprite 2 clipped by the hidden clipper 3; a transformed sprite 4; sprites 5 and 6 sharing
// one surface. Keep-previous-view is off, so writers get the surfaces themselves, not private copies.
void baseScene() {
  std::mt19937 random(3);
  KeepPreviousView_SetMode(0);
  for (int n = 1; n <= 5; ++n) SP_Create(n, n == 1 ? 160 : 60, n == 1 ? 120 : 40, 40 * n, 90, 90, 255), SP_SetZ(n, n);
  for (int n = 1; n <= 5; ++n) paint(Sprite_GetWritableSurface(n), random), paint(Sprite_GetWritableSurface(n), random);
  SP_SetPos(2, 20, 20), SP_SetAlphaClipperSpriteNumber(2, 3), SP_SetPos(3, 30, 30), SP_SetShow(3, 0);
  SP_SetSpriteTransformMode(4, 1);
  SP_SetSpriteTransformPos(4, 70, 10, 0, 1, 0, 0, 130, 20, 0, 1, 60, 0, 75, 60, 0, 1, 0, 40, 125, 70, 0, 1, 60, 40);
  SP_SetPos(5, 100, 70), Sprite_SetSurface(6, Sprite_GetConstSurface(5)), SP_SetPos(6, 5, 80);
}

struct Change {
  const char* name;
  void (*change)();
  std::int64_t blitted;  // -1: any part of the screen (not all of it)
};

const Change kChanges[] = {
    {"SpritesAtTheEndsOfTheRange", [] { SP_SetPos(5, INT_MAX, INT_MAX), SP_SetPos(2, INT_MIN, INT_MIN); }, -1},
    {"NaNAndFarCorners",
     [] {
       SP_SetSpriteTransformPos(4, NAN, 0, 0, 1, 0, 0, 1e30f, -5, 0, 1, 30, 0, -5, FLT_MAX, 0, 1, 0, 30, 60, 40, 0, NAN,
                                60, 40);
     },
     160 * 120},
    {"HostReportsNothingOnTheScreen",
     [] {
       static constexpr std::int32_t kOdd[][4] = {
           {-20, -20, -5, 10}, {10, 10, 0, 0}, {INT_MAX, 0, INT_MAX, 9}, {INT_MIN, INT_MIN, INT_MAX, INT_MAX}};
       for (const auto& o : kOdd) sink().AddInvalidateRect(o[0], o[1], o[2], o[3]);
     },
     0},
    {"AHundredThousandTinyReports",
     [] {
       for (unsigned i = 0; i < 100000; ++i) sink().AddInvalidateRect(int(i * 7919 % 160), int(i * 104729 % 120), 1, 1);
     },
     160 * 120},
    {"NothingChanged", [] {}, 0},
};

class DirtyRegionsChanges : public DirtyFrames, public ::testing::WithParamInterface<Change> {};

TEST_P(DirtyRegionsChanges, FramesEqualTheWholeRedraw) {
  baseScene();
  frame("before");
  GetParam().change();
  const std::int64_t area = frame("after");
  const std::int64_t expected = GetParam().blitted;
  EXPECT_TRUE(expected < 0 ? area > 0 && area < 160 * 120 : area == expected) << area;
}

INSTANTIATE_TEST_SUITE_P(Cases, DirtyRegionsChanges, ::testing::ValuesIn(kChanges),
                         [](const auto& tested) { return std::string(tested.param.name); });

}  // namespace
}  // namespace tamblet
