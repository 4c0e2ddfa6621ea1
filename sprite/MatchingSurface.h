// "A surface of the same kind as this one": a new surface with the planes of a given one (pixels
// and alpha map, pixels only, or alpha map only), made by the host's surface factory. Copy-on-write,
// sprite copies and the CG cut-outs all make their new surfaces through this one helper.
#pragma once

#include <cstdint>

#include "host/Ref.h"
#include "host/Surface.h"

namespace tamblet {

// A width × height surface with the planes `source` has, `bpp` bits per pixel for its pixel
// plane. Null when `source` has neither plane or the factory fails.
Ref<ISurface> makeMatchingSurface(ISurfaceFactory& factory, ISurface& source, std::int32_t width,
                                  std::int32_t height, std::int32_t bpp);

}  // namespace tamblet
