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

double mix(double a, double b, double t) { return a + (b - a) * t; }

double smoothstep(double edge0, double edge1, double x) {
  const double t = std::clamp((x - edge0) / (edge1 - edge0), 0.0, 1.0);
  return t * t * (3 - 2 * t);
}

// Fractal value noise in 0..1 from four octaves.
double fractalNoise(double x, double y, std::uint32_t seed) {
  double value = 0, weight = 0.5;
  for (int octave = 0; octave < 4; ++octave, weight *= 0.5) {
    const double scale = 1 << octave;
    value += weight * smoothNoise(x * scale, y * scale, seed + static_cast<std::uint32_t>(octave));
  }
  return value / 0.9375;
}

// Signed distance from (x, y) to a rounded rectangle given by its centre, half size and corner radius.
double roundedBox(double x, double y, double cx, double cy, double halfW, double halfH, double radius) {
  const double qx = std::abs(x - cx) - halfW + radius, qy = std::abs(y - cy) - halfH + radius;
  return std::hypot(std::max(qx, 0.0), std::max(qy, 0.0)) + std::min(std::max(qx, qy), 0.0) - radius;
}

// Coverage of a shape at a pixel from its signed distance (negative inside), one pixel soft.
double cover(double distance) { return std::clamp(0.5 - distance, 0.0, 1.0); }

// The height of the town's skyline at column x of a picture `width` wide: roofs and a tower.
double skyline(std::int32_t x, std::int32_t width) {
  const std::int32_t block = std::max(1, width / 40);
  const std::int32_t house = x / block;
  const double roof = 0.06 + 0.08 * lattice(house, 0, 17);
  const double inHouse = static_cast<double>(x % block) / block;
  const double gable = 0.02 * (1.0 - std::abs(inHouse - 0.5) * 2.0);
  const double tower = std::abs(x - width * 0.72) < width * 0.012 ? 0.26 : 0.0;
  return std::max(roof + gable, tower);
}

}  // namespace

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

Picture nightSky(std::int32_t width, std::int32_t height) {
  Picture picture(width, height);
  for (std::int32_t y = 0; y < height; ++y) {
    const double t = static_cast<double>(y) / height;
    // Navy at the top, violet in the middle, a warm band just above the roofs.
    const double warm = smoothstep(0.55, 0.92, t);
    double r = mix(8, 70, t) + 150 * warm * warm, g = mix(12, 36, t) + 70 * warm * warm, b = mix(38, 96, t);
    for (std::int32_t x = 0; x < width; ++x) {
      double pr = r, pg = g, pb = b;
      // Stars: sparse bright pixels, fewer toward the horizon, each with a faint halo.
      const std::uint32_t h = hash(static_cast<std::uint32_t>(x / 3), static_cast<std::uint32_t>(y / 3), 5);
      if ((h & 0x3FF) < 6 && t < 0.7 && x % 3 == 1 && y % 3 == 1) {
        const double bright = (1.0 - t) * (160 + (h >> 24) % 96);
        pr += bright, pg += bright, pb += bright * 0.9;
      }
      // Milky haze across the sky.
      const double haze = fractalNoise(x * 0.006, y * 0.012, 41) * smoothstep(0.1, 0.5, 1.0 - std::abs(y - 0.35 * height - 0.15 * x) / (0.3 * height));
      pr += 30 * haze, pg += 26 * haze, pb += 40 * haze;
      // The town: dark roofs with a few lit windows.
      const double roofTop = height * (1.0 - skyline(x, width));
      if (y >= roofTop) {
        const bool window = (hash(static_cast<std::uint32_t>(x / 9), static_cast<std::uint32_t>(y / 12), 23) & 15) == 0 &&
                            x % 9 > 2 && x % 9 < 7 && y % 12 > 3 && y % 12 < 9 && y > roofTop + 8;
        pr = window ? 255 : 14, pg = window ? 196 : 12, pb = window ? 110 : 26;
      }
      setPixel(picture, x, y, pr, pg, pb, 255);
    }
  }
  return picture;
}

Picture harbour(std::int32_t width, std::int32_t height) {
  Picture picture(width, height);
  const double horizon = height * 0.58, sunX = width * 0.68, sunY = height * 0.46;
  for (std::int32_t y = 0; y < height; ++y) {
    for (std::int32_t x = 0; x < width; ++x) {
      const double sun = std::exp(-std::hypot(x - sunX, (y - sunY) * 1.6) / (width * 0.09));
      double r = 0, g = 0, b = 0;
      if (y < horizon) {
        const double t = y / horizon;
        r = mix(96, 250, t * t), g = mix(140, 196, t), b = mix(210, 170, t);
        const double cloud = smoothstep(0.5, 0.8, fractalNoise(x * 0.004, y * 0.012, 7)) * (1.0 - t);
        r = mix(r, 255, cloud * 0.6), g = mix(g, 226, cloud * 0.6), b = mix(b, 230, cloud * 0.6);
        r += 120 * sun, g += 100 * sun, b += 60 * sun;
      } else {
        const double depth = (y - horizon) / (height - horizon);
        const double wave = 0.5 + 0.5 * std::sin(y * 0.9 / (0.2 + depth) + fractalNoise(x * 0.01, y * 0.05, 3) * 6);
        r = mix(70, 20, depth), g = mix(110, 50, depth), b = mix(150, 90, depth);
        // The sun's path on the water: bright glints in a column under the sun.
        const double path = std::exp(-std::abs(x - sunX) / (width * (0.02 + 0.08 * depth)));
        r += (200 * path + 30) * wave * (1 - depth * 0.5), g += (150 * path + 24) * wave * (1 - depth * 0.5),
            b += (90 * path + 20) * wave * (1 - depth * 0.5);
      }
      // Hills on the left, behind the harbour.
      const double hill = horizon - height * (0.16 * std::exp(-std::pow((x - width * 0.12) / (width * 0.16), 2)) +
                                              0.09 * std::exp(-std::pow((x - width * 0.33) / (width * 0.12), 2)));
      const double hillCover = std::clamp(y - hill + 0.5, 0.0, 1.0) * (y < horizon + 2 ? 1.0 : 0.0);
      r = mix(r, 58 + 40 * sun, hillCover), g = mix(g, 56 + 30 * sun, hillCover), b = mix(b, 92, hillCover);
      // The lighthouse on the right: a white tower with red bands and a lit lamp.
      const double towerX = width * 0.86, towerTop = horizon - height * 0.3;
      const double halfWidth = width * (0.012 + 0.008 * (y - towerTop) / (horizon - towerTop));
      if (y >= towerTop && y < horizon + 4 && std::abs(x - towerX) < halfWidth) {
        const bool band = static_cast<int>((y - towerTop) / (height * 0.05)) % 2 == 1;
        const double shade = 0.75 + 0.25 * (x - towerX) / halfWidth * -1;
        r = (band ? 190 : 236) * shade, g = (band ? 60 : 228) * shade, b = (band ? 60 : 220) * shade;
      }
      const double lamp = std::exp(-std::hypot(x - towerX, y - (towerTop - height * 0.02)) / (width * 0.01));
      r += 255 * lamp, g += 230 * lamp, b += 150 * lamp;
      // The pier: a dark plank walk in the front with posts.
      const double pierTop = height * 0.86 + (x - width * 0.5) * 0.02;
      if (y > pierTop && y < pierTop + height * 0.03) r = 60, g = 44, b = 40;
      if (y >= pierTop && x % (width / 10) < width / 120) r = 44, g = 32, b = 30;
      setPixel(picture, x, y, r, g, b, 255);
    }
  }
  return picture;
}

Picture figure(std::int32_t width, std::int32_t height, int variant) {
  Picture picture(width, height);
  const double cx = width * 0.5, unit = height / 8.0;
  const double headY = unit * (variant == 0 ? 1.25 : 1.0), headR = unit * 0.62;
  for (std::int32_t y = 0; y < height; ++y) {
    for (std::int32_t x = 0; x < width; ++x) {
      // Head, neck and a coat that widens toward the hem, as signed distances.
      const double head = std::hypot((x - cx) / 0.88, y - headY) - headR;
      const double neck = roundedBox(x, y, cx, headY + headR + unit * 0.15, unit * 0.2, unit * 0.3, unit * 0.1);
      const double top = headY + headR + unit * 0.3, t = std::clamp((y - top) / (height - top), 0.0, 1.0);
      // Rounded shoulders, then a coat widening toward the hem (cut off by the picture's bottom).
      const double shoulders = roundedBox(x, y, cx, top + unit * 0.9, unit * 0.9, unit * 0.9, unit * 0.55);
      const double halfWidth = unit * (0.8 + (variant == 0 ? 0.75 : 0.45) * t);
      const double coat = std::max(std::abs(x - cx) - halfWidth, top + unit * 0.9 - y);
      double shape = std::min({head, neck, shoulders, coat});
      if (variant == 0) {
        // Long hair down the back and a ribbon on the side.
        const double hair = roundedBox(x, y, cx, headY + unit * 0.9, headR * 1.05, unit * 1.4, headR);
        const double ribbon = std::hypot(x - (cx + headR * 0.9), y - (headY - headR * 0.5)) - unit * 0.22;
        shape = std::min({shape, hair, ribbon});
      } else {
        // A cap with a brim.
        const double cap = roundedBox(x, y, cx + unit * 0.15, headY - headR * 0.55, headR * 1.25, unit * 0.14, unit * 0.1);
        shape = std::min(shape, cap);
      }
      const double alpha = cover(shape);
      if (alpha <= 0) {
        setPixel(picture, x, y, 0, 0, 0, 0);
        continue;
      }
      // Dark body, lit from the right by the morning sun: a warm rim along the right edge.
      const double rim = smoothstep(-unit * 0.35, 0.0, shape) * smoothstep(cx - unit * 0.5, cx + unit, x);
      const double base = variant == 0 ? 0 : 1;
      setPixel(picture, x, y, mix(34 + 10 * base, 250, rim), mix(30 + 6 * base, 190, rim),
               mix(52 - 8 * base, 130, rim), 255 * alpha);
    }
  }
  return picture;
}

Picture button(std::int32_t width, std::int32_t height) {
  Picture picture(width, height);
  const double radius = height * 0.45;
  for (std::int32_t y = 0; y < height; ++y) {
    for (std::int32_t x = 0; x < width; ++x) {
      const double d = roundedBox(x + 0.5, y + 0.5, width / 2.0, height / 2.0, width / 2.0 - 1, height / 2.0 - 1, radius);
      const double t = static_cast<double>(y) / height;
      const double rim = smoothstep(-3.0, -1.0, d);
      setPixel(picture, x, y, mix(mix(36, 22, t), 230, rim), mix(mix(44, 28, t), 200, rim), mix(mix(84, 56, t), 140, rim),
               255 * cover(d) * (0.82 + 0.18 * rim));
    }
  }
  return picture;
}

Picture messageFrame(std::int32_t width, std::int32_t height) {
  Picture picture(width, height);
  for (std::int32_t y = 0; y < height; ++y) {
    for (std::int32_t x = 0; x < width; ++x) {
      const double d = roundedBox(x + 0.5, y + 0.5, width / 2.0, height / 2.0, width / 2.0 - 1, height / 2.0 - 1, 18);
      const double line = cover(std::abs(d + 8) - 0.8);
      const double t = static_cast<double>(y) / height;
      setPixel(picture, x, y, mix(mix(14, 8, t), 226, line), mix(mix(22, 14, t), 190, line),
               mix(mix(48, 34, t), 120, line), 255 * cover(d) * std::max(0.8, line));
    }
  }
  return picture;
}

Picture vignette(std::int32_t width, std::int32_t height) {
  Picture picture(width, height);
  for (std::int32_t y = 0; y < height; ++y) {
    for (std::int32_t x = 0; x < width; ++x) {
      const double dx = (x - width / 2.0) / (width / 2.0), dy = (y - height / 2.0) / (height / 2.0);
      const double shade = smoothstep(0.55, 1.45, std::hypot(dx, dy));
      setPixel(picture, x, y, mix(255, 110, shade), mix(255, 90, shade), mix(255, 120, shade), 255);
    }
  }
  return picture;
}

Picture glow(std::int32_t size) {
  Picture picture(size, size);
  const double centre = (size - 1) / 2.0;
  for (std::int32_t y = 0; y < size; ++y) {
    for (std::int32_t x = 0; x < size; ++x) {
      const double d = std::hypot(x - centre, y - centre) / (size / 2.0);
      const double light = d >= 1.0 ? 0.0 : std::pow(1.0 - d, 2.2);
      setPixel(picture, x, y, 255 * light, 190 * light, 120 * light, 255);
    }
  }
  return picture;
}

Picture sparkle(std::int32_t size) {
  Picture picture(size, size);
  const double centre = (size - 1) / 2.0;
  for (std::int32_t y = 0; y < size; ++y) {
    for (std::int32_t x = 0; x < size; ++x) {
      const double dx = (x - centre) / (size / 2.0), dy = (y - centre) / (size / 2.0);
      // A round core with two thin rays.
      const double core = std::max(0.0, 1.0 - std::hypot(dx, dy) * 2.5);
      const double rays = std::max(0.0, 1.0 - std::abs(dx) * 14) * std::max(0.0, 1.0 - std::abs(dy)) +
                          std::max(0.0, 1.0 - std::abs(dy) * 14) * std::max(0.0, 1.0 - std::abs(dx));
      const double alpha = std::min(1.0, core * 1.5 + rays * 0.8);
      setPixel(picture, x, y, 255, 236, 190, 255 * alpha);
    }
  }
  return picture;
}

Picture softSpot(std::int32_t size) {
  Picture picture(size, size);
  const double centre = (size - 1) / 2.0;
  for (std::int32_t y = 0; y < size; ++y) {
    for (std::int32_t x = 0; x < size; ++x) {
      const double d = std::hypot(x - centre, y - centre) / (size / 2.0);
      setPixel(picture, x, y, 255, 255, 255, 255 * (1.0 - smoothstep(0.7, 1.0, d)));
    }
  }
  return picture;
}

Picture clouds(std::int32_t width, std::int32_t height) {
  Picture picture(width, height);
  for (std::int32_t y = 0; y < height; ++y) {
    const double t = static_cast<double>(y) / height;
    const double band = smoothstep(0.0, 0.35, t) * (1.0 - smoothstep(0.6, 1.0, t));
    for (std::int32_t x = 0; x < width; ++x) {
      const double n = fractalNoise(x * 0.006, y * 0.02, 77);
      const double alpha = smoothstep(0.45, 0.75, n) * band;
      setPixel(picture, x, y, 255, mix(246, 214, t), mix(240, 220, t), 230 * alpha);
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
