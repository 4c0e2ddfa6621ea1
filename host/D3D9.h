// Direct3D 9 as the engine and hosts see it: the six interfaces the Direct3D view and the
// transition module use, each with every slot of its real virtual table (IUnknown's three first,
// so these never pass for the engine's own IInterface), 32-bit DWORD/UINT/HRESULT, and the
// structures, enumerations and constants those calls take. A device made by any Direct3D 9
// runtime can be driven through these declarations; operations nobody here calls keep their
// real parameter lists with incomplete types where their structures are not needed.
#pragma once

#include <cstdint>

#include "host/IInterface.h"
#include "host/InterfaceId.h"

namespace tamblet {

// ---- Scalar types ------------------------------------------------------------------------------

using DWORD = std::uint32_t;
using UINT = std::uint32_t;
using ULONG = std::uint32_t;
using WORD = std::uint16_t;
using BOOL = std::int32_t;
using INT = std::int32_t;
using LONG = std::int32_t;
using HRESULT = std::int32_t;
using D3DCOLOR = std::uint32_t;
using HANDLE = void*;
using HWND = void*;
using HDC = void*;

// Enumerations travel as 32-bit values.
using D3DFORMAT = DWORD;
using D3DPOOL = DWORD;
using D3DRESOURCETYPE = DWORD;
using D3DMULTISAMPLE_TYPE = DWORD;
using D3DPRIMITIVETYPE = DWORD;
using D3DRENDERSTATETYPE = DWORD;
using D3DTEXTURESTAGESTATETYPE = DWORD;
using D3DSAMPLERSTATETYPE = DWORD;
using D3DTEXTUREFILTERTYPE = DWORD;
using D3DTRANSFORMSTATETYPE = DWORD;
using D3DBACKBUFFER_TYPE = DWORD;
using D3DSTATEBLOCKTYPE = DWORD;
using D3DQUERYTYPE = DWORD;
using D3DSWAPEFFECT = DWORD;
using D3DDEVTYPE = DWORD;

// ---- Results -----------------------------------------------------------------------------------

inline constexpr HRESULT D3D_OK = 0;
inline constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002u);
inline constexpr HRESULT E_NOTIMPL = static_cast<HRESULT>(0x80004001u);
inline constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000Eu);
inline constexpr HRESULT D3DERR_DEVICELOST = static_cast<HRESULT>(0x88760868u);
inline constexpr HRESULT D3DERR_DEVICENOTRESET = static_cast<HRESULT>(0x88760869u);
inline constexpr HRESULT D3DERR_INVALIDCALL = static_cast<HRESULT>(0x8876086Cu);
inline constexpr HRESULT D3DERR_OUTOFVIDEOMEMORY = static_cast<HRESULT>(0x8876017Cu);
inline constexpr HRESULT D3DERR_NOTAVAILABLE = static_cast<HRESULT>(0x8876086Au);

inline constexpr bool succeeded(HRESULT result) { return result >= 0; }

// ---- Constants ---------------------------------------------------------------------------------

// Vertex formats: pre-transformed position with 1/w, one diffuse colour, one texture coordinate set.
inline constexpr DWORD D3DFVF_XYZRHW = 0x004;
inline constexpr DWORD D3DFVF_DIFFUSE = 0x040;
inline constexpr DWORD D3DFVF_TEX1 = 0x100;

inline constexpr D3DPRIMITIVETYPE D3DPT_POINTLIST = 1;
inline constexpr D3DPRIMITIVETYPE D3DPT_LINELIST = 2;
inline constexpr D3DPRIMITIVETYPE D3DPT_LINESTRIP = 3;
inline constexpr D3DPRIMITIVETYPE D3DPT_TRIANGLELIST = 4;
inline constexpr D3DPRIMITIVETYPE D3DPT_TRIANGLESTRIP = 5;
inline constexpr D3DPRIMITIVETYPE D3DPT_TRIANGLEFAN = 6;

inline constexpr D3DRENDERSTATETYPE D3DRS_ZENABLE = 7;
inline constexpr D3DRENDERSTATETYPE D3DRS_ZWRITEENABLE = 14;
inline constexpr D3DRENDERSTATETYPE D3DRS_ALPHATESTENABLE = 15;
inline constexpr D3DRENDERSTATETYPE D3DRS_SRCBLEND = 19;
inline constexpr D3DRENDERSTATETYPE D3DRS_DESTBLEND = 20;
inline constexpr D3DRENDERSTATETYPE D3DRS_CULLMODE = 22;
inline constexpr D3DRENDERSTATETYPE D3DRS_ALPHAREF = 24;
inline constexpr D3DRENDERSTATETYPE D3DRS_ALPHAFUNC = 25;
inline constexpr D3DRENDERSTATETYPE D3DRS_ALPHABLENDENABLE = 27;
inline constexpr D3DRENDERSTATETYPE D3DRS_TEXTUREFACTOR = 60;
inline constexpr D3DRENDERSTATETYPE D3DRS_BLENDOP = 171;
inline constexpr D3DRENDERSTATETYPE D3DRS_SCISSORTESTENABLE = 174;

inline constexpr DWORD D3DBLEND_ZERO = 1;
inline constexpr DWORD D3DBLEND_ONE = 2;
inline constexpr DWORD D3DBLEND_SRCCOLOR = 3;
inline constexpr DWORD D3DBLEND_INVSRCCOLOR = 4;
inline constexpr DWORD D3DBLEND_SRCALPHA = 5;
inline constexpr DWORD D3DBLEND_INVSRCALPHA = 6;
inline constexpr DWORD D3DBLEND_DESTALPHA = 7;
inline constexpr DWORD D3DBLEND_INVDESTALPHA = 8;
inline constexpr DWORD D3DBLEND_DESTCOLOR = 9;
inline constexpr DWORD D3DBLEND_INVDESTCOLOR = 10;

inline constexpr DWORD D3DBLENDOP_ADD = 1;
inline constexpr DWORD D3DCULL_NONE = 1;

inline constexpr D3DTEXTURESTAGESTATETYPE D3DTSS_COLOROP = 1;
inline constexpr D3DTEXTURESTAGESTATETYPE D3DTSS_COLORARG1 = 2;
inline constexpr D3DTEXTURESTAGESTATETYPE D3DTSS_COLORARG2 = 3;
inline constexpr D3DTEXTURESTAGESTATETYPE D3DTSS_ALPHAOP = 4;
inline constexpr D3DTEXTURESTAGESTATETYPE D3DTSS_ALPHAARG1 = 5;
inline constexpr D3DTEXTURESTAGESTATETYPE D3DTSS_ALPHAARG2 = 6;
inline constexpr D3DTEXTURESTAGESTATETYPE D3DTSS_TEXCOORDINDEX = 11;

inline constexpr DWORD D3DTOP_DISABLE = 1;
inline constexpr DWORD D3DTOP_SELECTARG1 = 2;
inline constexpr DWORD D3DTOP_SELECTARG2 = 3;
inline constexpr DWORD D3DTOP_MODULATE = 4;
inline constexpr DWORD D3DTOP_ADD = 7;
inline constexpr DWORD D3DTOP_BLENDCURRENTALPHA = 16;

inline constexpr DWORD D3DTA_DIFFUSE = 0;
inline constexpr DWORD D3DTA_CURRENT = 1;
inline constexpr DWORD D3DTA_TEXTURE = 2;
inline constexpr DWORD D3DTA_TFACTOR = 3;
inline constexpr DWORD D3DTA_SELECTMASK = 0x0F;
inline constexpr DWORD D3DTA_ALPHAREPLICATE = 0x20;

inline constexpr D3DSAMPLERSTATETYPE D3DSAMP_ADDRESSU = 1;
inline constexpr D3DSAMPLERSTATETYPE D3DSAMP_ADDRESSV = 2;
inline constexpr D3DSAMPLERSTATETYPE D3DSAMP_MAGFILTER = 5;
inline constexpr D3DSAMPLERSTATETYPE D3DSAMP_MINFILTER = 6;
inline constexpr D3DSAMPLERSTATETYPE D3DSAMP_MIPFILTER = 7;
inline constexpr D3DSAMPLERSTATETYPE D3DSAMP_MAXANISOTROPY = 10;

inline constexpr D3DTEXTUREFILTERTYPE D3DTEXF_NONE = 0;
inline constexpr D3DTEXTUREFILTERTYPE D3DTEXF_POINT = 1;
inline constexpr D3DTEXTUREFILTERTYPE D3DTEXF_LINEAR = 2;

inline constexpr DWORD D3DTADDRESS_WRAP = 1;
inline constexpr DWORD D3DTADDRESS_CLAMP = 3;

inline constexpr D3DPOOL D3DPOOL_DEFAULT = 0;
inline constexpr D3DPOOL D3DPOOL_MANAGED = 1;
inline constexpr D3DPOOL D3DPOOL_SYSTEMMEM = 2;

inline constexpr DWORD D3DUSAGE_RENDERTARGET = 0x1;
inline constexpr DWORD D3DUSAGE_WRITEONLY = 0x8;
inline constexpr DWORD D3DUSAGE_DYNAMIC = 0x200;

inline constexpr DWORD D3DLOCK_READONLY = 0x10;
inline constexpr DWORD D3DLOCK_DISCARD = 0x2000;

inline constexpr D3DFORMAT D3DFMT_UNKNOWN = 0;
inline constexpr D3DFORMAT D3DFMT_A8R8G8B8 = 21;
inline constexpr D3DFORMAT D3DFMT_X8R8G8B8 = 22;
inline constexpr D3DFORMAT D3DFMT_D24S8 = 75;
inline constexpr D3DFORMAT D3DFMT_VERTEXDATA = 100;

inline constexpr D3DRESOURCETYPE D3DRTYPE_SURFACE = 1;
inline constexpr D3DRESOURCETYPE D3DRTYPE_TEXTURE = 3;
inline constexpr D3DRESOURCETYPE D3DRTYPE_VERTEXBUFFER = 6;

inline constexpr DWORD D3DCLEAR_TARGET = 1;
inline constexpr DWORD D3DCLEAR_ZBUFFER = 2;
inline constexpr DWORD D3DCLEAR_STENCIL = 4;

inline constexpr D3DBACKBUFFER_TYPE D3DBACKBUFFER_TYPE_MONO = 0;

// ---- Structures --------------------------------------------------------------------------------

struct RECT {
  LONG left, top, right, bottom;
};

struct POINT {
  LONG x, y;
};

struct D3DRECT {
  LONG x1, y1, x2, y2;
};

struct D3DLOCKED_RECT {
  INT Pitch;
  void* pBits;
};

struct D3DSURFACE_DESC {
  D3DFORMAT Format;
  D3DRESOURCETYPE Type;
  DWORD Usage;
  D3DPOOL Pool;
  D3DMULTISAMPLE_TYPE MultiSampleType;
  DWORD MultiSampleQuality;
  UINT Width;
  UINT Height;
};

struct D3DVERTEXBUFFER_DESC {
  D3DFORMAT Format;
  D3DRESOURCETYPE Type;
  DWORD Usage;
  D3DPOOL Pool;
  UINT Size;
  DWORD FVF;
};

struct D3DPRESENT_PARAMETERS {
  UINT BackBufferWidth;
  UINT BackBufferHeight;
  D3DFORMAT BackBufferFormat;
  UINT BackBufferCount;
  D3DMULTISAMPLE_TYPE MultiSampleType;
  DWORD MultiSampleQuality;
  D3DSWAPEFFECT SwapEffect;
  HWND hDeviceWindow;
  BOOL Windowed;
  BOOL EnableAutoDepthStencil;
  D3DFORMAT AutoDepthStencilFormat;
  DWORD Flags;
  UINT FullScreen_RefreshRateInHz;
  UINT PresentationInterval;
};

struct D3DVIEWPORT9 {
  DWORD X, Y, Width, Height;
  float MinZ, MaxZ;
};

struct D3DMATRIX {
  float m[4][4];
};

// Structures of operations nobody here calls: declared, never defined.
struct D3DCAPS9;
struct D3DDISPLAYMODE;
struct D3DDEVICE_CREATION_PARAMETERS;
struct D3DRASTER_STATUS;
struct D3DGAMMARAMP;
struct D3DMATERIAL9;
struct D3DLIGHT9;
struct D3DCLIPSTATUS9;
struct D3DVERTEXELEMENT9;
struct D3DRECTPATCH_INFO;
struct D3DTRIPATCH_INFO;
struct PALETTEENTRY;
struct RGNDATA;

// Interfaces nobody here calls.
struct IDirect3D9;
struct IDirect3DSwapChain9;
struct IDirect3DVolumeTexture9;
struct IDirect3DCubeTexture9;
struct IDirect3DIndexBuffer9;
struct IDirect3DStateBlock9;
struct IDirect3DVertexDeclaration9;
struct IDirect3DVertexShader9;
struct IDirect3DPixelShader9;
struct IDirect3DQuery9;

struct IDirect3DDevice9;
struct IDirect3DSurface9;

// ---- Interfaces ---------------------------------------------------------------------------------

// COM's IUnknown: counts are unsigned and Release answers what is left.
struct IComUnknown {
  virtual HRESULT TAMBLET_HOSTCALL QueryInterface(const InterfaceId& id, void** object) = 0;  // 0
  virtual ULONG TAMBLET_HOSTCALL AddRef() = 0;                                                // 1
  virtual ULONG TAMBLET_HOSTCALL Release() = 0;                                               // 2

 protected:
  ~IComUnknown() = default;
};

struct IDirect3DResource9 : IComUnknown {
  virtual HRESULT TAMBLET_HOSTCALL GetDevice(IDirect3DDevice9** device) = 0;                            // 3
  virtual HRESULT TAMBLET_HOSTCALL SetPrivateData(const InterfaceId& id, const void* data, DWORD size,
                                                  DWORD flags) = 0;                                    // 4
  virtual HRESULT TAMBLET_HOSTCALL GetPrivateData(const InterfaceId& id, void* data, DWORD* size) = 0;  // 5
  virtual HRESULT TAMBLET_HOSTCALL FreePrivateData(const InterfaceId& id) = 0;                          // 6
  virtual DWORD TAMBLET_HOSTCALL SetPriority(DWORD priority) = 0;                                       // 7
  virtual DWORD TAMBLET_HOSTCALL GetPriority() = 0;                                                     // 8
  virtual void TAMBLET_HOSTCALL PreLoad() = 0;                                                          // 9
  virtual D3DRESOURCETYPE TAMBLET_HOSTCALL GetType() = 0;                                               // 10

 protected:
  ~IDirect3DResource9() = default;
};

struct IDirect3DBaseTexture9 : IDirect3DResource9 {
  virtual DWORD TAMBLET_HOSTCALL SetLOD(DWORD lod) = 0;                                   // 11
  virtual DWORD TAMBLET_HOSTCALL GetLOD() = 0;                                            // 12
  virtual DWORD TAMBLET_HOSTCALL GetLevelCount() = 0;                                     // 13
  virtual HRESULT TAMBLET_HOSTCALL SetAutoGenFilterType(D3DTEXTUREFILTERTYPE filter) = 0;  // 14
  virtual D3DTEXTUREFILTERTYPE TAMBLET_HOSTCALL GetAutoGenFilterType() = 0;               // 15
  virtual void TAMBLET_HOSTCALL GenerateMipSubLevels() = 0;                               // 16

 protected:
  ~IDirect3DBaseTexture9() = default;
};

struct IDirect3DTexture9 : IDirect3DBaseTexture9 {
  virtual HRESULT TAMBLET_HOSTCALL GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) = 0;                 // 17
  virtual HRESULT TAMBLET_HOSTCALL GetSurfaceLevel(UINT level, IDirect3DSurface9** surface) = 0;        // 18
  virtual HRESULT TAMBLET_HOSTCALL LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect,
                                            DWORD flags) = 0;                                          // 19
  virtual HRESULT TAMBLET_HOSTCALL UnlockRect(UINT level) = 0;                                          // 20
  virtual HRESULT TAMBLET_HOSTCALL AddDirtyRect(const RECT* rect) = 0;                                  // 21

 protected:
  ~IDirect3DTexture9() = default;
};

struct IDirect3DSurface9 : IDirect3DResource9 {
  virtual HRESULT TAMBLET_HOSTCALL GetContainer(const InterfaceId& id, void** container) = 0;           // 11
  virtual HRESULT TAMBLET_HOSTCALL GetDesc(D3DSURFACE_DESC* desc) = 0;                                  // 12
  virtual HRESULT TAMBLET_HOSTCALL LockRect(D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) = 0;  // 13
  virtual HRESULT TAMBLET_HOSTCALL UnlockRect() = 0;                                                    // 14
  virtual HRESULT TAMBLET_HOSTCALL GetDC(HDC* dc) = 0;                                                  // 15
  virtual HRESULT TAMBLET_HOSTCALL ReleaseDC(HDC dc) = 0;                                               // 16

 protected:
  ~IDirect3DSurface9() = default;
};

struct IDirect3DVertexBuffer9 : IDirect3DResource9 {
  virtual HRESULT TAMBLET_HOSTCALL Lock(UINT offset, UINT size, void** data, DWORD flags) = 0;  // 11
  virtual HRESULT TAMBLET_HOSTCALL Unlock() = 0;                                                // 12
  virtual HRESULT TAMBLET_HOSTCALL GetDesc(D3DVERTEXBUFFER_DESC* desc) = 0;                     // 13

 protected:
  ~IDirect3DVertexBuffer9() = default;
};

struct IDirect3DDevice9 : IComUnknown {
  virtual HRESULT TAMBLET_HOSTCALL TestCooperativeLevel() = 0;                                         // 3
  virtual UINT TAMBLET_HOSTCALL GetAvailableTextureMem() = 0;                                          // 4
  virtual HRESULT TAMBLET_HOSTCALL EvictManagedResources() = 0;                                        // 5
  virtual HRESULT TAMBLET_HOSTCALL GetDirect3D(IDirect3D9** direct3d) = 0;                             // 6
  virtual HRESULT TAMBLET_HOSTCALL GetDeviceCaps(D3DCAPS9* caps) = 0;                                  // 7
  virtual HRESULT TAMBLET_HOSTCALL GetDisplayMode(UINT swapChain, D3DDISPLAYMODE* mode) = 0;           // 8
  virtual HRESULT TAMBLET_HOSTCALL GetCreationParameters(D3DDEVICE_CREATION_PARAMETERS* params) = 0;   // 9
  virtual HRESULT TAMBLET_HOSTCALL SetCursorProperties(UINT x, UINT y, IDirect3DSurface9* bitmap) = 0;  // 10
  virtual void TAMBLET_HOSTCALL SetCursorPosition(INT x, INT y, DWORD flags) = 0;                      // 11
  virtual BOOL TAMBLET_HOSTCALL ShowCursor(BOOL show) = 0;                                             // 12
  virtual HRESULT TAMBLET_HOSTCALL CreateAdditionalSwapChain(D3DPRESENT_PARAMETERS* params,
                                                             IDirect3DSwapChain9** swapChain) = 0;     // 13
  virtual HRESULT TAMBLET_HOSTCALL GetSwapChain(UINT index, IDirect3DSwapChain9** swapChain) = 0;      // 14
  virtual UINT TAMBLET_HOSTCALL GetNumberOfSwapChains() = 0;                                           // 15
  virtual HRESULT TAMBLET_HOSTCALL Reset(D3DPRESENT_PARAMETERS* params) = 0;                           // 16
  virtual HRESULT TAMBLET_HOSTCALL Present(const RECT* source, const RECT* dest, HWND window,
                                           const RGNDATA* dirty) = 0;                                  // 17
  virtual HRESULT TAMBLET_HOSTCALL GetBackBuffer(UINT swapChain, UINT index, D3DBACKBUFFER_TYPE type,
                                                 IDirect3DSurface9** surface) = 0;                     // 18
  virtual HRESULT TAMBLET_HOSTCALL GetRasterStatus(UINT swapChain, D3DRASTER_STATUS* status) = 0;      // 19
  virtual HRESULT TAMBLET_HOSTCALL SetDialogBoxMode(BOOL enable) = 0;                                  // 20
  virtual void TAMBLET_HOSTCALL SetGammaRamp(UINT swapChain, DWORD flags, const D3DGAMMARAMP* ramp) = 0;  // 21
  virtual void TAMBLET_HOSTCALL GetGammaRamp(UINT swapChain, D3DGAMMARAMP* ramp) = 0;                  // 22
  virtual HRESULT TAMBLET_HOSTCALL CreateTexture(UINT width, UINT height, UINT levels, DWORD usage,
                                                 D3DFORMAT format, D3DPOOL pool, IDirect3DTexture9** texture,
                                                 HANDLE* shared) = 0;                                  // 23
  virtual HRESULT TAMBLET_HOSTCALL CreateVolumeTexture(UINT width, UINT height, UINT depth, UINT levels,
                                                       DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                                       IDirect3DVolumeTexture9** texture, HANDLE* shared) = 0;  // 24
  virtual HRESULT TAMBLET_HOSTCALL CreateCubeTexture(UINT edge, UINT levels, DWORD usage, D3DFORMAT format,
                                                     D3DPOOL pool, IDirect3DCubeTexture9** texture,
                                                     HANDLE* shared) = 0;                              // 25
  virtual HRESULT TAMBLET_HOSTCALL CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                                                      IDirect3DVertexBuffer9** buffer, HANDLE* shared) = 0;  // 26
  virtual HRESULT TAMBLET_HOSTCALL CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                                     IDirect3DIndexBuffer9** buffer, HANDLE* shared) = 0;  // 27
  virtual HRESULT TAMBLET_HOSTCALL CreateRenderTarget(UINT width, UINT height, D3DFORMAT format,
                                                      D3DMULTISAMPLE_TYPE multiSample, DWORD quality, BOOL lockable,
                                                      IDirect3DSurface9** surface, HANDLE* shared) = 0;  // 28
  virtual HRESULT TAMBLET_HOSTCALL CreateDepthStencilSurface(UINT width, UINT height, D3DFORMAT format,
                                                             D3DMULTISAMPLE_TYPE multiSample, DWORD quality,
                                                             BOOL discard, IDirect3DSurface9** surface,
                                                             HANDLE* shared) = 0;                      // 29
  virtual HRESULT TAMBLET_HOSTCALL UpdateSurface(IDirect3DSurface9* source, const RECT* sourceRect,
                                                 IDirect3DSurface9* dest, const POINT* destPoint) = 0;  // 30
  virtual HRESULT TAMBLET_HOSTCALL UpdateTexture(IDirect3DBaseTexture9* source, IDirect3DBaseTexture9* dest) = 0;  // 31
  virtual HRESULT TAMBLET_HOSTCALL GetRenderTargetData(IDirect3DSurface9* target, IDirect3DSurface9* dest) = 0;  // 32
  virtual HRESULT TAMBLET_HOSTCALL GetFrontBufferData(UINT swapChain, IDirect3DSurface9* dest) = 0;    // 33
  virtual HRESULT TAMBLET_HOSTCALL StretchRect(IDirect3DSurface9* source, const RECT* sourceRect,
                                               IDirect3DSurface9* dest, const RECT* destRect,
                                               D3DTEXTUREFILTERTYPE filter) = 0;                       // 34
  virtual HRESULT TAMBLET_HOSTCALL ColorFill(IDirect3DSurface9* surface, const RECT* rect, D3DCOLOR color) = 0;  // 35
  virtual HRESULT TAMBLET_HOSTCALL CreateOffscreenPlainSurface(UINT width, UINT height, D3DFORMAT format,
                                                               D3DPOOL pool, IDirect3DSurface9** surface,
                                                               HANDLE* shared) = 0;                    // 36
  virtual HRESULT TAMBLET_HOSTCALL SetRenderTarget(DWORD index, IDirect3DSurface9* target) = 0;        // 37
  virtual HRESULT TAMBLET_HOSTCALL GetRenderTarget(DWORD index, IDirect3DSurface9** target) = 0;       // 38
  virtual HRESULT TAMBLET_HOSTCALL SetDepthStencilSurface(IDirect3DSurface9* surface) = 0;             // 39
  virtual HRESULT TAMBLET_HOSTCALL GetDepthStencilSurface(IDirect3DSurface9** surface) = 0;            // 40
  virtual HRESULT TAMBLET_HOSTCALL BeginScene() = 0;                                                   // 41
  virtual HRESULT TAMBLET_HOSTCALL EndScene() = 0;                                                     // 42
  virtual HRESULT TAMBLET_HOSTCALL Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z,
                                         DWORD stencil) = 0;                                           // 43
  virtual HRESULT TAMBLET_HOSTCALL SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) = 0;  // 44
  virtual HRESULT TAMBLET_HOSTCALL GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) = 0;   // 45
  virtual HRESULT TAMBLET_HOSTCALL MultiplyTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) = 0;  // 46
  virtual HRESULT TAMBLET_HOSTCALL SetViewport(const D3DVIEWPORT9* viewport) = 0;                      // 47
  virtual HRESULT TAMBLET_HOSTCALL GetViewport(D3DVIEWPORT9* viewport) = 0;                            // 48
  virtual HRESULT TAMBLET_HOSTCALL SetMaterial(const D3DMATERIAL9* material) = 0;                      // 49
  virtual HRESULT TAMBLET_HOSTCALL GetMaterial(D3DMATERIAL9* material) = 0;                            // 50
  virtual HRESULT TAMBLET_HOSTCALL SetLight(DWORD index, const D3DLIGHT9* light) = 0;                  // 51
  virtual HRESULT TAMBLET_HOSTCALL GetLight(DWORD index, D3DLIGHT9* light) = 0;                        // 52
  virtual HRESULT TAMBLET_HOSTCALL LightEnable(DWORD index, BOOL enable) = 0;                          // 53
  virtual HRESULT TAMBLET_HOSTCALL GetLightEnable(DWORD index, BOOL* enable) = 0;                      // 54
  virtual HRESULT TAMBLET_HOSTCALL SetClipPlane(DWORD index, const float* plane) = 0;                  // 55
  virtual HRESULT TAMBLET_HOSTCALL GetClipPlane(DWORD index, float* plane) = 0;                        // 56
  virtual HRESULT TAMBLET_HOSTCALL SetRenderState(D3DRENDERSTATETYPE state, DWORD value) = 0;          // 57
  virtual HRESULT TAMBLET_HOSTCALL GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) = 0;         // 58
  virtual HRESULT TAMBLET_HOSTCALL CreateStateBlock(D3DSTATEBLOCKTYPE type, IDirect3DStateBlock9** block) = 0;  // 59
  virtual HRESULT TAMBLET_HOSTCALL BeginStateBlock() = 0;                                              // 60
  virtual HRESULT TAMBLET_HOSTCALL EndStateBlock(IDirect3DStateBlock9** block) = 0;                    // 61
  virtual HRESULT TAMBLET_HOSTCALL SetClipStatus(const D3DCLIPSTATUS9* status) = 0;                    // 62
  virtual HRESULT TAMBLET_HOSTCALL GetClipStatus(D3DCLIPSTATUS9* status) = 0;                          // 63
  virtual HRESULT TAMBLET_HOSTCALL GetTexture(DWORD stage, IDirect3DBaseTexture9** texture) = 0;       // 64
  virtual HRESULT TAMBLET_HOSTCALL SetTexture(DWORD stage, IDirect3DBaseTexture9* texture) = 0;        // 65
  virtual HRESULT TAMBLET_HOSTCALL GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type,
                                                        DWORD* value) = 0;                             // 66
  virtual HRESULT TAMBLET_HOSTCALL SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type,
                                                        DWORD value) = 0;                              // 67
  virtual HRESULT TAMBLET_HOSTCALL GetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD* value) = 0;  // 68
  virtual HRESULT TAMBLET_HOSTCALL SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) = 0;  // 69
  virtual HRESULT TAMBLET_HOSTCALL ValidateDevice(DWORD* passes) = 0;                                  // 70
  virtual HRESULT TAMBLET_HOSTCALL SetPaletteEntries(UINT palette, const PALETTEENTRY* entries) = 0;   // 71
  virtual HRESULT TAMBLET_HOSTCALL GetPaletteEntries(UINT palette, PALETTEENTRY* entries) = 0;         // 72
  virtual HRESULT TAMBLET_HOSTCALL SetCurrentTexturePalette(UINT palette) = 0;                         // 73
  virtual HRESULT TAMBLET_HOSTCALL GetCurrentTexturePalette(UINT* palette) = 0;                        // 74
  virtual HRESULT TAMBLET_HOSTCALL SetScissorRect(const RECT* rect) = 0;                               // 75
  virtual HRESULT TAMBLET_HOSTCALL GetScissorRect(RECT* rect) = 0;                                     // 76
  virtual HRESULT TAMBLET_HOSTCALL SetSoftwareVertexProcessing(BOOL software) = 0;                     // 77
  virtual BOOL TAMBLET_HOSTCALL GetSoftwareVertexProcessing() = 0;                                     // 78
  virtual HRESULT TAMBLET_HOSTCALL SetNPatchMode(float segments) = 0;                                  // 79
  virtual float TAMBLET_HOSTCALL GetNPatchMode() = 0;                                                  // 80
  virtual HRESULT TAMBLET_HOSTCALL DrawPrimitive(D3DPRIMITIVETYPE type, UINT startVertex, UINT primitives) = 0;  // 81
  virtual HRESULT TAMBLET_HOSTCALL DrawIndexedPrimitive(D3DPRIMITIVETYPE type, INT baseVertex, UINT minIndex,
                                                        UINT vertices, UINT startIndex, UINT primitives) = 0;  // 82
  virtual HRESULT TAMBLET_HOSTCALL DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT primitives, const void* vertices,
                                                   UINT stride) = 0;                                   // 83
  virtual HRESULT TAMBLET_HOSTCALL DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE type, UINT minIndex, UINT vertexCount,
                                                          UINT primitives, const void* indices,
                                                          D3DFORMAT indexFormat, const void* vertices,
                                                          UINT stride) = 0;                            // 84
  virtual HRESULT TAMBLET_HOSTCALL ProcessVertices(UINT sourceStart, UINT destIndex, UINT count,
                                                   IDirect3DVertexBuffer9* dest,
                                                   IDirect3DVertexDeclaration9* declaration, DWORD flags) = 0;  // 85
  virtual HRESULT TAMBLET_HOSTCALL CreateVertexDeclaration(const D3DVERTEXELEMENT9* elements,
                                                           IDirect3DVertexDeclaration9** declaration) = 0;  // 86
  virtual HRESULT TAMBLET_HOSTCALL SetVertexDeclaration(IDirect3DVertexDeclaration9* declaration) = 0;  // 87
  virtual HRESULT TAMBLET_HOSTCALL GetVertexDeclaration(IDirect3DVertexDeclaration9** declaration) = 0;  // 88
  virtual HRESULT TAMBLET_HOSTCALL SetFVF(DWORD fvf) = 0;                                              // 89
  virtual HRESULT TAMBLET_HOSTCALL GetFVF(DWORD* fvf) = 0;                                             // 90
  virtual HRESULT TAMBLET_HOSTCALL CreateVertexShader(const DWORD* function, IDirect3DVertexShader9** shader) = 0;  // 91
  virtual HRESULT TAMBLET_HOSTCALL SetVertexShader(IDirect3DVertexShader9* shader) = 0;                // 92
  virtual HRESULT TAMBLET_HOSTCALL GetVertexShader(IDirect3DVertexShader9** shader) = 0;               // 93
  virtual HRESULT TAMBLET_HOSTCALL SetVertexShaderConstantF(UINT start, const float* data, UINT count) = 0;  // 94
  virtual HRESULT TAMBLET_HOSTCALL GetVertexShaderConstantF(UINT start, float* data, UINT count) = 0;  // 95
  virtual HRESULT TAMBLET_HOSTCALL SetVertexShaderConstantI(UINT start, const INT* data, UINT count) = 0;  // 96
  virtual HRESULT TAMBLET_HOSTCALL GetVertexShaderConstantI(UINT start, INT* data, UINT count) = 0;    // 97
  virtual HRESULT TAMBLET_HOSTCALL SetVertexShaderConstantB(UINT start, const BOOL* data, UINT count) = 0;  // 98
  virtual HRESULT TAMBLET_HOSTCALL GetVertexShaderConstantB(UINT start, BOOL* data, UINT count) = 0;   // 99
  virtual HRESULT TAMBLET_HOSTCALL SetStreamSource(UINT stream, IDirect3DVertexBuffer9* buffer, UINT offset,
                                                   UINT stride) = 0;                                   // 100
  virtual HRESULT TAMBLET_HOSTCALL GetStreamSource(UINT stream, IDirect3DVertexBuffer9** buffer, UINT* offset,
                                                   UINT* stride) = 0;                                  // 101
  virtual HRESULT TAMBLET_HOSTCALL SetStreamSourceFreq(UINT stream, UINT setting) = 0;                 // 102
  virtual HRESULT TAMBLET_HOSTCALL GetStreamSourceFreq(UINT stream, UINT* setting) = 0;                // 103
  virtual HRESULT TAMBLET_HOSTCALL SetIndices(IDirect3DIndexBuffer9* indices) = 0;                     // 104
  virtual HRESULT TAMBLET_HOSTCALL GetIndices(IDirect3DIndexBuffer9** indices) = 0;                    // 105
  virtual HRESULT TAMBLET_HOSTCALL CreatePixelShader(const DWORD* function, IDirect3DPixelShader9** shader) = 0;  // 106
  virtual HRESULT TAMBLET_HOSTCALL SetPixelShader(IDirect3DPixelShader9* shader) = 0;                  // 107
  virtual HRESULT TAMBLET_HOSTCALL GetPixelShader(IDirect3DPixelShader9** shader) = 0;                 // 108
  virtual HRESULT TAMBLET_HOSTCALL SetPixelShaderConstantF(UINT start, const float* data, UINT count) = 0;  // 109
  virtual HRESULT TAMBLET_HOSTCALL GetPixelShaderConstantF(UINT start, float* data, UINT count) = 0;   // 110
  virtual HRESULT TAMBLET_HOSTCALL SetPixelShaderConstantI(UINT start, const INT* data, UINT count) = 0;  // 111
  virtual HRESULT TAMBLET_HOSTCALL GetPixelShaderConstantI(UINT start, INT* data, UINT count) = 0;     // 112
  virtual HRESULT TAMBLET_HOSTCALL SetPixelShaderConstantB(UINT start, const BOOL* data, UINT count) = 0;  // 113
  virtual HRESULT TAMBLET_HOSTCALL GetPixelShaderConstantB(UINT start, BOOL* data, UINT count) = 0;    // 114
  virtual HRESULT TAMBLET_HOSTCALL DrawRectPatch(UINT handle, const float* segments,
                                                 const D3DRECTPATCH_INFO* info) = 0;                   // 115
  virtual HRESULT TAMBLET_HOSTCALL DrawTriPatch(UINT handle, const float* segments,
                                                const D3DTRIPATCH_INFO* info) = 0;                     // 116
  virtual HRESULT TAMBLET_HOSTCALL DeletePatch(UINT handle) = 0;                                       // 117
  virtual HRESULT TAMBLET_HOSTCALL CreateQuery(D3DQUERYTYPE type, IDirect3DQuery9** query) = 0;        // 118

 protected:
  ~IDirect3DDevice9() = default;
};

}  // namespace tamblet
