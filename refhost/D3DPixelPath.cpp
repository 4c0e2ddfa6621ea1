#include "refhost/D3DPixelPath.h"

#include <algorithm>
#include <cmath>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace refhost {

using namespace tamblet;

namespace {

constexpr std::uint32_t kWhite = 0xFFFFFFFFu;

inline std::uint32_t div255(std::uint32_t x) { return (x + 127) / 255; }
inline std::uint32_t byteAt(std::uint32_t word, int channel) { return (word >> (8 * channel)) & 0xFF; }
inline std::uint32_t replicate(std::uint32_t byte) { return byte * 0x01010101u; }

// The result of stage operation `op` on one channel pair, with `alpha` the blend weight of the
// BLEND…ALPHA operations.
inline std::uint32_t stageOp(DWORD op, std::uint32_t a, std::uint32_t b, std::uint32_t alpha) {
  switch (op) {
    case D3DTOP_SELECTARG1: return a;
    case D3DTOP_SELECTARG2: return b;
    case D3DTOP_MODULATE: return div255(a * b);
    case D3DTOP_MODULATE2X: return std::min<std::uint32_t>(255, 2 * div255(a * b));
    case D3DTOP_MODULATE4X: return std::min<std::uint32_t>(255, 4 * div255(a * b));
    case D3DTOP_ADD: return std::min<std::uint32_t>(255, a + b);
    case D3DTOP_SUBTRACT: return a > b ? a - b : 0;
    default: return div255(a * alpha + b * (255 - alpha));  // the BLEND…ALPHA family
  }
}

// Stage operation `op` on all four channels of two words; `weight`'s alpha is the BLEND…ALPHA weight.
inline std::uint32_t wordOp(DWORD op, std::uint32_t x, std::uint32_t y, std::uint32_t weight) {
  std::uint32_t out = 0;
  for (int c = 0; c < 4; ++c) out |= stageOp(op, byteAt(x, c), byteAt(y, c), weight >> 24) << (8 * c);
  return out;
}

bool supportedOp(DWORD op) {
  switch (op) {
    case D3DTOP_SELECTARG1: case D3DTOP_SELECTARG2: case D3DTOP_MODULATE: case D3DTOP_MODULATE2X:
    case D3DTOP_MODULATE4X: case D3DTOP_ADD: case D3DTOP_SUBTRACT: case D3DTOP_BLENDDIFFUSEALPHA:
    case D3DTOP_BLENDTEXTUREALPHA: case D3DTOP_BLENDFACTORALPHA: case D3DTOP_BLENDCURRENTALPHA:
      return true;
    default:
      return false;
  }
}

bool supportedArg(DWORD arg) {
  if (arg & ~(D3DTA_SELECTMASK | D3DTA_COMPLEMENT | D3DTA_ALPHAREPLICATE)) return false;
  const DWORD base = arg & D3DTA_SELECTMASK;
  return base == D3DTA_DIFFUSE || base == D3DTA_CURRENT || base == D3DTA_TEXTURE || base == D3DTA_TFACTOR;
}

bool usesArg1(DWORD op) { return op != D3DTOP_SELECTARG2; }
bool usesArg2(DWORD op) { return op != D3DTOP_SELECTARG1; }

bool compare(DWORD func, float a, float b) {
  switch (func) {
    case D3DCMP_NEVER: return false;
    case D3DCMP_LESS: return a < b;
    case D3DCMP_EQUAL: return a == b;
    case D3DCMP_LESSEQUAL: return a <= b;
    case D3DCMP_GREATER: return a > b;
    case D3DCMP_NOTEQUAL: return a != b;
    case D3DCMP_GREATEREQUAL: return a >= b;
    default: return true;
  }
}

// Texel index along one axis: clamped to the edge or wrapped around.
inline std::int32_t address(std::int32_t i, std::int32_t size, int mode) {
  if (mode == D3DTADDRESS_WRAP) {
    i %= size;
    return i < 0 ? i + size : i;
  }
  return i < 0 ? 0 : (i >= size ? size - 1 : i);
}

// floor(t) as an integer, for t kept inside ±2^30 (NaN counts as the low end).
inline std::int32_t floorToInt(float t) {
  if (!(t > -1073741824.0f)) return -1073741824;
  if (t > 1073741824.0f) return 1073741824;
  const auto i = static_cast<std::int32_t>(t);
  return static_cast<float>(i) > t ? i - 1 : i;
}

// A fraction in 1/256 steps, truncated, kept in 0..255 (NaN gives 0).
inline std::uint32_t fraction256(float f) {
  const float scaled = f * 256.0f;
  return scaled > 0.0f ? static_cast<std::uint32_t>(scaled < 255.0f ? scaled : 255.0f) : 0u;
}

// The blend factor `kind` for source word s over destination word d, one byte per channel.
inline std::uint32_t factorWord(DWORD kind, std::uint32_t s, std::uint32_t d, std::uint32_t constant) {
  switch (kind) {
    case D3DBLEND_ZERO: return 0;
    case D3DBLEND_ONE: return kWhite;
    case D3DBLEND_SRCCOLOR: return s;
    case D3DBLEND_INVSRCCOLOR: return ~s;
    case D3DBLEND_SRCALPHA: return replicate(s >> 24);
    case D3DBLEND_INVSRCALPHA: return replicate(255 - (s >> 24));
    case D3DBLEND_DESTALPHA: return replicate(d >> 24);
    case D3DBLEND_INVDESTALPHA: return replicate(255 - (d >> 24));
    case D3DBLEND_DESTCOLOR: return d;
    case D3DBLEND_INVDESTCOLOR: return ~d;
    case D3DBLEND_SRCALPHASAT: return replicate(std::min(s >> 24, 255 - (d >> 24))) | 0xFF000000u;
    case D3DBLEND_BLENDFACTOR: return constant;
    default: return ~constant;  // INVBLENDFACTOR
  }
}

inline std::uint32_t blendChannel(DWORD op, std::uint32_t s, std::uint32_t f, std::uint32_t d, std::uint32_t g) {
  switch (op) {
    case D3DBLENDOP_ADD: return std::min<std::uint32_t>(255, div255(s * f + d * g));
    case D3DBLENDOP_SUBTRACT: return s * f > d * g ? div255(s * f - d * g) : 0;
    case D3DBLENDOP_REVSUBTRACT: return d * g > s * f ? div255(d * g - s * f) : 0;
    case D3DBLENDOP_MIN: return std::min(s, d);
    default: return std::max(s, d);  // MAX
  }
}

// One pixel of the ADD blend with factor kinds known at compile time, so the frame's common pairs
// compile to straight-line code; the arithmetic is blendChannel's.
template <DWORD Src, DWORD Dst>
inline std::uint32_t blendAdd(std::uint32_t s, std::uint32_t d) {
  const std::uint32_t f = factorWord(Src, s, d, 0), g = factorWord(Dst, s, d, 0);
  std::uint32_t out = 0;
  for (int c = 0; c < 4; ++c) {
    const std::uint32_t sum = byteAt(s, c) * byteAt(f, c) + byteAt(d, c) * byteAt(g, c);
    out |= std::min<std::uint32_t>(255, div255(sum)) << (8 * c);
  }
  return out;
}

template <DWORD Src, DWORD Dst>
std::int32_t blendWide(const std::uint32_t* source, std::uint32_t* target, std::int32_t count);

template <DWORD Src, DWORD Dst>
void blendRow(const std::uint32_t* source, std::uint32_t* target, const std::uint8_t* mask, std::int32_t count) {
  if (mask) {
    for (std::int32_t i = 0; i < count; ++i)
      if (mask[i]) target[i] = blendAdd<Src, Dst>(source[i], target[i]);
  } else {
    for (std::int32_t i = blendWide<Src, Dst>(source, target, count); i < count; ++i)
      target[i] = blendAdd<Src, Dst>(source[i], target[i]);
  }
}

#if defined(__SSE2__)
// Four pixels at a time in 16-bit lanes, with the same arithmetic as the scalar code:
// (x + 127) / 255 == (t + (t >> 8)) >> 8 with t = x + 128, for every x up to 255 · 255.
inline __m128i div255x16(__m128i x) {
  const __m128i t = _mm_add_epi16(x, _mm_set1_epi16(128));
  return _mm_srli_epi16(_mm_add_epi16(t, _mm_srli_epi16(t, 8)), 8);
}
// Each pixel's alpha in all four of its lanes (for two pixels unpacked to 16 bits).
inline __m128i alphaLanes(__m128i x) {
  return _mm_shufflehi_epi16(_mm_shufflelo_epi16(x, _MM_SHUFFLE(3, 3, 3, 3)), _MM_SHUFFLE(3, 3, 3, 3));
}
inline __m128i load(const std::uint32_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
inline void store(std::uint32_t* p, __m128i x) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), x); }

// f(lowHalfOfA, lowHalfOfB) per half of four pixels, packed back to bytes.
template <class F>
inline __m128i perHalf(__m128i a, __m128i b, F f) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i lo = f(_mm_unpacklo_epi8(a, zero), _mm_unpacklo_epi8(b, zero));
  const __m128i hi = f(_mm_unpackhi_epi8(a, zero), _mm_unpackhi_epi8(b, zero));
  return _mm_packus_epi16(lo, hi);
}

// The five ADD pairs the sprite view uses, four pixels at a time; returns how many pixels it did.
template <DWORD Src, DWORD Dst>
std::int32_t blendWide(const std::uint32_t* source, std::uint32_t* target, std::int32_t count) {
  std::int32_t i = 0;
  const __m128i max = _mm_set1_epi16(255);
  for (; i + 4 <= count; i += 4) {
    const __m128i s = load(source + i), d = load(target + i);
    __m128i out;
    if constexpr (Src == D3DBLEND_SRCALPHA && Dst == D3DBLEND_INVSRCALPHA) {
      out = perHalf(s, d, [max](__m128i s16, __m128i d16) {
        const __m128i a = alphaLanes(s16);
        return div255x16(_mm_add_epi16(_mm_mullo_epi16(s16, a), _mm_mullo_epi16(d16, _mm_sub_epi16(max, a))));
      });
    } else if constexpr (Src == D3DBLEND_SRCALPHA && Dst == D3DBLEND_ONE) {
      out = _mm_adds_epu8(d, perHalf(s, d, [](__m128i s16, __m128i) { return div255x16(_mm_mullo_epi16(s16, alphaLanes(s16))); }));
    } else if constexpr (Src == D3DBLEND_ONE && Dst == D3DBLEND_ONE) {
      out = _mm_adds_epu8(s, d);
    } else if constexpr (Src == D3DBLEND_ZERO && Dst == D3DBLEND_SRCCOLOR) {
      out = perHalf(s, d, [](__m128i s16, __m128i d16) { return div255x16(_mm_mullo_epi16(s16, d16)); });
    } else {
      static_assert(Src == D3DBLEND_INVDESTCOLOR && Dst == D3DBLEND_ONE);
      out = _mm_adds_epu8(d, perHalf(s, d, [max](__m128i s16, __m128i d16) {
        return div255x16(_mm_mullo_epi16(s16, _mm_sub_epi16(max, d16)));
      }));
    }
    store(target + i, out);
  }
  return i;
}

// A stage operation on whole words (all four channels), four pixels at a time; returns how many pixels
// it did. Each argument is a row of words or one word for all (`constant`).
struct WideArg {
  const std::uint32_t* words;
  bool constant;
  std::uint32_t value;
  __m128i at(std::int32_t i) const { return constant ? _mm_set1_epi32(static_cast<int>(value)) : load(words + i); }
};

std::int32_t opWide(DWORD op, WideArg a, WideArg b, WideArg weight, std::uint32_t* out, std::int32_t count) {
  std::int32_t i = 0;
  const __m128i max = _mm_set1_epi16(255);
  for (; i + 4 <= count; i += 4) {
    const __m128i x = a.at(i), y = b.at(i);
    __m128i r;
    switch (op) {
      case D3DTOP_SELECTARG1: r = x; break;
      case D3DTOP_SELECTARG2: r = y; break;
      case D3DTOP_MODULATE:
        r = perHalf(x, y, [](__m128i p, __m128i q) { return div255x16(_mm_mullo_epi16(p, q)); });
        break;
      case D3DTOP_MODULATE2X:  // the pack saturates the doubled product at 255
        r = perHalf(x, y, [](__m128i p, __m128i q) { return _mm_slli_epi16(div255x16(_mm_mullo_epi16(p, q)), 1); });
        break;
      case D3DTOP_MODULATE4X:
        r = perHalf(x, y, [](__m128i p, __m128i q) { return _mm_slli_epi16(div255x16(_mm_mullo_epi16(p, q)), 2); });
        break;
      case D3DTOP_ADD: r = _mm_adds_epu8(x, y); break;
      case D3DTOP_SUBTRACT: r = _mm_subs_epu8(x, y); break;
      default: {  // the BLEND…ALPHA family: (x·α + y·(255 − α) + 127) / 255
        const __m128i w = weight.at(i), zero = _mm_setzero_si128();
        const auto lerp = [max](__m128i p, __m128i q, __m128i alpha) {
          return div255x16(_mm_add_epi16(_mm_mullo_epi16(p, alpha), _mm_mullo_epi16(q, _mm_sub_epi16(max, alpha))));
        };
        const __m128i lo = lerp(_mm_unpacklo_epi8(x, zero), _mm_unpacklo_epi8(y, zero), alphaLanes(_mm_unpacklo_epi8(w, zero)));
        const __m128i hi = lerp(_mm_unpackhi_epi8(x, zero), _mm_unpackhi_epi8(y, zero), alphaLanes(_mm_unpackhi_epi8(w, zero)));
        r = _mm_packus_epi16(lo, hi);
      }
    }
    store(out + i, r);
  }
  return i;
}
#else
template <DWORD Src, DWORD Dst>
std::int32_t blendWide(const std::uint32_t*, std::uint32_t*, std::int32_t) { return 0; }
struct WideArg {
  const std::uint32_t* words;
  bool constant;
  std::uint32_t value;
};
std::int32_t opWide(DWORD, WideArg, WideArg, WideArg, std::uint32_t*, std::int32_t) { return 0; }
#endif

}  // namespace

bool D3DPixelPath::prepare(const D3DPipelineState& state, const D3DPixels* const textures[D3DPipelineState::kStages],
                           bool depthBuffer, std::int32_t maxSpan) {
  activeStages_ = 0;
  samplingStages_ = 0;
  for (int s = 0; s < D3DPipelineState::kStages; ++s) {
    const DWORD* ss = state.stage[s];
    Stage& stage = stages_[s];
    stage = {ss[D3DTSS_COLOROP], ss[D3DTSS_COLORARG1], ss[D3DTSS_COLORARG2], ss[D3DTSS_ALPHAOP],
             ss[D3DTSS_ALPHAARG1], ss[D3DTSS_ALPHAARG2], textures[s], {}, false};
    if (stage.colorOp == D3DTOP_DISABLE) break;
    if (!supportedOp(stage.colorOp)) return false;
    if (stage.alphaOp != D3DTOP_DISABLE && !supportedOp(stage.alphaOp)) return false;
    bool readsTexture = stage.colorOp == D3DTOP_BLENDTEXTUREALPHA || stage.alphaOp == D3DTOP_BLENDTEXTUREALPHA;
    const auto check = [&](DWORD op, DWORD arg1, DWORD arg2) {
      if (op == D3DTOP_DISABLE) return true;
      for (auto [used, arg] : {std::pair{usesArg1(op), arg1}, std::pair{usesArg2(op), arg2}}) {
        if (!used) continue;
        if (!supportedArg(arg)) return false;
        if ((arg & D3DTA_SELECTMASK) == D3DTA_TEXTURE) readsTexture = true;
      }
      return true;
    };
    if (!check(stage.colorOp, stage.colorArg1, stage.colorArg2) || !check(stage.alphaOp, stage.alphaArg1, stage.alphaArg2))
      return false;
    stage.readsTexture = readsTexture && stage.texture;
    if (stage.readsTexture) {
      const DWORD* sampler = state.sampler[s];
      Sampler& out = stage.sampler;
      for (auto [mode, into] : {std::pair{sampler[D3DSAMP_ADDRESSU], &out.addressU},
                                std::pair{sampler[D3DSAMP_ADDRESSV], &out.addressV}}) {
        if (mode != D3DTADDRESS_WRAP && mode != D3DTADDRESS_CLAMP) return false;
        *into = static_cast<int>(mode);
      }
      for (auto [filter, into] : {std::pair{sampler[D3DSAMP_MAGFILTER], &out.magLinear},
                                  std::pair{sampler[D3DSAMP_MINFILTER], &out.minLinear}}) {
        if (filter > D3DTEXF_ANISOTROPIC) return false;
        *into = filter >= D3DTEXF_LINEAR;
      }
      out.linear = out.magLinear;
      ++samplingStages_;
    }
    activeStages_ = s + 1;
  }

  const DWORD* rs = state.render;
  textureFactor_ = rs[D3DRS_TEXTUREFACTOR];
  alphaTest_ = rs[D3DRS_ALPHATESTENABLE] != 0;
  alphaFunc_ = rs[D3DRS_ALPHAFUNC];
  alphaRef_ = rs[D3DRS_ALPHAREF] & 0xFF;
  depthTest_ = depthBuffer && rs[D3DRS_ZENABLE] != 0;
  depthWrite_ = depthTest_ && rs[D3DRS_ZWRITEENABLE] != 0;
  depthFunc_ = rs[D3DRS_ZFUNC];
  if ((alphaTest_ && (alphaFunc_ < D3DCMP_NEVER || alphaFunc_ > D3DCMP_ALWAYS)) ||
      (depthTest_ && (depthFunc_ < D3DCMP_NEVER || depthFunc_ > D3DCMP_ALWAYS)))
    return false;
  blending_ = rs[D3DRS_ALPHABLENDENABLE] != 0;
  srcBlend_ = rs[D3DRS_SRCBLEND];
  destBlend_ = rs[D3DRS_DESTBLEND];
  blendOp_ = rs[D3DRS_BLENDOP];
  blendFactor_ = rs[D3DRS_BLENDFACTOR];
  if (blending_) {
    // The two legacy pairs set both factors from the source factor.
    if (srcBlend_ == D3DBLEND_BOTHSRCALPHA) srcBlend_ = D3DBLEND_SRCALPHA, destBlend_ = D3DBLEND_INVSRCALPHA;
    if (srcBlend_ == D3DBLEND_BOTHINVSRCALPHA) srcBlend_ = D3DBLEND_INVSRCALPHA, destBlend_ = D3DBLEND_SRCALPHA;
    const auto validFactor = [](DWORD f) { return f >= D3DBLEND_ZERO && f <= D3DBLEND_INVBLENDFACTOR && f != D3DBLEND_BOTHSRCALPHA && f != D3DBLEND_BOTHINVSRCALPHA; };
    if (!validFactor(srcBlend_) || !validFactor(destBlend_)) return false;
    if (blendOp_ < D3DBLENDOP_ADD || blendOp_ > D3DBLENDOP_MAX) return false;
  }
  const DWORD channels = rs[D3DRS_COLORWRITEENABLE];
  // COLORWRITEENABLE bits: 1 red, 2 green, 4 blue, 8 alpha.
  writeMask_ = (channels & 1 ? 0x00FF0000u : 0) | (channels & 2 ? 0x0000FF00u : 0) | (channels & 4 ? 0x000000FFu : 0) |
               (channels & 8 ? 0xFF000000u : 0);

  const auto size = static_cast<std::size_t>(std::max(maxSpan, 1));
  for (auto* row : {&current_, &next_, &texels_, &scratch1_, &scratch2_, &scratch3_})
    if (row->size() < size) row->resize(size);
  if (mask_.size() < size) mask_.resize(size);
  return true;
}

void D3DPixelPath::beginTriangle(float dudx, float dvdx, float dudy, float dvdy) {
  for (int s = 0; s < activeStages_; ++s) {
    Stage& stage = stages_[s];
    if (!stage.readsTexture) continue;
    Sampler& sampler = stage.sampler;
    if (sampler.magLinear == sampler.minLinear) {
      sampler.linear = sampler.magLinear;
      continue;
    }
    const float w = static_cast<float>(stage.texture->width), h = static_cast<float>(stage.texture->height);
    const float alongX = std::hypot(dudx * w, dvdx * h), alongY = std::hypot(dudy * w, dvdy * h);
    sampler.linear = std::max(alongX, alongY) > 1.0f ? sampler.minLinear : sampler.magLinear;
  }
}

void D3DPixelPath::sample(const Stage& stage, const Span& span, std::uint32_t* out) const {
  const D3DPixels& texture = *stage.texture;
  const Sampler& sampler = stage.sampler;
  const float w = static_cast<float>(texture.width), h = static_cast<float>(texture.height);
  const std::int32_t n = span.count;
  const auto uAt = [&span](std::int32_t i) { return span.affine ? span.uStart + static_cast<float>(i) * span.uStep : span.u[i]; };
  const auto vAt = [&span](std::int32_t i) { return span.affine ? span.vStart + static_cast<float>(i) * span.vStep : span.v[i]; };
  if (!sampler.linear) {
    std::int32_t i = 0;
    if (span.affine && span.vStep == 0.0f) {
      // One texel row for the whole span.
      const std::uint32_t* row = texture.row(address(floorToInt(span.vStart * h), texture.height, sampler.addressV));
      if (sampler.addressU == D3DTADDRESS_CLAMP) {
        const std::int32_t last = texture.width - 1;
#if defined(__SSE2__)
        // clamp(floor(t), 0, last) == truncate(min(max(t, 0), last)), NaN giving 0 as floorToInt does.
        const __m128 start = _mm_set1_ps(span.uStart), step = _mm_set1_ps(span.uStep), scale = _mm_set1_ps(w);
        const __m128 lastF = _mm_set1_ps(static_cast<float>(last)), zero = _mm_setzero_ps();
        alignas(16) std::int32_t index[4];
        for (; i + 4 <= n; i += 4) {
          const __m128 fi = _mm_cvtepi32_ps(_mm_add_epi32(_mm_set1_epi32(i), _mm_setr_epi32(0, 1, 2, 3)));
          const __m128 t = _mm_mul_ps(_mm_add_ps(start, _mm_mul_ps(fi, step)), scale);
          const __m128i x = _mm_cvttps_epi32(_mm_min_ps(_mm_max_ps(t, zero), lastF));
          // Four neighbouring texels (the texture drawn 1:1) come in one load.
          const __m128i run = _mm_add_epi32(_mm_shuffle_epi32(x, 0), _mm_setr_epi32(0, 1, 2, 3));
          if (_mm_movemask_epi8(_mm_cmpeq_epi32(x, run)) == 0xFFFF) {
            store(out + i, load(row + _mm_cvtsi128_si32(x)));
            continue;
          }
          _mm_store_si128(reinterpret_cast<__m128i*>(index), x);
          out[i] = row[index[0]];
          out[i + 1] = row[index[1]];
          out[i + 2] = row[index[2]];
          out[i + 3] = row[index[3]];
        }
#endif
        for (; i < n; ++i) {
          const std::int32_t x = floorToInt(uAt(i) * w);
          out[i] = row[x < 0 ? 0 : (x > last ? last : x)];
        }
      } else {
        for (; i < n; ++i) out[i] = row[address(floorToInt(uAt(i) * w), texture.width, sampler.addressU)];
      }
      return;
    }
    for (; i < n; ++i) {
      const std::int32_t x = address(floorToInt(uAt(i) * w), texture.width, sampler.addressU);
      const std::int32_t y = address(floorToInt(vAt(i) * h), texture.height, sampler.addressV);
      out[i] = texture.row(y)[x];
    }
    return;
  }
  for (std::int32_t i = 0; i < n; ++i) {
    const float tu = uAt(i) * w - 0.5f, tv = vAt(i) * h - 0.5f;
    const std::int32_t x0 = floorToInt(tu), y0 = floorToInt(tv);
    const std::uint32_t fu = fraction256(tu - static_cast<float>(x0)), fv = fraction256(tv - static_cast<float>(y0));
    const std::int32_t xa = address(x0, texture.width, sampler.addressU);
    const std::int32_t xb = address(x0 + 1, texture.width, sampler.addressU);
    const std::uint32_t* rowA = texture.row(address(y0, texture.height, sampler.addressV));
    const std::uint32_t* rowB = texture.row(address(y0 + 1, texture.height, sampler.addressV));
    const std::uint32_t t00 = rowA[xa], t10 = rowA[xb], t01 = rowB[xa], t11 = rowB[xb];
    const std::uint32_t w00 = (256 - fu) * (256 - fv), w10 = fu * (256 - fv), w01 = (256 - fu) * fv, w11 = fu * fv;
    std::uint32_t texel = 0;
    for (int c = 0; c < 4; ++c) {
      const std::uint32_t sum = byteAt(t00, c) * w00 + byteAt(t10, c) * w10 + byteAt(t01, c) * w01 + byteAt(t11, c) * w11;
      texel |= ((sum + 32768) >> 16) << (8 * c);
    }
    out[i] = texel;
  }
}

D3DPixelPath::Arg D3DPixelPath::argument(DWORD arg, int stage, const Span& span, std::uint32_t* scratch) {
  Arg out{nullptr, false, 0};
  const DWORD base = arg & D3DTA_SELECTMASK;
  if (base == D3DTA_TFACTOR) {
    out = {nullptr, true, textureFactor_};
  } else if (base == D3DTA_DIFFUSE || (base == D3DTA_CURRENT && stage == 0)) {
    out = {span.diffuse, span.diffuseConstant, span.diffuse[0]};
  } else if (base == D3DTA_CURRENT) {
    out = {current_.data(), false, 0};
  } else if (!stages_[stage].readsTexture) {
    out = {nullptr, true, kWhite};  // no texture on the stage: opaque white
  } else {
    if (texelsOfStage_ != stage) {
      sample(stages_[stage], span, texels_.data());
      texelsOfStage_ = stage;
    }
    out = {texels_.data(), false, 0};
  }
  if (!(arg & (D3DTA_COMPLEMENT | D3DTA_ALPHAREPLICATE))) return out;
  const auto modify = [arg](std::uint32_t x) {
    if (arg & D3DTA_ALPHAREPLICATE) x = replicate(x >> 24);
    return arg & D3DTA_COMPLEMENT ? ~x : x;
  };
  if (out.constant) return {nullptr, true, modify(out.value)};
  for (std::int32_t i = 0; i < span.count; ++i) scratch[i] = modify(out.words[i]);
  return {scratch, false, 0};
}

DWORD D3DPixelPath::run(DWORD op, DWORD arg1, DWORD arg2, int stage, const Span& span, std::uint32_t* out) {
  const std::int32_t n = span.count;
  const Arg a = usesArg1(op) ? argument(arg1, stage, span, scratch1_.data()) : Arg{nullptr, true, 0};
  const Arg b = usesArg2(op) ? argument(arg2, stage, span, scratch2_.data()) : Arg{nullptr, true, 0};
  Arg weight{nullptr, true, 0};
  if (op == D3DTOP_BLENDDIFFUSEALPHA) weight = argument(D3DTA_DIFFUSE, stage, span, nullptr);
  if (op == D3DTOP_BLENDTEXTUREALPHA) weight = argument(D3DTA_TEXTURE, stage, span, nullptr);
  if (op == D3DTOP_BLENDFACTORALPHA) weight = {nullptr, true, textureFactor_};
  if (op == D3DTOP_BLENDCURRENTALPHA) weight = argument(D3DTA_CURRENT, stage, span, nullptr);
  // A product with opaque white selects the other argument exactly.
  if (op == D3DTOP_MODULATE && b.constant && b.value == kWhite) op = D3DTOP_SELECTARG1;
  else if (op == D3DTOP_MODULATE && a.constant && a.value == kWhite) op = D3DTOP_SELECTARG2;
  if (op == D3DTOP_SELECTARG1 || op == D3DTOP_SELECTARG2) {
    const Arg& chosen = op == D3DTOP_SELECTARG1 ? a : b;
    if (chosen.constant) std::fill(out, out + n, chosen.value);
    else std::copy(chosen.words, chosen.words + n, out);
    return op;
  }
  std::int32_t i = opWide(op, {a.words, a.constant, a.value}, {b.words, b.constant, b.value},
                          {weight.words, weight.constant, weight.value}, out, n);
  for (; i < n; ++i)
    out[i] = wordOp(op, a.constant ? a.value : a.words[i], b.constant ? b.value : b.words[i],
                    weight.constant ? weight.value : weight.words[i]);
  return op;
}

void D3DPixelPath::shade(const Span& span, std::uint32_t* target, float* depth) {
  const std::int32_t n = span.count;
  texelsOfStage_ = -1;
  std::uint32_t* current = current_.data();
  if (activeStages_ == 0) {
    for (std::int32_t i = 0; i < n; ++i) current[i] = span.diffuse[span.diffuseConstant ? 0 : i];
  }
  for (int s = 0; s < activeStages_; ++s) {
    const Stage& stage = stages_[s];
    std::uint32_t* next = next_.data();
    // Colour: the operation runs on all four channels; the alpha byte is replaced below unless the
    // alpha operation is the very same computation.
    const DWORD colourOp = run(stage.colorOp, stage.colorArg1, stage.colorArg2, s, span, next);
    const DWORD alphaOp = stage.alphaOp;
    if (alphaOp == D3DTOP_DISABLE) {
      const Arg in = argument(D3DTA_CURRENT, s, span, nullptr);
      if (in.constant) {
        const std::uint32_t alpha = in.value & 0xFF000000u;
        for (std::int32_t i = 0; i < n; ++i) next[i] = (next[i] & 0x00FFFFFFu) | alpha;
      } else {
        for (std::int32_t i = 0; i < n; ++i) next[i] = (next[i] & 0x00FFFFFFu) | (in.words[i] & 0xFF000000u);
      }
    } else if (!(alphaOp == stage.colorOp && colourOp == stage.colorOp && stage.alphaArg1 == stage.colorArg1 &&
                 stage.alphaArg2 == stage.colorArg2)) {
      std::uint32_t* alpha = scratch3_.data();
      run(alphaOp, stage.alphaArg1, stage.alphaArg2, s, span, alpha);
      for (std::int32_t i = 0; i < n; ++i) next[i] = (next[i] & 0x00FFFFFFu) | (alpha[i] & 0xFF000000u);
    }
    std::swap(current_, next_);
    current = current_.data();
  }

  // Tests: alpha against the reference, then depth; a pixel failing either writes nothing.
  std::uint8_t* mask = nullptr;
  if (alphaTest_ || depthTest_) {
    mask = mask_.data();
    for (std::int32_t i = 0; i < n; ++i) {
      bool pass = !alphaTest_ || compare(alphaFunc_, static_cast<float>(current[i] >> 24), static_cast<float>(alphaRef_));
      if (pass && depthTest_) {
        pass = compare(depthFunc_, span.z[i], depth[i]);
        if (pass && depthWrite_) depth[i] = span.z[i];
      }
      mask[i] = pass;
    }
  }
  blend(current, target, mask, n);
}

void D3DPixelPath::blend(const std::uint32_t* source, std::uint32_t* target, const std::uint8_t* mask,
                         std::int32_t count) const {
  if (writeMask_ == 0xFFFFFFFFu) {
    if (!blending_) {
      if (!mask) {
        std::copy(source, source + count, target);
      } else {
        for (std::int32_t i = 0; i < count; ++i)
          if (mask[i]) target[i] = source[i];
      }
      return;
    }
    if (blendOp_ == D3DBLENDOP_ADD) {
      // The pairs the sprite view uses, each in straight-line code.
      const auto pair = [this](DWORD s, DWORD d) { return srcBlend_ == s && destBlend_ == d; };
      if (pair(D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA)) return blendRow<D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA>(source, target, mask, count);
      if (pair(D3DBLEND_SRCALPHA, D3DBLEND_ONE)) return blendRow<D3DBLEND_SRCALPHA, D3DBLEND_ONE>(source, target, mask, count);
      if (pair(D3DBLEND_ONE, D3DBLEND_ONE)) return blendRow<D3DBLEND_ONE, D3DBLEND_ONE>(source, target, mask, count);
      if (pair(D3DBLEND_ZERO, D3DBLEND_SRCCOLOR)) return blendRow<D3DBLEND_ZERO, D3DBLEND_SRCCOLOR>(source, target, mask, count);
      if (pair(D3DBLEND_INVDESTCOLOR, D3DBLEND_ONE)) return blendRow<D3DBLEND_INVDESTCOLOR, D3DBLEND_ONE>(source, target, mask, count);
    }
  }
  for (std::int32_t i = 0; i < count; ++i) {
    if (mask && !mask[i]) continue;
    const std::uint32_t s = source[i], d = target[i];
    std::uint32_t out = s;
    if (blending_) {
      const std::uint32_t f = factorWord(srcBlend_, s, d, blendFactor_), g = factorWord(destBlend_, s, d, blendFactor_);
      out = 0;
      for (int c = 0; c < 4; ++c)
        out |= blendChannel(blendOp_, byteAt(s, c), byteAt(f, c), byteAt(d, c), byteAt(g, c)) << (8 * c);
    }
    target[i] = (out & writeMask_) | (d & ~writeMask_);
  }
}

}  // namespace refhost
