#include "tools/play/Session.h"

#include <lua.hpp>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <vector>

#include "refhost/Diagnostics.h"
#include "refhost/Host.h"
#include "tools/common/Environment.h"
#include "tools/common/Image.h"
#include "tools/common/PngFile.h"
#include "tools/common/ProcessMemory.h"
#include "tools/common/TextCodec.h"
#include "tools/play/EngineLibrary.h"
#include "tools/play/ExportBridge.h"
#include "tools/play/FailureReport.h"
#include "tools/play/FrameStats.h"
#include "tools/play/GameConfig.h"
#include "tools/play/HostModules.h"
#include "tools/play/PlayerApi.h"
#include "tools/play/Window.h"

namespace tamblet::play {

using tools::captureSurface;
using tools::contactSheet;
using tools::Image;
using tools::thumbnail;
using tools::utf8ToSjis;
using tools::writePng;
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr std::int32_t kDefaultHeadlessFrames = 120;
constexpr std::int32_t kDefaultCacheMiB = 64;
constexpr std::int32_t kThumbnailWidth = 160;
constexpr std::int32_t kThumbnailHeight = 120;
constexpr char kCgArchiveName[] = "CG.kov";

// Runs `body` with the process's standard error going to a temporary file and returns what was
// written there, so the engine's own start-up messages can be shown as part of the player's.
template <class Body>
std::string captureStandardError(Body&& body) {
  std::fflush(stderr);
  std::FILE* file = std::tmpfile();
  const int saved = file ? dup(2) : -1;
  if (saved < 0 || dup2(fileno(file), 2) < 0) {
    if (saved >= 0) close(saved);
    if (file) std::fclose(file);
    body();
    return {};
  }
  body();
  std::fflush(stderr);
  dup2(saved, 2);
  close(saved);
  std::string text;
  std::rewind(file);
  char buffer[4096];
  std::size_t read = 0;
  while ((read = std::fread(buffer, 1, sizeof(buffer), file)) > 0) text.append(buffer, read);
  std::fclose(file);
  return text;
}

int tracebackHandler(lua_State* L) {
  if (isStopSignal(L, 1)) return 1;
  const char* message = lua_tostring(L, 1);
  if (!message) message = luaL_tolstring(L, 1, nullptr);
  luaL_traceback(L, L, message, 1);
  return 1;
}

struct LuaCloser {
  void operator()(lua_State* L) const { lua_close(L); }
};

// The host's diagnostic lines go to `report` while this lives.
class DiagnosticRoute {
 public:
  explicit DiagnosticRoute(FailureReport& report)
      : previous_(refhost::setDiagnosticSink([&report](std::string_view line) { report.hostLine(line); })) {}
  DiagnosticRoute(const DiagnosticRoute&) = delete;
  DiagnosticRoute& operator=(const DiagnosticRoute&) = delete;
  ~DiagnosticRoute() { refhost::setDiagnosticSink(std::move(previous_)); }

 private:
  refhost::DiagnosticSink previous_;
};

class Session final : public PlayerControl {
 public:
  Session(const PlayOptions& options, std::ostream& err) : options_(options), err_(err) {}

  int run();

  bool beginFrame() override;
  bool finishFrame() override;
  std::int32_t framesDone() const override { return framesDone_; }
  bool headless() const override { return !options_.window; }
  void log(const std::string& utf8) override { err_ << "[game] " << utf8 << '\n'; }

 private:
  int prepare();
  int startEngine();
  int runScript();
  void capture();
  void showProgress();
  void finishOutput();
  void printSummary();
  void showLooseLines(const char* when);
  bool progressShown() const;
  std::optional<CallResult> engineCall(std::string_view name) { return bridge_->callDirect(name); }

  const PlayOptions& options_;
  std::ostream& err_;
  fs::path game_;
  fs::path out_;
  bool writeFrames_ = false;
  std::int32_t frameLimit_ = 0;  // 0: no limit
  std::int32_t framesDone_ = 0;
  std::int32_t framesWritten_ = 0;
  bool initialised_ = false;
  bool debug_ = false;
  std::int32_t cacheMiB_ = kDefaultCacheMiB;
  std::string title_ = "tamblet-play";
  Clock::time_point frameStart_;
  Clock::time_point runStart_;
  FrameStats stats_;
  std::vector<Image> thumbnails_;
  int lastProgress_ = -1;
  // Destroyed in reverse: the script's values first, then the engine (through the host), then the
  // library, and only then the failure report the host's lines go to.
  std::unique_ptr<FailureReport> report_;
  std::unique_ptr<DiagnosticRoute> route_;
  std::unique_ptr<EngineLibrary> library_;
  std::unique_ptr<refhost::Host> host_;
  std::unique_ptr<ExportBridge> bridge_;
  std::unique_ptr<Window> window_;
  std::unique_ptr<lua_State, LuaCloser> lua_;
};

int Session::run() {
  if (const int code = prepare(); code != kExitOk) return code;
  if (const int code = startEngine(); code != kExitOk) return code;
  const int code = runScript();
  if (progressShown()) err_ << '\n';
  finishOutput();
  if (code == kExitOk) printSummary();
  return code;
}

int Session::prepare() {
  std::error_code error;
  game_ = fs::absolute(options_.gameFolder, error);
  if (error || !fs::is_directory(game_, error)) {
    err_ << "tamblet-play: the game folder \"" << options_.gameFolder << "\" does not exist\n";
    return kExitBadGame;
  }
  if (!fs::is_regular_file(game_ / "main.lua", error)) {
    err_ << "tamblet-play: the game folder \"" << options_.gameFolder << "\" has no main.lua\n";
    return kExitBadGame;
  }
  GameConfig config;
  if (std::ifstream file(game_ / "player.conf"); file) {
    std::stringstream text;
    text << file.rdbuf();
    std::string why;
    const auto parsed = parseGameConfig(text.str(), &why);
    if (!parsed) {
      err_ << "tamblet-play: " << why << '\n';
      return kExitBadGame;
    }
    config = *parsed;
  }
  const std::int32_t width = options_.width.value_or(config.width.value_or(640));
  const std::int32_t height = options_.height.value_or(config.height.value_or(480));
  const std::int32_t cacheMiB = options_.cacheMiB.value_or(config.cacheMiB.value_or(kDefaultCacheMiB));
  const bool debug = options_.debug || config.debug.value_or(false);
  debug_ = debug;
  report_ = std::make_unique<FailureReport>(err_, debug, options_.strict);
  route_ = std::make_unique<DiagnosticRoute>(*report_);
  if (config.title) title_ = *config.title;
  cacheMiB_ = cacheMiB;

  frameLimit_ = options_.frames.value_or(options_.window ? 0 : kDefaultHeadlessFrames);
  writeFrames_ = !options_.window || options_.outFolder.has_value();
  if (writeFrames_) {
    out_ = fs::absolute(options_.outFolder.value_or("out"), error);
    fs::create_directories(out_, error);
    if (error || !fs::is_directory(out_)) {
      err_ << "tamblet-play: cannot create the output folder \"" << out_.string() << "\"\n";
      return kExitOutput;
    }
    for (const auto& entry : fs::directory_iterator(out_, error)) {
      const std::string name = entry.path().filename().string();
      if ((name.starts_with("frame_") && name.ends_with(".png")) || name == "contact_sheet.png") {
        fs::remove(entry.path(), error);
      }
    }
  }

  std::string why;
  library_ = EngineLibrary::open(options_.library, &why);
  if (!library_) {
    err_ << "tamblet-play: cannot open the engine library: " << why << '\n';
    return kExitNoLibrary;
  }
  const LoadedModules modules = loadHostModules(options_.modules);
  for (const std::string& failure : modules.failed) err_ << "tamblet-play: host module not loaded: " << failure << '\n';
  if (options_.debug) {
    err_ << "tamblet-play: " << library_->boundCount() << " of " << exportTable().size() << " exports bound; "
         << modules.loaded.size() << " host modules loaded";
    for (const std::string& name : modules.missing) err_ << ", " << name << " missing";
    err_ << '\n';
  }

  try {
    host_ = std::make_unique<refhost::Host>(width, height);
  } catch (const std::exception& failure) {
    err_ << "tamblet-play: cannot create the host: " << failure.what() << '\n';
    return kExitInitFailed;
  }
  refhost::GameSetup& setup = host_->kernel().game();
  // File names are built as path prefix + base name + name; an empty game name puts the game's
  // files ("CG.zep", "Font.fnl") straight into the game folder.
  setup.setGameName("");
  const std::string prefix = game_.string() + "/";
  setup.setPathPrefix(utf8ToSjis(prefix).value_or(prefix));
  setup.setDebugMode(debug);
  if (fs::is_regular_file(game_ / kCgArchiveName, error)) host_->setCgArchivePath((game_ / kCgArchiveName).string());
  host_->kernel().timer().setTime(0);
  // Loose CG files are looked up relative to the current folder.
  fs::current_path(game_, error);
  if (error) {
    err_ << "tamblet-play: cannot enter the game folder \"" << game_.string() << "\"\n";
    return kExitBadGame;
  }
  bridge_ = std::make_unique<ExportBridge>(*library_, &host_->vm(), &host_->kernel());

  if (options_.window) {
    window_ = Window::open(title_, host_->mainSurface().GetWidth(), host_->mainSurface().GetHeight(), &why);
    if (!window_) {
      err_ << "tamblet-play: cannot open a window: " << why << '\n';
      return kExitOutput;
    }
  }
  return kExitOk;
}

int Session::startEngine() {
  if (options_.noInit) return kExitOk;
  const ExportSignature* init = findExport("Init");
  if (!library_->has(*init)) {
    err_ << "tamblet-play: Init is not available in the engine library " << library_->path() << '\n';
    return kExitInitFailed;
  }
  // The engine reads its dirty-region switch at Init: on unless --full-redraw. The player's host
  // draws nothing into the main surface itself, so redrawing only what changed is safe.
  tools::setEnvironment("TAMBLET_DIRTY_REGIONS", options_.fullRedraw ? "0" : "1");
  ArgSlot args[2];
  args[0].p = static_cast<IHostKernel*>(&host_->kernel());
  args[1].i = cacheMiB_;
  CallResult result{};
  const std::string engineOutput =
      captureStandardError([&] { result = init->invoke(library_->function(*init), args); });
  const std::string raised = bridge_->takeEngineErrors();
  if (result.i == 0) {
    err_ << "tamblet-play: Init failed";
    if (engineOutput.empty() && raised.empty()) err_ << " without a message";
    err_ << '\n' << engineOutput;
    if (!raised.empty()) err_ << raised << '\n';
    return kExitInitFailed;
  }
  err_ << engineOutput;
  if (!raised.empty()) err_ << raised << '\n';
  initialised_ = true;
  if (options_.viewMode != 0) {
    // The game starts in the Direct3D view: the engine registers its view plug-in with the host,
    // whose frames (headless and windowed) are then presented by the device into the main surface.
    ArgSlot mode;
    mode.i = options_.viewMode;
    const auto switched = bridge_->callDirect("VIEW_SetMode", std::span<const ArgSlot>(&mode, 1));
    const std::string why = bridge_->takeEngineErrors();
    if (!switched || switched->i == 0) {
      err_ << "tamblet-play: the engine refused the Direct3D view (VIEW_SetMode(" << options_.viewMode
           << ") answered " << (switched ? "false" : "nothing: the export is missing") << ")\n";
      if (!why.empty()) err_ << why << '\n';
      return kExitInitFailed;
    }
  }
  const std::vector<std::string> problems = report_->takeLooseLines();
  for (const std::string& line : problems) err_ << "tamblet-play: start-up: " << line << '\n';
  if (options_.strict && !problems.empty()) {
    err_ << "tamblet-play: --strict: the game stops on start-up problems\n";
    return kExitScriptError;
  }
  return kExitOk;
}

int Session::runScript() {
  lua_.reset(luaL_newstate());
  lua_State* L = lua_.get();
  if (!L) {
    err_ << "tamblet-play: cannot create the Lua state\n";
    return kExitScriptError;
  }
  luaL_openlibs(L);
  bridge_->install(L);
  bridge_->setWatcher(report_.get());
  report_->setCgProbe([this](std::int32_t cg) -> std::optional<bool> {
    if (!initialised_) return std::nullopt;
    ArgSlot slot;
    slot.i = cg;
    const auto exists = bridge_->callDirect("CG_IsExist", std::span<const ArgSlot>(&slot, 1));
    bridge_->takeEngineErrors();
    if (!exists) return std::nullopt;
    return exists->i != 0;
  });
  installPlayerApi(L, *bridge_, host_.get(), *this);
  // require() finds the game's own modules beside main.lua.
  lua_getglobal(L, "package");
  lua_pushstring(L, "./?.lua;./?/init.lua");
  lua_setfield(L, -2, "path");
  lua_pop(L, 1);

  runStart_ = Clock::now();
  lua_pushcfunction(L, tracebackHandler);
  const int handler = lua_gettop(L);
  int status = luaL_loadfilex(L, "main.lua", "t");
  if (status == LUA_OK) status = lua_pcall(L, 0, 0, handler);
  if (status == LUA_OK || isStopSignal(L, -1)) return kExitOk;
  if (progressShown()) err_ << '\n';
  lastProgress_ = -1;
  const char* message = lua_tostring(L, -1);
  err_ << "tamblet-play: script error in frame " << framesDone_ + 1 << " (" << framesDone_ << " frame"
       << (framesDone_ == 1 ? "" : "s") << " finished):\n"
       << (message ? message : "(an error value that is not a text)") << '\n';
  return kExitScriptError;
}

bool Session::beginFrame() {
  if (frameLimit_ > 0 && framesDone_ >= frameLimit_) return false;
  frameStart_ = Clock::now();
  // Headless, time is the frame number at 60 frames per second and nothing else.
  const std::uint32_t now = window_ ? window_->milliseconds()
                                    : static_cast<std::uint32_t>(static_cast<std::uint64_t>(framesDone_ + 1) * 1000 / 60);
  host_->kernel().timer().setTime(now);
  return true;
}

bool Session::finishFrame() {
  ++framesDone_;
  if (writeFrames_ && options_.every > 0 && framesDone_ % options_.every == 0) capture();
  bool open = true;
  if (window_) {
    open = window_->pollEvents(*host_);
    float fps = -1.0f;
    const auto show = engineCall("FPS_GetShow");
    if (show && show->i != 0) {
      const auto value = engineCall("FPS_Get");
      fps = value ? value->f : 0.0f;
    }
    window_->present(host_->mainSurface(), fps);
  }
  stats_.add(std::chrono::duration<double, std::milli>(Clock::now() - frameStart_).count());
  showLooseLines("frame");
  showProgress();
  return open;
}

void Session::capture() {
  const Image frame = captureSurface(host_->mainSurface());
  char name[32];
  std::snprintf(name, sizeof(name), "frame_%05d.png", static_cast<int>(framesDone_));
  std::string why;
  if (!writePng((out_ / name).string(), frame, &why)) {
    err_ << "tamblet-play: " << why << "; no more frames are written\n";
    writeFrames_ = false;
    return;
  }
  ++framesWritten_;
  thumbnails_.push_back(thumbnail(frame, kThumbnailWidth, kThumbnailHeight));
}

void Session::showProgress() {
  if (!options_.progress || frameLimit_ <= 0) return;
  const bool terminal = isatty(2) != 0;
  const int percent = static_cast<int>(static_cast<std::int64_t>(framesDone_) * 100 / frameLimit_);
  if (terminal ? percent == lastProgress_ && framesDone_ != frameLimit_ : percent / 10 == lastProgress_ / 10) return;
  lastProgress_ = percent;
  constexpr int kWidth = 30;
  const int filled = percent * kWidth / 100;
  err_ << (terminal ? "\r" : "") << '[' << std::string(static_cast<std::size_t>(filled), '#')
       << std::string(static_cast<std::size_t>(kWidth - filled), '.') << "] " << framesDone_ << '/' << frameLimit_
       << " frames" << (terminal ? "" : "\n") << std::flush;
}

// Host lines from outside the script's calls (the frame calls of the player itself), in debug mode.
void Session::showLooseLines(const char* when) {
  for (const std::string& line : report_->takeLooseLines()) {
    if (debug_) err_ << "tamblet-play: " << when << ' ' << framesDone_ << ": " << line << '\n';
  }
}

bool Session::progressShown() const { return lastProgress_ >= 0 && isatty(2) != 0; }

void Session::finishOutput() {
  if (thumbnails_.empty()) return;
  std::string why;
  if (!writePng((out_ / "contact_sheet.png").string(), contactSheet(thumbnails_, 6, 4), &why)) {
    err_ << "tamblet-play: " << why << '\n';
  }
}

void Session::printSummary() {
  const double seconds = std::chrono::duration<double>(Clock::now() - runStart_).count();
  char line[256];
  std::snprintf(line, sizeof(line), "tamblet-play: %d frames in %.2f s (%.1f frames per second)\n",
                static_cast<int>(framesDone_), seconds, seconds > 0 ? framesDone_ / seconds : 0.0);
  err_ << line;
  if (stats_.count() > 0) {
    std::snprintf(line, sizeof(line), "  frame time (ms): p50 %.2f  p90 %.2f  p99 %.2f  max %.2f\n",
                  stats_.percentile(50), stats_.percentile(90), stats_.percentile(99), stats_.percentile(100));
    err_ << line;
  }
  if (initialised_) {
    err_ << "  engine:";
    if (const auto fps = engineCall("FPS_Get")) {
      std::snprintf(line, sizeof(line), " FPS %.1f", static_cast<double>(fps->f));
      err_ << line;
    }
    if (const auto rate = engineCall("Debug_GetFillRate")) err_ << ", fill rate " << rate->i;
    // The engine samples memory in its frame call in debug mode only; otherwise the player reads
    // the same figures itself and says so, rather than printing the engine's unsampled zeros.
    const auto current = engineCall("Debug_GetCurrentAllocatedMemorySize");
    const auto peak = engineCall("Debug_GetMaxAllocatedMemorySize");
    if (current && peak && (current->i > 0 || peak->i > 0)) {
      err_ << ", memory " << current->i << " MiB (peak " << peak->i << " MiB)";
    } else {
      const auto [processCurrent, processPeak] = tools::processMemoryMiB();
      err_ << ", memory " << processCurrent << " MiB (peak " << processPeak << " MiB; read by the player: the engine "
           << "has not sampled it, which it does in debug mode only)";
    }
    std::int32_t total = 0, used = 0, peakUsed = 0;
    ArgSlot video[3];
    video[0].p = &total;
    video[1].p = &used;
    video[2].p = &peakUsed;
    if (const auto ok = bridge_->callDirect("Debug_GetVideoMemoryInfo", video); ok && ok->i) {
      err_ << ", video memory " << used << " used of " << total << " (peak " << peakUsed << ")";
    }
    if (const auto sprites = engineCall("SP_Count")) err_ << ", " << sprites->i << " sprites";
    err_ << '\n';
    const refhost::Direct3DService& direct3d = host_->kernel().direct3d();
    if (direct3d.framesPresented() > 0 || direct3d.framesSkipped() > 0) {
      err_ << "  Direct3D view: " << direct3d.framesPresented() << " frames presented by the host's device";
      if (direct3d.framesSkipped() > 0) err_ << ", " << direct3d.framesSkipped() << " skipped (device lost)";
      err_ << '\n';
    }
    bridge_->takeEngineErrors();
  }
  report_->printSummary();
  if (framesWritten_ > 0) {
    err_ << "  wrote " << framesWritten_ << " frames and contact_sheet.png to " << out_.string() << '\n';
  }
}

}  // namespace

int runGame(const PlayOptions& options, std::ostream& err) {
  try {
    Session session(options, err);
    return session.run();
  } catch (const std::exception& failure) {
    err << "tamblet-play: " << failure.what() << '\n';
    return kExitScriptError;
  }
}

}  // namespace tamblet::play
