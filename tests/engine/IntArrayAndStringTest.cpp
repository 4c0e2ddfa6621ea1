// The library's integer array and string object, through their raw virtual tables.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/CIntArray.h"
#include "engine/CStringWrapper.h"
#include "tests/support/VTable.h"

namespace tamblet {
namespace {

using testing::callSlot;
using Ints = std::vector<std::int32_t>;

Ints values(CIntArray* array) {
  return {callSlot<std::int32_t*>(array, 5), callSlot<std::int32_t*>(array, 7)};
}

// Destruction at count 0 and by slot 16 is proven by LeakSanitizer and AddressSanitizer runs.
TEST(CIntArray, EverySlotInOrder) {
  CIntArray* array = CIntArray::create();
  ASSERT_NE(array, nullptr);
  EXPECT_TRUE(callSlot<bool>(array, 6));                  // IsEmpty
  EXPECT_EQ(callSlot<std::int32_t*>(array, 3), nullptr);  // Front of nothing
  EXPECT_EQ(callSlot<std::int32_t*>(array, 8), nullptr);  // Back of nothing
  callSlot<void>(array, 9);                               // PopBack of nothing
  for (std::int32_t value : {30, -7, INT32_MAX, 5, INT32_MIN}) EXPECT_TRUE(callSlot<bool>(array, 10, value));
  EXPECT_EQ(callSlot<std::uint32_t>(array, 11), 5u);      // Size
  EXPECT_EQ(*callSlot<std::int32_t*>(array, 2, 1u), -7);  // At
  EXPECT_EQ(callSlot<std::int32_t*>(array, 2, 5u), nullptr);
  EXPECT_EQ(callSlot<std::int32_t*>(array, 2, 0xFFFFFFFFu), nullptr);
  EXPECT_EQ(*callSlot<std::int32_t*>(array, 3), 30);
  EXPECT_EQ(*callSlot<std::int32_t*>(array, 8), INT32_MIN);
  callSlot<void>(array, 15);  // Sort ascending
  callSlot<void>(array, 9);   // PopBack
  EXPECT_EQ(values(array), (Ints{INT32_MIN, -7, 5, 30}));
  EXPECT_TRUE(callSlot<bool>(array, 12, 6u));  // Resize: new elements 0
  EXPECT_EQ(values(array), (Ints{INT32_MIN, -7, 5, 30, 0, 0}));
  EXPECT_TRUE(callSlot<bool>(array, 14, 100u));         // Reserve
  EXPECT_GE(callSlot<std::uint32_t>(array, 13), 100u);  // Capacity
  EXPECT_FALSE(array->Resize(0xFFFFFFFFu));             // hostile sizes: refused, elements kept
  EXPECT_FALSE(array->Reserve(CIntArray::kMaxSize + 1));
  EXPECT_EQ(array->Size(), 6u);
  callSlot<void>(array, 4);  // Clear
  EXPECT_TRUE(array->IsEmpty());
  EXPECT_EQ(callSlot<std::int32_t>(array, 0), 2);  // AddRef
  EXPECT_EQ(callSlot<std::int32_t>(array, 1), 1);  // Release at 2: still alive
  EXPECT_TRUE(array->PushBack(1));
  EXPECT_EQ(callSlot<std::int32_t>(array, 1), 0);  // Release at 1: destroyed

  CIntArray* other = CIntArray::create();
  ASSERT_TRUE(other->PushBack(4));
  callSlot<void>(other, 16, 0u);  // Destruct without bit 0: emptied, alive
  EXPECT_EQ(other->Capacity(), 0u);
  callSlot<void>(other, 16, 1u);  // with bit 0: freed
}

TEST(CStringWrapper, KeepsTheExactBytesAndNeverAnswersNull) {
  CStringWrapper text;
  EXPECT_EQ(std::string(callSlot<const char*>(&text, 0)), "");
  const char shiftJis[] = "\x83\x65\x83\x58\x83\x67 5";
  callSlot<void>(&text, 1, static_cast<const char*>(shiftJis));
  EXPECT_EQ(std::string(text.GetText()), shiftJis);
  EXPECT_NE(text.GetText(), shiftJis);  // a copy, not the caller's buffer
  text.SetText(text.GetText() + 6);     // a tail of its own text
  EXPECT_STREQ(text.GetText(), " 5");
  callSlot<void>(&text, 1, static_cast<const char*>(nullptr));
  ASSERT_NE(text.GetText(), nullptr);
  EXPECT_STREQ(text.GetText(), "");
  EXPECT_STREQ(CStringWrapper(nullptr).GetText(), "");
}

}  // namespace
}  // namespace tamblet
