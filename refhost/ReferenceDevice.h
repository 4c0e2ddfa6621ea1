// The reference host's software Direct3D 9 device: an IDirect3DDevice9 that draws into memory what
// the engine's Direct3D view and the transition module ask for, records every call and can be made
// to fail any call or to lose itself, so tests can run the Direct3D view without a graphics card.
//
// What it draws: pre-transformed vertices (XYZRHW, optional diffuse colour, texture coordinates)
// from a vertex buffer or from memory, as triangle strips, lists and fans, through the fixed-function
// texture stages into the back buffer or a render target; see D3DRasterizer.h (coverage, the top-left
// fill rule, interpolation) and D3DPixelPath.h (sampling, stage operations, blending, and the exact
// roundings). A draw with a state it does not draw answers D3DERR_INVALIDCALL and draws nothing.
// Where Direct3D 9 leaves the result open, the device decides and says so there; the one the engine
// meets: ALPHAOP DISABLE on a stage whose COLOROP is active passes the incoming alpha through (the
// diffuse alpha on stage 0, the previous stage's alpha after it).
//
// Rules it keeps, as Direct3D 9 documents them or as a careful driver would:
//   - Draw calls need BeginScene … EndScene; scenes do not nest; Present inside a scene fails.
//   - Clear clears the viewport (cut by the scissor rectangle when the scissor test is on), or the
//     given rectangles inside it; D3DCLEAR_ZBUFFER without a depth buffer and D3DCLEAR_STENCIL (there
//     is no stencil) answer D3DERR_INVALIDCALL. The device has a depth buffer unless made without one.
//   - Draws are clipped to the viewport and, with the scissor test on, to the scissor rectangle.
//     SetRenderTarget resets the viewport to the whole target.
//   - Lost device: every call succeeds and does nothing that draws (Draw*, Clear, Present's copy);
//     TestCooperativeLevel answers D3DERR_DEVICELOST, or
//     D3DERR_DEVICENOTRESET after restoreDevice(); Present answers D3DERR_DEVICELOST and
//     GetRenderTargetData D3DERR_DEVICELOST; Reset answers D3DERR_DEVICELOST until restoreDevice().
//   - Reset fails with D3DERR_INVALIDCALL while a default-pool resource lives (textures, vertex
//     buffers, render targets, and the back buffer while someone holds it). A successful Reset puts
//     every state back to its default, unbinds textures and the stream source, makes the back buffer
//     the render target again and clears it to 0. The back buffer keeps its size (0 or the current size;
//     another size answers D3DERR_INVALIDCALL); the depth-buffer choice made at construction stays.
//   - Bindings (SetTexture, SetStreamSource, SetRenderTarget) do not keep a resource alive: a
//     resource released while bound is unbound (the slot answers null; a released render target
//     gives way to the back buffer). Every resource holds a reference on the device.
//   - Present copies the back buffer into the present target set with setPresentTarget (the area
//     both cover; rectangles, window and dirty region are ignored).
//   - Texture sizes from 1 to the maximum texture size (setMaxTextureSize, 4096 by default); one
//     level (Levels 1, or 0 for a 1 × 1 texture); format A8R8G8B8 only; usage 0, DYNAMIC or
//     RENDERTARGET (default pool only); DYNAMIC is not allowed in the managed pool. Render targets are
//     such textures' surfaces: CreateRenderTarget, StretchRect, ColorFill and UpdateSurface, which
//     nobody here calls, answer D3DERR_INVALIDCALL like the other unused operations.
//   - Vertices must be pre-transformed (D3DFVF_XYZRHW); point size and specular colour are skipped,
//     a missing diffuse colour is opaque white, and the first texture set's u, v are read. Triangle
//     lists, strips and fans draw, up to 2^24 primitives a call; points and lines answer
//     D3DERR_INVALIDCALL. DrawPrimitiveUP unsets stream 0, as Direct3D documents.
//   - Calls nobody here uses answer D3DERR_INVALIDCALL and set nothing (their out-pointers null);
//     QueryInterface answers E_NOINTERFACE; SetVertexShader and SetPixelShader take null only (the
//     fixed-function pipeline).
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "host/D3D9.h"
#include "host/Surface.h"
#include "refhost/D3DCallLog.h"
#include "refhost/D3DPipelineState.h"
#include "refhost/D3DPixelPath.h"
#include "refhost/D3DRasterizer.h"
#include "refhost/D3DResource.h"
#include "refhost/Ledger.h"

namespace refhost {

class D3DSurface;
class D3DTexture;
class D3DVertexBuffer;

class ReferenceDevice final : public tamblet::IDirect3DDevice9 {
 public:
  // A device with an A8R8G8B8 back buffer of width × height (1 to 16384 each; other sizes are
  // taken as 1), a depth buffer unless `depthBuffer` is false, and one reference for the caller.
  // The device deletes itself at its last Release.
  ReferenceDevice(std::int32_t width, std::int32_t height, bool depthBuffer = true);

  // ---- Test-facing API ----
  // Recording: while on, every call on the device and its resources appends one line (format in
  // D3DCallLog.h), e.g. "SetRenderState(27, 1)", "SetTexture(0, tex#3)", "vb#1.Lock(0, 0, 8192)".
  void setRecording(bool on) { log_.setRecording(on); }
  const std::vector<std::string>& calls() const { return log_.calls(); }
  void clearCalls() { log_.clear(); }
  // The nth future call (1 = next) of the named operation ("CreateTexture", "LockRect", "Lock",
  // "DrawPrimitive", …; calls on resources count under their own name) answers D3DERR_INVALIDCALL
  // and does nothing. Only calls that answer an HRESULT can fail.
  void failCall(const std::string& operation, int nth = 1) { log_.failCall(operation, nth); }
  // Device loss and recovery, as above.
  void loseDevice();
  void restoreDevice();
  bool lost() const { return lost_; }
  // The back buffer: width × height 0xAARRGGBB words, rows backBufferPitch() bytes apart.
  const std::uint32_t* backBuffer() const;
  std::int32_t backBufferPitch() const;
  std::int32_t width() const { return width_; }
  std::int32_t height() const { return height_; }
  void setMaxTextureSize(std::int32_t size) { maxTextureSize_ = size; }
  // Textures, vertex buffers and stand-alone surfaces alive, plus owned surfaces (back buffer,
  // texture levels) while someone holds a reference to them.
  std::int32_t liveResources() const;
  // The device's own reference count (the caller's references plus one per live resource).
  std::int32_t referenceCount() const { return static_cast<std::int32_t>(references_); }
  // The state a plug-in Draw starts from: cull none, stages 1-7 disabled (colour and alpha), blend
  // op add, texture factor 0xFFFFFFFF, alpha test and scissor test off. Not recorded.
  void applyBaseline();
  // Where Present copies the back buffer (32 bits per pixel; one reference held), or null for
  // nowhere; and how many Presents copied a frame.
  void setPresentTarget(tamblet::ISurface* target);
  std::int32_t presents() const { return presents_; }
  // The depth value at (x, y), or 0 without a depth buffer (for tests of the depth test).
  float depthAt(std::int32_t x, std::int32_t y) const;

  // ---- IDirect3DDevice9 ----
  tamblet::HRESULT TAMBLET_HOSTCALL QueryInterface(const tamblet::InterfaceId& id, void** object) override;
  tamblet::ULONG TAMBLET_HOSTCALL AddRef() override;
  tamblet::ULONG TAMBLET_HOSTCALL Release() override;
  tamblet::HRESULT TAMBLET_HOSTCALL TestCooperativeLevel() override;
  tamblet::UINT TAMBLET_HOSTCALL GetAvailableTextureMem() override;
  tamblet::HRESULT TAMBLET_HOSTCALL EvictManagedResources() override;
  tamblet::HRESULT TAMBLET_HOSTCALL GetDirect3D(tamblet::IDirect3D9** direct3d) override;
  tamblet::HRESULT TAMBLET_HOSTCALL GetDeviceCaps(tamblet::D3DCAPS9* caps) override;
  tamblet::HRESULT TAMBLET_HOSTCALL GetDisplayMode(tamblet::UINT swapChain, tamblet::D3DDISPLAYMODE* mode) override;
  tamblet::HRESULT TAMBLET_HOSTCALL GetCreationParameters(tamblet::D3DDEVICE_CREATION_PARAMETERS* params) override;
  tamblet::HRESULT TAMBLET_HOSTCALL SetCursorProperties(tamblet::UINT x, tamblet::UINT y,
                                                        tamblet::IDirect3DSurface9* bitmap) override;
  void TAMBLET_HOSTCALL SetCursorPosition(tamblet::INT x, tamblet::INT y, tamblet::DWORD flags) override;
  tamblet::BOOL TAMBLET_HOSTCALL ShowCursor(tamblet::BOOL show) override;
  tamblet::HRESULT TAMBLET_HOSTCALL CreateAdditionalSwapChain(tamblet::D3DPRESENT_PARAMETERS* params,
                                                              tamblet::IDirect3DSwapChain9** swapChain) override;
  tamblet::HRESULT TAMBLET_HOSTCALL GetSwapChain(tamblet::UINT index,
                                                 tamblet::IDirect3DSwapChain9** swapChain) override;
  tamblet::UINT TAMBLET_HOSTCALL GetNumberOfSwapChains() override;
  tamblet::HRESULT TAMBLET_HOSTCALL Reset(tamblet::D3DPRESENT_PARAMETERS* params) override;
  tamblet::HRESULT TAMBLET_HOSTCALL Present(const tamblet::RECT* source, const tamblet::RECT* dest,
                                            tamblet::HWND window, const tamblet::RGNDATA* dirty) override;
  tamblet::HRESULT TAMBLET_HOSTCALL GetBackBuffer(tamblet::UINT swapChain, tamblet::UINT index,
                                                  tamblet::D3DBACKBUFFER_TYPE type,
                                                  tamblet::IDirect3DSurface9** surface) override;
  tamblet::HRESULT TAMBLET_HOSTCALL GetRasterStatus(tamblet::UINT swapChain,
                                                    tamblet::D3DRASTER_STATUS* status) override;
  tamblet::HRESULT TAMBLET_HOSTCALL SetDialogBoxMode(tamblet::BOOL enable) override;
  void TAMBLET_HOSTCALL SetGammaRamp(tamblet::UINT swapChain, tamblet::DWORD flags,
                                     const tamblet::D3DGAMMARAMP* ramp) override;
  void TAMBLET_HOSTCALL GetGammaRamp(tamblet::UINT swapChain, tamblet::D3DGAMMARAMP* ramp) override;
  tamblet::HRESULT TAMBLET_HOSTCALL CreateTexture(tamblet::UINT width, tamblet::UINT height, tamblet::UINT levels,
                                                  tamblet::DWORD usage, tamblet::D3DFORMAT format,
                                                  tamblet::D3DPOOL pool, tamblet::IDirect3DTexture9** texture,
                                                  tamblet::HANDLE* shared) override;
  tamblet::HRESULT TAMBLET_HOSTCALL CreateVolumeTexture(tamblet::UINT width, tamblet::UINT height, tamblet::UINT depth,
                                                        tamblet::UINT levels, tamblet::DWORD usage,
                                                        tamblet::D3DFORMAT format, tamblet::D3DPOOL pool,
                                                        tamblet::IDirect3DVolumeTexture9** texture,
                                                        tamblet::HANDLE* shared) override;
  tamblet::HRESULT TAMBLET_HOSTCALL CreateCubeTexture(tamblet::UINT edge, tamblet::UINT levels, tamblet::DWORD usage,
                                                      tamblet::D3DFORMAT format, tamblet::D3DPOOL pool,
                                                      tamblet::IDirect3DCubeTexture9** texture,
                                                      tamblet::HANDLE* shared) override;
  tamblet::HRESULT TAMBLET_HOSTCALL CreateVertexBuffer(tamblet::UINT length, tamblet::DWORD usage, tamblet::DWORD fvf,
                                                       tamblet::D3DPOOL pool, tamblet::IDirect3DVertexBuffer9** buffer,
                                                       tamblet::HANDLE* shared) override;
  tamblet::HRESULT TAMBLET_HOSTCALL CreateIndexBuffer(tamblet::UINT length, tamblet::DWORD usage,
                                                      tamblet::D3DFORMAT format, tamblet::D3DPOOL pool,
                                                      tamblet::IDirect3DIndexBuffer9** buffer,
                                                      tamblet::HANDLE* shared) override;
  tamblet::HRESULT TAMBLET_HOSTCALL CreateRenderTarget(tamblet::UINT width, tamblet::UINT height,
                                                       tamblet::D3DFORMAT format,
                                                       tamblet::D3DMULTISAMPLE_TYPE multiSample, tamblet::DWORD quality,
                                                       tamblet::BOOL lockable, tamblet::IDirect3DSurface9** surface,
                                                       tamblet::HANDLE* shared) override;
  tamblet::HRESULT TAMBLET_HOSTCALL CreateDepthStencilSurface(tamblet::UINT width, tamblet::UINT height,
                                                              tamblet::D3DFORMAT format,
                                                              tamblet::D3DMULTISAMPLE_TYPE multiSample,
                                                              tamblet::DWORD quality, tamblet::BOOL discard,
                                                              tamblet::IDirect3DSurface9** surface,
                                                              tamblet::HANDLE* shared) override;
  tamblet::HRESULT TAMBLET_HOSTCALL UpdateSurface(tamblet::IDirect3DSurface9* source, const tamblet::RECT* sourceRect,
                                                  tamblet::IDirect3DSurface9* dest,
                                                  const tamblet::POINT* destPoint) override;
  tamblet::HRESULT TAMBLET_HOSTCALL UpdateTexture(tamblet::IDirect3DBaseTexture9* source,
                                                  tamblet::IDirect3DBaseTexture9* dest) override;
  tamblet::HRESULT TAMBLET_HOSTCALL GetRenderTargetData(tamblet::IDirect3DSurface9* target,
                                                        tamblet::IDirect3DSurface9* dest) override;
  tamblet::HRESULT TAMBLET_HOSTCALL GetFrontBufferData(tamblet::UINT swapChain,
                                                       tamblet::IDirect3DSurface9* dest) override;
  tamblet::HRESULT TAMBLET_HOSTCALL StretchRect(tamblet::IDirect3DSurface9* source, const tamblet::RECT* sourceRect,
                                                tamblet::IDirect3DSurface9* dest, const tamblet::RECT* destRect,
                                                tamblet::D3DTEXTUREFILTERTYPE filter) override;
  tamblet::HRESULT TAMBLET_HOSTCALL ColorFill(tamblet::IDirect3DSurface9* surface, const tamblet::RECT* rect,
                                              tamblet::D3DCOLOR color) override;
  tamblet::HRESULT TAMBLET_HOSTCALL CreateOffscreenPlainSurface(tamblet::UINT width, tamblet::UINT height,
                                                                tamblet::D3DFORMAT format, tamblet::D3DPOOL pool,
                                                                tamblet::IDirect3DSurface9** surface,
                                                                tamblet::HANDLE* shared) override;
  tamblet::HRESULT TAMBLET_HOSTCALL SetRenderTarget(tamblet::DWORD index, tamblet::IDirect3DSurface9* target) override;
  tamblet::HRESULT TAMBLET_HOSTCALL GetRenderTarget(tamblet::DWORD index, tamblet::IDirect3DSurface9** target) override;
  tamblet::HRESULT TAMBLET_HOSTCALL SetDepthStencilSurface(tamblet::IDirect3DSurface9* surface) override;
  tamblet::HRESULT TAMBLET_HOSTCALL GetDepthStencilSurface(tamblet::IDirect3DSurface9** surface) override;
  tamblet::HRESULT TAMBLET_HOSTCALL BeginScene() override;
  tamblet::HRESULT TAMBLET_HOSTCALL EndScene() override;
  tamblet::HRESULT TAMBLET_HOSTCALL Clear(tamblet::DWORD count, const tamblet::D3DRECT* rects, tamblet::DWORD flags,
                                          tamblet::D3DCOLOR color, float z, tamblet::DWORD stencil) override;
  tamblet::HRESULT TAMBLET_HOSTCALL SetTransform(tamblet::D3DTRANSFORMSTATETYPE state,
                                                 const tamblet::D3DMATRIX* matrix) override;
  tamblet::HRESULT TAMBLET_HOSTCALL GetTransform(tamblet::D3DTRANSFORMSTATETYPE state,
                                                 tamblet::D3DMATRIX* matrix) override;
  tamblet::HRESULT TAMBLET_HOSTCALL MultiplyTransform(tamblet::D3DTRANSFORMSTATETYPE state,
                                                      const tamblet::D3DMATRIX* matrix) override;
  tamblet::HRESULT TAMBLET_HOSTCALL SetViewport(const tamblet::D3DVIEWPORT9* viewport) override;
  tamblet::HRESULT TAMBLET_HOSTCALL GetViewport(tamblet::D3DVIEWPORT9* viewport) override;
  tamblet::HRESULT TAMBLET_HOSTCALL SetMaterial(const tamblet::D3DMATERIAL9* material) override;
  tamblet::HRESULT TAMBLET_HOSTCALL GetMaterial(tamblet::D3DMATERIAL9* material) override;
  tamblet::HRESULT TAMBLET_HOSTCALL SetLight(tamblet::DWORD index, const tamblet::D3DLIGHT9* light) override;
  tamblet::HRESULT TAMBLET_HOSTCALL GetLight(tamblet::DWORD index, tamblet::D3DLIGHT9* light) override;
  tamblet::HRESULT TAMBLET_HOSTCALL LightEnable(tamblet::DWORD index, tamblet::BOOL enable) override;
  tamblet::HRESULT TAMBLET_HOSTCALL GetLightEnable(tamblet::DWORD index, tamblet::BOOL* enable) override;
  tamblet::HRESULT TAMBLET_HOSTCALL SetClipPlane(tamblet::DWORD index, const float* plane) override;
  tamblet::HRESULT TAMBLET_HOSTCALL GetClipPlane(tamblet::DWORD index, float* plane) override;
  tamblet::HRESULT TAMBLET_HOSTCALL SetRenderState(tamblet::D3DRENDERSTATETYPE state, tamblet::DWORD value) override;
  tamblet::HRESULT TAMBLET_HOSTCALL GetRenderState(tamblet::D3DRENDERSTATETYPE state, tamblet::DWORD* value) override;
  tamblet::HRESULT TAMBLET_HOSTCALL CreateStateBlock(tamblet::D3DSTATEBLOCKTYPE type,
                                                     tamblet::IDirect3DStateBlock9** block) override;
  tamblet::HRESULT TAMBLET_HOSTCALL BeginStateBlock() override;
  tamblet::HRESULT TAMBLET_HOSTCALL EndStateBlock(tamblet::IDirect3DStateBlock9** block) override;
  tamblet::HRESULT TAMBLET_HOSTCALL SetClipStatus(const tamblet::D3DCLIPSTATUS9* status) override;
  tamblet::HRESULT TAMBLET_HOSTCALL GetClipStatus(tamblet::D3DCLIPSTATUS9* status) override;
  tamblet::HRESULT TAMBLET_HOSTCALL GetTexture(tamblet::DWORD stage, tamblet::IDirect3DBaseTexture9** texture) override;
  tamblet::HRESULT TAMBLET_HOSTCALL SetTexture(tamblet::DWORD stage, tamblet::IDirect3DBaseTexture9* texture) override;
  tamblet::HRESULT TAMBLET_HOSTCALL GetTextureStageState(tamblet::DWORD stage, tamblet::D3DTEXTURESTAGESTATETYPE type,
                                                         tamblet::DWORD* value) override;
  tamblet::HRESULT TAMBLET_HOSTCALL SetTextureStageState(tamblet::DWORD stage, tamblet::D3DTEXTURESTAGESTATETYPE type,
                                                         tamblet::DWORD value) override;
  tamblet::HRESULT TAMBLET_HOSTCALL GetSamplerState(tamblet::DWORD sampler, tamblet::D3DSAMPLERSTATETYPE type,
                                                    tamblet::DWORD* value) override;
  tamblet::HRESULT TAMBLET_HOSTCALL SetSamplerState(tamblet::DWORD sampler, tamblet::D3DSAMPLERSTATETYPE type,
                                                    tamblet::DWORD value) override;
  tamblet::HRESULT TAMBLET_HOSTCALL ValidateDevice(tamblet::DWORD* passes) override;
  tamblet::HRESULT TAMBLET_HOSTCALL SetPaletteEntries(tamblet::UINT palette,
                                                      const tamblet::PALETTEENTRY* entries) override;
  tamblet::HRESULT TAMBLET_HOSTCALL GetPaletteEntries(tamblet::UINT palette, tamblet::PALETTEENTRY* entries) override;
  tamblet::HRESULT TAMBLET_HOSTCALL SetCurrentTexturePalette(tamblet::UINT palette) override;
  tamblet::HRESULT TAMBLET_HOSTCALL GetCurrentTexturePalette(tamblet::UINT* palette) override;
  tamblet::HRESULT TAMBLET_HOSTCALL SetScissorRect(const tamblet::RECT* rect) override;
  tamblet::HRESULT TAMBLET_HOSTCALL GetScissorRect(tamblet::RECT* rect) override;
  tamblet::HRESULT TAMBLET_HOSTCALL SetSoftwareVertexProcessing(tamblet::BOOL software) override;
  tamblet::BOOL TAMBLET_HOSTCALL GetSoftwareVertexProcessing() override;
  tamblet::HRESULT TAMBLET_HOSTCALL SetNPatchMode(float segments) override;
  float TAMBLET_HOSTCALL GetNPatchMode() override;
  tamblet::HRESULT TAMBLET_HOSTCALL DrawPrimitive(tamblet::D3DPRIMITIVETYPE type, tamblet::UINT startVertex,
                                                  tamblet::UINT primitives) override;
  tamblet::HRESULT TAMBLET_HOSTCALL DrawIndexedPrimitive(tamblet::D3DPRIMITIVETYPE type, tamblet::INT baseVertex,
                                                         tamblet::UINT minIndex, tamblet::UINT vertices,
                                                         tamblet::UINT startIndex, tamblet::UINT primitives) override;
  tamblet::HRESULT TAMBLET_HOSTCALL DrawPrimitiveUP(tamblet::D3DPRIMITIVETYPE type, tamblet::UINT primitives,
                                                    const void* vertices, tamblet::UINT stride) override;
  tamblet::HRESULT TAMBLET_HOSTCALL DrawIndexedPrimitiveUP(tamblet::D3DPRIMITIVETYPE type, tamblet::UINT minIndex,
                                                           tamblet::UINT vertexCount, tamblet::UINT primitives,
                                                           const void* indices, tamblet::D3DFORMAT indexFormat,
                                                           const void* vertices, tamblet::UINT stride) override;
  tamblet::HRESULT TAMBLET_HOSTCALL ProcessVertices(tamblet::UINT sourceStart, tamblet::UINT destIndex,
                                                    tamblet::UINT count, tamblet::IDirect3DVertexBuffer9* dest,
                                                    tamblet::IDirect3DVertexDeclaration9* declaration,
                                                    tamblet::DWORD flags) override;
  tamblet::HRESULT TAMBLET_HOSTCALL CreateVertexDeclaration(
      const tamblet::D3DVERTEXELEMENT9* elements, tamblet::IDirect3DVertexDeclaration9** declaration) override;
  tamblet::HRESULT TAMBLET_HOSTCALL SetVertexDeclaration(tamblet::IDirect3DVertexDeclaration9* declaration) override;
  tamblet::HRESULT TAMBLET_HOSTCALL GetVertexDeclaration(tamblet::IDirect3DVertexDeclaration9** declaration) override;
  tamblet::HRESULT TAMBLET_HOSTCALL SetFVF(tamblet::DWORD fvf) override;
  tamblet::HRESULT TAMBLET_HOSTCALL GetFVF(tamblet::DWORD* fvf) override;
  tamblet::HRESULT TAMBLET_HOSTCALL CreateVertexShader(const tamblet::DWORD* function,
                                                       tamblet::IDirect3DVertexShader9** shader) override;
  tamblet::HRESULT TAMBLET_HOSTCALL SetVertexShader(tamblet::IDirect3DVertexShader9* shader) override;
  tamblet::HRESULT TAMBLET_HOSTCALL GetVertexShader(tamblet::IDirect3DVertexShader9** shader) override;
  tamblet::HRESULT TAMBLET_HOSTCALL SetVertexShaderConstantF(tamblet::UINT start, const float* data,
                                                             tamblet::UINT count) override;
  tamblet::HRESULT TAMBLET_HOSTCALL GetVertexShaderConstantF(tamblet::UINT start, float* data,
                                                             tamblet::UINT count) override;
  tamblet::HRESULT TAMBLET_HOSTCALL SetVertexShaderConstantI(tamblet::UINT start, const tamblet::INT* data,
                                                             tamblet::UINT count) override;
  tamblet::HRESULT TAMBLET_HOSTCALL GetVertexShaderConstantI(tamblet::UINT start, tamblet::INT* data,
                                                             tamblet::UINT count) override;
  tamblet::HRESULT TAMBLET_HOSTCALL SetVertexShaderConstantB(tamblet::UINT start, const tamblet::BOOL* data,
                                                             tamblet::UINT count) override;
  tamblet::HRESULT TAMBLET_HOSTCALL GetVertexShaderConstantB(tamblet::UINT start, tamblet::BOOL* data,
                                                             tamblet::UINT count) override;
  tamblet::HRESULT TAMBLET_HOSTCALL SetStreamSource(tamblet::UINT stream, tamblet::IDirect3DVertexBuffer9* buffer,
                                                    tamblet::UINT offset, tamblet::UINT stride) override;
  tamblet::HRESULT TAMBLET_HOSTCALL GetStreamSource(tamblet::UINT stream, tamblet::IDirect3DVertexBuffer9** buffer,
                                                    tamblet::UINT* offset, tamblet::UINT* stride) override;
  tamblet::HRESULT TAMBLET_HOSTCALL SetStreamSourceFreq(tamblet::UINT stream, tamblet::UINT setting) override;
  tamblet::HRESULT TAMBLET_HOSTCALL GetStreamSourceFreq(tamblet::UINT stream, tamblet::UINT* setting) override;
  tamblet::HRESULT TAMBLET_HOSTCALL SetIndices(tamblet::IDirect3DIndexBuffer9* indices) override;
  tamblet::HRESULT TAMBLET_HOSTCALL GetIndices(tamblet::IDirect3DIndexBuffer9** indices) override;
  tamblet::HRESULT TAMBLET_HOSTCALL CreatePixelShader(const tamblet::DWORD* function,
                                                      tamblet::IDirect3DPixelShader9** shader) override;
  tamblet::HRESULT TAMBLET_HOSTCALL SetPixelShader(tamblet::IDirect3DPixelShader9* shader) override;
  tamblet::HRESULT TAMBLET_HOSTCALL GetPixelShader(tamblet::IDirect3DPixelShader9** shader) override;
  tamblet::HRESULT TAMBLET_HOSTCALL SetPixelShaderConstantF(tamblet::UINT start, const float* data,
                                                            tamblet::UINT count) override;
  tamblet::HRESULT TAMBLET_HOSTCALL GetPixelShaderConstantF(tamblet::UINT start, float* data,
                                                            tamblet::UINT count) override;
  tamblet::HRESULT TAMBLET_HOSTCALL SetPixelShaderConstantI(tamblet::UINT start, const tamblet::INT* data,
                                                            tamblet::UINT count) override;
  tamblet::HRESULT TAMBLET_HOSTCALL GetPixelShaderConstantI(tamblet::UINT start, tamblet::INT* data,
                                                            tamblet::UINT count) override;
  tamblet::HRESULT TAMBLET_HOSTCALL SetPixelShaderConstantB(tamblet::UINT start, const tamblet::BOOL* data,
                                                            tamblet::UINT count) override;
  tamblet::HRESULT TAMBLET_HOSTCALL GetPixelShaderConstantB(tamblet::UINT start, tamblet::BOOL* data,
                                                            tamblet::UINT count) override;
  tamblet::HRESULT TAMBLET_HOSTCALL DrawRectPatch(tamblet::UINT handle, const float* segments,
                                                  const tamblet::D3DRECTPATCH_INFO* info) override;
  tamblet::HRESULT TAMBLET_HOSTCALL DrawTriPatch(tamblet::UINT handle, const float* segments,
                                                 const tamblet::D3DTRIPATCH_INFO* info) override;
  tamblet::HRESULT TAMBLET_HOSTCALL DeletePatch(tamblet::UINT handle) override;
  tamblet::HRESULT TAMBLET_HOSTCALL CreateQuery(tamblet::D3DQUERYTYPE type, tamblet::IDirect3DQuery9** query) override;

 private:
  friend class D3DSurface;
  friend class D3DTexture;
  friend class D3DVertexBuffer;
  friend D3DCallLog& d3d_detail::log(ReferenceDevice&);

  ~ReferenceDevice();

  // A call nobody here uses: recorded, answered D3DERR_INVALIDCALL.
  template <class... Args>
  tamblet::HRESULT unsupported(const char* operation, const Args&... args) {
    log_.enter(nullptr, operation, args...);
    return tamblet::D3DERR_INVALIDCALL;
  }
  // The resource gone from the registry and from every binding.
  void forget(const void* resource);
  D3DTexture* findTexture(const void* pointer) const;
  D3DSurface* findSurface(const void* pointer) const;
  D3DVertexBuffer* findBuffer(const void* pointer) const;
  std::string nextLabel(const char* kind);
  bool defaultPoolResourceAlive() const;
  void resetState();
  // Draws `primitives` primitives of `type` from vertex bytes with the stride and FVF in effect.
  tamblet::HRESULT draw(tamblet::D3DPRIMITIVETYPE type, tamblet::UINT primitives, const std::uint8_t* bytes,
                        std::size_t available, tamblet::UINT stride);
  // The clip rectangle for draws and clears: viewport, then scissor when on.
  void clipRect(std::int32_t& left, std::int32_t& top, std::int32_t& right, std::int32_t& bottom) const;
  static std::string rectText(const tamblet::RECT* rect);

  LedgerEntry ledger_{"Direct3DDevice9"};
  tamblet::ULONG references_ = 1;
  D3DCallLog log_;
  std::int32_t width_, height_;
  bool hasDepth_;
  std::vector<float> depth_;
  D3DSurface* backBuffer_ = nullptr;
  D3DSurface* renderTarget_ = nullptr;
  D3DTexture* textures_[D3DPipelineState::kStages] = {};
  D3DVertexBuffer* stream_ = nullptr;
  tamblet::UINT streamOffset_ = 0, streamStride_ = 0;
  tamblet::DWORD fvf_ = 0;
  tamblet::D3DVIEWPORT9 viewport_{};
  D3DPipelineState state_;
  D3DPixelPath pixelPath_;
  D3DRasterizer rasterizer_;
  std::vector<D3DVertex> vertices_;
  bool inScene_ = false;
  bool lost_ = false;
  bool restored_ = false;
  std::int32_t maxTextureSize_ = 4096;
  std::int32_t presents_ = 0;
  tamblet::ISurface* presentTarget_ = nullptr;
  std::map<const void*, D3DTexture*> liveTextures_;
  std::map<const void*, D3DSurface*> liveSurfaces_;
  std::map<const void*, D3DVertexBuffer*> liveBuffers_;
  std::map<std::string, int> created_;
};

}  // namespace refhost
