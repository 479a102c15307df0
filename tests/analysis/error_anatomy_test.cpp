// The reference solution and the errors of a run, against exact rational
// arithmetic on the same single-precision data; the factors the refinement
// uses against the methods' own solutions.
#include <gtest/gtest.h>

#include <bit>
#include <random>

#include "analysis/analysis_run.h"
#include "analysis/error_anatomy.h"
#include "exact.h"
#include "support/matrices.h"
#include "run/dispatcher.h"

namespace parvela {
namespace {

using namespace testing;

std::vector<float> randomMatrix(std::int32_t n, std::uint32_t seed, float diagonal = 0.0f, bool symmetric = false) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<float> u(-1.0f, 1.0f);
  std::vector<float> a(static_cast<std::size_t>(n) * n);
  for (float& v : a) v = u(rng);
  for (std::int32_t j = 0; j < n; ++j)
    for (std::int32_t i = 0; i < n; ++i) {
      if (symmetric && i > j) a[static_cast<std::size_t>(j) * n + i] = a[static_cast<std::size_t>(i) * n + j];
      if (i == j) a[static_cast<std::size_t>(j) * n + i] += diagonal;
    }
  return a;
}

FloatMatrix square(std::int32_t n, std::vector<float> v) { return {n, n, std::move(v)}; }

// Hilbert of order 9 with row i scaled by 8^(i-1) (exactly): kappa near 1e13.
std::vector<float> scaledHilbert9() {
  std::vector<float> a = generated("Hilbert", 9);
  for (std::int32_t j = 0; j < 9; ++j)
    for (std::int32_t i = 0; i < 9; ++i) a[static_cast<std::size_t>(j) * 9 + i] *= std::ldexp(1.0f, 3 * i);
  return a;
}

TEST(Reference, HasTwelveDigitsOfTheExactSolutionOrSaysWhyNot) {
  struct Case {
    const char* name;
    std::int32_t n;
    std::vector<float> A;
    ReferenceTrust trust;
  };
  const Case cases[] = {
      {"Hilbert 6", 6, generated("Hilbert", 6), ReferenceTrust::Trusted},
      {"Hilbert 10", 10, generated("Hilbert", 10), ReferenceTrust::Trusted},
      {"Lotkin 7", 7, generated("Lotkin", 7), ReferenceTrust::Trusted},
      {"random 9", 9, randomMatrix(9, 7), ReferenceTrust::Trusted},
      {"scaled Hilbert 9", 9, scaledHilbert9(), ReferenceTrust::Trusted},
      {"equal rows", 3, byRows(3, {1, 2, 3, 2, 4, 6, 1, 1, 1}), ReferenceTrust::Singular},
      {"a NaN", 2, {1.0f, NAN, 0.0f, 1.0f}, ReferenceTrust::NotFinite},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<float> b = onesRhs(c.n, c.A);
    const Reference ref = referenceSolve(square(c.n, c.A), FloatMatrix{c.n, 1, b});
    ASSERT_EQ(ref.trust, c.trust);
    if (c.trust != ReferenceTrust::Trusted) continue;
    const RationalMatrix A = rational(c.n, c.A);
    const RationalMatrix inverse = *exactInverse(A);
    std::vector<Rational> be;
    for (float v : b) be.push_back(exact(v));
    const std::vector<Rational> x = times(inverse, be);
    const long double size = toLongDouble(maxAbs(x));
    for (std::int32_t i = 0; i < c.n; ++i)
      EXPECT_LE(std::fabs(ref.x[0][i] - toLongDouble(x[i])), 1e-14L * size) << "x(" << i + 1 << ")";
    const double kappa = static_cast<double>(toLongDouble(normInfExact(A) * normInfExact(inverse)));
    EXPECT_NEAR(ref.kappaInf() / kappa, 1.0, 1e-12);
    EXPECT_LT(kappa, 1e13);
  }
}

TEST(Reference, ResidualIsTheExactOneRoundedOnce) {
  const std::int32_t n = 7;
  const std::vector<float> a = randomMatrix(n, 3, 0.0f);
  std::mt19937 rng(5);
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  std::vector<float> b(n);
  std::vector<long double> x(n), r(n);
  for (std::int32_t i = 0; i < n; ++i) {
    b[i] = static_cast<float>(u(rng));
    x[i] = static_cast<long double>(u(rng)) / 3.0L;  // all 64 bits in use
  }
  exactResidual(square(n, a), b.data(), x.data(), r.data());
  const RationalMatrix A = rational(n, a);
  for (std::int32_t i = 0; i < n; ++i) {
    Rational s = exact(b[i]);
    for (std::int32_t j = 0; j < n; ++j) {
      mpq_class xj;
      mpfr_t t;
      mpfr_init2(t, 64);
      mpfr_set_ld(t, x[j], MPFR_RNDN);
      mpfr_get_q(xj.get_mpq_t(), t);
      mpfr_clear(t);
      s -= A[i][j] * xj;
    }
    EXPECT_EQ(r[i], toLongDouble(s)) << i;
  }
}

// Every method's solution, measured by the analysis and exactly.
TEST(ErrorAnatomy, ForwardAndBackwardErrorsOfEveryMethodAreTheExactOnes) {
  struct Case {
    const char* method;
    std::int32_t n;
    std::vector<float> A;
    ProblemKind kind;
  };
  const std::vector<float> small = byRows(3, {4, 1, 0, 1, 4, 1, 0, 1, 4});
  const Case cases[] = {
      {"Gauss", 3, small, ProblemKind::System},
      {"LU", 6, generated("Hilbert", 6), ProblemKind::System},
      {"Cholesky", 6, generated("Hilbert", 6), ProblemKind::System},
      {"Gauss-Seidel", 10, tridiagonal(10), ProblemKind::System},
      {"SOR", 10, tridiagonal(10), ProblemKind::System},
      {"LU", 4, generated("Hilbert", 4), ProblemKind::Inverse},
      {"Gauss", 30, randomMatrix(30, 11, 4.0f), ProblemKind::System},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.method) + ", n = " + std::to_string(c.n));
    std::vector<float> B = c.kind == ProblemKind::System ? onesRhs(c.n, c.A) : identity(c.n);
    ProblemState s = systemState(c.n, c.A, B, c.method, "1e-6", "5000", "1.5");
    if (c.kind == ProblemKind::Inverse) {
      s.problemKind = ProblemKind::Inverse;
      s.readForSystem = false;
    }
    const RunAnalysis a = analyseRun(s);
    const ReplayedRun run = replayRun(s);
    ASSERT_TRUE(a.errors);
    EXPECT_EQ(a.errors->trust, ReferenceTrust::Trusted);
    const RationalMatrix A = rational(c.n, c.A);
    const RationalMatrix inverse = *exactInverse(A);
    ASSERT_EQ(a.errors->rows.size(), static_cast<std::size_t>(s.nb));
    for (std::int32_t k = 0; k < s.nb; ++k) {
      const std::vector<float> b(B.begin() + k * c.n, B.begin() + (k + 1) * c.n);
      std::vector<Rational> be;
      for (float v : b) be.push_back(exact(v));
      const SolutionErrors& e = a.errors->rows[k];
      ASSERT_TRUE(e.solved);
      const double forward = exactForwardError(run.solutions[k], times(inverse, be));
      EXPECT_NEAR(e.forward, forward, 1e-9 * forward + 1e-17);  // the reference's own error shows below that
      EXPECT_NEAR(e.backward / exactBackwardError(A, b, run.solutions[k]), 1.0, 1e-9);
      EXPECT_DOUBLE_EQ(e.bound, a.errors->kappaInf * e.backward);
    }
  }
}

// The factors the refinement solves with give, for one right-hand side,
// the bits the method's run gives: on the straightforward kernels (n <= 16)
// and on the fast ones.
TEST(ErrorAnatomy, KernelFactorsSolveAsTheMethodDoes) {
  for (const char* method : {"Gauss", "LU", "Cholesky"}) {
    for (std::int32_t n : {6, 40}) {
      SCOPED_TRACE(std::string(method) + ", n = " + std::to_string(n));
      const std::vector<float> A = randomMatrix(n, 100 + n, static_cast<float>(n), true);
      const std::vector<float> b = onesRhs(n, randomMatrix(n, 200 + n));
      ProblemState s = systemState(n, A, b, method);
      runOnPrivateState(s);
      const std::optional<KernelFactors> f = KernelFactors::make(methodIndexOf(method), square(n, A));
      ASSERT_TRUE(f);
      std::vector<float> x = b;
      f->solve(x);
      for (std::int32_t i = 0; i < n; ++i) EXPECT_EQ(std::bit_cast<std::uint32_t>(x[i]), std::bit_cast<std::uint32_t>(s.B[i])) << i;
    }
  }
  EXPECT_FALSE(KernelFactors::make(methodIndexOf("Gauss"), square(3, byRows(3, {1, 2, 3, 2, 4, 6, 1, 1, 1}))));
}

TEST(ErrorAnatomy, RefinementStartsFromTheMethodsSolutionAndGainsWhereItCan) {
  struct Case {
    const char* method;
    std::int32_t n;
    std::vector<float> A;
    double after;  // forward error after five corrections at most
  };
  const Case cases[] = {
      {"Gauss", 3, byRows(3, {4, 1, 0, 1, 4, 1, 0, 1, 4}), 1e-15},
      {"LU", 6, generated("Hilbert", 6), 1e-8},
      {"Cholesky", 5, generated("Hilbert", 5), 1e-10},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.method);
    const RunAnalysis a = analyseRun(systemState(c.n, c.A, onesRhs(c.n, c.A), c.method));
    ASSERT_EQ(a.errors->refinement.size(), 1u + ErrorAnatomy::kCorrections);
    EXPECT_EQ(a.errors->refinement[0].forward, a.errors->rows[0].forward);
    EXPECT_LT(a.errors->refinement.back().forward, c.after);
  }
  // The iterative methods have no factors to refine with.
  const RunAnalysis gs = analyseRun(systemState(10, tridiagonal(10), onesRhs(10, tridiagonal(10)), "Gauss-Seidel"));
  EXPECT_TRUE(gs.errors->refinement.empty());
}

}  // namespace
}  // namespace parvela
