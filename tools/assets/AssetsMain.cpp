// tamblet-demo-assets <folder>: draws the demo's pictures and writes them as
//   <folder>/archive/CG<n>.<ext>  the CGs packed into the game's CG archive (CG.kov)
//   <folder>/packed/CG<n>.<ext>   the CGs packed into "CG.zep"
//   <folder>/CG/CG<n>.png, <folder>/CG/SP/CG<n>.bmp  loose CG files with their alpha image
#include <filesystem>
#include <functional>
#include <iostream>
#include <string>

#include "tools/assets/DemoPictures.h"
#include "tools/assets/PictureFiles.h"

namespace {

using tamblet::assets::Picture;

struct Output {
  const char* name;
  std::function<bool(const std::string&, std::string*)> write;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: tamblet-demo-assets <folder>\n";
    return 2;
  }
  namespace fs = std::filesystem;
  namespace a = tamblet::assets;
  const fs::path root = argv[1];
  std::error_code error;
  for (const char* folder : {"archive", "packed", "CG/SP"}) fs::create_directories(root / folder, error);

  const Picture frame = a::messageFrame(1040, 200);
  const Output outputs[] = {
      {"archive/CG00100.png", [](auto& p, auto* w) { return a::writePngPicture(p, a::harbour(1280, 720), false, w); }},
      {"archive/CG00101.png", [](auto& p, auto* w) { return a::writePngPicture(p, a::sparkle(48), true, w); }},
      {"archive/CG00102.jpg", [](auto& p, auto* w) { return a::writeJpeg(p, a::nightSky(1280, 720), 92, w); }},
      {"archive/CG00103.bmp", [](auto& p, auto* w) { return a::writeBmp24(p, a::vignette(1280, 720), w); }},
      {"archive/CG00104.png", [](auto& p, auto* w) { return a::writePngPicture(p, a::ruleImage(1280, 720), false, w); }},
      {"archive/CG00105.png", [](auto& p, auto* w) { return a::writePngPicture(p, a::star(200), true, w); }},
      {"archive/CG00106.png", [](auto& p, auto* w) { return a::writePngPicture(p, a::softSpot(256), true, w); }},
      {"archive/CG00107.png", [](auto& p, auto* w) { return a::writePngPicture(p, a::clouds(2048, 240), true, w); }},
      {"archive/CG00108.png", [](auto& p, auto* w) { return a::writePngPicture(p, a::figure(260, 520, 0), true, w); }},
      {"archive/CG00109.png", [](auto& p, auto* w) { return a::writePngPicture(p, a::figure(260, 560, 1), true, w); }},
      {"archive/CG00110.png", [](auto& p, auto* w) { return a::writePngPicture(p, a::button(360, 64), true, w); }},
      {"archive/CG00111.png", [](auto& p, auto* w) { return a::writePngPicture(p, a::glow(512), false, w); }},
      {"packed/CG00300.png", [](auto& p, auto* w) { return a::writePngPicture(p, a::star(120), true, w); }},
      {"CG/CG00200.png", [&](auto& p, auto* w) { return a::writePngPicture(p, frame, false, w); }},
      {"CG/SP/CG00200.bmp", [&](auto& p, auto* w) { return a::writeBmp32(p, a::alphaAsGrey(frame), w); }},
  };
  for (const Output& output : outputs) {
    std::string why;
    if (!output.write((root / output.name).string(), &why)) {
      std::cerr << "tamblet-demo-assets: " << why << '\n';
      return 1;
    }
  }
  std::cout << "tamblet-demo-assets: wrote " << std::size(outputs) << " pictures into " << root.string() << '\n';
  return 0;
}
