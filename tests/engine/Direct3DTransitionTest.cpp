// Transitions in mode 1 against a logging Direct3D transition object put in SceneWipe.dll's place:
// the slots the engine calls and their order for begin, a transition frame, device loss and reset,
// and the end; each begin of a picture paired with its end even when the store draw fails; a
// failed set-up or a missing object leaves the view mode as it was.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/engine/EngineFixture.h"

namespace tamblet::testing {
namespace {

class LoggingTransition final : public IDirect3DTransition {
 public:
  std::int32_t TAMBLET_HOSTCALL AddRef() override { return ++references; }
  std::int32_t TAMBLET_HOSTCALL Release() override { return log.push_back("1 release"), --references; }
  void TAMBLET_HOSTCALL SetDevice(IDirect3DDevice9* d) override { log.push_back(d ? "2 set device" : "2 null"); }
  bool TAMBLET_HOSTCALL SetUp(std::int32_t w, std::int32_t h, void* capture) override {
    log.push_back("3 set up " + std::to_string(w) + " x " + std::to_string(h) + (capture ? " capture" : " null"));
    return setUpAnswer;
  }
  bool TAMBLET_HOSTCALL Begin(std::int32_t n) override {
    return log.push_back("4 begin " + std::to_string(n)), running = true;
  }
  bool TAMBLET_HOSTCALL End() override { return log.push_back("5 end"), !(running = false); }
  bool TAMBLET_HOSTCALL BeginNewPicture() override { return log.push_back("6 begin new"), true; }
  bool TAMBLET_HOSTCALL EndNewPicture() override { return log.push_back("7 end new"), true; }
  bool TAMBLET_HOSTCALL BeginOldPicture() override { return log.push_back("8 begin old"), true; }
  bool TAMBLET_HOSTCALL EndOldPicture() override { return log.push_back("9 end old"), true; }
  bool TAMBLET_HOSTCALL Compose() override { return log.push_back("10 compose"), true; }
  bool TAMBLET_HOSTCALL IsRunning() override { return log.push_back("11 running"), running; }
  void TAMBLET_HOSTCALL SetProgress(float p) override { log.push_back("12 progress " + std::to_string(p)); }
  bool TAMBLET_HOSTCALL OnLostDevice() override { return log.push_back("13 lost"), true; }
  bool TAMBLET_HOSTCALL OnResetDevice() override { return log.push_back("14 reset"), true; }

  std::vector<std::string> take() { return std::exchange(log, {}); }
  std::vector<std::string> log;
  std::int32_t references = 1;
  bool running = false;
  bool setUpAnswer = true;
};

LoggingTransition* current = nullptr;

void* createTransition(const InterfaceId* id) {
  if (!current || *id != kIID_IDirect3DTransition) return nullptr;
  current->AddRef();
  return static_cast<IDirect3DTransition*>(current);
}

class Direct3DTransition : public EngineFixture {
 protected:
  void SetUp() override {
    EngineFixture::SetUp();
    current = &transition;
    resolver().addSymbol(kModuleSceneWipe, kCreateInterfaceSymbol, reinterpret_cast<void*>(&createTransition));
    ASSERT_EQ(VIEW_SetMode(1), 1);
    ASSERT_EQ(SP_Create(1, 8, 8, 10, 20, 30, 255), 1);
    ASSERT_EQ(Update(), 1);
    transition.take();
  }
  void TearDown() override {
    EngineFixture::TearDown();
    EXPECT_EQ(transition.references, 1);
    current = nullptr;
  }
  LoggingTransition transition;
  CapturingMessageSink messages;
};

TEST_F(Direct3DTransition, SlotOrderThroughATransitionADeviceLossAndWithoutTheObject) {
  using Log = std::vector<std::string>;
  ASSERT_EQ(TRANS_Begin(3), 1);
  EXPECT_EQ(transition.take(), (Log{"2 set device", "3 set up 640 x 480 capture", "4 begin 3"}));
  ASSERT_EQ(TRANS_Update(0.5f), 1);
  EXPECT_EQ(transition.take(), (Log{"11 running", "12 progress 0.500000", "11 running", "8 begin old", "9 end old",
                                    "6 begin new", "7 end new", "10 compose"}));
  // A failed draw of the old picture still ends it, and the frame goes no further.
  host().kernel().direct3d().device().failCall("DrawPrimitive", 1);
  EXPECT_EQ(TRANS_Update(0.75f), 1);  // the library's part succeeded; the host's frame reports
  EXPECT_EQ(transition.take(), (Log{"11 running", "12 progress 0.750000", "11 running", "8 begin old", "9 end old"}));
  ASSERT_TRUE(host().kernel().direct3d().simulateDeviceLoss());
  EXPECT_EQ(transition.take(), (Log{"13 lost", "2 set device", "14 reset"}));
  ASSERT_EQ(TRANS_End(), 1);
  EXPECT_EQ(transition.take(), (Log{"5 end", "11 running", "11 running"}));
  ASSERT_EQ(VIEW_SetMode(0), 1);
  EXPECT_EQ(transition.take(), (Log{"1 release"}));
  // Without SceneWipe.dll's object mode 1 cannot be entered again, and the mode stays.
  current = nullptr;
  EXPECT_EQ(VIEW_SetMode(1), 0);
  EXPECT_EQ(VIEW_GetMode(), 0);
  EXPECT_EQ(host().kernel().direct3d().pluginCount(), 0u);
  current = &transition;
}

TEST_F(Direct3DTransition, AFailedSetUpReportsItsText) {
  transition.setUpAnswer = false;
  EXPECT_EQ(TRANS_Begin(9), 0);
  EXPECT_EQ(TRANS_End(), 1);
  std::string begin = fixedText(FixedText::kTransitionBeginFailed);
  EXPECT_EQ(takeErrors(), std::vector<std::string>{begin.replace(begin.find("%d"), 2, "9")});
}

}  // namespace
}  // namespace tamblet::testing
