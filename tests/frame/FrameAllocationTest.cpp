// A steady-state frame allocates nothing: over 100 frames of a demo-like scene (full-screen
// layers, sprites with every draw method, rates and colours, a clipped sprite, a bilinear
// perspective sprite, the back scene kept), the global operator new is never called, with whole
// frames and with dirty regions. This binary replaces operator new with a counting one that counts
// only while armed.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "engine/Exports.h"
#include "tests/engine/EngineFixture.h"
#include "tests/support/Portable.h"

namespace {

std::atomic<bool> armed{false};
std::atomic<long> allocations{0};

void* allocate(std::size_t size) noexcept {
  if (armed.load(std::memory_order_relaxed)) allocations.fetch_add(1, std::memory_order_relaxed);
  return std::malloc(size ? size : 1);
}

void* allocateOrThrow(std::size_t size) {
  if (void* block = allocate(size)) return block;
  throw std::bad_alloc();
}

}  // namespace

// Every form that pairs with the plain operator delete is replaced, so that each block is freed by
// the allocator that made it.
void* operator new(std::size_t size) {
  return allocateOrThrow(size);
}
void* operator new[](std::size_t size) {
  return allocateOrThrow(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  return allocate(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  return allocate(size);
}
void operator delete(void* block) noexcept {
  std::free(block);
}
void operator delete[](void* block) noexcept {
  std::free(block);
}
void operator delete(void* block, std::size_t) noexcept {
  std::free(block);
}
void operator delete[](void* block, std::size_t) noexcept {
  std::free(block);
}
void operator delete(void* block, const std::nothrow_t&) noexcept {
  std::free(block);
}
void operator delete[](void* block, const std::nothrow_t&) noexcept {
  std::free(block);
}

namespace tamblet {
namespace {

class FrameAllocation : public testing::EngineFixture {
 protected:
  void SetUp() override {
    screenWidth = 1280, screenHeight = 720;
    EngineFixture::SetUp();
  }
};

// The demo-like scene of both tests.
void demoScene() {
  ASSERT_EQ(SP_Create(1, 1280, 720, 40, 80, 120, 255), 1);
  ASSERT_EQ(SP_Create(2, 1280, 720, 200, 100, 50, 128), 1);
  ASSERT_EQ(SP_Create(3, 1280, 720, 10, 200, 10, 60), 1);
  for (int i = 0; i < 12; ++i) {
    const int sprite = 10 + i, size = 64 + 16 * i;
    ASSERT_EQ(SP_Create(sprite, size, size, 30 * i, 255 - 20 * i, 128, 100 + 10 * i), 1);
    SP_SetPos(sprite, 90 * i, 40 * i);
    SP_SetZ(sprite, 3 + i);
    SP_SetDrawMethod(sprite, i % 4);
    SP_SetBlendRate(sprite, 150 + 8 * i);
    if (i % 3 == 0) SP_SetBrightness(sprite, 180);
  }
  SP_SetAlphaClipperSpriteNumber(11, 3);
  ASSERT_EQ(SP_Create(30, 256, 256, 250, 250, 0, 255), 1);
  SP_SetSpriteTransformMode(30, 1);
  SP_SetSpriteTransformPos(30, 400, 100, 0, 1, 0, 0, 900, 150, 0, 1, 255, 0, 300, 600, 0, 1, 0, 255, 1000, 650, 0, 1,
                           255, 255);
}

TEST_F(FrameAllocation, SteadyStateFramesAllocateNothing) {
  demoScene();
  for (int frame = 0; frame < 100; ++frame) ASSERT_EQ(Update(), 1);
  // The reference host's own records of blits and sleeps keep their capacity from the warm-up.
  host().mainSurface().clearBlits();
  clock.sleeps.clear();
  clock.sleeps.reserve(4096);

  armed = true;
  int drawn = 0;
  for (int frame = 0; frame < 100; ++frame) drawn += Update();
  armed = false;
  EXPECT_EQ(drawn, 100);
  EXPECT_EQ(allocations.load(), 0);
}

// With dirty regions the frames that redraw part of the screen allocate nothing either: a sprite
// moving over the transformed one (drawn through the compositor's scratch plane) and a host
// report each frame.
class DirtyFrameAllocation : public FrameAllocation {
 protected:
  void SetUp() override {
    testing::setEnvironment("TAMBLET_DIRTY_REGIONS", "1");
    FrameAllocation::SetUp();
    testing::setEnvironment("TAMBLET_DIRTY_REGIONS", nullptr);
  }
};

TEST_F(DirtyFrameAllocation, SteadyStatePartialFramesAllocateNothing) {
  demoScene();
  int drawn = 0;
  for (int frame = 0; frame < 200; ++frame) {
    if (frame == 100) host().mainSurface().clearBlits(), clock.sleeps.clear(), clock.sleeps.reserve(4096);
    allocations = 0, armed = frame >= 100;
    SP_SetPos(21, 500 + frame % 7, 300);
    engine().objects.dirtyRectangleSink->AddInvalidateRect(frame % 50, 10, 20, 20);
    drawn += Update();
    armed = false;
    ASSERT_EQ(allocations.load(), 0) << "frame " << frame;
  }
  EXPECT_EQ(drawn, 200);
  EXPECT_EQ(host().mainSurface().blits().size(), 200u) << "the moving sprite and the report, apart";
}

}  // namespace
}  // namespace tamblet
