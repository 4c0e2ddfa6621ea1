#include "refhost/D3DPipelineState.h"

#include <algorithm>

namespace refhost {

using namespace tamblet;

void D3DPipelineState::setDefaults(bool depthBuffer, std::int32_t width, std::int32_t height) {
  std::fill(&render[0], &render[0] + kRenderStates, 0u);
  render[D3DRS_ZENABLE] = depthBuffer ? 1 : 0;
  render[D3DRS_FILLMODE] = 3;  // D3DFILL_SOLID
  render[D3DRS_SHADEMODE] = D3DSHADE_GOURAUD;
  render[D3DRS_ZWRITEENABLE] = 1;
  render[D3DRS_SRCBLEND] = D3DBLEND_ONE;
  render[D3DRS_DESTBLEND] = D3DBLEND_ZERO;
  render[D3DRS_CULLMODE] = D3DCULL_CCW;
  render[D3DRS_ZFUNC] = D3DCMP_LESSEQUAL;
  render[D3DRS_ALPHAFUNC] = D3DCMP_ALWAYS;
  render[D3DRS_TEXTUREFACTOR] = 0xFFFFFFFFu;
  render[D3DRS_COLORWRITEENABLE] = 0xF;
  render[D3DRS_BLENDOP] = D3DBLENDOP_ADD;
  render[D3DRS_BLENDFACTOR] = 0xFFFFFFFFu;
  for (int s = 0; s < kStages; ++s) {
    std::fill(&stage[s][0], &stage[s][0] + kStageStates, 0u);
    stage[s][D3DTSS_COLOROP] = s == 0 ? D3DTOP_MODULATE : D3DTOP_DISABLE;
    stage[s][D3DTSS_COLORARG1] = D3DTA_TEXTURE;
    stage[s][D3DTSS_COLORARG2] = D3DTA_CURRENT;
    stage[s][D3DTSS_ALPHAOP] = s == 0 ? D3DTOP_SELECTARG1 : D3DTOP_DISABLE;
    stage[s][D3DTSS_ALPHAARG1] = D3DTA_TEXTURE;
    stage[s][D3DTSS_ALPHAARG2] = D3DTA_CURRENT;
    stage[s][D3DTSS_TEXCOORDINDEX] = static_cast<DWORD>(s);
  }
  for (int s = 0; s < kSamplers; ++s) {
    std::fill(&sampler[s][0], &sampler[s][0] + kSamplerStates, 0u);
    sampler[s][D3DSAMP_ADDRESSU] = D3DTADDRESS_WRAP;
    sampler[s][D3DSAMP_ADDRESSV] = D3DTADDRESS_WRAP;
    sampler[s][D3DSAMP_ADDRESSW] = D3DTADDRESS_WRAP;
    sampler[s][D3DSAMP_MAGFILTER] = D3DTEXF_POINT;
    sampler[s][D3DSAMP_MINFILTER] = D3DTEXF_POINT;
    sampler[s][D3DSAMP_MIPFILTER] = D3DTEXF_NONE;
    sampler[s][D3DSAMP_MAXANISOTROPY] = 1;
  }
  scissorLeft = 0;
  scissorTop = 0;
  scissorRight = width;
  scissorBottom = height;
}

}  // namespace refhost
