// Reading a Direct3D 9 device's rendered frame back into a 32-bit surface. A real device keeps its
// back buffer in video memory, so the copy goes through a system-memory surface of the same size
// and format (GetRenderTargetData, then a read-only LockRect); the reference device answers the
// same calls, so one path serves both.
#pragma once

#include "host/D3D9.h"
#include "host/Surface.h"

namespace refhost {

// Copies the back buffer of `device` into `target` (the area both cover, top-left aligned; the rest
// of `target` is left as it is). A8R8G8B8 back buffers are copied as they are; X8R8G8B8 ones come
// out opaque, since their fourth byte means nothing. Returns false, with `target` untouched, when a
// call fails (the device is lost, say), the format is another or `target` has no pixel plane; everything it made is released.
bool readBackFrame(tamblet::IDirect3DDevice9& device, tamblet::ISurface& target);

}  // namespace refhost
