// tamblet-pack: makes the CG archives the reference host reads (the game's CG archive file for
// KOVLoader.dll and the packed "CG.zep" for ZEPLoader.dll share one format) and checks them.
//   tamblet-pack build <folder> <archive>   pack the CG<number>.<ext> pictures of a folder
//   tamblet-pack zep <folder> [<game>]      the same into <game>/CG.zep (default: the current folder)
//   tamblet-pack list <archive>             list the CGs and the state of the index
//   tamblet-pack verify <archive>           decode every CG and report each
//   tamblet-pack reindex <archive>          rewrite the index to match the entries
#include <CLI/CLI.hpp>
#include <exception>
#include <filesystem>
#include <iostream>
#include <string>

#include "tools/pack/PackCommands.h"

int main(int argc, char** argv) {
  CLI::App app{"Builds, checks, lists and reindexes CG archives."};
  app.require_subcommand(1);
  std::string folder, archive, game = ".", maxSize;
  tamblet::pack::PackOptions options;
  const auto addChecks = [&](CLI::App* command, bool packs) {
    command->add_option("--max-size", maxSize, "largest picture, WIDTHxHEIGHT or one side (default 16384x16384)");
    if (packs) command->add_flag("--force", options.force, "pack pictures that fail the checks anyway, with a warning");
  };
  CLI::App* build = app.add_subcommand("build", "decode and pack the CG<number>.<ext> pictures of a folder");
  build->add_option("folder", folder, "folder holding CG<number>.<ext> pictures (BMP, JPEG or PNG)")->required();
  build->add_option("archive", archive, "archive file to write (CG.kov for the game's CG archive)")->required();
  addChecks(build, true);
  CLI::App* zep =
      app.add_subcommand("zep", "decode and pack the pictures of a folder into a game's packed archive CG.zep");
  zep->add_option("folder", folder, "folder holding CG<number>.<ext> pictures (BMP, JPEG or PNG)")->required();
  zep->add_option("game", game, "game folder to write CG.zep into (default: the current folder)");
  addChecks(zep, true);
  CLI::App* list = app.add_subcommand("list", "list an archive's CGs");
  list->add_option("archive", archive, "archive file")->required();
  CLI::App* verify = app.add_subcommand("verify", "decode every CG of an archive and report each");
  verify->add_option("archive", archive, "archive file")->required();
  addChecks(verify, false);
  CLI::App* reindex = app.add_subcommand("reindex", "rewrite an archive's index to match its entries");
  reindex->add_option("archive", archive, "archive file")->required();

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    return app.exit(error) == 0 ? 0 : 1;  // help is success; every usage error exits with 1
  }
  if (!maxSize.empty() && !tamblet::pack::parseSizeLimit(maxSize, options.limit)) {
    std::cerr << "tamblet-pack: --max-size wants WIDTHxHEIGHT or one number, each 1 to 16384\n";
    return 1;
  }
  try {
    using namespace tamblet::pack;
    if (build->parsed()) return buildArchive(folder, archive, options, std::cout, std::cerr);
    if (zep->parsed()) {
      const std::string path = (std::filesystem::path(game) / kPackedArchiveName).string();
      return buildArchive(folder, path, options, std::cout, std::cerr);
    }
    if (list->parsed()) return listArchive(archive, std::cout, std::cerr);
    if (verify->parsed()) return verifyArchive(archive, options.limit, std::cout, std::cerr);
    return reindexArchive(archive, std::cout, std::cerr);
  } catch (const std::exception& error) {
    std::cerr << "tamblet-pack: " << error.what() << '\n';
    return 1;
  }
}
