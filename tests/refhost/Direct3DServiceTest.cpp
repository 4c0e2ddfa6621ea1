// The reference host's Direct3D plug-in service and capture service: the kernel answers both
// (withholdable); registration keeps one reference per plug-in; the frame after the library's
// notice runs Prepare, BeginScene, the baseline and each Draw, EndScene and Present into the main
// surface, with BlitToWindow ignored meanwhile; device loss reaches every plug-in in Direct3D 9's
// order, whether the host finds it in its frame or tests drive it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "host/D3D9.h"
#include "host/Modules.h"
#include "refhost/Host.h"

namespace refhost::testing {
namespace {

using namespace tamblet;
using Journal = std::vector<std::string>;

constexpr std::int32_t kWidth = 16, kHeight = 12;

// The device's frame-level calls (by name) since the last look, into the journal.
void flushDeviceCalls(Journal& journal, ReferenceDevice& device) {
  for (const std::string& call : device.calls())
    for (const std::string name : {"TestCooperativeLevel", "BeginScene", "EndScene", "Present", "Reset"})
      if (call.starts_with(name + "(")) journal.push_back(name);
  device.clearCalls();
}

// A plug-in writing what the host asks of it into the journal (after the device's frame calls so
// far). Draw checks the baseline, then spoils it, so a host that sets it only once is caught, and
// clears its rectangle. It holds a default-pool buffer from OnResetDevice to OnLostDevice.
struct JournalPlugin final : IDXPlugin {
  JournalPlugin(const char* name, Journal& journal, ReferenceDevice& device, D3DRECT area, D3DCOLOR colour)
      : name(name), journal(journal), device(device), area(area), colour(colour) {}

  std::int32_t TAMBLET_HOSTCALL AddRef() override { return ++references; }
  std::int32_t TAMBLET_HOSTCALL Release() override { return --references; }
  bool TAMBLET_HOSTCALL Prepare() override { return note("Prepare"); }
  bool TAMBLET_HOSTCALL Draw() override {
    const std::pair<DWORD, DWORD> kBaseline[] = {{D3DRS_CULLMODE, D3DCULL_NONE},   {D3DRS_BLENDOP, D3DBLENDOP_ADD},
                                                 {D3DRS_TEXTUREFACTOR, ~0u},         {D3DRS_ALPHATESTENABLE, 0},
                                                 {D3DRS_SCISSORTESTENABLE, 0}};
    bool baseline = true;
    DWORD value = 0;
    for (const auto& [state, wanted] : kBaseline)
      baseline &= device.GetRenderState(state, &value) == 0 && value == wanted;
    for (DWORD stage = 1; stage < 8; ++stage)
      for (D3DTEXTURESTAGESTATETYPE type : {D3DTSS_COLOROP, D3DTSS_ALPHAOP})
        baseline &= device.GetTextureStageState(stage, type, &value) == 0 && value == D3DTOP_DISABLE;
    note(baseline ? "Draw" : "Draw without the baseline");
    device.SetRenderState(D3DRS_CULLMODE, 3);
    device.SetRenderState(D3DRS_TEXTUREFACTOR, 0x12345678);
    device.SetTextureStageState(3, D3DTSS_COLOROP, D3DTOP_MODULATE);
    device.Clear(1, &area, D3DCLEAR_TARGET, colour, 1.0f, 0);
    if (loseInDraw) device.loseDevice();
    return true;
  }
  bool TAMBLET_HOSTCALL OnLostDevice() override {
    if (!keepBufferOnLoss) buffer.reset();
    return note("Lost");
  }
  bool TAMBLET_HOSTCALL OnResetDevice() override {
    IDirect3DVertexBuffer9* made = nullptr;
    device.CreateVertexBuffer(112, D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY, 0x144, D3DPOOL_DEFAULT, &made, nullptr);
    buffer = Ref<IDirect3DVertexBuffer9>::adopt(made);
    return note("Reset");
  }
  bool TAMBLET_HOSTCALL Close() override { return note("Close"); }
  bool TAMBLET_HOSTCALL PrepareAgain() override { return true; }
  bool note(const std::string& what) {
    flushDeviceCalls(journal, device);
    journal.push_back(name + "." + what);
    return true;
  }

  std::string name;
  Journal& journal;
  ReferenceDevice& device;
  D3DRECT area;
  D3DCOLOR colour;
  Ref<IDirect3DVertexBuffer9> buffer;
  std::int32_t references = 1;
  bool keepBufferOnLoss = false, loseInDraw = false;
};

class Direct3DServiceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    liveBefore_ = Ledger::liveObjects();
    host_.emplace(kWidth, kHeight);
    service().device().setRecording(true);
    // a fills the screen, b a rectangle over it.
    a_.emplace("a", journal_, service().device(), D3DRECT{0, 0, kWidth, kHeight}, 0xFF102030u);
    b_.emplace("b", journal_, service().device(), D3DRECT{2, 3, 7, 5}, 0x80405060u);
  }
  void TearDown() override {
    service().Unregister(&*a_), service().Unregister(&*b_);
    a_.reset(), b_.reset(), host_.reset();
    EXPECT_EQ(Ledger::liveObjects(), liveBefore_);
  }

  Direct3DService& service() { return host_->kernel().direct3d(); }
  void registerBoth() {
    ASSERT_TRUE(service().Register(&*a_));
    ASSERT_TRUE(service().Register(&*b_));
  }
  // The library's end of a frame: the blit, then the frame notice.
  void libraryFrame() {
    host_->mainSurface().BlitToWindow(0, 0, kWidth, kHeight);
    host_->kernel().window().OnFrameDrawn();
  }
  Journal takeJournal() {
    flushDeviceCalls(journal_, service().device());
    return std::exchange(journal_, {});
  }

  std::optional<Host> host_;
  Journal journal_;
  std::optional<JournalPlugin> a_, b_;
  std::int64_t liveBefore_ = 0;
};

TEST_F(Direct3DServiceTest, KernelAnswersBothServicesAndRegistrationHoldsOneReference) {
  Kernel& kernel = host_->kernel();
  for (const InterfaceId* id : {&kIID_IDirect3DPluginService, &kIID_ICaptureService}) {
    EXPECT_NE(kernel.GetService(id), nullptr);
    kernel.withhold(*id);
    EXPECT_EQ(kernel.GetService(id), nullptr);
    kernel.restore(*id);
  }

  EXPECT_FALSE(service().Register(nullptr));
  // (register or not, plug-in) → references of a and b, plug-ins registered
  const std::tuple<bool, JournalPlugin*, std::int32_t, std::int32_t, std::size_t> steps[] = {
      {true, &*a_, 2, 1, 1}, {true, &*a_, 2, 1, 1}, {false, &*b_, 2, 1, 1},
      {true, &*b_, 2, 2, 2}, {false, &*a_, 1, 2, 1}, {false, &*b_, 1, 1, 0}};
  for (const auto& [registering, plugin, aReferences, bReferences, registered] : steps) {
    EXPECT_TRUE(registering ? service().Register(plugin) : (service().Unregister(plugin), true));
    EXPECT_EQ(a_->references, aReferences);
    EXPECT_EQ(b_->references, bReferences);
    EXPECT_EQ(service().pluginCount(), registered);
  }
}

TEST_F(Direct3DServiceTest, FrameRunsInsideTheNoticeWithTheBaselineAndPresentsIntoTheMainSurface) {
  libraryFrame();  // nothing registered: the blit counts, no Direct3D frame
  EXPECT_EQ(host_->mainSurface().blits().size(), 1u);
  EXPECT_EQ(takeJournal(), Journal{});

  registerBoth();
  libraryFrame();  // the frame's calls in order: DeviceLossReachesEveryPlugInInDirect3DOrder
  EXPECT_EQ(host_->mainSurface().blits().size(), 1u);
  EXPECT_EQ(host_->mainSurface().ignoredBlits(), 1);
  EXPECT_EQ(service().framesPresented(), 1);
  // The capture is the main surface as it stands, copied: b's rectangle over a's fill.
  void* taken = nullptr;
  host_->kernel().capture().GetCapture(1, &taken);
  EXPECT_EQ(taken, nullptr);
  host_->kernel().capture().GetCapture(0, &taken);
  ASSERT_NE(taken, nullptr);
  std::vector<std::uint32_t> expected(kWidth * kHeight, 0xFF102030u);
  for (std::int32_t y = 3; y < 5; ++y) std::fill_n(&expected[y * kWidth + 2], 5, 0x80405060u);
  EXPECT_EQ(static_cast<const Capture*>(taken)->pixels, expected);
  EXPECT_EQ(std::memcmp(host_->mainSurface().GetPixelAddress(0, 0), expected.data(), 4 * kWidth), 0);

  service().Unregister(&*a_);
  service().Unregister(&*b_);
  libraryFrame();
  EXPECT_EQ(host_->mainSurface().blits().size(), 2u);
  EXPECT_EQ(service().framesPresented(), 1);
}

// How the device goes and comes back, and what the plug-ins and the device hear, in order.
enum class Event { Frame, HostLoses, HostResets, DeviceLoses, DeviceRestored, BLetsGo, LoseInADraw };

Journal joined(std::initializer_list<Journal> parts) {
  Journal all;
  for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

TEST_F(Direct3DServiceTest, DeviceLossReachesEveryPlugInInDirect3DOrder) {
  using E = Event;
  const Journal frame = {"TestCooperativeLevel", "a.Prepare", "b.Prepare", "BeginScene",
                         "a.Draw",               "b.Draw",    "EndScene",  "Present"};
  const Journal afterTest(frame.begin() + 1, frame.end()), tested = {"TestCooperativeLevel"};
  const Journal lost = {"a.Lost", "b.Lost"}, reset = {"Reset", "a.Reset", "b.Reset"};
  const struct {
    const char* name;
    bool bKeepsBuffer;
    std::vector<Event> events;
    Journal journal;
    std::int32_t presented, skipped;
  } cases[] = {
      {"the host's hooks", false, {E::Frame, E::HostLoses, E::Frame, E::HostResets, E::Frame},
       joined({frame, lost, tested, reset, frame}), 2, 1},
      {"found by the frame", false, {E::Frame, E::DeviceLoses, E::Frame, E::Frame, E::DeviceRestored, E::Frame},
       joined({frame, tested, lost, tested, tested, reset, afterTest}), 2, 2},
      {"a default-pool buffer outlives the loss", true, {E::HostLoses, E::HostResets, E::Frame, E::BLetsGo, E::Frame},
       joined({lost, {"Reset"}, tested, {"Reset"}, tested, reset, afterTest}), 1, 1},
      {"lost inside a draw", false, {E::LoseInADraw, E::Frame}, joined({frame, lost, tested}), 0, 2},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.name);
    TearDown();
    SetUp();
    registerBoth();
    b_->keepBufferOnLoss = test.bKeepsBuffer;
    a_->OnResetDevice();  // each plug-in holds a default-pool buffer, as a view does
    b_->OnResetDevice();
    takeJournal();
    for (Event event : test.events) {
      switch (event) {
        case E::Frame: libraryFrame(); break;
        case E::HostLoses: service().loseDevice(); break;
        case E::HostResets: service().resetDevice(); break;
        case E::DeviceLoses: service().device().loseDevice(); break;
        case E::DeviceRestored: service().device().restoreDevice(); break;
        case E::BLetsGo: b_->buffer.reset(); break;
        case E::LoseInADraw: a_->loseInDraw = true, libraryFrame(), a_->loseInDraw = false; break;
      }
    }
    EXPECT_EQ(takeJournal(), test.journal);
    EXPECT_EQ(service().framesPresented(), test.presented);
    EXPECT_EQ(service().framesSkipped(), test.skipped);
  }
}

}  // namespace
}  // namespace refhost::testing
