// A real Direct3D 9 device from the system's d3d9.dll (Wine's, on machines without Windows): a
// hidden window and a HAL device with software vertex processing, windowed, with an A8R8G8B8 back
// buffer of the scene's size and a depth buffer, as the reference device has. The engine's side
// sees it through the project's own declaration of the interface.
#pragma once

#include <cstdint>
#include <string>

struct IDirect3D9;
struct IDirect3DDevice9;
namespace tamblet {
struct IDirect3DDevice9;
}

namespace tamblet::testing {

class SystemDevice {
 public:
  // Makes the window and the device; on failure device() is null and error() names the step.
  SystemDevice(std::int32_t width, std::int32_t height);
  ~SystemDevice();
  SystemDevice(const SystemDevice&) = delete;
  SystemDevice& operator=(const SystemDevice&) = delete;

  // The device (no reference added), or null.
  tamblet::IDirect3DDevice9* device() const;
  // The references others still hold on the device (0 once they have all let go).
  std::uint32_t foreignReferences() const;
  const std::string& error() const { return error_; }
  // The adapter's description, as the runtime reports it (e.g. Wine's renderer name).
  const std::string& adapter() const { return adapter_; }

 private:
  void* window_ = nullptr;
  ::IDirect3D9* direct3D_ = nullptr;
  ::IDirect3DDevice9* device_ = nullptr;
  std::string error_;
  std::string adapter_;
};

}  // namespace tamblet::testing
