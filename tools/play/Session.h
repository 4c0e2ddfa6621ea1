// One run of a game: opens the engine library, loads the host modules, creates the reference
// host for the game folder, starts the engine with Init, runs main.lua and presents its frames,
// headless (simulated clock, PNG frames and a contact sheet) or in a window, then reports.
#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>

namespace tamblet::play {

struct PlayOptions {
  std::string gameFolder;
  std::optional<std::int32_t> frames;  // default: 120 headless, no limit in a window
  std::int32_t every = 30;             // write every K-th frame
  std::optional<std::string> outFolder;  // default "out" headless; frames are written in a window only when given
  bool window = false;
  bool debug = false;   // engine debug mode, and every failure report on stderr
  bool strict = false;  // failure reports become script errors (start-up ones stop the run)
  std::optional<std::int32_t> cacheMiB;  // default 64
  std::optional<std::int32_t> width, height;  // default 640 × 480
  std::string library;  // the engine library's path
  std::string modules;  // the folder of the host module files
  bool noInit = false;  // run the script without starting the engine (exports answer failure values)
  bool fullRedraw = false;  // the engine's dirty regions off: every frame composed whole
  std::int32_t viewMode = 0;  // the view mode the game starts in: 0 software, 1 Direct3D (the host's device)
  bool progress = true;
};

// Exit codes of a run.
enum ExitCode : int {
  kExitOk = 0,
  kExitScriptError = 1,
  kExitBadGame = 2,
  kExitNoLibrary = 3,
  kExitInitFailed = 4,
  kExitOutput = 5,
};

// Runs the game; messages, the progress bar and the summary go to `err`. After a script error
// only the error and the frame it happened in are reported (exit code 1), no run summary.
int runGame(const PlayOptions& options, std::ostream& err);

}  // namespace tamblet::play
