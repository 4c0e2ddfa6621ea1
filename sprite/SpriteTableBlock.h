// The engine core's sprite state: the live table every sprite call addresses, the back scene
// kept for transitions, and the few view settings that travel with them.
#pragma once

#include <cstdint>

#include "sprite/SpriteTable.h"

namespace tamblet {

class SpriteTableBlock {
 public:
  // Takes the host services (not owned) and the main surface size; both tables get the services.
  void setUp(ISurfaceFactory* factory, IGraph3* raster, std::int32_t width, std::int32_t height);
  // Empties both tables and clears the power-of-two flag.
  void tearDown();

  // ---- Fields, in order. ----
  ISurfaceFactory* surfaceFactory = nullptr;
  IGraph3* rasterOperations = nullptr;
  std::int32_t screenWidth = 0;
  std::int32_t screenHeight = 0;
  std::int32_t viewOffsetX = 0;  // added to every sprite position by the software compositor
  std::int32_t viewOffsetY = 0;
  SpriteTable liveTable;
  SpriteTable backScene;
  bool usePowerOfTwo = false;
};

}  // namespace tamblet
