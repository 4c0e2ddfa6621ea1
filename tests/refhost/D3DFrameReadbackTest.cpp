// Reading a device's frame back into a surface (the path a real Direct3D 9 device takes): exact
// pixels over the area both cover, nothing made left alive, a failing call leaving the target as
// it was; and the Direct3D service driving a device handed in from outside, loss included.
#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "host/D3D9.h"
#include "host/Ref.h"
#include "refhost/D3DFrameReadback.h"
#include "refhost/Host.h"
#include "refhost/MainSurface.h"
#include "refhost/ReferenceDevice.h"

namespace refhost::testing {
namespace {

using namespace tamblet;

constexpr std::uint32_t kUntouched = 0xABABABABu;

// A device of width × height cleared to a pattern no copy with a wrong pitch, offset or channel
// order would reproduce: four quadrants, each with its own alpha, and a one-pixel dot.
Ref<ReferenceDevice> patternedDevice(std::int32_t width, std::int32_t height) {
  auto device = Ref<ReferenceDevice>::adopt(new ReferenceDevice(width, height));
  const std::int32_t midX = width / 2, midY = height / 2;
  const std::pair<D3DRECT, D3DCOLOR> fills[] = {{{0, 0, midX, midY}, 0x10203040u},
                                                {{midX, 0, width, midY}, 0xFF0A141Eu},
                                                {{0, midY, midX, height}, 0x80C0D0E0u},
                                                {{midX, midY, width, height}, 0x00FF0102u},
                                                {{1, 1, 2, 2}, 0x7F7E7D7Cu}};
  for (const auto& [area, colour] : fills) device->Clear(1, &area, D3DCLEAR_TARGET, colour, 1.0f, 0);
  return device;
}

std::uint32_t pixelAt(ISurface& surface, std::int32_t x, std::int32_t y) {
  std::uint32_t pixel;
  std::memcpy(&pixel, surface.GetPixelAddress(x, y), 4);
  return pixel;
}

Ref<MainSurface> untouchedSurface(std::int32_t width, std::int32_t height) {
  auto surface = Ref<MainSurface>::adopt(MainSurface::create(width, height));
  for (std::int32_t y = 0; y < height; ++y) std::memset(surface->GetPixelAddress(0, y), 0xAB, 4u * width);
  return surface;
}

TEST(D3DFrameReadback, CopiesTheAreaBothCoverExactly) {
  // (device width, height, target width, height)
  const std::int32_t cases[][4] = {{12, 8, 12, 8}, {12, 8, 7, 5}, {12, 8, 20, 11}, {5, 9, 9, 3}, {1, 1, 1, 1}};
  for (const auto& [deviceWidth, deviceHeight, targetWidth, targetHeight] : cases) {
    SCOPED_TRACE(::testing::Message() << deviceWidth << "x" << deviceHeight << " into " << targetWidth << "x"
                                      << targetHeight);
    auto device = patternedDevice(deviceWidth, deviceHeight);
    auto target = untouchedSurface(targetWidth, targetHeight);
    ASSERT_TRUE(readBackFrame(*device, *target));
    for (std::int32_t y = 0; y < targetHeight; ++y)
      for (std::int32_t x = 0; x < targetWidth; ++x) {
        const bool covered = x < deviceWidth && y < deviceHeight;
        const std::uint32_t expected =
            covered ? device->backBuffer()[y * device->backBufferPitch() / 4 + x] : kUntouched;
        ASSERT_EQ(pixelAt(*target, x, y), expected) << "at " << x << ", " << y;
      }
    EXPECT_EQ(device->liveResources(), 0);
    EXPECT_EQ(device->referenceCount(), 1);
  }
}

TEST(D3DFrameReadback, AFailingCallLeavesTheTargetAndReleasesEverything) {
  const char* const failing[] = {"GetBackBuffer", "GetDesc", "CreateOffscreenPlainSurface", "GetRenderTargetData",
                                 "LockRect", "lost device"};
  for (const std::string operation : failing) {
    SCOPED_TRACE(operation);
    auto device = patternedDevice(6, 4);
    if (operation == "lost device")
      device->loseDevice();
    else
      device->failCall(operation);
    auto target = untouchedSurface(6, 4);
    EXPECT_FALSE(readBackFrame(*device, *target));
    for (std::int32_t y = 0; y < 4; ++y)
      for (std::int32_t x = 0; x < 6; ++x) ASSERT_EQ(pixelAt(*target, x, y), kUntouched) << x << ", " << y;
    EXPECT_EQ(device->liveResources(), 0);
    EXPECT_EQ(device->referenceCount(), 1);
  }
}

// A plug-in that fills the screen with its colour when the baseline holds (and with red when it
// does not), then spoils the baseline; it keeps a default-pool buffer while the device is sound.
struct FillingPlugin final : IDXPlugin {
  explicit FillingPlugin(ReferenceDevice& device) : device(device) {}
  std::int32_t TAMBLET_HOSTCALL AddRef() override { return ++references; }
  std::int32_t TAMBLET_HOSTCALL Release() override { return --references; }
  bool TAMBLET_HOSTCALL Prepare() override { return true; }
  bool TAMBLET_HOSTCALL Draw() override {
    DWORD cull = 0, factor = 0, stageThree = 0;
    device.GetRenderState(D3DRS_CULLMODE, &cull);
    device.GetRenderState(D3DRS_TEXTUREFACTOR, &factor);
    device.GetTextureStageState(3, D3DTSS_COLOROP, &stageThree);
    const bool baseline = cull == D3DCULL_NONE && factor == 0xFFFFFFFFu && stageThree == D3DTOP_DISABLE;
    device.Clear(0, nullptr, D3DCLEAR_TARGET, baseline ? colour : 0xFFFF0000u, 1.0f, 0);
    device.SetRenderState(D3DRS_CULLMODE, 3);
    device.SetRenderState(D3DRS_TEXTUREFACTOR, 0x12345678u);
    device.SetTextureStageState(3, D3DTSS_COLOROP, D3DTOP_MODULATE);
    ++draws;
    return true;
  }
  bool TAMBLET_HOSTCALL OnLostDevice() override {
    buffer.reset();
    return true;
  }
  bool TAMBLET_HOSTCALL OnResetDevice() override {
    IDirect3DVertexBuffer9* made = nullptr;
    device.CreateVertexBuffer(112, D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY, 0x144, D3DPOOL_DEFAULT, &made, nullptr);
    buffer = Ref<IDirect3DVertexBuffer9>::adopt(made);
    return true;
  }
  bool TAMBLET_HOSTCALL Close() override { return true; }
  bool TAMBLET_HOSTCALL PrepareAgain() override { return true; }

  ReferenceDevice& device;
  D3DCOLOR colour = 0xFF102030u;
  Ref<IDirect3DVertexBuffer9> buffer;
  std::int32_t references = 1, draws = 0;
};

TEST(D3DFrameReadback, ServiceDrivesADeviceHandedInAndReadsItsFramesBack) {
  const std::int64_t liveBefore = Ledger::liveObjects();
  constexpr std::int32_t kWidth = 10, kHeight = 6;
  // The device presents nowhere: only the service's read-back can bring its frames to the screen.
  auto device = Ref<ReferenceDevice>::adopt(new ReferenceDevice(kWidth, kHeight));
  {
    std::optional<Host> host(std::in_place, kWidth, kHeight);
    Direct3DService& service = host->kernel().direct3d();
    EXPECT_FALSE(service.useDevice(nullptr));
    ASSERT_TRUE(service.useDevice(device.get()));
    EXPECT_FALSE(service.useDevice(device.get()));  // one device for the service's life
    EXPECT_THROW(service.device(), std::logic_error);
    IDirect3DDevice9* given = service.GetDevice();
    EXPECT_EQ(given, static_cast<IDirect3DDevice9*>(device.get()));
    given->Release();

    FillingPlugin plugin(*device);
    ASSERT_TRUE(service.Register(&plugin));
    const auto frame = [&](D3DCOLOR colour) {
      plugin.colour = colour;
      host->mainSurface().BlitToWindow(0, 0, kWidth, kHeight);
      host->kernel().window().OnFrameDrawn();
    };
    const auto screenIs = [&](std::uint32_t expected) {
      for (std::int32_t y = 0; y < kHeight; ++y)
        for (std::int32_t x = 0; x < kWidth; ++x)
          if (pixelAt(host->mainSurface(), x, y) != expected) return false;
      return true;
    };
    // (step, colour drawn) → frames presented and skipped, draws, the screen after
    const struct {
      const char* step;
      D3DCOLOR colour;
      std::int32_t presented, skipped, draws;
      std::uint32_t screen;
    } steps[] = {{"first frame", 0xFF102030u, 1, 0, 1, 0xFF102030u},
                 {"second frame, baseline set again", 0x80405060u, 2, 0, 2, 0x80405060u},
                 {"device lost: nothing drawn", 0xFF000001u, 2, 1, 2, 0x80405060u},
                 {"restored: Reset, then drawn", 0xFF0A141Eu, 3, 1, 3, 0xFF0A141Eu}};
    ASSERT_TRUE(plugin.OnResetDevice());
    for (const auto& step : steps) {
      SCOPED_TRACE(step.step);
      if (std::string(step.step).starts_with("device lost")) device->loseDevice();
      if (std::string(step.step).starts_with("restored")) device->restoreDevice();
      frame(step.colour);
      EXPECT_EQ(service.framesPresented(), step.presented);
      EXPECT_EQ(service.framesSkipped(), step.skipped);
      EXPECT_EQ(plugin.draws, step.draws);
      EXPECT_TRUE(screenIs(step.screen));
    }
    EXPECT_EQ(device->presents(), 3);  // Present still ends each frame shown, after the read-back
    service.Unregister(&plugin);
    plugin.buffer.reset();
    EXPECT_EQ(plugin.references, 1);
  }
  // The host gave its reference back; nothing the read-back made is left.
  EXPECT_EQ(device->referenceCount(), 1);
  EXPECT_EQ(device->liveResources(), 0);
  device.reset();
  EXPECT_EQ(Ledger::liveObjects(), liveBefore);
}

}  // namespace
}  // namespace refhost::testing
