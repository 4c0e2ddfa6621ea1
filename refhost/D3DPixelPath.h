// The pixel half of a draw of the reference Direct3D device: texture sampling, the fixed-function
// texture stages, the alpha test, the depth test and the frame-buffer blend, run over one covered
// span of a row at a time so every choice a draw's states make is taken once per span, not per pixel.
//
// Arithmetic on 8-bit channels (the engine's parity tests compare with its software kernels, so the
// roundings are fixed here):
//   - a product a·b/255 is rounded to nearest: (a·b + 127) / 255; MODULATE2X/4X double or quadruple
//     the rounded product and saturate;
//   - ADD saturates at 255, SUBTRACT stops at 0;
//   - BLENDCURRENTALPHA (and the other BLEND…ALPHA operations) is (arg1·α + arg2·(255 − α) + 127) / 255;
//   - the frame-buffer blend is (s·f + d·g + 127) / 255 per channel for BLENDOP_ADD, saturated at 255
//     (SUBTRACT and REVSUBTRACT stop at 0; MIN and MAX ignore the factors, as Direct3D documents);
//     alpha is blended with the same factors as colour;
//   - point sampling takes texel floor(u·width); linear sampling takes the four texels around
//     u·width − 0.5 with weights in 1/256 steps (the fraction truncated to 8 bits) and rounds the
//     weighted sum ((Σ t·w + 32768) >> 16);
//   - the diffuse colour is interpolated per channel as a float in 0..255 and rounded to nearest.
//   These choices make a product with 255 and a blend with ONE/ZERO exact, so an opaque white vertex
//   colour leaves texels untouched.
//
// Choices where Direct3D 9 leaves the result open or the device keeps to what it needs:
//   - ALPHAOP DISABLE on a stage whose COLOROP is active passes the incoming alpha through: the
//     diffuse alpha on stage 0, the previous stage's alpha after it;
//   - COLOROP DISABLE on stage 0 gives the diffuse colour and alpha;
//   - D3DTA_TEXTURE on a stage without a texture reads opaque white (the documented default);
//   - every stage reads texture coordinate set 0 whatever its TEXCOORDINDEX (vertices carry at most
//     one set here, and a stage whose set is missing reads set 0's, as drivers do);
//   - stage operations DISABLE, SELECTARG1, SELECTARG2, MODULATE, MODULATE2X, MODULATE4X, ADD,
//     SUBTRACT, BLENDDIFFUSEALPHA, BLENDTEXTUREALPHA, BLENDFACTORALPHA, BLENDCURRENTALPHA; arguments
//     DIFFUSE, CURRENT, TEXTURE, TFACTOR with COMPLEMENT and ALPHAREPLICATE; any other operation or
//     argument on an active stage makes the draw answer D3DERR_INVALIDCALL;
//   - addressing CLAMP and WRAP (others: INVALIDCALL); filters NONE and POINT sample the nearest texel,
//     LINEAR and ANISOTROPIC filter bilinearly (others: INVALIDCALL); textures have one level, so
//     MIPFILTER is accepted and ignored; when MAGFILTER and MINFILTER differ a triangle uses MINFILTER
//     when it shrinks the texture (more than one texel per pixel at its first vertex);
//   - every blend factor of Direct3D 9 and every blend operation is drawn; COLORWRITEENABLE is honoured.
#pragma once

#include <cstdint>
#include <vector>

#include "refhost/D3DPipelineState.h"

namespace refhost {

class D3DPixelPath {
 public:
  // What the rasterizer hands over for one span of `count` covered pixels: texture coordinates when
  // texturesRead(), the diffuse colour as 0xAARRGGBB words, depth when depthRead().
  struct Span {
    std::int32_t count = 0;
    // Texture coordinates: pixel i has u = uStart + i · uStep (float arithmetic) when `affine`,
    // else u[i]; likewise v.
    bool affine = true;
    float uStart = 0, uStep = 0, vStart = 0, vStep = 0;
    const float* u = nullptr;
    const float* v = nullptr;
    const std::uint32_t* diffuse = nullptr;
    bool diffuseConstant = false;  // every diffuse word of the span is diffuse[0]
    const float* z = nullptr;
  };

  // Takes the states of one draw; false when the draw uses an operation, argument, address mode,
  // filter or blend setting this device does not draw. `textures[s]` is stage s's texture or null.
  bool prepare(const D3DPipelineState& state, const D3DPixels* const textures[D3DPipelineState::kStages],
               bool depthBuffer, std::int32_t maxSpan);

  bool texturesRead() const { return samplingStages_ > 0; }
  bool depthRead() const { return depthTest_ || depthWrite_; }

  // Picks each stage's filter for the next triangle from how many texels one pixel step covers
  // (the larger of the u and v steps, in texture coordinates per pixel).
  void beginTriangle(float dudx, float dvdx, float dudy, float dvdy);

  // Shades one span and writes it into `target` (and `depth`, when there is a depth buffer).
  void shade(const Span& span, std::uint32_t* target, float* depth);

 private:
  struct Sampler {
    int addressU = 0, addressV = 0;
    bool magLinear = false, minLinear = false, linear = false;
  };
  struct Stage {
    tamblet::DWORD colorOp, colorArg1, colorArg2, alphaOp, alphaArg1, alphaArg2;
    const D3DPixels* texture;
    Sampler sampler;
    bool readsTexture;
  };
  struct Arg {
    const std::uint32_t* words;
    bool constant;
    std::uint32_t value;
  };

  Arg argument(tamblet::DWORD arg, int stage, const Span& span, std::uint32_t* scratch);
  // Runs stage operation `op` on all four channels into `out`; answers the operation it ran (a
  // product with opaque white runs as a selection).
  tamblet::DWORD run(tamblet::DWORD op, tamblet::DWORD arg1, tamblet::DWORD arg2, int stage, const Span& span,
                     std::uint32_t* out);
  void sample(const Stage& stage, const Span& span, std::uint32_t* out) const;
  void blend(const std::uint32_t* source, std::uint32_t* target, const std::uint8_t* mask, std::int32_t count) const;

  Stage stages_[D3DPipelineState::kStages] = {};
  int activeStages_ = 0;
  int samplingStages_ = 0;
  std::uint32_t textureFactor_ = 0;
  bool alphaTest_ = false;
  tamblet::DWORD alphaFunc_ = 0;
  std::uint32_t alphaRef_ = 0;
  bool depthTest_ = false, depthWrite_ = false;
  tamblet::DWORD depthFunc_ = 0;
  bool blending_ = false;
  tamblet::DWORD srcBlend_ = 0, destBlend_ = 0, blendOp_ = 0;
  std::uint32_t blendFactor_ = 0;
  std::uint32_t writeMask_ = 0xFFFFFFFFu;
  // Per-span work rows, sized once per draw.
  std::vector<std::uint32_t> current_, next_, texels_, scratch1_, scratch2_, scratch3_;
  std::vector<std::uint8_t> mask_;
  int texelsOfStage_ = -1;
};

}  // namespace refhost
