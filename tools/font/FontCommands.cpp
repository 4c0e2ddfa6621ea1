#include "tools/font/FontCommands.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <thread>

#include "tools/font/FontFile.h"
#include "tools/font/GlyphCodes.h"
#include "tools/font/GlyphRasterizer.h"

namespace tamblet::font {
namespace {

void checkSizes(const std::vector<std::int32_t>& sizes) {
  for (std::size_t i = 0; i < sizes.size(); ++i) {
    if (sizes[i] < kMinTextSize || sizes[i] > kMaxTextSize)
      throw std::runtime_error("text size " + std::to_string(sizes[i]) + " is outside " + std::to_string(kMinTextSize) +
                               "–" + std::to_string(kMaxTextSize));
    if (std::find(sizes.begin(), sizes.begin() + static_cast<std::ptrdiff_t>(i), sizes[i]) !=
        sizes.begin() + static_cast<std::ptrdiff_t>(i))
      throw std::runtime_error("text size " + std::to_string(sizes[i]) + " is given twice");
  }
}

// The code point of every glyph index (nothing where CP932 assigns no character).
std::vector<std::optional<char32_t>> glyphCodePoints() {
  Cp932Decoder decoder;
  std::vector<std::optional<char32_t>> codePoints(kGlyphIndexCount);
  for (std::uint32_t index = 0; index < kGlyphIndexCount; ++index)
    codePoints[index] = decoder.codePoint(codeOfGlyphIndex(index));
  return codePoints;
}

SizeImages drawSize(const FaceLocation& location, std::uint32_t pixelHeight,
                    const std::vector<std::optional<char32_t>>& codePoints) {
  GlyphRasterizer rasterizer(location);
  BitmapCompressor compressor;
  rasterizer.setPixelHeight(pixelHeight);
  SizeImages size{pixelHeight, rasterizer.descent(), std::vector<GlyphImage>(codePoints.size())};
  for (std::size_t index = 0; index < codePoints.size(); ++index) {
    if (!codePoints[index]) continue;
    RasterGlyph glyph = rasterizer.draw(*codePoints[index]);
    size.glyphs[index].width = glyph.width;
    if (!glyph.bitmap.empty()) size.glyphs[index].compressed = compressor.compress(glyph.bitmap);
  }
  return size;
}

// Draws every (face, size) pair, spread over the processor's cores; each pair has its own
// FreeType instance and its own slot in the result, so the bytes do not depend on the order.
FontFile drawAll(const std::vector<FaceLocation>& faces, const std::vector<std::int32_t>& sizes,
                 const std::vector<std::optional<char32_t>>& codePoints) {
  const std::size_t jobs = faces.size() * sizes.size();
  std::vector<SizeImages> drawn(jobs);
  std::vector<std::exception_ptr> failures(jobs);
  std::atomic<std::size_t> next{0};
  auto work = [&] {
    for (std::size_t job; (job = next++) < jobs;) {
      try {
        const auto pixelHeight = static_cast<std::uint32_t>(sizes[job % sizes.size()]) * kSupersample;
        drawn[job] = drawSize(faces[job / sizes.size()], pixelHeight, codePoints);
      } catch (...) {
        failures[job] = std::current_exception();
      }
    }
  };
  const std::size_t threads = std::min<std::size_t>(jobs, std::max(1u, std::thread::hardware_concurrency()));
  std::vector<std::thread> workers;
  for (std::size_t i = 1; i < threads; ++i) workers.emplace_back(work);
  work();
  for (std::thread& worker : workers) worker.join();
  for (const std::exception_ptr& failure : failures)
    if (failure) std::rethrow_exception(failure);

  FontFile file;
  file.faces.resize(faces.size());
  for (std::size_t job = 0; job < jobs; ++job) file.faces[job / sizes.size()].push_back(std::move(drawn[job]));
  return file;
}

// Writes beside the target and renames over it only when every byte is written.
void writeFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  const std::string temporary = path + ".partial";
  {
    std::ofstream stream(temporary, std::ios::binary | std::ios::trunc);
    stream.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    stream.close();
    if (!stream) {
      std::filesystem::remove(temporary);
      throw std::runtime_error("cannot write " + path);
    }
  }
  std::filesystem::rename(temporary, path);
}

std::vector<std::uint8_t> readFile(const std::string& path) {
  std::ifstream stream(path, std::ios::binary);
  if (!stream) throw std::runtime_error("cannot open " + path);
  std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(stream)), std::istreambuf_iterator<char>());
  if (stream.bad()) throw std::runtime_error("cannot read " + path);
  return bytes;
}

}  // namespace

int buildLibrary(const std::string& output, const std::vector<std::string>& faces, const std::vector<std::int32_t>& sizes,
                 std::ostream& out, std::ostream& err) {
  try {
    if (faces.empty() || sizes.empty()) throw std::runtime_error("at least one face and one size are needed");
    checkSizes(sizes);
    std::vector<FaceLocation> locations;
    for (const std::string& name : faces) locations.push_back(locateFace(name));
    const std::vector<std::uint8_t> bytes = encodeFontFile(drawAll(locations, sizes, glyphCodePoints()));
    for (std::size_t face = 0; face < faces.size(); ++face)
      out << "face " << face << ": " << faces[face] << " (" << locations[face].file << ")\n";
    writeFile(output, bytes);
    out << "wrote " << output << ": " << faces.size() << " faces, " << sizes.size() << " sizes, " << bytes.size()
        << " bytes\n";
    return 0;
  } catch (const std::exception& error) {
    err << "tamblet-font: " << error.what() << '\n';
    return 1;
  }
}

int dumpLibrary(const std::string& input, std::ostream& out, std::ostream& err) {
  try {
    const FontFile file = decodeFontFile(readFile(input));
    out << "faces " << file.faces.size() << '\n';
    std::vector<std::uint8_t> bitmap;
    for (std::size_t f = 0; f < file.faces.size(); ++f) {
      out << "face " << f << ": sizes " << file.faces[f].size() << '\n';
      for (const SizeImages& size : file.faces[f]) {
        std::size_t withImage = 0, inked = 0, damaged = 0;
        for (const GlyphImage& glyph : size.glyphs) {
          if (glyph.compressed.empty()) continue;
          ++withImage;
          if (!decompressBitmap(glyph, size.pixelHeight, bitmap)) {
            ++damaged;
          } else if (std::any_of(bitmap.begin(), bitmap.end(), [](std::uint8_t byte) { return byte != 0; })) {
            ++inked;
          }
        }
        out << "  pixel height " << size.pixelHeight << " (text size " << size.pixelHeight / kSupersample
            << "), descent " << size.descent << ", glyphs " << size.glyphs.size() << ", with image " << withImage
            << ", with ink " << inked;
        if (damaged) out << ", damaged " << damaged;
        out << '\n';
      }
    }
    return 0;
  } catch (const std::exception& error) {
    err << "tamblet-font: " << input << ": " << error.what() << '\n';
    return 1;
  }
}

}  // namespace tamblet::font
