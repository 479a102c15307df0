#include "analysis/analysis_reference.h"

#include <mpfr.h>

#include <Eigen/Dense>
#include <algorithm>
#include <cmath>
#include <cstddef>

#include "core/progress.h"

namespace parvela {

namespace {

using MatrixL = Eigen::Matrix<long double, Eigen::Dynamic, Eigen::Dynamic>;
using VectorL = Eigen::Matrix<long double, Eigen::Dynamic, 1>;

// Products of a single-precision number (24 bits) and an extended one (64
// bits) fit in 88 bits; the sums are kept far beyond that.
constexpr mpfr_prec_t kExactBits = 256;
// Refinement steps before a solution that has not settled is given up.
constexpr int kMaxRefinement = 40;
// A correction this small relative to the solution means it has settled:
// a few units in the last place of extended precision (2^-64, 5.4e-20).
constexpr long double kSettled = 1e-18L;

// n numbers of kExactBits bits.
class ExactVector {
 public:
  explicit ExactVector(std::size_t n) : v_(n) {
    for (mpfr_t& x : v_) mpfr_init2(x, kExactBits);
  }
  ~ExactVector() {
    for (mpfr_t& x : v_) mpfr_clear(x);
  }
  ExactVector(const ExactVector&) = delete;
  ExactVector& operator=(const ExactVector&) = delete;
  mpfr_t& operator[](std::size_t i) { return v_[i]; }

 private:
  std::vector<mpfr_t> v_;
};

bool allFinite(const std::vector<float>& v) {
  return std::all_of(v.begin(), v.end(), [](float x) { return std::isfinite(x); });
}

}  // namespace

long double maxMagnitude(const std::vector<long double>& v) {
  long double m = 0.0L;
  for (long double x : v) m = std::max(m, std::fabs(x));
  return m;
}

namespace {

// The largest sum of magnitudes over the rows (or the columns).
long double largestSum(const FloatMatrix& A, bool rows) {
  long double best = 0.0L;
  const std::int32_t outer = rows ? A.rows : A.cols, inner = rows ? A.cols : A.rows;
  for (std::int32_t k = 0; k < outer; ++k) {
    long double s = 0.0L;
    for (std::int32_t l = 0; l < inner; ++l)
      s += std::fabs(static_cast<long double>(rows ? A.column(l)[k] : A.column(k)[l]));
    best = std::max(best, s);
  }
  return best;
}

}  // namespace

long double normInf(const FloatMatrix& A) { return largestSum(A, true); }
long double norm1(const FloatMatrix& A) { return largestSum(A, false); }

void exactResidual(const FloatMatrix& A, const float* b, const long double* x, long double* r) {
  const std::size_t n = static_cast<std::size_t>(A.rows);
  ExactVector acc(n);
  mpfr_t xj, product;
  mpfr_init2(xj, kExactBits);
  mpfr_init2(product, kExactBits);
  for (std::size_t i = 0; i < n; ++i) mpfr_set_flt(acc[i], b[i], MPFR_RNDN);
  for (std::int32_t j = 0; j < A.cols; ++j) {
    if (x[j] == 0.0L) continue;
    mpfr_set_ld(xj, x[j], MPFR_RNDN);
    const float* col = A.column(j);
    for (std::size_t i = 0; i < n; ++i) {
      if (col[i] == 0.0f) continue;
      mpfr_mul_d(product, xj, static_cast<double>(col[i]), MPFR_RNDN);  // exact: 88 bits at most
      mpfr_sub(acc[i], acc[i], product, MPFR_RNDN);
    }
  }
  for (std::size_t i = 0; i < n; ++i) r[i] = mpfr_get_ld(acc[i], MPFR_RNDN);
  mpfr_clear(xj);
  mpfr_clear(product);
}

Reference referenceSolve(const FloatMatrix& A, const FloatMatrix& B, std::int32_t columns) {
  Reference ref;
  const std::int32_t n = A.rows;
  ref.n = n;
  if (n < 1 || A.cols != n || B.rows != n) return ref;
  if (columns < 0 || columns > B.cols) columns = B.cols;
  if (!allFinite(A.values) || !allFinite(B.values)) {
    ref.trust = ReferenceTrust::NotFinite;
    return ref;
  }
  ref.normInf = static_cast<double>(normInf(A));
  ref.norm1 = static_cast<double>(norm1(A));

  MatrixL a(n, n);
  for (std::int32_t j = 0; j < n; ++j)
    for (std::int32_t i = 0; i < n; ++i) a(i, j) = A.column(j)[i];
  const Eigen::PartialPivLU<MatrixL> lu(a);
  pollCancel();
  const auto u = lu.matrixLU().diagonal();
  for (std::int32_t i = 0; i < n; ++i)
    if (u(i) == 0.0L || !std::isfinite(u(i))) return ref;  // Singular
  const MatrixL inverse = lu.inverse();
  pollCancel();
  if (!inverse.allFinite()) return ref;
  ref.inverseNormInf = static_cast<double>(inverse.cwiseAbs().rowwise().sum().maxCoeff());
  ref.inverseNorm1 = static_cast<double>(inverse.cwiseAbs().colwise().sum().maxCoeff());

  ref.trust = ReferenceTrust::Trusted;
  std::vector<long double> r(static_cast<std::size_t>(n));
  for (std::int32_t k = 0; k < columns; ++k) {
    pollCancel();
    VectorL b(n);
    for (std::int32_t i = 0; i < n; ++i) b(i) = B.column(k)[i];
    VectorL x = lu.solve(b);
    bool settled = false;
    int step = 0;
    for (; step < kMaxRefinement && !settled; ++step) {
      exactResidual(A, B.column(k), x.data(), r.data());
      const VectorL d = lu.solve(Eigen::Map<const VectorL>(r.data(), n));
      x += d;
      const long double dn = d.cwiseAbs().maxCoeff();
      const long double xn = x.cwiseAbs().maxCoeff();
      settled = dn == 0.0L || dn <= kSettled * xn;
      if (!std::isfinite(dn)) break;
    }
    ref.refinementSteps = std::max(ref.refinementSteps, static_cast<std::int32_t>(step));
    if (!settled) ref.trust = ReferenceTrust::OutOfReach;
    ref.x.emplace_back(x.data(), x.data() + n);
  }
  return ref;
}

}  // namespace parvela
