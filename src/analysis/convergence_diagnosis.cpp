#include "analysis/convergence_diagnosis.h"

#include <Eigen/Dense>
#include <algorithm>
#include <cmath>
#include <cstddef>

#include "core/methods.h"
#include "core/steps.h"
#include "io/fortran_io.h"
#include "iterative/reorder.h"
#include "iterative/sweeps.h"

namespace parvela {

IterationSystem iterationSystem(const ProblemState& start, bool sor) {
  IterationSystem s;
  const std::int32_t n = start.n;
  const std::int32_t nb = start.nb;
  const std::size_t N = static_cast<std::size_t>(n > 0 ? n : 0);
  s.A = {n, n, {start.A.begin(), start.A.begin() + static_cast<std::ptrdiff_t>(std::min(start.A.size(), N * N))}};
  s.B = {n, nb,
         {start.B.begin(), start.B.begin() + static_cast<std::ptrdiff_t>(std::min(start.B.size(), N * static_cast<std::size_t>(nb > 0 ? nb : 0)))}};
  if (n < 1 || s.A.values.size() < N * N) return s;
  // The reordering writes its count line: into units nobody reads.
  TextUnit report, out;
  OutputScope units(report, out);
  StepScope quiet(nullptr);
  const Reordering r = reorderRows(n, nb, s.A.values.data(), s.B.values.data());
  s.exchanges = r.exchanges;
  s.breakdown = r.breakdown;
  if (!r.breakdown && sor) {
    scaleToUnitDiagonal(n, nb, s.A.values.data(), s.B.values.data());
    s.scaled = true;
  }
  return s;
}

std::vector<Dominance> rowDominance(const FloatMatrix& A) {
  std::vector<Dominance> rows;
  for (std::int32_t i = 0; i < A.rows; ++i) {
    double off = 0.0;
    for (std::int32_t j = 0; j < A.cols; ++j)
      if (j != i) off += std::fabs(static_cast<double>(A.column(j)[i]));
    const double d = std::fabs(static_cast<double>(A.column(i)[i]));
    rows.push_back(d > off ? Dominance::Strict : d == off ? Dominance::Weak : Dominance::Failing);
  }
  return rows;
}

Dominance overallDominance(const std::vector<Dominance>& rows) {
  Dominance worst = Dominance::Strict;
  for (Dominance d : rows) worst = std::max(worst, d);
  return worst;
}

std::optional<double> iterationRadius(const FloatMatrix& A, double omega, bool relaxFirst) {
  const Eigen::Index n = A.rows;
  if (n < 1) return std::nullopt;
  Eigen::MatrixXd M = Eigen::MatrixXd::Zero(n, n);  // D + W L
  Eigen::MatrixXd N = Eigen::MatrixXd::Zero(n, n);  // (I - W) D - W U
  for (Eigen::Index i = 0; i < n; ++i) {
    const double w = (i == 0 && !relaxFirst) ? 1.0 : omega;
    for (Eigen::Index j = 0; j < n; ++j) {
      const double a = A.column(static_cast<std::int32_t>(j))[i];
      if (j < i) M(i, j) = w * a;
      else if (j == i) {
        M(i, i) = a;
        N(i, i) = (1.0 - w) * a;
      } else {
        N(i, j) = -w * a;
      }
    }
  }
  const Eigen::MatrixXd T = M.triangularView<Eigen::Lower>().solve(N);
  if (!T.allFinite()) return std::nullopt;
  const Eigen::EigenSolver<Eigen::MatrixXd> solver(T, false);
  if (solver.info() != Eigen::Success) return std::nullopt;
  return solver.eigenvalues().cwiseAbs().maxCoeff();
}

std::optional<std::int32_t> predictedSweeps(double rho, double firstChange, double eps) {
  if (!(firstChange > eps)) return 1;
  if (!(rho < 1.0) || !(eps > 0.0)) return std::nullopt;
  if (rho <= 0.0) return 2;
  const double more = std::ceil(std::log(eps / firstChange) / std::log(rho));
  if (!(more < 2.0e9)) return std::nullopt;
  return 1 + static_cast<std::int32_t>(std::max(1.0, more));
}

std::optional<double> observedFactor(const std::vector<double>& changes) {
  std::size_t last = changes.size();
  while (last > 0 && !(changes[last - 1] > 0.0)) --last;  // a last change of 0 says nothing of the rate
  if (last < 2) return std::nullopt;
  const std::size_t steps = std::min<std::size_t>(5, last - 1);
  const double a = changes[last - 1 - steps];
  const double b = changes[last - 1];
  if (!(a > 0.0) || !std::isfinite(a) || !std::isfinite(b)) return std::nullopt;
  return std::pow(b / a, 1.0 / static_cast<double>(steps));
}

ConvergenceDiagnosis diagnoseConvergence(const ProblemState& start, const RunResult& run,
                                         const std::vector<double>& changes) {
  ConvergenceDiagnosis d;
  // The parameters as the run converted them from the texts.
  d.sor = methodNeedsOmega(start.methodIndex);
  d.omega = d.sor ? run.omega : 1.0f;
  d.eps = run.eps;
  d.nlim = run.nlim;
  d.n = start.n;
  d.actual = run.outcome.sweeps;
  const IterationSystem sys = iterationSystem(start, d.sor);
  d.exchanges = sys.exchanges;
  d.reorderFailure = sys.breakdown;
  if (sys.breakdown) {
    d.verdict = ConvergenceVerdict::NoIteration;
    return d;
  }
  d.rows = rowDominance(sys.A);
  d.overall = overallDominance(d.rows);
  if (start.n <= kRadiusOrderLimit) d.rho = iterationRadius(sys.A, d.omega);
  if (d.rho && !changes.empty()) d.predicted = predictedSweeps(*d.rho, changes.front(), d.eps);
  d.observed = observedFactor(changes);
  // Strict dominance settles it only for Gauss-Seidel and for 0 < omega <= 1.
  const bool dominanceSuffices = d.overall == Dominance::Strict && d.omega > 0.0f && d.omega <= 1.0f;
  if (!d.rho)
    d.verdict = dominanceSuffices ? ConvergenceVerdict::DominantOnly : ConvergenceVerdict::Unknown;
  else if (*d.rho >= 1.0)
    d.verdict = ConvergenceVerdict::Diverges;
  else
    d.verdict = d.overall == Dominance::Strict ? ConvergenceVerdict::Converges
                                               : ConvergenceVerdict::ConvergesWithoutDominance;
  return d;
}

}  // namespace parvela
