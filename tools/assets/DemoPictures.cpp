#include "tools/assets/DemoPictures.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace tamblet::assets {
namespace {

std::uint8_t clampByte(double value) { return static_cast<std::uint8_t>(std::clamp(std::lround(value), 0L, 255L)); }

void setPixel(Picture& picture, std::int32_t x, std::int32_t y, double r, double g, double b, double a) {
  std::uint8_t* pixel = picture.at(x, y);
  pixel[0] = clampByte(r);
  pixel[1] = clampByte(g);
  pixel[2] = clampByte(b);
  pixel[3] = clampByte(a);
}

// Hue (0-1) to an RGB colour at full saturation.
void hueColour(double hue, double* r, double* g, double* b) {
  const double h = (hue - std::floor(hue)) * 6.0;
  const double f = h - std::floor(h);
  switch (static_cast<int>(h)) {
    case 0: *r = 1, *g = f, *b = 0; break;
    case 1: *r = 1 - f, *g = 1, *b = 0; break;
    case 2: *r = 0, *g = 1, *b = f; break;
    case 3: *r = 0, *g = 1 - f, *b = 1; break;
    case 4: *r = f, *g = 0, *b = 1; break;
    default: *r = 1, *g = 0, *b = 1 - f; break;
  }
}

std::uint32_t hash(std::uint32_t x, std::uint32_t y, std::uint32_t seed) {
  std::uint32_t h = x * 374761393u + y * 668265263u + seed * 2246822519u;
  h = (h ^ (h >> 13)) * 1274126177u;
  return h ^ (h >> 16);
}

double lattice(std::int32_t x, std::int32_t y, std::uint32_t seed) {
  return (hash(static_cast<std::uint32_t>(x), static_cast<std::uint32_t>(y), seed) & 0xFFFF) / 65535.0;
}

double smoothNoise(double x, double y, std::uint32_t seed) {
  const auto x0 = static_cast<std::int32_t>(std::floor(x)), y0 = static_cast<std::int32_t>(std::floor(y));
  const double fx = x - x0, fy = y - y0;
  const double sx = fx * fx * (3 - 2 * fx), sy = fy * fy * (3 - 2 * fy);
  const double top = lattice(x0, y0, seed) * (1 - sx) + lattice(x0 + 1, y0, seed) * sx;
  const double bottom = lattice(x0, y0 + 1, seed) * (1 - sx) + lattice(x0 + 1, y0 + 1, seed) * sx;
  return top * (1 - sy) + bottom * sy;
}

}  // namespace

Picture backgroundGradient(std::int32_t width, std::int32_t height) {
  Picture picture(width, height);
  for (std::int32_t y = 0; y < height; ++y) {
    for (std::int32_t x = 0; x < width; ++x) {
      const double t = (static_cast<double>(x) / width + 2.0 * y / height) / 3.0;
      const double band = 0.5 + 0.5 * std::sin(y * 0.05);
      setPixel(picture, x, y, 30 + 200 * t, 60 + 80 * (1 - t) + 20 * band, 160 - 110 * t, 255);
    }
  }
  return picture;
}

Picture softDisc(std::int32_t size) {
  Picture picture(size, size);
  const double centre = (size - 1) / 2.0, radius = size / 2.0;
  for (std::int32_t y = 0; y < size; ++y) {
    for (std::int32_t x = 0; x < size; ++x) {
      const double dx = x - centre, dy = y - centre;
      const double distance = std::sqrt(dx * dx + dy * dy) / radius;
      double r = 0, g = 0, b = 0;
      hueColour(std::atan2(dy, dx) / (2 * std::numbers::pi) + 0.5, &r, &g, &b);
      const double light = 1.0 - 0.5 * distance;
      const double alpha = distance >= 1.0 ? 0.0 : std::min(1.0, (1.0 - distance) * 4.0);
      setPixel(picture, x, y, 255 * (r * light + (1 - light)), 255 * (g * light + (1 - light)),
               255 * (b * light + (1 - light)), 255 * alpha);
    }
  }
  return picture;
}

Picture star(std::int32_t size) {
  Picture picture(size, size);
  const double centre = (size - 1) / 2.0, outer = size * 0.48, inner = outer * 0.45;
  for (std::int32_t y = 0; y < size; ++y) {
    for (std::int32_t x = 0; x < size; ++x) {
      const double dx = x - centre, dy = y - centre;
      const double angle = std::atan2(dx, -dy);
      const double sector = std::fmod(angle + 2 * std::numbers::pi, 2 * std::numbers::pi / 5) / (2 * std::numbers::pi / 5);
      const double edge = inner + (outer - inner) * std::abs(1.0 - 2.0 * sector);
      const double alpha = std::clamp(edge - std::sqrt(dx * dx + dy * dy) + 0.5, 0.0, 1.0);
      setPixel(picture, x, y, 255, 210 - 60 * sector, 40, 255 * alpha);
    }
  }
  return picture;
}

Picture noise(std::int32_t width, std::int32_t height, std::uint32_t seed) {
  Picture picture(width, height);
  for (std::int32_t y = 0; y < height; ++y) {
    for (std::int32_t x = 0; x < width; ++x) {
      double value = 0, weight = 0.5;
      for (int octave = 0; octave < 4; ++octave, weight *= 0.5) {
        const double scale = 0.02 * (1 << octave);
        value += weight * smoothNoise(x * scale, y * scale, seed + static_cast<std::uint32_t>(octave));
      }
      setPixel(picture, x, y, 80 + 175 * value, 40 + 140 * value * value, 60 * (1 - value), 255);
    }
  }
  return picture;
}

Picture shapes(std::int32_t size) {
  Picture picture(size, size);
  const std::int32_t cell = std::max(1, size / 8);
  for (std::int32_t y = 0; y < size; ++y) {
    for (std::int32_t x = 0; x < size; ++x) {
      const bool dark = ((x / cell) + (y / cell)) % 2 == 0;
      double r = dark ? 40 : 220, g = dark ? 40 : 220, b = dark ? 60 : 230;
      const double dx = x - size * 0.35, dy = y - size * 0.4;
      if (dx * dx + dy * dy < size * size * 0.04) r = 220, g = 40, b = 40;
      const double ty = (y - size * 0.45) / (size * 0.45);
      if (ty >= 0 && ty <= 1 && std::abs(x - size * 0.7) <= ty * size * 0.22) r = 40, g = 120, b = 230;
      setPixel(picture, x, y, r, g, b, 255);
    }
  }
  return picture;
}

Picture ruleImage(std::int32_t width, std::int32_t height) {
  Picture picture(width, height);
  for (std::int32_t y = 0; y < height; ++y) {
    for (std::int32_t x = 0; x < width; ++x) {
      const double diagonal = (static_cast<double>(x) / width + static_cast<double>(y) / height) / 2.0;
      const double ripple = 0.08 * std::sin(x * 0.04) * std::sin(y * 0.04);
      const double grey = 255 * std::clamp(diagonal + ripple, 0.0, 1.0);
      setPixel(picture, x, y, grey, grey, grey, 255);
    }
  }
  return picture;
}

Picture alphaRing(std::int32_t size) {
  Picture picture(size, size);
  const double centre = (size - 1) / 2.0;
  for (std::int32_t y = 0; y < size; ++y) {
    for (std::int32_t x = 0; x < size; ++x) {
      const double distance = std::hypot(x - centre, y - centre) / (size / 2.0);
      setPixel(picture, x, y, 255, 255, 255, distance > 1.0 ? 0.0 : 255 * distance);
    }
  }
  return picture;
}

Picture banner(std::int32_t width, std::int32_t height) {
  Picture picture(width, height);
  for (std::int32_t y = 0; y < height; ++y) {
    for (std::int32_t x = 0; x < width; ++x) {
      const bool stripe = ((x + y) / 12) % 2 == 0;
      const double edge = std::min({x, y, width - 1 - x, height - 1 - y}) / 6.0;
      setPixel(picture, x, y, stripe ? 250 : 30, stripe ? 200 : 30, stripe ? 40 : 30, 255 * std::min(1.0, edge));
    }
  }
  return picture;
}

Picture alphaAsGrey(const Picture& source) {
  Picture picture(source.width, source.height);
  for (std::size_t i = 0; i < source.rgba.size(); i += 4) {
    picture.rgba[i] = picture.rgba[i + 1] = picture.rgba[i + 2] = picture.rgba[i + 3] = source.rgba[i + 3];
  }
  return picture;
}

}  // namespace tamblet::assets
