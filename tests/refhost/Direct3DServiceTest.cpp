// The reference host's Direct3D plug-in service and capture service: the kernel answers both
// (withholdable); registration keeps one reference per plug-in; the frame after the library's
// notice runs Prepare, BeginScene, the baseline and each Draw, EndScene and Present into the main
// surface, with BlitToWindow ignored meanwhile; device loss reaches every plug-in in Direct3D 9's
// order, whether the host finds it in its frame or tests drive it.
#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "host/D3D9.h"
#include "host/Modules.h"
#include "refhost/Host.h"
#include "refhost/Ledger.h"

namespace refhost::testing {
namespace {

using namespace tamblet;

constexpr std::int32_t kWidth = 16, kHeight = 12;

// A plug-in writing what the host asks of it into a shared journal, together with the device's
// frame calls made since its last entry. Its Draw checks the baseline state, then spoils it (so a
// host that forgets the baseline for the next plug-in is caught) and clears its own rectangle.
class JournalPlugin final : public IDXPlugin {
 public:
  JournalPlugin(std::string name, std::vector<std::string>& journal, ReferenceDevice& device, D3DRECT area,
                D3DCOLOR colour)
      : name_(std::move(name)), journal_(journal), device_(device), area_(area), colour_(colour) {}

  std::int32_t TAMBLET_HOSTCALL AddRef() override { return ++references; }
  std::int32_t TAMBLET_HOSTCALL Release() override { return --references; }
  bool TAMBLET_HOSTCALL Prepare() override { return note("Prepare"); }
  bool TAMBLET_HOSTCALL Draw() override {
    note(baselineHolds() ? "Draw" : "Draw without the baseline");
    device_.SetRenderState(D3DRS_CULLMODE, 3);
    device_.SetRenderState(D3DRS_TEXTUREFACTOR, 0x12345678);
    device_.SetRenderState(D3DRS_SCISSORTESTENABLE, 1);
    device_.SetTextureStageState(3, D3DTSS_COLOROP, D3DTOP_MODULATE);
    device_.Clear(1, &area_, D3DCLEAR_TARGET, colour_, 1.0f, 0);
    if (loseInDraw) device_.loseDevice();
    return true;
  }
  bool TAMBLET_HOSTCALL OnLostDevice() override {
    if (!keepBufferOnLoss) buffer_.reset();
    return note("Lost");
  }
  bool TAMBLET_HOSTCALL OnResetDevice() override {
    IDirect3DVertexBuffer9* buffer = nullptr;
    device_.CreateVertexBuffer(28 * 4, D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY, 0x144, D3DPOOL_DEFAULT, &buffer, nullptr);
    buffer_ = Ref<IDirect3DVertexBuffer9>::adopt(buffer);
    return note("Reset");
  }
  bool TAMBLET_HOSTCALL Close() override { return note("Close"); }
  bool TAMBLET_HOSTCALL PrepareAgain() override { return true; }

  void releaseBuffer() { buffer_.reset(); }

  std::int32_t references = 1;
  bool keepBufferOnLoss = false;
  bool loseInDraw = false;

 private:
  bool note(const std::string& what) {
    flushDeviceCalls(journal_, device_);
    journal_.push_back(name_ + "." + what);
    return true;
  }
  bool baselineHolds() {
    DWORD value = 0;
    const std::pair<D3DRENDERSTATETYPE, DWORD> states[] = {
        {D3DRS_CULLMODE, D3DCULL_NONE}, {D3DRS_BLENDOP, D3DBLENDOP_ADD}, {D3DRS_TEXTUREFACTOR, 0xFFFFFFFF},
        {D3DRS_ALPHATESTENABLE, 0},     {D3DRS_SCISSORTESTENABLE, 0}};
    for (const auto& [state, expected] : states) {
      if (!succeeded(device_.GetRenderState(state, &value)) || value != expected) return false;
    }
    for (DWORD stage = 1; stage < 8; ++stage) {
      if (!succeeded(device_.GetTextureStageState(stage, D3DTSS_COLOROP, &value)) || value != D3DTOP_DISABLE) return false;
    }
    return true;
  }

 public:
  // The device's frame-level calls (by name) since the last look, into the journal.
  static void flushDeviceCalls(std::vector<std::string>& journal, ReferenceDevice& device) {
    for (const std::string& call : device.calls()) {
      const std::string name = call.substr(0, call.find('('));
      for (const char* frameCall : {"TestCooperativeLevel", "BeginScene", "EndScene", "Present", "Reset"}) {
        if (name == frameCall) journal.push_back(name);
      }
    }
    device.clearCalls();
  }

 private:
  std::string name_;
  std::vector<std::string>& journal_;
  ReferenceDevice& device_;
  D3DRECT area_;
  D3DCOLOR colour_;
  Ref<IDirect3DVertexBuffer9> buffer_;
};

class Direct3DServiceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    liveBefore_ = Ledger::liveObjects();
    host_.emplace(kWidth, kHeight);
    service().device().setRecording(true);
  }
  void TearDown() override {
    a_.reset();
    b_.reset();
    host_.reset();
    EXPECT_EQ(Ledger::liveObjects(), liveBefore_);
  }

  Direct3DService& service() { return host_->kernel().direct3d(); }
  ReferenceDevice& device() { return service().device(); }
  // Two plug-ins: a fills the screen, b a rectangle over it.
  void makePlugins() {
    a_.emplace("a", journal_, device(), D3DRECT{0, 0, kWidth, kHeight}, 0xFF102030u);
    b_.emplace("b", journal_, device(), D3DRECT{2, 3, 7, 5}, 0x80405060u);
  }
  // The library's end of a frame: the blit, then the frame notice.
  void libraryFrame() {
    host_->mainSurface().BlitToWindow(0, 0, kWidth, kHeight);
    host_->kernel().window().OnFrameDrawn();
    JournalPlugin::flushDeviceCalls(journal_, device());
  }
  std::vector<std::string> takeJournal() { return std::exchange(journal_, {}); }

  std::optional<Host> host_;
  std::optional<JournalPlugin> a_, b_;
  std::vector<std::string> journal_;
  std::int64_t liveBefore_ = 0;
};

TEST_F(Direct3DServiceTest, KernelAnswersBothServicesUnlessWithheldAndRegistrationHoldsOneReference) {
  Kernel& kernel = host_->kernel();
  EXPECT_EQ(kernel.GetService(&kIID_IDirect3DPluginService), static_cast<IDirect3DPluginService*>(&service()));
  EXPECT_EQ(kernel.GetService(&kIID_ICaptureService), static_cast<ICaptureService*>(&kernel.capture()));
  for (const InterfaceId* id : {&kIID_IDirect3DPluginService, &kIID_ICaptureService}) {
    kernel.withhold(*id);
    EXPECT_EQ(kernel.GetService(id), nullptr);
    kernel.restore(*id);
  }

  makePlugins();
  const std::int32_t deviceReferences = device().referenceCount();
  IDirect3DDevice9* handed = service().GetDevice();
  EXPECT_EQ(handed, &device());
  EXPECT_EQ(device().referenceCount(), deviceReferences + 1);
  handed->Release();

  EXPECT_FALSE(service().Register(nullptr));
  // (action, plug-in, expected references of a and b, registered count, blits ignored)
  struct Step {
    bool registering;
    JournalPlugin* plugin;
    std::int32_t aReferences, bReferences;
    std::size_t registered;
  };
  const Step steps[] = {{true, &*a_, 2, 1, 1},   {true, &*a_, 2, 1, 1},    {false, &*b_, 2, 1, 1},
                        {true, &*b_, 2, 2, 2},   {false, &*a_, 1, 2, 1},   {false, &*b_, 1, 1, 0}};
  for (const Step& step : steps) {
    if (step.registering) {
      EXPECT_TRUE(service().Register(step.plugin));
    } else {
      service().Unregister(step.plugin);
    }
    EXPECT_EQ(a_->references, step.aReferences);
    EXPECT_EQ(b_->references, step.bReferences);
    EXPECT_EQ(service().pluginCount(), step.registered);
  }
  EXPECT_EQ(device().referenceCount(), deviceReferences);
}

TEST_F(Direct3DServiceTest, FrameRunsInsideTheNoticeWithTheBaselineAndPresentsIntoTheMainSurface) {
  makePlugins();
  libraryFrame();  // nothing registered: the blit counts, no Direct3D frame
  EXPECT_EQ(host_->mainSurface().blits().size(), 1u);
  EXPECT_EQ(takeJournal(), std::vector<std::string>{});

  ASSERT_TRUE(service().Register(&*a_));
  ASSERT_TRUE(service().Register(&*b_));
  libraryFrame();
  EXPECT_EQ(takeJournal(), (std::vector<std::string>{"TestCooperativeLevel", "a.Prepare", "b.Prepare", "BeginScene",
                                                     "a.Draw", "b.Draw", "EndScene", "Present"}));
  EXPECT_EQ(host_->mainSurface().blits().size(), 1u);
  EXPECT_EQ(host_->mainSurface().ignoredBlits(), 1);
  EXPECT_EQ(service().framesPresented(), 1);
  for (std::int32_t y = 0; y < kHeight; ++y) {
    for (std::int32_t x = 0; x < kWidth; ++x) {
      const std::uint8_t* pixel = host_->mainSurface().GetPixelAddress(x, y);
      const std::uint32_t word = pixel[0] | pixel[1] << 8 | pixel[2] << 16 | std::uint32_t{pixel[3]} << 24;
      ASSERT_EQ(word, x >= 2 && x < 7 && y >= 3 && y < 5 ? 0x80405060u : 0xFF102030u) << x << ", " << y;
    }
  }
  service().Unregister(&*a_);
  service().Unregister(&*b_);
  libraryFrame();
  EXPECT_EQ(host_->mainSurface().blits().size(), 2u);
  EXPECT_EQ(service().framesPresented(), 1);
}

// How the device goes and comes back, and what the plug-ins and the device hear, in order.
enum class Event { Frame, HostLoses, HostResets, DeviceLoses, DeviceRestored, BLetsGo, LoseInADraw };

struct LossCase {
  const char* name;
  bool bKeepsBuffer;
  std::vector<Event> events;
  std::vector<std::string> journal;
  std::int32_t presented, skipped;
};

const std::vector<std::string> kFrame = {"TestCooperativeLevel", "a.Prepare", "b.Prepare", "BeginScene",
                                         "a.Draw",               "b.Draw",    "EndScene",  "Present"};

std::vector<std::string> joined(std::initializer_list<std::vector<std::string>> parts) {
  std::vector<std::string> all;
  for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

TEST_F(Direct3DServiceTest, DeviceLossReachesEveryPlugInInDirect3DOrder) {
  using E = Event;
  const std::vector<std::string> skipped = {"TestCooperativeLevel"};
  const std::vector<std::string> reset = {"Reset", "a.Reset", "b.Reset"};
  const std::vector<std::string> lost = {"a.Lost", "b.Lost"};
  const LossCase cases[] = {
      {"the host's hooks", false, {E::Frame, E::HostLoses, E::Frame, E::HostResets, E::Frame},
       joined({kFrame, lost, skipped, reset, kFrame}), 2, 1},
      {"found by the frame", false,
       {E::Frame, E::DeviceLoses, E::Frame, E::Frame, E::DeviceRestored, E::Frame},
       joined({kFrame, skipped, lost, skipped, skipped, reset, std::vector<std::string>(kFrame.begin() + 1, kFrame.end())}),
       2, 2},
      {"a default-pool buffer outlives the loss", true,
       {E::HostLoses, E::HostResets, E::Frame, E::BLetsGo, E::Frame},
       joined({lost, {"Reset"}, skipped, {"Reset"}, {"TestCooperativeLevel", "Reset", "a.Reset", "b.Reset"},
               std::vector<std::string>(kFrame.begin() + 1, kFrame.end())}),
       1, 1},
      {"lost inside a draw", false, {E::LoseInADraw, E::Frame},
       joined({kFrame, lost, skipped}), 0, 2},
  };
  for (const LossCase& test : cases) {
    SCOPED_TRACE(test.name);
    TearDown();
    SetUp();
    makePlugins();
    b_->keepBufferOnLoss = test.bKeepsBuffer;
    ASSERT_TRUE(service().Register(&*a_));
    ASSERT_TRUE(service().Register(&*b_));
    a_->OnResetDevice();  // each plug-in holds a default-pool buffer, as a view does
    b_->OnResetDevice();
    takeJournal();
    for (Event event : test.events) {
      switch (event) {
        case E::Frame: libraryFrame(); break;
        case E::HostLoses: service().loseDevice(); break;
        case E::HostResets: service().resetDevice(); break;
        case E::DeviceLoses: device().loseDevice(); break;
        case E::DeviceRestored: device().restoreDevice(); break;
        case E::BLetsGo: b_->releaseBuffer(); break;
        case E::LoseInADraw: a_->loseInDraw = true; libraryFrame(); a_->loseInDraw = false; break;
      }
      JournalPlugin::flushDeviceCalls(journal_, device());
    }
    EXPECT_EQ(takeJournal(), test.journal);
    EXPECT_EQ(service().framesPresented(), test.presented);
    EXPECT_EQ(service().framesSkipped(), test.skipped);
    service().Unregister(&*a_);
    service().Unregister(&*b_);
  }
}

TEST_F(Direct3DServiceTest, CaptureIsASnapshotOfTheMainSurface) {
  std::mt19937 random(14);
  MainSurface& main = host_->mainSurface();
  for (std::int32_t y = 0; y < kHeight; ++y)
    for (std::int32_t x = 0; x < kWidth * 4; ++x) main.GetPixelAddress(0, y)[x] = static_cast<std::uint8_t>(random());
  CaptureService& capture = host_->kernel().capture();
  void* taken = nullptr;
  capture.GetCapture(1, &taken);
  EXPECT_EQ(taken, nullptr);
  capture.GetCapture(0, nullptr);
  capture.GetCapture(0, &taken);
  ASSERT_NE(taken, nullptr);
  const auto* snapshot = static_cast<const Capture*>(taken);
  ASSERT_EQ(snapshot->width, kWidth);
  ASSERT_EQ(snapshot->height, kHeight);
  main.GetPixelAddress(0, 0)[0] ^= 0xFF;  // later drawing does not reach the snapshot
  main.GetPixelAddress(0, 0)[0] ^= 0xFF;
  for (std::int32_t y = 0; y < kHeight; ++y) {
    EXPECT_EQ(std::memcmp(&snapshot->pixels[static_cast<std::size_t>(y * kWidth)], main.GetPixelAddress(0, y), kWidth * 4), 0);
  }
}

}  // namespace
}  // namespace refhost::testing
