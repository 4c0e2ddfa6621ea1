// The engine object and its error reporter through their virtual tables; the reporter's three ways
// out (VM sink, message box when there is no VM or no sink, debugger line); the message-box
// reporter's caption and style; the engine-family exports once the object is bound.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine/CErrorMessage.h"
#include "engine/CVELM.h"
#include "engine/Exports.h"
#include "host/EngineObjects.h"
#include "report/FixedTexts.h"
#include "refhost/ScriptVM.h"
#include "refhost/VMString.h"
#include "report/MessageBoxReporter.h"
#include "tests/engine/EngineFixture.h"
#include "tests/support/VTable.h"

namespace tamblet {
namespace {

using platform::MessageBoxStyle;
using testing::callSlot;
using testing::CapturingMessageSink;
using Texts = std::vector<std::string>;

const std::string kWithoutVmLine =
    "\x81\xAC"
    "ERROR\x81\xAC m_pIVM=NULL @ CErrorMessage::Open @ VELM2\n";
const std::string kWithoutFormatLine =
    "\x81\xAC"
    "ERROR\x81\xAC format=NULL @ CErrorMessage::Open @ VELM2\n";

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

// Binds the engine object's reporter to a fake VM the way start-up leaves it.
class BoundEngineObject : public ::testing::Test {
 protected:
  void SetUp() override {
    CVELM& engine = CVELM::instance();
    engine.objects.errorReporter = Ref<CErrorMessage>::adopt(CErrorMessage::create());
    engine.objects.errorReporter->SetInterfaces(&vm, nullptr, nullptr, nullptr, nullptr, nullptr);
    engine.markInitialised();
  }
  void TearDown() override { CVELM::instance().teardown(); }

  refhost::ScriptVM vm;
};

// Error raises its text literally; GetInterface hands out a counted reference to the reporter only.
TEST_F(BoundEngineObject, ErrorAndGetInterfaceAnswerFromTheReporter) {
  refhost::VMString percent("100%"), conversions("%s %d %05d");
  Error(&percent);
  Error(&conversions);
  Error(nullptr);
  EXPECT_EQ(vm.errors(), (Texts{"100%\n", "%s %d %05d\n", "\n"}));

  IInterface* reporter = GetInterface(&kIID_IVelmErrorMessage);
  ASSERT_EQ(reporter, static_cast<IInterface*>(CVELM::instance().objects.errorReporter.get()));
  EXPECT_EQ(reporter->AddRef(), 3);  // the engine's, the one just handed out, this one
  EXPECT_EQ(reporter->Release(), 2);
  EXPECT_EQ(reporter->Release(), 1);
  EXPECT_EQ(GetInterface(&kIID_IGraph3), nullptr);  // an unknown id changes no reference count
  EXPECT_EQ(reporter->AddRef(), 2);
  EXPECT_EQ(reporter->Release(), 1);
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

  callSlot<void>(reporter, 4, 0u);  // Destruct without bit 0 forgets the interfaces and keeps the object
  for (void* stored : layoutOf(reporter).interfaces) EXPECT_EQ(stored, nullptr);
  EXPECT_EQ(reporter->Release(), 1);
  EXPECT_EQ(callSlot<std::int32_t>(reporter, 1), 0);  // the last Release frees it (the leak checker sees it)
  callSlot<void>(CErrorMessage::create(), 4, 1u);     // Destruct with bit 0 frees
}

TEST(CErrorMessage, ReportsThroughTheVmsErrorSinkElseAMessageBoxAndADebuggerLine) {
  CapturingMessageSink messages;
  CErrorMessage* reporter = CErrorMessage::create();
  IErrorMessage* asHost = reporter;
  EXPECT_EQ(asHost->Open(nullptr), 0);
  EXPECT_EQ(messages.debugLines, Texts{kWithoutFormatLine});
  EXPECT_TRUE(messages.boxes.empty());

  messages.debugLines.clear();
  EXPECT_EQ(asHost->Open(fixedText(FixedText::kSpCreatePixelOnlySizeError), 3, 0, -7), 0);
  EXPECT_EQ(messages.debugLines, Texts{kWithoutVmLine});
  ASSERT_EQ(messages.boxes.size(), 1u);
  EXPECT_EQ(messages.boxes[0].text,
            "SP_CreatePixelOnly\n\x83\x54\x83\x43\x83\x59\x8E\x77\x92\xE8\x83\x47\x83\x89\x81\x5B\n"
            "nSP     = 3\nnWidth  = 0\nnHeight = -7\n");

  // A VM without an error sink falls back to the message box too, without a debugger line.
  refhost::ScriptVM vm;
  vm.withhold(kIID_IVMErrorSink);
  reporter->SetInterfaces(&vm, nullptr, nullptr, nullptr, nullptr, nullptr);
  messages.debugLines.clear();
  reporter->reportLiteral(fixedText(FixedText::kSpEnumArrayNotInt));
  ASSERT_EQ(messages.boxes.size(), 2u);
  EXPECT_EQ(messages.boxes[1].text, std::string(fixedText(FixedText::kSpEnumArrayNotInt)) + "\n");
  for (const auto& box : messages.boxes) {
    EXPECT_EQ(box.caption, "");
    EXPECT_EQ(box.style, MessageBoxStyle::kSystemError);
  }
  EXPECT_TRUE(messages.debugLines.empty());

  // With a VM that has an error sink, every report is raised through it, cut at the buffer's size.
  vm.restore(kIID_IVMErrorSink);
  messages.boxes.clear();

  EXPECT_EQ(asHost->Open(fixedText(FixedText::kSpSetBlendRateBadArgument), 1, 256), 0);
  EXPECT_EQ(asHost->Open("%s", std::string(20000, 'x').c_str()), 0);
  for (const char* literal : {"100%", "%s%d", static_cast<const char*>(nullptr)}) reporter->reportLiteral(literal);
  reporter->reportLiteral(std::string(16382, 'y').c_str());
  reporter->reportLiteral(std::string(20000, 'z').c_str());
  EXPECT_EQ(vm.errors(), (Texts{"SP_SetBlendRate\nnSP=1\nnBlendRate=256", std::string(16383, 'x'), "100%\n", "%s%d\n",
                               "\n", std::string(16382, 'y') + "\n",
                               std::string(16383, 'z')}));  // the last line feed falls beyond the cut
  EXPECT_TRUE(messages.debugLines.empty() && messages.boxes.empty());

  // Null format still only writes the debugger line, even with a VM.
  EXPECT_EQ(asHost->Open(nullptr), 0);
  EXPECT_EQ(messages.debugLines, Texts{kWithoutFormatLine});
  EXPECT_EQ(vm.errors().size(), 7u);
  reporter->Release();
}

TEST(MessageBoxReporter, CaptionStyleAndCut) {
  CapturingMessageSink messages;
  EXPECT_FALSE(report::reportMessageBox(fixedText(FixedText::kD3DTextureCreateFailed), 2048, 512));
  EXPECT_FALSE(report::reportMessageBox("%s", std::string(20000, 'w').c_str()));
  EXPECT_FALSE(report::reportMessageBox(nullptr));
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
