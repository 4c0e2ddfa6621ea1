// What the host knows about the game it runs: the game name (IGameInfo), the path prefix placed
// before file names (IGamePath), the debug-mode flag (IDebugMode) and whether the game was just
// reset (IResetState). Texts are kept as given, as Shift-JIS bytes.
#pragma once

#include <string>
#include <utility>

#include "host/Kernel.h"
#include "refhost/Ledger.h"

namespace refhost {

class GameSetup final : public tamblet::IGameInfo,
                        public tamblet::IGamePath,
                        public tamblet::IDebugMode,
                        public tamblet::IResetState {
 public:
  // Slots the library never calls (IGameInfo 0-4, IResetState 0).
  void TAMBLET_HOSTCALL UnusedSlot0() override {}
  void TAMBLET_HOSTCALL UnusedSlot1() override {}
  void TAMBLET_HOSTCALL UnusedSlot2() override {}
  void TAMBLET_HOSTCALL UnusedSlot3() override {}
  void TAMBLET_HOSTCALL UnusedSlot4() override {}

  const char* TAMBLET_HOSTCALL GetGameName() override { return gameName_.c_str(); }
  const char* TAMBLET_HOSTCALL GetPathPrefix() override { return pathPrefix_.c_str(); }
  bool TAMBLET_HOSTCALL IsDebugMode() override { return debugMode_; }
  bool TAMBLET_HOSTCALL IsResetOnce() override { return resetOnce_; }

  void setGameName(std::string bytes) { gameName_ = std::move(bytes); }
  void setPathPrefix(std::string bytes) { pathPrefix_ = std::move(bytes); }
  void setDebugMode(bool on) { debugMode_ = on; }
  void setResetOnce(bool reset) { resetOnce_ = reset; }

 private:
  LedgerEntry ledger_{"GameSetup"};
  std::string gameName_ = "game.exe";
  std::string pathPrefix_;
  bool debugMode_ = false;
  bool resetOnce_ = false;
};

}  // namespace refhost
