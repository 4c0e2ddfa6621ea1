// Memory blocks through their raw virtual table, and the compression module binding.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "image/CMemory.h"
#include "image/CompressionBinding.h"
#include "platform/Modules.h"
#include "tests/support/VTable.h"

namespace tamblet {
namespace {

using testing::callSlot;
using Bytes = std::vector<std::uint8_t>;

Bytes contents(IMemory* block) {
  std::uint8_t* bytes = callSlot<std::uint8_t*>(block, 6);  // GetBuffer
  return bytes ? Bytes(bytes, bytes + callSlot<std::uint32_t>(block, 5)) : Bytes{};
}

// Destruction at count 0 and by slot 7 is proven by LeakSanitizer and AddressSanitizer runs.
TEST(CMemory, SlotsKeepZeroFilledContentsAndCounts) {
  CMemory* block = CMemory::create();
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(callSlot<std::uint8_t*>(block, 6), nullptr);
  ASSERT_TRUE(callSlot<bool>(block, 2, 100u));  // Alloc
  std::fill_n(block->GetBuffer(), 100, 0x77);
  ASSERT_TRUE(callSlot<bool>(block, 2, 16u));  // replaces: 16 zero bytes
  EXPECT_EQ(contents(block), Bytes(16, 0));
  for (int i = 0; i < 16; ++i) block->GetBuffer()[i] = static_cast<std::uint8_t>(0xA0 + i);
  ASSERT_TRUE(callSlot<bool>(block, 3, 20u));  // Resize keeps the 16 and adds 4 zeros
  Bytes expected = contents(block);
  for (int i = 0; i < 20; ++i) EXPECT_EQ(expected[i], i < 16 ? 0xA0 + i : 0) << i;

  // Refused sizes (above the 1 GiB block limit) keep the bytes where they were.
  std::uint8_t* before = block->GetBuffer();
  EXPECT_FALSE(block->Alloc(0xFFFFFFFFu));
  EXPECT_FALSE(block->Resize(CMemory::kMaxSize + 1));
  EXPECT_EQ(block->GetBuffer(), before);
  EXPECT_EQ(contents(block), expected);

  callSlot<void>(block, 4);  // Free
  EXPECT_TRUE(block->GetSize() == 0 && block->GetBuffer() == nullptr);
  EXPECT_TRUE(block->Resize(3));
  EXPECT_EQ(contents(block), Bytes(3, 0));
  EXPECT_TRUE(block->Alloc(0));
  EXPECT_EQ(block->GetBuffer(), nullptr);

  EXPECT_EQ(callSlot<std::int32_t>(block, 0), 2);  // AddRef
  EXPECT_EQ(callSlot<std::int32_t>(block, 1), 1);  // Release at 2: the block stays
  EXPECT_TRUE(block->Alloc(8));
  EXPECT_EQ(callSlot<std::int32_t>(block, 1), 0);  // Release at 1: destroyed

  CMemory* other = CMemory::create();
  ASSERT_TRUE(other->Alloc(64));
  callSlot<void>(other, 7, 0u);  // Destruct without bit 0: contents gone, object alive
  EXPECT_EQ(other->GetBuffer(), nullptr);
  callSlot<void>(other, 7, 1u);  // with bit 0: freed
}

struct FakeCompression final : ICompression {
  std::int32_t AddRef() override { return ++count; }
  std::int32_t Release() override { return --count; }
  bool Decompress(void*, std::uint32_t, const void*, std::uint32_t) override { return true; }
  ~FakeCompression() = default;
  std::int32_t count = 1;
};

FakeCompression made[2];
int calls = 0;
bool rightId = true;

void* fakeCreateInterface(const InterfaceId* id) {
  rightId = rightId && *id == kIID_ICompression;
  return calls < 2 ? &made[calls++] : nullptr;
}

TEST(CompressionBinding, AdoptsOneReferenceAndReleasesTheHeldOneFirst) {
  platform::InProcessModuleResolver resolver;
  platform::setModuleResolver(&resolver);
  FakeCompression earlier;
  Ref<ICompression> holder = Ref<ICompression>::adopt(&earlier);
  EXPECT_FALSE(obtainCompression(holder));  // module missing
  EXPECT_FALSE(holder);
  EXPECT_EQ(earlier.count, 0);
  resolver.addSymbol("OssmerCompressionLibrary.dll", "GetInterface", reinterpret_cast<void*>(&fakeCreateInterface));
  EXPECT_FALSE(obtainCompression(holder));  // export missing
  EXPECT_EQ(calls, 0);

  resolver.addSymbol("OssmerCompressionLibrary.dll", "CreateInterface", reinterpret_cast<void*>(&fakeCreateInterface));
  ASSERT_TRUE(obtainCompression(holder));
  EXPECT_EQ(holder.get(), &made[0]);
  EXPECT_EQ(made[0].count, 1);  // adopted, not retained
  ASSERT_TRUE(obtainCompression(holder));
  EXPECT_EQ(made[0].count, 0);  // obtaining twice released the first one
  EXPECT_EQ(holder.get(), &made[1]);
  EXPECT_FALSE(obtainCompression(holder));  // the module answers null
  EXPECT_FALSE(holder);
  EXPECT_EQ(made[1].count, 0);
  EXPECT_TRUE(rightId);
  EXPECT_EQ(resolver.lookups().back(), "OssmerCompressionLibrary.dll");
  platform::setModuleResolver(nullptr);
}

}  // namespace
}  // namespace tamblet
