// The engine object: its two slots, the teardown that nulls every field it releases, and the
// engine-family exports once the object holds an error reporter and a main surface.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/CErrorMessage.h"
#include "engine/CVELM.h"
#include "engine/Exports.h"
#include "tests/support/VTable.h"

namespace tamblet {
namespace {

using testing::callSlot;

class RecordingSink final : public IVMErrorSink {
 public:
  void RaiseError(const char* text) override { texts.emplace_back(text ? text : "(null)"); }
  std::vector<std::string> texts;
};

class VMWithSink final : public IVM {
 public:
  void UnusedSlot0() override {}
  void UnusedSlot1() override {}
  void UnusedSlot2() override {}
  void UnusedSlot3() override {}
  void* GetService(const InterfaceId* id) override {
    return id && *id == kIID_IVMErrorSink ? static_cast<IVMErrorSink*>(&sink) : nullptr;
  }
  RecordingSink sink;
};

class CountedScreen final : public IMainSurface {
 public:
  std::int32_t AddRef() override { return ++references; }
  std::int32_t Release() override { return --references; }
  std::uint8_t* GetPixelAddress(std::int32_t, std::int32_t) override { return nullptr; }
  std::uint8_t* GetAMapAddress(std::int32_t, std::int32_t) override { return nullptr; }
  std::int32_t GetWidth() override { return 1280; }
  std::int32_t GetHeight() override { return 720; }
  std::int32_t GetBpp() override { return 32; }
  std::int32_t GetPitch() override { return 1280 * 4; }
  std::int32_t GetAMapPitch() override { return 0; }
  bool HasPixel() override { return true; }
  bool HasAMap() override { return false; }
  void BlitToWindow(std::int32_t, std::int32_t, std::int32_t, std::int32_t) override {}
  int references = 1;
};

class StringValue final : public IString {
 public:
  explicit StringValue(const char* text) : text_(text) {}
  const char* GetText() override { return text_.c_str(); }
  void SetText(const char* text) override { text_ = text ? text : ""; }

 private:
  std::string text_;
};

// Binds the engine object to fakes the way start-up leaves it, and tears it down afterwards.
class BoundEngineObject : public ::testing::Test {
 protected:
  void SetUp() override {
    CVELM& engine = CVELM::instance();
    engine.errorReporter = CErrorMessage::create();
    engine.errorReporter->SetInterfaces(&vm, nullptr, nullptr, nullptr, nullptr, nullptr);
    engine.mainSurface = &screen;
    engine.markInitialised();
  }
  void TearDown() override { CVELM::instance().teardown(); }

  VMWithSink vm;
  CountedScreen screen;
};

TEST(EngineObject, SlotsCountReferencesAndStartValuesHold) {
  CVELM& engine = CVELM::instance();
  EXPECT_EQ(engine.referenceCount, 1);
  EXPECT_EQ(callSlot<std::int32_t>(&engine, 0), 2);
  EXPECT_EQ(callSlot<std::int32_t>(&engine, 1), 1);
  EXPECT_FALSE(engine.isInitialised());
  EXPECT_EQ(engine.hostProcessId, 0xFFFFFFFFu);
  EXPECT_TRUE(engine.sleepAboveFrameRate);
  EXPECT_TRUE(engine.skipFramesWhileMessageSkip);
  EXPECT_FALSE(engine.sleepWhileInactive || engine.readingMessageSkip || engine.frameSkipSuppressed);
  EXPECT_EQ(engine.skipInterval, 10);
}

TEST_F(BoundEngineObject, ScreenSizeComesFromTheMainSurface) {
  EXPECT_EQ(GetScreenWidth(), 1280);
  EXPECT_EQ(GetScreenHeight(), 720);
  CVELM::instance().teardown();
  EXPECT_EQ(GetScreenWidth(), 0);
  EXPECT_EQ(CVELM::instance().mainSurface, nullptr);
}

TEST_F(BoundEngineObject, GetInterfaceHandsOutTheErrorReporterWithOneReference) {
  IInterface* reporter = GetInterface(&kIID_IVelmErrorMessage);
  ASSERT_EQ(reporter, static_cast<IInterface*>(CVELM::instance().errorReporter));
  EXPECT_EQ(reporter->AddRef(), 3);  // the engine's, the one just handed out, this one
  EXPECT_EQ(reporter->Release(), 2);
  EXPECT_EQ(reporter->Release(), 1);

  // An unknown id changes no reference count.
  EXPECT_EQ(GetInterface(&kIID_IGraph3), nullptr);
  EXPECT_EQ(reporter->AddRef(), 2);
  EXPECT_EQ(reporter->Release(), 1);
}

TEST_F(BoundEngineObject, ErrorRaisesTheTextLiterallyWithALineFeed) {
  StringValue percent("100%");
  Error(&percent);
  StringValue conversions("%s %d %05d");
  Error(&conversions);
  Error(nullptr);
  EXPECT_EQ(vm.sink.texts, (std::vector<std::string>{"100%\n", "%s %d %05d\n", "\n"}));
}

}  // namespace
}  // namespace tamblet
