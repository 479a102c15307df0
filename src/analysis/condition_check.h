// The condition number of a run checked: the report's single-precision
// figures beside the same quantities computed from the stored matrix in
// higher precision (the singular values in double for the 2-norm, the
// eigenvalues in double for Cond(A)*, the inverse in extended precision
// for the 1- and infinity norms), with their relative errors. For a
// generated matrix whose entries single precision cannot hold (Hilbert,
// Lotkin, Cauchy, Wilkinson 5), also the condition number of the matrix
// the generator describes, so that the part the rounding of the entries
// plays shows apart from the part of the single-precision inverse.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "analysis/analysis_reference.h"
#include "core/problem_state.h"
#include "core/run_result.h"

namespace parvela {

struct ConditionCheck {
  std::int32_t normIndex = 0;
  // What the run found (nothing when its inverse broke down).
  bool reported = false;
  float normA = 0.0f;
  float normInverse = 0.0f;
  float condition = 0.0f;
  bool doubtful = false;
  std::vector<RadiusOutcome> radii;
  // The same in higher precision.
  bool referenceAvailable = false;  // false: singular or not finite
  double refNormA = 0.0;
  double refNormInverse = 0.0;
  double refCondition = 0.0;
  // |report - reference| / reference.
  double errNormA = 0.0;
  double errNormInverse = 0.0;
  double errCondition = 0.0;
  // What single precision lets one expect of the inverse's norm: kappa * u.
  double expectedInverseError = 0.0;
  // The generator's matrix with its entries exact (rounded to extended
  // precision only).
  std::optional<double> exactCondition;
  double errExact = 0.0;  // of the report's figure against it
};

// A square matrix in extended precision, column-major.
struct WideMatrix {
  std::int32_t n = 0;
  std::vector<long double> values;
};
WideMatrix widen(const FloatMatrix& A);

// The generator's matrix of order `n` with exact entries, for the
// generators whose entries single precision rounds; nothing otherwise.
std::optional<WideMatrix> exactGeneratedMatrix(const ProblemState& start);

// {||A||, ||A^-1||} in the norm of `normIndex` (0, 1, 2, -1); false when A
// is singular or not finite.
bool referenceConditionFigures(const WideMatrix& A, std::int32_t normIndex, double& normA, double& normInverse);

ConditionCheck checkCondition(const FloatMatrix& A, std::int32_t normIndex, const RunResult& run,
                              const std::optional<WideMatrix>& exact = std::nullopt);

}  // namespace parvela
