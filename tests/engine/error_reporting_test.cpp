// The error reporter through its virtual table and its three ways out (VM sink, message box when
// there is no VM or no sink, debugger line), and the message-box reporter's caption and style.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine/CErrorMessage.h"
#include "host/FixedTexts.h"
#include "platform/MessageBoxReporter.h"
#include "host/EngineObjects.h"
#include "tests/engine/CapturingMessageSink.h"
#include "tests/support/VTable.h"

namespace tamblet {
namespace {

using platform::MessageBoxStyle;
using testing::callSlot;
using testing::CapturingMessageSink;

const std::string kWithoutVmLine =
    "\x81\xAC"
    "ERROR\x81\xAC m_pIVM=NULL @ CErrorMessage::Open @ VELM2\n";
const std::string kWithoutFormatLine =
    "\x81\xAC"
    "ERROR\x81\xAC format=NULL @ CErrorMessage::Open @ VELM2\n";

class FakeErrorSink final : public IVMErrorSink {
 public:
  void RaiseError(const char* text) override { texts.emplace_back(text); }
  std::vector<std::string> texts;
};

class FakeVM final : public IVM {
 public:
  explicit FakeVM(IVMErrorSink* sink) : sink_(sink) {}
  void UnusedSlot0() override { ADD_FAILURE(); }
  void UnusedSlot1() override { ADD_FAILURE(); }
  void UnusedSlot2() override { ADD_FAILURE(); }
  void UnusedSlot3() override { ADD_FAILURE(); }
  void* GetService(const InterfaceId* id) override {
    ++serviceRequests;
    return id && *id == kIID_IVMErrorSink ? sink_ : nullptr;
  }
  int serviceRequests = 0;

 private:
  IVMErrorSink* sink_;
};

// The reporter's fields as a host compiled apart from us would lay them out.
struct ReporterLayout {
  void* virtualTable;
  std::int32_t referenceCount;
  void* interfaces[6];
};

ReporterLayout layoutOf(const CErrorMessage* reporter) {
  static_assert(sizeof(CErrorMessage) == sizeof(ReporterLayout));
  ReporterLayout layout;
  std::memcpy(&layout, static_cast<const void*>(reporter), sizeof layout);
  return layout;
}

TEST(CErrorMessage, SlotsCountAndStoredInterfaces) {
  CErrorMessage* reporter = CErrorMessage::create();
  ASSERT_NE(reporter, nullptr);
  EXPECT_EQ(layoutOf(reporter).referenceCount, 1);
  EXPECT_EQ(callSlot<std::int32_t>(reporter, 0), 2);
  EXPECT_EQ(callSlot<std::int32_t>(reporter, 0), 3);
  EXPECT_EQ(callSlot<std::int32_t>(reporter, 1), 2);

  int fakes[6];
  callSlot<void>(reporter, 3, &fakes[0], &fakes[1], &fakes[2], &fakes[3], &fakes[4], &fakes[5]);
  const ReporterLayout layout = layoutOf(reporter);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(layout.interfaces[i], &fakes[i]) << "field " << i;

  // Destruct without bit 0 forgets the interfaces and keeps the object.
  callSlot<void>(reporter, 4, 0u);
  for (void* stored : layoutOf(reporter).interfaces) EXPECT_EQ(stored, nullptr);
  EXPECT_EQ(reporter->Release(), 1);
  // The last Release frees it (the leak checker of the sanitised build sees it otherwise).
  EXPECT_EQ(callSlot<std::int32_t>(reporter, 1), 0);

  CErrorMessage* other = CErrorMessage::create();
  ASSERT_NE(other, nullptr);
  callSlot<void>(other, 4, 1u);  // Destruct with bit 0 frees
}

TEST(CErrorMessage, WithoutVmShowsSystemMessageBox) {
  CapturingMessageSink messages;
  CErrorMessage* reporter = CErrorMessage::create();
  IErrorMessage* asHost = reporter;

  EXPECT_EQ(asHost->Open(nullptr), 0);
  EXPECT_EQ(messages.debugLines, std::vector<std::string>{kWithoutFormatLine});
  EXPECT_TRUE(messages.boxes.empty());

  messages.debugLines.clear();
  EXPECT_EQ(asHost->Open(fixedText(FixedText::kSpCreatePixelOnlySizeError), 3, 0, -7), 0);
  EXPECT_EQ(messages.debugLines, std::vector<std::string>{kWithoutVmLine});
  ASSERT_EQ(messages.boxes.size(), 1u);
  EXPECT_EQ(messages.boxes[0].text,
            "SP_CreatePixelOnly\n\x83\x54\x83\x43\x83\x59\x8E\x77\x92\xE8\x83\x47\x83\x89\x81\x5B\n"
            "nSP     = 3\nnWidth  = 0\nnHeight = -7\n");
  EXPECT_EQ(messages.boxes[0].caption, "");
  EXPECT_EQ(messages.boxes[0].style, MessageBoxStyle::kSystemError);
  reporter->Release();
}

TEST(CErrorMessage, WithVmRaisesThroughErrorSink) {
  CapturingMessageSink messages;
  FakeErrorSink sink;
  FakeVM vm(&sink);
  CErrorMessage* reporter = CErrorMessage::create();
  reporter->SetInterfaces(&vm, nullptr, nullptr, nullptr, nullptr, nullptr);
  IErrorMessage* asHost = reporter;

  EXPECT_EQ(asHost->Open(fixedText(FixedText::kSpSetBlendRateBadArgument), 1, 256), 0);
  EXPECT_EQ(asHost->Open("%s", std::string(20000, 'x').c_str()), 0);
  reporter->reportLiteral("100%");
  reporter->reportLiteral("%s%d");
  reporter->reportLiteral(nullptr);
  reporter->reportLiteral(std::string(16382, 'y').c_str());
  reporter->reportLiteral(std::string(20000, 'z').c_str());

  ASSERT_EQ(sink.texts.size(), 7u);
  EXPECT_EQ(sink.texts[0], "SP_SetBlendRate\nnSP=1\nnBlendRate=256");
  EXPECT_EQ(sink.texts[1], std::string(16383, 'x'));
  EXPECT_EQ(sink.texts[2], "100%\n");
  EXPECT_EQ(sink.texts[3], "%s%d\n");
  EXPECT_EQ(sink.texts[4], "\n");
  EXPECT_EQ(sink.texts[5], std::string(16382, 'y') + "\n");
  EXPECT_EQ(sink.texts[6], std::string(16383, 'z'));  // the line feed falls beyond the cut
  EXPECT_EQ(vm.serviceRequests, 7);
  EXPECT_TRUE(messages.debugLines.empty());
  EXPECT_TRUE(messages.boxes.empty());

  // Null format still only writes the debugger line, even with a VM.
  EXPECT_EQ(asHost->Open(nullptr), 0);
  EXPECT_EQ(messages.debugLines, std::vector<std::string>{kWithoutFormatLine});
  EXPECT_EQ(sink.texts.size(), 7u);
  reporter->Release();
}

TEST(CErrorMessage, VmWithoutErrorSinkFallsBackToMessageBox) {
  CapturingMessageSink messages;
  FakeVM vm(nullptr);
  CErrorMessage* reporter = CErrorMessage::create();
  reporter->SetInterfaces(&vm, nullptr, nullptr, nullptr, nullptr, nullptr);

  reporter->reportLiteral(fixedText(FixedText::kSpEnumArrayNotInt));
  EXPECT_EQ(vm.serviceRequests, 1);
  ASSERT_EQ(messages.boxes.size(), 1u);
  EXPECT_EQ(messages.boxes[0].text, std::string(fixedText(FixedText::kSpEnumArrayNotInt)) + "\n");
  EXPECT_EQ(messages.boxes[0].caption, "");
  EXPECT_EQ(messages.boxes[0].style, MessageBoxStyle::kSystemError);
  EXPECT_TRUE(messages.debugLines.empty());
  reporter->Release();
}

TEST(MessageBoxReporter, CaptionStyleAndCut) {
  CapturingMessageSink messages;
  EXPECT_FALSE(platform::reportMessageBox(fixedText(FixedText::kD3DTextureCreateFailed), 2048, 512));
  EXPECT_FALSE(platform::reportMessageBox("%s", std::string(20000, 'w').c_str()));
  EXPECT_FALSE(platform::reportMessageBox(nullptr));

  ASSERT_EQ(messages.boxes.size(), 2u);
  EXPECT_EQ(messages.boxes[0].text,
            "Direct3D\x83\x65\x83\x4E\x83\x58\x83\x60\x83\x83\x82\xCC\x90\xB6\x90\xAC\x82\xC9\x8E\xB8\x94\x73"
            "\x82\xB5\x82\xDC\x82\xB5\x82\xBD\n(2048 x 512)");
  EXPECT_EQ(messages.boxes[0].caption, "WendleSpriteEngine.dll");
  EXPECT_EQ(messages.boxes[0].style, MessageBoxStyle::kForegroundTopmost);
  EXPECT_EQ(messages.boxes[1].text, std::string(16383, 'w'));
  EXPECT_TRUE(messages.debugLines.empty());
}

}  // namespace
}  // namespace tamblet
