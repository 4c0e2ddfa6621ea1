// The script's `player` table: presenting frames (which drives Update or TRANS_Update and then
// captures or shows the main surface), scripted input for headless runs, and logging.
#pragma once

#include <cstdint>
#include <string>

#include "refhost/Host.h"
#include "tools/play/ExportBridge.h"

struct lua_State;

namespace tamblet::play {

// What the running session does around each frame.
class PlayerControl {
 public:
  // Before the engine's frame call; false when no frame is left to run.
  virtual bool beginFrame() = 0;
  // After it: capture, show, count. False when the run is over (the window was closed).
  virtual bool finishFrame() = 0;
  virtual std::int32_t framesDone() const = 0;
  virtual bool headless() const = 0;
  virtual void log(const std::string& utf8) = 0;

 protected:
  ~PlayerControl() = default;
};

// Installs the global table `player`. Everything passed must outlive the Lua state's use of it.
void installPlayerApi(lua_State* L, ExportBridge& bridge, refhost::Host* host, PlayerControl& control);

// True when the error value at `index` is the player's own signal that the run is over (frame
// budget spent, window closed), which ends the script without an error.
bool isStopSignal(lua_State* L, int index);

// A key (Windows virtual-key code, 0-255; 1, 2 and 4 are the mouse buttons) as the host's input
// services see it: down in the input device and the key state, its flag raised when pressed.
void setHostKey(refhost::Host& host, std::int32_t virtualKey, bool down);

}  // namespace tamblet::play
