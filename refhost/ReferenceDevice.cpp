#include "refhost/ReferenceDevice.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "refhost/D3DConstants.h"
#include "refhost/D3DSurface.h"
#include "refhost/D3DTexture.h"
#include "refhost/D3DVertexBuffer.h"

namespace refhost {

using namespace tamblet;

namespace d3d_detail {
D3DCallLog& log(ReferenceDevice& device) {
  return device.log_;
}
void addDeviceReference(ReferenceDevice& device) {
  device.AddRef();
}
void releaseDeviceReference(ReferenceDevice& device) {
  device.Release();
}
IDirect3DDevice9* deviceInterface(ReferenceDevice& device) {
  return &device;
}
}  // namespace d3d_detail

namespace {

constexpr std::int32_t kMaxSide = 16384;
constexpr UINT kTextureMemory = 512u << 20;
// The most primitives one draw takes (a device's MaxPrimitiveCount), so vertex counts and byte
// offsets stay far inside 64 bits.
constexpr UINT kMaxPrimitives = 1u << 24;

std::int32_t side(std::int32_t value) {
  return value >= 1 && value <= kMaxSide ? value : 1;
}

template <class T>
void clearOut(T** out) {
  if (out) *out = nullptr;
}

}  // namespace

// ---- Construction and the test-facing API --------------------------------------------------------

ReferenceDevice::ReferenceDevice(std::int32_t width, std::int32_t height, bool depthBuffer)
    : width_(side(width)), height_(side(height)), hasDepth_(depthBuffer) {
  backBuffer_ = D3DSurface::createOwned(*this, nextLabel("surf"), width_, height_, D3DUSAGE_RENDERTARGET,
                                        D3DPOOL_DEFAULT, true, nullptr);
  liveSurfaces_[backBuffer_] = backBuffer_;
  log_.name(static_cast<IDirect3DSurface9*>(backBuffer_), backBuffer_->label());
  if (hasDepth_) depth_.assign(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_), 1.0f);
  resetState();
}

ReferenceDevice::~ReferenceDevice() {
  setPresentTarget(nullptr);
  liveSurfaces_.erase(backBuffer_);
  backBuffer_->destroyOwned();
}

void ReferenceDevice::loseDevice() {
  lost_ = true;
  restored_ = false;
  inScene_ = false;
}

void ReferenceDevice::restoreDevice() {
  if (lost_) restored_ = true;
}

const std::uint32_t* ReferenceDevice::backBuffer() const {
  return backBuffer_->pixels().words;
}

std::int32_t ReferenceDevice::backBufferPitch() const {
  return backBuffer_->pixels().pitch * 4;
}

std::int32_t ReferenceDevice::liveResources() const {
  std::int32_t count = static_cast<std::int32_t>(liveTextures_.size() + liveBuffers_.size());
  for (const auto& [pointer, surface] : liveSurfaces_)
    if (surface->standalone() || surface->references() > 0) ++count;
  return count;
}

void ReferenceDevice::applyBaseline() {
  state_.render[D3DRS_CULLMODE] = D3DCULL_NONE;
  for (int s = 1; s < D3DPipelineState::kStages; ++s) {
    state_.stage[s][D3DTSS_COLOROP] = D3DTOP_DISABLE;
    state_.stage[s][D3DTSS_ALPHAOP] = D3DTOP_DISABLE;
  }
  state_.render[D3DRS_BLENDOP] = D3DBLENDOP_ADD;
  state_.render[D3DRS_TEXTUREFACTOR] = 0xFFFFFFFFu;
  state_.render[D3DRS_ALPHATESTENABLE] = 0;
  state_.render[D3DRS_SCISSORTESTENABLE] = 0;
}

void ReferenceDevice::setPresentTarget(ISurface* target) {
  if (target) target->AddRef();
  if (presentTarget_) presentTarget_->Release();
  presentTarget_ = target;
}

float ReferenceDevice::depthAt(std::int32_t x, std::int32_t y) const {
  if (!hasDepth_ || x < 0 || y < 0 || x >= width_ || y >= height_) return 0.0f;
  return depth_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) + static_cast<std::size_t>(x)];
}

// ---- Bookkeeping ---------------------------------------------------------------------------------

std::string ReferenceDevice::nextLabel(const char* kind) {
  return std::string(kind) + "#" + std::to_string(++created_[kind]);
}

void ReferenceDevice::forget(const void* resource) {
  log_.forget(resource);
  liveTextures_.erase(resource);
  liveSurfaces_.erase(resource);
  liveBuffers_.erase(resource);
  for (D3DTexture*& bound : textures_)
    if (bound == resource) bound = nullptr;
  if (stream_ == resource) stream_ = nullptr;
  if (renderTarget_ == resource) {
    renderTarget_ = backBuffer_;
    viewport_ = {0, 0, static_cast<DWORD>(width_), static_cast<DWORD>(height_), 0.0f, 1.0f};
  }
}

D3DTexture* ReferenceDevice::findTexture(const void* pointer) const {
  const auto found = liveTextures_.find(pointer);
  return found == liveTextures_.end() ? nullptr : found->second;
}

D3DSurface* ReferenceDevice::findSurface(const void* pointer) const {
  const auto found = liveSurfaces_.find(pointer);
  return found == liveSurfaces_.end() ? nullptr : found->second;
}

D3DVertexBuffer* ReferenceDevice::findBuffer(const void* pointer) const {
  const auto found = liveBuffers_.find(pointer);
  return found == liveBuffers_.end() ? nullptr : found->second;
}

bool ReferenceDevice::defaultPoolResourceAlive() const {
  for (const auto& [pointer, texture] : liveTextures_)
    if (texture->pool() == D3DPOOL_DEFAULT) return true;
  for (const auto& [pointer, buffer] : liveBuffers_)
    if (buffer->pool() == D3DPOOL_DEFAULT) return true;
  for (const auto& [pointer, surface] : liveSurfaces_)
    if (surface->pool() == D3DPOOL_DEFAULT &&
        (surface->standalone() || (surface == backBuffer_ && surface->references() > 0)))
      return true;
  return false;
}

void ReferenceDevice::resetState() {
  state_.setDefaults(hasDepth_, width_, height_);
  std::fill(std::begin(textures_), std::end(textures_), nullptr);
  stream_ = nullptr;
  streamOffset_ = streamStride_ = 0;
  fvf_ = 0;
  renderTarget_ = backBuffer_;
  viewport_ = {0, 0, static_cast<DWORD>(width_), static_cast<DWORD>(height_), 0.0f, 1.0f};
  inScene_ = false;
}

std::string ReferenceDevice::rectText(const RECT* rect) {
  if (!rect) return "null";
  return "{" + std::to_string(rect->left) + ", " + std::to_string(rect->top) + ", " + std::to_string(rect->right) +
         ", " + std::to_string(rect->bottom) + "}";
}

void ReferenceDevice::clipRect(std::int32_t& left, std::int32_t& top, std::int32_t& right, std::int32_t& bottom) const {
  const D3DPixels& target = renderTarget_->pixels();
  left = static_cast<std::int32_t>(std::min<DWORD>(viewport_.X, static_cast<DWORD>(target.width)));
  top = static_cast<std::int32_t>(std::min<DWORD>(viewport_.Y, static_cast<DWORD>(target.height)));
  right = static_cast<std::int32_t>(std::min<std::int64_t>(std::int64_t{viewport_.X} + viewport_.Width, target.width));
  bottom =
      static_cast<std::int32_t>(std::min<std::int64_t>(std::int64_t{viewport_.Y} + viewport_.Height, target.height));
  if (state_.render[D3DRS_SCISSORTESTENABLE]) {
    left = std::max(left, state_.scissorLeft);
    top = std::max(top, state_.scissorTop);
    right = std::min(right, state_.scissorRight);
    bottom = std::min(bottom, state_.scissorBottom);
  }
  right = std::max(right, left);
  bottom = std::max(bottom, top);
}

// ---- IUnknown --------------------------------------------------------------------------------------

HRESULT ReferenceDevice::QueryInterface(const InterfaceId&, void** object) {
  clearOut(object);
  return E_NOINTERFACE;
}

ULONG ReferenceDevice::AddRef() {
  return ++references_;
}

ULONG ReferenceDevice::Release() {
  Ledger::releaseCalled(this);
  if (references_ == 0) return 0;
  const ULONG left = --references_;
  if (left == 0) delete this;
  return left;
}

// ---- Device state, loss and presentation -----------------------------------------------------------

HRESULT ReferenceDevice::TestCooperativeLevel() {
  if (log_.enter(nullptr, "TestCooperativeLevel")) return D3DERR_INVALIDCALL;
  if (!lost_) return D3D_OK;
  return restored_ ? D3DERR_DEVICENOTRESET : D3DERR_DEVICELOST;
}

UINT ReferenceDevice::GetAvailableTextureMem() {
  log_.enter(nullptr, "GetAvailableTextureMem");
  return kTextureMemory;
}

HRESULT ReferenceDevice::EvictManagedResources() {
  return log_.enter(nullptr, "EvictManagedResources") ? D3DERR_INVALIDCALL : D3D_OK;
}

HRESULT ReferenceDevice::Reset(D3DPRESENT_PARAMETERS* params) {
  const std::string size =
      params ? "{" + std::to_string(params->BackBufferWidth) + ", " + std::to_string(params->BackBufferHeight) + "}"
             : "null";
  if (log_.enter(nullptr, "Reset", D3DCallLog::Text{size}) || !params) return D3DERR_INVALIDCALL;
  if (lost_ && !restored_) return D3DERR_DEVICELOST;
  if (defaultPoolResourceAlive()) return D3DERR_INVALIDCALL;
  // The back buffer keeps its size: the hosts this device serves never resize it.
  const bool otherWidth = params->BackBufferWidth && static_cast<std::int32_t>(params->BackBufferWidth) != width_;
  const bool otherHeight = params->BackBufferHeight && static_cast<std::int32_t>(params->BackBufferHeight) != height_;
  if (otherWidth || otherHeight) return D3DERR_INVALIDCALL;
  backBuffer_->fill(0);
  if (hasDepth_) std::fill(depth_.begin(), depth_.end(), 1.0f);
  resetState();
  lost_ = restored_ = false;
  return D3D_OK;
}

HRESULT ReferenceDevice::Present(const RECT* source, const RECT* dest, HWND, const RGNDATA* dirty) {
  if (log_.enter(nullptr, "Present", D3DCallLog::Text{rectText(source)}, D3DCallLog::Text{rectText(dest)}, nullptr,
                 static_cast<const void*>(dirty)))
    return D3DERR_INVALIDCALL;
  if (lost_) return D3DERR_DEVICELOST;
  if (inScene_) return D3DERR_INVALIDCALL;
  ++presents_;
  if (!presentTarget_ || presentTarget_->GetBpp() != 32) return D3D_OK;
  const std::int32_t width = std::min(width_, presentTarget_->GetWidth());
  const std::int32_t height = std::min(height_, presentTarget_->GetHeight());
  const D3DPixels& pixels = backBuffer_->pixels();
  for (std::int32_t y = 0; y < height; ++y) {
    std::uint8_t* row = presentTarget_->GetPixelAddress(0, y);
    if (!row) break;
    std::memcpy(row, pixels.row(y), static_cast<std::size_t>(width) * 4);
  }
  return D3D_OK;
}

HRESULT ReferenceDevice::GetBackBuffer(UINT swapChain, UINT index, D3DBACKBUFFER_TYPE type,
                                       IDirect3DSurface9** surface) {
  const bool fail = log_.enter(nullptr, "GetBackBuffer", swapChain, index, type);
  clearOut(surface);
  if (fail || swapChain != 0 || index != 0 || type != D3DBACKBUFFER_TYPE_MONO || !surface) return D3DERR_INVALIDCALL;
  backBuffer_->AddRef();
  *surface = backBuffer_;
  return D3D_OK;
}

UINT ReferenceDevice::GetNumberOfSwapChains() {
  log_.enter(nullptr, "GetNumberOfSwapChains");
  return 1;
}

HRESULT ReferenceDevice::BeginScene() {
  if (log_.enter(nullptr, "BeginScene")) return D3DERR_INVALIDCALL;
  if (lost_) return D3D_OK;
  if (inScene_) return D3DERR_INVALIDCALL;
  inScene_ = true;
  return D3D_OK;
}

HRESULT ReferenceDevice::EndScene() {
  if (log_.enter(nullptr, "EndScene")) return D3DERR_INVALIDCALL;
  if (lost_) return D3D_OK;
  if (!inScene_) return D3DERR_INVALIDCALL;
  inScene_ = false;
  return D3D_OK;
}

HRESULT ReferenceDevice::Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z, DWORD stencil) {
  std::string list = "null";
  if (rects) {
    list = "[";
    for (DWORD i = 0; i < count; ++i)
      list += (i ? ", {" : "{") + std::to_string(rects[i].x1) + ", " + std::to_string(rects[i].y1) + ", " +
              std::to_string(rects[i].x2) + ", " + std::to_string(rects[i].y2) + "}";
    list += "]";
  }
  if (log_.enter(nullptr, "Clear", count, D3DCallLog::Text{list}, flags, color, z, stencil)) return D3DERR_INVALIDCALL;
  if ((count == 0) != (rects == nullptr)) return D3DERR_INVALIDCALL;
  if (flags == 0 || (flags & ~(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL))) return D3DERR_INVALIDCALL;
  if ((flags & D3DCLEAR_STENCIL) || ((flags & D3DCLEAR_ZBUFFER) && !hasDepth_)) return D3DERR_INVALIDCALL;
  if ((flags & D3DCLEAR_ZBUFFER) && !(z >= 0.0f && z <= 1.0f)) return D3DERR_INVALIDCALL;
  if (lost_) return D3D_OK;
  std::int32_t left, top, right, bottom;
  clipRect(left, top, right, bottom);
  const D3DPixels& target = renderTarget_->pixels();
  const bool depth = (flags & D3DCLEAR_ZBUFFER) && target.width <= width_ && target.height <= height_;
  const auto clearArea = [&](std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2) {
    x1 = std::max(x1, left), y1 = std::max(y1, top), x2 = std::min(x2, right), y2 = std::min(y2, bottom);
    for (std::int32_t y = y1; y < y2; ++y) {
      if (flags & D3DCLEAR_TARGET) std::fill(target.row(y) + x1, target.row(y) + x2, color);
      if (depth) {
        float* row = depth_.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width_);
        std::fill(row + x1, row + x2, z);
      }
    }
  };
  if (!rects) clearArea(left, top, right, bottom);
  for (DWORD i = 0; i < count; ++i) clearArea(rects[i].x1, rects[i].y1, rects[i].x2, rects[i].y2);
  return D3D_OK;
}

// ---- Resources -------------------------------------------------------------------------------------

HRESULT ReferenceDevice::CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                                       D3DPOOL pool, IDirect3DTexture9** texture, HANDLE* shared) {
  const bool fail = log_.enter(nullptr, "CreateTexture", width, height, levels, usage, format, pool);
  clearOut(texture);
  if (fail || !texture || shared) return D3DERR_INVALIDCALL;
  const auto max = static_cast<UINT>(std::max(maxTextureSize_, 1));
  if (width < 1 || height < 1 || width > max || height > max) return D3DERR_INVALIDCALL;
  if (levels > 1 || (levels == 0 && (width > 1 || height > 1))) return D3DERR_INVALIDCALL;
  if (format != D3DFMT_A8R8G8B8) return D3DERR_INVALIDCALL;
  if (usage & ~(D3DUSAGE_RENDERTARGET | D3DUSAGE_DYNAMIC)) return D3DERR_INVALIDCALL;
  if (pool != D3DPOOL_DEFAULT && pool != D3DPOOL_MANAGED && pool != D3DPOOL_SYSTEMMEM) return D3DERR_INVALIDCALL;
  if ((usage & D3DUSAGE_RENDERTARGET) && pool != D3DPOOL_DEFAULT) return D3DERR_INVALIDCALL;
  if ((usage & D3DUSAGE_DYNAMIC) && pool == D3DPOOL_MANAGED) return D3DERR_INVALIDCALL;
  D3DTexture* made = nullptr;
  try {
    made = D3DTexture::create(*this, nextLabel("tex"), nextLabel("surf"), static_cast<std::int32_t>(width),
                              static_cast<std::int32_t>(height), usage, pool);
  } catch (const std::bad_alloc&) {
    return D3DERR_OUTOFVIDEOMEMORY;
  }
  AddRef();
  liveTextures_[static_cast<IDirect3DBaseTexture9*>(made)] = made;
  liveSurfaces_[static_cast<IDirect3DSurface9*>(&made->level())] = &made->level();
  log_.name(static_cast<IDirect3DBaseTexture9*>(made), made->label());
  log_.name(static_cast<IDirect3DSurface9*>(&made->level()), made->level().label());
  *texture = made;
  return D3D_OK;
}

HRESULT ReferenceDevice::CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                                            IDirect3DVertexBuffer9** buffer, HANDLE* shared) {
  const bool fail = log_.enter(nullptr, "CreateVertexBuffer", length, usage, fvf, pool);
  clearOut(buffer);
  if (fail || !buffer || shared || length == 0) return D3DERR_INVALIDCALL;
  if (usage & ~(D3DUSAGE_WRITEONLY | D3DUSAGE_DYNAMIC)) return D3DERR_INVALIDCALL;
  if (pool != D3DPOOL_DEFAULT && pool != D3DPOOL_MANAGED && pool != D3DPOOL_SYSTEMMEM) return D3DERR_INVALIDCALL;
  if ((usage & D3DUSAGE_DYNAMIC) && pool == D3DPOOL_MANAGED) return D3DERR_INVALIDCALL;
  D3DVertexBuffer* made = nullptr;
  try {
    made = D3DVertexBuffer::create(*this, nextLabel("vb"), length, usage, fvf, pool);
  } catch (const std::bad_alloc&) {
    return D3DERR_OUTOFVIDEOMEMORY;
  }
  AddRef();
  liveBuffers_[static_cast<IDirect3DVertexBuffer9*>(made)] = made;
  log_.name(static_cast<IDirect3DVertexBuffer9*>(made), made->label());
  *buffer = made;
  return D3D_OK;
}

HRESULT ReferenceDevice::CreateRenderTarget(UINT width, UINT height, D3DFORMAT format, D3DMULTISAMPLE_TYPE multiSample,
                                            DWORD quality, BOOL lockable, IDirect3DSurface9** surface, HANDLE*) {
  clearOut(surface);
  return unsupported("CreateRenderTarget", width, height, format, multiSample, quality, lockable);
}

HRESULT ReferenceDevice::CreateOffscreenPlainSurface(UINT width, UINT height, D3DFORMAT format, D3DPOOL pool,
                                                     IDirect3DSurface9** surface, HANDLE* shared) {
  const bool fail = log_.enter(nullptr, "CreateOffscreenPlainSurface", width, height, format, pool);
  clearOut(surface);
  if (fail || !surface || shared || format != D3DFMT_A8R8G8B8) return D3DERR_INVALIDCALL;
  if (pool != D3DPOOL_DEFAULT && pool != D3DPOOL_SYSTEMMEM) return D3DERR_INVALIDCALL;
  if (width < 1 || height < 1 || width > kMaxSide || height > kMaxSide) return D3DERR_INVALIDCALL;
  D3DSurface* made = nullptr;
  try {
    made = D3DSurface::createStandalone(*this, nextLabel("surf"), static_cast<std::int32_t>(width),
                                        static_cast<std::int32_t>(height), 0, pool, true);
  } catch (const std::bad_alloc&) {
    return D3DERR_OUTOFVIDEOMEMORY;
  }
  AddRef();
  liveSurfaces_[static_cast<IDirect3DSurface9*>(made)] = made;
  log_.name(static_cast<IDirect3DSurface9*>(made), made->label());
  *surface = made;
  return D3D_OK;
}

HRESULT ReferenceDevice::UpdateSurface(IDirect3DSurface9* source, const RECT*, IDirect3DSurface9* dest, const POINT*) {
  return unsupported("UpdateSurface", source, dest);
}

HRESULT ReferenceDevice::GetRenderTargetData(IDirect3DSurface9* target, IDirect3DSurface9* dest) {
  if (log_.enter(nullptr, "GetRenderTargetData", target, dest)) return D3DERR_INVALIDCALL;
  D3DSurface* from = findSurface(target);
  D3DSurface* to = findSurface(dest);
  if (!from || !to || !from->renderTarget() || to->pool() != D3DPOOL_SYSTEMMEM) return D3DERR_INVALIDCALL;
  const D3DPixels &src = from->pixels(), &dst = to->pixels();
  if (src.width != dst.width || src.height != dst.height) return D3DERR_INVALIDCALL;
  if (lost_) return D3DERR_DEVICELOST;
  for (std::int32_t y = 0; y < src.height; ++y) std::copy(src.row(y), src.row(y) + src.width, dst.row(y));
  return D3D_OK;
}

HRESULT ReferenceDevice::StretchRect(IDirect3DSurface9* source, const RECT*, IDirect3DSurface9* dest, const RECT*,
                                     D3DTEXTUREFILTERTYPE filter) {
  return unsupported("StretchRect", source, dest, filter);
}

HRESULT ReferenceDevice::ColorFill(IDirect3DSurface9* surface, const RECT*, D3DCOLOR color) {
  return unsupported("ColorFill", surface, color);
}

HRESULT ReferenceDevice::SetRenderTarget(DWORD index, IDirect3DSurface9* target) {
  if (log_.enter(nullptr, "SetRenderTarget", index, target)) return D3DERR_INVALIDCALL;
  D3DSurface* surface = findSurface(target);
  if (index != 0 || !surface || !surface->renderTarget()) return D3DERR_INVALIDCALL;
  renderTarget_ = surface;
  viewport_ = {0,    0,   static_cast<DWORD>(surface->pixels().width), static_cast<DWORD>(surface->pixels().height),
               0.0f, 1.0f};
  return D3D_OK;
}

HRESULT ReferenceDevice::GetRenderTarget(DWORD index, IDirect3DSurface9** target) {
  const bool fail = log_.enter(nullptr, "GetRenderTarget", index);
  clearOut(target);
  if (fail || index != 0 || !target) return D3DERR_INVALIDCALL;
  renderTarget_->AddRef();
  *target = renderTarget_;
  return D3D_OK;
}

// ---- States ----------------------------------------------------------------------------------------

HRESULT ReferenceDevice::SetViewport(const D3DVIEWPORT9* viewport) {
  const std::string text = viewport
                               ? "{" + std::to_string(viewport->X) + ", " + std::to_string(viewport->Y) + ", " +
                                     std::to_string(viewport->Width) + ", " + std::to_string(viewport->Height) + "}"
                               : "null";
  if (log_.enter(nullptr, "SetViewport", D3DCallLog::Text{text}) || !viewport) return D3DERR_INVALIDCALL;
  const D3DPixels& target = renderTarget_->pixels();
  if (std::uint64_t{viewport->X} + viewport->Width > static_cast<std::uint64_t>(target.width) ||
      std::uint64_t{viewport->Y} + viewport->Height > static_cast<std::uint64_t>(target.height))
    return D3DERR_INVALIDCALL;
  viewport_ = *viewport;
  return D3D_OK;
}

HRESULT ReferenceDevice::GetViewport(D3DVIEWPORT9* viewport) {
  if (log_.enter(nullptr, "GetViewport") || !viewport) return D3DERR_INVALIDCALL;
  *viewport = viewport_;
  return D3D_OK;
}

HRESULT ReferenceDevice::SetRenderState(D3DRENDERSTATETYPE state, DWORD value) {
  if (log_.enter(nullptr, "SetRenderState", state, value) || state >= D3DPipelineState::kRenderStates)
    return D3DERR_INVALIDCALL;
  state_.render[state] = value;
  return D3D_OK;
}

HRESULT ReferenceDevice::GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) {
  if (log_.enter(nullptr, "GetRenderState", state) || state >= D3DPipelineState::kRenderStates || !value)
    return D3DERR_INVALIDCALL;
  *value = state_.render[state];
  return D3D_OK;
}

HRESULT ReferenceDevice::GetTexture(DWORD stage, IDirect3DBaseTexture9** texture) {
  const bool fail = log_.enter(nullptr, "GetTexture", stage);
  clearOut(texture);
  if (fail || stage >= D3DPipelineState::kStages || !texture) return D3DERR_INVALIDCALL;
  if (D3DTexture* bound = textures_[stage]) {
    bound->AddRef();
    *texture = bound;
  }
  return D3D_OK;
}

HRESULT ReferenceDevice::SetTexture(DWORD stage, IDirect3DBaseTexture9* texture) {
  if (log_.enter(nullptr, "SetTexture", stage, texture) || stage >= D3DPipelineState::kStages)
    return D3DERR_INVALIDCALL;
  D3DTexture* found = texture ? findTexture(texture) : nullptr;
  if (texture && (!found || found->pool() == D3DPOOL_SYSTEMMEM)) return D3DERR_INVALIDCALL;
  textures_[stage] = found;
  return D3D_OK;
}

HRESULT ReferenceDevice::GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* value) {
  if (log_.enter(nullptr, "GetTextureStageState", stage, type) || stage >= D3DPipelineState::kStages ||
      type >= D3DPipelineState::kStageStates || !value)
    return D3DERR_INVALIDCALL;
  *value = state_.stage[stage][type];
  return D3D_OK;
}

HRESULT ReferenceDevice::SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) {
  if (log_.enter(nullptr, "SetTextureStageState", stage, type, value) || stage >= D3DPipelineState::kStages ||
      type >= D3DPipelineState::kStageStates)
    return D3DERR_INVALIDCALL;
  state_.stage[stage][type] = value;
  return D3D_OK;
}

HRESULT ReferenceDevice::GetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD* value) {
  if (log_.enter(nullptr, "GetSamplerState", sampler, type) || sampler >= D3DPipelineState::kSamplers ||
      type >= D3DPipelineState::kSamplerStates || !value)
    return D3DERR_INVALIDCALL;
  *value = state_.sampler[sampler][type];
  return D3D_OK;
}

HRESULT ReferenceDevice::SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) {
  if (log_.enter(nullptr, "SetSamplerState", sampler, type, value) || sampler >= D3DPipelineState::kSamplers ||
      type >= D3DPipelineState::kSamplerStates)
    return D3DERR_INVALIDCALL;
  state_.sampler[sampler][type] = value;
  return D3D_OK;
}

HRESULT ReferenceDevice::ValidateDevice(DWORD* passes) {
  if (log_.enter(nullptr, "ValidateDevice") || !passes) return D3DERR_INVALIDCALL;
  const D3DPixels* textures[D3DPipelineState::kStages] = {};
  for (int s = 0; s < D3DPipelineState::kStages; ++s) textures[s] = textures_[s] ? &textures_[s]->pixels() : nullptr;
  if (!pixelPath_.prepare(state_, textures, hasDepth_, 1)) return D3DERR_INVALIDCALL;
  *passes = 1;
  return D3D_OK;
}

HRESULT ReferenceDevice::SetScissorRect(const RECT* rect) {
  if (log_.enter(nullptr, "SetScissorRect", D3DCallLog::Text{rectText(rect)}) || !rect) return D3DERR_INVALIDCALL;
  state_.scissorLeft = rect->left;
  state_.scissorTop = rect->top;
  state_.scissorRight = rect->right;
  state_.scissorBottom = rect->bottom;
  return D3D_OK;
}

HRESULT ReferenceDevice::GetScissorRect(RECT* rect) {
  if (log_.enter(nullptr, "GetScissorRect") || !rect) return D3DERR_INVALIDCALL;
  *rect = {state_.scissorLeft, state_.scissorTop, state_.scissorRight, state_.scissorBottom};
  return D3D_OK;
}

HRESULT ReferenceDevice::SetFVF(DWORD fvf) {
  if (log_.enter(nullptr, "SetFVF", fvf)) return D3DERR_INVALIDCALL;
  fvf_ = fvf;
  return D3D_OK;
}

HRESULT ReferenceDevice::GetFVF(DWORD* fvf) {
  if (log_.enter(nullptr, "GetFVF") || !fvf) return D3DERR_INVALIDCALL;
  *fvf = fvf_;
  return D3D_OK;
}

HRESULT ReferenceDevice::SetStreamSource(UINT stream, IDirect3DVertexBuffer9* buffer, UINT offset, UINT stride) {
  if (log_.enter(nullptr, "SetStreamSource", stream, buffer, offset, stride) || stream != 0) return D3DERR_INVALIDCALL;
  D3DVertexBuffer* found = buffer ? findBuffer(buffer) : nullptr;
  if (buffer && !found) return D3DERR_INVALIDCALL;
  stream_ = found;
  streamOffset_ = offset;
  streamStride_ = stride;
  return D3D_OK;
}

HRESULT ReferenceDevice::GetStreamSource(UINT stream, IDirect3DVertexBuffer9** buffer, UINT* offset, UINT* stride) {
  const bool fail = log_.enter(nullptr, "GetStreamSource", stream);
  clearOut(buffer);
  if (fail || stream != 0 || !buffer || !offset || !stride) return D3DERR_INVALIDCALL;
  if (stream_) {
    stream_->AddRef();
    *buffer = stream_;
  }
  *offset = streamOffset_;
  *stride = streamStride_;
  return D3D_OK;
}

// ---- Drawing ---------------------------------------------------------------------------------------

HRESULT ReferenceDevice::DrawPrimitive(D3DPRIMITIVETYPE type, UINT startVertex, UINT primitives) {
  if (log_.enter(nullptr, "DrawPrimitive", type, startVertex, primitives)) return D3DERR_INVALIDCALL;
  if (lost_) return D3D_OK;
  if (!stream_) return D3DERR_INVALIDCALL;
  const std::vector<std::uint8_t>& bytes = stream_->bytes();
  const std::uint64_t start = std::uint64_t{streamOffset_} + std::uint64_t{startVertex} * streamStride_;
  if (start > bytes.size()) return D3DERR_INVALIDCALL;
  return draw(type, primitives, bytes.data() + start, bytes.size() - static_cast<std::size_t>(start), streamStride_);
}

HRESULT ReferenceDevice::DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT primitives, const void* vertices, UINT stride) {
  if (log_.enter(nullptr, "DrawPrimitiveUP", type, primitives, D3DCallLog::Text{vertices ? "data" : "null"}, stride))
    return D3DERR_INVALIDCALL;
  if (!vertices || primitives > kMaxPrimitives) return D3DERR_INVALIDCALL;
  // As Direct3D documents: stream 0 is unset after a draw from memory.
  stream_ = nullptr;
  streamOffset_ = streamStride_ = 0;
  if (lost_) return D3D_OK;
  const std::uint64_t count =
      type == D3DPT_TRIANGLELIST ? std::uint64_t{primitives} * 3 : std::uint64_t{primitives} + 2;
  return draw(type, primitives, static_cast<const std::uint8_t*>(vertices), static_cast<std::size_t>(count * stride),
              stride);
}

HRESULT ReferenceDevice::draw(D3DPRIMITIVETYPE type, UINT primitives, const std::uint8_t* bytes, std::size_t available,
                              UINT stride) {
  if (!inScene_ || primitives > kMaxPrimitives) return D3DERR_INVALIDCALL;
  if (type != D3DPT_TRIANGLELIST && type != D3DPT_TRIANGLESTRIP && type != D3DPT_TRIANGLEFAN) return D3DERR_INVALIDCALL;
  if ((fvf_ & D3DFVF_POSITION_MASK) != D3DFVF_XYZRHW) return D3DERR_INVALIDCALL;
  // The vertex layout of the FVF: position, point size, diffuse, specular, then texture sets.
  std::uint32_t offset = 16;
  if (fvf_ & 0x20) offset += 4;  // D3DFVF_PSIZE
  const std::int64_t diffuseAt = (fvf_ & D3DFVF_DIFFUSE) ? offset : -1;
  if (fvf_ & D3DFVF_DIFFUSE) offset += 4;
  if (fvf_ & D3DFVF_SPECULAR) offset += 4;
  const DWORD sets = (fvf_ & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT;
  if (sets > 8) return D3DERR_INVALIDCALL;
  const std::int64_t texAt = sets ? offset : -1;
  std::uint32_t firstSetFloats = 2;
  for (DWORD set = 0; set < sets; ++set) {
    static constexpr std::uint32_t kFloats[4] = {2, 3, 4, 1};  // D3DFVF_TEXCOORDSIZEn codes
    const std::uint32_t floats = kFloats[(fvf_ >> (16 + 2 * set)) & 3];
    if (set == 0) firstSetFloats = floats;
    offset += 4 * floats;
  }
  if (stride < offset) return D3DERR_INVALIDCALL;
  if (primitives == 0) return D3D_OK;
  const std::uint64_t count =
      type == D3DPT_TRIANGLELIST ? std::uint64_t{primitives} * 3 : std::uint64_t{primitives} + 2;
  if ((count - 1) * stride + offset > available) return D3DERR_INVALIDCALL;

  const D3DPixels* textures[D3DPipelineState::kStages] = {};
  for (int s = 0; s < D3DPipelineState::kStages; ++s) textures[s] = textures_[s] ? &textures_[s]->pixels() : nullptr;
  const D3DPixels& target = renderTarget_->pixels();
  const bool depth = hasDepth_ && target.width <= width_ && target.height <= height_;
  try {
    if (!pixelPath_.prepare(state_, textures, depth, target.width)) return D3DERR_INVALIDCALL;
    vertices_.resize(static_cast<std::size_t>(count));
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  for (std::size_t i = 0; i < vertices_.size(); ++i) {
    const std::uint8_t* at = bytes + i * stride;
    D3DVertex& v = vertices_[i];
    std::memcpy(&v.x, at, 16);
    v.diffuse = 0xFFFFFFFFu;
    if (diffuseAt >= 0) std::memcpy(&v.diffuse, at + diffuseAt, 4);
    v.u = v.v = 0.0f;
    if (texAt >= 0) {
      std::memcpy(&v.u, at + texAt, 4);
      if (firstSetFloats >= 2) std::memcpy(&v.v, at + texAt + 4, 4);
    }
  }

  D3DTarget where;
  where.pixels = target;
  where.depth = depth ? depth_.data() : nullptr;
  where.depthPitch = width_;
  clipRect(where.left, where.top, where.right, where.bottom);
  rasterizer_.begin(pixelPath_, where, state_.render[D3DRS_CULLMODE], state_.render[D3DRS_SHADEMODE] == D3DSHADE_FLAT);
  const D3DVertex* v = vertices_.data();
  for (UINT p = 0; p < primitives; ++p) {
    if (type == D3DPT_TRIANGLELIST)
      rasterizer_.triangle(v[3 * p], v[3 * p + 1], v[3 * p + 2]);
    else if (type == D3DPT_TRIANGLEFAN)
      rasterizer_.triangle(v[p + 1], v[p + 2], v[0]);
    else if (p % 2 == 0)
      rasterizer_.triangle(v[p], v[p + 1], v[p + 2]);
    else
      rasterizer_.triangle(v[p + 1], v[p], v[p + 2]);  // every other strip triangle keeps the winding
  }
  return D3D_OK;
}

// ---- Calls nobody here uses --------------------------------------------------------------------------

HRESULT ReferenceDevice::GetDirect3D(IDirect3D9** direct3d) {
  clearOut(direct3d);
  return unsupported("GetDirect3D");
}
HRESULT ReferenceDevice::GetDeviceCaps(D3DCAPS9*) {
  return unsupported("GetDeviceCaps");
}
HRESULT ReferenceDevice::GetDisplayMode(UINT swapChain, D3DDISPLAYMODE*) {
  return unsupported("GetDisplayMode", swapChain);
}
HRESULT ReferenceDevice::GetCreationParameters(D3DDEVICE_CREATION_PARAMETERS*) {
  return unsupported("GetCreationParameters");
}
HRESULT ReferenceDevice::SetCursorProperties(UINT x, UINT y, IDirect3DSurface9* bitmap) {
  return unsupported("SetCursorProperties", x, y, bitmap);
}
void ReferenceDevice::SetCursorPosition(INT x, INT y, DWORD flags) {
  log_.enter(nullptr, "SetCursorPosition", x, y, flags);
}
BOOL ReferenceDevice::ShowCursor(BOOL show) {
  log_.enter(nullptr, "ShowCursor", show);
  return 0;
}
HRESULT ReferenceDevice::CreateAdditionalSwapChain(D3DPRESENT_PARAMETERS*, IDirect3DSwapChain9** swapChain) {
  clearOut(swapChain);
  return unsupported("CreateAdditionalSwapChain");
}
HRESULT ReferenceDevice::GetSwapChain(UINT index, IDirect3DSwapChain9** swapChain) {
  clearOut(swapChain);
  return unsupported("GetSwapChain", index);
}
HRESULT ReferenceDevice::GetRasterStatus(UINT swapChain, D3DRASTER_STATUS*) {
  return unsupported("GetRasterStatus", swapChain);
}
HRESULT ReferenceDevice::SetDialogBoxMode(BOOL enable) {
  return unsupported("SetDialogBoxMode", enable);
}
void ReferenceDevice::SetGammaRamp(UINT swapChain, DWORD flags, const D3DGAMMARAMP*) {
  log_.enter(nullptr, "SetGammaRamp", swapChain, flags);
}
void ReferenceDevice::GetGammaRamp(UINT swapChain, D3DGAMMARAMP*) {
  log_.enter(nullptr, "GetGammaRamp", swapChain);
}
HRESULT ReferenceDevice::CreateVolumeTexture(UINT width, UINT height, UINT depth, UINT levels, DWORD usage,
                                             D3DFORMAT format, D3DPOOL pool, IDirect3DVolumeTexture9** texture,
                                             HANDLE*) {
  clearOut(texture);
  return unsupported("CreateVolumeTexture", width, height, depth, levels, usage, format, pool);
}
HRESULT ReferenceDevice::CreateCubeTexture(UINT edge, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                           IDirect3DCubeTexture9** texture, HANDLE*) {
  clearOut(texture);
  return unsupported("CreateCubeTexture", edge, levels, usage, format, pool);
}
HRESULT ReferenceDevice::CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                           IDirect3DIndexBuffer9** buffer, HANDLE*) {
  clearOut(buffer);
  return unsupported("CreateIndexBuffer", length, usage, format, pool);
}
HRESULT ReferenceDevice::CreateDepthStencilSurface(UINT width, UINT height, D3DFORMAT format,
                                                   D3DMULTISAMPLE_TYPE multiSample, DWORD quality, BOOL discard,
                                                   IDirect3DSurface9** surface, HANDLE*) {
  clearOut(surface);
  return unsupported("CreateDepthStencilSurface", width, height, format, multiSample, quality, discard);
}
HRESULT ReferenceDevice::UpdateTexture(IDirect3DBaseTexture9* source, IDirect3DBaseTexture9* dest) {
  return unsupported("UpdateTexture", source, dest);
}
HRESULT ReferenceDevice::GetFrontBufferData(UINT swapChain, IDirect3DSurface9* dest) {
  return unsupported("GetFrontBufferData", swapChain, dest);
}
HRESULT ReferenceDevice::SetDepthStencilSurface(IDirect3DSurface9* surface) {
  return unsupported("SetDepthStencilSurface", surface);
}
HRESULT ReferenceDevice::GetDepthStencilSurface(IDirect3DSurface9** surface) {
  clearOut(surface);
  return unsupported("GetDepthStencilSurface");
}
HRESULT ReferenceDevice::SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX*) {
  return unsupported("SetTransform", state);
}
HRESULT ReferenceDevice::GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX*) {
  return unsupported("GetTransform", state);
}
HRESULT ReferenceDevice::MultiplyTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX*) {
  return unsupported("MultiplyTransform", state);
}
HRESULT ReferenceDevice::SetMaterial(const D3DMATERIAL9*) {
  return unsupported("SetMaterial");
}
HRESULT ReferenceDevice::GetMaterial(D3DMATERIAL9*) {
  return unsupported("GetMaterial");
}
HRESULT ReferenceDevice::SetLight(DWORD index, const D3DLIGHT9*) {
  return unsupported("SetLight", index);
}
HRESULT ReferenceDevice::GetLight(DWORD index, D3DLIGHT9*) {
  return unsupported("GetLight", index);
}
HRESULT ReferenceDevice::LightEnable(DWORD index, BOOL enable) {
  return unsupported("LightEnable", index, enable);
}
HRESULT ReferenceDevice::GetLightEnable(DWORD index, BOOL*) {
  return unsupported("GetLightEnable", index);
}
HRESULT ReferenceDevice::SetClipPlane(DWORD index, const float*) {
  return unsupported("SetClipPlane", index);
}
HRESULT ReferenceDevice::GetClipPlane(DWORD index, float*) {
  return unsupported("GetClipPlane", index);
}
HRESULT ReferenceDevice::CreateStateBlock(D3DSTATEBLOCKTYPE type, IDirect3DStateBlock9** block) {
  clearOut(block);
  return unsupported("CreateStateBlock", type);
}
HRESULT ReferenceDevice::BeginStateBlock() {
  return unsupported("BeginStateBlock");
}
HRESULT ReferenceDevice::EndStateBlock(IDirect3DStateBlock9** block) {
  clearOut(block);
  return unsupported("EndStateBlock");
}
HRESULT ReferenceDevice::SetClipStatus(const D3DCLIPSTATUS9*) {
  return unsupported("SetClipStatus");
}
HRESULT ReferenceDevice::GetClipStatus(D3DCLIPSTATUS9*) {
  return unsupported("GetClipStatus");
}
HRESULT ReferenceDevice::SetPaletteEntries(UINT palette, const PALETTEENTRY*) {
  return unsupported("SetPaletteEntries", palette);
}
HRESULT ReferenceDevice::GetPaletteEntries(UINT palette, PALETTEENTRY*) {
  return unsupported("GetPaletteEntries", palette);
}
HRESULT ReferenceDevice::SetCurrentTexturePalette(UINT palette) {
  return unsupported("SetCurrentTexturePalette", palette);
}
HRESULT ReferenceDevice::GetCurrentTexturePalette(UINT*) {
  return unsupported("GetCurrentTexturePalette");
}
HRESULT ReferenceDevice::SetSoftwareVertexProcessing(BOOL software) {
  return unsupported("SetSoftwareVertexProcessing", software);
}
BOOL ReferenceDevice::GetSoftwareVertexProcessing() {
  log_.enter(nullptr, "GetSoftwareVertexProcessing");
  return 0;
}
HRESULT ReferenceDevice::SetNPatchMode(float segments) {
  return unsupported("SetNPatchMode", segments);
}
float ReferenceDevice::GetNPatchMode() {
  log_.enter(nullptr, "GetNPatchMode");
  return 0.0f;
}
HRESULT ReferenceDevice::DrawIndexedPrimitive(D3DPRIMITIVETYPE type, INT baseVertex, UINT minIndex, UINT vertices,
                                              UINT startIndex, UINT primitives) {
  return unsupported("DrawIndexedPrimitive", type, baseVertex, minIndex, vertices, startIndex, primitives);
}
HRESULT ReferenceDevice::DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE type, UINT minIndex, UINT vertexCount, UINT primitives,
                                                const void*, D3DFORMAT indexFormat, const void*, UINT stride) {
  return unsupported("DrawIndexedPrimitiveUP", type, minIndex, vertexCount, primitives, indexFormat, stride);
}
HRESULT ReferenceDevice::ProcessVertices(UINT sourceStart, UINT destIndex, UINT count, IDirect3DVertexBuffer9* dest,
                                         IDirect3DVertexDeclaration9*, DWORD flags) {
  return unsupported("ProcessVertices", sourceStart, destIndex, count, dest, flags);
}
HRESULT ReferenceDevice::CreateVertexDeclaration(const D3DVERTEXELEMENT9*, IDirect3DVertexDeclaration9** declaration) {
  clearOut(declaration);
  return unsupported("CreateVertexDeclaration");
}
HRESULT ReferenceDevice::SetVertexDeclaration(IDirect3DVertexDeclaration9* declaration) {
  return unsupported("SetVertexDeclaration", static_cast<const void*>(declaration));
}
HRESULT ReferenceDevice::GetVertexDeclaration(IDirect3DVertexDeclaration9** declaration) {
  clearOut(declaration);
  return unsupported("GetVertexDeclaration");
}
HRESULT ReferenceDevice::CreateVertexShader(const DWORD*, IDirect3DVertexShader9** shader) {
  clearOut(shader);
  return unsupported("CreateVertexShader");
}
HRESULT ReferenceDevice::SetVertexShader(IDirect3DVertexShader9* shader) {
  // Null is the fixed-function pipeline this device always runs.
  if (log_.enter(nullptr, "SetVertexShader", static_cast<const void*>(shader)) || shader) return D3DERR_INVALIDCALL;
  return D3D_OK;
}
HRESULT ReferenceDevice::GetVertexShader(IDirect3DVertexShader9** shader) {
  const bool fail = log_.enter(nullptr, "GetVertexShader");
  clearOut(shader);
  return fail || !shader ? D3DERR_INVALIDCALL : D3D_OK;
}
HRESULT ReferenceDevice::SetVertexShaderConstantF(UINT start, const float*, UINT count) {
  return unsupported("SetVertexShaderConstantF", start, count);
}
HRESULT ReferenceDevice::GetVertexShaderConstantF(UINT start, float*, UINT count) {
  return unsupported("GetVertexShaderConstantF", start, count);
}
HRESULT ReferenceDevice::SetVertexShaderConstantI(UINT start, const INT*, UINT count) {
  return unsupported("SetVertexShaderConstantI", start, count);
}
HRESULT ReferenceDevice::GetVertexShaderConstantI(UINT start, INT*, UINT count) {
  return unsupported("GetVertexShaderConstantI", start, count);
}
HRESULT ReferenceDevice::SetVertexShaderConstantB(UINT start, const BOOL*, UINT count) {
  return unsupported("SetVertexShaderConstantB", start, count);
}
HRESULT ReferenceDevice::GetVertexShaderConstantB(UINT start, BOOL*, UINT count) {
  return unsupported("GetVertexShaderConstantB", start, count);
}
HRESULT ReferenceDevice::SetStreamSourceFreq(UINT stream, UINT setting) {
  return unsupported("SetStreamSourceFreq", stream, setting);
}
HRESULT ReferenceDevice::GetStreamSourceFreq(UINT stream, UINT*) {
  return unsupported("GetStreamSourceFreq", stream);
}
HRESULT ReferenceDevice::SetIndices(IDirect3DIndexBuffer9* indices) {
  return unsupported("SetIndices", static_cast<const void*>(indices));
}
HRESULT ReferenceDevice::GetIndices(IDirect3DIndexBuffer9** indices) {
  clearOut(indices);
  return unsupported("GetIndices");
}
HRESULT ReferenceDevice::CreatePixelShader(const DWORD*, IDirect3DPixelShader9** shader) {
  clearOut(shader);
  return unsupported("CreatePixelShader");
}
HRESULT ReferenceDevice::SetPixelShader(IDirect3DPixelShader9* shader) {
  if (log_.enter(nullptr, "SetPixelShader", static_cast<const void*>(shader)) || shader) return D3DERR_INVALIDCALL;
  return D3D_OK;
}
HRESULT ReferenceDevice::GetPixelShader(IDirect3DPixelShader9** shader) {
  const bool fail = log_.enter(nullptr, "GetPixelShader");
  clearOut(shader);
  return fail || !shader ? D3DERR_INVALIDCALL : D3D_OK;
}
HRESULT ReferenceDevice::SetPixelShaderConstantF(UINT start, const float*, UINT count) {
  return unsupported("SetPixelShaderConstantF", start, count);
}
HRESULT ReferenceDevice::GetPixelShaderConstantF(UINT start, float*, UINT count) {
  return unsupported("GetPixelShaderConstantF", start, count);
}
HRESULT ReferenceDevice::SetPixelShaderConstantI(UINT start, const INT*, UINT count) {
  return unsupported("SetPixelShaderConstantI", start, count);
}
HRESULT ReferenceDevice::GetPixelShaderConstantI(UINT start, INT*, UINT count) {
  return unsupported("GetPixelShaderConstantI", start, count);
}
HRESULT ReferenceDevice::SetPixelShaderConstantB(UINT start, const BOOL*, UINT count) {
  return unsupported("SetPixelShaderConstantB", start, count);
}
HRESULT ReferenceDevice::GetPixelShaderConstantB(UINT start, BOOL*, UINT count) {
  return unsupported("GetPixelShaderConstantB", start, count);
}
HRESULT ReferenceDevice::DrawRectPatch(UINT handle, const float*, const D3DRECTPATCH_INFO*) {
  return unsupported("DrawRectPatch", handle);
}
HRESULT ReferenceDevice::DrawTriPatch(UINT handle, const float*, const D3DTRIPATCH_INFO*) {
  return unsupported("DrawTriPatch", handle);
}
HRESULT ReferenceDevice::DeletePatch(UINT handle) {
  return unsupported("DeletePatch", handle);
}
HRESULT ReferenceDevice::CreateQuery(D3DQUERYTYPE type, IDirect3DQuery9** query) {
  clearOut(query);
  return unsupported("CreateQuery", type);
}

}  // namespace refhost
