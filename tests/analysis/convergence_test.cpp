// The convergence diagnosis and the search for the best omega, against the
// closed forms of the tridiagonal (-1, 2, -1) matrix, against a second way
// of finding the spectral radius (the sweeps themselves, in double), and
// against real runs.
#include <gtest/gtest.h>

#include <cmath>

#include "analysis/analysis_run.h"
#include "analysis/convergence_diagnosis.h"
#include "analysis/omega_scan.h"
#include "exact.h"
#include "run/dispatcher.h"
#include "support/matrices.h"

namespace parvela {
namespace {

using namespace testing;

FloatMatrix square(std::int32_t n, std::vector<float> v) { return {n, n, std::move(v)}; }

double optimalOmega(std::int32_t n) { return 2.0 / (1.0 + std::sin(M_PI / (n + 1))); }

TEST(Convergence, RadiiOfTheTridiagonalMatrixAreTheClosedForms) {
  for (std::int32_t n : {5, 10, 20, 50}) {
    SCOPED_TRACE(n);
    const FloatMatrix A = square(n, tridiagonal(n));
    const double c = std::cos(M_PI / (n + 1));
    EXPECT_NEAR(*iterationRadius(A, 1.0), c * c, 1e-9);  // Gauss-Seidel
    // Textbook SOR at its optimum: rho = omega - 1 (a double eigenvalue,
    // found to about the square root of the precision).
    const double w = optimalOmega(n);
    EXPECT_NEAR(*iterationRadius(A, w, true), w - 1.0, 1e-5);
  }
}

// A second way to the radius: run the program's SOR sweep (first component
// unrelaxed) in double on the error of a random start, and watch its rate.
TEST(Convergence, RadiusOfTheProgramsSweepIsTheRateItsErrorShrinksBy) {
  for (const double w : {0.8, 1.2, 1.9}) {
    SCOPED_TRACE(w);
    const std::int32_t n = 12;
    const std::vector<float> a = tridiagonal(n);
    std::vector<double> e(n);
    for (std::int32_t i = 0; i < n; ++i) e[i] = std::sin(1.0 + 3.7 * i);  // no special direction
    double logs = 0.0;
    const int sweeps = 8000, window = 4000;
    for (int k = 1; k <= sweeps; ++k) {
      for (std::int32_t i = 0; i < n; ++i) {
        double g = 0.0;
        for (std::int32_t j = 0; j < n; ++j)
          if (j != i) g -= a[static_cast<std::size_t>(j) * n + i] * e[j];
        g /= a[static_cast<std::size_t>(i) * n + i];
        e[i] = i == 0 ? g : w * g + (1.0 - w) * e[i];
      }
      double norm = 0.0;
      for (double v : e) norm = std::max(norm, std::fabs(v));
      // Rescaled to stay in range; the rate is the product of the factors.
      for (double& v : e) v /= norm;
      if (k > sweeps - window) logs += std::log(norm);
    }
    const double rate = std::exp(logs / window);
    EXPECT_NEAR(*iterationRadius(square(n, a), w), rate, 2e-3);
  }
}

TEST(Convergence, DominanceRowByRowOnTheSystemAsIterated) {
  struct Case {
    std::vector<float> rows;
    std::vector<Dominance> expected;
    std::int32_t exchanges;
  };
  const Case cases[] = {
      {{4, 1, 0, 1, 4, 1, 0, 1, 4}, {Dominance::Strict, Dominance::Strict, Dominance::Strict}, 0},
      {{2, -1, 0, -1, 2, -1, 0, -1, 2}, {Dominance::Strict, Dominance::Weak, Dominance::Strict}, 0},
      {{1, 2, 0, 3, 1, 0, 0, 0, 5}, {Dominance::Failing, Dominance::Failing, Dominance::Strict}, 0},
      // A zero diagonal: the reordering brings the lower row up first.
      {{0, 3, 1, 5, 1, 1, 0, 1, 4}, {Dominance::Strict, Dominance::Strict, Dominance::Strict}, 1},
  };
  for (const Case& c : cases) {
    std::vector<float> a(9);
    for (std::size_t k = 0; k < 9; ++k) a[k % 3 * 3 + k / 3] = c.rows[k];  // rows to columns
    ProblemState s = systemState(3, a, {1, 1, 1}, "Gauss-Seidel");
    const IterationSystem sys = iterationSystem(s, false);
    EXPECT_EQ(sys.exchanges, c.exchanges);
    EXPECT_EQ(rowDominance(sys.A), c.expected);
  }
}

TEST(Convergence, DiagnosisOfRealRuns) {
  // Gauss-Seidel on (-1, 2, -1): only weakly dominant, rho = cos^2(pi/11).
  const std::int32_t n = 10;
  ProblemState gs = systemState(n, tridiagonal(n), onesRhs(n, tridiagonal(n)), "Gauss-Seidel", "1e-6", "5000");
  const RunAnalysis a = analyseRun(gs);
  ASSERT_TRUE(a.convergence);
  const ConvergenceDiagnosis& d = *a.convergence;
  const double rho = std::pow(std::cos(M_PI / (n + 1)), 2);
  EXPECT_EQ(d.verdict, ConvergenceVerdict::ConvergesWithoutDominance);
  EXPECT_EQ(d.overall, Dominance::Weak);
  EXPECT_NEAR(*d.rho, rho, 1e-9);
  EXPECT_NEAR(*d.observed / rho, 1.0, 0.02);
  ASSERT_EQ(d.actual.size(), 1u);
  EXPECT_EQ(d.actual[0].verdict, Verdict::Tolerance);
  EXPECT_NEAR(double(*d.predicted) / d.actual[0].sweeps, 1.0, 0.25);

  // Rows that cannot be reordered into dominance: rho = 6, and the run
  // diverges.
  ProblemState bad = systemState(2, byRows(2, {1, 2, 3, 1}), {1, 1}, "Gauss-Seidel");
  const RunAnalysis b = analyseRun(bad);
  EXPECT_EQ(b.convergence->verdict, ConvergenceVerdict::Diverges);
  EXPECT_NEAR(*b.convergence->rho, 6.0, 1e-12);
  EXPECT_EQ(b.convergence->actual[0].verdict, Verdict::Divergence);

  // No usable diagonal at all.
  ProblemState none = systemState(2, byRows(2, {0, 1, 0, 1}), {1, 1}, "SOR");
  EXPECT_EQ(analyseRun(none).convergence->verdict, ConvergenceVerdict::NoIteration);
}

TEST(OmegaScan, FindsTheOptimumAndCountsSweepsAsRealRunsDo) {
  for (std::int32_t n : {20, 50}) {
    SCOPED_TRACE(n);
    // Two right-hand sides: the scan runs the first, as "REZOLVA !" would.
    std::vector<float> B = onesRhs(n, tridiagonal(n));
    B.resize(2 * static_cast<std::size_t>(n), 1.0f);
    ProblemState start = systemState(n, tridiagonal(n), B, "Gauss-Seidel", "1e-5", "3000");
    start.printIterations = true;
    const OmegaScan scan = scanOmega(start);
    ASSERT_TRUE(scan.available);
    EXPECT_NEAR(scan.best, optimalOmega(n), 0.005);
    EXPECT_EQ(scan.radii.size(), 39u + 18u);  // the fine grid shares three points with the coarse one
    ASSERT_EQ(scan.runs.size(), 20u);
    EXPECT_EQ(scan.runs.back().text, scan.bestText);
    for (const OmegaRun& r : scan.runs) {
      SCOPED_TRACE(r.text);
      ProblemState s = start;
      s.methodIndex = methodIndexOf("SOR");
      s.omegaText = fixedText(r.text, kParamTextLength);
      const RunResult real = runOnPrivateState(s);
      EXPECT_EQ(r.sweeps, real.outcome.sweeps[0].sweeps);
      EXPECT_EQ(r.verdict, real.outcome.sweeps[0].verdict);
    }
  }
}

TEST(OmegaScan, TextsAreWhatAUserTypes) {
  EXPECT_EQ(omegaText(50), "0.05");
  EXPECT_EQ(omegaText(1000), "1.0");
  EXPECT_EQ(omegaText(1705), "1.705");
  EXPECT_EQ(omegaText(1900), "1.9");
}

}  // namespace
}  // namespace parvela
