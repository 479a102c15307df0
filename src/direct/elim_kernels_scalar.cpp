// The elimination loops one element at a time: the path for any CPU.
#include <cstddef>
#include <cstdint>

#include "direct/elim_kernels.h"

namespace parvela::elimk {
namespace scalar {

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
  static void mult(const float* src, float* dst, Flag* F, T pivot) {
    if (*src != 0.0f) {
      *F = kActive;
      *dst = *src / pivot;
    } else {
      *F = 0;
    }
  }
};

#include "direct/elim_kernels_impl.h"

constexpr std::size_t kG = 4, kNR = 4, kPanelG = 4;

void trailing(float* C, std::size_t ldc, std::size_t rows, std::size_t cols, const float* Lp,
              const Flag* Fp, const std::uint8_t* dense, const float* U, std::size_t ldU,
              std::size_t pw) {
  trailingImpl<kG, kNR>(C, ldc, rows, cols, Lp, Fp, dense, U, ldU, pw);
}

void backSubstitute(float* X, std::size_t w, const float* U, std::size_t ldU, std::size_t n,
                    std::size_t i0, std::size_t i1) {
  switch (w / V::L) {
    case 1: backPanel<1>(X, U, ldU, n, i0, i1); break;
    case 2: backPanel<2>(X, U, ldU, n, i0, i1); break;
    case 3: backPanel<3>(X, U, ldU, n, i0, i1); break;
    default: backPanel<4>(X, U, ldU, n, i0, i1); break;
  }
}

}  // namespace scalar

const Kernels* scalarKernels() {
  // Constant-initialised: no code of this file runs unless the set is used.
  static constexpr Kernels k{
      .mr = scalar::kG * scalar::V::L,
      .nr = scalar::kNR,
      .lanes = scalar::V::L,
      .panelWidth = scalar::kPanelG * scalar::V::L,
      .columnUpdate = scalar::columnUpdateImpl,
      .multipliers = scalar::multipliersImpl,
      .rowUpdate = scalar::rowUpdateImpl,
      .trailing = scalar::trailing,
      .backSubstitute = scalar::backSubstitute,
  };
  return &k;
}

}  // namespace parvela::elimk
