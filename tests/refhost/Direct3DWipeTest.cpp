// SceneWipe.dll's Direct3D transition on the reference device: every effect gives exactly the
// software transition's picture from the same two pictures (drawn into its render targets by the
// device), pinned by one checksum; calls out of order are refused; the default-pool resources go
// with a lost device and come back with a reset; the capture is the old picture until one is drawn.
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
    std::vector<std::uint32_t> words(kWidth * kHeight);
    const auto* rows = reinterpret_cast<const std::uint8_t*>(device_->backBuffer());
    for (std::int32_t y = 0; y < kHeight; ++y)
      std::memcpy(&words[static_cast<std::size_t>(y * kWidth)], rows + y * device_->backBufferPitch(), kWidth * 4);
    return words;
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
    std::memcpy(wipe->GetOldPictureSurface()->GetPixelAddress(0, y), &old.pixels[static_cast<std::size_t>(y * kWidth)], kWidth * 4);
    std::memcpy(wipe->GetNewPictureSurface()->GetPixelAddress(0, y), &fresh.pixels[static_cast<std::size_t>(y * kWidth)], kWidth * 4);
  }
  if (!wipe->Begin(number) || !wipe->Compose(main.get(), progress)) return {};
  std::vector<std::uint32_t> words(kWidth * kHeight);
  for (std::int32_t y = 0; y < kHeight; ++y)
    std::memcpy(&words[static_cast<std::size_t>(y * kWidth)], main->GetPixelAddress(0, y), kWidth * 4);
  return words;
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

TEST_F(Direct3DWipeTest, CallsOutOfOrderAreRefused) {
  auto wipe = makeWipe();
  IDirect3DTransition& w = *wipe;
  EXPECT_FALSE(w.SetUp(kWidth, kHeight, nullptr));  // no device yet
  w.SetDevice(device_.get());
  EXPECT_FALSE(w.Begin(0));  // before set-up
  EXPECT_FALSE(w.SetUp(0, kHeight, nullptr) || w.SetUp(kWidth, 16385, nullptr));
  ASSERT_TRUE(w.SetUp(kWidth, kHeight, nullptr));
  EXPECT_FALSE(w.BeginNewPicture() || w.BeginOldPicture() || w.Compose() || w.End() || w.IsRunning());
  EXPECT_FALSE(w.Begin(7) || w.Begin(-1) || w.Begin(99) || w.Begin(100));  // no such effect or rule image
  ASSERT_TRUE(w.Begin(3));
  EXPECT_TRUE(w.IsRunning());
  EXPECT_FALSE(w.EndOldPicture() || w.EndNewPicture());
  ASSERT_TRUE(w.BeginOldPicture());
  EXPECT_FALSE(w.BeginNewPicture() || w.BeginOldPicture() || w.Compose() || w.EndNewPicture());
  device_->BeginScene();  // draws need a scene
  EXPECT_TRUE(w.EndOldPicture() && w.Compose());
  device_->EndScene();
  EXPECT_TRUE(w.End());
  EXPECT_FALSE(w.IsRunning() || w.End() || w.Compose());
}

// The device calls of a frame once the resources exist: each pass saves the target, switches to its
// picture and clears it, then puts the back buffer (surf#1) back; Compose reads both pictures
// through one system-memory surface, uploads the frame and draws it as one point-sampled quad.
// The device calls of a frame once the resources exist: each pass saves the target, switches to its
// picture (surf#2 old, surf#3 new) and clears it, then puts the back buffer (surf#1) back; Compose
// reads both pictures through one system-memory surface (surf#4), uploads the frame (tex#3) and
// draws it as one point-sampled quad. A failed call fails its step and leaves the back buffer the
// target.
TEST_F(Direct3DWipeTest, AFrameMakesTheseDeviceCallsAndAFailedCallFailsItsStep) {
  std::mt19937 random(5);
  const Picture old = randomPicture(random), fresh = randomPicture(random);
  auto wipe = makeWipe();
  wipe->SetDevice(device_.get());
  ASSERT_TRUE(wipe->SetUp(kWidth, kHeight, nullptr) && wipe->Begin(0) && frame(*wipe, &old, fresh, 0.5f));
  device_->setRecording(true);
  ASSERT_TRUE(frame(*wipe, nullptr, fresh, 0.5f));
  const std::vector<std::string> expected = {
      "BeginScene()", "GetRenderTarget(0)", "SetRenderTarget(0, surf#3)", "Clear(0, null, 1, 4278190080, 1, 0)",
      "SetRenderTarget(0, surf#1)",
      "GetRenderTargetData(surf#3, surf#4)", "surf#4.LockRect(null, 16)", "surf#4.UnlockRect()",
      "tex#3.LockRect(0, null, 0)", "tex#3.UnlockRect(0)", "vb#1.Lock(0, 0, 8192)", "vb#1.Unlock()",
      "SetRenderState(7, 0)", "SetRenderState(27, 0)", "SetRenderState(15, 0)", "SetTexture(0, tex#3)",
      "SetTextureStageState(0, 1, 2)", "SetTextureStageState(0, 2, 2)", "SetTextureStageState(0, 4, 2)",
      "SetTextureStageState(0, 5, 2)", "SetTextureStageState(1, 1, 1)", "SetTextureStageState(1, 4, 1)",
      "SetSamplerState(0, 1, 3)", "SetSamplerState(0, 2, 3)", "SetSamplerState(0, 5, 1)", "SetSamplerState(0, 6, 1)",
      "SetSamplerState(0, 7, 0)", "SetFVF(324)", "SetStreamSource(0, vb#1, 0, 28)", "DrawPrimitive(5, 0, 2)",
      "SetTexture(0, null)", "EndScene()"};
  std::vector<std::string> calls = device_->calls();
  std::erase_if(calls, [](const std::string& call) { return call.starts_with("Clear(1,"); });  // the picture's fills
  EXPECT_EQ(calls, expected);

  IDirect3DSurface9* back = nullptr;
  ASSERT_TRUE(succeeded(device_->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back)));
  for (const char* operation : {"SetRenderTarget", "Clear", "GetRenderTargetData", "LockRect", "DrawPrimitive"}) {
    device_->failCall(operation);
    EXPECT_FALSE(frame(*wipe, &old, fresh, 0.5f)) << operation;
    IDirect3DSurface9* target = nullptr;
    ASSERT_TRUE(succeeded(device_->GetRenderTarget(0, &target)));
    EXPECT_EQ(target, back) << operation;
    target->Release();
    EXPECT_TRUE(frame(*wipe, &old, fresh, 0.5f)) << "after " << operation;
  }
  back->Release();
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
