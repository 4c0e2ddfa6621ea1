// The reference device's coverage: which pixels a triangle covers (pixel centres at integer coordinates,
// the top-left fill rule, culling by winding), and one golden checksum over seeded random draws that pins
// the rest of the raster path: perspective-correct coordinates, point and linear sampling with clamped and
// wrapped addresses, gradients, blend pairs, stage 1's add colour, the depth and scissor tests.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "tests/refhost/HostFixture.h"
#include "tests/support/Checksum.h"

namespace refhost::testing {
namespace {

using namespace tamblet;

constexpr std::uint32_t kInk = 0xFF112233u;

struct CoverageCase {
  const char* name;
  std::vector<Vertex> vertices;  // a triangle list
  std::vector<std::string> covered;  // the rows from the top; an empty or missing row is "......"
  DWORD cull = D3DCULL_NONE;
};

std::vector<Vertex> triangle(float x0, float y0, float x1, float y1, float x2, float y2) {
  return {{x0, y0, 0.5f, 1, kInk, 0, 0}, {x1, y1, 0.5f, 1, kInk, 0, 0}, {x2, y2, 0.5f, 1, kInk, 0, 0}};
}

std::vector<Vertex> quadList(float x0, float y0, float x1, float y1) {
  std::vector<Vertex> list = triangle(x0, y0, x1, y0, x0, y1);
  for (const Vertex& v : triangle(x1, y0, x1, y1, x0, y1)) list.push_back(v);
  return list;
}

class CoverageTest : public DeviceFixture, public ::testing::WithParamInterface<CoverageCase> {
 protected:
  CoverageTest() : DeviceFixture(6, 6) {}
};

TEST_P(CoverageTest, CoversExactlyTheseCentres) {
  drawDiffuseOnly();
  device().SetRenderState(D3DRS_CULLMODE, GetParam().cull);
  ASSERT_EQ(draw(GetParam().vertices, D3DPT_TRIANGLELIST), D3D_OK);
  std::vector<std::string> covered = GetParam().covered;
  covered.resize(6);
  for (std::string& row : covered) row = row.empty() ? "......" : row;
  EXPECT_EQ(coverage(), covered);
}

INSTANTIATE_TEST_SUITE_P(
    FillRule, CoverageTest,
    ::testing::Values(
        // Half-pixel edges: the sprite view's quads, w × h pixels exactly.
        CoverageCase{"HalfPixelQuad", quadList(0.5f, 0.5f, 3.5f, 2.5f), {"......", ".###..", ".###.."}},
        // Centres on the edges: left and top edges are in, right and bottom edges out.
        CoverageCase{"IntegerQuad", quadList(1, 1, 3, 4), {"......", ".##...", ".##...", ".##..."}},
        CoverageCase{"NoCentreInside", quadList(1.2f, 1.2f, 1.8f, 1.8f), {}},
        // A diagonal through centres (1,3), (2,2), (3,1): they belong to the left triangle only, once.
        CoverageCase{"DiagonalLeftTriangle", triangle(0, 0, 4, 0, 0, 4), {"####..", "###...", "##....", "#....."}},
        CoverageCase{"DiagonalRightTriangle", triangle(4, 0, 4, 4, 0, 4), {"......", "...#..", "..##..", ".###.."}},
        // A flat-topped triangle keeps its top row; a flat-bottomed one drops its bottom row.
        CoverageCase{"FlatTop", triangle(1, 1, 5, 1, 3, 3), {"......", ".####.", "..##.."}},
        CoverageCase{"FlatBottom", triangle(3, 1, 5, 3, 1, 3), {"......", "......", "..##.."}},
        // Outside the target: cut, nothing written past the edges.
        CoverageCase{"CutByTheTarget", quadList(-3.5f, 3.5f, 9.5f, 9.5f), {"", "", "", "", "######", "######"}},
        // Culling by winding on screen: (4,0) (4,4) (0,4) is clockwise, its reverse counter-clockwise.
        CoverageCase{"ClockwiseCulled", triangle(4, 0, 4, 4, 0, 4), {}, D3DCULL_CW},
        CoverageCase{"ClockwiseKept", triangle(4, 0, 4, 4, 0, 4), {"", "...#..", "..##..", ".###.."}, D3DCULL_CCW},
        CoverageCase{"CounterClockwiseCulled", triangle(0, 4, 4, 4, 4, 0), {}, D3DCULL_CCW}),
    [](const auto& test) { return std::string(test.param.name); });

// Seeded random draws over every path: quads and triangles with fractional corners, perspective,
// gradients, both filters and address modes, blend pairs, stage 1 add colour. One CRC pins the bytes.
class GoldenTest : public DeviceFixture {
 protected:
  GoldenTest() : DeviceFixture(64, 48) {}
};

TEST_F(GoldenTest, RandomDrawsKeepTheirChecksum) {
  std::mt19937 random(20261207);
  const auto unit = [&] { return static_cast<float>(random() % 10000) / 10000.0f; };
  std::vector<std::uint32_t> texels(16 * 8);
  for (std::uint32_t& texel : texels) texel = random();
  IDirect3DTexture9* pattern = texture(16, 8, texels);
  const DWORD pairs[][2] = {{D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA},  {D3DBLEND_SRCALPHA, D3DBLEND_ONE},
                            {D3DBLEND_ZERO, D3DBLEND_SRCCOLOR},         {D3DBLEND_INVDESTCOLOR, D3DBLEND_ONE},
                            {D3DBLEND_DESTCOLOR, D3DBLEND_INVSRCALPHA}, {D3DBLEND_ONE, D3DBLEND_ZERO}};
  ASSERT_EQ(device().Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF203040u, 1.0f, 0), D3D_OK);
  device().SetTexture(0, pattern);
  device().SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  device().SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
  device().SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
  device().SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
  for (int i = 0; i < 200; ++i) {
    const DWORD filter = random() % 2 ? D3DTEXF_LINEAR : D3DTEXF_POINT;
    for (DWORD state : {D3DSAMP_MAGFILTER, D3DSAMP_MINFILTER}) device().SetSamplerState(0, state, filter);
    const DWORD address = random() % 2 ? D3DTADDRESS_WRAP : D3DTADDRESS_CLAMP;
    for (DWORD state : {D3DSAMP_ADDRESSU, D3DSAMP_ADDRESSV}) device().SetSamplerState(0, state, address);
    const auto& pair = pairs[random() % 6];
    device().SetRenderState(D3DRS_ALPHABLENDENABLE, random() % 4 != 0);
    device().SetRenderState(D3DRS_SRCBLEND, pair[0]);
    device().SetRenderState(D3DRS_DESTBLEND, pair[1]);
    const bool add = random() % 3 == 0;
    device().SetRenderState(D3DRS_TEXTUREFACTOR, random());
    device().SetTextureStageState(1, D3DTSS_COLOROP, add ? D3DTOP_ADD : D3DTOP_DISABLE);
    device().SetTextureStageState(1, D3DTSS_COLORARG1, D3DTA_TFACTOR);
    std::vector<Vertex> strip = quad(unit() * 60 - 4, unit() * 44 - 4, unit() * 60 + 4, unit() * 44 + 4, random(),
                                     unit() * 2 - 0.5f, unit() * 2 - 0.5f, unit() * 2 - 0.5f, unit() * 2 - 0.5f);
    // Depth at one z per quad, tested or not; a scissor rectangle, which Clear keeps to as well.
    const float z = unit();
    device().SetRenderState(D3DRS_ZENABLE, random() % 2);
    const auto below = [&](std::uint32_t n) { return static_cast<LONG>(random() % n); };
    const LONG left = below(48), top = below(32);
    const RECT scissor{left, top, left + 1 + below(16), top + 1 + below(16)};
    ASSERT_EQ(device().SetScissorRect(&scissor), D3D_OK);
    device().SetRenderState(D3DRS_SCISSORTESTENABLE, random() % 3 == 0);
    if (random() % 16 == 0) device().Clear(0, nullptr, D3DCLEAR_TARGET, random(), 1.0f, 0);
    for (Vertex& v : strip) {
      v.z = z;
      if (random() % 3 == 0) v.diffuse = random();
      if (random() % 4 == 0) v.rhw = 0.25f + unit();
      if (random() % 4 == 0) v.x += unit() * 20 - 10;
    }
    ASSERT_EQ(draw(strip), D3D_OK);
  }
  tamblet::testing::Checksum checksum;
  for (int y = 0; y < 48; ++y) {
    checksum.add(device().backBuffer() + y * (device().backBufferPitch() / 4), 64 * 4);
    for (int x = 0; x < 64; ++x) checksum.addValue(device().depthAt(x, y));  // the depth writes too
  }
  EXPECT_EQ(checksum.value(), 0x478D57DBu);
}

}  // namespace
}  // namespace refhost::testing
