// The elimination loops on 256-bit vectors. Allowed (flags in
// CMakeLists.txt): AVX2, no FMA: every product is rounded before it is
// subtracted.
#include <cstddef>
#include <cstdint>

#include "direct/elim_kernels.h"

#if defined(__AVX2__)
#include <immintrin.h>

namespace parvela::kernels::elim::avx2 {
namespace {

struct V {
  static constexpr std::size_t L = 8;
  using T = __m256;
  using M = __m256;
  static T load(const float* p) { return _mm256_loadu_ps(p); }
  static void store(float* p, T v) { _mm256_storeu_ps(p, v); }
  static T set1(float v) { return _mm256_set1_ps(v); }
  static T zero() { return _mm256_setzero_ps(); }
  static T mul(T a, T b) { return _mm256_mul_ps(a, b); }
  static T sub(T a, T b) { return _mm256_sub_ps(a, b); }
  static T add(T a, T b) { return _mm256_add_ps(a, b); }
  static T div(T a, T b) { return _mm256_div_ps(a, b); }
  static M mask(const Flag* f) {
    const __m128i b = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(f));
    return _mm256_castsi256_ps(_mm256_cvtepi8_epi32(b));
  }
  static T subm(T c, T t, M m) { return _mm256_blendv_ps(c, _mm256_sub_ps(c, t), m); }
  // maxps gives its second operand where either is NaN.
  static T maxMagnitude(T m, T x) { return _mm256_max_ps(_mm256_andnot_ps(_mm256_set1_ps(-0.0f), x), m); }
  static void mult(const float* src, float* dst, Flag* F, T pivot) {
    const T v = _mm256_loadu_ps(src);
    const T nz = _mm256_cmp_ps(v, _mm256_setzero_ps(), _CMP_NEQ_UQ);
    const T q = _mm256_div_ps(v, pivot);
    _mm256_storeu_ps(dst, _mm256_blendv_ps(_mm256_loadu_ps(dst), q, nz));
    const unsigned bits = static_cast<unsigned>(_mm256_movemask_ps(nz));
    for (unsigned j = 0; j < 8; ++j) F[j] = (bits >> j) & 1u ? kActive : Flag{0};
  }
};

#include "direct/elim_kernels.inc"

using Set = PathTable<2, 6, 4, 6, 16, true, 4>;

}  // namespace

const Table* table() { return &Set::table; }

}  // namespace parvela::kernels::elim::avx2

#else

namespace parvela::kernels::elim::avx2 {
const Table* table() { return nullptr; }
}  // namespace parvela::kernels::elim::avx2

#endif
