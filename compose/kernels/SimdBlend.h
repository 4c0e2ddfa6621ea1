// The SIMD twins of the blend kernels, written once over a vector type V (SSE2: 4 pixels, AVX2: 8 pixels).
//
// A group of pixels is split into two registers of 16-bit lanes without unpacking: "even" holds B and R
// (x & 0x00FF), "odd" holds G and A (x >> 8). Every formula is evaluated so that no lane leaves 0..65535 and the
// signed ones are rewritten into equal unsigned or modular forms:
//   d + (((t - d) * a) >> 8)  ==  (d + (mullo(t - d, a) >> 8)) mod 256       (the true result lies in 0..255, so
//                                 only bits 8..15 of the product matter, and mullo keeps them)
//   the same for G and A      ==  (d & 0xFF00) + (mullo(t - d, a) & 0xFF00) in the high byte, so the odd half is
//                                 never shifted back before the two halves are joined
//   x / 255 (x <= 65025)      ==  mulhi(x, 0x8081) >> 7
//   (sA * cA * rate) >> 16    ==  mulhi(sA * cA, rate)
// The alpha lane of the odd register gets coverage 0, which leaves the destination alpha as it was.
// Rows run in whole groups, two per step where they can; what is left of a row is one partial group whose loads
// and stores touch only its own pixels, so no pixel goes through the slower per-pixel code.
//
// V provides: Reg, kPixels, kAlphaBits (movemask bits of the alpha bytes), loads and stores of the first n pixels
// of a group (n < kPixels) and thin wrappers over the instructions used below. Isa is the tag that keeps each instruction set's instantiations apart.
#pragma once

#include <cstdint>

#include "ScalarBlend.h"

namespace tamblet::kernels {

template <class V>
struct SimdConstants {
  using Reg = typename V::Reg;
  explicit SimdConstants(const BlendParams& p)
      : lowBytes(V::set32(0x00FF00FF)),
        highBytes(V::set32(static_cast<int>(0xFF00FF00u))),
        greenHigh(V::set32(0x0000FF00)),
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
  Reg lowBytes, highBytes, greenHigh, alphaBytes, one8, ones, zero, max16, reciprocal255, mulEven, mulOdd, addEven, addOdd, rate;
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
  // d + (((t - d) * a) >> 8) for the even half, in the low bytes (high bytes 0).
  static Reg mixEven(Reg t, Reg d, Reg a, const K& k) {
    return V::and_(V::add16(d, V::srli16(V::mullo16(V::sub16(t, d), a), 8)), k.lowBytes);
  }
  // The same for G in the high byte of the odd half's low lanes, with A kept as dHigh has it (the destination's
  // odd bytes in place): the product's A lanes are masked off, so a may be the even half's coverage (a, a).
  static Reg mixOdd(Reg t, Reg d, Reg dHigh, Reg a, const K& k) {
    return V::add16(dHigh, V::and_(V::mullo16(V::sub16(t, d), a), k.greenHigh));
  }
  static Reg modulate(Reg x, Reg mul, Reg add, const K& k) {
    return V::min16(V::add16(V::srli16(V::mullo16(x, mul), 8), add), k.max16);
  }
  // 0xFF in every byte that is 0 or 255: a byte equals its own sign mask exactly then.
  static Reg extreme(Reg s, const K& k) { return V::cmpeq8(V::cmpgtSigned8(k.zero, s), s); }
  // The top bits of the alpha bytes (for alphas known to be 0 or 255: which are 255).
  static unsigned alphaSigns(Reg s) { return static_cast<unsigned>(V::movemask8(s)) & V::kAlphaBits; }
  // Whether the alpha byte of every pixel is set in the byte mask m (from cmpeq8).
  static bool allAlphaSet(Reg m) {
    return (static_cast<unsigned>(V::movemask8(m)) & V::kAlphaBits) == V::kAlphaBits;
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
  // (a, a) for B and R (and G); with source alpha alone straight from the source's (G, A) words.
  const Reg aEven = (Flags & (kFlagClipper | kFlagRate)) == 0 ? V::broadcastHighWords(so) : V::broadcastLowWords(aOdd);
  if constexpr (Method == 1) {
    return Ops::join(V::min16(V::add16(de, Ops::product(se, aEven)), k.max16),
                     V::min16(V::add16(dodd, Ops::product(so, aOdd)), k.max16));
  }
  return V::or_(Ops::mixEven(te, de, aEven, k), Ops::mixOdd(to, dodd, V::and_(d, k.highBytes), aEven, k));
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

// One whole group at dst from its modulated source s, by the general arithmetic.
template <class V, int Method, unsigned Flags, bool Aligned>
[[gnu::always_inline]] inline void blendGroupAt(std::uint8_t* dst, const SourceGroup<V>& s, const std::uint8_t* clip,
                                                const SimdConstants<V>& k) {
  typename V::Reg c = k.zero;
  if constexpr ((Flags & kFlagClipper) != 0) c = V::loadu(clip);
  storeGroup<V, Aligned>(dst, blendGroup<V, Method, Flags>(s, loadGroup<V, Aligned>(dst), c, k));
}

// A group whose alphas are all 0 or 255 (top: their top bits). Method 0 without clipper or rate takes, without a
// branch, opaqueOver where the alpha is 255 and the destination where it is 0; the other kernels leave a
// transparent group as it is and blend the rest by the general arithmetic.
template <class V, int Method, unsigned Flags, bool Aligned>
[[gnu::always_inline]] inline void blendExtremeGroupAt(std::uint8_t* dst, const SourceGroup<V>& s, unsigned top,
                                                       const std::uint8_t* clip, const SimdConstants<V>& k) {
  constexpr bool kOpaqueShortcut = Method == 0 && (Flags & (kFlagClipper | kFlagRate)) == 0;
  if constexpr (kOpaqueShortcut) {
    const typename V::Reg d = loadGroup<V, Aligned>(dst), opaque = V::srai32(s.whole, 31);
    storeGroup<V, Aligned>(dst, V::or_(V::and_(opaque, opaqueOver<V>(s.whole, d, k)), V::andnot(opaque, d)));
  } else {
    if (top == 0) return;
    blendGroupAt<V, Method, Flags, Aligned>(dst, s, clip, k);
  }
}

// One row of whole groups, two per step; Aligned selects aligned destination loads and stores. With source alpha
// one test finds the pairs whose alphas are all 0 or 255 (sprites: transparent and opaque runs), which skip or
// copy; random alphas never pass it, so its branch stays predictable and costs them a few instructions per pair.
template <class V, int Method, unsigned Flags, bool Aligned>
[[gnu::always_inline]] inline void blendGroups(std::uint8_t* dst, const std::uint8_t* src, const std::uint8_t* clip,
                                               int groups, const SimdConstants<V>& k) {
  constexpr int kStep = 4 * V::kPixels;
  constexpr bool kClip = (Flags & kFlagClipper) != 0;
  using Ops = SimdOps<V>;
  int g = 0;
  for (; g + 2 <= groups; g += 2, dst += 2 * kStep, src += 2 * kStep) {
    const SourceGroup<V> first = modulateGroup<V, Flags>(V::loadu(src), k);
    const SourceGroup<V> second = modulateGroup<V, Flags>(V::loadu(src + kStep), k);
    const std::uint8_t* clipAt = nullptr;
    if constexpr (kClip) clipAt = clip + std::ptrdiff_t{g} * kStep;
    if constexpr ((Flags & kFlagSourceAlpha) != 0) {
      if (Ops::allAlphaSet(V::and_(Ops::extreme(first.whole, k), Ops::extreme(second.whole, k)))) {
        const unsigned top0 = Ops::alphaSigns(first.whole), top1 = Ops::alphaSigns(second.whole);
        if ((top0 | top1) == 0) continue;  // coverage 0 everywhere: destination unchanged
        blendExtremeGroupAt<V, Method, Flags, Aligned>(dst, first, top0, clipAt, k);
        if constexpr (kClip) clipAt += kStep;
        blendExtremeGroupAt<V, Method, Flags, Aligned>(dst + kStep, second, top1, clipAt, k);
        continue;
      }
    }
    blendGroupAt<V, Method, Flags, Aligned>(dst, first, clipAt, k);
    if constexpr (kClip) clipAt += kStep;
    blendGroupAt<V, Method, Flags, Aligned>(dst + kStep, second, clipAt, k);
  }
  if (g < groups) {
    const std::uint8_t* clipAt = nullptr;
    if constexpr (kClip) clipAt = clip + std::ptrdiff_t{g} * kStep;
    blendGroupAt<V, Method, Flags, Aligned>(dst, modulateGroup<V, Flags>(V::loadu(src), k), clipAt, k);
  }
}

// The first count pixels (0 < count < kPixels) as one group: the loads and stores touch those pixels only, and
// the other lanes are computed on zeros and dropped.
template <class V, int Method, unsigned Flags>
[[gnu::always_inline]] inline void blendPartialGroup(std::uint8_t* dst, const std::uint8_t* src,
                                                     const std::uint8_t* clip, int count, const SimdConstants<V>& k) {
  typename V::Reg c = k.zero;
  if constexpr ((Flags & kFlagClipper) != 0) c = V::loadPartial(clip, count);
  const SourceGroup<V> s = modulateGroup<V, Flags>(V::loadPartial(src, count), k);
  V::storePartial(dst, blendGroup<V, Method, Flags>(s, V::loadPartial(dst, count), c, k), count);
}

// The SIMD twin of (Method, Flags). Rows of at least kAlignedRow groups first blend the pixels up to the first
// destination address aligned to the vector size as one partial group, then aligned whole groups; shorter rows
// (sprites) run unaligned groups from their first pixel. What is left is one partial group. A destination that is
// not even 4-byte aligned never reaches an aligned address; its groups use unaligned stores.
template <class V, class Isa, int Method, unsigned Flags>
void simdKernel(std::uint8_t* dst, std::ptrdiff_t dstPitch, const std::uint8_t* src, std::ptrdiff_t srcPitch,
                int width, int height, const BlendParams& params) {
  constexpr unsigned kFlags = Flags & ~kFlagSimd;
  constexpr int kAlignedRow = 8;
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
      const bool aligned = (address & 3) == 0 && width >= kAlignedRow * V::kPixels;
      int head = aligned ? static_cast<int>((-address & (kVectorBytes - 1)) / 4) : 0;
      if (head > 0) {
        blendPartialGroup<V, Method, kFlags>(d, s, c, head, k);
        d += 4 * head, s += 4 * head;
        if constexpr ((kFlags & kFlagClipper) != 0) c += 4 * head;
      }
      const int groups = (width - head) / V::kPixels;
      if (aligned) {
        blendGroups<V, Method, kFlags, true>(d, s, c, groups, k);
      } else {
        blendGroups<V, Method, kFlags, false>(d, s, c, groups, k);
      }
      const int done = groups * kVectorBytes;
      const int tail = width - head - groups * V::kPixels;
      const std::uint8_t* tailClip = nullptr;
      if constexpr ((kFlags & kFlagClipper) != 0) tailClip = c + done;
      if (tail > 0) blendPartialGroup<V, Method, kFlags>(d + done, s + done, tailClip, tail, k);
    }
  }
}

}  // namespace tamblet::kernels
