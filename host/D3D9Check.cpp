// A build-time proof that host/D3D9.h agrees with the Windows SDK's <d3d9.h> (as MinGW-w64 ships
// it): every operation of the six interfaces sits in the SDK's slot and takes arguments and a
// result of the same widths and kinds (what a __stdcall callee pops, what goes in which
// register), every constant has the SDK's value, and every structure has the SDK's size and
// member offsets. Built only for Windows; it defines nothing, and a mismatch fails the build.
//
// The lists below name what is checked once. The project's constants are copied before <d3d9.h>
// is included, because the SDK defines many of the same names as macros.
#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "host/D3D9.h"

// ---- What is checked -----------------------------------------------------------------------------

// clang-format off
// Every constant of host/D3D9.h.
#define TAMBLET_D3D9_CONSTANTS(X) \
  X(D3D_OK) X(E_NOINTERFACE) X(E_NOTIMPL) X(E_OUTOFMEMORY) X(D3DERR_DEVICELOST) X(D3DERR_DEVICENOTRESET) \
  X(D3DERR_INVALIDCALL) X(D3DERR_OUTOFVIDEOMEMORY) X(D3DERR_NOTAVAILABLE) X(D3DFVF_XYZRHW) \
  X(D3DFVF_DIFFUSE) X(D3DFVF_TEX1) X(D3DPT_POINTLIST) X(D3DPT_LINELIST) X(D3DPT_LINESTRIP) \
  X(D3DPT_TRIANGLELIST) X(D3DPT_TRIANGLESTRIP) X(D3DPT_TRIANGLEFAN) X(D3DRS_ZENABLE) X(D3DRS_ZWRITEENABLE) \
  X(D3DRS_ALPHATESTENABLE) X(D3DRS_SRCBLEND) X(D3DRS_DESTBLEND) X(D3DRS_CULLMODE) X(D3DRS_ALPHAREF) \
  X(D3DRS_ALPHAFUNC) X(D3DRS_ALPHABLENDENABLE) X(D3DRS_TEXTUREFACTOR) X(D3DRS_BLENDOP) \
  X(D3DRS_SCISSORTESTENABLE) X(D3DBLEND_ZERO) X(D3DBLEND_ONE) X(D3DBLEND_SRCCOLOR) X(D3DBLEND_INVSRCCOLOR) \
  X(D3DBLEND_SRCALPHA) X(D3DBLEND_INVSRCALPHA) X(D3DBLEND_DESTALPHA) X(D3DBLEND_INVDESTALPHA) \
  X(D3DBLEND_DESTCOLOR) X(D3DBLEND_INVDESTCOLOR) X(D3DBLENDOP_ADD) X(D3DCULL_NONE) X(D3DTSS_COLOROP) \
  X(D3DTSS_COLORARG1) X(D3DTSS_COLORARG2) X(D3DTSS_ALPHAOP) X(D3DTSS_ALPHAARG1) X(D3DTSS_ALPHAARG2) \
  X(D3DTSS_TEXCOORDINDEX) X(D3DTOP_DISABLE) X(D3DTOP_SELECTARG1) X(D3DTOP_SELECTARG2) X(D3DTOP_MODULATE) \
  X(D3DTOP_ADD) X(D3DTOP_BLENDCURRENTALPHA) X(D3DTA_DIFFUSE) X(D3DTA_CURRENT) X(D3DTA_TEXTURE) \
  X(D3DTA_TFACTOR) X(D3DTA_SELECTMASK) X(D3DTA_ALPHAREPLICATE) X(D3DSAMP_ADDRESSU) X(D3DSAMP_ADDRESSV) \
  X(D3DSAMP_MAGFILTER) X(D3DSAMP_MINFILTER) X(D3DSAMP_MIPFILTER) X(D3DSAMP_MAXANISOTROPY) X(D3DTEXF_NONE) \
  X(D3DTEXF_POINT) X(D3DTEXF_LINEAR) X(D3DTADDRESS_WRAP) X(D3DTADDRESS_CLAMP) X(D3DPOOL_DEFAULT) \
  X(D3DPOOL_MANAGED) X(D3DPOOL_SYSTEMMEM) X(D3DUSAGE_RENDERTARGET) X(D3DUSAGE_WRITEONLY) \
  X(D3DUSAGE_DYNAMIC) X(D3DLOCK_READONLY) X(D3DLOCK_DISCARD) X(D3DFMT_UNKNOWN) X(D3DFMT_A8R8G8B8) \
  X(D3DFMT_X8R8G8B8) X(D3DFMT_D24S8) X(D3DFMT_VERTEXDATA) X(D3DRTYPE_SURFACE) X(D3DRTYPE_TEXTURE) \
  X(D3DRTYPE_VERTEXBUFFER) X(D3DCLEAR_TARGET) X(D3DCLEAR_ZBUFFER) X(D3DCLEAR_STENCIL) \
  X(D3DBACKBUFFER_TYPE_MONO)

// Every member of every structure the interfaces pass whole (the rest are only declared); the
// viewport has a member named X, hence another parameter name.
#define TAMBLET_D3D9_STRUCTURES(X) X(RECT) X(POINT) X(D3DRECT) X(D3DLOCKED_RECT) X(D3DSURFACE_DESC) \
  X(D3DVERTEXBUFFER_DESC) X(D3DPRESENT_PARAMETERS) X(D3DVIEWPORT9) X(D3DMATRIX)
#define TAMBLET_D3D9_MEMBERS(CHECK) \
  CHECK(RECT, left) CHECK(RECT, top) CHECK(RECT, right) CHECK(RECT, bottom) CHECK(POINT, x) CHECK(POINT, y) \
  CHECK(D3DRECT, x1) CHECK(D3DRECT, y1) CHECK(D3DRECT, x2) CHECK(D3DRECT, y2) CHECK(D3DLOCKED_RECT, Pitch) CHECK(D3DLOCKED_RECT, pBits) \
  CHECK(D3DSURFACE_DESC, Format) CHECK(D3DSURFACE_DESC, Type) CHECK(D3DSURFACE_DESC, Usage) CHECK(D3DSURFACE_DESC, Pool) \
  CHECK(D3DSURFACE_DESC, MultiSampleType) CHECK(D3DSURFACE_DESC, MultiSampleQuality) CHECK(D3DSURFACE_DESC, Width) \
  CHECK(D3DSURFACE_DESC, Height) CHECK(D3DVERTEXBUFFER_DESC, Format) CHECK(D3DVERTEXBUFFER_DESC, Type) \
  CHECK(D3DVERTEXBUFFER_DESC, Usage) CHECK(D3DVERTEXBUFFER_DESC, Pool) CHECK(D3DVERTEXBUFFER_DESC, Size) \
  CHECK(D3DVERTEXBUFFER_DESC, FVF) CHECK(D3DPRESENT_PARAMETERS, BackBufferWidth) CHECK(D3DPRESENT_PARAMETERS, BackBufferHeight) \
  CHECK(D3DPRESENT_PARAMETERS, BackBufferFormat) CHECK(D3DPRESENT_PARAMETERS, BackBufferCount) \
  CHECK(D3DPRESENT_PARAMETERS, MultiSampleType) CHECK(D3DPRESENT_PARAMETERS, MultiSampleQuality) \
  CHECK(D3DPRESENT_PARAMETERS, SwapEffect) CHECK(D3DPRESENT_PARAMETERS, hDeviceWindow) CHECK(D3DPRESENT_PARAMETERS, Windowed) \
  CHECK(D3DPRESENT_PARAMETERS, EnableAutoDepthStencil) CHECK(D3DPRESENT_PARAMETERS, AutoDepthStencilFormat) \
  CHECK(D3DPRESENT_PARAMETERS, Flags) CHECK(D3DPRESENT_PARAMETERS, FullScreen_RefreshRateInHz) \
  CHECK(D3DPRESENT_PARAMETERS, PresentationInterval) CHECK(D3DVIEWPORT9, X) CHECK(D3DVIEWPORT9, Y) CHECK(D3DVIEWPORT9, Width) \
  CHECK(D3DVIEWPORT9, Height) CHECK(D3DVIEWPORT9, MinZ) CHECK(D3DVIEWPORT9, MaxZ) CHECK(D3DMATRIX, m)

// The operations of each interface in slot order, as host/D3D9.h declares them. (Where a member
// function pointer of the project's interfaces points cannot be read in a constant expression, so
// that the header declares them in this order is a run-time matter for the declaration tests.)
#define TAMBLET_UNKNOWN_METHODS(X, I) X(I, QueryInterface) X(I, AddRef) X(I, Release)
#define TAMBLET_RESOURCE_METHODS(X, I)                                                                  \
  TAMBLET_UNKNOWN_METHODS(X, I)                                                                         \
  X(I, GetDevice) X(I, SetPrivateData) X(I, GetPrivateData) X(I, FreePrivateData) X(I, SetPriority) \
  X(I, GetPriority) X(I, PreLoad) X(I, GetType)
#define TAMBLET_BASE_TEXTURE_METHODS(X, I)                                                                \
  TAMBLET_RESOURCE_METHODS(X, I)                                                                          \
  X(I, SetLOD) X(I, GetLOD) X(I, GetLevelCount) X(I, SetAutoGenFilterType) X(I, GetAutoGenFilterType) \
  X(I, GenerateMipSubLevels)
#define TAMBLET_TEXTURE_METHODS(X, I) \
  TAMBLET_BASE_TEXTURE_METHODS(X, I)  \
  X(I, GetLevelDesc) X(I, GetSurfaceLevel) X(I, LockRect) X(I, UnlockRect) X(I, AddDirtyRect)
#define TAMBLET_SURFACE_METHODS(X, I) \
  TAMBLET_RESOURCE_METHODS(X, I)      \
  X(I, GetContainer) X(I, GetDesc) X(I, LockRect) X(I, UnlockRect) X(I, GetDC) X(I, ReleaseDC)
#define TAMBLET_VERTEX_BUFFER_METHODS(X, I) TAMBLET_RESOURCE_METHODS(X, I) X(I, Lock) X(I, Unlock) X(I, GetDesc)
#define TAMBLET_DEVICE_METHODS(X, I)                                                                      \
  TAMBLET_UNKNOWN_METHODS(X, I)                                                                           \
  X(I, TestCooperativeLevel) X(I, GetAvailableTextureMem) X(I, EvictManagedResources)                     \
  X(I, GetDirect3D) X(I, GetDeviceCaps) X(I, GetDisplayMode) X(I, GetCreationParameters)                  \
  X(I, SetCursorProperties) X(I, SetCursorPosition) X(I, ShowCursor) X(I, CreateAdditionalSwapChain)      \
  X(I, GetSwapChain) X(I, GetNumberOfSwapChains) X(I, Reset) X(I, Present) X(I, GetBackBuffer)            \
  X(I, GetRasterStatus) X(I, SetDialogBoxMode) X(I, SetGammaRamp) X(I, GetGammaRamp)                      \
  X(I, CreateTexture) X(I, CreateVolumeTexture) X(I, CreateCubeTexture) X(I, CreateVertexBuffer)          \
  X(I, CreateIndexBuffer) X(I, CreateRenderTarget) X(I, CreateDepthStencilSurface) X(I, UpdateSurface)    \
  X(I, UpdateTexture) X(I, GetRenderTargetData) X(I, GetFrontBufferData) X(I, StretchRect)                \
  X(I, ColorFill) X(I, CreateOffscreenPlainSurface) X(I, SetRenderTarget) X(I, GetRenderTarget)           \
  X(I, SetDepthStencilSurface) X(I, GetDepthStencilSurface) X(I, BeginScene) X(I, EndScene)               \
  X(I, Clear) X(I, SetTransform) X(I, GetTransform) X(I, MultiplyTransform) X(I, SetViewport)             \
  X(I, GetViewport) X(I, SetMaterial) X(I, GetMaterial) X(I, SetLight) X(I, GetLight)                     \
  X(I, LightEnable) X(I, GetLightEnable) X(I, SetClipPlane) X(I, GetClipPlane) X(I, SetRenderState)       \
  X(I, GetRenderState) X(I, CreateStateBlock) X(I, BeginStateBlock) X(I, EndStateBlock)                   \
  X(I, SetClipStatus) X(I, GetClipStatus) X(I, GetTexture) X(I, SetTexture) X(I, GetTextureStageState)    \
  X(I, SetTextureStageState) X(I, GetSamplerState) X(I, SetSamplerState) X(I, ValidateDevice)             \
  X(I, SetPaletteEntries) X(I, GetPaletteEntries) X(I, SetCurrentTexturePalette)                          \
  X(I, GetCurrentTexturePalette) X(I, SetScissorRect) X(I, GetScissorRect)                                \
  X(I, SetSoftwareVertexProcessing) X(I, GetSoftwareVertexProcessing) X(I, SetNPatchMode)                 \
  X(I, GetNPatchMode) X(I, DrawPrimitive) X(I, DrawIndexedPrimitive) X(I, DrawPrimitiveUP)                \
  X(I, DrawIndexedPrimitiveUP) X(I, ProcessVertices) X(I, CreateVertexDeclaration)                        \
  X(I, SetVertexDeclaration) X(I, GetVertexDeclaration) X(I, SetFVF) X(I, GetFVF)                         \
  X(I, CreateVertexShader) X(I, SetVertexShader) X(I, GetVertexShader) X(I, SetVertexShaderConstantF)     \
  X(I, GetVertexShaderConstantF) X(I, SetVertexShaderConstantI) X(I, GetVertexShaderConstantI)            \
  X(I, SetVertexShaderConstantB) X(I, GetVertexShaderConstantB) X(I, SetStreamSource)                     \
  X(I, GetStreamSource) X(I, SetStreamSourceFreq) X(I, GetStreamSourceFreq) X(I, SetIndices)              \
  X(I, GetIndices) X(I, CreatePixelShader) X(I, SetPixelShader) X(I, GetPixelShader)                      \
  X(I, SetPixelShaderConstantF) X(I, GetPixelShaderConstantF) X(I, SetPixelShaderConstantI)               \
  X(I, GetPixelShaderConstantI) X(I, SetPixelShaderConstantB) X(I, GetPixelShaderConstantB)               \
  X(I, DrawRectPatch) X(I, DrawTriPatch) X(I, DeletePatch) X(I, CreateQuery)

#define TAMBLET_D3D9_INTERFACES(X)                                                              \
  X(IDirect3DDevice9, TAMBLET_DEVICE_METHODS) X(IDirect3DTexture9, TAMBLET_TEXTURE_METHODS)     \
  X(IDirect3DSurface9, TAMBLET_SURFACE_METHODS) X(IDirect3DVertexBuffer9, TAMBLET_VERTEX_BUFFER_METHODS)

// clang-format on

// ---- The project's side, taken before the SDK's macros exist ---------------------------------------

namespace tamblet::d3d9check {

#define TAMBLET_TAKE_CONSTANT(name) inline constexpr auto project_##name = ::tamblet::name;
TAMBLET_D3D9_CONSTANTS(TAMBLET_TAKE_CONSTANT)
#undef TAMBLET_TAKE_CONSTANT

// Each interface's slots by operation name: the position in its list above.
#define TAMBLET_ENUMERATOR(I, method) method,
#define TAMBLET_SLOT_ENUM(I, methods)                            \
  namespace slots_##I {                                          \
    enum : std::size_t { methods(TAMBLET_ENUMERATOR, I) count }; \
  }
TAMBLET_D3D9_INTERFACES(TAMBLET_SLOT_ENUM)
#undef TAMBLET_SLOT_ENUM
#undef TAMBLET_ENUMERATOR

}  // namespace tamblet::d3d9check

// ---- The SDK's side ---------------------------------------------------------------------------------

// The C form of the interfaces: each has a struct of function pointers, its table, whose member
// offsets are the slots.
#define CINTERFACE
#include <d3d9.h>

namespace tamblet::d3d9check {

// An integer constant of either side, widened, so enumerators, DWORDs and HRESULTs compare by value.
template <class A, class B>
consteval bool sameValue(A project, B sdk) {
  return static_cast<long long>(project) == static_cast<long long>(sdk);
}

// How one argument or result travels: its width on the stack (a reference or pointer is one
// pointer) and whether it is floating point (another register class on x86-64).
struct Passing {
  std::size_t width;
  bool floating;
  friend constexpr bool operator==(const Passing&, const Passing&) = default;
};

template <class T>
consteval Passing passingOf() {
  if constexpr (std::is_void_v<T>) {
    return {0, false};
  } else if constexpr (std::is_reference_v<T> || std::is_pointer_v<T>) {
    return {sizeof(void*), false};
  } else {
    return {sizeof(T), std::is_floating_point_v<T>};
  }
}

template <class Result, class... Arguments>
struct Shape {
  static constexpr Passing result = passingOf<Result>();
  static constexpr std::size_t count = sizeof...(Arguments);
  static constexpr Passing arguments[count + 1] = {passingOf<Arguments>()..., {0, false}};
};

// The project's operation as a member function pointer, the SDK's as a table entry whose first
// argument is the object.
template <class Operation>
struct ShapeOf;
template <class Result, class Class, class... Arguments>
struct ShapeOf<Result (TAMBLET_HOSTCALL Class::*)(Arguments...)> : Shape<Result, Arguments...> {};
template <class Result, class Object, class... Arguments>
struct ShapeOf<Result(STDMETHODCALLTYPE*)(Object*, Arguments...)> : Shape<Result, Arguments...> {};

template <class Project, class Sdk>
consteval bool sameShape() {
  using P = ShapeOf<Project>;
  using S = ShapeOf<Sdk>;
  if (!(P::result == S::result) || P::count != S::count) return false;
  for (std::size_t i = 0; i < P::count; ++i)
    if (!(P::arguments[i] == S::arguments[i])) return false;
  return true;
}

// ---- The checks ---------------------------------------------------------------------------------

#define TAMBLET_CHECK_STRUCTURE(S) \
  static_assert(sizeof(::tamblet::S) == sizeof(::S), "the size of " #S " differs from d3d9.h");
TAMBLET_D3D9_STRUCTURES(TAMBLET_CHECK_STRUCTURE)
#undef TAMBLET_CHECK_STRUCTURE

#define TAMBLET_CHECK_MEMBER(S, member)                                                                               \
  static_assert(                                                                                                      \
      offsetof(::tamblet::S, member) == offsetof(::S, member) && sizeof(::tamblet::S::member) == sizeof(::S::member), \
      #S "::" #member " has another offset or size than in d3d9.h");
TAMBLET_D3D9_MEMBERS(TAMBLET_CHECK_MEMBER)
#undef TAMBLET_CHECK_MEMBER

#define TAMBLET_CHECK_OPERATION(I, method)                                                 \
  static_assert(offsetof(::I##Vtbl, method) == slots_##I::method * sizeof(void*),          \
                #I "::" #method " is in another slot than in d3d9.h");                     \
  static_assert(sameShape<decltype(&::tamblet::I::method), decltype(::I##Vtbl::method)>(), \
                #I "::" #method " passes other arguments or another result than in d3d9.h");
// clang-format off
#define TAMBLET_CHECK_INTERFACE(I, methods) \
  methods(TAMBLET_CHECK_OPERATION, I) \
  static_assert(sizeof(::I##Vtbl) == slots_##I::count * sizeof(void*), #I " has more slots in d3d9.h");
// clang-format on
TAMBLET_D3D9_INTERFACES(TAMBLET_CHECK_INTERFACE)
#undef TAMBLET_CHECK_INTERFACE
#undef TAMBLET_CHECK_OPERATION

}  // namespace tamblet::d3d9check

// In the global namespace, where an unqualified name is the SDK's (enumerators there, macros anywhere).
// clang-format off
#define TAMBLET_CHECK_CONSTANT(name) \
  static_assert(tamblet::d3d9check::sameValue(tamblet::d3d9check::project_##name, name), #name " differs from d3d9.h");
// clang-format on
TAMBLET_D3D9_CONSTANTS(TAMBLET_CHECK_CONSTANT)
#undef TAMBLET_CHECK_CONSTANT
