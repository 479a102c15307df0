// The reference every error of the analysis is measured against: the
// solution of the stored single-precision system itself (not of the system
// the data were meant to be), from an LU factorisation in extended
// precision refined with residuals formed exactly, and the condition
// number from the inverse in extended precision.
#pragma once

#include <cstdint>
#include <vector>

namespace parvela {

// A matrix of n rows, column-major, as the problem keeps it.
struct FloatMatrix {
  std::int32_t rows = 0;
  std::int32_t cols = 0;
  std::vector<float> values;
  const float* column(std::int32_t j) const { return values.data() + static_cast<std::size_t>(j) * rows; }
};

enum class ReferenceTrust {
  Trusted,     // at least 12 correct digits (every refinement converged)
  Singular,    // the matrix is singular even in extended precision
  OutOfReach,  // the refinement did not settle: the condition number is beyond its reach
  NotFinite,   // the data hold an infinity or a NaN
};

struct Reference {
  ReferenceTrust trust = ReferenceTrust::Singular;
  std::int32_t n = 0;
  // Norms of A and of its inverse in extended precision (0 when singular).
  double normInf = 0.0;
  double norm1 = 0.0;
  double inverseNormInf = 0.0;
  double inverseNorm1 = 0.0;
  double kappaInf() const { return normInf * inverseNormInf; }
  double kappa1() const { return norm1 * inverseNorm1; }
  // The solutions of the right-hand sides asked for, in extended precision,
  // and the largest number of refinement steps one of them took.
  std::vector<std::vector<long double>> x;
  std::int32_t refinementSteps = 0;
};

// Solves A x = b for the first `columns` columns of B (all when negative).
// Stops between right-hand sides when the thread's monitor asks.
Reference referenceSolve(const FloatMatrix& A, const FloatMatrix& B, std::int32_t columns = -1);

// r = b - A x for the single-precision A and b: every product exact, the
// sums kept to 256 bits and rounded once.
void exactResidual(const FloatMatrix& A, const float* b, const long double* x, long double* r);

// Largest magnitude of a vector; largest row / column sums of a matrix
// (in extended precision, exact for single-precision entries up to n
// terms of 64 bits).
long double maxMagnitude(const std::vector<long double>& v);
long double normInf(const FloatMatrix& A);
long double norm1(const FloatMatrix& A);

// The precision of the data: half the distance from 1 to the next single
// precision number.
inline constexpr double kUnitRoundoffSingle = 5.9604644775390625e-08;

}  // namespace parvela
