// The SSE2 lane type of the SIMD kernel templates: four pixels per 128-bit register. Include only from files
// compiled with -msse2.
#pragma once

#include <emmintrin.h>

#include <cstdint>
#include <cstring>

namespace tamblet::kernels {

struct Sse2 {
  using Reg = __m128i;
  static constexpr int kPixels = 4;
  static constexpr unsigned kAlphaBits = 0x8888u;
  static constexpr bool kGathers = false;  // no gather instructions: bilinear taps are read pixel by pixel

  static Reg load(const std::uint8_t* p) { return _mm_load_si128(reinterpret_cast<const Reg*>(p)); }
  static Reg loadu(const std::uint8_t* p) { return _mm_loadu_si128(reinterpret_cast<const Reg*>(p)); }
  static void store(std::uint8_t* p, Reg r) { _mm_store_si128(reinterpret_cast<Reg*>(p), r); }
  static void storeu(std::uint8_t* p, Reg r) { _mm_storeu_si128(reinterpret_cast<Reg*>(p), r); }
  // The first n pixels (0 < n < 4), one 8-byte and one 4-byte move at most; the other lanes load as 0.
  static Reg loadPartial(const std::uint8_t* p, int n) {
    Reg r = _mm_setzero_si128();
    if (n & 2) r = _mm_loadl_epi64(reinterpret_cast<const Reg*>(p));
    if (n & 1) {
      std::int32_t last;
      std::memcpy(&last, p + 4 * (n & 2), 4);
      r = (n & 2) ? _mm_unpacklo_epi64(r, _mm_cvtsi32_si128(last)) : _mm_cvtsi32_si128(last);
    }
    return r;
  }
  static void storePartial(std::uint8_t* p, Reg r, int n) {
    if (n & 2) {
      _mm_storel_epi64(reinterpret_cast<Reg*>(p), r);
      p += 8, r = _mm_srli_si128(r, 8);
    }
    if (n & 1) {
      const std::int32_t last = _mm_cvtsi128_si32(r);
      std::memcpy(p, &last, 4);
    }
  }
  // The even and the odd 32-bit elements of a, b (in order): pairs (x0, y0, x1, y1), (x2, y2, x3, y3) give
  // (x0..x3) and (y0..y3).
  static void deinterleave32(Reg a, Reg b, Reg& even, Reg& odd) {
    even = _mm_castps_si128(_mm_shuffle_ps(_mm_castsi128_ps(a), _mm_castsi128_ps(b), _MM_SHUFFLE(2, 0, 2, 0)));
    odd = _mm_castps_si128(_mm_shuffle_ps(_mm_castsi128_ps(a), _mm_castsi128_ps(b), _MM_SHUFFLE(3, 1, 3, 1)));
  }
  // The 8-byte pairs at p[0], p[1] side by side.
  static Reg loadPairs(const std::uint8_t* const* p) {
    return _mm_unpacklo_epi64(_mm_loadl_epi64(reinterpret_cast<const Reg*>(p[0])),
                              _mm_loadl_epi64(reinterpret_cast<const Reg*>(p[1])));
  }
  // w | w << 16 for each of the four pixels' w (0..255).
  static Reg wordPairs(const int* w) {
    return _mm_setr_epi32(w[0] * 0x10001, w[1] * 0x10001, w[2] * 0x10001, w[3] * 0x10001);
  }
  // ---- positions of the transform kernels: a group's doubles in two registers of two lanes ------------------------
  // Each operation is the scalar code's, lane by lane, so the lanes hold the scalar positions bit for bit.
  using RegD = __m128d;
  static constexpr int kLanesD = 2;
  static RegD splatD(double x) { return _mm_set1_pd(x); }
  // i, i + 1 (exact: small integers).
  static RegD indicesD(int i) { return _mm_add_pd(_mm_set1_pd(i), _mm_setr_pd(0.0, 1.0)); }
  static RegD addD(RegD a, RegD b) { return _mm_add_pd(a, b); }
  static RegD mulD(RegD a, RegD b) { return _mm_mul_pd(a, b); }
  static RegD divD(RegD a, RegD b) { return _mm_div_pd(a, b); }
  // One bit per lane (lane 0 lowest): the value is greater than 0 (false for NaN).
  static unsigned positiveD(RegD a) {
    return static_cast<unsigned>(_mm_movemask_pd(_mm_cmpgt_pd(a, _mm_setzero_pd())));
  }
  // bilinearFixed of four positions (low: pixels 0, 1, high: 2, 3) as 32-bit lanes, for surfaces of at most 2^22
  // texels a side (limit = 256 size): max and min take the bound for NaN and for values past it, as the scalar
  // tests do; the floor is the truncation less one where it came out above the value (both fit 32 bits).
  static Reg bilinearFixedD(RegD low, RegD high, double limit) {
    const auto fixed = [limit](RegD u) {
      RegD f = _mm_mul_pd(_mm_sub_pd(u, _mm_set1_pd(0.5)), _mm_set1_pd(256.0));
      f = _mm_add_pd(_mm_min_pd(_mm_max_pd(f, _mm_set1_pd(-256.0)), _mm_set1_pd(limit)), _mm_set1_pd(0.5));
      const Reg truncated = _mm_cvttpd_epi32(f);
      const Reg above = _mm_shuffle_epi32(_mm_castpd_si128(_mm_cmpgt_pd(_mm_cvtepi32_pd(truncated), f)),
                                          _MM_SHUFFLE(3, 3, 2, 0));
      return _mm_add_epi32(truncated, above);
    };
    return _mm_unpacklo_epi64(fixed(low), fixed(high));
  }
  // nearestIndex of four positions: 0 unless greater than 0, at most last, truncated.
  static Reg nearestD(RegD low, RegD high, double last) {
    const auto index = [last](RegD u) {
      const Reg inside = _mm_shuffle_epi32(_mm_castpd_si128(_mm_cmpgt_pd(u, _mm_setzero_pd())), _MM_SHUFFLE(3, 3, 2, 0));
      return _mm_and_si128(inside, _mm_cvttpd_epi32(_mm_min_pd(u, _mm_set1_pd(last))));
    };
    return _mm_unpacklo_epi64(index(low), index(high));
  }
  // Each 32-bit lane clamped to lo..hi (lo <= hi).
  static Reg clamp32(Reg a, Reg lo, Reg hi) {
    const Reg below = _mm_cmpgt_epi32(lo, a), above = _mm_cmpgt_epi32(a, hi);
    a = _mm_or_si128(_mm_and_si128(below, lo), _mm_andnot_si128(below, a));
    return _mm_or_si128(_mm_and_si128(above, hi), _mm_andnot_si128(above, a));
  }
  static Reg add32(Reg a, Reg b) { return _mm_add_epi32(a, b); }
  // The pixels at (row, column) lane by lane, read one by one (no gather instruction).
  static Reg gatherTexels(const std::uint8_t* pixels, std::ptrdiff_t pitch, Reg rows, Reg columns) {
    alignas(16) std::int32_t row[4], column[4];
    _mm_store_si128(reinterpret_cast<Reg*>(row), rows), _mm_store_si128(reinterpret_cast<Reg*>(column), columns);
    std::int32_t texel[4];
    for (int j = 0; j < 4; ++j) std::memcpy(&texel[j], pixels + row[j] * pitch + std::ptrdiff_t{4} * column[j], 4);
    return _mm_setr_epi32(texel[0], texel[1], texel[2], texel[3]);
  }

  static Reg set32(int v) { return _mm_set1_epi32(v); }
  static Reg and_(Reg a, Reg b) { return _mm_and_si128(a, b); }
  static Reg andnot(Reg a, Reg b) { return _mm_andnot_si128(a, b); }
  static Reg or_(Reg a, Reg b) { return _mm_or_si128(a, b); }
  static Reg add16(Reg a, Reg b) { return _mm_add_epi16(a, b); }
  static Reg sub16(Reg a, Reg b) { return _mm_sub_epi16(a, b); }
  static Reg mullo16(Reg a, Reg b) { return _mm_mullo_epi16(a, b); }
  static Reg mulhi16(Reg a, Reg b) { return _mm_mulhi_epu16(a, b); }
  static Reg avgU16(Reg a, Reg b) { return _mm_avg_epu16(a, b); }
  static Reg xor_(Reg a, Reg b) { return _mm_xor_si128(a, b); }
  static Reg min16(Reg a, Reg b) { return _mm_min_epi16(a, b); }
  // Each 32-bit lane's high (low) 16-bit word in both of its words.
  static Reg broadcastHighWords(Reg a) { return _mm_shufflehi_epi16(_mm_shufflelo_epi16(a, 0xF5), 0xF5); }
  static Reg broadcastLowWords(Reg a) { return _mm_shufflehi_epi16(_mm_shufflelo_epi16(a, 0xA0), 0xA0); }
  static Reg srli16(Reg a, int n) { return _mm_srli_epi16(a, n); }
  static Reg slli16(Reg a, int n) { return _mm_slli_epi16(a, n); }
  static Reg srli32(Reg a, int n) { return _mm_srli_epi32(a, n); }
  static Reg srai32(Reg a, int n) { return _mm_srai_epi32(a, n); }
  static Reg slli32(Reg a, int n) { return _mm_slli_epi32(a, n); }
  static Reg addsU8(Reg a, Reg b) { return _mm_adds_epu8(a, b); }
  static Reg subsU8(Reg a, Reg b) { return _mm_subs_epu8(a, b); }
  static Reg sub8(Reg a, Reg b) { return _mm_sub_epi8(a, b); }
  static Reg cmpeq8(Reg a, Reg b) { return _mm_cmpeq_epi8(a, b); }
  static Reg cmpgtSigned8(Reg a, Reg b) { return _mm_cmpgt_epi8(a, b); }
  static int movemask8(Reg a) { return _mm_movemask_epi8(a); }
};

}  // namespace tamblet::kernels
