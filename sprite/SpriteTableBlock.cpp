#include "sprite/SpriteTableBlock.h"

namespace tamblet {

void SpriteTableBlock::setUp(ISurfaceFactory* factory, IGraph3* raster, std::int32_t width, std::int32_t height) {
  surfaceFactory = factory;
  rasterOperations = raster;
  screenWidth = width;
  screenHeight = height;
  liveTable.setServices(factory, raster);
  backScene.setServices(factory, raster);
}

void SpriteTableBlock::tearDown() {
  liveTable.removeAll();
  backScene.removeAll();
  usePowerOfTwo = false;
}

}  // namespace tamblet
