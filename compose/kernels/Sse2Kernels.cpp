// The SSE2 twins: four pixels per 128-bit register. Compiled with -msse2.
#include <emmintrin.h>

#include "KernelTable.h"
#include "SimdBlend.h"

namespace tamblet::kernels {
namespace {

struct Sse2 {
  using Reg = __m128i;
  static constexpr int kPixels = 4;
  static constexpr unsigned kAlphaBits = 0x8888u;

  static Reg load(const std::uint8_t* p) { return _mm_load_si128(reinterpret_cast<const Reg*>(p)); }
  static Reg loadu(const std::uint8_t* p) { return _mm_loadu_si128(reinterpret_cast<const Reg*>(p)); }
  static void store(std::uint8_t* p, Reg r) { _mm_store_si128(reinterpret_cast<Reg*>(p), r); }
  static void storeu(std::uint8_t* p, Reg r) { _mm_storeu_si128(reinterpret_cast<Reg*>(p), r); }
  static Reg set32(int v) { return _mm_set1_epi32(v); }
  static Reg and_(Reg a, Reg b) { return _mm_and_si128(a, b); }
  static Reg andnot(Reg a, Reg b) { return _mm_andnot_si128(a, b); }
  static Reg or_(Reg a, Reg b) { return _mm_or_si128(a, b); }
  static Reg add16(Reg a, Reg b) { return _mm_add_epi16(a, b); }
  static Reg sub16(Reg a, Reg b) { return _mm_sub_epi16(a, b); }
  static Reg mullo16(Reg a, Reg b) { return _mm_mullo_epi16(a, b); }
  static Reg mulhi16(Reg a, Reg b) { return _mm_mulhi_epu16(a, b); }
  static Reg mulhiSigned16(Reg a, Reg b) { return _mm_mulhi_epi16(a, b); }
  static Reg xor_(Reg a, Reg b) { return _mm_xor_si128(a, b); }
  static Reg min16(Reg a, Reg b) { return _mm_min_epi16(a, b); }
  static Reg srli16(Reg a, int n) { return _mm_srli_epi16(a, n); }
  static Reg slli16(Reg a, int n) { return _mm_slli_epi16(a, n); }
  static Reg srli32(Reg a, int n) { return _mm_srli_epi32(a, n); }
  static Reg slli32(Reg a, int n) { return _mm_slli_epi32(a, n); }
  static Reg addsU8(Reg a, Reg b) { return _mm_adds_epu8(a, b); }
  static Reg subsU8(Reg a, Reg b) { return _mm_subs_epu8(a, b); }
  static Reg sub8(Reg a, Reg b) { return _mm_sub_epi8(a, b); }
  static Reg cmpeq8(Reg a, Reg b) { return _mm_cmpeq_epi8(a, b); }
  static int movemask8(Reg a) { return _mm_movemask_epi8(a); }
};

template <int Method, unsigned Flags>
struct PickSse2 {
  static constexpr NormalKernel kernel = (Flags & kFlagSimd) != 0 ? &simdKernel<Sse2, Sse2, Method, Flags & ~kFlagSimd>
                                                                   : &scalarKernel<Sse2, Method, Flags>;
};

constexpr NormalKernelTable kSse2Table = expandKernelTable<PickSse2>();

}  // namespace

const NormalKernelTable& sse2KernelTable() { return kSse2Table; }

}  // namespace tamblet::kernels
