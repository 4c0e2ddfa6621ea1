// The transform kernels written once: the scalar twin samples and blends one pixel at a time with the per-channel
// formulas, the SIMD twin over the blend kernels' lane type V reads the texels of kPixels covered pixels into
// registers and runs the bilinear blend and the normal path's blend (SimdBlend.h) on whole groups. Positions and
// taps are computed in double precision by the same operations on every path (TransformGeometry.h; the SIMD twin
// does them lane by lane, LaneSampler), so every path writes the same bytes.
//
// The bilinear blend per channel is ((p00 (256 - wu) + p01 wu) (256 - wv) + (p10 (256 - wu) + p11 wu) wv + 32768)
// >> 16. The horizontal sums h0, h1 are at most 255 * 256 and fit 16 unsigned bits; the vertical products are
// split into their high and low 16 bits (mulhi, mullo): the result is hi0 + hi1 + ((lo0 + lo1 + 32768) >> 16), and
// that carry (0, 1 or 2) is ((((lo0 + lo1) >> 1) >> 14) + 1) >> 1, with (lo0 + lo1) >> 1 taken from the rounding
// average minus the dropped low bit.
//
// Every template takes an instruction-set tag (see ScalarBlend.h).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <utility>

#include "compose/kernels/ScalarBlend.h"
#include "compose/kernels/SimdBlend.h"
#include "compose/kernels/TransformGeometry.h"

namespace tamblet::kernels {

using TransformKernelTable = std::array<TransformKernel, kTransformKeyCount>;

// The table of each path (one per instruction-set file); transformKernel picks one.
const TransformKernelTable& scalarTransformTable();
const TransformKernelTable& sse2TransformTable();
const TransformKernelTable& avx2TransformTable();

namespace transform {

// The normal-path flags that a variant's per-pixel blend uses.
constexpr unsigned blendFlagsOf(unsigned key) {
  return ((key & kTransformModulate) ? kFlagModulate : 0u) | ((key & kTransformRate) ? kFlagRate : 0u) |
         ((key & kTransformSourceAlpha) ? kFlagSourceAlpha : 0u);
}

// Calls draw(line, runs, first, end) for every covered run of every row. The lambdas handed to these two are
// marked always_inline: a call per pixel would cost more than the pixel.
template <class Draw>
[[gnu::always_inline]] inline void forEachRun(const PixelRows& destination, const QuadSetup& setup, bool general,
                                              Draw&& draw) {
  for (int row = setup.rowBegin; row < setup.rowEnd; ++row) {
    const RowRuns runs = rowRuns(setup, row, destination.width, general);
    std::uint8_t* line = destination.pixels + row * destination.pitch;
    for (int r = 0; r < runs.count; ++r) draw(line, runs, runs.first[r], runs.end[r]);
  }
}

// Calls sample(i, u, v) for pixels first..end-1 of a row in order, skipping (perspective) the pixels whose
// interpolated 1 / w is not positive; skip(i) is called for those.
template <bool Perspective, class Sample, class Skip>
[[gnu::always_inline]] inline void forEachPosition(const QuadSetup& setup, const RowRuns& runs, int first, int end,
                                                   Sample&& sample, Skip&& skip) {
  for (int i = first; i < end; ++i) {
    double u = runs.u + setup.u.dx * i, v = runs.v + setup.v.dx * i;
    if constexpr (Perspective) {
      const double w = runs.q + setup.q.dx * i;
      if (!(w > 0.0)) {
        skip(i);
        continue;
      }
      u /= w, v /= w;
    }
    sample(i, u, v);
  }
}

// ---- the scalar twin ---------------------------------------------------------------------------------------------

template <class Isa>
[[gnu::always_inline]] inline void bilinearTexel(const BilinearTaps& taps, std::uint8_t texel[4]) {
  for (int c = 0; c < 4; ++c) {
    const int top = taps.p00[c] * (256 - taps.wu) + taps.p01[c] * taps.wu;
    const int bottom = taps.p10[c] * (256 - taps.wu) + taps.p11[c] * taps.wu;
    texel[c] = static_cast<std::uint8_t>((top * (256 - taps.wv) + bottom * taps.wv + 32768) >> 16);
  }
}

template <class Isa, unsigned Key, unsigned BlendFlags>
void drawQuadScalar(const PixelRows& destination, const PixelRows& source, const TransformQuad& quad,
                    const BlendParams& params) {
  constexpr bool kPerspective = (Key & kTransformPerspective) != 0;
  QuadSetup setup;
  if (!setUpQuad(destination, source, quad, kPerspective, setup)) return;
  forEachRun(destination, setup, (Key & kTransformGeneral) != 0,
             [&](std::uint8_t* line, const RowRuns& runs, int first, int end) __attribute__((always_inline)) {
               const auto sample = [&](int i, double u, double v) __attribute__((always_inline)) {
                 std::uint8_t texel[4];
                 if constexpr ((Key & kTransformBilinear) != 0) {
                   bilinearTexel<Isa>(bilinearTaps(source, u, v), texel);
                 } else {
                   std::memcpy(texel,
                               source.pixels + nearestIndex(v, source.height) * source.pitch +
                                   std::ptrdiff_t{4} * nearestIndex(u, source.width),
                               4);
                 }
                 blendPixel<Isa, 0, BlendFlags>(line + std::ptrdiff_t{4} * i, texel, nullptr, params);
               };
               forEachPosition<kPerspective>(setup, runs, first, end, sample, [](int) __attribute__((always_inline)) {});
             });
}

// ---- the SIMD twin -------------------------------------------------------------------------------------------------

// The bilinear blend of one half (even: B, R; odd: G, A) of a group, weights (w, w) in each 32-bit lane.
template <class V>
[[gnu::always_inline]] inline typename V::Reg bilinearHalf(typename V::Reg p00, typename V::Reg p01,
                                                           typename V::Reg p10, typename V::Reg p11,
                                                           typename V::Reg wu, typename V::Reg wv,
                                                           typename V::Reg restU, typename V::Reg restV,
                                                           typename V::Reg one) {
  using Reg = typename V::Reg;
  const Reg top = V::add16(V::mullo16(p00, restU), V::mullo16(p01, wu));
  const Reg bottom = V::add16(V::mullo16(p10, restU), V::mullo16(p11, wu));
  const Reg lowTop = V::mullo16(top, restV), lowBottom = V::mullo16(bottom, wv);
  const Reg half = V::sub16(V::avgU16(lowTop, lowBottom), V::and_(V::xor_(lowTop, lowBottom), one));
  const Reg carry = V::srli16(V::add16(V::srli16(half, 14), one), 1);
  return V::add16(V::add16(V::mulhi16(top, restV), V::mulhi16(bottom, wv)), carry);
}

// Gathered texels (or bilinear taps) of up to kPixels pixels, blended into the destination as one group.
template <class V, class Isa, unsigned Key, unsigned BlendFlags>
class GroupWriter {
 public:
  explicit GroupWriter(const BlendParams& params)
      : k_(params), w256_(V::set32(256 | 256 << 16)), one_(V::set32(1 | 1 << 16)) {}

  // Slot `count` holds the next pixel's texel (nearest) or taps (bilinear), the taps as a top and a bottom pair.
  [[gnu::always_inline]] void putTexel(const std::uint8_t* texel) { std::memcpy(&top_[count_++], texel, 4); }
  [[gnu::always_inline]] void putTaps(const BilinearTaps& taps) {
    std::memcpy(&top_[2 * count_], taps.p00, 4), std::memcpy(&top_[2 * count_ + 1], taps.p01, 4);
    std::memcpy(&bottom_[2 * count_], taps.p10, 4), std::memcpy(&bottom_[2 * count_ + 1], taps.p11, 4);
    putWeights(taps.wu, taps.wv);
  }
  // A whole group of pixels whose taps lie inside the surface, blended into kPixels destination pixels from `to`:
  // the pairs and weights go straight into registers (slots written in pieces and read whole would stall the
  // loads). Nothing may be gathered in the slots.
  [[gnu::always_inline]] void blendInside(std::uint8_t* to, const std::uint8_t* const* tops, std::ptrdiff_t pitch,
                                          const int* wu, const int* wv) {
    using Reg = typename V::Reg;
    const std::uint8_t* bottoms[V::kPixels];
    for (int j = 0; j < V::kPixels; ++j) bottoms[j] = tops[j] + pitch;
    Reg p00, p01, p10, p11;
    V::deinterleave32(V::loadPairs(tops), V::loadPairs(tops + V::kPixels / 2), p00, p01);
    V::deinterleave32(V::loadPairs(bottoms), V::loadPairs(bottoms + V::kPixels / 2), p10, p11);
    const SourceGroup<V> s = bilinear(p00, p01, p10, p11, V::wordPairs(wu), V::wordPairs(wv));
    V::storeu(to, blendGroup<V, 0, BlendFlags>(s, V::loadu(to), k_.zero, k_));
  }
  // The same from taps gathered by the lane type (V::kGathers).
  template <class Taps>
  [[gnu::always_inline]] void blendInside(std::uint8_t* to, const Taps& taps) {
    using Reg = typename V::Reg;
    Reg p00, p01, p10, p11;
    V::deinterleave32(taps.top0, taps.top1, p00, p01);
    V::deinterleave32(taps.bottom0, taps.bottom1, p10, p11);
    V::storeu(to, blendGroup<V, 0, BlendFlags>(bilinear(p00, p01, p10, p11, taps.wu, taps.wv), V::loadu(to), k_.zero,
                                               k_));
  }
  // count (1..kPixels) pixels from `to` whose texels (sourceOf) or bilinear blends (bilinearLanes) were read
  // straight into lanes. Nothing may be gathered in the slots.
  [[gnu::always_inline]] void blendLanes(std::uint8_t* to, int count, const SourceGroup<V>& s) {
    if (count == V::kPixels) {
      V::storeu(to, blendGroup<V, 0, BlendFlags>(s, V::loadu(to), k_.zero, k_));
    } else {
      V::storePartial(to, blendGroup<V, 0, BlendFlags>(s, V::loadPartial(to, count), k_.zero, k_), count);
    }
  }
  // The bilinear blend of taps held one per lane, weights (w, w) in each 32-bit lane, as a source group.
  [[gnu::always_inline]] SourceGroup<V> bilinearLanes(typename V::Reg p00, typename V::Reg p01, typename V::Reg p10,
                                                      typename V::Reg p11, typename V::Reg wu,
                                                      typename V::Reg wv) const {
    return bilinear(p00, p01, p10, p11, wu, wv);
  }
  // Texels as a source group.
  [[gnu::always_inline]] SourceGroup<V> sourceOf(typename V::Reg texels) const {
    return modulateGroup<V, BlendFlags>(texels, k_);
  }
  bool full() const { return count_ == V::kPixels; }
  bool empty() const { return count_ == 0; }

  // Blends the gathered pixels into count consecutive destination pixels from `to`.
  [[gnu::always_inline]] void flush(std::uint8_t* to) {
    SourceGroup<V> s;
    if constexpr ((Key & kTransformBilinear) != 0) {
      s = bilinear();
    } else {
      s = sourceOf(load(top_));
    }
    if (count_ == V::kPixels) {
      V::storeu(to, blendGroup<V, 0, BlendFlags>(s, V::loadu(to), k_.zero, k_));
    } else {
      V::storePartial(to, blendGroup<V, 0, BlendFlags>(s, V::loadPartial(to, count_), k_.zero, k_), count_);
    }
    count_ = 0;
  }

 private:
  [[gnu::always_inline]] void putWeights(int wu, int wv) {
    wu_[count_] = static_cast<std::uint32_t>(wu | wu << 16);
    wv_[count_++] = static_cast<std::uint32_t>(wv | wv << 16);
  }

  static typename V::Reg load(const std::uint32_t* slots) {
    return V::loadu(reinterpret_cast<const std::uint8_t*>(slots));
  }

  SourceGroup<V> bilinear() const {
    typename V::Reg p00, p01, p10, p11;
    V::deinterleave32(load(top_), load(top_ + V::kPixels), p00, p01);
    V::deinterleave32(load(bottom_), load(bottom_ + V::kPixels), p10, p11);
    return bilinear(p00, p01, p10, p11, load(wu_), load(wv_));
  }

  // The blend's halves go to the normal path's blend as they are (unmodulated), not joined and split again.
  SourceGroup<V> bilinear(typename V::Reg p00, typename V::Reg p01, typename V::Reg p10, typename V::Reg p11,
                          typename V::Reg wu, typename V::Reg wv) const {
    using Reg = typename V::Reg;
    using Ops = SimdOps<V>;
    const Reg restU = V::sub16(w256_, wu), restV = V::sub16(w256_, wv);
    const Reg even = bilinearHalf<V>(Ops::even(p00, k_), Ops::even(p01, k_), Ops::even(p10, k_), Ops::even(p11, k_),
                                     wu, wv, restU, restV, one_);
    const Reg odd = bilinearHalf<V>(Ops::odd(p00), Ops::odd(p01), Ops::odd(p10), Ops::odd(p11), wu, wv, restU,
                                    restV, one_);
    if constexpr ((BlendFlags & kFlagModulate) != 0) return modulateGroup<V, BlendFlags>(Ops::join(even, odd), k_);
    return {Ops::join(even, odd), even, odd};
  }

  SimdConstants<V> k_;
  typename V::Reg w256_, one_;
  int count_ = 0;
  // Unused slots keep what they last held: their lanes are computed and dropped.
  std::uint32_t top_[2 * V::kPixels]{}, bottom_[2 * V::kPixels]{}, wu_[V::kPixels]{}, wv_[V::kPixels]{};
};

// Surfaces up to this side keep every clamped bilinear position (256 per texel, plus margins) inside 32-bit lanes.
inline constexpr int kLaneSide = 1 << 22;

// Samples a group of up to kPixels consecutive pixels of a row with no per-pixel code: positions in double lanes
// (the scalar operations lane by lane: the same bits), the perspective division on whole registers, taps clamped and
// read into 32-bit lanes, then the group blended. Lanes past the group's end are computed on clamped positions and
// dropped.
template <class V, class Writer, bool Bilinear, bool Perspective>
class LaneSampler {
 public:
  using Reg = typename V::Reg;
  using RegD = typename V::RegD;

  LaneSampler(const PixelRows& source, const QuadSetup& setup)
      : source_(source),
        du_(V::splatD(setup.u.dx)),
        dv_(V::splatD(setup.v.dx)),
        dq_(V::splatD(setup.q.dx)),
        lastColumn_(V::set32(source.width - 1)),
        lastRow_(V::set32(source.height - 1)),
        zero_(V::set32(0)),
        one_(V::set32(1)),
        byte_(V::set32(255)) {}

  // Blends pixels i..i+count-1 (count 1..kPixels) of the row into `to` (pixel i); false, with nothing drawn, when
  // (perspective) one of them has an interpolated 1 / w that is not positive.
  [[gnu::always_inline]] bool blend(Writer& writer, std::uint8_t* to, const RowRuns& runs, int i, int count) const {
    const RegD low = V::indicesD(i), high = V::indicesD(i + V::kLanesD);
    const RegD u0 = V::splatD(runs.u), v0 = V::splatD(runs.v);
    RegD uLow = V::addD(u0, V::mulD(du_, low)), uHigh = V::addD(u0, V::mulD(du_, high));
    RegD vLow = V::addD(v0, V::mulD(dv_, low)), vHigh = V::addD(v0, V::mulD(dv_, high));
    if constexpr (Perspective) {
      const RegD q0 = V::splatD(runs.q);
      const RegD wLow = V::addD(q0, V::mulD(dq_, low)), wHigh = V::addD(q0, V::mulD(dq_, high));
      const unsigned wanted = (1u << count) - 1;
      if (((V::positiveD(wLow) | V::positiveD(wHigh) << V::kLanesD) & wanted) != wanted) return false;
      uLow = V::divD(uLow, wLow), uHigh = V::divD(uHigh, wHigh);
      vLow = V::divD(vLow, wLow), vHigh = V::divD(vHigh, wHigh);
    }
    if constexpr (Bilinear) {
      const Reg fu = V::bilinearFixedD(uLow, uHigh, 256.0 * source_.width);
      const Reg fv = V::bilinearFixedD(vLow, vHigh, 256.0 * source_.height);
      const Reg iu = V::srai32(fu, 8), iv = V::srai32(fv, 8);
      const Reg x0 = V::clamp32(iu, zero_, lastColumn_), x1 = V::clamp32(V::add32(iu, one_), zero_, lastColumn_);
      const Reg y0 = V::clamp32(iv, zero_, lastRow_), y1 = V::clamp32(V::add32(iv, one_), zero_, lastRow_);
      const auto at = [this](Reg rows, Reg columns) __attribute__((always_inline)) {
        return V::gatherTexels(source_.pixels, source_.pitch, rows, columns);
      };
      const auto words = [this](Reg fixed) __attribute__((always_inline)) {
        const Reg w = V::and_(fixed, byte_);
        return V::or_(w, V::slli32(w, 16));
      };
      writer.blendLanes(to, count,
                        writer.bilinearLanes(at(y0, x0), at(y0, x1), at(y1, x0), at(y1, x1), words(fu), words(fv)));
    } else {
      writer.blendLanes(to, count,
                        writer.sourceOf(V::gatherTexels(source_.pixels, source_.pitch,
                                                        V::nearestD(vLow, vHigh, source_.height - 1),
                                                        V::nearestD(uLow, uHigh, source_.width - 1))));
    }
    return true;
  }

 private:
  const PixelRows& source_;
  RegD du_, dv_, dq_;
  Reg lastColumn_, lastRow_, zero_, one_, byte_;
};

template <class V, class Isa, unsigned Key, unsigned BlendFlags>
void drawQuadSimd(const PixelRows& destination, const PixelRows& source, const TransformQuad& quad,
                  const BlendParams& params) {
  constexpr bool kPerspective = (Key & kTransformPerspective) != 0;
  constexpr bool kBilinear = (Key & kTransformBilinear) != 0;
  QuadSetup setup;
  if (!setUpQuad(destination, source, quad, kPerspective, setup)) return;
  using Writer = GroupWriter<V, Isa, Key, BlendFlags>;
  Writer writer(params);
  // Byte offsets of taps inside the surface fit 32 bits (for gathers that take 32-bit offsets).
  constexpr std::int64_t kLimit = std::int64_t{1} << 31;
  const bool smallOffsets =
      source.pitch > -kLimit && source.pitch < kLimit &&
      (source.pitch < 0 ? -source.pitch : source.pitch) * std::int64_t{source.height} + std::int64_t{4} * source.width <
          kLimit;
  // Positions and taps in lanes: bilinear positions fit 32-bit lanes, gathers take 32-bit offsets.
  const bool lanes = (!kBilinear || (source.width <= kLaneSide && source.height <= kLaneSide)) &&
                     (!V::kGathers || smallOffsets);
  const LaneSampler<V, Writer, kBilinear, kPerspective> sampler(source, setup);
  forEachRun(destination, setup, (Key & kTransformGeneral) != 0,
             [&](std::uint8_t* line, const RowRuns& runs, int first, int end) __attribute__((always_inline)) {
               int start = first;  // the first pixel of the group being gathered
               const auto sample = [&](int i, double u, double v) __attribute__((always_inline)) {
                 if (writer.empty()) start = i;
                 if constexpr (kBilinear) {
                   writer.putTaps(bilinearTaps(source, u, v));
                 } else {
                   writer.putTexel(source.pixels + nearestIndex(v, source.height) * source.pitch +
                                   std::ptrdiff_t{4} * nearestIndex(u, source.width));
                 }
                 if (writer.full()) writer.flush(line + std::ptrdiff_t{4} * start);
               };
               // A skipped pixel ends the group: the pixels gathered so far are consecutive.
               const auto skip = [&](int) __attribute__((always_inline)) {
                 if (!writer.empty()) writer.flush(line + std::ptrdiff_t{4} * start);
               };
               // Pixels from..to-1 one by one through the slots (perspective groups with a pixel to skip, and
               // surfaces too large for the lanes).
               const auto byPixel = [&](int from, int to) __attribute__((always_inline)) {
                 forEachPosition<kPerspective>(setup, runs, from, to, sample, skip);
                 if (!writer.empty()) writer.flush(line + std::ptrdiff_t{4} * start);
               };
               const auto byLanes = [&](int from, int to) __attribute__((always_inline)) {
                 for (int i = from; i < to; i += V::kPixels) {
                   const int count = to - i < V::kPixels ? to - i : V::kPixels;
                   if (!sampler.blend(writer, line + std::ptrdiff_t{4} * i, runs, i, count)) byPixel(i, i + count);
                 }
               };
               if (!lanes) return byPixel(first, end);
               if constexpr (kBilinear && !kPerspective) {
                 // Where no tap needs clamping (all but the ends of the run near the surface's edges), the taps
                 // are read as pairs of neighbours.
                 int lo, hi;
                 unclampedSpan(source, setup, runs, first, end, lo, hi);
                 if (lo < hi) {
                   byLanes(first, lo);
                   if constexpr (V::kGathers) {
                     for (; lo + V::kPixels <= hi; lo += V::kPixels) {
                       writer.blendInside(line + std::ptrdiff_t{4} * lo,
                                          V::insideTaps(source.pixels, source.pitch, runs.u, setup.u.dx, runs.v,
                                                        setup.v.dx, lo));
                     }
                   } else {
                     for (; lo + V::kPixels <= hi; lo += V::kPixels) {
                       const std::uint8_t* tops[V::kPixels];
                       int wu[V::kPixels], wv[V::kPixels];
                       for (int j = 0; j < V::kPixels; ++j) {
                         const int i = lo + j;
                         const int fu = static_cast<int>((runs.u + setup.u.dx * i - 0.5) * 256.0 + 0.5);
                         const int fv = static_cast<int>((runs.v + setup.v.dx * i - 0.5) * 256.0 + 0.5);
                         tops[j] = source.pixels + std::ptrdiff_t{fv >> 8} * source.pitch + 4 * (fu >> 8);
                         wu[j] = fu & 255, wv[j] = fv & 255;
                       }
                       writer.blendInside(line + std::ptrdiff_t{4} * lo, tops, source.pitch, wu, wv);
                     }
                   }
                   byLanes(lo, hi);
                   first = hi;
                 }
               }
               byLanes(first, end);
             });
}

// ---- the tables ------------------------------------------------------------------------------------------------

// A rate of 255 is not folded in, as in the normal path (decided once per draw, not per pixel).
template <template <unsigned, unsigned> class Draw, unsigned Key>
void transformKernelOf(const PixelRows& destination, const PixelRows& source, const TransformQuad& quad,
                       const BlendParams& params) {
  constexpr unsigned kFlags = blendFlagsOf(Key);
  if constexpr ((kFlags & kFlagRate) != 0) {
    if (params.rate == 255) return Draw<Key, kFlags & ~kFlagRate>::draw(destination, source, quad, params);
  }
  Draw<Key, kFlags>::draw(destination, source, quad, params);
}

template <template <unsigned, unsigned> class Draw, std::size_t... Keys>
constexpr TransformKernelTable expandTransformTable(std::index_sequence<Keys...>) {
  return {&transformKernelOf<Draw, static_cast<unsigned>(Keys)>...};
}

// The table of Draw<key, blend flags>::draw over every key.
template <template <unsigned, unsigned> class Draw>
constexpr TransformKernelTable expandTransformTable() {
  return expandTransformTable<Draw>(std::make_index_sequence<kTransformKeyCount>{});
}

}  // namespace transform
}  // namespace tamblet::kernels
