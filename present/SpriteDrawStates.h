// How one Direct3D sprite record is drawn: its texture on stage 0 modulated by the vertex colour
// (blend rate as alpha, multiply colour as red, green, blue), the add colour through the texture
// factor on stage 1, the blend states of its draw method (normal, additive, multiply, screen) with
// the extra stage multiply and screen need, one DrawPrimitive of two triangles, then the reset of
// what only this record wanted. Every state but the textures goes through the render-state cache.
#pragma once

#include "host/D3D9.h"
#include "present/Direct3DSpriteRecord.h"
#include "present/RenderStateCache.h"

namespace tamblet {

// Draws the record (a record that is not drawable succeeds without a call; one with a draw
// plug-in is drawn by the plug-in's Draw, after which the cache is cleared). False when the
// plug-in's Draw, the FVF, the stream source or DrawPrimitive fails; the record's states are
// reset either way.
bool drawSpriteRecord(IDirect3DDevice9* device, RenderStateCache& cache, const Direct3DSpriteRecord& record,
                      IDirect3DVertexBuffer9* vertexBuffer);

// After a non-empty store: blending off (source ONE, destination ZERO) and stage 0's alpha back
// to DISABLE / TEXTURE / CURRENT.
void resetAfterStore(RenderStateCache& cache);

}  // namespace tamblet
