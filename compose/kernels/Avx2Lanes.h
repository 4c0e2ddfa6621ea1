// The AVX2 lane type of the SIMD kernel templates: eight pixels per 256-bit register. Include only from files
// compiled with -mavx2; their kernels run only after the processor has been asked.
#pragma once

#include <immintrin.h>

#include <cstdint>
#include <cstring>

namespace tamblet::kernels {

struct Avx2 {
  using Reg = __m256i;
  static constexpr int kPixels = 8;
  static constexpr unsigned kAlphaBits = 0x88888888u;
  static constexpr bool kGathers = true;

  static Reg load(const std::uint8_t* p) { return _mm256_load_si256(reinterpret_cast<const Reg*>(p)); }
  static Reg loadu(const std::uint8_t* p) { return _mm256_loadu_si256(reinterpret_cast<const Reg*>(p)); }
  static void store(std::uint8_t* p, Reg r) { _mm256_store_si256(reinterpret_cast<Reg*>(p), r); }
  static void storeu(std::uint8_t* p, Reg r) { _mm256_storeu_si256(reinterpret_cast<Reg*>(p), r); }
  // The first n pixels (0 < n < 8) by one 16-, one 8- and one 4-byte move at most (n is the same for every row
  // of a draw, so the branches are predicted); the other lanes load as 0.
  static Reg loadPartial(const std::uint8_t* p, int n) {
    __m128i low = _mm_setzero_si128(), high = _mm_setzero_si128();
    if (n & 4) low = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), p += 16;
    __m128i rest = _mm_setzero_si128();
    if (n & 2) rest = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p));
    if (n & 1) {
      std::int32_t last;
      std::memcpy(&last, p + 4 * (n & 2), 4);
      rest = (n & 2) ? _mm_unpacklo_epi64(rest, _mm_cvtsi32_si128(last)) : _mm_cvtsi32_si128(last);
    }
    if (n & 4) {
      high = rest;
    } else {
      low = rest;
    }
    return _mm256_inserti128_si256(_mm256_castsi128_si256(low), high, 1);
  }
  static void storePartial(std::uint8_t* p, Reg r, int n) {
    __m128i rest = _mm256_castsi256_si128(r);
    if (n & 4) {
      _mm_storeu_si128(reinterpret_cast<__m128i*>(p), rest);
      p += 16, rest = _mm256_extracti128_si256(r, 1);
    }
    if (n & 2) {
      _mm_storel_epi64(reinterpret_cast<__m128i*>(p), rest);
      p += 8, rest = _mm_srli_si128(rest, 8);
    }
    if (n & 1) {
      const std::int32_t last = _mm_cvtsi128_si32(rest);
      std::memcpy(p, &last, 4);
    }
  }
  // The even and the odd 32-bit elements of a, b (in order): pairs (x0, y0, ..., x3, y3), (x4, y4, ..., x7, y7)
  // give (x0..x7) and (y0..y7). The in-lane shuffle leaves the 64-bit quarters as 0, 2, 1, 3.
  static void deinterleave32(Reg a, Reg b, Reg& even, Reg& odd) {
    const __m256 fa = _mm256_castsi256_ps(a), fb = _mm256_castsi256_ps(b);
    even = _mm256_permute4x64_epi64(_mm256_castps_si256(_mm256_shuffle_ps(fa, fb, _MM_SHUFFLE(2, 0, 2, 0))),
                                    _MM_SHUFFLE(3, 1, 2, 0));
    odd = _mm256_permute4x64_epi64(_mm256_castps_si256(_mm256_shuffle_ps(fa, fb, _MM_SHUFFLE(3, 1, 3, 1))),
                                   _MM_SHUFFLE(3, 1, 2, 0));
  }
  // The 8-byte pairs at p[0] .. p[3] side by side.
  static Reg loadPairs(const std::uint8_t* const* p) {
    const auto pair = [](const std::uint8_t* q) { return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(q)); };
    return _mm256_inserti128_si256(_mm256_castsi128_si256(_mm_unpacklo_epi64(pair(p[0]), pair(p[1]))),
                                   _mm_unpacklo_epi64(pair(p[2]), pair(p[3])), 1);
  }
  // w | w << 16 for each of the eight pixels' w (0..255).
  static Reg wordPairs(const int* w) {
    return _mm256_setr_epi32(w[0] * 0x10001, w[1] * 0x10001, w[2] * 0x10001, w[3] * 0x10001, w[4] * 0x10001,
                             w[5] * 0x10001, w[6] * 0x10001, w[7] * 0x10001);
  }
  // Bilinear taps of the eight pixels i..i+7 of a row whose taps all lie inside the surface, for the transform
  // kernels: each position fixed = int((row + step * i - 0.5) * 256 + 0.5) by the scalar code's operations lane by
  // lane (no fused multiply-add in this file), the top and bottom pairs gathered at 32-bit byte offsets
  // (fixed_v >> 8) * pitch + 4 (fixed_u >> 8), which the caller makes sure fit.
  struct Taps {
    Reg top0, top1, bottom0, bottom1, wu, wv;
  };
  [[gnu::always_inline]] static Taps insideTaps(const std::uint8_t* pixels, std::ptrdiff_t pitch, double uRow, double du, double vRow,
                         double dv, int i) {
    const __m256d first = _mm256_add_pd(_mm256_set1_pd(i), _mm256_setr_pd(0.0, 1.0, 2.0, 3.0));
    const __m256d second = _mm256_add_pd(first, _mm256_set1_pd(4.0));
    const auto fixed = [&](double row, double step) {
      const __m256d r = _mm256_set1_pd(row), s = _mm256_set1_pd(step), half = _mm256_set1_pd(0.5);
      const __m256d scale = _mm256_set1_pd(256.0);
      const auto at = [&](__m256d index) {
        return _mm256_cvttpd_epi32(
            _mm256_add_pd(_mm256_mul_pd(_mm256_sub_pd(_mm256_add_pd(r, _mm256_mul_pd(s, index)), half), scale), half));
      };
      return _mm256_inserti128_si256(_mm256_castsi128_si256(at(first)), at(second), 1);
    };
    const Reg fu = fixed(uRow, du), fv = fixed(vRow, dv);
    const Reg offsets = _mm256_add_epi32(_mm256_mullo_epi32(_mm256_srai_epi32(fv, 8), _mm256_set1_epi32(static_cast<int>(pitch))),
                                         _mm256_slli_epi32(_mm256_srai_epi32(fu, 8), 2));
    const __m128i low = _mm256_castsi256_si128(offsets), high = _mm256_extracti128_si256(offsets, 1);
    const auto* top = reinterpret_cast<const long long*>(pixels);
    const auto* bottom = reinterpret_cast<const long long*>(pixels + pitch);
    const Reg byteMask = _mm256_set1_epi32(255);
    const auto words = [&](Reg w) { return _mm256_or_si256(w, _mm256_slli_epi32(w, 16)); };
    return {_mm256_i32gather_epi64(top, low, 1),    _mm256_i32gather_epi64(top, high, 1),
            _mm256_i32gather_epi64(bottom, low, 1), _mm256_i32gather_epi64(bottom, high, 1),
            words(_mm256_and_si256(fu, byteMask)),  words(_mm256_and_si256(fv, byteMask))};
  }
  // ---- positions of the transform kernels: a group's doubles in two registers of four lanes -----------------------
  // Each operation is the scalar code's, lane by lane (no fused multiply-add in this file), so the lanes hold the
  // scalar positions bit for bit.
  using RegD = __m256d;
  static constexpr int kLanesD = 4;
  static RegD splatD(double x) { return _mm256_set1_pd(x); }
  // i, i + 1, i + 2, i + 3 (exact: small integers).
  static RegD indicesD(int i) { return _mm256_add_pd(_mm256_set1_pd(i), _mm256_setr_pd(0.0, 1.0, 2.0, 3.0)); }
  static RegD addD(RegD a, RegD b) { return _mm256_add_pd(a, b); }
  static RegD mulD(RegD a, RegD b) { return _mm256_mul_pd(a, b); }
  static RegD divD(RegD a, RegD b) { return _mm256_div_pd(a, b); }
  // One bit per lane (lane 0 lowest): the value is greater than 0 (false for NaN).
  static unsigned positiveD(RegD a) {
    return static_cast<unsigned>(_mm256_movemask_pd(_mm256_cmp_pd(a, _mm256_setzero_pd(), _CMP_GT_OQ)));
  }
  // bilinearFixed of eight positions (low: pixels 0..3, high: 4..7) as 32-bit lanes, for surfaces of at most
  // 2^22 texels a side (limit = 256 size): max and min take the bound for NaN and for values past it, as the
  // scalar tests do, and the floor is exact.
  static Reg bilinearFixedD(RegD low, RegD high, double limit) {
    const auto fixed = [limit](RegD u) {
      RegD f = _mm256_mul_pd(_mm256_sub_pd(u, _mm256_set1_pd(0.5)), _mm256_set1_pd(256.0));
      f = _mm256_min_pd(_mm256_max_pd(f, _mm256_set1_pd(-256.0)), _mm256_set1_pd(limit));
      return _mm256_cvttpd_epi32(_mm256_floor_pd(_mm256_add_pd(f, _mm256_set1_pd(0.5))));
    };
    return _mm256_inserti128_si256(_mm256_castsi128_si256(fixed(low)), fixed(high), 1);
  }
  // nearestIndex of eight positions: 0 unless greater than 0, at most last, truncated.
  static Reg nearestD(RegD low, RegD high, double last) {
    const auto index = [last](RegD u) {
      const __m128i inside = _mm256_castsi256_si128(_mm256_permutevar8x32_epi32(
          _mm256_castpd_si256(_mm256_cmp_pd(u, _mm256_setzero_pd(), _CMP_GT_OQ)), _mm256_setr_epi32(0, 2, 4, 6, 0, 0, 0, 0)));
      return _mm_and_si128(inside, _mm256_cvttpd_epi32(_mm256_min_pd(u, _mm256_set1_pd(last))));
    };
    return _mm256_inserti128_si256(_mm256_castsi128_si256(index(low)), index(high), 1);
  }
  // Each 32-bit lane clamped to lo..hi.
  static Reg clamp32(Reg a, Reg lo, Reg hi) { return _mm256_max_epi32(_mm256_min_epi32(a, hi), lo); }
  static Reg add32(Reg a, Reg b) { return _mm256_add_epi32(a, b); }
  // The pixels at (row, column) lane by lane, gathered at 32-bit byte offsets row * pitch + 4 column, which the
  // caller makes sure fit.
  static Reg gatherTexels(const std::uint8_t* pixels, std::ptrdiff_t pitch, Reg rows, Reg columns) {
    const Reg offsets = _mm256_add_epi32(_mm256_mullo_epi32(rows, _mm256_set1_epi32(static_cast<int>(pitch))),
                                         _mm256_slli_epi32(columns, 2));
    return _mm256_i32gather_epi32(reinterpret_cast<const int*>(pixels), offsets, 1);
  }

  static Reg set32(int v) { return _mm256_set1_epi32(v); }
  static Reg and_(Reg a, Reg b) { return _mm256_and_si256(a, b); }
  static Reg andnot(Reg a, Reg b) { return _mm256_andnot_si256(a, b); }
  static Reg or_(Reg a, Reg b) { return _mm256_or_si256(a, b); }
  static Reg add16(Reg a, Reg b) { return _mm256_add_epi16(a, b); }
  static Reg sub16(Reg a, Reg b) { return _mm256_sub_epi16(a, b); }
  static Reg mullo16(Reg a, Reg b) { return _mm256_mullo_epi16(a, b); }
  static Reg mulhi16(Reg a, Reg b) { return _mm256_mulhi_epu16(a, b); }
  static Reg avgU16(Reg a, Reg b) { return _mm256_avg_epu16(a, b); }
  static Reg xor_(Reg a, Reg b) { return _mm256_xor_si256(a, b); }
  static Reg min16(Reg a, Reg b) { return _mm256_min_epi16(a, b); }
  // Each 32-bit lane's high (low) 16-bit word in both of its words.
  static Reg broadcastHighWords(Reg a) { return _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(a, 0xF5), 0xF5); }
  static Reg broadcastLowWords(Reg a) { return _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(a, 0xA0), 0xA0); }
  static Reg srli16(Reg a, int n) { return _mm256_srli_epi16(a, n); }
  static Reg slli16(Reg a, int n) { return _mm256_slli_epi16(a, n); }
  static Reg srli32(Reg a, int n) { return _mm256_srli_epi32(a, n); }
  static Reg srai32(Reg a, int n) { return _mm256_srai_epi32(a, n); }
  static Reg slli32(Reg a, int n) { return _mm256_slli_epi32(a, n); }
  static Reg addsU8(Reg a, Reg b) { return _mm256_adds_epu8(a, b); }
  static Reg subsU8(Reg a, Reg b) { return _mm256_subs_epu8(a, b); }
  static Reg sub8(Reg a, Reg b) { return _mm256_sub_epi8(a, b); }
  static Reg cmpeq8(Reg a, Reg b) { return _mm256_cmpeq_epi8(a, b); }
  static Reg cmpgtSigned8(Reg a, Reg b) { return _mm256_cmpgt_epi8(a, b); }
  static int movemask8(Reg a) { return _mm256_movemask_epi8(a); }
};

}  // namespace tamblet::kernels
