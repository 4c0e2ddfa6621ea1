// tamblet-play: runs a game folder's main.lua on the engine library, headless or in a window.
#include <CLI/CLI.hpp>

#include <iostream>

#include "tools/play/EngineLibrary.h"
#include "tools/play/ExportReference.h"
#include "tools/play/ExportTable.h"
#include "tools/play/Session.h"

namespace {

// The export reference in Markdown, or the C signatures (with a library: whether each is bound).
int listExports(const std::string& libraryPath, bool markdown) {
  std::string why;
  const auto library = libraryPath.empty() ? nullptr : tamblet::play::EngineLibrary::open(libraryPath, &why);
  if (markdown) {
    std::cout << tamblet::play::exportReferenceMarkdown();
    return 0;
  }
  for (const tamblet::play::ExportSignature& signature : tamblet::play::exportTable()) {
    std::cout << (library ? (library->has(signature) ? "bound    " : "missing  ") : "") << describe(signature) << '\n';
  }
  if (!libraryPath.empty() && !library) {
    std::cerr << "tamblet-play: cannot open the engine library: " << why << '\n';
    return tamblet::play::kExitNoLibrary;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"tamblet-play: runs a game folder's main.lua on the Tamblet sprite engine"};
  tamblet::play::PlayOptions options;
  options.library = TAMBLET_PLAY_DEFAULT_LIBRARY;
  options.modules = TAMBLET_PLAY_DEFAULT_MODULES;
  std::int32_t frames = 0, cacheMiB = 0;
  std::string out, size;
  bool list = false, markdown = false, quiet = false;
  std::string view = "software";
  app.add_option("game-folder", options.gameFolder, "folder holding main.lua and the game's CGs");
  auto* framesOption = app.add_option("--frames", frames, "frames to run (default 120 headless, no limit in a window)")
                           ->check(CLI::Range(1, 100000000));
  app.add_option("--every", options.every, "write every K-th frame as PNG (default 30)")->check(CLI::Range(1, 100000000));
  auto* outOption = app.add_option("--out", out, "folder for frames and the contact sheet (default out)");
  app.add_flag("--window", options.window, "show the game in a window with real pacing and input");
  app.add_flag("--debug", options.debug,
               "debug mode: loose CG files from the CG folder, load report, every failed export call and its reason");
  app.add_flag("--strict", options.strict,
               "failed export calls and refused pictures become script errors; start-up problems stop the run");
  auto* cacheOption = app.add_option("--cache-mib", cacheMiB, "CG cache budget in MiB (default 64)")->check(CLI::Range(1, 4096));
  auto* sizeOption = app.add_option("--size", size, "main surface size WIDTHxHEIGHT (default 640x480)");
  app.add_option("--library", options.library, "path of libTambletSpriteEngine.so")->capture_default_str();
  app.add_option("--modules", options.modules, "folder of the host module files")->capture_default_str();
  app.add_flag("--no-init", options.noInit, "run the script without starting the engine");
  app.add_flag("--full-redraw", options.fullRedraw,
               "compose every frame whole (the engine's dirty regions, on by default in the player, off)");
  app.add_option("--view", view,
                 "view mode the game starts in: software, or d3d (Direct3D on the reference host's device)")
      ->check(CLI::IsMember({"software", "d3d"}))
      ->capture_default_str();
  app.add_flag("--quiet", quiet, "no progress bar");
  app.add_flag("--list-exports", list, "list every export with its argument and result kinds");
  app.add_flag("--markdown", markdown, "with --list-exports: the Lua-side reference as a Markdown table");
  CLI11_PARSE(app, argc, argv);

  if (list) return listExports(markdown ? std::string() : options.library, markdown);
  if (options.gameFolder.empty()) {
    std::cerr << "tamblet-play: a game folder is needed (see --help)\n";
    return tamblet::play::kExitBadGame;
  }
  if (framesOption->count()) options.frames = frames;
  if (outOption->count()) options.outFolder = out;
  if (cacheOption->count()) options.cacheMiB = cacheMiB;
  if (sizeOption->count()) {
    int width = 0, height = 0;
    char tail = 0;
    if (std::sscanf(size.c_str(), "%dx%d%c", &width, &height, &tail) != 2 || width < 1 || height < 1 ||
        width > 8192 || height > 8192) {
      std::cerr << "tamblet-play: --size wants WIDTHxHEIGHT, each 1 to 8192\n";
      return tamblet::play::kExitBadGame;
    }
    options.width = width;
    options.height = height;
  }
  options.viewMode = view == "d3d" ? 1 : 0;
  options.progress = !quiet;
  return tamblet::play::runGame(options, std::cerr);
}
