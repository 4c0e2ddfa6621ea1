// SSE2 pieces of the transform kernels: the bilinear blend of four texels and the per-pixel blend of a sampled
// texel into the destination. Both use exactly the integer arithmetic of the per-channel formulas (SSE2 is part of
// the x86-64 baseline, so no processor check is needed).
#pragma once

#include <emmintrin.h>

#include <array>
#include <cstdint>
#include <cstring>

#include "compose/kernels/ScalarBlend.h"

namespace tamblet::kernels::transform {

// Horizontal or vertical weights of a bilinear step w in 0..255: 256 - w in lanes 0-3, w in lanes 4-7.
struct alignas(16) WeightLanes {
  std::uint16_t lanes[8];
};

constexpr std::array<WeightLanes, 256> makeWeightTable() {
  std::array<WeightLanes, 256> table{};
  for (int w = 0; w < 256; ++w) {
    for (int i = 0; i < 4; ++i) {
      table[w].lanes[i] = static_cast<std::uint16_t>(256 - w);
      table[w].lanes[i + 4] = static_cast<std::uint16_t>(w);
    }
  }
  return table;
}

inline constexpr std::array<WeightLanes, 256> kWeightTable = makeWeightTable();

[[gnu::always_inline]] inline __m128i weightsOf(int w) {
  return _mm_load_si128(reinterpret_cast<const __m128i*>(kWeightTable[w].lanes));
}

// Two 4-byte texels side by side in the low eight bytes.
[[gnu::always_inline]] inline __m128i loadPair(const std::uint8_t* first, const std::uint8_t* second) {
  std::uint32_t a, b;
  std::memcpy(&a, first, 4);
  std::memcpy(&b, second, 4);
  return _mm_unpacklo_epi32(_mm_cvtsi32_si128(static_cast<int>(a)), _mm_cvtsi32_si128(static_cast<int>(b)));
}

// The bilinear blend of top = (p00, p01) and bottom = (p10, p11), eight bytes each, with steps wu, wv in 0..255:
// per channel ((p00 (256 - wu) + p01 wu) (256 - wv) + (p10 (256 - wu) + p11 wu) wv + 32768) >> 16, returned in
// 16-bit lanes 0-3. The horizontal sums are at most 255 * 256 and fit 16 unsigned bits; the vertical products
// are formed in 32 bits from their low and high halves.
[[gnu::always_inline]] inline __m128i bilinearWords(__m128i top, __m128i bottom, int wu, int wv) {
  const __m128i zero = _mm_setzero_si128(), horizontal = weightsOf(wu), vertical = weightsOf(wv);
  const __m128i topTerms = _mm_mullo_epi16(_mm_unpacklo_epi8(top, zero), horizontal);
  const __m128i bottomTerms = _mm_mullo_epi16(_mm_unpacklo_epi8(bottom, zero), horizontal);
  // Lanes 0-3: the top row's four channels; lanes 4-7: the bottom row's.
  const __m128i rows =
      _mm_add_epi16(_mm_unpacklo_epi64(topTerms, bottomTerms), _mm_unpackhi_epi64(topTerms, bottomTerms));
  const __m128i low = _mm_mullo_epi16(rows, vertical), high = _mm_mulhi_epu16(rows, vertical);
  __m128i sum = _mm_add_epi32(_mm_unpacklo_epi16(low, high), _mm_unpackhi_epi16(low, high));
  sum = _mm_srli_epi32(_mm_add_epi32(sum, _mm_set1_epi32(32768)), 16);
  return _mm_packs_epi32(sum, sum);
}

// Writes sampled texels (channels in 16-bit lanes 0-3) through the normal path's method-0 pixel arithmetic for
// the flags. Without blend flags that is a plain store. Without modulation the coverage blend
// d + (((s - d) a) >> 8) runs in 16-bit lanes as the high half of ((s - d) 128) (2 a), the same floor division
// by 256; a coverage of 0 in the alpha lane leaves d[3] unwritten as the scalar code does. Modulation takes the
// scalar code.
template <class Isa, unsigned BlendFlags>
class TexelWriter {
 public:
  explicit TexelWriter(const BlendParams& params)
      : params_(params),
        rate_(_mm_set1_epi16(static_cast<short>(params.rate))),
        rate2_(_mm_and_si128(_mm_set1_epi16(static_cast<short>(2 * params.rate)), colourLanes())) {}

  [[gnu::always_inline]] void put(std::uint8_t* pixel, __m128i words) const {
    constexpr bool kAlpha = (BlendFlags & kFlagSourceAlpha) != 0, kRate = (BlendFlags & kFlagRate) != 0;
    if constexpr (BlendFlags == 0) {
      storeWords(pixel, words);
    } else if constexpr ((BlendFlags & kFlagModulate) == 0 && (BlendFlags & kFlagClipper) == 0) {
      __m128i coverage2 = rate2_;
      if constexpr (kAlpha) {
        __m128i alpha = _mm_shufflelo_epi16(words, _MM_SHUFFLE(3, 3, 3, 3));
        if constexpr (kRate) alpha = _mm_srli_epi16(_mm_mullo_epi16(alpha, rate_), 8);
        coverage2 = _mm_and_si128(_mm_slli_epi16(alpha, 1), colourLanes());
      }
      std::uint32_t destination;
      std::memcpy(&destination, pixel, 4);
      const __m128i d = _mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(destination)), _mm_setzero_si128());
      const __m128i step = _mm_mulhi_epi16(_mm_slli_epi16(_mm_sub_epi16(words, d), 7), coverage2);
      storeWords(pixel, _mm_add_epi16(d, step));
    } else {
      const std::uint32_t texel = static_cast<std::uint32_t>(_mm_cvtsi128_si32(_mm_packus_epi16(words, words)));
      std::uint8_t bytes[4];
      std::memcpy(bytes, &texel, 4);
      blendPixel<Isa, 0, BlendFlags>(pixel, bytes, nullptr, params_);
    }
  }

  [[gnu::always_inline]] void put(std::uint8_t* pixel, std::uint32_t texel) const {
    put(pixel, _mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(texel)), _mm_setzero_si128()));
  }

 private:
  static __m128i colourLanes() { return _mm_set_epi16(0, 0, 0, 0, 0, -1, -1, -1); }

  [[gnu::always_inline]] static void storeWords(std::uint8_t* pixel, __m128i words) {
    const std::uint32_t value = static_cast<std::uint32_t>(_mm_cvtsi128_si32(_mm_packus_epi16(words, words)));
    std::memcpy(pixel, &value, 4);
  }

  const BlendParams& params_;
  __m128i rate_, rate2_;
};

}  // namespace tamblet::kernels::transform
