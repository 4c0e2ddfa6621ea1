// The Direct3D 9 declarations must put every operation in the slot a real runtime's table has it:
// a device from another runtime is called purely by position. Under the Itanium C++ ABI (GCC and
// Clang, on Linux and on MinGW) a pointer to a virtual member function holds 1 + the slot's byte
// offset in the table, which reads the slot back without an object.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>

#include "host/D3D9.h"

namespace tamblet {
namespace {

template <class Method>
std::ptrdiff_t slotOf(Method method) {
  static_assert(sizeof(Method) == 2 * sizeof(std::ptrdiff_t));
  std::ptrdiff_t words[2];
  std::memcpy(words, &method, sizeof words);
  return (words[0] - 1) / static_cast<std::ptrdiff_t>(sizeof(void*));
}

struct SlotCase {
  const char* name;
  std::ptrdiff_t actual;
  std::ptrdiff_t expected;
};

TEST(Direct3DDeclarations, OperationsSitInTheRuntimesSlots) {
  using D = IDirect3DDevice9;
  using T = IDirect3DTexture9;
  using S = IDirect3DSurface9;
  using V = IDirect3DVertexBuffer9;
  const SlotCase cases[] = {
      {"Device::Release", slotOf(&D::Release), 2},
      {"Device::TestCooperativeLevel", slotOf(&D::TestCooperativeLevel), 3},
      {"Device::Reset", slotOf(&D::Reset), 16},
      {"Device::Present", slotOf(&D::Present), 17},
      {"Device::GetBackBuffer", slotOf(&D::GetBackBuffer), 18},
      {"Device::CreateTexture", slotOf(&D::CreateTexture), 23},
      {"Device::CreateVertexBuffer", slotOf(&D::CreateVertexBuffer), 26},
      {"Device::GetRenderTargetData", slotOf(&D::GetRenderTargetData), 32},
      {"Device::CreateOffscreenPlainSurface", slotOf(&D::CreateOffscreenPlainSurface), 36},
      {"Device::SetRenderTarget", slotOf(&D::SetRenderTarget), 37},
      {"Device::GetRenderTarget", slotOf(&D::GetRenderTarget), 38},
      {"Device::BeginScene", slotOf(&D::BeginScene), 41},
      {"Device::EndScene", slotOf(&D::EndScene), 42},
      {"Device::Clear", slotOf(&D::Clear), 43},
      {"Device::SetRenderState", slotOf(&D::SetRenderState), 57},
      {"Device::SetTexture", slotOf(&D::SetTexture), 65},
      {"Device::SetTextureStageState", slotOf(&D::SetTextureStageState), 67},
      {"Device::SetSamplerState", slotOf(&D::SetSamplerState), 69},
      {"Device::SetScissorRect", slotOf(&D::SetScissorRect), 75},
      {"Device::DrawPrimitive", slotOf(&D::DrawPrimitive), 81},
      {"Device::DrawPrimitiveUP", slotOf(&D::DrawPrimitiveUP), 83},
      {"Device::SetFVF", slotOf(&D::SetFVF), 89},
      {"Device::SetStreamSource", slotOf(&D::SetStreamSource), 100},
      {"Device::CreateQuery (last)", slotOf(&D::CreateQuery), 118},
      {"Texture::GetLevelDesc", slotOf(&T::GetLevelDesc), 17},
      {"Texture::GetSurfaceLevel", slotOf(&T::GetSurfaceLevel), 18},
      {"Texture::LockRect", slotOf(&T::LockRect), 19},
      {"Texture::UnlockRect", slotOf(&T::UnlockRect), 20},
      {"VertexBuffer::Lock", slotOf(&V::Lock), 11},
      {"VertexBuffer::Unlock", slotOf(&V::Unlock), 12},
      {"VertexBuffer::GetDesc", slotOf(&V::GetDesc), 13},
      {"Surface::LockRect", slotOf(&S::LockRect), 13},
      {"Surface::ReleaseDC", slotOf(&S::ReleaseDC), 16},
  };
  for (const SlotCase& c : cases) EXPECT_EQ(c.actual, c.expected) << c.name;
}

TEST(Direct3DDeclarations, StructuresHaveTheRuntimesLayout) {
  EXPECT_EQ(sizeof(D3DSURFACE_DESC), 32u);
  EXPECT_EQ(sizeof(D3DVERTEXBUFFER_DESC), 24u);
  EXPECT_EQ(offsetof(D3DLOCKED_RECT, pBits), sizeof(void*) == 8 ? 8u : 4u);
  EXPECT_EQ(offsetof(D3DPRESENT_PARAMETERS, hDeviceWindow), sizeof(void*) == 8 ? 32u : 28u);
  EXPECT_EQ(sizeof(D3DVIEWPORT9), 24u);
}

}  // namespace
}  // namespace tamblet
