// The elimination loops one element at a time: the path for any CPU.
// Allowed: the baseline instruction set (no flags of its own).
#include <cstddef>
#include <cstdint>

#include "direct/elim_kernels.h"

namespace parvela::kernels::elim::scalar {
namespace {

struct V {
  static constexpr std::size_t L = 1;
  using T = float;
  using M = bool;
  static T load(const float* p) { return *p; }
  static void store(float* p, T v) { *p = v; }
  static T set1(float v) { return v; }
  static T zero() { return 0.0f; }
  static T mul(T a, T b) { return a * b; }
  static T sub(T a, T b) { return a - b; }
  static T add(T a, T b) { return a + b; }
  static T div(T a, T b) { return a / b; }
  static M mask(const Flag* f) { return *f != 0; }
  static T subm(T c, T t, M m) { return m ? c - t : c; }
  static T maxMagnitude(T m, T x) {
    const T a = x < 0.0f ? -x : x;
    return a > m ? a : m;
  }
  static void mult(const float* src, float* dst, Flag* F, T pivot) {
    if (*src != 0.0f) {
      *F = kActive;
      *dst = *src / pivot;
    } else {
      *F = 0;
    }
  }
};

#include "direct/elim_kernels.inc"

using Set = PathTable<4, 4, 4, 4>;

}  // namespace

const Table* table() { return &Set::table; }

}  // namespace parvela::kernels::elim::scalar
