// tamblet-pack: makes the CG archives the reference host reads (the game's CG archive file for
// KOVLoader.dll and the packed "CG.zep" for ZEPLoader.dll share one format).
//   tamblet-pack build <folder> <archive>   pack CG<number>.<ext> / <number>.<ext> files
//   tamblet-pack list <archive>             list the CGs and the state of the index
//   tamblet-pack reindex <archive>          rewrite the index to match the entries
#include <CLI/CLI.hpp>
#include <exception>
#include <iostream>
#include <string>

#include "tools/pack/PackCommands.h"

int main(int argc, char** argv) {
  CLI::App app{"Builds, lists and reindexes CG archives."};
  app.require_subcommand(1);
  std::string folder, archive;
  CLI::App* build = app.add_subcommand("build", "pack the CG files of a folder into an archive");
  build->add_option("folder", folder, "folder holding CG<number>.<ext> or <number>.<ext> files")->required();
  build->add_option("archive", archive, "archive file to write")->required();
  CLI::App* list = app.add_subcommand("list", "list an archive's CGs");
  list->add_option("archive", archive, "archive file")->required();
  CLI::App* reindex = app.add_subcommand("reindex", "rewrite an archive's index to match its entries");
  reindex->add_option("archive", archive, "archive file")->required();

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    return app.exit(error) == 0 ? 0 : 1;  // help is success; every usage error exits with 1
  }
  try {
    if (build->parsed()) return tamblet::pack::buildArchive(folder, archive, std::cout, std::cerr);
    if (list->parsed()) return tamblet::pack::listArchive(archive, std::cout, std::cerr);
    return tamblet::pack::reindexArchive(archive, std::cout, std::cerr);
  } catch (const std::exception& error) {
    std::cerr << "tamblet-pack: " << error.what() << '\n';
    return 1;
  }
}
