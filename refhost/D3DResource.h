// What every resource of the reference Direct3D device shares: the COM reference count, the
// reference each resource holds on its device (as in Direct3D 9, a device lives until its last
// resource is gone), its label in the device's call log, and the resource slots nobody here uses
// (private data answers D3DERR_INVALIDCALL; priority is kept; QueryInterface answers no id).
#pragma once

#include <cstdint>
#include <string>

#include "host/D3D9.h"
#include "refhost/D3DCallLog.h"
#include "refhost/Ledger.h"

namespace refhost {

class ReferenceDevice;

// Device-side bookkeeping a resource reaches (implemented in ReferenceDevice.cpp).
namespace d3d_detail {
D3DCallLog& log(ReferenceDevice& device);
void addDeviceReference(ReferenceDevice& device);
void releaseDeviceReference(ReferenceDevice& device);
tamblet::IDirect3DDevice9* deviceInterface(ReferenceDevice& device);
}  // namespace d3d_detail

template <class Derived, class Interface>
class D3DResource : public Interface {
 public:
  tamblet::HRESULT TAMBLET_HOSTCALL QueryInterface(const tamblet::InterfaceId&, void** object) override {
    if (object) *object = nullptr;
    return tamblet::E_NOINTERFACE;
  }
  tamblet::ULONG TAMBLET_HOSTCALL AddRef() override {
    if (references_++ == 0) static_cast<Derived*>(this)->firstReference();
    return references_;
  }
  tamblet::ULONG TAMBLET_HOSTCALL Release() override {
    Ledger::releaseCalled(this);
    if (references_ == 0) return 0;  // an over-release is refused, not turned into a crash
    const tamblet::ULONG left = --references_;
    if (left == 0) static_cast<Derived*>(this)->lastReference();
    return left;
  }

  tamblet::HRESULT TAMBLET_HOSTCALL GetDevice(tamblet::IDirect3DDevice9** device) override {
    if (log().enter(label_.c_str(), "GetDevice") || !device) return tamblet::D3DERR_INVALIDCALL;
    d3d_detail::addDeviceReference(*device_);
    *device = d3d_detail::deviceInterface(*device_);
    return tamblet::D3D_OK;
  }
  tamblet::HRESULT TAMBLET_HOSTCALL SetPrivateData(const tamblet::InterfaceId&, const void*, tamblet::DWORD size,
                                                   tamblet::DWORD flags) override {
    log().enter(label_.c_str(), "SetPrivateData", size, flags);
    return tamblet::D3DERR_INVALIDCALL;
  }
  tamblet::HRESULT TAMBLET_HOSTCALL GetPrivateData(const tamblet::InterfaceId&, void*, tamblet::DWORD*) override {
    log().enter(label_.c_str(), "GetPrivateData");
    return tamblet::D3DERR_INVALIDCALL;
  }
  tamblet::HRESULT TAMBLET_HOSTCALL FreePrivateData(const tamblet::InterfaceId&) override {
    log().enter(label_.c_str(), "FreePrivateData");
    return tamblet::D3DERR_INVALIDCALL;
  }
  tamblet::DWORD TAMBLET_HOSTCALL SetPriority(tamblet::DWORD priority) override {
    log().enter(label_.c_str(), "SetPriority", priority);
    const tamblet::DWORD old = priority_;
    priority_ = priority;
    return old;
  }
  tamblet::DWORD TAMBLET_HOSTCALL GetPriority() override {
    log().enter(label_.c_str(), "GetPriority");
    return priority_;
  }
  void TAMBLET_HOSTCALL PreLoad() override { log().enter(label_.c_str(), "PreLoad"); }

  const std::string& label() const { return label_; }
  std::uint32_t references() const { return references_; }
  tamblet::D3DPOOL pool() const { return pool_; }
  tamblet::DWORD usage() const { return usage_; }

 protected:
  D3DResource(ReferenceDevice& device, std::string label, tamblet::D3DPOOL pool, tamblet::DWORD usage,
              std::uint32_t references)
      : device_(&device), label_(std::move(label)), pool_(pool), usage_(usage), references_(references) {}
  ~D3DResource() = default;

  D3DCallLog& log() const { return d3d_detail::log(*device_); }
  ReferenceDevice& device() const { return *device_; }

 private:
  ReferenceDevice* device_;
  std::string label_;
  tamblet::D3DPOOL pool_;
  tamblet::DWORD usage_;
  std::uint32_t references_;
  tamblet::DWORD priority_ = 0;
};

}  // namespace refhost
