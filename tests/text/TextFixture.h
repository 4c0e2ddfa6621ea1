// A reference host with its surface factory and raster library, and helpers to read rendered
// text surfaces. Every host object must be gone again when a test ends.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "host/Modules.h"
#include "host/Ref.h"
#include "tests/refhost/HostFixture.h"
#include "text/GlyphRasterizer.h"
#include "text/TextStyle.h"

namespace tamblet::testing {

class TextFixture : public refhost::testing::HostFixture {
 protected:
  void SetUp() override {
    HostFixture::SetUp();
    factory =
        Ref<ISurfaceFactory>::adopt(static_cast<ISurfaceFactory*>(create(kModulePixmapMaker, kIID_ISurfaceFactory)));
    raster = Ref<IGraph3>::adopt(static_cast<IGraph3*>(create(kModuleRasterLib, kIID_IGraph3)));
    ASSERT_TRUE(factory && raster);
  }
  void TearDown() override {
    factory.reset();
    raster.reset();
    HostFixture::TearDown();
  }

  Ref<ISurfaceFactory> factory;
  Ref<IGraph3> raster;
};

inline std::uint32_t pixelAt(ISurface& surface, int x, int y) {
  std::uint32_t value;
  std::memcpy(&value, surface.GetPixelAddress(x, y), 4);
  return value;
}

inline int alphaAt(ISurface& surface, int x, int y) {
  return surface.GetPixelAddress(x, y)[3];
}

// 0xRRGGBB of a style colour, as the colour bytes of a pixel read.
inline std::uint32_t rgb(const TextColor& colour) {
  return std::uint32_t{colour.r} << 16 | std::uint32_t{colour.g} << 8 | colour.b;
}

// Inks the whole area it is given, whatever the text: a glyph that is one solid box.
struct SolidRasterizer final : GlyphRasterizer {
  bool draw(std::string_view, std::int32_t, std::int32_t, ISurface& target, std::int32_t width,
            std::int32_t height) override {
    for (int y = 0; y < height; ++y) std::memset(target.GetPixelAddress(0, y), 0xFF, std::size_t(width));
    return true;
  }
};

inline TextStyle style(std::int32_t size, float bold = 0.0f, float edge = 0.0f, std::int32_t type = 0) {
  TextStyle style;
  style.type = type;
  style.size = size;
  style.boldWeight = bold;
  style.edgeWeight = edge;
  style.color = {200, 100, 50, 255};
  style.edgeColor = {10, 20, 30, 255};
  return style;
}

}  // namespace tamblet::testing
