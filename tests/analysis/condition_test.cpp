// The condition number checked: the references against the exact inverse of
// the stored matrix, a second eigenvalue method and the closed form of the
// Hilbert matrix; the lesson of the Hilbert matrix of order 7.
#include <gtest/gtest.h>

#include <Eigen/Dense>

#include "analysis/analysis_run.h"
#include "analysis/condition_check.h"
#include "exact.h"
#include "run/dispatcher.h"
#include "support/matrices.h"

namespace parvela {
namespace {

using namespace testing;

ProblemState hilbertCondition(std::int32_t n, std::int32_t normIndex) {
  ProblemState s = systemState(n, generated("Hilbert", n), identity(n), "Gauss");
  s.problemKind = ProblemKind::ConditionNumber;
  s.readForSystem = false;
  s.methodIndex = 0;
  s.normIndex = normIndex;
  s.inputSource = InputSource::Generated;
  s.generatorIndex = 1;
  return s;
}

TEST(ConditionCheck, ReferencesAgreeWithIndependentValues) {
  const std::int32_t n = 7;
  const std::vector<float> h = generated("Hilbert", n);
  const RationalMatrix A = rational(n, h);
  const RationalMatrix inverse = *exactInverse(A);
  // Infinity norm (and 1-norm: the matrix is symmetric) from the exact
  // inverse of the stored matrix.
  for (std::int32_t norm : {0, 1}) {
    double a = 0.0, inv = 0.0;
    ASSERT_TRUE(referenceConditionFigures(widen({n, n, h}), norm, a, inv));
    EXPECT_NEAR(a / static_cast<double>(toLongDouble(normInfExact(A))), 1.0, 1e-15);
    EXPECT_NEAR(inv / static_cast<double>(toLongDouble(normInfExact(inverse))), 1.0, 1e-12);
  }
  // Norm 2 and Cond(A)* of a symmetric positive definite matrix: the
  // extreme eigenvalues, from the symmetric eigenvalue solver.
  Eigen::MatrixXd m(n, n);
  for (std::int32_t j = 0; j < n; ++j)
    for (std::int32_t i = 0; i < n; ++i) m(i, j) = h[static_cast<std::size_t>(j) * n + i];
  const Eigen::VectorXd lambda = Eigen::SelfAdjointEigenSolver<Eigen::MatrixXd>(m).eigenvalues();
  for (std::int32_t norm : {2, -1}) {
    double a = 0.0, inv = 0.0;
    ASSERT_TRUE(referenceConditionFigures(widen({n, n, h}), norm, a, inv));
    EXPECT_NEAR(a / lambda.maxCoeff(), 1.0, 1e-12);
    EXPECT_NEAR(inv * lambda.minCoeff(), 1.0, 1e-6);
  }
}

TEST(ConditionCheck, HilbertSevenInSinglePrecision) {
  // The report's figure in the infinity norm is 73 % below the condition
  // number of the true Hilbert matrix (1970389773/2), 58 % below that of the
  // matrix actually stored.
  const RunAnalysis a = analyseRun(hilbertCondition(7, 0));
  ASSERT_TRUE(a.condition);
  const ConditionCheck& c = *a.condition;
  ASSERT_TRUE(c.reported && c.referenceAvailable && c.exactCondition);
  EXPECT_NEAR(*c.exactCondition / 985194886.5, 1.0, 1e-10);
  EXPECT_NEAR(c.errExact, 0.73, 0.01);
  EXPECT_NEAR(c.errCondition, 0.58, 0.01);
  EXPECT_LT(c.errNormA, 1e-6);  // the matrix's own norm is right; its inverse's is not
  EXPECT_GT(c.expectedInverseError, 1.0);

  // The power method's iterations come with the 2-norm.
  const RunAnalysis two = analyseRun(hilbertCondition(7, 2));
  EXPECT_EQ(two.condition->radii.size(), 2u);
  EXPECT_TRUE(two.condition->radii[0].settled);
}

TEST(ConditionCheck, ASingularMatrixHasNoReference) {
  ProblemState s = hilbertCondition(3, 0);
  s.A = {1, 2, 1, 2, 4, 2, 3, 6, 1};
  s.inputSource = InputSource::DataFile;
  const RunAnalysis a = analyseRun(s);
  EXPECT_FALSE(a.condition->referenceAvailable);
  EXPECT_FALSE(a.condition->reported);  // the run's inverse broke down too
  EXPECT_FALSE(a.condition->exactCondition);
}

}  // namespace
}  // namespace parvela
