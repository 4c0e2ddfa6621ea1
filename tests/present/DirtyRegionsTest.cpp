// Dirty regions against the whole redraw, byte for byte. An engine with TAMBLET_DIRTY_REGIONS=1 presents every
// frame; beside it a reference surface gets a whole pass of the same live table each frame (starting from the same
// bytes, as the clearing fill keeps each pixel's alpha). Seeded random scenes go through hundreds of random changes
// of every property the compositor reads, surfaces written in place by each writer, sprites created and deleted,
// host reports and transitions, on every kernel path; a table of bad input does the same with extreme values. Every
// frame must equal the reference, and every pixel that changed must lie in a rectangle handed to the host.
#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "compose/SceneCompositor.h"
#include "compose/kernels/BlendKernels.h"
#include "engine/Exports.h"
#include "tests/engine/EngineFixture.h"

namespace tamblet {
namespace {

namespace kernels = tamblet::kernels;

class DirtyFrames : public testing::EngineFixture {
  friend class RandomScene;

 protected:
  void SetUp() override {
    setenv("TAMBLET_DIRTY_REGIONS", "1", 1);
    EngineFixture::SetUp();
    unsetenv("TAMBLET_DIRTY_REGIONS");
    ASSERT_TRUE(core().view.dirtyRegionsOn());
    reference_ = Ref<ISurface>::adopt(host().surfaceFactory().Create(screenWidth, screenHeight, 32));
    ASSERT_TRUE(reference_);
    referenceCompositor_.setUp(&host().raster(), nullptr);
    syncReference();
    pathBefore_ = kernels::activeKernelPath();
  }
  void TearDown() override {
    kernels::forceKernelPath(pathBefore_);
    reference_.reset();
    EngineFixture::TearDown();
  }

  // The bytes of a surface's pixel rows, without padding.
  static std::vector<std::uint8_t> bytesOf(ISurface* surface) {
    std::vector<std::uint8_t> bytes;
    for (std::int32_t y = 0; y < surface->GetHeight(); ++y) {
      const std::uint8_t* row = surface->GetPixelAddress(0, y);
      bytes.insert(bytes.end(), row, row + 4 * surface->GetWidth());
    }
    return bytes;
  }
  ISurface* screen() { return &host().mainSurface(); }

  // The reference takes the screen's bytes (after something other than a frame drew the screen).
  void syncReference() {
    for (std::int32_t y = 0; y < screenHeight; ++y) {
      std::memcpy(reference_->GetPixelAddress(0, y), screen()->GetPixelAddress(0, y), 4 * std::size_t(screenWidth));
    }
  }

  // One Update, checked: the screen equals a whole pass into the reference, and every pixel that changed lies in
  // a rectangle blitted this frame. Answers the blitted area.
  std::int64_t frame(const std::string& when) {
    const std::vector<std::uint8_t> before = bytesOf(screen());
    host().mainSurface().clearBlits();
    EXPECT_EQ(Update(), 1) << when;
    const SpriteTableBlock& sprites = core().sprites;
    EXPECT_TRUE(referenceCompositor_.compose(sprites.liveTable, reference_.get(), sprites.liveTable,
                                             {sprites.viewOffsetX, sprites.viewOffsetY}, nullptr));
    const std::vector<std::uint8_t> after = bytesOf(screen()), expected = bytesOf(reference_.get());
    std::int64_t area = 0;
    for (const auto& blit : host().mainSurface().blits()) area += std::int64_t{blit.width} * blit.height;
    for (std::size_t i = 0; i < after.size(); i += 4) {
      const int x = static_cast<int>(i / 4 % screenWidth), y = static_cast<int>(i / 4 / screenWidth);
      if (std::memcmp(&after[i], &expected[i], 4) != 0) {
        ADD_FAILURE() << when << ": pixel " << x << "," << y << " differs from the whole redraw";
        return area;
      }
      if (std::memcmp(&after[i], &before[i], 4) == 0) continue;
      bool covered = false;
      for (const auto& blit : host().mainSurface().blits()) {
        covered = covered || (x >= blit.x && x < blit.x + blit.width && y >= blit.y && y < blit.y + blit.height);
      }
      if (!covered) {
        ADD_FAILURE() << when << ": pixel " << x << "," << y << " changed outside every blitted rectangle";
        return area;
      }
    }
    takeErrors();  // arguments refused on purpose are reported to the script
    return area;
  }

  Ref<ISurface> reference_;
  SceneCompositor referenceCompositor_;
  kernels::KernelPath pathBefore_ = kernels::KernelPath::kScalar;
};

// Random pixels into part of a surface: colours at random, alpha in runs of transparent, opaque and soft.
void paint(ISurface* surface, std::mt19937& random) {
  if (!surface || !surface->HasPixel() || surface->GetBpp() != 32) return;
  const int width = surface->GetWidth(), height = surface->GetHeight();
  if (width < 1 || height < 1) return;
  const int x0 = static_cast<int>(random() % width), y0 = static_cast<int>(random() % height);
  const int x1 = x0 + 1 + static_cast<int>(random() % (width - x0)),
            y1 = y0 + 1 + static_cast<int>(random() % (height - y0));
  for (int y = y0; y < y1; ++y) {
    auto* row = surface->GetPixelAddress(0, y);
    for (int x = x0; x < x1; ++x) {
      const std::uint32_t kind = random() % 3;
      const std::uint32_t alpha = kind == 0 ? 0 : kind == 1 ? 255 : random() & 255;
      const std::uint32_t pixel = alpha << 24 | (static_cast<std::uint32_t>(random()) & 0xFFFFFF);
      std::memcpy(row + 4 * x, &pixel, 4);
    }
  }
}

// The random scene and its changes, over sprites 1 to kSprites.
class RandomScene {
 public:
  static constexpr int kSprites = 24;

  RandomScene(DirtyFrames& test, std::uint32_t seed, int width, int height)
      : test_(test), random_(seed), width_(width), height_(height) {}

  int sprite() { return 1 + static_cast<int>(random_() % kSprites); }
  int between(int low, int high) {
    return low + static_cast<int>(random_() % static_cast<std::uint32_t>(high - low + 1));
  }
  int coordinate(int extent) {
    static constexpr int kExtremes[] = {INT_MIN, INT_MAX, INT_MIN + 1, INT_MAX - 40, -1000000};
    return random_() % 40 == 0 ? kExtremes[random_() % 5] : between(-extent / 4, extent);
  }
  float corner(int extent) {
    static constexpr float kFar[] = {1e30f, -1e30f, FLT_MAX, NAN, INFINITY, -5000.0f};
    return random_() % 30 == 0 ? kFar[random_() % 6]
                               : static_cast<float>(between(-extent / 4, extent + extent / 4)) +
                                     static_cast<float>(random_() % 8) / 8.0f;
  }

  void create(int n) {
    const int w = between(1, width_ / 4), h = between(1, height_ / 4);
    if (random_() % 5 == 0) {
      SP_CreatePixelOnly(n, w, h);
    } else {
      SP_Create(n, w, h, between(0, 255), between(0, 255), between(0, 255), between(0, 255));
    }
    SP_SetPos(n, between(-w / 2, width_), between(-h / 2, height_));
    SP_SetZ(n, between(-2, 2));
    if (random_() % 2) paint(Sprite_GetWritableSurface(n), random_);
  }

  // One random change.
  void change() {
    const int n = sprite();
    switch (random_() % 22) {
      case 0:
        create(n);
        break;
      case 1:
        SP_Delete(n);
        break;
      case 2:
      case 3:
        SP_SetPos(n, coordinate(width_), coordinate(height_));
        break;
      case 4:
        SP_SetZ(n, between(-3, 3));
        break;
      case 5:
        SP_SetShow(n, random_() % 3 != 0);
        break;
      case 6:
        SP_SetBlendRate(n, random_() % 4 == 0 ? 255 : between(0, 255));
        break;
      case 7:
        SP_SetDrawMethod(n, between(0, 3));
        break;
      case 8:
        if (random_() % 2)
          SP_SetMultipleColor(n, between(0, 255), between(0, 255), between(0, 255));
        else
          SP_SetAddColor(n, between(0, 255), between(0, 255), between(0, 255), between(0, 255));
        break;
      case 9:
        SP_SetSurfaceArea(n, coordinate(40), coordinate(40), random_() % 8 == 0 ? INT_MAX : between(-5, 60),
                          between(-5, 60));
        break;
      case 10: {  // clippers among the first few sprites, often hidden (then only the clipped sprite shows them)
        const int clipper = random_() % 4 == 0 ? -1 : between(1, 4);
        SP_SetAlphaClipperSpriteNumber(n, clipper);
        if (clipper > 0 && random_() % 2) SP_SetShow(clipper, 0);
        break;
      }
      case 11: {
        SP_SetSpriteTransformMode(n, random_() % 3 != 0);
        Sprite_SetTextureFilerType(n, static_cast<int>(random_() % 2));
        float c[24];
        for (int i = 0; i < 4; ++i) {
          c[6 * i] = corner(width_), c[6 * i + 1] = corner(height_);
          c[6 * i + 2] = random_() % 3 == 0 ? static_cast<float>(i) * 0.25f : 0.0f;
          c[6 * i + 3] = 0.5f + static_cast<float>(random_() % 4) * 0.5f;
          c[6 * i + 4] = static_cast<float>(between(-5, 60)), c[6 * i + 5] = static_cast<float>(between(-5, 60));
        }
        SP_SetSpriteTransformPos(n, c[0], c[1], c[2], c[3], c[4], c[5], c[6], c[7], c[8], c[9], c[10], c[11], c[12],
                                 c[13], c[14], c[15], c[16], c[17], c[18], c[19], c[20], c[21], c[22], c[23]);
        break;
      }
      case 12:
        if (random_() % 4 == 0) VIEW_SetOffsetPos(between(-20, 20), between(-20, 20));
        break;
      case 13:
      case 14:
        paint(Sprite_GetWritableSurface(n), random_);
        break;  // a pixel utility's way in
      case 15:
        CG_RotateRGB(n, between(-5, 30), between(-5, 30), between(0, 40), between(0, 40), between(1, 2));
        break;
      case 16:
        SP_RenderView(n);
        break;
      case 17: {  // a host draws into a sprite's surface as stored, shared or not
        ISurface* surface = CVELM::instance().objects.surfaceLookup->Change(n);
        paint(surface, random_);
        break;
      }
      case 18:
        Sprite_SetSurface(sprite(), Sprite_GetConstSurface(n));
        break;  // two sprites share one surface
      case 19:
        hostDraws();
        break;
      case 20:
        KeepPreviousView_SetMode(random_() % 2);
        break;  // off: sole holders are written in place
      case 21:
        transition();
        break;
    }
  }

  // The host paints the main surface inside a rectangle (the reference too: the host did it in both worlds) and
  // reports it; the rectangle may be negative, empty, huge or partly off the screen.
  void hostDraws() {
    static constexpr std::int32_t kOdd[][4] = {
        {-10, -10, 5, 5}, {0, 0, 0, 0}, {5, 5, -3, 7}, {INT_MIN, INT_MIN, INT_MAX, INT_MAX}, {-50, 10, INT_MAX, 3}};
    std::int32_t r[4];
    if (random_() % 3 == 0) {
      std::memcpy(r, kOdd[random_() % 5], sizeof r);
    } else {
      r[0] = between(-10, width_), r[1] = between(-10, height_), r[2] = between(0, 50), r[3] = between(0, 50);
    }
    const std::int64_t x0 = std::max<std::int64_t>(r[0], 0), y0 = std::max<std::int64_t>(r[1], 0);
    const std::int64_t x1 = std::min<std::int64_t>(std::int64_t{r[0]} + r[2], width_);
    const std::int64_t y1 = std::min<std::int64_t>(std::int64_t{r[1]} + r[3], height_);
    for (std::int64_t y = y0; y < y1; ++y) {
      for (std::int64_t x = x0; x < x1; ++x) {
        const std::uint32_t pixel = static_cast<std::uint32_t>(random_());
        for (ISurface* surface : {test_.screen(), test_.reference_.get()}) {
          std::memcpy(surface->GetPixelAddress(static_cast<int>(x), static_cast<int>(y)), &pixel, 4);
        }
      }
    }
    CVELM::instance().objects.dirtyRectangleSink->AddInvalidateRect(r[0], r[1], r[2], r[3]);
  }

  // One step of a crossfade that spans frames: begun, drawn into the screen (the reference takes what it left, the
  // next frame must redraw it all) or ended.
  void transition() {
    switch (random_() % 3) {
      case 0:
        TRANS_Begin(1);
        break;
      case 1:
        TRANS_Update(static_cast<float>(random_() % 5) / 4.0f), test_.syncReference();
        break;
      case 2:
        TRANS_End();
        break;
    }
  }

 private:
  DirtyFrames& test_;
  std::mt19937 random_;
  int width_, height_;
};

class DirtyRegionsProperty : public DirtyFrames, public ::testing::WithParamInterface<kernels::KernelPath> {
 protected:
  void SetUp() override {
    screenWidth = 160, screenHeight = 120;
    DirtyFrames::SetUp();
  }
};

TEST_P(DirtyRegionsProperty, EveryFrameEqualsTheWholeRedraw) {
  if (!kernels::forceKernelPath(GetParam())) GTEST_SKIP() << "the processor lacks this path";
  for (std::uint32_t seed : {1u, 2u, 3u}) {
    SP_DeleteAll();
    RandomScene scene(*this, seed, screenWidth, screenHeight);
    for (int n = 1; n <= RandomScene::kSprites; ++n) {
      if (seed % 2 == 0 || n % 2 == 0) scene.create(n);
    }
    frame("seed " + std::to_string(seed) + " start");
    for (int step = 0; step < 200; ++step) {
      const int changes = scene.between(1, 3);
      for (int i = 0; i < changes; ++i) scene.change();
      frame("seed " + std::to_string(seed) + " step " + std::to_string(step));
      if (HasFailure()) return;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Paths, DirtyRegionsProperty,
                         ::testing::Values(kernels::KernelPath::kScalar, kernels::KernelPath::kSse2,
                                           kernels::KernelPath::kAvx2),
                         [](const ::testing::TestParamInfo<kernels::KernelPath>& tested) {
                           return std::string(kernels::kernelPathName(tested.param));
                         });

// One change at a time over a fixed scene, each property the compositor reads and each way a surface is written
// in place, then bad input: a frame before and after the change, both equal to the whole redraw. `blitted` checks
// the second frame's rectangles (their area in pixels) where it matters.
struct Change {
  const char* name;
  std::function<void()> change;
  std::function<void(std::int64_t area)> blitted;
};

// A painted background (1); sprite 2 clipped by the hidden clipper 3; a transformed sprite 4; sprite 5 with a
// surface area and the additive method; sprites 6 and 7 sharing one surface. Keep-previous-view is off, so writers
// get the surfaces themselves rather than private copies.
void baseScene() {
  std::mt19937 random(3);
  KeepPreviousView_SetMode(0);
  SP_Create(1, 160, 120, 30, 60, 90, 255);
  for (int n = 2; n <= 6; ++n) SP_Create(n, 60, 40, 40 * n, 200 - 20 * n, 90, 255);
  for (int n = 1; n <= 6; ++n) paint(Sprite_GetWritableSurface(n), random), paint(Sprite_GetWritableSurface(n), random);
  SP_SetPos(2, 20, 20), SP_SetZ(2, 1), SP_SetAlphaClipperSpriteNumber(2, 3);
  SP_SetPos(3, 30, 30), SP_SetShow(3, 0);
  SP_SetSpriteTransformMode(4, 1), SP_SetZ(4, 2);
  SP_SetSpriteTransformPos(4, 70, 10, 0, 1, 0, 0, 130, 20, 0, 1, 60, 0, 75, 60, 0, 1, 0, 40, 125, 70, 0, 1, 60, 40);
  SP_SetPos(5, 90, 60), SP_SetZ(5, 3), SP_SetSurfaceArea(5, 5, 5, 30, 20), SP_SetDrawMethod(5, 1);
  SP_SetPos(6, 100, 5), Sprite_SetSurface(7, Sprite_GetConstSurface(6)), SP_SetPos(7, 10, 75);
}

void partial(std::int64_t area) {
  EXPECT_LT(area, 160 * 120) << "a part of the screen, not all of it";
}

ISurface* hostLookup(int sprite) {
  return CVELM::instance().objects.surfaceLookup->Change(sprite);
}
CAddInvalidateRect& sink() {
  return *CVELM::instance().objects.dirtyRectangleSink;
}

void paintWith(ISurface* surface) {
  std::mt19937 random(9);
  paint(surface, random);
}

const Change kChanges[] = {
    {"Position", [] { SP_SetPos(5, 95, 58); }, partial},
    {"Z", [] { SP_SetZ(2, 5); }, partial},
    {"Hidden", [] { SP_SetShow(5, 0); }, partial},
    {"BlendRate", [] { SP_SetBlendRate(5, 100); }, partial},
    {"Method", [] { SP_SetDrawMethod(5, 3); }, partial},
    {"MultiplyColour", [] { SP_SetMultipleColor(2, 255, 128, 0); }, partial},
    {"AddColour", [] { SP_SetAddColor(2, 0, 0, 40, 0); }, partial},
    {"SurfaceArea", [] { SP_SetSurfaceArea(5, 20, 0, 40, 40); }, partial},
    {"ClipperDropped", [] { SP_SetAlphaClipperSpriteNumber(2, -1); }, partial},
    {"HiddenClipperMoves", [] { SP_SetPos(3, 40, 22); }, partial},
    {"HiddenClipperWrittenInPlace", [] { paintWith(Sprite_GetWritableSurface(3)); }, partial},
    {"HiddenClipperReplaced", [] { SP_Create(3, 30, 30, 0, 0, 0, 128), SP_SetShow(3, 0); }, partial},
    {"ClipperDeleted", [] { SP_Delete(3); }, partial},
    {"TransformCorners",
     [] {
       SP_SetSpriteTransformPos(4, 72, 12, 0, 1, 0, 0, 130, 20, 0, 1, 60, 0, 75, 60, 0, 1, 0, 40, 125, 70, 0, 1, 60,
                                40);
     },
     partial},
    {"TransformDepth",
     [] {
       SP_SetSpriteTransformPos(4, 70, 10, 0, 1, 0, 0, 130, 20, 0.5f, 2, 60, 0, 75, 60, 0, 1, 0, 40, 125, 70, 0, 1, 60,
                                40);
     },
     partial},
    {"TransformFilter", [] { Sprite_SetTextureFilerType(4, 0); }, partial},
    {"TransformOff", [] { SP_SetSpriteTransformMode(4, 0); }, partial},
    {"ViewOffset", [] { VIEW_SetOffsetPos(3, -2); }, nullptr},
    {"WrittenThroughTheWritableSurface", [] { paintWith(Sprite_GetWritableSurface(5)); }, partial},
    {"ColoursRotated", [] { CG_RotateRGB(5, 0, 0, 40, 40, 1); }, partial},
    {"RenderViewIntoAShownSprite", [] { SP_RenderView(5); }, partial},
    {"HostDrawsIntoASharedSurfaceThroughTheLookup", [] { paintWith(hostLookup(6)); }, partial},
    {"HostDrawsIntoASharedSurfaceMadeWritable",
     [] { paintWith(CVELM::instance().objects.surfaceLookup->ChangeToWritable(7)); }, partial},
    {"Deleted", [] { SP_Delete(5); }, partial},
    {"Created", [] { SP_Create(8, 20, 20, 250, 250, 0, 255), SP_SetPos(8, 5, 5); }, partial},
    {"NothingChanged", [] {}, [](std::int64_t area) { EXPECT_EQ(area, 0) << "nothing blitted"; }},
    // Bad input.
    {"SpritesAtTheEndsOfTheRange", [] { SP_SetPos(5, INT_MAX, INT_MAX), SP_SetPos(2, INT_MIN, INT_MIN); }, partial},
    {"HugeSurfaceAreas",
     [] { SP_SetSurfaceArea(5, INT_MIN, INT_MIN, INT_MAX, INT_MAX), SP_SetSurfaceArea(2, INT_MAX, 5, INT_MAX, 9); },
     partial},
    {"CornersFarOutside",
     [] {
       SP_SetSpriteTransformPos(4, -1e30f, -1e30f, 0, 1, 0, 0, 1e30f, -5, 0, 1, 30, 0, -5, 1e30f, 0, 1, 0, 30, FLT_MAX,
                                FLT_MAX, 0, 1, 30, 30);
     },
     nullptr},
    {"NaNCorners",
     [] {
       SP_SetSpriteTransformPos(4, NAN, 0, 0, 1, 0, 0, 50, NAN, 0, 1, 60, 0, 0, 40, NAN, 1, 0, 40, 60, 40, 0, NAN, 60,
                                40);
     },
     nullptr},
    {"HostReportsNegativeEmptyAndHugeRectangles",
     [] {
       sink().AddInvalidateRect(-20, -20, -5, 10);
       sink().AddInvalidateRect(10, 10, 0, 0);
       sink().AddInvalidateRect(INT_MAX, INT_MAX, INT_MAX, INT_MAX);
       sink().AddInvalidateRect(INT_MIN, 0, INT_MAX, 5);
     },
     [](std::int64_t area) { EXPECT_EQ(area, 0) << "nothing on the screen was reported"; }},
    {"HostReportsAHugeRectangle", [] { sink().AddInvalidateRect(INT_MIN, INT_MIN, INT_MAX, INT_MAX); },
     [](std::int64_t area) { EXPECT_EQ(area, 0) << "it ends at -1"; }},
    {"AHundredThousandTinyReportsBecomeOneWholeFrame",
     [] {
       std::mt19937 random(5);
       for (int i = 0; i < 100000; ++i) {
         sink().AddInvalidateRect(static_cast<int>(random() % 160), static_cast<int>(random() % 120), 1, 1);
       }
     },
     [](std::int64_t area) { EXPECT_EQ(area, 160 * 120) << "one rectangle, the whole screen"; }},
};

class DirtyRegionsChanges : public DirtyFrames, public ::testing::WithParamInterface<Change> {
 protected:
  void SetUp() override {
    screenWidth = 160, screenHeight = 120;
    DirtyFrames::SetUp();
  }
};

TEST_P(DirtyRegionsChanges, FramesEqualTheWholeRedraw) {
  const Change& change = GetParam();
  baseScene();
  frame("before");
  change.change();
  const std::int64_t area = frame("after");
  if (change.blitted) change.blitted(area);
}

INSTANTIATE_TEST_SUITE_P(Cases, DirtyRegionsChanges, ::testing::ValuesIn(kChanges),
                         [](const ::testing::TestParamInfo<Change>& tested) { return tested.param.name; });

// A message window over a full-screen picture: the window's rate and forty character-sized sprites change. The
// host is handed less than a quarter of the screen, and the frame equals the whole redraw.
class DirtyRegionsMessageBox : public DirtyFrames {
 protected:
  void SetUp() override {
    screenWidth = 1280, screenHeight = 720;
    DirtyFrames::SetUp();
  }
};

TEST_F(DirtyRegionsMessageBox, HandsTheHostLessThanAQuarterOfTheScreen) {
  std::mt19937 random(11);
  SP_Create(1, 1280, 720, 30, 60, 90, 255);
  paint(Sprite_GetWritableSurface(1), random);
  SP_Create(2, 800, 200, 20, 20, 60, 200);
  SP_SetPos(2, 240, 500);
  SP_SetZ(2, 1);
  for (int i = 0; i < 40; ++i) {
    SP_Create(10 + i, 18, 24, 255, 255, 255, 255);
    SP_SetPos(10 + i, 260 + 19 * i, 520);
    SP_SetZ(10 + i, 2);
  }
  frame("first");
  for (int typed = 0; typed < 3; ++typed) {
    SP_SetBlendRate(2, 180 + typed);
    for (int i = 0; i < 40; ++i) {
      paint(Sprite_GetWritableSurface(10 + i), random);
      SP_SetPos(10 + i, 260 + 19 * i, 520 + typed);
    }
    const std::int64_t area = frame("typed " + std::to_string(typed));
    EXPECT_LT(area * 4, std::int64_t{1280} * 720);
  }
}

}  // namespace
}  // namespace tamblet
