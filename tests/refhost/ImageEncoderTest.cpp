#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "host/Modules.h"
#include "refhost/ImageEncoder.h"
#include "refhost/MemoryBlock.h"
#include "tests/refhost/HostFixture.h"
#include "tests/support/VTable.h"

namespace refhost::testing {
namespace {

using tamblet::testing::callSlot;

class ImageEncoderTest : public HostFixture {
 protected:
  void SetUp() override {
    HostFixture::SetUp();
    encoder_ = static_cast<tamblet::IImageEncoder*>(create(tamblet::kModuleImageEncoder, tamblet::kIID_IImageEncoder));
    decoder_ = static_cast<tamblet::IDecodeCG*>(create(tamblet::kModuleImageDecoder, tamblet::kIID_IDecodeCG));
    ASSERT_NE(encoder_, nullptr);
    ASSERT_NE(decoder_, nullptr);
  }
  void TearDown() override {
    if (encoder_) encoder_->Release();
    if (decoder_) decoder_->Release();
    HostFixture::TearDown();
  }

  // A surface of the given kind filled with random bytes, byte 3 included.
  tamblet::ISurface* randomSurface(int width, int height, bool alphaMap) {
    tamblet::ISurface* surface = alphaMap ? host().surfaceFactory().Create(width, height, 32)
                                          : host().surfaceFactory().CreatePixelOnly(width, height, 32);
    std::mt19937 random(static_cast<unsigned>(width));
    for (int y = 0; y < height; ++y)
      for (int i = 0; i < width * 4; ++i) surface->GetPixelAddress(0, y)[i] = static_cast<std::uint8_t>(random());
    return surface;
  }

  tamblet::IImageEncoder* encoder_ = nullptr;
  tamblet::IDecodeCG* decoder_ = nullptr;
};

// Encoded, decoded and compared pixel by pixel: byte 3 survives with an alpha map and reads 255
// without one.
TEST_F(ImageEncoderTest, PngRoundTripsKeepEveryPixelAndTheAlphaMap) {
  for (const bool alphaMap : {true, false}) {
    for (const auto& [width, height] : {std::pair{1, 1}, {37, 23}, {640, 120}}) {
      SCOPED_TRACE(::testing::Message() << width << " x " << height << (alphaMap ? " alpha map" : " pixels only"));
      tamblet::ISurface* original = randomSurface(width, height, alphaMap);
      auto* block = callSlot<tamblet::IMemory*>(encoder_, 2, original, 0);
      ASSERT_NE(block, nullptr);
      const std::uint8_t* file = block->GetBuffer();
      ASSERT_GT(block->GetSize(), 33u);
      EXPECT_EQ(std::memcmp(file, "\x89PNG\r\n\x1a\n", 8), 0);
      EXPECT_EQ(file[24], 8);                 // bit depth
      EXPECT_EQ(file[25], alphaMap ? 6 : 2);  // RGBA or RGB
      EXPECT_EQ(file[28], 0);                 // not interlaced
      tamblet::ISurface* decoded = decoder_->Decode(file, block->GetSize());
      EXPECT_EQ(block->Release(), 0);
      std::vector<std::uint32_t> expected;
      for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) expected.push_back(pixelAt(*original, x, y) | (alphaMap ? 0 : 0xFF000000u));
      expectPixels(decoded, width, height, expected, alphaMap);
      if (decoded) {
        EXPECT_EQ(decoded->Release(), 0);
      }
      EXPECT_EQ(original->Release(), 0);
    }
  }
  EXPECT_EQ(host().imageEncoder().encodeCalls(), 6);
  EXPECT_EQ(Ledger::liveObjects("MemoryBlock"), 0);
}

TEST_F(ImageEncoderTest, OtherOptionsAndUnsupportedSurfacesGiveNull) {
  tamblet::ISurface* surface = randomSurface(4, 4, true);
  for (std::int32_t option : {1, -1}) EXPECT_EQ(encoder_->Encode(surface, option), nullptr);
  EXPECT_EQ(encoder_->Encode(nullptr, 0), nullptr);
  tamblet::ISurface* alphaOnly = host().surfaceFactory().CreateAMapOnly(4, 4);
  tamblet::ISurface* eightBit = host().surfaceFactory().Create(4, 4, 8);
  for (tamblet::ISurface* unsupported : {alphaOnly, eightBit}) EXPECT_EQ(encoder_->Encode(unsupported, 0), nullptr);
  EXPECT_EQ(Ledger::liveObjects("MemoryBlock"), 0);
  surface->Release();
  alphaOnly->Release();
  eightBit->Release();
  EXPECT_EQ(create(tamblet::kModuleImageEncoder, tamblet::kIID_IDecodeCG), nullptr);
}

TEST_F(ImageEncoderTest, MemoryBlocksZeroGrowKeepAndCount) {
  MemoryBlock* block = MemoryBlock::create();
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(Ledger::liveObjects("MemoryBlock"), 1);
  EXPECT_EQ(callSlot<std::uint32_t>(block, 5), 0u);
  EXPECT_EQ(callSlot<std::uint8_t*>(block, 6), nullptr);
  ASSERT_TRUE(callSlot<bool>(block, 2, 100u));
  std::memset(block->GetBuffer(), 0xAB, 100);
  ASSERT_TRUE(block->Alloc(16));  // replaces: 16 zero bytes
  EXPECT_EQ(block->GetSize(), 16u);
  EXPECT_EQ(block->GetBuffer()[15], 0);
  block->GetBuffer()[15] = 7;
  ASSERT_TRUE(callSlot<bool>(block, 3, 20u));  // keeps the leading bytes, adds zeros
  EXPECT_EQ(block->GetBuffer()[15], 7);
  EXPECT_EQ(block->GetBuffer()[19], 0);
  EXPECT_FALSE(block->Alloc(MemoryBlock::kMaxSize + 1));  // refused: the old contents stay
  EXPECT_FALSE(block->Resize(0xFFFFFFFFu));
  EXPECT_EQ(block->GetSize(), 20u);
  EXPECT_EQ(block->GetBuffer()[15], 7);
  callSlot<void>(block, 4);
  EXPECT_EQ(block->GetSize(), 0u);
  EXPECT_TRUE(block->Alloc(0));
  EXPECT_EQ(block->GetBuffer(), nullptr);
  EXPECT_EQ(callSlot<std::int32_t>(block, 0), 2);
  EXPECT_EQ(callSlot<std::int32_t>(block, 1), 1);
  EXPECT_EQ(block->Release(), 0);
  EXPECT_EQ(Ledger::liveObjects("MemoryBlock"), 0);

  // Destruct (slot 7) without bit 0 only empties; with it, frees.
  block = MemoryBlock::create();
  ASSERT_TRUE(block->Alloc(8));
  callSlot<void>(block, 7, 0u);
  EXPECT_EQ(block->GetSize(), 0u);
  callSlot<void>(block, 7, 1u);
  EXPECT_EQ(Ledger::liveObjects("MemoryBlock"), 0);
}

}  // namespace
}  // namespace refhost::testing
