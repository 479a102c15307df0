// Exact arithmetic on integer matrices (GMP): rank, determinant and leading
// principal minors by fraction-free elimination, so that what an exercise
// promises about its matrix is checked without rounding.
#pragma once

#include <cstdint>
#include <vector>

#include <gmpxx.h>

namespace parvela {

// A dense integer matrix, row by row, 0-based.
struct IntMatrix {
  int rows = 0;
  int cols = 0;
  std::vector<std::int64_t> a;

  IntMatrix() = default;
  IntMatrix(int r, int c) : rows(r), cols(c), a(static_cast<std::size_t>(r) * c, 0) {}
  static IntMatrix identity(int n);

  std::int64_t& operator()(int i, int j) { return a[static_cast<std::size_t>(i) * cols + j]; }
  std::int64_t operator()(int i, int j) const { return a[static_cast<std::size_t>(i) * cols + j]; }
  bool operator==(const IntMatrix&) const = default;
};

// Rank over the rationals.
int exactRank(const IntMatrix& m);
// Determinant of a square matrix.
mpz_class exactDeterminant(const IntMatrix& m);
// The leading principal minors det A(1..k, 1..k), k = 1, 2, ..., up to and
// including the first that is zero (all n when none is): the pivots of an
// elimination without interchanges are their ratios, so the first zero one
// is the step where such an elimination breaks down.
std::vector<mpz_class> leadingMinors(const IntMatrix& m);

// A times the vector x, exactly (with a 128-bit accumulator). False when a
// component does not fit in 64 bits.
bool multiply(const IntMatrix& m, const std::vector<std::int64_t>& x, std::vector<std::int64_t>& out);
// The infinity norm: the largest sum of magnitudes of a row.
std::int64_t normInf(const IntMatrix& m);

}  // namespace parvela
