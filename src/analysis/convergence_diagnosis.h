// Why Gauss-Seidel or SOR converged or not, on the system as the iteration
// sees it (rows reordered so that every diagonal element can divide; for
// SOR scaled to a unit diagonal): diagonal dominance row by row, the
// spectral radius of the iteration matrix, the sweeps it predicts for the
// run's tolerance beside the sweeps made, and the convergence factor the
// last sweeps showed.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "analysis/analysis_reference.h"
#include "core/problem_state.h"
#include "core/run_result.h"

namespace parvela {

// The system the sweeps work on, made from the data as the run started.
struct IterationSystem {
  FloatMatrix A;
  FloatMatrix B;
  std::int32_t exchanges = 0;
  std::optional<Breakdown> breakdown;  // the reordering found no usable diagonal
  bool scaled = false;                 // SOR's unit diagonal
};
IterationSystem iterationSystem(const ProblemState& start, bool sor);

enum class Dominance {
  Strict,   // |a(i,i)| > sum of the other |a(i,j)|
  Weak,     // equal
  Failing,  // smaller
};
// Row by row; and of the whole matrix (its weakest row).
std::vector<Dominance> rowDominance(const FloatMatrix& A);
Dominance overallDominance(const std::vector<Dominance>& rows);

// Spectral radius (in double precision, from all the eigenvalues) of the
// iteration matrix T = (D + W L)^-1 ((I - W) D - W U), W = diag(w1, w, ..., w)
// of the sweep. The program's SOR never relaxes the first component
// (w1 = 1); relaxFirst gives the textbook SOR (w1 = w). omega = 1 is
// Gauss-Seidel. Nothing when the eigenvalue solver fails.
std::optional<double> iterationRadius(const FloatMatrix& A, double omega, bool relaxFirst = false);

// Beyond this order the radius is not computed (all eigenvalues of an n x n
// matrix cost about 10 n^3 operations).
inline constexpr std::int32_t kRadiusOrderLimit = 500;

// Sweeps from the zero vector until max|x - x_ant| <= eps when the change
// shrinks by rho each sweep from `firstChange` (the first sweep's): one
// sweep when that already meets eps, nothing when rho >= 1.
std::optional<std::int32_t> predictedSweeps(double rho, double firstChange, double eps);
// The factor by which the change shrank per sweep over the last sweeps (at
// most five); nothing with fewer than two positive changes.
std::optional<double> observedFactor(const std::vector<double>& changes);

enum class ConvergenceVerdict {
  Converges,                  // rho < 1 and strictly diagonally dominant
  ConvergesWithoutDominance,  // rho < 1, although not strictly dominant
  Diverges,                   // rho >= 1
  DominantOnly,               // no radius (too large): strictly dominant (and omega <= 1), so it converges
  Unknown,                    // no radius and not strictly dominant
  NoIteration,                // the reordering failed
};

struct ConvergenceDiagnosis {
  bool sor = false;
  float omega = 1.0f;
  float eps = 0.0f;
  std::int32_t nlim = 0;
  std::int32_t n = 0;
  std::int32_t exchanges = 0;
  std::optional<Breakdown> reorderFailure;
  std::vector<Dominance> rows;
  Dominance overall = Dominance::Strict;
  std::optional<double> rho;
  std::optional<std::int32_t> predicted;  // for the first right-hand side
  std::vector<SweepOutcome> actual;       // the run's, per right-hand side
  std::optional<double> observed;         // first right-hand side
  ConvergenceVerdict verdict = ConvergenceVerdict::Unknown;
};

// `run`: what the run did, with the parameters it converted; `changes`:
// max|x - x_ant| of every sweep of its first right-hand side.
ConvergenceDiagnosis diagnoseConvergence(const ProblemState& start, const RunResult& run,
                                         const std::vector<double>& changes);

}  // namespace parvela
