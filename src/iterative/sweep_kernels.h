// Vectorised sweeps of the iterative methods, one set per instruction-set
// path. Every path computes each component with exactly the operations of
// the straightforward sweeps in sweeps.cpp, in the same order; only the
// order in which independent work is issued differs.
#pragma once

#include <cstddef>

namespace parvela::sweepk {

struct Table {
  // One Gauss-Seidel sweep (X1 from X0).
  // T: scratch of 2 * kGaussSeidelRows * n floats.
  void (*gaussSeidel)(std::size_t n, const float* A, const float* b, const float* X0, float* X1,
                      float* T);
  // s2(i) = sum over j > i of A(i,j) X0(j), in increasing j, for rows [lo, hi).
  void (*upperSums)(std::size_t n, const float* A, const float* X0, float* s2, std::size_t lo,
                    std::size_t hi);
  // The SOR update of every component, row after row, given the upper sums.
  void (*sorLower)(std::size_t n, const float* A, const float* b, const float* X0,
                   const float* s2, float* X1, float omega, float oneMinusOmega);
};

// Rows per tile of upperSums (the split points of two threads are
// multiples of it).
constexpr std::size_t kUpperTile = 64;
// Rows of a Gauss-Seidel block (one cache line of a column).
constexpr std::size_t kGaussSeidelRows = 16;

namespace scalar { extern const Table kTable; }
#if defined(__x86_64__)
namespace avx2 { extern const Table kTable; }
namespace avx512 { extern const Table kTable; }
#endif

}  // namespace parvela::sweepk
