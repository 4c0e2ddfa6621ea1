// Interface ids carry the byte layout hosts pass, and compare byte for byte.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>

#include "host/EngineObjects.h"
#include "host/InterfaceId.h"

namespace tamblet {
namespace {

TEST(InterfaceId, BytesFollowTheHostLayout) {
  // First field little-endian, then two little-endian 16-bit words, then eight bytes in order.
  constexpr InterfaceId id = makeInterfaceId("4B7121CC-A170-4895-8528-3B0A0E888498");
  const std::array<std::uint8_t, 16> expected = {0xCC, 0x21, 0x71, 0x4B, 0x70, 0xA1, 0x95, 0x48,
                                                 0x85, 0x28, 0x3B, 0x0A, 0x0E, 0x88, 0x84, 0x98};
  EXPECT_EQ(id.bytes, expected);
  static_assert(sizeof(InterfaceId) == 16);
  EXPECT_EQ(id, kIID_IKOVFileManager);
  EXPECT_EQ(makeInterfaceId("4b7121cc-a170-4895-8528-3b0a0e888498"), id);  // either case
  InterfaceId changed = id;  // equality is byte for byte, down to the last bit
  changed.bytes[15] ^= 1;
  EXPECT_FALSE(changed == id || kIID_IChangeNumToISurface == kIID_IChangeNumToISurface2);
}

}  // namespace
}  // namespace tamblet
