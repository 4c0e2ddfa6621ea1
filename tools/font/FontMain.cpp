// tamblet-font: builds and inspects font libraries ("Font.fnl") from TrueType/OpenType faces.
//   tamblet-font build -o Font.fnl --face <file or family>... --size <text size>...
//   tamblet-font dump Font.fnl
#include <CLI/CLI.hpp>
#include <cstdint>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "tools/font/FontCommands.h"

int main(int argc, char** argv) {
  CLI::App app{"Builds and inspects font libraries."};
  app.require_subcommand(1);
  std::string output, input;
  std::vector<std::string> faces;
  std::vector<std::int32_t> sizes;
  CLI::App* build = app.add_subcommand("build", "draw faces at text sizes into a font library");
  build->add_option("-o,--output", output, "font library to write")->required();
  build->add_option("--face", faces, "font file or fontconfig family, one face each, in face order")->required();
  build->add_option("--size", sizes, "text size; its glyphs are 4 × size pixels high")->required();
  CLI::App* dump = app.add_subcommand("dump", "list a font library's faces, sizes and glyphs");
  dump->add_option("library", input, "font library file")->required();

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    return app.exit(error) == 0 ? 0 : 1;  // help is success; every usage error exits with 1
  }
  try {
    if (build->parsed()) return tamblet::font::buildLibrary(output, faces, sizes, std::cout, std::cerr);
    return tamblet::font::dumpLibrary(input, std::cout, std::cerr);
  } catch (const std::exception& error) {
    std::cerr << "tamblet-font: " << error.what() << '\n';
    return 1;
  }
}
