// The reference device's texture stages and frame-buffer blend, one pixel per case: each operation,
// argument and modifier, and each blend factor and operation, from fixed inputs to the exact output
// word, with the roundings the device documents ((x + 127) / 255, saturation).
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tests/refhost/HostFixture.h"

namespace refhost::testing {
namespace {

using namespace tamblet;

constexpr std::uint32_t kTexel = 0x80FF8040u;    // A 128, R 255, G 128, B 64
constexpr std::uint32_t kDiffuse = 0x40808080u;  // A 64, grey 128
constexpr std::uint32_t kFactor = 0x20102030u;   // A 32, R 16, G 32, B 48

struct StageSetting {
  DWORD stage, type, value;
};

struct StageCase {
  const char* name;
  std::vector<StageSetting> settings;  // on top of the defaults, blending off
  std::uint32_t expected;
  bool withTexture = true;
};

class StageTest : public DeviceFixture, public ::testing::WithParamInterface<StageCase> {};

TEST_P(StageTest, GivesTheExactWord) {
  if (GetParam().withTexture) device().SetTexture(0, texture(1, 1, {kTexel}));
  device().SetRenderState(D3DRS_TEXTUREFACTOR, kFactor);
  for (const StageSetting& s : GetParam().settings) ASSERT_EQ(device().SetTextureStageState(s.stage, s.type, s.value), D3D_OK);
  ASSERT_EQ(draw(quad(-0.5f, -0.5f, 0.5f, 0.5f, kDiffuse)), D3D_OK);
  EXPECT_EQ(pixel(0, 0), GetParam().expected) << std::hex << pixel(0, 0);
  EXPECT_EQ(pixel(1, 0), 0u);
}

// Stage 0 colour op with its two arguments, and the alpha op with its two.
std::vector<StageSetting> stage0(DWORD op, DWORD arg1, DWORD arg2, DWORD alphaOp, DWORD alpha1, DWORD alpha2) {
  return {{0, D3DTSS_COLOROP, op},         {0, D3DTSS_COLORARG1, arg1},     {0, D3DTSS_COLORARG2, arg2},
          {0, D3DTSS_ALPHAOP, alphaOp},    {0, D3DTSS_ALPHAARG1, alpha1},   {0, D3DTSS_ALPHAARG2, alpha2}};
}

std::vector<StageSetting> plus(std::vector<StageSetting> a, const std::vector<StageSetting>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

INSTANTIATE_TEST_SUITE_P(
    Operations, StageTest,
    ::testing::Values(
        StageCase{"SelectTexture", stage0(D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_DIFFUSE), kTexel},
        StageCase{"SelectDiffuse", stage0(D3DTOP_SELECTARG2, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_SELECTARG2, D3DTA_TEXTURE, D3DTA_DIFFUSE), kDiffuse},
        // 255·128 → 128, 128·128 → 64, 64·128 → 32, alpha 128·64 → 32.
        StageCase{"Modulate", stage0(D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE), 0x20804020u},
        StageCase{"ModulateColourOnly", stage0(D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_DIFFUSE), 0x80804020u},
        StageCase{"Modulate2x", stage0(D3DTOP_MODULATE2X, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_MODULATE2X, D3DTA_TEXTURE, D3DTA_DIFFUSE), 0x40FF8040u},
        StageCase{"AddSaturates", stage0(D3DTOP_ADD, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_ADD, D3DTA_TEXTURE, D3DTA_DIFFUSE), 0xC0FFFFC0u},
        StageCase{"SubtractStopsAtZero", stage0(D3DTOP_SUBTRACT, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_SUBTRACT, D3DTA_TEXTURE, D3DTA_DIFFUSE), 0x407F0000u},
        StageCase{"AddTextureFactor", stage0(D3DTOP_ADD, D3DTA_TFACTOR, D3DTA_TEXTURE, D3DTOP_ADD, D3DTA_TFACTOR, D3DTA_TEXTURE), 0xA0FFA070u},
        StageCase{"AlphaReplicate", stage0(D3DTOP_SELECTARG1, D3DTA_TEXTURE | D3DTA_ALPHAREPLICATE, D3DTA_DIFFUSE, D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_DIFFUSE), 0x80808080u},
        StageCase{"Complement", stage0(D3DTOP_SELECTARG1, D3DTA_DIFFUSE | D3DTA_COMPLEMENT, D3DTA_TEXTURE, D3DTOP_SELECTARG1, D3DTA_DIFFUSE, D3DTA_TEXTURE), 0x407F7F7Fu},
        // The current register on stage 0 is the diffuse colour.
        StageCase{"CurrentOnStage0IsDiffuse", stage0(D3DTOP_SELECTARG1, D3DTA_CURRENT, D3DTA_TEXTURE, D3DTOP_SELECTARG1, D3DTA_CURRENT, D3DTA_TEXTURE), kDiffuse},
        // ALPHAOP DISABLE with a colour op passes the incoming (diffuse) alpha.
        StageCase{"AlphaDisabledPassesDiffuseAlpha", stage0(D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_DISABLE, D3DTA_TEXTURE, D3DTA_DIFFUSE), 0x40FF8040u},
        StageCase{"ColourDisabledGivesDiffuse", stage0(D3DTOP_DISABLE, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_DIFFUSE), kDiffuse},
        StageCase{"NoTextureReadsOpaqueWhite", stage0(D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_DIFFUSE), 0xFFFFFFFFu, false},
        // Stage 1 blends the texel with the factor by the texel's alpha 128:
        // (255·128 + 16·127) → 136, (128·128 + 32·127) → 80, (64·128 + 48·127) → 56.
        StageCase{"BlendCurrentAlpha",
                  plus(stage0(D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_DIFFUSE),
                       {{1, D3DTSS_COLOROP, D3DTOP_BLENDCURRENTALPHA}, {1, D3DTSS_COLORARG1, D3DTA_CURRENT},
                        {1, D3DTSS_COLORARG2, D3DTA_TFACTOR}, {1, D3DTSS_ALPHAOP, D3DTOP_SELECTARG2}, {1, D3DTSS_ALPHAARG2, D3DTA_CURRENT}}),
                  0x80885038u},
        // The screen method's premultiply on stage 1: colour × its own alpha 32, alpha passed on.
        StageCase{"PremultiplyByCurrentAlpha",
                  plus(stage0(D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE),
                       {{1, D3DTSS_COLOROP, D3DTOP_MODULATE}, {1, D3DTSS_COLORARG1, D3DTA_CURRENT | D3DTA_ALPHAREPLICATE},
                        {1, D3DTSS_COLORARG2, D3DTA_CURRENT}}),
                  0x20100804u},
        // An add colour on stage 1 after a modulated alpha keeps that alpha (stage 1's alpha op is off).
        StageCase{"AddColourKeepsModulatedAlpha",
                  plus(stage0(D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE),
                       {{1, D3DTSS_COLOROP, D3DTOP_ADD}, {1, D3DTSS_COLORARG1, D3DTA_TFACTOR}, {1, D3DTSS_COLORARG2, D3DTA_CURRENT}}),
                  0x20906050u}),
    [](const auto& test) { return std::string(test.param.name); });

constexpr std::uint32_t kSource = 0x80FF8040u;       // A 128, R 255, G 128, B 64
constexpr std::uint32_t kDestination = 0x40204080u;  // A 64, R 32, G 64, B 128

struct BlendCase {
  const char* name;
  DWORD source, destination, operation;
  std::uint32_t expected;
  bool enabled = true;
};

class BlendTest : public DeviceFixture, public ::testing::WithParamInterface<BlendCase> {};

TEST_P(BlendTest, GivesTheExactWord) {
  drawDiffuseOnly();
  clear(kDestination);
  device().SetRenderState(D3DRS_ALPHABLENDENABLE, GetParam().enabled);
  device().SetRenderState(D3DRS_SRCBLEND, GetParam().source);
  device().SetRenderState(D3DRS_DESTBLEND, GetParam().destination);
  device().SetRenderState(D3DRS_BLENDOP, GetParam().operation);
  // Eight pixels: the four-pixel and the one-pixel paths must agree.
  ASSERT_EQ(draw(quad(-0.5f, -0.5f, 7.5f, 0.5f, kSource)), D3D_OK);
  for (int x = 0; x < 8; ++x) EXPECT_EQ(pixel(x, 0), GetParam().expected) << x << ": " << std::hex << pixel(x, 0);
  EXPECT_EQ(pixel(0, 1), kDestination);
}

INSTANTIATE_TEST_SUITE_P(
    Factors, BlendTest,
    ::testing::Values(BlendCase{"Off", D3DBLEND_SRCALPHA, D3DBLEND_ONE, D3DBLENDOP_ADD, kSource, false},
                      BlendCase{"OneZero", D3DBLEND_ONE, D3DBLEND_ZERO, D3DBLENDOP_ADD, kSource},
                      BlendCase{"ZeroOne", D3DBLEND_ZERO, D3DBLEND_ONE, D3DBLENDOP_ADD, kDestination},
                      // (s·128 + d·127 + 127) / 255 per channel, alpha included.
                      BlendCase{"SrcAlphaInvSrcAlpha", D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, D3DBLENDOP_ADD, 0x60906060u},
                      BlendCase{"InvSrcAlphaSrcAlpha", D3DBLEND_INVSRCALPHA, D3DBLEND_SRCALPHA, D3DBLENDOP_ADD, 0x608F6060u},
                      BlendCase{"SrcAlphaOne", D3DBLEND_SRCALPHA, D3DBLEND_ONE, D3DBLENDOP_ADD, 0x80A080A0u},
                      BlendCase{"OneOneSaturates", D3DBLEND_ONE, D3DBLEND_ONE, D3DBLENDOP_ADD, 0xC0FFC0C0u},
                      BlendCase{"MultiplyZeroSrcColor", D3DBLEND_ZERO, D3DBLEND_SRCCOLOR, D3DBLENDOP_ADD, 0x20202020u},
                      BlendCase{"MultiplyDestColorZero", D3DBLEND_DESTCOLOR, D3DBLEND_ZERO, D3DBLENDOP_ADD, 0x20202020u},
                      BlendCase{"ScreenInvDestColorOne", D3DBLEND_INVDESTCOLOR, D3DBLEND_ONE, D3DBLENDOP_ADD, 0xA0FFA0A0u},
                      BlendCase{"SrcColorZero", D3DBLEND_SRCCOLOR, D3DBLEND_ZERO, D3DBLENDOP_ADD, 0x40FF4010u},
                      BlendCase{"Subtract", D3DBLEND_ONE, D3DBLEND_ONE, D3DBLENDOP_SUBTRACT, 0x40DF4000u},
                      BlendCase{"ReverseSubtract", D3DBLEND_ONE, D3DBLEND_ONE, D3DBLENDOP_REVSUBTRACT, 0x00000040u},
                      BlendCase{"Min", D3DBLEND_ONE, D3DBLEND_ONE, D3DBLENDOP_MIN, 0x40204040u},
                      BlendCase{"Max", D3DBLEND_ZERO, D3DBLEND_ZERO, D3DBLENDOP_MAX, 0x80FF8080u}),
    [](const auto& test) { return std::string(test.param.name); });

// States the device does not draw make the draw answer INVALIDCALL and leave the pixels alone.
struct RefusedCase {
  const char* name;
  DWORD stage, type, value;  // a texture-stage state, or stage 99 for a render state
};

class RefusedTest : public DeviceFixture, public ::testing::WithParamInterface<RefusedCase> {};

TEST_P(RefusedTest, DrawAnswersInvalidCall) {
  device().SetTexture(0, texture(1, 1, {kTexel}));
  const RefusedCase& c = GetParam();
  if (c.stage == 99) device().SetRenderState(c.type, c.value);
  else if (c.stage == 98) device().SetSamplerState(0, c.type, c.value);
  else device().SetTextureStageState(c.stage, c.type, c.value);
  device().SetRenderState(D3DRS_ALPHABLENDENABLE, 1);
  EXPECT_EQ(draw(quad(-0.5f, -0.5f, 0.5f, 0.5f)), D3DERR_INVALIDCALL);
  EXPECT_EQ(pixel(0, 0), 0u);
}

INSTANTIATE_TEST_SUITE_P(States, RefusedTest,
                         ::testing::Values(RefusedCase{"BumpMapOp", 0, D3DTSS_COLOROP, 22},
                                           RefusedCase{"TempArgument", 0, D3DTSS_COLORARG1, D3DTA_TEMP},
                                           RefusedCase{"MirrorAddress", 98, D3DSAMP_ADDRESSU, 2},
                                           RefusedCase{"UnknownBlendFactor", 99, D3DRS_SRCBLEND, 16},
                                           RefusedCase{"UnknownBlendOp", 99, D3DRS_BLENDOP, 6}),
                         [](const auto& test) { return std::string(test.param.name); });

}  // namespace
}  // namespace refhost::testing
