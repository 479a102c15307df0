#include "analysis/error_anatomy.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>
#include <utility>

#include "core/methods.h"
#include "core/problem_state.h"
#include "core/progress.h"
#include "core/steps.h"
#include "direct/cholesky.h"
#include "direct/cholesky_fast.h"
#include "direct/elim_fast.h"
#include "direct/gauss.h"
#include "direct/lu.h"
#include "direct/lu_fast.h"

namespace parvela {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

std::vector<long double> widened(const std::vector<float>& v) { return {v.begin(), v.end()}; }

// Hears the pivot row of every elimination step (both kernels publish it).
struct PivotRows final : StepListener {
  std::vector<std::int32_t>* rows;
  void step(const StepEvent& e) override {
    if (e.kind == StepKind::Elimination && e.step >= 1 && static_cast<std::size_t>(e.step) <= rows->size())
      (*rows)[static_cast<std::size_t>(e.step - 1)] = e.pivotRow;
  }
};

}  // namespace

double correctDigits(double relativeError) {
  if (std::isnan(relativeError)) return 0.0;
  if (relativeError <= 0.0) return std::numeric_limits<double>::infinity();
  return std::max(0.0, -std::log10(relativeError));
}

double forwardError(const std::vector<long double>& y, const std::vector<long double>& x) {
  long double diff = 0.0L;
  for (std::size_t i = 0; i < x.size() && i < y.size(); ++i) diff = std::max(diff, std::fabs(y[i] - x[i]));
  const long double size = maxMagnitude(x);
  if (std::isnan(diff)) return kNaN;
  return static_cast<double>(size > 0.0L ? diff / size : diff);
}

double backwardError(const FloatMatrix& A, const float* b, const std::vector<long double>& y) {
  std::vector<long double> r(y.size());
  exactResidual(A, b, y.data(), r.data());
  long double bn = 0.0L;
  for (std::int32_t i = 0; i < A.rows; ++i) bn = std::max(bn, std::fabs(static_cast<long double>(b[i])));
  const long double scale = normInf(A) * maxMagnitude(y) + bn;
  const long double rn = maxMagnitude(r);
  if (std::isnan(rn)) return kNaN;
  if (scale == 0.0L) return rn == 0.0L ? 0.0 : std::numeric_limits<double>::infinity();
  return static_cast<double>(rn / scale);
}

std::optional<KernelFactors> KernelFactors::make(std::int32_t methodIndex, const FloatMatrix& A) {
  const std::int32_t n = A.rows;
  if (n < 1 || A.cols != n) return std::nullopt;
  const std::size_t N = static_cast<std::size_t>(n);
  KernelFactors f;
  f.method_ = methodIndex;
  f.n_ = n;
  const bool small = useStepKernels(n);
  std::int32_t ierr = 0;
  std::int32_t swaps = 0;
  KernelStatus status;
  const std::string_view name = methodInfo(methodIndex) ? methodInfo(methodIndex)->name : "";
  if (name == "Gauss") {
    f.factors_ = A.values;
    f.order_.assign(N, 0);
    std::vector<float> none(N, 0.0f);  // one right-hand side, unused
    PivotRows listener;
    listener.rows = &f.order_;
    StepScope scope(&listener);
    status = small ? ELIM(n, 1, f.factors_.data(), none.data(), gaussPrag(), ierr, swaps)
                   : elimFast(n, 1, f.factors_.data(), none.data(), gaussPrag(), ierr, swaps);
  } else if (name == "LU") {
    f.factors_ = A.values;
    f.order_.assign(N, 0);
    StepScope quiet(nullptr);
    status = small ? LUDECOMP(f.factors_.data(), n, f.order_.data(), ierr, swaps)
                   : luFactor(f.factors_.data(), n, f.order_.data(), ierr, swaps);
  } else if (name == "Cholesky") {
    f.factors_.assign(N * (N + 1) / 2, 0.0f);
    for (std::size_t j = 1; j <= N; ++j)
      for (std::size_t i = 1; i <= j; ++i) f.factors_[packedOffset(i, j)] = A.values[(j - 1) * N + (i - 1)];
    StepScope quiet(nullptr);
    status = small ? SUB_CHOLESKY_S(n, f.factors_.data(), ierr) : choleskyFactor(n, f.factors_.data(), ierr);
  } else {
    return std::nullopt;
  }
  if (status.failed) return std::nullopt;
  return f;
}

void KernelFactors::solve(std::vector<float>& b) const {
  const std::size_t N = static_cast<std::size_t>(n_);
  const float* a = factors_.data();
  StepScope quiet(nullptr);
  const std::string_view name = methodInfo(method_)->name;
  if (name == "LU") {
    std::vector<float> x(N);
    LUSOLVE(a, b.data(), n_, x.data(), order_.data());
    b = std::move(x);
  } else if (name == "Cholesky") {
    FORWARD(n_, a, b.data());
    BACK(n_, a, b.data());
  } else {
    // As the elimination treats its right-hand sides. Whole rows move at
    // each interchange, multipliers included, so every element receives
    // the same steps in the same order when all the interchanges come
    // first; rows with a zero multiplier are left alone. Then the back
    // substitution, each sum over ascending columns.
    auto at = [a, N](std::size_t i, std::size_t j) { return a[(j - 1) * N + (i - 1)]; };
    for (std::size_t k = 1; k < N; ++k) {
      const std::size_t r = static_cast<std::size_t>(order_[k - 1]);
      if (r != k && r >= 1 && r <= N) std::swap(b[k - 1], b[r - 1]);
    }
    for (std::size_t k = 1; k < N; ++k) {
      const float bk = b[k - 1];
      for (std::size_t i = k + 1; i <= N; ++i) {
        const float m = at(i, k);
        if (m != 0.0f) b[i - 1] = b[i - 1] - m * bk;
      }
    }
    b[N - 1] = b[N - 1] / at(N, N);
    for (std::size_t i = N - 1; i >= 1; --i) {
      float s = 0.0f;
      for (std::size_t l = i + 1; l <= N; ++l) s = s + at(i, l) * b[l - 1];
      b[i - 1] = (b[i - 1] - s) / at(i, i);
    }
  }
}

std::vector<RefinementStep> refine(const KernelFactors& factors, const FloatMatrix& A, const float* b,
                                   const std::vector<float>& x, const std::vector<long double>& xRef,
                                   std::int32_t corrections) {
  const std::size_t N = static_cast<std::size_t>(A.rows);
  std::vector<RefinementStep> steps;
  std::vector<double> y(x.begin(), x.end());
  std::vector<float> d(N);
  for (std::int32_t c = 0;; ++c) {
    std::vector<long double> yl(y.begin(), y.end());
    steps.push_back({c, forwardError(yl, xRef), backwardError(A, b, yl)});
    if (c == corrections) break;
    pollCancel();
    // The residual in double precision, each sum over ascending columns.
    for (std::size_t i = 0; i < N; ++i) {
      double s = 0.0;
      for (std::size_t j = 0; j < N; ++j) s += static_cast<double>(A.values[j * N + i]) * y[j];
      d[i] = static_cast<float>(static_cast<double>(b[i]) - s);
    }
    factors.solve(d);
    for (std::size_t i = 0; i < N; ++i) y[i] += static_cast<double>(d[i]);
  }
  return steps;
}

ErrorAnatomy errorAnatomy(const FloatMatrix& A, const FloatMatrix& B,
                          const std::vector<std::vector<float>>& solutions, const KernelFactors* factors) {
  ErrorAnatomy e;
  e.rhsTotal = B.cols;
  const std::int32_t rows = std::min(B.cols, ErrorAnatomy::kMaxRows);
  const Reference ref = referenceSolve(A, B, rows);
  e.trust = ref.trust;
  e.kappaInf = ref.kappaInf();
  e.referenceSteps = ref.refinementSteps;
  const bool trusted = ref.trust == ReferenceTrust::Trusted;
  const bool haveKappa = ref.trust == ReferenceTrust::Trusted || ref.trust == ReferenceTrust::OutOfReach;
  for (std::int32_t k = 0; k < rows; ++k) {
    pollCancel();
    SolutionErrors s;
    s.rhs = k + 1;
    s.solved = static_cast<std::size_t>(k) < solutions.size() && !solutions[k].empty();
    s.forward = s.backward = s.bound = kNaN;
    if (s.solved) {
      const std::vector<long double> y = widened(solutions[k]);
      s.backward = backwardError(A, B.column(k), y);
      if (trusted) s.forward = forwardError(y, ref.x[k]);
      if (haveKappa) s.bound = e.kappaInf * s.backward;
    }
    s.digitsFound = correctDigits(s.forward);
    s.digitsPredicted = correctDigits(s.bound);
    e.rows.push_back(s);
  }
  if (factors && trusted && !e.rows.empty() && e.rows[0].solved)
    e.refinement = refine(*factors, A, B.column(0), solutions[0], ref.x[0], ErrorAnatomy::kCorrections);
  return e;
}

}  // namespace parvela
