// The demo's pictures, drawn from formulas: the title's night sky and the harbour at dawn,
// character silhouettes, buttons and a message frame with soft alpha edges, light and shade for
// the draw methods, clouds, noise and a grey rule image for transitions. Every picture is the
// same on every run.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tamblet::assets {

// Top-down rows of R, G, B, A bytes.
struct Picture {
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::vector<std::uint8_t> rgba;

  Picture(std::int32_t w, std::int32_t h)
      : width(w), height(h), rgba(static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 4, 255) {}
  std::uint8_t* at(std::int32_t x, std::int32_t y) {
    return rgba.data() + (static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)) * 4;
  }
};

// A five-pointed star, opaque inside and transparent outside, with a one-pixel soft edge.
Picture star(std::int32_t size);
// A grey rule image: the order in which pixels change during a rule transition (dark first).
Picture ruleImage(std::int32_t width, std::int32_t height);
// A night sky over a harbour town's skyline, with stars and a warm glow at the horizon.
Picture nightSky(std::int32_t width, std::int32_t height);
// A harbour at dawn: sky, sun haze, hills, a lighthouse, a pier and a shimmering sea.
Picture harbour(std::int32_t width, std::int32_t height);
// A standing character as a soft-edged silhouette with rim light; `variant` 0 has long hair
// and a ribbon, 1 is taller with a cap.
Picture figure(std::int32_t width, std::int32_t height, int variant);
// A rounded menu button: a light vertical gradient, a bright rim, soft corners.
Picture button(std::int32_t width, std::int32_t height);
// A rounded, half-transparent message window with a thin gold inner line.
Picture messageFrame(std::int32_t width, std::int32_t height);
// White in the middle falling to a dusky colour at the edges, opaque: shade for multiply.
Picture vignette(std::int32_t width, std::int32_t height);
// Warm light falling off from the centre to black, opaque: light for screen and additive.
Picture glow(std::int32_t size);
// A small soft white-gold dot with alpha, for sparkles.
Picture sparkle(std::int32_t size);
// A white disc, opaque in the middle with a soft rim: the mask of an alpha clipper.
Picture softSpot(std::int32_t size);
// A band of soft clouds with alpha, wider than the screen, for scrolling through a surface area.
Picture clouds(std::int32_t width, std::int32_t height);
// The alpha channel of `picture` as an opaque grey picture (alpha images of loose CG files).
Picture alphaAsGrey(const Picture& picture);

}  // namespace tamblet::assets
