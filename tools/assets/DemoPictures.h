// The demo's pictures, drawn from formulas: gradients, shapes with soft alpha edges, noise and
// a grey rule image for transitions. Every picture is the same on every run.
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

// A diagonal sky-to-sunset gradient with soft horizontal bands.
Picture backgroundGradient(std::int32_t width, std::int32_t height);
// A disc whose colour runs round the hue circle, alpha falling off softly at the rim.
Picture softDisc(std::int32_t size);
// A five-pointed star, opaque inside and transparent outside, with a one-pixel soft edge.
Picture star(std::int32_t size);
// Value noise in warm colours (deterministic: a fixed hash, no random generator).
Picture noise(std::int32_t width, std::int32_t height, std::uint32_t seed);
// A checkerboard with a circle and a triangle on it, fully opaque.
Picture shapes(std::int32_t size);
// A grey rule image: the order in which pixels change during a rule transition (dark first).
Picture ruleImage(std::int32_t width, std::int32_t height);
// A ring whose alpha runs from 0 at the centre to 255 at the rim, for alpha clipping.
Picture alphaRing(std::int32_t size);
// Horizontal stripes, a banner for the loose-file CG.
Picture banner(std::int32_t width, std::int32_t height);
// The alpha channel of `picture` as an opaque grey picture (alpha images of loose CG files).
Picture alphaAsGrey(const Picture& picture);

}  // namespace tamblet::assets
