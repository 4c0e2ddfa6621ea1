// The reference device's texture stages and frame-buffer blend, as one table of seven-pixel rows (the
// four-pixel and the one-pixel paths must agree): each operation, argument and modifier, each blend
// factor and operation, from fixed inputs to the exact output word with the roundings the device
// documents ((x + 127) / 255, saturation), and the states it does not draw, refused.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tests/refhost/HostFixture.h"

namespace refhost::testing {
namespace {

using namespace tamblet;

constexpr std::uint32_t kTexel = 0x80FF8040u;        // A 128, R 255, G 128, B 64: the blends' source too
constexpr std::uint32_t kDiffuse = 0x40808080u;      // A 64, grey 128
constexpr std::uint32_t kFactor = 0x20102030u;       // A 32, R 16, G 32, B 48
constexpr std::uint32_t kDestination = 0x40204080u;  // A 64, R 32, G 64, B 128

// A state on top of the defaults: a texture-stage state of `stage`, or a render or sampler state.
constexpr DWORD kRender = 98, kSampler = 99;
struct Setting {
  DWORD stage, type, value;
};

struct PixelCase {
  const char* name;
  std::vector<Setting> settings;
  std::uint32_t expected;  // kDestination where the draw is refused
  bool withTexture = true;
  bool refused = false;
};

class PixelPathTest : public DeviceFixture, public ::testing::WithParamInterface<PixelCase> {};

TEST_P(PixelPathTest, GivesTheExactWord) {
  const PixelCase& c = GetParam();
  if (c.withTexture) device().SetTexture(0, texture(1, 1, {kTexel}));
  device().SetRenderState(D3DRS_TEXTUREFACTOR, kFactor);
  ASSERT_EQ(device().Clear(0, nullptr, D3DCLEAR_TARGET, kDestination, 1.0f, 0), D3D_OK);
  for (const Setting& s : c.settings) {
    const HRESULT set = s.stage == kRender    ? device().SetRenderState(s.type, s.value)
                        : s.stage == kSampler ? device().SetSamplerState(0, s.type, s.value)
                                              : device().SetTextureStageState(s.stage, s.type, s.value);
    ASSERT_TRUE(c.refused || set == D3D_OK) << s.type;
  }
  ASSERT_EQ(draw(quad(-0.5f, -0.5f, 6.5f, 0.5f, kDiffuse)), c.refused ? D3DERR_INVALIDCALL : D3D_OK);
  for (int x = 0; x < 7; ++x) EXPECT_EQ(pixel(x, 0), c.expected) << x << ": " << std::hex << pixel(x, 0);
  EXPECT_EQ(pixel(7, 0), kDestination);
  EXPECT_EQ(pixel(0, 1), kDestination);
}

// Stage 0 colour op with its two arguments, and the alpha op with its two; `both` gives colour and alpha alike.
std::vector<Setting> stage0(DWORD op, DWORD arg1, DWORD arg2, DWORD alphaOp, DWORD alpha1, DWORD alpha2) {
  return {{0, D3DTSS_COLOROP, op},      {0, D3DTSS_COLORARG1, arg1},   {0, D3DTSS_COLORARG2, arg2},
          {0, D3DTSS_ALPHAOP, alphaOp}, {0, D3DTSS_ALPHAARG1, alpha1}, {0, D3DTSS_ALPHAARG2, alpha2}};
}
std::vector<Setting> both(DWORD op, DWORD arg1, DWORD arg2, std::vector<Setting> more = {}) {
  std::vector<Setting> all = stage0(op, arg1, arg2, op, arg1, arg2);
  all.insert(all.end(), more.begin(), more.end());
  return all;
}
constexpr DWORD kTex = D3DTA_TEXTURE, kDif = D3DTA_DIFFUSE, kCur = D3DTA_CURRENT, kSel = D3DTOP_SELECTARG1;

// The texel blended over the destination with these factors and operation.
std::vector<Setting> blend(DWORD source, DWORD destination, DWORD operation = D3DBLENDOP_ADD, DWORD on = 1) {
  return both(kSel, kTex, kDif,
              {{kRender, D3DRS_ALPHABLENDENABLE, on},
               {kRender, D3DRS_SRCBLEND, source},
               {kRender, D3DRS_DESTBLEND, destination},
               {kRender, D3DRS_BLENDOP, operation}});
}

// One state the device does not draw, with blending on.
PixelCase refused(const char* name, DWORD stage, DWORD type, DWORD value) {
  return {name, {{kRender, D3DRS_ALPHABLENDENABLE, 1}, {stage, type, value}}, kDestination, true, true};
}

INSTANTIATE_TEST_SUITE_P(
    Operations, PixelPathTest,
    ::testing::Values(
        PixelCase{"SelectTexture", both(kSel, kTex, kDif), kTexel},
        PixelCase{"SelectDiffuse", both(D3DTOP_SELECTARG2, kTex, kDif), kDiffuse},
        // 255·128 → 128, 128·128 → 64, 64·128 → 32, alpha 128·64 → 32.
        PixelCase{"Modulate", both(D3DTOP_MODULATE, kTex, kDif), 0x20804020u},
        PixelCase{"ModulateColourOnly", stage0(D3DTOP_MODULATE, kTex, kDif, kSel, kTex, kDif), 0x80804020u},
        PixelCase{"Modulate2x", both(D3DTOP_MODULATE2X, kTex, kDif), 0x40FF8040u},
        PixelCase{"AddSaturates", both(D3DTOP_ADD, kTex, kDif), 0xC0FFFFC0u},
        PixelCase{"SubtractStopsAtZero", both(D3DTOP_SUBTRACT, kTex, kDif), 0x407F0000u},
        PixelCase{"AddTextureFactor", both(D3DTOP_ADD, D3DTA_TFACTOR, kTex), 0xA0FFA070u},
        PixelCase{"AlphaReplicate", stage0(kSel, kTex | D3DTA_ALPHAREPLICATE, kDif, kSel, kTex, kDif), 0x80808080u},
        PixelCase{"Complement", stage0(kSel, kDif | D3DTA_COMPLEMENT, kTex, kSel, kDif, kTex), 0x407F7F7Fu},
        // The current register on stage 0 is the diffuse colour.
        PixelCase{"CurrentOnStage0IsDiffuse", both(kSel, kCur, kTex), kDiffuse},
        // ALPHAOP DISABLE with a colour op passes the incoming (diffuse) alpha.
        PixelCase{"AlphaDisabledPassesDiffuseAlpha", stage0(kSel, kTex, kDif, D3DTOP_DISABLE, kTex, kDif), 0x40FF8040u},
        PixelCase{"ColourDisabledGivesDiffuse", stage0(D3DTOP_DISABLE, kTex, kDif, kSel, kTex, kDif), kDiffuse},
        PixelCase{"NoTextureReadsOpaqueWhite", both(kSel, kTex, kDif), 0xFFFFFFFFu, false},
        // Stage 1 blends the texel with the factor by the texel's alpha 128:
        // (255·128 + 16·127) → 136, (128·128 + 32·127) → 80, (64·128 + 48·127) → 56.
        PixelCase{"BlendCurrentAlpha",
                  both(kSel, kTex, kDif,
                       {{1, D3DTSS_COLOROP, D3DTOP_BLENDCURRENTALPHA},
                        {1, D3DTSS_COLORARG1, kCur},
                        {1, D3DTSS_COLORARG2, D3DTA_TFACTOR},
                        {1, D3DTSS_ALPHAOP, D3DTOP_SELECTARG2},
                        {1, D3DTSS_ALPHAARG2, kCur}}),
                  0x80885038u},
        // The screen method's premultiply on stage 1: colour × its own alpha 32, alpha passed on.
        PixelCase{"PremultiplyByCurrentAlpha",
                  both(D3DTOP_MODULATE, kTex, kDif,
                       {{1, D3DTSS_COLOROP, D3DTOP_MODULATE},
                        {1, D3DTSS_COLORARG1, kCur | D3DTA_ALPHAREPLICATE},
                        {1, D3DTSS_COLORARG2, kCur}}),
                  0x20100804u},
        // An add colour on stage 1 after a modulated alpha keeps that alpha (stage 1's alpha op is off).
        PixelCase{"AddColourKeepsModulatedAlpha",
                  both(D3DTOP_MODULATE, kTex, kDif,
                       {{1, D3DTSS_COLOROP, D3DTOP_ADD},
                        {1, D3DTSS_COLORARG1, D3DTA_TFACTOR},
                        {1, D3DTSS_COLORARG2, kCur}}),
                  0x20906050u},
        // (s·128 + d·127 + 127) / 255 per channel, alpha included.
        PixelCase{"BlendOff", blend(D3DBLEND_SRCALPHA, D3DBLEND_ONE, D3DBLENDOP_ADD, 0), kTexel},
        PixelCase{"OneZero", blend(D3DBLEND_ONE, D3DBLEND_ZERO), kTexel},
        PixelCase{"ZeroOne", blend(D3DBLEND_ZERO, D3DBLEND_ONE), kDestination},
        PixelCase{"SrcAlphaInvSrcAlpha", blend(D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA), 0x60906060u},
        PixelCase{"InvSrcAlphaSrcAlpha", blend(D3DBLEND_INVSRCALPHA, D3DBLEND_SRCALPHA), 0x608F6060u},
        PixelCase{"SrcAlphaOne", blend(D3DBLEND_SRCALPHA, D3DBLEND_ONE), 0x80A080A0u},
        PixelCase{"OneOneSaturates", blend(D3DBLEND_ONE, D3DBLEND_ONE), 0xC0FFC0C0u},
        PixelCase{"MultiplyZeroSrcColor", blend(D3DBLEND_ZERO, D3DBLEND_SRCCOLOR), 0x20202020u},
        PixelCase{"MultiplyDestColorZero", blend(D3DBLEND_DESTCOLOR, D3DBLEND_ZERO), 0x20202020u},
        PixelCase{"ScreenInvDestColorOne", blend(D3DBLEND_INVDESTCOLOR, D3DBLEND_ONE), 0xA0FFA0A0u},
        PixelCase{"SrcColorZero", blend(D3DBLEND_SRCCOLOR, D3DBLEND_ZERO), 0x40FF4010u},
        PixelCase{"Subtract", blend(D3DBLEND_ONE, D3DBLEND_ONE, D3DBLENDOP_SUBTRACT), 0x40DF4000u},
        PixelCase{"ReverseSubtract", blend(D3DBLEND_ONE, D3DBLEND_ONE, D3DBLENDOP_REVSUBTRACT), 0x00000040u},
        PixelCase{"Min", blend(D3DBLEND_ONE, D3DBLEND_ONE, D3DBLENDOP_MIN), 0x40204040u},
        PixelCase{"Max", blend(D3DBLEND_ZERO, D3DBLEND_ZERO, D3DBLENDOP_MAX), 0x80FF8080u},
        refused("BumpMapOp", 0, D3DTSS_COLOROP, 22), refused("TempArgument", 0, D3DTSS_COLORARG1, D3DTA_TEMP),
        refused("MirrorAddress", kSampler, D3DSAMP_ADDRESSU, 2), refused("UnknownBlendOp", kRender, D3DRS_BLENDOP, 6),
        refused("UnknownBlendFactor", kRender, D3DRS_SRCBLEND, 16)),
    [](const auto& test) { return std::string(test.param.name); });

}  // namespace
}  // namespace refhost::testing
