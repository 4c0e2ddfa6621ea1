// The engine object: one static instance from library load to unload, which every export
// forwards to. It holds the host's interfaces, the library's own objects and the frame-pacer
// switches. Its count starts at 1 (the host's reference); the Release that brings it to 0 runs
// the teardown.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "compose/CAddInvalidateRect.h"
#include "engine/CErrorMessage.h"
#include "engine/CGetSurface.h"
#include "engine/CVelmEngine.h"
#include "host/EngineObjects.h"
#include "host/IInterface.h"
#include "host/Kernel.h"
#include "host/Modules.h"
#include "host/Ref.h"
#include "host/Surface.h"
#include "host/VM.h"
#include "report/FixedTexts.h"

namespace tamblet {

class CVELM final : public IInterface {
 public:
  CVELM() = default;
  CVELM(const CVELM&) = delete;
  CVELM& operator=(const CVELM&) = delete;

  std::int32_t TAMBLET_HOSTCALL AddRef() override;   // 0
  std::int32_t TAMBLET_HOSTCALL Release() override;  // 1; at 0 runs the teardown

  // The one instance the exports use.
  static CVELM& instance();

  // True only between a successful Init and the teardown.
  bool isInitialised() const { return initialised_; }
  void markInitialised() { initialised_ = true; }
  // True once the host has released the engine object: every export answers its failure value
  // from then on, Init included.
  bool isShutDown() const { return shutDown_; }

  // Puts the engine object back in its load-time state, as if the library had just been loaded:
  // for a process that runs one host after another (the tests do). Releases what is held first.
  void restoreLoadState();

  // Releases everything held, in the teardown order; every field is null afterwards.
  void teardown();

  // The engine object's start-up (Init's work): binds the host and creates the core. False on the
  // first failing step, leaving what was made for the teardown.
  bool startUp(IHostKernel* kernel, std::uint32_t cacheBytes);

  // One frame of Update / TRANS_Update, pacing included.
  bool update();
  bool transitionUpdate(float progress);

  // The engine core when Init has succeeded, else null: what every core export forwards to.
  CVelmEngine* core() const { return initialised_ ? objects.engineCore.get() : nullptr; }

  // Creates the engine core and runs its start-up. False when either fails; a core that failed
  // its start-up stays for the teardown.
  bool startEngineCore(const CVelmEngine::StartUpServices& services);

  // Reports a fixed text with its values through the error reporter (printf style), or to the
  // debugger output while there is none.
  template <class... Values>
  void report(FixedText text, Values... values) const {
    reportFormatted(fixedText(text), values...);
  }
  // Reports a text literally with a line feed appended.
  void reportLiteral(const char* text) const;

  // ---- State, grouped by concern; every load-time value is the initialiser given here. ----

  // The host as start-up bound it. Counted interfaces are held in Ref; the kernel and VM services
  // are borrowed (the host keeps them alive while the engine runs) and only forgotten at teardown.
  struct Binding {
    std::uint32_t hostProcessId = 0xFFFFFFFFu;
    IHostKernel* hostKernel = nullptr;
    IMainSurface* mainSurface = nullptr;  // borrowed; the engine core keeps its own reference
    Ref<IKOVFileManager> archiveManager;
    Ref<IKOVFile> cgArchiveFile;
    Ref<IDecodeCG> imageDecoder;
    Ref<IImageEncoder> imageEncoder;
    Ref<IGraph3> rasterOperations;
    Ref<ISurfaceFactory> surfaceFactory;
    IInputDevice2* inputDevice = nullptr;
    ITimer* timer = nullptr;
    IWinMsg* windowMessages = nullptr;
    IDrawPluginDrawer* drawPluginDrawer = nullptr;
    Ref<IDrawPluginManager> drawPluginManager;
    IDrawPluginUpdater* drawPluginUpdater = nullptr;
    IMouseWheel* mouseWheel = nullptr;
    IMsgBox* messageBox = nullptr;
    IShutdown* shutdown = nullptr;
    IVM* vm = nullptr;
    IVMDebugger* vmDebugger = nullptr;
    IVMNameTable* vmNameTable = nullptr;
    IVMCallStack* vmCallStack = nullptr;
    IVMGameMsg* gameMessages = nullptr;
    Ref<IVideoMemoryInfo> videoMemory;
    Ref<IKeyState> keyState;
    IResetState* resetState = nullptr;
    bool debugMode = false;
    // Texts taken from the host at start-up for file paths.
    std::string gameName;    // as the host gives it, extension included
    std::string baseName;    // without its last extension
    std::string pathPrefix;  // placed before every file name built from the game name
  };

  // The library's own objects: the core, and the objects the host is handed (each one reference).
  struct LibraryObjects {
    std::unique_ptr<CVelmEngine> engineCore;
    Ref<CAddInvalidateRect> dirtyRectangleSink;
    Ref<CGetSurface> surfaceLookup;
    Ref<CErrorMessage> errorReporter;  // made first by start-up, released late by the teardown
  };

  // The script's frame switches, set through the SYSTEM_ exports at any time.
  struct Switches {
    bool sleepWhileInactive = false;
    bool sleepAboveFrameRate = true;
    bool readingMessageSkip = false;
    bool skipFramesWhileMessageSkip = true;
    bool frameSkipSuppressed = false;
  };

  // The frame pacer: the measuring window, the adaptive sleep and the message-skip counter.
  struct Pacing {
    std::int32_t framesInWindow = 0;
    std::uint32_t windowStartTime = 0;
    std::uint32_t adaptiveSleep = 0;
    std::int32_t skipCounter = 0;
    std::int32_t skipInterval = 10;  // one frame in this many is drawn while messages are skipped
  };

  // Memory figures the diagnostics exports answer.
  struct Diagnostics {
    std::int32_t currentProcessMemory = 0;  // MiB, sampled after each drawn frame in debug mode
    std::int32_t peakProcessMemory = 0;
    std::uint32_t peakVideoMemoryUsed = 0;
  };

  std::int32_t referenceCount = 1;
  Binding binding;
  LibraryObjects objects;
  Switches switches;
  Pacing pacing;
  Diagnostics diagnostics;
  // Whether the engine object has been handed to the host's callback service (at most once).
  bool callbackRegistered = false;

 private:
  std::uint32_t timerNow() const;
  bool skipThisFrame();
  void paceAfterFrame();
  void reportFormatted(const char* format, ...) const;

  bool initialised_ = false;
  bool shutDown_ = false;
};

}  // namespace tamblet
