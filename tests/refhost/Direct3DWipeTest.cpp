// SceneWipe.dll's Direct3D transition on the reference device: every effect gives exactly the
// software transition's picture from the same two pictures (drawn into its render targets by the
// device), pinned by one checksum; the default-pool resources go with a lost device and come back with
// a reset; the capture is the old picture until one is drawn. The order of the calls is the engine's,
// pinned by Direct3DTransitionTest.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "host/D3D9.h"
#include "host/Modules.h"
#include "host/Ref.h"
#include "refhost/CaptureService.h"
#include "refhost/MainSurface.h"
#include "refhost/ReferenceDevice.h"
#include "refhost/SceneWipe.h"
#include "tests/refhost/HostFixture.h"
#include "tests/support/Checksum.h"

namespace refhost::testing {
namespace {

using namespace tamblet;

constexpr std::int32_t kWidth = 40, kHeight = 30;

// A picture made of filled rectangles, as the device's Clear draws them and as words in memory.
struct Picture {
  std::vector<std::pair<D3DRECT, D3DCOLOR>> fills;
  std::vector<std::uint32_t> pixels;
};

Picture randomPicture(std::mt19937& random) {
  Picture picture{{{D3DRECT{0, 0, kWidth, kHeight}, static_cast<D3DCOLOR>(random())}}, {}};
  for (int i = 0; i < 6; ++i) {
    const LONG x = static_cast<LONG>(random() % kWidth), y = static_cast<LONG>(random() % kHeight);
    const LONG right = x + 1 + static_cast<LONG>(random() % (kWidth - x));
    const LONG bottom = y + 1 + static_cast<LONG>(random() % (kHeight - y));
    picture.fills.push_back({D3DRECT{x, y, right, bottom}, static_cast<D3DCOLOR>(random())});
  }
  picture.pixels.assign(kWidth * kHeight, 0);
  for (const auto& [rect, colour] : picture.fills)
    for (LONG y = rect.y1; y < rect.y2; ++y)
      for (LONG x = rect.x1; x < rect.x2; ++x) picture.pixels[static_cast<std::size_t>(y * kWidth + x)] = colour;
  return picture;
}

// The words of a kWidth × kHeight picture whose row y starts at row(y).
template <class Row>
std::vector<std::uint32_t> words(Row row) {
  std::vector<std::uint32_t> out(kWidth * kHeight);
  for (std::int32_t y = 0; y < kHeight; ++y) std::memcpy(&out[std::size_t(y) * kWidth], row(y), kWidth * 4);
  return out;
}

void draw(IDirect3DDevice9& device, const Picture& picture) {
  for (const auto& [rect, colour] : picture.fills) device.Clear(1, &rect, D3DCLEAR_TARGET, colour, 1.0f, 0);
}

class Direct3DWipeTest : public HostFixture {
 protected:
  void SetUp() override {
    HostFixture::SetUp();
    device_ = Ref<ReferenceDevice>::adopt(new ReferenceDevice(kWidth, kHeight));
  }
  void TearDown() override {
    device_.reset();
    HostFixture::TearDown();
  }

  static Ref<IDirect3DTransition> makeWipe() {
    return Ref<IDirect3DTransition>::adopt(
        static_cast<IDirect3DTransition*>(create(kModuleSceneWipe, kIID_IDirect3DTransition)));
  }
  // One transition frame as the engine's view draws it inside the host's scene.
  bool frame(IDirect3DTransition& wipe, const Picture* old, const Picture& fresh, float progress) {
    wipe.SetProgress(progress);
    device_->BeginScene();
    bool ok = true;
    if (old) {
      ok = wipe.BeginOldPicture();
      draw(*device_, *old);
      ok = wipe.EndOldPicture() && ok;
    }
    ok = wipe.BeginNewPicture() && ok;
    draw(*device_, fresh);
    ok = wipe.EndNewPicture() && wipe.Compose() && ok;
    device_->EndScene();
    return ok;
  }
  std::vector<std::uint32_t> backBuffer() const {
    return words([&](std::int32_t y) { return device_->backBuffer() + y * (device_->backBufferPitch() / 4); });
  }

  Ref<ReferenceDevice> device_;
};

// What the software transition makes of the same pictures.
std::vector<std::uint32_t> softwareFrame(SurfaceFactory& factory, const Picture& old, const Picture& fresh,
                                         std::int32_t number, float progress) {
  auto wipe = Ref<SceneWipe>::adopt(SceneWipe::create(&factory));
  auto main = Ref<MainSurface>::adopt(MainSurface::create(kWidth, kHeight));
  if (!wipe->SetUp(kWidth, kHeight)) return {};
  for (std::int32_t y = 0; y < kHeight; ++y) {
    const std::size_t row = std::size_t(y) * kWidth;
    std::memcpy(wipe->GetOldPictureSurface()->GetPixelAddress(0, y), &old.pixels[row], kWidth * 4);
    std::memcpy(wipe->GetNewPictureSurface()->GetPixelAddress(0, y), &fresh.pixels[row], kWidth * 4);
  }
  if (!wipe->Begin(number) || !wipe->Compose(main.get(), progress)) return {};
  return words([&](std::int32_t y) { return main->GetPixelAddress(0, y); });
}

TEST_F(Direct3DWipeTest, EveryEffectMatchesTheSoftwareTransitionAndTheStoredChecksum) {
  std::mt19937 random(1414);
  auto rule = Ref<ISurface>::adopt(host().surfaceFactory().Create(13, 7, 32));
  for (std::int32_t y = 0; y < 7; ++y)
    for (std::int32_t x = 0; x < 13 * 4; ++x) rule->GetPixelAddress(0, y)[x] = static_cast<std::uint8_t>(random());
  ASSERT_TRUE(SceneWipe::setRuleImage(100, rule.get()));

  auto wipe = makeWipe();
  ASSERT_TRUE(wipe);
  wipe->SetDevice(device_.get());
  ASSERT_TRUE(wipe->SetUp(kWidth, kHeight, nullptr));
  tamblet::testing::Checksum sum;
  for (std::int32_t number : {0, 1, 2, 3, 4, 5, 6, 100}) {
    const Picture old = randomPicture(random), fresh = randomPicture(random);
    ASSERT_TRUE(wipe->Begin(number));
    for (float progress : {0.0f, 0.3f, 0.5f, 0.85f, 1.0f}) {
      SCOPED_TRACE(::testing::Message() << "effect " << number << " at " << progress);
      ASSERT_TRUE(frame(*wipe, &old, fresh, progress));
      const std::vector<std::uint32_t> picture = backBuffer();
      ASSERT_EQ(picture, softwareFrame(host().surfaceFactory(), old, fresh, number, progress));
      sum.add(picture.data(), picture.size() * 4);
    }
    ASSERT_TRUE(wipe->End());
  }
  EXPECT_EQ(sum.value(), 0xF311BBF7u);
}

// The render targets go with OnLostDevice (until then Reset fails) and come back with
// OnResetDevice; the capture given at set-up is the old picture until one is drawn.
TEST_F(Direct3DWipeTest, LostDeviceResetAndTheCaptureAsTheFirstOldPicture) {
  std::mt19937 random(99);
  const Picture shown = randomPicture(random), old = randomPicture(random), fresh = randomPicture(random);
  Capture capture{kWidth, kHeight, shown.pixels};
  D3DPRESENT_PARAMETERS parameters{};
  {
    auto wipe = makeWipe();
    wipe->SetDevice(device_.get());
    ASSERT_TRUE(wipe->SetUp(kWidth, kHeight, &capture) && wipe->Begin(0));
    capture.pixels.assign(capture.pixels.size(), 0);  // copied at set-up
    ASSERT_TRUE(frame(*wipe, nullptr, fresh, 0.0f));
    EXPECT_EQ(backBuffer(), shown.pixels);
    ASSERT_TRUE(frame(*wipe, &old, fresh, 0.4f));
    const std::vector<std::uint32_t> before = backBuffer();

    device_->loseDevice();
    device_->restoreDevice();
    EXPECT_FALSE(succeeded(device_->Reset(&parameters)));  // the render targets still live
    EXPECT_TRUE(wipe->OnLostDevice());
    EXPECT_TRUE(succeeded(device_->Reset(&parameters)));
    wipe->SetDevice(device_.get());
    EXPECT_TRUE(wipe->OnResetDevice() && wipe->IsRunning());
    ASSERT_TRUE(frame(*wipe, &old, fresh, 0.4f));
    EXPECT_EQ(backBuffer(), before);
  }
  EXPECT_EQ(device_->liveResources(), 0);
  EXPECT_EQ(device_->referenceCount(), 1);
}

}  // namespace
}  // namespace refhost::testing
