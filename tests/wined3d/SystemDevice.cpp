#include "tests/wined3d/SystemDevice.h"

#include <windows.h>

#include <d3d9.h>

#include <cstdio>

namespace tamblet::testing {
namespace {

constexpr const char* kWindowClass = "TambletSystemDevice";

std::string failure(const char* step, long code) {
  char text[96];
  std::snprintf(text, sizeof text, "%s failed (0x%08lX)", step, static_cast<unsigned long>(code));
  return text;
}

}  // namespace

SystemDevice::SystemDevice(std::int32_t width, std::int32_t height) {
  const HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = DefWindowProcA;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = kWindowClass;
  RegisterClassA(&windowClass);  // a second device finds the class already there
  // Never shown: the frames are read back, not looked at.
  const HWND window = CreateWindowExA(0, kWindowClass, "Tamblet", WS_OVERLAPPEDWINDOW, 0, 0, width, height, nullptr,
                                      nullptr, instance, nullptr);
  if (!window) {
    error_ = failure("CreateWindowExA", static_cast<long>(GetLastError()));
    return;
  }
  window_ = window;

  direct3D_ = Direct3DCreate9(D3D_SDK_VERSION);
  if (!direct3D_) {
    error_ = "Direct3DCreate9 failed (no Direct3D 9 runtime; under Wine, no OpenGL on the display)";
    return;
  }
  D3DADAPTER_IDENTIFIER9 identifier{};
  if (SUCCEEDED(direct3D_->GetAdapterIdentifier(D3DADAPTER_DEFAULT, 0, &identifier)))
    adapter_ = identifier.Description;

  D3DPRESENT_PARAMETERS parameters{};
  parameters.BackBufferWidth = static_cast<UINT>(width);
  parameters.BackBufferHeight = static_cast<UINT>(height);
  parameters.BackBufferFormat = D3DFMT_A8R8G8B8;
  parameters.BackBufferCount = 1;
  parameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
  parameters.hDeviceWindow = window;
  parameters.Windowed = TRUE;
  // The view clears the depth buffer with the target, which fails on a device without one.
  parameters.EnableAutoDepthStencil = TRUE;
  parameters.AutoDepthStencilFormat = D3DFMT_D24S8;
  parameters.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
  const HRESULT made = direct3D_->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window,
                                               D3DCREATE_SOFTWARE_VERTEXPROCESSING, &parameters, &device_);
  if (FAILED(made) || !device_) {
    device_ = nullptr;
    error_ = failure("IDirect3D9::CreateDevice (HAL, software vertex processing)", made);
  }
}

SystemDevice::~SystemDevice() {
  if (device_) device_->Release();
  if (direct3D_) direct3D_->Release();
  if (window_) DestroyWindow(static_cast<HWND>(window_));
}

tamblet::IDirect3DDevice9* SystemDevice::device() const {
  // The one place the two declarations meet: host/D3D9.h lays out IDirect3DDevice9 slot for slot
  // as d3d9.h does (the Windows build checks every slot at compile time), so the runtime's object
  // is the same object seen through the engine's declaration.
  return reinterpret_cast<tamblet::IDirect3DDevice9*>(device_);
}

std::uint32_t SystemDevice::foreignReferences() const {
  if (!device_) return 0;
  device_->AddRef();
  return device_->Release() - 1;  // less the reference held here
}

}  // namespace tamblet::testing
