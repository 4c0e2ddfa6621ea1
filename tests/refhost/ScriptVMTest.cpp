#include <gtest/gtest.h>

#include <bit>
#include <cstring>
#include <string>
#include <vector>

#include "host/VM.h"
#include "refhost/VMArray.h"
#include "refhost/VMString.h"
#include "refhost/VMStruct.h"
#include "tests/refhost/HostFixture.h"
#include "tests/support/VTable.h"

namespace refhost::testing {
namespace {

using tamblet::testing::callSlot;

using ScriptVMTest = HostFixture;

tamblet::IVM* vmOf(Host& host) {
  return static_cast<tamblet::IVM*>(host.kernel().GetService(&tamblet::kIID_IVM));
}

TEST_F(ScriptVMTest, EachVMServiceIsAnsweredAndCanBeWithheld) {
  tamblet::IVM* vm = vmOf(host());
  ASSERT_EQ(vm, static_cast<tamblet::IVM*>(&host().vm()));
  const tamblet::InterfaceId ids[] = {tamblet::kIID_IVMDebugger, tamblet::kIID_IVMNameTable, tamblet::kIID_IVMCallStack,
                                      tamblet::kIID_IVMGameMsg, tamblet::kIID_IVMErrorSink};
  for (const auto& id : ids) {
    EXPECT_NE(callSlot<void*>(vm, 4, &id), nullptr);
    host().vm().withhold(id);
    for (const auto& other : ids) EXPECT_EQ(callSlot<void*>(vm, 4, &other) == nullptr, other == id);
    host().vm().restore(id);
    EXPECT_NE(vm->GetService(&id), nullptr);
  }
  EXPECT_EQ(vm->GetService(&tamblet::kIID_IVM), nullptr);
  EXPECT_EQ(vm->GetService(nullptr), nullptr);
}

TEST_F(ScriptVMTest, ErrorsPausesAndMessagesAreRecordedExactly) {
  tamblet::IVM* vm = vmOf(host());
  auto* sink = vm->GetService(&tamblet::kIID_IVMErrorSink);
  const std::string japanese = "SP_Create\n\x83\x54\x83\x43\x83\x59\x8E\x77\x92\xE8\x83\x47\x83\x89\x81\x5B\n";
  callSlot<void>(sink, 0, japanese.c_str());
  callSlot<void>(sink, 0, "second");
  callSlot<void>(sink, 0, static_cast<const char*>(nullptr));
  EXPECT_EQ(host().vm().errors(), (std::vector<std::string>{japanese, "second", ""}));

  auto* debugger = vm->GetService(&tamblet::kIID_IVMDebugger);
  callSlot<void>(debugger, 1);
  callSlot<void>(debugger, 1);
  EXPECT_EQ(host().vm().pauses(), 2);

  auto* messages = vm->GetService(&tamblet::kIID_IVMGameMsg);
  EXPECT_EQ(callSlot<std::int32_t>(messages, 0), 0);
  host().vm().setGameMessages({"one", "\x82\xA0"});
  EXPECT_EQ(callSlot<std::int32_t>(messages, 0), 2);
  EXPECT_STREQ(callSlot<const char*>(messages, 1, 1), "\x82\xA0");
  for (std::int32_t outside : {2, -1}) EXPECT_STREQ(callSlot<const char*>(messages, 1, outside), "");
}

TEST_F(ScriptVMTest, NameTableAndCallStackAnswerWhatTheTestScripted) {
  tamblet::IVM* vm = vmOf(host());
  CallStack& stack = host().vm().callStack();
  stack.setName(7, "main");
  stack.setFunctionNameIndex(3, 7);
  stack.setFrames({3, 5});
  auto* names = vm->GetService(&tamblet::kIID_IVMNameTable);
  auto* frames = vm->GetService(&tamblet::kIID_IVMCallStack);
  EXPECT_STREQ(callSlot<const char*>(names, 0, 7), "main");
  EXPECT_STREQ(callSlot<const char*>(names, 0, 8), "");
  EXPECT_EQ(callSlot<std::int32_t>(frames, 11), 2);
  for (const auto& [frame, function] : {std::pair{0, 3}, {1, 5}, {2, -1}, {-1, -1}})
    EXPECT_EQ(callSlot<std::int32_t>(frames, 12, frame), function) << frame;
  EXPECT_EQ(callSlot<std::int32_t>(frames, 6, 3), 7);
  EXPECT_EQ(callSlot<std::int32_t>(frames, 6, 5), -1);
}

TEST(VMObjectsTest, StringOwnsItsBytesAndNullEmptiesIt) {
  VMString text("abc");
  std::string source = "\x82\xA0\x82\xA2";
  callSlot<void>(static_cast<tamblet::IString*>(&text), 1, source.c_str());
  source[0] = 'x';  // the string holds its own copy
  EXPECT_STREQ(callSlot<const char*>(static_cast<tamblet::IString*>(&text), 0), "\x82\xA0\x82\xA2");
  text.SetText(nullptr);
  EXPECT_STREQ(text.GetText(), "");
}

TEST(VMObjectsTest, ArrayWritesAreBoundsCheckedAndResizeKeepsLeadingValues) {
  VMArray array(tamblet::kVMTypeInt, {3});
  auto* object = static_cast<tamblet::IVMArray*>(&array);
  EXPECT_EQ(callSlot<std::int32_t>(object, 0), tamblet::kVMTypeInt);
  EXPECT_EQ(callSlot<std::int32_t>(object, 2), 3);
  EXPECT_EQ(callSlot<std::int32_t>(object, 3), 1);
  const std::int32_t value = -7;
  EXPECT_TRUE(callSlot<bool>(object, 5, 2, &value));
  EXPECT_FALSE(callSlot<bool>(object, 5, 0, static_cast<const void*>(nullptr)));
  for (std::int32_t outside : {3, -1, INT32_MIN}) {
    EXPECT_FALSE(callSlot<bool>(object, 5, outside, &value));
    EXPECT_EQ(callSlot<void*>(object, 4, outside), nullptr);
  }
  EXPECT_EQ(*static_cast<std::int32_t*>(callSlot<void*>(object, 4, 2)), -7);

  const std::int32_t grown[] = {5};
  EXPECT_TRUE(callSlot<bool>(object, 6, grown, 1));
  EXPECT_EQ(array.values(), (std::vector<std::int32_t>{0, 0, -7, 0, 0}));
  const std::int32_t twoByThree[] = {2, 3};
  EXPECT_TRUE(array.Resize(twoByThree, 2));
  EXPECT_EQ(array.GetDimensionCount(), 2);
  EXPECT_EQ(array.GetElementCount(), 6);
  const std::int32_t negative[] = {-1}, huge[] = {INT32_MAX, INT32_MAX};
  for (const auto& [counts, dimensions] : {std::pair{negative, 1}, {huge, 2}, {nullptr, 1}, {grown, 0}})
    EXPECT_FALSE(array.Resize(counts, dimensions));
  EXPECT_EQ(array.GetElementCount(), 6);  // refusals leave the array as it was
}

TEST(VMObjectsTest, StructMembersHaveTypesAndBoundsCheckedValues) {
  constexpr std::int32_t kFloat = 13, kNested = 15;
  VMStruct style({{tamblet::kVMTypeInt, {0}}, {kFloat, {0}}, {kNested, {0, 0, 0, 0}}});
  auto* object = static_cast<tamblet::IVMStruct*>(&style);
  EXPECT_EQ(callSlot<std::int32_t>(object, 1), 3);
  EXPECT_EQ(callSlot<std::int32_t>(object, 2, 0), tamblet::kVMTypeInt);
  EXPECT_EQ(callSlot<std::int32_t>(object, 2, 2), kNested);
  EXPECT_EQ(callSlot<std::int32_t>(object, 2, 3), -1);
  const std::int32_t number = 42;
  const float weight = 1.5f;
  const std::int32_t colour[4] = {1, 2, 3, 255};
  EXPECT_TRUE(callSlot<bool>(object, 4, 0, &number));
  EXPECT_TRUE(callSlot<bool>(object, 4, 1, &weight));
  EXPECT_TRUE(callSlot<bool>(object, 4, 2, colour));
  for (std::int32_t outside : {3, -1}) EXPECT_FALSE(callSlot<bool>(object, 4, outside, &number));
  EXPECT_EQ(style.word(0), 42);
  EXPECT_EQ(style.floatMember(1), 1.5f);
  EXPECT_EQ(std::memcmp(callSlot<void*>(object, 3, 2), colour, sizeof colour), 0);
  EXPECT_EQ(callSlot<void*>(object, 3, 3), nullptr);
}

}  // namespace
}  // namespace refhost::testing
