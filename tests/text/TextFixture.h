// A reference host with its surface factory and raster library, and helpers to read rendered
// text surfaces. Every host object must be gone again when a test ends.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

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

using refhost::testing::pixelAt;
inline int alphaAt(ISurface& surface, int x, int y) {
  return surface.GetPixelAddress(x, y)[3];
}
inline std::uint32_t rgb(const TextColor& c) {
  return std::uint32_t{c.r} << 16 | std::uint32_t{c.g} << 8 | c.b;
}

// Inks the whole area it is given, whatever the text: a glyph that is one solid box.
struct SolidRasterizer final : GlyphRasterizer {
  bool draw(std::string_view, std::int32_t, std::int32_t, ISurface& target, std::int32_t w, std::int32_t h) override {
    for (int y = 0; y < h; ++y) std::memset(target.GetPixelAddress(0, y), 0xFF, std::size_t(w));
    return true;
  }
};

inline TextStyle style(std::int32_t size, float bold = 0.0f, float edge = 0.0f, std::int32_t type = 0) {
  return TextStyle{type, size, {200, 100, 50, 255}, bold, edge, {10, 20, 30, 255}};
}

}  // namespace tamblet::testing
