// The SIMD twins of the blend kernels, written once over a vector type V (SSE2: 4 pixels, AVX2: 8 pixels).
//
// A group of pixels is split into two registers of 16-bit lanes without unpacking: "even" holds B and R
// (x & 0x00FF), "odd" holds G and A (x >> 8). Every formula is evaluated so that no lane leaves 0..65535 and the
// signed ones are rewritten into equal unsigned forms:
//   d + (((t - d) * a) >> 8)  ==  d + mulhi_signed((t - d) << 7, a << 1)   (|t - d| <= 255, a <= 255)
//   x / 255 (x <= 65025)      ==  mulhi(x, 0x8081) >> 7
//   (sA * cA * rate) >> 16    ==  mulhi(sA * cA, rate)
// The alpha lane of the odd register gets coverage 0, which leaves the destination alpha as it was.
//
// V provides: Reg, kPixels, kAlphaBits (movemask bits of the alpha bytes) and thin wrappers over the
// instructions used below. Isa is the tag that keeps each instruction set's instantiations apart.
#pragma once

#include <cstdint>

#include "ScalarBlend.h"

namespace tamblet::kernels {

template <class V>
struct SimdConstants {
  using Reg = typename V::Reg;
  explicit SimdConstants(const BlendParams& p)
      : lowBytes(V::set32(0x00FF00FF)),
        alphaBytes(V::set32(static_cast<int>(0xFF000000u))),
        one8(V::set32(0x01010101)),
        ones(V::set32(-1)),
        zero(V::set32(0)),
        max16(V::set32(0x00FF00FF)),
        reciprocal255(V::set32(static_cast<int>(0x80818081u))),
        mulEven(V::set32(p.multiply[0] | p.multiply[2] << 16)),
        mulOdd(V::set32(p.multiply[1] | p.multiply[3] << 16)),
        addEven(V::set32(p.add[0] | p.add[2] << 16)),
        addOdd(V::set32(p.add[1] | p.add[3] << 16)),
        rate(V::set32(p.rate)) {}
  Reg lowBytes, alphaBytes, one8, ones, zero, max16, reciprocal255, mulEven, mulOdd, addEven, addOdd, rate;
};

template <class V>
struct SimdOps {
  using Reg = typename V::Reg;
  using K = SimdConstants<V>;

  static Reg even(Reg x, const K& k) { return V::and_(x, k.lowBytes); }
  static Reg odd(Reg x) { return V::srli16(x, 8); }
  static Reg join(Reg even, Reg odd) { return V::or_(even, V::slli16(odd, 8)); }
  // Colour bytes of r with the alpha bytes of d.
  static Reg keepAlpha(Reg r, Reg d, const K& k) { return V::or_(V::andnot(k.alphaBytes, r), V::and_(d, k.alphaBytes)); }
  static Reg product(Reg s, Reg d) { return V::srli16(V::mullo16(s, d), 8); }
  // 255 - x is x ^ 255 for x in 0..255.
  static Reg screen(Reg s, Reg d, const K& k) {
    const Reg x = V::mullo16(V::xor_(s, k.max16), V::xor_(d, k.max16));
    return V::xor_(V::srli16(V::mulhi16(x, k.reciprocal255), 7), k.max16);
  }
  // d + (((t - d) * a) >> 8), given twiceA = a << 1.
  static Reg mix(Reg t, Reg d, Reg twiceA) { return V::add16(d, V::mulhiSigned16(V::slli16(V::sub16(t, d), 7), twiceA)); }
  static Reg modulate(Reg x, Reg mul, Reg add, const K& k) {
    return V::min16(V::add16(V::srli16(V::mullo16(x, mul), 8), add), k.max16);
  }
  static bool allAlpha(Reg s, Reg value) {
    return (static_cast<unsigned>(V::movemask8(V::cmpeq8(s, value))) & V::kAlphaBits) == V::kAlphaBits;
  }
};

// A source group after colour modulation, whole and split into its 16-bit halves (what goes unused is dropped
// by the compiler).
template <class V>
struct SourceGroup {
  typename V::Reg whole, even, odd;
};

template <class V, unsigned Flags>
[[gnu::always_inline]] inline SourceGroup<V> modulateGroup(typename V::Reg s, const SimdConstants<V>& k) {
  using Ops = SimdOps<V>;
  if constexpr ((Flags & kFlagModulate) == 0) return {s, Ops::even(s, k), Ops::odd(s)};
  const typename V::Reg even = Ops::modulate(Ops::even(s, k), k.mulEven, k.addEven, k);
  const typename V::Reg odd = Ops::modulate(Ops::odd(s), k.mulOdd, k.addOdd, k);
  return {Ops::join(even, odd), even, odd};
}

// Coverage per pixel as 32-bit lanes (a, 0), from the modulated source's odd half (G, A) and the clipper group c.
template <class V, unsigned Flags>
[[gnu::always_inline]] inline typename V::Reg groupCoverage(typename V::Reg sourceOdd, typename V::Reg c,
                                                            const SimdConstants<V>& k) {
  constexpr bool kAlpha = (Flags & kFlagSourceAlpha) != 0;
  constexpr bool kClip = (Flags & kFlagClipper) != 0;
  constexpr bool kRate = (Flags & kFlagRate) != 0;
  using Reg = typename V::Reg;
  Reg sourceAlpha = k.zero, clipperAlpha = k.zero;
  if constexpr (kAlpha) sourceAlpha = V::srli32(sourceOdd, 16);
  if constexpr (kClip) clipperAlpha = V::srli32(c, 24);
  if constexpr (kAlpha && kClip && kRate) return V::mulhi16(V::mullo16(sourceAlpha, clipperAlpha), k.rate);
  if constexpr (kAlpha && kClip) return V::srli16(V::mullo16(sourceAlpha, clipperAlpha), 8);
  if constexpr (kAlpha && kRate) return V::srli16(V::mullo16(sourceAlpha, k.rate), 8);
  if constexpr (kClip && kRate) return V::srli16(V::mullo16(clipperAlpha, k.rate), 8);
  if constexpr (kAlpha) return sourceAlpha;
  if constexpr (kClip) return clipperAlpha;
  return k.rate;
}

// Blends the modulated source group s into the destination group d (c: clipper group, read with kFlagClipper).
template <class V, int Method, unsigned Flags>
[[gnu::always_inline]] inline typename V::Reg blendGroup(const SourceGroup<V>& s, typename V::Reg d,
                                                         typename V::Reg c, const SimdConstants<V>& k) {
  using Ops = SimdOps<V>;
  using Reg = typename V::Reg;
  if constexpr (Method == 0 && !kHasCoverage<Flags>) return s.whole;
  if constexpr (Method == 1 && !kHasCoverage<Flags>) return Ops::keepAlpha(V::addsU8(s.whole, d), d, k);
  const Reg se = s.even, so = s.odd, de = Ops::even(d, k), dodd = Ops::odd(d);
  Reg te = se, to = so;
  if constexpr (Method == 2) te = Ops::product(se, de), to = Ops::product(so, dodd);
  if constexpr (Method == 3) te = Ops::screen(se, de, k), to = Ops::screen(so, dodd, k);
  if constexpr (!kHasCoverage<Flags>) return Ops::keepAlpha(Ops::join(te, to), d, k);
  const Reg aOdd = groupCoverage<V, Flags>(so, c, k);  // (a, 0): G blended, A kept
  const Reg aEven = V::or_(aOdd, V::slli32(aOdd, 16));
  if constexpr (Method == 1) {
    return Ops::join(V::min16(V::add16(de, Ops::product(se, aEven)), k.max16),
                     V::min16(V::add16(dodd, Ops::product(so, aOdd)), k.max16));
  }
  const Reg twiceOdd = V::slli32(aOdd, 1), twiceEven = V::slli32(aEven, 1);
  return Ops::join(Ops::mix(te, de, twiceEven), Ops::mix(to, dodd, twiceOdd));
}

// Method 0 at coverage 255 (opaque source, no rate, no clipper): d + (((s - d) * 255) >> 8) is s - 1 where s > d
// and s elsewhere; byte arithmetic, destination alpha kept.
template <class V>
[[gnu::always_inline]] inline typename V::Reg opaqueOver(typename V::Reg s, typename V::Reg d,
                                                         const SimdConstants<V>& k) {
  const typename V::Reg notAbove = V::cmpeq8(V::subsU8(s, d), k.zero);
  return SimdOps<V>::keepAlpha(V::sub8(s, V::andnot(notAbove, k.one8)), d, k);
}

template <class V, bool Aligned>
[[gnu::always_inline]] inline typename V::Reg loadGroup(const std::uint8_t* p) {
  if constexpr (Aligned) return V::load(p);
  return V::loadu(p);
}

template <class V, bool Aligned>
[[gnu::always_inline]] inline void storeGroup(std::uint8_t* p, typename V::Reg r) {
  if constexpr (Aligned) {
    V::store(p, r);
  } else {
    V::storeu(p, r);
  }
}

// One row of groups; Aligned selects aligned destination loads and stores.
template <class V, int Method, unsigned Flags, bool Aligned>
[[gnu::always_inline]] inline void blendGroups(std::uint8_t* dst, const std::uint8_t* src, const std::uint8_t* clip,
                                               int groups, const SimdConstants<V>& k) {
  constexpr int kStep = 4 * V::kPixels;
  constexpr bool kOpaqueShortcut = Method == 0 && (Flags & (kFlagClipper | kFlagRate)) == 0;
  using Reg = typename V::Reg;
  for (int g = 0; g < groups; ++g, dst += kStep, src += kStep) {
    const SourceGroup<V> s = modulateGroup<V, Flags>(V::loadu(src), k);
    if constexpr ((Flags & kFlagSourceAlpha) != 0) {
      if (SimdOps<V>::allAlpha(s.whole, k.zero)) continue;  // coverage 0 everywhere: destination unchanged
      if constexpr (kOpaqueShortcut) {
        if (SimdOps<V>::allAlpha(s.whole, k.ones)) {
          storeGroup<V, Aligned>(dst, opaqueOver<V>(s.whole, loadGroup<V, Aligned>(dst), k));
          continue;
        }
      }
    }
    Reg c = k.zero;
    if constexpr ((Flags & kFlagClipper) != 0) c = V::loadu(clip + g * kStep);
    storeGroup<V, Aligned>(dst, blendGroup<V, Method, Flags>(s, loadGroup<V, Aligned>(dst), c, k));
  }
}

// The SIMD twin of (Method, Flags): scalar pixels up to the first destination address aligned to the vector
// size, whole groups, scalar pixels for the rest. A destination that is not even 4-byte aligned never reaches
// an aligned address; its groups use unaligned stores.
template <class V, class Isa, int Method, unsigned Flags>
void simdKernel(std::uint8_t* dst, std::ptrdiff_t dstPitch, const std::uint8_t* src, std::ptrdiff_t srcPitch,
                int width, int height, const BlendParams& params) {
  constexpr unsigned kFlags = Flags & ~kFlagSimd;
  if (width < 1) return;
  if constexpr (Method == 0 && kFlags == 0) {
    scalarKernel<Isa, Method, kFlags>(dst, dstPitch, src, srcPitch, width, height, params);  // a plain copy
  } else {
    constexpr int kVectorBytes = 4 * V::kPixels;
    const SimdConstants<V> k(params);
    for (int y = 0; y < height; ++y) {
      std::uint8_t* d = rowAt(dst, dstPitch, y);
      const std::uint8_t* s = rowAt(src, srcPitch, y);
      const std::uint8_t* c = nullptr;
      if constexpr ((kFlags & kFlagClipper) != 0) c = rowAt(params.clipper, params.clipperPitch, y);
      const auto address = reinterpret_cast<std::uintptr_t>(d);
      const bool aligned = (address & 3) == 0;
      int head = aligned ? static_cast<int>((-address & (kVectorBytes - 1)) / 4) : 0;
      if (head > width) head = width;
      const int groups = (width - head) / V::kPixels;
      const int tail = width - head - groups * V::kPixels;
      blendPixels<Isa, Method, kFlags>(d, s, c, head, params);
      const int offset = 4 * head;
      const std::uint8_t* groupClip = nullptr;
      if constexpr ((kFlags & kFlagClipper) != 0) groupClip = c + offset;
      if (aligned) {
        blendGroups<V, Method, kFlags, true>(d + offset, s + offset, groupClip, groups, k);
      } else {
        blendGroups<V, Method, kFlags, false>(d + offset, s + offset, groupClip, groups, k);
      }
      const int done = 4 * (head + groups * V::kPixels);
      const std::uint8_t* tailClip = nullptr;
      if constexpr ((kFlags & kFlagClipper) != 0) tailClip = c + done;
      blendPixels<Isa, Method, kFlags>(d + done, s + done, tailClip, tail, params);
    }
  }
}

}  // namespace tamblet::kernels
