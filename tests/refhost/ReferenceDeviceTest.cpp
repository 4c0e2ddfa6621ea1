// The reference Direct3D device as a device: resources and their lock pitches, reference counts and the
// ledger back to zero, the recording mode's lines, injected failures, device loss and Reset, render
// targets read back, Present into a main surface, the depth and scissor tests, and the calls it refuses.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "refhost/MainSurface.h"
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
  ASSERT_EQ(device().CreateTexture(c.width, c.height, c.levels, c.usage, c.format, c.pool, &texture, nullptr), c.expected);
  if (c.expected != D3D_OK) {
    EXPECT_EQ(texture, nullptr);
    return;
  }
  D3DLOCKED_RECT locked{};
  const bool lockable = !(c.usage & D3DUSAGE_RENDERTARGET) && (c.pool != D3DPOOL_DEFAULT || (c.usage & D3DUSAGE_DYNAMIC));
  EXPECT_EQ(texture->LockRect(0, &locked, nullptr, 0), lockable ? D3D_OK : D3DERR_INVALIDCALL);
  if (lockable) {
    EXPECT_GT(locked.Pitch, static_cast<INT>(4 * c.width));
    EXPECT_EQ(locked.Pitch % 4, 0);
    EXPECT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3DERR_INVALIDCALL) << "locked twice";
    EXPECT_EQ(texture->UnlockRect(0), D3D_OK);
  }
  EXPECT_EQ(texture->UnlockRect(0), D3DERR_INVALIDCALL);
  D3DSURFACE_DESC desc{};
  ASSERT_EQ(texture->GetLevelDesc(0, &desc), D3D_OK);
  EXPECT_EQ(desc.Width, c.width);
  EXPECT_EQ(desc.Height, c.height);
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
                      TextureCase{16, 16, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, D3DERR_INVALIDCALL},
                      TextureCase{16, 16, 1, D3DUSAGE_DYNAMIC, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, D3DERR_INVALIDCALL},
                      TextureCase{16, 16, 1, 0, D3DFMT_A8R8G8B8, 7, D3DERR_INVALIDCALL}));

// Rows written through the pitch are the rows drawn: a 7 × 2 texture point-sampled 1:1 from x = 1
// (one group of four neighbouring texels and a tail), and clamped at the right edge.
TEST_F(DeviceFixture, LockedRowsAreTheSampledRows) {
  std::vector<std::uint32_t> texels(14);
  for (std::uint32_t i = 0; i < 14; ++i) texels[i] = 0xFF000000u | (i + 1);
  device().SetTexture(0, texture(7, 2, texels));
  device().SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  for (DWORD state : {D3DSAMP_ADDRESSU, D3DSAMP_ADDRESSV}) device().SetSamplerState(0, state, D3DTADDRESS_CLAMP);
  ASSERT_EQ(draw(quad(0.5f, -0.5f, 7.5f, 1.5f)), D3D_OK);
  ASSERT_EQ(draw(quad(0.5f, 1.5f, 7.5f, 2.5f, 0xFFFFFFFFu, 4.0f / 7, 0.75f, 11.0f / 7, 0.75f)), D3D_OK);
  for (std::uint32_t i = 0; i < 14; ++i) EXPECT_EQ(pixel(static_cast<int>(1 + i % 7), static_cast<int>(i / 7)), texels[i]) << i;
  const std::vector<std::uint32_t> shifted = {12, 13, 14, 14, 14, 14, 14};
  for (int x = 0; x < 7; ++x) EXPECT_EQ(pixel(1 + x, 2), 0xFF000000u | shifted[static_cast<std::size_t>(x)]) << x;
  EXPECT_EQ(pixel(0, 0), 0u);
}

TEST_F(DeviceFixture, VertexBufferLocksDiscardAndBounds) {
  IDirect3DVertexBuffer9* dynamic = nullptr;
  IDirect3DVertexBuffer9* plain = nullptr;
  ASSERT_EQ(device().CreateVertexBuffer(4 * 28, D3DUSAGE_WRITEONLY | D3DUSAGE_DYNAMIC, 0x144, D3DPOOL_DEFAULT, &dynamic, nullptr), D3D_OK);
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
  EXPECT_EQ(desc.Size, 112u);
  EXPECT_EQ(desc.Usage, 0x208u);
  EXPECT_EQ(desc.FVF, 0x144u);
  EXPECT_EQ(desc.Pool, D3DPOOL_DEFAULT);
  dynamic->Release();
  plain->Release();
}

// The sprite view's path: vertices in a dynamic buffer, stride from SetStreamSource, quads by first vertex.
TEST_F(DeviceFixture, DrawsFromTheStreamSource) {
  IDirect3DVertexBuffer9* buffer = nullptr;
  ASSERT_EQ(device().CreateVertexBuffer(8 * 28, 0x208, 0x144, D3DPOOL_DEFAULT, &buffer, nullptr), D3D_OK);
  void* data = nullptr;
  ASSERT_EQ(buffer->Lock(0, 0, &data, D3DLOCK_DISCARD), D3D_OK);
  std::vector<Vertex> vertices = quad(-0.5f, -0.5f, 1.5f, 0.5f, 0xFF0000FFu);
  for (const Vertex& v : quad(2.5f, 2.5f, 3.5f, 4.5f, 0xFF00FF00u)) vertices.push_back(v);
  std::memcpy(data, vertices.data(), 8 * 28);
  ASSERT_EQ(buffer->Unlock(), D3D_OK);
  drawDiffuseOnly();
  ASSERT_EQ(device().SetStreamSource(0, buffer, 0, 28), D3D_OK);
  ASSERT_EQ(device().SetFVF(0x144), D3D_OK);
  ASSERT_EQ(device().BeginScene(), D3D_OK);
  EXPECT_EQ(device().DrawPrimitive(D3DPT_TRIANGLESTRIP, 4, 2), D3D_OK);
  EXPECT_EQ(device().DrawPrimitive(D3DPT_TRIANGLESTRIP, 5, 2), D3DERR_INVALIDCALL) << "past the buffer's end";
  ASSERT_EQ(device().EndScene(), D3D_OK);
  EXPECT_EQ(device().DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), D3DERR_INVALIDCALL) << "outside a scene";
  EXPECT_EQ(pixel(0, 0), 0u);
  EXPECT_EQ(pixel(3, 3), 0xFF00FF00u);
  EXPECT_EQ(pixel(3, 4), 0xFF00FF00u);
  buffer->Release();
  IDirect3DVertexBuffer9* bound = reinterpret_cast<IDirect3DVertexBuffer9*>(this);
  UINT offset = 1, stride = 1;
  ASSERT_EQ(device().GetStreamSource(0, &bound, &offset, &stride), D3D_OK);
  EXPECT_EQ(bound, nullptr) << "a released buffer is unbound";
}

TEST_F(DeviceFixture, RecordsEveryCallAsOneLine) {
  device().setRecording(true);
  IDirect3DTexture9* texture = nullptr;
  IDirect3DVertexBuffer9* buffer = nullptr;
  ASSERT_EQ(device().CreateTexture(32, 32, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr), D3D_OK);
  ASSERT_EQ(device().CreateVertexBuffer(112, 0x208, 0x144, D3DPOOL_DEFAULT, &buffer, nullptr), D3D_OK);
  D3DLOCKED_RECT locked{};
  void* data = nullptr;
  const RECT area{0, 0, 2, 2};
  texture->LockRect(0, &locked, &area, 0);
  texture->UnlockRect(0);
  buffer->Lock(0, 0, &data, D3DLOCK_DISCARD);
  buffer->Unlock();
  device().Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000u, 1.0f, 0);
  device().BeginScene();
  device().SetTexture(0, texture);
  device().SetTexture(1, nullptr);
  device().SetRenderState(D3DRS_ALPHABLENDENABLE, 1);
  device().SetStreamSource(0, buffer, 0, 28);
  device().SetFVF(0x144);
  device().DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
  device().EndScene();
  device().SetNPatchMode(1.5f);
  EXPECT_EQ(device().calls(), (std::vector<std::string>{"CreateTexture(32, 32, 1, 0, 21, 1)",
                                                        "CreateVertexBuffer(112, 520, 324, 0)",
                                                        "tex#1.LockRect(0, {0, 0, 2, 2}, 0)",
                                                        "tex#1.UnlockRect(0)",
                                                        "vb#1.Lock(0, 0, 8192)",
                                                        "vb#1.Unlock()",
                                                        "Clear(0, null, 3, 4278190080, 1, 0)",
                                                        "BeginScene()",
                                                        "SetTexture(0, tex#1)",
                                                        "SetTexture(1, null)",
                                                        "SetRenderState(27, 1)",
                                                        "SetStreamSource(0, vb#1, 0, 28)",
                                                        "SetFVF(324)",
                                                        "DrawPrimitive(5, 0, 2)",
                                                        "EndScene()",
                                                        "SetNPatchMode(1.5)"}));
  device().clearCalls();
  device().setRecording(false);
  device().SetFVF(0x144);
  EXPECT_TRUE(device().calls().empty());
  texture->Release();
  buffer->Release();
}

// The nth call of an operation fails and does nothing; the calls around it work.
TEST_F(DeviceFixture, InjectedFailuresHitTheNthCall) {
  IDirect3DTexture9* texture = this->texture(2, 2, {1, 2, 3, 4});
  device().failCall("LockRect", 2);
  device().failCall("SetRenderState");
  device().failCall("CreateVertexBuffer");
  D3DLOCKED_RECT locked{0, nullptr};
  EXPECT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
  EXPECT_EQ(texture->UnlockRect(0), D3D_OK);
  D3DLOCKED_RECT untouched{7, nullptr};
  EXPECT_EQ(texture->LockRect(0, &untouched, nullptr, 0), D3DERR_INVALIDCALL);
  EXPECT_EQ(untouched.Pitch, 7);
  EXPECT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK) << "the texture stayed unlocked";
  EXPECT_EQ(texture->UnlockRect(0), D3D_OK);
  EXPECT_EQ(device().SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE), D3DERR_INVALIDCALL);
  DWORD cull = 0;
  ASSERT_EQ(device().GetRenderState(D3DRS_CULLMODE, &cull), D3D_OK);
  EXPECT_EQ(cull, static_cast<DWORD>(D3DCULL_CCW)) << "a failed set sets nothing";
  IDirect3DVertexBuffer9* buffer = reinterpret_cast<IDirect3DVertexBuffer9*>(this);
  EXPECT_EQ(device().CreateVertexBuffer(28, 0, 0x144, D3DPOOL_MANAGED, &buffer, nullptr), D3DERR_INVALIDCALL);
  EXPECT_EQ(buffer, nullptr);
  EXPECT_EQ(device().liveResources(), 1);
  device().failCall("DrawPrimitiveUP");
  drawDiffuseOnly();
  EXPECT_EQ(draw(quad(-0.5f, -0.5f, 0.5f, 0.5f, 0xFFFFFFFFu)), D3DERR_INVALIDCALL);
  EXPECT_EQ(pixel(0, 0), 0u);
  EXPECT_EQ(draw(quad(-0.5f, -0.5f, 0.5f, 0.5f, 0xFFFFFFFFu)), D3D_OK);
  EXPECT_EQ(pixel(0, 0), 0xFFFFFFFFu);
}

// Loss as Direct3D 9 documents it: rendering succeeds and does nothing, Present and the level test say
// lost, Reset waits for the device to come back and for every default-pool resource to go.
TEST_F(DeviceFixture, LostDeviceAnswersAndResets) {
  auto* main = MainSurface::create(8, 8);
  device().setPresentTarget(main);
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
  EXPECT_EQ(device().Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF336699u, 1.0f, 0), D3D_OK);
  EXPECT_EQ(device().Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
  EXPECT_EQ(pixelAt(*main, 7, 7), 0xFF336699u);
  EXPECT_EQ(device().presents(), 1);
  device().setPresentTarget(nullptr);
  main->Release();
}

// Render-target textures: draw into the level, read it back through a system-memory surface.
TEST_F(DeviceFixture, RenderTargetTexturesReadBack) {
  IDirect3DTexture9* target = nullptr;
  IDirect3DSurface9* level = nullptr;
  IDirect3DSurface9* copy = nullptr;
  IDirect3DSurface9* backBuffer = nullptr;
  ASSERT_EQ(device().CreateTexture(4, 4, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &target, nullptr), D3D_OK);
  ASSERT_EQ(target->GetSurfaceLevel(0, &level), D3D_OK);
  ASSERT_EQ(device().CreateOffscreenPlainSurface(4, 4, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM, &copy, nullptr), D3D_OK);
  ASSERT_EQ(device().GetRenderTarget(0, &backBuffer), D3D_OK);
  EXPECT_EQ(device().liveResources(), 4) << "texture, its level in hand, the copy, the back buffer in hand";
  ASSERT_EQ(device().SetRenderTarget(0, level), D3D_OK);
  drawDiffuseOnly();
  ASSERT_EQ(device().Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000080u, 1.0f, 0), D3D_OK);
  ASSERT_EQ(draw(quad(0.5f, 0.5f, 2.5f, 2.5f, 0xFFFF0000u)), D3D_OK);
  ASSERT_EQ(device().SetRenderTarget(0, backBuffer), D3D_OK);
  ASSERT_EQ(device().GetRenderTargetData(level, copy), D3D_OK);
  D3DLOCKED_RECT locked{};
  ASSERT_EQ(copy->LockRect(&locked, nullptr, D3DLOCK_READONLY), D3D_OK);
  const auto* rows = static_cast<const std::uint32_t*>(locked.pBits);
  const int pitch = locked.Pitch / 4;
  EXPECT_EQ(rows[0], 0xFF000080u);
  EXPECT_EQ(rows[pitch + 1], 0xFFFF0000u);
  EXPECT_EQ(rows[2 * pitch + 2], 0xFFFF0000u);
  EXPECT_EQ(rows[3 * pitch + 3], 0xFF000080u);
  EXPECT_EQ(copy->UnlockRect(), D3D_OK);
  EXPECT_EQ(pixel(1, 1), 0u) << "the back buffer was not drawn";
  EXPECT_EQ(device().GetRenderTargetData(copy, level), D3DERR_INVALIDCALL);
  HDC dc = reinterpret_cast<HDC>(this);
  EXPECT_EQ(copy->GetDC(&dc), D3DERR_INVALIDCALL);
  EXPECT_EQ(dc, nullptr);
  // Released while it is the render target: the back buffer takes over.
  ASSERT_EQ(device().SetRenderTarget(0, level), D3D_OK);
  for (IDirect3DSurface9* surface : {level, copy, backBuffer}) surface->Release();
  EXPECT_EQ(target->Release(), 0u);
  ASSERT_EQ(device().Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF123456u, 1.0f, 0), D3D_OK);
  EXPECT_EQ(pixel(7, 7), 0xFF123456u);
}

TEST_F(DeviceFixture, DepthAndScissorTests) {
  drawDiffuseOnly();
  ASSERT_EQ(device().Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0), D3D_OK);
  std::vector<Vertex> near = quad(-0.5f, -0.5f, 3.5f, 3.5f, 0xFF0000FFu);
  std::vector<Vertex> far = quad(1.5f, 1.5f, 5.5f, 5.5f, 0xFFFF0000u);
  for (Vertex& v : near) v.z = 0.25f;
  for (Vertex& v : far) v.z = 0.75f;
  ASSERT_EQ(draw(near), D3D_OK);
  ASSERT_EQ(draw(far), D3D_OK);
  EXPECT_EQ(pixel(2, 2), 0xFF0000FFu) << "hidden behind the nearer quad";
  EXPECT_EQ(pixel(4, 4), 0xFFFF0000u);
  EXPECT_FLOAT_EQ(device().depthAt(4, 4), 0.75f);
  const RECT scissor{6, 0, 8, 1};
  ASSERT_EQ(device().SetScissorRect(&scissor), D3D_OK);
  device().SetRenderState(D3DRS_SCISSORTESTENABLE, 1);
  device().SetRenderState(D3DRS_ZENABLE, 0);
  ASSERT_EQ(draw(quad(-0.5f, -0.5f, 7.5f, 7.5f, 0xFF00FF00u)), D3D_OK);
  EXPECT_EQ(coverage(0xFF00FF00u)[0], "######..");
  EXPECT_EQ(coverage(0xFF00FF00u)[1], "########");
  ASSERT_EQ(device().Clear(0, nullptr, D3DCLEAR_TARGET, 0xFFFFFFFFu, 1.0f, 0), D3D_OK);
  EXPECT_EQ(coverage(0xFFFFFFFFu)[0], "######..") << "Clear keeps to the scissor rectangle";
}

class NoDepthDeviceTest : public DeviceFixture {
 protected:
  NoDepthDeviceTest() : DeviceFixture(4, 4, false) {}
};

TEST_F(NoDepthDeviceTest, ClearOfTheDepthBufferIsRefused) {
  EXPECT_EQ(device().Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFFFFFFFFu, 1.0f, 0), D3DERR_INVALIDCALL);
  EXPECT_EQ(pixel(0, 0), 0u);
  EXPECT_EQ(device().Clear(0, nullptr, D3DCLEAR_TARGET, 0xFFFFFFFFu, 1.0f, 0), D3D_OK);
  EXPECT_EQ(pixel(3, 3), 0xFFFFFFFFu);
}

// Calls nobody here uses answer INVALIDCALL and null their out-pointers.
TEST_F(DeviceFixture, UnusedCallsAreRefused) {
  IDirect3DIndexBuffer9* indices = reinterpret_cast<IDirect3DIndexBuffer9*>(this);
  EXPECT_EQ(device().CreateIndexBuffer(16, 0, 101, D3DPOOL_MANAGED, &indices, nullptr), D3DERR_INVALIDCALL);
  EXPECT_EQ(indices, nullptr);
  IDirect3D9* direct3d = reinterpret_cast<IDirect3D9*>(this);
  EXPECT_EQ(device().GetDirect3D(&direct3d), D3DERR_INVALIDCALL);
  EXPECT_EQ(direct3d, nullptr);
  EXPECT_EQ(device().SetTransform(256, nullptr), D3DERR_INVALIDCALL);
  EXPECT_EQ(device().DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 3, 0, 1), D3DERR_INVALIDCALL);
  void* object = this;
  EXPECT_EQ(device().QueryInterface(InterfaceId{}, &object), E_NOINTERFACE);
  EXPECT_EQ(object, nullptr);
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
