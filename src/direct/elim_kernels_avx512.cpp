// The elimination loops on 512-bit vectors; rows that skip a step are left
// out by the mask of the subtraction. Allowed (flags in CMakeLists.txt):
// AVX-512 F/BW/VL/DQ, no FMA: every product is rounded before it is
// subtracted.
#include <cstddef>
#include <cstdint>

#include "direct/elim_kernels.h"

#if defined(__AVX512F__) && defined(__AVX512BW__) && defined(__AVX512VL__)
#include <immintrin.h>

namespace parvela::kernels::elim::avx512 {
namespace {

struct V {
  static constexpr std::size_t L = 16;
  using T = __m512;
  using M = __mmask16;
  static T load(const float* p) { return _mm512_loadu_ps(p); }
  static void store(float* p, T v) { _mm512_storeu_ps(p, v); }
  static T set1(float v) { return _mm512_set1_ps(v); }
  static T zero() { return _mm512_setzero_ps(); }
  static T mul(T a, T b) { return _mm512_mul_ps(a, b); }
  static T sub(T a, T b) { return _mm512_sub_ps(a, b); }
  static T add(T a, T b) { return _mm512_add_ps(a, b); }
  static T div(T a, T b) { return _mm512_div_ps(a, b); }
  static M mask(const Flag* f) {
    return _mm_movepi8_mask(_mm_loadu_si128(reinterpret_cast<const __m128i*>(f)));
  }
  static T subm(T c, T t, M m) { return _mm512_mask_sub_ps(c, m, c, t); }
  // maxps gives its second operand where either is NaN.
  static T maxMagnitude(T m, T x) { return _mm512_max_ps(_mm512_abs_ps(x), m); }
  static void mult(const float* src, float* dst, Flag* F, T pivot) {
    const T v = _mm512_loadu_ps(src);
    const __mmask16 nz = _mm512_cmp_ps_mask(v, _mm512_setzero_ps(), _CMP_NEQ_UQ);
    _mm512_mask_storeu_ps(dst, nz, _mm512_div_ps(v, pivot));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(F), _mm_movm_epi8(nz));
  }
};

#include "direct/elim_kernels.inc"

using Set = PathTable<2, 12, 2, 4>;

}  // namespace

const Table* table() { return &Set::table; }

}  // namespace parvela::kernels::elim::avx512

#else

namespace parvela::kernels::elim::avx512 {
const Table* table() { return nullptr; }
}  // namespace parvela::kernels::elim::avx512

#endif
