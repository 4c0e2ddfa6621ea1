// The reference Direct3D device as a device: resources and their lock pitches, the calls it refuses,
// reference counts and the ledger back to zero, device loss and Reset (Present into the main surface is
// the Direct3D service's, Direct3DServiceTest).
// Drawing (D3DRasterizerTest, D3DPixelPathTest), recording, injected failures and read-back run end to
// end through the engine's view and the transition (their golden logs, failure reports and exact frames).
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "tests/refhost/HostFixture.h"

namespace refhost::testing {
namespace {

using namespace tamblet;

struct TextureCase {
  UINT width, height, levels;
  DWORD usage;
  D3DFORMAT format;
  D3DPOOL pool;
  HRESULT expected;
};

class CreateTextureTest : public DeviceFixture, public ::testing::WithParamInterface<TextureCase> {};

// Made textures lock with a pitch above 4 × width (the default pool only when dynamic, render
// targets never); refused ones leave the out-pointer null.
TEST_P(CreateTextureTest, AnswersAndLocks) {
  const TextureCase& c = GetParam();
  device().setMaxTextureSize(2048);
  IDirect3DTexture9* texture = reinterpret_cast<IDirect3DTexture9*>(this);  // must come back null when refused
  ASSERT_EQ(device().CreateTexture(c.width, c.height, c.levels, c.usage, c.format, c.pool, &texture, nullptr),
            c.expected);
  if (c.expected != D3D_OK) {
    EXPECT_EQ(texture, nullptr);
    return;
  }
  D3DLOCKED_RECT locked{};
  const bool lockable =
      !(c.usage & D3DUSAGE_RENDERTARGET) && (c.pool != D3DPOOL_DEFAULT || (c.usage & D3DUSAGE_DYNAMIC));
  EXPECT_EQ(texture->LockRect(0, &locked, nullptr, 0), lockable ? D3D_OK : D3DERR_INVALIDCALL);
  if (lockable) {
    const auto* base = static_cast<std::uint8_t*>(locked.pBits);
    EXPECT_GT(locked.Pitch, static_cast<INT>(4 * c.width));
    EXPECT_EQ(locked.Pitch % 4, 0);
    EXPECT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3DERR_INVALIDCALL) << "locked twice";
    EXPECT_EQ(texture->UnlockRect(0), D3D_OK);
    const RECT last{LONG(c.width) - 1, LONG(c.height) - 1, LONG(c.width), LONG(c.height)};  // the last texel
    ASSERT_EQ(texture->LockRect(0, &locked, &last, 0), D3D_OK);
    EXPECT_EQ(static_cast<std::uint8_t*>(locked.pBits), base + (c.height - 1) * locked.Pitch + 4 * (c.width - 1));
    EXPECT_EQ(texture->UnlockRect(0), D3D_OK);
  }
  EXPECT_EQ(texture->UnlockRect(0), D3DERR_INVALIDCALL);
  D3DSURFACE_DESC desc{};
  ASSERT_EQ(texture->GetLevelDesc(0, &desc), D3D_OK);
  EXPECT_EQ(std::pair(desc.Width, desc.Height), std::pair(c.width, c.height));
  EXPECT_EQ(texture->Release(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Textures, CreateTextureTest,
    ::testing::Values(TextureCase{1, 1, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, D3D_OK},
                      TextureCase{128, 32, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, D3D_OK},
                      TextureCase{2048, 16, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, D3D_OK},
                      TextureCase{100, 30, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM, D3D_OK},
                      TextureCase{64, 64, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, D3D_OK},
                      TextureCase{64, 64, 1, D3DUSAGE_DYNAMIC, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, D3D_OK},
                      TextureCase{64, 64, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, D3D_OK},
                      TextureCase{1, 1, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, D3D_OK},
                      TextureCase{4096, 16, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, D3DERR_INVALIDCALL},
                      TextureCase{0, 16, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, D3DERR_INVALIDCALL},
                      TextureCase{16, 16, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, D3DERR_INVALIDCALL},
                      TextureCase{16, 16, 2, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, D3DERR_INVALIDCALL},
                      TextureCase{16, 16, 1, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, D3DERR_INVALIDCALL},
                      TextureCase{16, 16, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED,
                                  D3DERR_INVALIDCALL},
                      TextureCase{16, 16, 1, D3DUSAGE_DYNAMIC, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, D3DERR_INVALIDCALL},
                      TextureCase{16, 16, 1, 0, D3DFMT_A8R8G8B8, 7, D3DERR_INVALIDCALL}));

// Vertex buffers: DISCARD hands out fresh contents (as a real device may) and needs a dynamic buffer;
// locks and draws past the end are refused; a released buffer is unbound.
TEST_F(DeviceFixture, VertexBuffersLockAndDrawWithinTheirBounds) {
  IDirect3DVertexBuffer9* dynamic = nullptr;
  IDirect3DVertexBuffer9* plain = nullptr;
  ASSERT_EQ(device().CreateVertexBuffer(112, 0x208, 0x144, D3DPOOL_DEFAULT, &dynamic, nullptr), D3D_OK);
  ASSERT_EQ(device().CreateVertexBuffer(56, 0, 0x144, D3DPOOL_MANAGED, &plain, nullptr), D3D_OK);
  void* data = nullptr;
  ASSERT_EQ(dynamic->Lock(0, 0, &data, D3DLOCK_DISCARD), D3D_OK);
  std::memset(data, 0x11, 112);
  EXPECT_EQ(dynamic->Unlock(), D3D_OK);
  ASSERT_EQ(dynamic->Lock(100, 12, &data, 0), D3D_OK);
  EXPECT_EQ(static_cast<std::uint8_t*>(data)[11], 0x11) << "kept without DISCARD";
  EXPECT_EQ(dynamic->Unlock(), D3D_OK);
  ASSERT_EQ(dynamic->Lock(0, 0, &data, D3DLOCK_DISCARD), D3D_OK);
  EXPECT_EQ(static_cast<std::uint8_t*>(data)[0], 0xCD) << "DISCARD hands out fresh contents";
  EXPECT_EQ(dynamic->Unlock(), D3D_OK);
  EXPECT_EQ(dynamic->Unlock(), D3DERR_INVALIDCALL);
  EXPECT_EQ(dynamic->Lock(100, 13, &data, 0), D3DERR_INVALIDCALL);
  EXPECT_EQ(dynamic->Lock(113, 0, &data, 0), D3DERR_INVALIDCALL);
  EXPECT_EQ(plain->Lock(0, 0, &data, D3DLOCK_DISCARD), D3DERR_INVALIDCALL) << "DISCARD needs a dynamic buffer";
  D3DVERTEXBUFFER_DESC desc{};
  ASSERT_EQ(dynamic->GetDesc(&desc), D3D_OK);
  EXPECT_EQ(std::tuple(desc.Size, desc.Usage, desc.FVF), std::tuple(112u, 0x208u, 0x144u));
  ASSERT_EQ(device().SetStreamSource(0, dynamic, 0, 28), D3D_OK);
  ASSERT_EQ(device().SetFVF(0x144), D3D_OK);
  ASSERT_EQ(device().BeginScene(), D3D_OK);
  EXPECT_EQ(device().DrawPrimitive(D3DPT_TRIANGLESTRIP, 1, 2), D3DERR_INVALIDCALL) << "past the buffer's end";
  ASSERT_EQ(device().EndScene(), D3D_OK);
  dynamic->Release();
  plain->Release();
  IDirect3DVertexBuffer9* bound = reinterpret_cast<IDirect3DVertexBuffer9*>(this);
  UINT offset = 1, stride = 1;
  ASSERT_EQ(device().GetStreamSource(0, &bound, &offset, &stride), D3D_OK);
  EXPECT_EQ(bound, nullptr) << "a released buffer is unbound";
}

// Loss as Direct3D 9 documents it: rendering succeeds and does nothing, Present and the level test say
// lost, Reset waits for the device to come back and for every default-pool resource to go.
TEST_F(DeviceFixture, LostDeviceAnswersAndResets) {
  IDirect3DVertexBuffer9* buffer = nullptr;
  ASSERT_EQ(device().CreateVertexBuffer(112, 0x208, 0x144, D3DPOOL_DEFAULT, &buffer, nullptr), D3D_OK);
  drawDiffuseOnly();
  device().loseDevice();
  D3DPRESENT_PARAMETERS params{};
  EXPECT_EQ(device().TestCooperativeLevel(), D3DERR_DEVICELOST);
  EXPECT_EQ(device().Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFFFFFFFFu, 1.0f, 0), D3D_OK);
  EXPECT_EQ(draw(quad(-0.5f, -0.5f, 3.5f, 3.5f, 0xFFFFFFFFu)), D3D_OK);
  EXPECT_EQ(pixel(0, 0), 0u) << "nothing drawn while lost";
  EXPECT_EQ(device().Present(nullptr, nullptr, nullptr, nullptr), D3DERR_DEVICELOST);
  EXPECT_EQ(device().Reset(&params), D3DERR_DEVICELOST);
  device().restoreDevice();
  EXPECT_EQ(device().TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
  EXPECT_EQ(device().Reset(&params), D3DERR_INVALIDCALL) << "a default-pool buffer lives";
  IDirect3DTexture9* managed = texture(1, 1, {0xFF00FF00u});
  device().SetTexture(0, managed);
  buffer->Release();
  ASSERT_EQ(device().Reset(&params), D3D_OK);
  EXPECT_EQ(device().TestCooperativeLevel(), D3D_OK);
  IDirect3DBaseTexture9* bound = reinterpret_cast<IDirect3DBaseTexture9*>(this);
  ASSERT_EQ(device().GetTexture(0, &bound), D3D_OK);
  EXPECT_EQ(bound, nullptr) << "Reset unbinds";
  DWORD colourOp = 0;
  ASSERT_EQ(device().GetTextureStageState(0, D3DTSS_COLOROP, &colourOp), D3D_OK);
  EXPECT_EQ(colourOp, D3DTOP_MODULATE) << "Reset restores the defaults";
  EXPECT_EQ(draw(quad(-0.5f, -0.5f, 3.5f, 3.5f, 0xFFFFFFFFu)), D3D_OK);
  EXPECT_EQ(pixel(0, 0), 0xFFFFFFFFu) << "drawn again after the reset";
}

// Calls nobody here uses, and a surface's DC, answer INVALIDCALL and null their out-pointers.
TEST_F(DeviceFixture, UnusedCallsAreRefused) {
  IDirect3DIndexBuffer9* indices = reinterpret_cast<IDirect3DIndexBuffer9*>(this);
  IDirect3D9* direct3d = reinterpret_cast<IDirect3D9*>(this);
  HDC dc = reinterpret_cast<HDC>(this);
  void* object = this;
  IDirect3DSurface9* backBuffer = nullptr;
  ASSERT_EQ(device().GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &backBuffer), D3D_OK);
  EXPECT_EQ(backBuffer->GetDC(&dc), D3DERR_INVALIDCALL);
  EXPECT_EQ(device().CreateIndexBuffer(16, 0, 101, D3DPOOL_MANAGED, &indices, nullptr), D3DERR_INVALIDCALL);
  EXPECT_EQ(device().GetDirect3D(&direct3d), D3DERR_INVALIDCALL);
  EXPECT_EQ(device().QueryInterface(InterfaceId{}, &object), E_NOINTERFACE);
  EXPECT_TRUE(!indices && !direct3d && !dc && !object);
  EXPECT_EQ(device().SetTransform(256, nullptr), D3DERR_INVALIDCALL);
  EXPECT_EQ(device().DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 3, 0, 1), D3DERR_INVALIDCALL);
  EXPECT_EQ(device().DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, nullptr, 28), D3DERR_INVALIDCALL);
  backBuffer->Release();
}

// Every resource holds the device; the device's count and the ledger return to their start.
TEST_F(DeviceFixture, ReferencesReturnToTheStart) {
  const auto before = Ledger::liveObjectsByKind();
  IDirect3DTexture9* texture = nullptr;
  IDirect3DVertexBuffer9* buffer = nullptr;
  IDirect3DSurface9* level = nullptr;
  IDirect3DSurface9* backBuffer = nullptr;
  IDirect3DDevice9* owner = nullptr;
  ASSERT_EQ(device().CreateTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr), D3D_OK);
  ASSERT_EQ(device().CreateVertexBuffer(28, 0, 0x144, D3DPOOL_MANAGED, &buffer, nullptr), D3D_OK);
  ASSERT_EQ(texture->GetSurfaceLevel(0, &level), D3D_OK);
  ASSERT_EQ(device().GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &backBuffer), D3D_OK);
  ASSERT_EQ(buffer->GetDevice(&owner), D3D_OK);
  EXPECT_EQ(owner, &device());
  EXPECT_EQ(device().referenceCount(), 5) << "the test's, texture, buffer, back buffer in hand, GetDevice";
  EXPECT_EQ(texture->Release(), 1u) << "the level in hand holds the texture";
  EXPECT_EQ(device().liveResources(), 4);
  device().SetTexture(0, texture);
  EXPECT_EQ(level->Release(), 0u);
  EXPECT_EQ(device().liveResources(), 2) << "texture and level gone with the level's last reference";
  EXPECT_EQ(device().SetTexture(0, texture), D3DERR_INVALIDCALL) << "a dead texture is not ours any more";
  EXPECT_EQ(backBuffer->Release(), 0u);
  EXPECT_EQ(buffer->Release(), 0u);
  EXPECT_EQ(owner->Release(), 1u);
  EXPECT_EQ(device().referenceCount(), 1);
  EXPECT_EQ(Ledger::liveObjectsByKind(), before);
}

}  // namespace
}  // namespace refhost::testing
