#include "analysis/condition_check.h"

#include <Eigen/Dense>
#include <cmath>

#include "analysis/experiment_over_n.h"
#include "io/generators.h"

namespace parvela {

namespace {

using MatrixL = Eigen::Matrix<long double, Eigen::Dynamic, Eigen::Dynamic>;

double relativeError(double value, double reference) {
  if (reference == 0.0) return value == 0.0 ? 0.0 : INFINITY;
  return std::fabs(value - reference) / std::fabs(reference);
}

MatrixL toEigen(const WideMatrix& A) {
  MatrixL m(A.n, A.n);
  for (std::int32_t j = 0; j < A.n; ++j)
    for (std::int32_t i = 0; i < A.n; ++i) m(i, j) = A.values[static_cast<std::size_t>(j) * A.n + i];
  return m;
}

}  // namespace

WideMatrix widen(const FloatMatrix& A) { return {A.rows, {A.values.begin(), A.values.end()}}; }

std::optional<WideMatrix> exactGeneratedMatrix(const ProblemState& start) {
  if (start.inputSource != InputSource::Generated || start.n < 1) return std::nullopt;
  const std::string_view name = chosenGenerator(start);
  const std::int32_t n = start.n;
  if (start.nc < leastConstants(name, n)) return std::nullopt;
  WideMatrix m{n, std::vector<long double>(static_cast<std::size_t>(n) * n, 0.0L)};
  auto a = [&](std::int32_t i, std::int32_t j) -> long double& { return m.values[static_cast<std::size_t>(j - 1) * n + (i - 1)]; };
  auto c = [&](std::int32_t k) { return static_cast<long double>(start.C[static_cast<std::size_t>(k - 1)]); };
  if (name == "Hilbert" || name == "Lotkin") {
    for (std::int32_t j = 1; j <= n; ++j)
      for (std::int32_t i = 1; i <= n; ++i) a(i, j) = 1.0L / (i + j - 1);
    if (name == "Lotkin")
      for (std::int32_t j = 1; j <= n; ++j) a(1, j) = 1.0L;
  } else if (name == "Cauchy") {
    for (std::int32_t j = 1; j <= n; ++j)
      for (std::int32_t i = 1; i <= n; ++i) a(i, j) = 1.0L / (c(i) + c(j + 5));
  } else if (name == "Wilkinson 5" && n >= 5) {
    for (std::int32_t j = 1; j <= 5; ++j)
      for (std::int32_t i = 1; i <= 5; ++i) a(i, j) = c(1) * 1.8144L / (i + j + 1);
  } else {
    return std::nullopt;  // the stored entries are the generator's exactly
  }
  return m;
}

bool referenceConditionFigures(const WideMatrix& A, std::int32_t normIndex, double& normA, double& normInverse) {
  if (A.n < 1) return false;
  const MatrixL wide = toEigen(A);
  if (!wide.allFinite()) return false;
  if (normIndex == 2 || normIndex == -1) {
    const Eigen::MatrixXd m = wide.cast<double>();
    if (normIndex == 2) {
      const Eigen::JacobiSVD<Eigen::MatrixXd> svd(m);
      const auto& s = svd.singularValues();
      const double smallest = s(s.size() - 1);
      if (!(smallest > 0.0)) return false;
      normA = s(0);
      normInverse = 1.0 / smallest;
      return true;
    }
    const Eigen::EigenSolver<Eigen::MatrixXd> eigen(m, false);
    if (eigen.info() != Eigen::Success) return false;
    const Eigen::VectorXd moduli = eigen.eigenvalues().cwiseAbs();
    if (!(moduli.minCoeff() > 0.0)) return false;
    normA = moduli.maxCoeff();
    normInverse = 1.0 / moduli.minCoeff();
    return true;
  }
  const Eigen::PartialPivLU<MatrixL> lu(wide);
  const auto u = lu.matrixLU().diagonal();
  for (Eigen::Index i = 0; i < u.size(); ++i)
    if (u(i) == 0.0L) return false;
  const MatrixL inverse = lu.inverse();
  if (!inverse.allFinite()) return false;
  if (normIndex == 1) {
    normA = static_cast<double>(wide.cwiseAbs().colwise().sum().maxCoeff());
    normInverse = static_cast<double>(inverse.cwiseAbs().colwise().sum().maxCoeff());
  } else {
    normA = static_cast<double>(wide.cwiseAbs().rowwise().sum().maxCoeff());
    normInverse = static_cast<double>(inverse.cwiseAbs().rowwise().sum().maxCoeff());
  }
  return true;
}

ConditionCheck checkCondition(const FloatMatrix& A, std::int32_t normIndex, const RunResult& run,
                              const std::optional<WideMatrix>& exact) {
  ConditionCheck c;
  c.normIndex = normIndex;
  if (run.outcome.condition && !run.outcome.breakdown) {
    const ConditionOutcome& o = *run.outcome.condition;
    c.reported = true;
    c.normA = o.normA;
    c.normInverse = o.normInverse;
    c.condition = o.condition;
    c.doubtful = o.doubtful;
    c.radii = o.radii;
  }
  if (exact) {
    double a = 0.0, inv = 0.0;
    if (referenceConditionFigures(*exact, normIndex, a, inv)) {
      c.exactCondition = a * inv;
      if (c.reported) c.errExact = relativeError(c.condition, *c.exactCondition);
    }
  }
  c.referenceAvailable = referenceConditionFigures(widen(A), normIndex, c.refNormA, c.refNormInverse);
  if (!c.referenceAvailable) return c;
  c.refCondition = c.refNormA * c.refNormInverse;
  c.expectedInverseError = c.refCondition * kUnitRoundoffSingle;
  if (c.reported) {
    c.errNormA = relativeError(c.normA, c.refNormA);
    c.errNormInverse = relativeError(c.normInverse, c.refNormInverse);
    c.errCondition = relativeError(c.condition, c.refCondition);
  }
  return c;
}

}  // namespace parvela
