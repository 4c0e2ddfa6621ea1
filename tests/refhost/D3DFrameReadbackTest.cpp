// Reading a device's frame back into a surface (the path a real Direct3D 9 device takes): exact
// pixels over the area both cover, nothing made left alive, a failing call leaving the target as
// it was; and the Direct3D service driving a device handed in from outside, loss included.
#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>

#include "host/D3D9.h"
#include "host/Ref.h"
#include "refhost/D3DFrameReadback.h"
#include "refhost/Host.h"

namespace refhost::testing {
namespace {

using namespace tamblet;

constexpr std::uint32_t kUntouched = 0xABABABABu;

std::uint32_t pixelAt(ISurface& surface, std::int32_t x, std::int32_t y) {
  std::uint32_t pixel;
  std::memcpy(&pixel, surface.GetPixelAddress(x, y), 4);
  return pixel;
}

TEST(D3DFrameReadback, CopiesTheAreaBothCoverOrNothing) {
  // (device width, height, target width, height, the call made to fail or "")
  const std::tuple<std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::string> cases[] = {
      {12, 8, 12, 8, ""}, {12, 8, 7, 5, ""}, {5, 9, 9, 3, ""}, {1, 1, 1, 1, ""},
      {6, 4, 6, 4, "GetBackBuffer"}, {6, 4, 6, 4, "GetDesc"}, {6, 4, 6, 4, "CreateOffscreenPlainSurface"},
      {6, 4, 6, 4, "GetRenderTargetData"}, {6, 4, 6, 4, "LockRect"}, {6, 4, 6, 4, "lost"}};
  for (const auto& [deviceWidth, deviceHeight, targetWidth, targetHeight, failing] : cases) {
    SCOPED_TRACE(::testing::Message() << deviceWidth << "x" << deviceHeight << " into " << targetWidth << "x"
                                      << targetHeight << " " << failing);
    // Quadrants of their own colour and alpha and a dot: a wrong pitch, offset or byte order shows.
    auto device = Ref<ReferenceDevice>::adopt(new ReferenceDevice(deviceWidth, deviceHeight));
    const std::int32_t midX = deviceWidth / 2, midY = deviceHeight / 2;
    const std::pair<D3DRECT, D3DCOLOR> fills[] = {
        {{0, 0, midX, midY}, 0x10203040u},           {{midX, 0, deviceWidth, midY}, 0xFF0A141Eu},
        {{0, midY, midX, deviceHeight}, 0x80C0D0E0u}, {{midX, midY, deviceWidth, deviceHeight}, 0x00FF0102u},
        {{1, 1, 2, 2}, 0x7F7E7D7Cu}};
    for (const auto& [area, colour] : fills) device->Clear(1, &area, D3DCLEAR_TARGET, colour, 1.0f, 0);
    auto target = Ref<MainSurface>::adopt(MainSurface::create(targetWidth, targetHeight));
    for (std::int32_t y = 0; y < targetHeight; ++y) std::memset(target->GetPixelAddress(0, y), 0xAB, 4u * targetWidth);
    if (failing == "lost") device->loseDevice();
    else if (!failing.empty()) device->failCall(failing);
    EXPECT_EQ(readBackFrame(*device, *target), failing.empty());
    for (std::int32_t y = 0; y < targetHeight; ++y)
      for (std::int32_t x = 0; x < targetWidth; ++x) {
        const bool copied = failing.empty() && x < deviceWidth && y < deviceHeight;
        ASSERT_EQ(pixelAt(*target, x, y), copied ? device->backBuffer()[y * device->backBufferPitch() / 4 + x]
                                                 : kUntouched)
            << "at " << x << ", " << y;
      }
    EXPECT_EQ(device->liveResources(), 0);
    EXPECT_EQ(device->referenceCount(), 1);
  }
}

// Fills the screen with its colour; counts losses and resets.
struct FillingPlugin final : IDXPlugin {
  explicit FillingPlugin(ReferenceDevice& device) : device(device) {}
  std::int32_t TAMBLET_HOSTCALL AddRef() override { return ++references; }
  std::int32_t TAMBLET_HOSTCALL Release() override { return --references; }
  bool TAMBLET_HOSTCALL Prepare() override { return true; }
  bool TAMBLET_HOSTCALL Draw() override { return device.Clear(0, nullptr, D3DCLEAR_TARGET, colour, 1.0f, 0) == D3D_OK; }
  bool TAMBLET_HOSTCALL OnLostDevice() override { return ++losses; }
  bool TAMBLET_HOSTCALL OnResetDevice() override { return ++resets; }
  bool TAMBLET_HOSTCALL Close() override { return true; }
  bool TAMBLET_HOSTCALL PrepareAgain() override { return true; }

  ReferenceDevice& device;
  D3DCOLOR colour = 0;
  std::int32_t references = 1, losses = 0, resets = 0;
};

TEST(D3DFrameReadback, ServiceDrivesADeviceHandedInAndReadsItsFramesBack) {
  const std::int64_t liveBefore = Ledger::liveObjects();
  // The device presents nowhere: only the service's read-back can bring its frames to the screen.
  auto device = Ref<ReferenceDevice>::adopt(new ReferenceDevice(10, 6));
  FillingPlugin plugin(*device);
  std::optional<Host> host(std::in_place, 10, 6);
  Direct3DService& service = host->kernel().direct3d();
  EXPECT_FALSE(service.useDevice(nullptr));
  ASSERT_TRUE(service.useDevice(device.get()));
  EXPECT_FALSE(service.useDevice(device.get()));  // one device for the service's life
  EXPECT_THROW(service.device(), std::logic_error);
  ASSERT_TRUE(service.Register(&plugin));
  // (device event, colour drawn) → frames presented and skipped, losses, resets, the screen after
  const std::tuple<const char*, D3DCOLOR, std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::uint32_t>
      steps[] = {{"", 0xFF102030u, 1, 0, 0, 0, 0xFF102030u},     {"", 0x80405060u, 2, 0, 0, 0, 0x80405060u},
                 {"lose", 0xFF000001u, 2, 1, 1, 0, 0x80405060u}, {"restore", 0xFF0A141Eu, 3, 1, 1, 1, 0xFF0A141Eu}};
  for (const auto& [event, colour, presented, skipped, losses, resets, screen] : steps) {
    SCOPED_TRACE(::testing::Message() << "frame " << presented + skipped << " " << event);
    if (std::string(event) == "lose") device->loseDevice();
    if (std::string(event) == "restore") device->restoreDevice();
    plugin.colour = colour;
    host->kernel().window().OnFrameDrawn();
    EXPECT_EQ(service.framesPresented(), presented);
    EXPECT_EQ(service.framesSkipped(), skipped);
    EXPECT_EQ(plugin.losses, losses);
    EXPECT_EQ(plugin.resets, resets);
    for (std::int32_t y = 0; y < 6; ++y)
      for (std::int32_t x = 0; x < 10; ++x) ASSERT_EQ(pixelAt(host->mainSurface(), x, y), screen) << x << ", " << y;
  }
  EXPECT_EQ(device->presents(), 3);  // Present still ends each frame shown, after the read-back
  host.reset();
  EXPECT_EQ(plugin.references, 1);
  EXPECT_EQ(device->referenceCount(), 1);  // the host gave its reference back
  EXPECT_EQ(device->liveResources(), 0);
  device.reset();
  EXPECT_EQ(Ledger::liveObjects(), liveBefore);
}

}  // namespace
}  // namespace refhost::testing
