#include "present/SpriteDrawStates.h"

#include "host/Modules.h"
#include "present/SpriteVertexBuffer.h"

namespace tamblet {
namespace {

constexpr DWORD kNoTextureFactor = 0xFFFFFFFF;

void setStage(RenderStateCache& cache, DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) {
  cache.setTextureStageState(stage, type, value);
}

// A stage's colour and alpha back to DISABLE / TEXTURE / CURRENT (op, arg1, arg2).
void resetStage(RenderStateCache& cache, DWORD stage) {
  setStage(cache, stage, D3DTSS_COLOROP, D3DTOP_DISABLE);
  setStage(cache, stage, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  setStage(cache, stage, D3DTSS_COLORARG2, D3DTA_CURRENT);
  setStage(cache, stage, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
  setStage(cache, stage, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
  setStage(cache, stage, D3DTSS_ALPHAARG2, D3DTA_CURRENT);
}

void setBlend(RenderStateCache& cache, DWORD enable, DWORD source, DWORD destination) {
  cache.setRenderState(D3DRS_ALPHABLENDENABLE, enable);
  cache.setRenderState(D3DRS_SRCBLEND, source);
  cache.setRenderState(D3DRS_DESTBLEND, destination);
}

// Stage 0's alpha from the texture's alpha times the vertex alpha (the blend rate).
void alphaFromTextureAndRate(RenderStateCache& cache) {
  setStage(cache, 0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
  setStage(cache, 0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
  setStage(cache, 0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
}

// Stage 0's alpha from the vertex alpha only (the texture has none of its own).
void alphaFromRate(RenderStateCache& cache) {
  setStage(cache, 0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG2);
  setStage(cache, 0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
}

// Multiply and screen blend colours only: stage `stage` makes the transparent parts neutral, white
// under multiplication (fading to the white texture by the current alpha), black under the screen
// blend (the colour premultiplied by its alpha).
void neutralTransparency(IDirect3DDevice9* device, RenderStateCache& cache, const Direct3DSpriteRecord& record,
                         DWORD stage) {
  if (record.drawMethod == 2) {
    device->SetTexture(stage, record.whiteTexture);
    setStage(cache, stage, D3DTSS_COLORARG1, D3DTA_CURRENT);
    setStage(cache, stage, D3DTSS_COLORARG2, D3DTA_TEXTURE);
    setStage(cache, stage, D3DTSS_COLOROP, D3DTOP_BLENDCURRENTALPHA);
    setStage(cache, stage, D3DTSS_ALPHAOP, D3DTOP_SELECTARG2);
    setStage(cache, stage, D3DTSS_ALPHAARG2, D3DTA_CURRENT);
  } else {
    setStage(cache, stage, D3DTSS_COLORARG1, D3DTA_CURRENT | D3DTA_ALPHAREPLICATE);
    setStage(cache, stage, D3DTSS_COLORARG2, D3DTA_CURRENT);
    setStage(cache, stage, D3DTSS_COLOROP, D3DTOP_MODULATE);
  }
}

// The blend states of the record's draw method; `extraStage` is the stage multiply and screen use.
void setMethodStates(IDirect3DDevice9* device, RenderStateCache& cache, const Direct3DSpriteRecord& record,
                     DWORD extraStage) {
  const bool hasAlpha = record.surface->HasAMap();
  const bool opaque = record.blendRate == 255;
  switch (record.drawMethod) {
    case 0:
      if (hasAlpha || !opaque) {
        setBlend(cache, 1, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA);
        hasAlpha ? alphaFromTextureAndRate(cache) : alphaFromRate(cache);
      } else {
        setBlend(cache, 0, D3DBLEND_ONE, D3DBLEND_ZERO);
        setStage(cache, 0, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
        setStage(cache, 0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
        setStage(cache, 0, D3DTSS_ALPHAARG2, D3DTA_CURRENT);
      }
      return;
    case 1:
      cache.setRenderState(D3DRS_ALPHABLENDENABLE, 1);
      cache.setRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
      if (hasAlpha || !opaque) {
        cache.setRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
        hasAlpha ? alphaFromTextureAndRate(cache) : alphaFromRate(cache);
      } else {
        cache.setRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
        setStage(cache, 0, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
      }
      return;
    case 2:
    case 3:
      if (record.drawMethod == 2) {
        setBlend(cache, 1, D3DBLEND_ZERO, D3DBLEND_SRCCOLOR);
      } else {
        setBlend(cache, 1, D3DBLEND_INVDESTCOLOR, D3DBLEND_ONE);
      }
      cache.setRenderState(D3DRS_BLENDOP, D3DBLENDOP_ADD);
      if (opaque && !hasAlpha) return;
      setStage(cache, 0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
      setStage(cache, 0, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE);
      setStage(cache, 0, D3DTSS_ALPHAARG2, D3DTA_TEXTURE);
      neutralTransparency(device, cache, record, extraStage);
      return;
    default:
      return;  // no blend state: drawn with what earlier records left
  }
}

}  // namespace

bool drawSpriteRecord(IDirect3DDevice9* device, RenderStateCache& cache, const Direct3DSpriteRecord& record,
                      IDirect3DVertexBuffer9* vertexBuffer) {
  if (!record.drawable()) return true;
  if (record.drawPlugin) {
    // Held across the call: the plug-in may detach itself while it draws.
    const Ref<IDXPlugin> plugin = record.drawPlugin;
    if (!plugin->Draw()) return false;
    cache.clear();  // the plug-in may have changed any state
    return true;
  }

  // Stage 0: the texture, point-sampled unless the record is transformed with linear filtering.
  device->SetTexture(0, record.texture.texture.get());
  cache.setRenderState(D3DRS_ZENABLE, 0);
  cache.setRenderState(D3DRS_ZWRITEENABLE, 0);
  cache.setSamplerState(D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP);
  cache.setSamplerState(D3DSAMP_ADDRESSV, D3DTADDRESS_CLAMP);
  const DWORD filter = record.transformMode == 1 && record.textureFilterType == 1 ? D3DTEXF_LINEAR : D3DTEXF_POINT;
  cache.setSamplerState(D3DSAMP_MAGFILTER, filter);
  cache.setSamplerState(D3DSAMP_MINFILTER, filter);
  cache.setSamplerState(D3DSAMP_MIPFILTER, D3DTEXF_NONE);
  cache.setSamplerState(D3DSAMP_MAXANISOTROPY, 1);
  setStage(cache, 0, D3DTSS_COLOROP, D3DTOP_MODULATE);
  setStage(cache, 0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  setStage(cache, 0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);

  // Stage 1: the add colour, its alpha too when the packed alpha byte is above 0.
  const std::uint32_t add = record.packedAddColor();
  const bool addUsed = add != 0;
  if (addUsed) {
    cache.setRenderState(D3DRS_TEXTUREFACTOR, add);
    setStage(cache, 1, D3DTSS_COLOROP, D3DTOP_ADD);
    setStage(cache, 1, D3DTSS_COLORARG1, D3DTA_TFACTOR);
    setStage(cache, 1, D3DTSS_COLORARG2, D3DTA_CURRENT);
    if ((add >> 24) > 0) {
      setStage(cache, 1, D3DTSS_ALPHAOP, D3DTOP_ADD);
      setStage(cache, 1, D3DTSS_ALPHAARG1, D3DTA_TFACTOR);
      setStage(cache, 1, D3DTSS_ALPHAARG2, D3DTA_CURRENT);
    }
  }
  setMethodStates(device, cache, record, addUsed ? 2 : 1);

  const bool drawn = cache.setFVF(SpriteVertexBuffer::kFvf) &&
                     cache.setStreamSource(vertexBuffer, SpriteVertexBuffer::kStride) &&
                     succeeded(device->DrawPrimitive(D3DPT_TRIANGLESTRIP, static_cast<UINT>(record.firstVertex), 2));

  // Reset what only this record wanted, drawn or not.
  if (addUsed) {
    cache.setRenderState(D3DRS_TEXTUREFACTOR, kNoTextureFactor);
    resetStage(cache, 1);
  }
  if (record.drawMethod == 2 || record.drawMethod == 3) {
    device->SetTexture(1, nullptr);
    resetStage(cache, 1);
    if (addUsed) {
      cache.setRenderState(D3DRS_TEXTUREFACTOR, kNoTextureFactor);
      device->SetTexture(2, nullptr);
      resetStage(cache, 2);
    }
  }
  return drawn;
}

void resetAfterStore(RenderStateCache& cache) {
  setBlend(cache, 0, D3DBLEND_ONE, D3DBLEND_ZERO);
  setStage(cache, 0, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
  setStage(cache, 0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
  setStage(cache, 0, D3DTSS_ALPHAARG2, D3DTA_CURRENT);
}

}  // namespace tamblet
