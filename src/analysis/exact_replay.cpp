#include "analysis/exact_replay.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "core/methods.h"
#include "core/problem_state.h"

namespace parvela {

namespace {

using X = ExactNumber;
using V = ExactValues;

struct Cx {
  X re, im;
};

X square(const X& v) { return v * v; }
X modulusSquared(const Cx& z) { return square(z.re) + square(z.im); }

// (a + bi) / (c + di)
Cx divide(const Cx& x, const Cx& y) {
  const X d = modulusSquared(y);
  return {(x.re * y.re + x.im * y.im) / d, (x.im * y.re - x.re * y.im) / d};
}

// The first row of rows lo..hi whose value has the largest magnitude (a
// later row is taken only when strictly larger), as the pivot searches do.
template <class Get>
std::int32_t firstLargest(std::int32_t lo, std::int32_t hi, Get get) {
  std::int32_t best = lo;
  X bestAbs = get(lo).abs();
  for (std::int32_t i = lo + 1; i <= hi; ++i) {
    X m = get(i).abs();
    if (bestAbs < m) {
      best = i;
      bestAbs = std::move(m);
    }
  }
  return best;
}

class Replay {
 public:
  Replay(const StepRun& run, const ExactInput& in)
      : run_(run), s_(run.start), n_(run.start.n), nb_(run.start.nb), A_(in.A), B_(in.B), input_(in) {
    if (s_.packed()) {
      S_.resize(static_cast<std::size_t>(n_) * static_cast<std::size_t>(n_ + 1) / 2);
      for (std::int32_t j = 1; j <= n_; ++j)
        for (std::int32_t i = 1; i <= j; ++i) s(i, j) = a(i, j);
    }
    order_.resize(static_cast<std::size_t>(n_));
    for (std::int32_t i = 0; i < n_; ++i) order_[static_cast<std::size_t>(i)] = i + 1;
    omega_ = X::of(s_.omega);
    if (auto typed = exactDecimal(s_.omegaText); typed && X(*typed).toFloat() == s_.omega) omega_ = X(*typed);
  }

  ExactRun run() {
    ExactRun out;
    out.input = input_;
    if (s_.packed()) {
      out.initialS = snapS();
    } else {
      out.initialA = snapA();
    }
    out.initialB = snapB();
    for (std::size_t idx = 0; idx < run_.steps.size(); ++idx) {
      const RecordedStep& f = run_.steps[idx];
      ExactStep e;
      if (!stopped_) {
        step(f, e, idx);
        if (e.computed) {
          if (!f.A.empty()) e.A = snapA();
          if (!f.B.empty()) e.B = snapB();
          if (!f.S.empty()) e.S = snapS();
          if (!f.x.empty() && xShown_) e.x = std::make_shared<const V>(*xShown_);
        }
        if (stopped_) out.stoppedAt = idx;
      }
      xShown_ = nullptr;
      out.steps.push_back(std::move(e));
    }
    out.mpfr = anyMpfr(out);
    return out;
  }

 private:
  X& a(std::int32_t i, std::int32_t j) { return A_[at(i, j, n_)]; }
  X& b(std::int32_t i, std::int32_t k) { return B_[at(i, k, n_)]; }
  X& s(std::int32_t i, std::int32_t j) { return S_[packedOffset(static_cast<std::size_t>(i), static_cast<std::size_t>(j))]; }
  static std::size_t at(std::int32_t i, std::int32_t j, std::int32_t rows) {
    return static_cast<std::size_t>(j - 1) * static_cast<std::size_t>(rows) + static_cast<std::size_t>(i - 1);
  }

  SharedExactValues snapA() {
    if (!snapA_) snapA_ = std::make_shared<const V>(A_);
    return snapA_;
  }
  SharedExactValues snapB() {
    if (!snapB_) snapB_ = std::make_shared<const V>(B_);
    return snapB_;
  }
  SharedExactValues snapS() {
    if (!snapS_) snapS_ = std::make_shared<const V>(S_);
    return snapS_;
  }

  // Interchanges two rows of A and, unless the method keeps the order
  // aside (LU), of B.
  void swapRows(std::int32_t r1, std::int32_t r2, bool withB = true) {
    for (std::int32_t j = 1; j <= n_; ++j) std::swap(a(r1, j), a(r2, j));
    if (withB)
      for (std::int32_t k = 1; k <= nb_; ++k) std::swap(b(r1, k), b(r2, k));
    snapA_ = snapB_ = nullptr;
  }

  // The running determinant: the product of the factors so far, its sign
  // turned for an odd number of interchanges so far.
  void determinant(const RecordedStep& f, ExactStep& e, const X& factor) {
    product_ = product_ * factor;
    if (!f.determinant) return;
    if (s_.packed())
      e.determinant = product_ * product_;
    else
      e.determinant = f.interchanges % 2 != 0 ? -product_ : product_;
  }

  // The test of a pivot-like value: the run's verdict against the exact one.
  // Returns false when the replay must stop (an exact zero divisor).
  bool judge(const RecordedStep& f, ExactStep& e, const X& exact, bool runFailed) {
    lastDecisive_ = exact;
    const bool exactFails = exact.abs() < X::of(f.threshold);
    if (runFailed) {
      if (!exactFails) e.remarks.push_back({ExactNote::PivotPasses});
      return true;
    }
    if (exact.isZero()) {
      e.remarks.push_back({ExactNote::PivotZero});
      stopped_ = true;
      return false;
    }
    if (exactFails) e.remarks.push_back({ExactNote::PivotWouldFail});
    return true;
  }

  void step(const RecordedStep& f, ExactStep& e, std::size_t idx) {
    switch (f.kind) {
      case StepKind::Elimination: return elimination(f, e);
      case StepKind::BackSubstitution: return backSubstitution(f, e);
      case StepKind::Lu: return lu(f, e);
      case StepKind::Forward:
      case StepKind::Backward: return s_.packed() ? choleskySolve(f, e) : luSolve(f, e);
      case StepKind::Cholesky: return cholesky(f, e);
      case StepKind::Reorder: return reorder(f, e);
      case StepKind::Sweep: return sweep(f, e);
      case StepKind::Power: return power(f, e, idx);
      case StepKind::Breakdown:
        e.computed = lastDecisive_.has_value();
        if (lastDecisive_) {
          e.value = *lastDecisive_;
          if (f.threshold != 0.0f ? !(lastDecisive_->abs() < X::of(f.threshold)) : lastDecisive_->sign() > 0)
            e.remarks.push_back({ExactNote::PivotPasses});
        }
        return;
      case StepKind::Determinant: return;
    }
  }

  // Gauss elimination (and the condition number's, which keeps the
  // multipliers aside and leaves the column below the pivot as it is).
  void elimination(const RecordedStep& f, ExactStep& e) {
    const std::int32_t k = f.step;
    e.computed = true;
    for (std::int32_t i = k; i <= n_; ++i) e.candidates.push_back(a(i, k));
    const std::int32_t best = firstLargest(k, n_, [&](std::int32_t i) -> const X& { return a(i, k); });
    if (k < n_ && best != f.pivotRow) e.remarks.push_back({ExactNote::OtherRow, best});
    const bool runFailed = std::fabs(f.pivot) < f.threshold;
    if (runFailed) {
      e.pivot = a(f.pivotRow, k);
      judge(f, e, *e.pivot, true);
      return;
    }
    if (f.interchanged) swapRows(k, f.pivotRow);
    const X p = a(k, k);
    e.pivot = p;
    if (!judge(f, e, p, false)) return;
    determinant(f, e, p);
    if (k == n_) return;
    const bool aside = s_.conditionNumber();
    std::vector<std::pair<std::int32_t, X>> rows;
    for (std::int32_t i = k + 1; i <= n_; ++i) {
      if (a(i, k).isZero()) {
        e.multipliers.emplace_back();
        continue;
      }
      X m = a(i, k) / p;
      e.multipliers.push_back(m);
      if (!aside) a(i, k) = m;
      rows.emplace_back(i, std::move(m));
    }
    for (std::int32_t j = k + 1; j <= n_; ++j)
      for (const auto& [i, m] : rows) a(i, j) = a(i, j) - m * a(k, j);
    for (std::int32_t j = 1; j <= nb_; ++j)
      for (const auto& [i, m] : rows) b(i, j) = b(i, j) - m * b(k, j);
    snapA_ = snapB_ = nullptr;
  }

  void backSubstitution(const RecordedStep& f, ExactStep& e) {
    const std::int32_t i = f.step, k = f.rhs;
    e.computed = true;
    X sum;
    for (std::int32_t l = i + 1; l <= n_; ++l) {
      sum = sum + a(i, l) * b(l, k);
      e.partialSums.push_back(sum);
    }
    b(i, k) = (b(i, k) - sum) / a(i, i);
    e.value = b(i, k);
    snapB_ = nullptr;
  }

  // sum_{m<k} a(i,m) a(m,j)
  X luSum(std::int32_t i, std::int32_t j, std::int32_t k) {
    X sum;
    for (std::int32_t m = 1; m < k; ++m) sum = sum + a(i, m) * a(m, j);
    return sum;
  }

  void lu(const RecordedStep& f, ExactStep& e) {
    const std::int32_t k = f.step;
    e.computed = true;
    if (!f.candidates.empty()) {
      for (std::int32_t i = k; i <= n_; ++i) e.candidates.push_back(a(i, k) - luSum(i, k, k));
      const std::int32_t best = firstLargest(k, n_, [&](std::int32_t i) -> const X& {
        return e.candidates[static_cast<std::size_t>(i - k)];
      });
      if (best != f.pivotRow) e.remarks.push_back({ExactNote::OtherRow, best});
    }
    if (f.interchanged) {
      swapRows(k, f.pivotRow, false);
      std::swap(order_[static_cast<std::size_t>(k - 1)], order_[static_cast<std::size_t>(f.pivotRow - 1)]);
    }
    for (std::int32_t j = k; j <= n_; ++j) a(k, j) = a(k, j) - luSum(k, j, k);
    snapA_ = nullptr;
    const X u = a(k, k);
    e.pivot = u;
    const bool runFailed = std::fabs(f.pivot) < f.threshold;
    if (!judge(f, e, u, runFailed) || runFailed) return;
    determinant(f, e, u);
    for (std::int32_t i = k + 1; i <= n_; ++i) a(i, k) = (a(i, k) - luSum(i, k, k)) / u;
  }

  void luSolve(const RecordedStep& f, ExactStep& e) {
    const std::int32_t i = f.step, r = f.rhs;
    e.computed = true;
    if (f.kind == StepKind::Forward && i == 1) {
      x_.assign(static_cast<std::size_t>(n_), X());
      for (std::int32_t q = 1; q <= n_; ++q) x_[static_cast<std::size_t>(q - 1)] = b(order_[static_cast<std::size_t>(q - 1)], r);
    }
    X& xi = x_[static_cast<std::size_t>(i - 1)];
    X sum;
    if (f.kind == StepKind::Forward) {
      for (std::int32_t q = 1; q < i; ++q) {
        sum = sum + a(i, q) * x_[static_cast<std::size_t>(q - 1)];
        e.partialSums.push_back(sum);
      }
      if (i > 1) xi = xi - sum;
    } else {
      for (std::int32_t m = i + 1; m <= n_; ++m) {
        sum = sum + a(i, m) * x_[static_cast<std::size_t>(m - 1)];
        e.partialSums.push_back(sum);
      }
      xi = (xi - sum) / a(i, i);
      if (i == 1) storeSolution(r);
    }
    e.value = xi;
    xShown_ = &x_;
  }

  void storeSolution(std::int32_t r) {
    for (std::int32_t q = 1; q <= n_; ++q) b(q, r) = x_[static_cast<std::size_t>(q - 1)];
    snapB_ = nullptr;
  }

  void cholesky(const RecordedStep& f, ExactStep& e) {
    const std::int32_t j = f.step;
    e.computed = true;
    X sum;
    for (std::int32_t k = 1; k < j; ++k) {
      sum = sum + square(s(k, j));
      if (j > 1) e.partialSums.push_back(sum);
    }
    const X d = s(j, j) - sum;
    e.value = d;
    lastDecisive_ = d;
    const bool runFailed = f.value <= 0.0;
    if (runFailed) {
      if (d.sign() > 0) e.remarks.push_back({ExactNote::PivotPasses});
      return;
    }
    if (d.sign() <= 0) {
      e.remarks.push_back({ExactNote::PivotZero});
      stopped_ = true;
      return;
    }
    const X sjj = d.sqrt();
    s(j, j) = sjj;
    e.pivot = sjj;
    determinant(f, e, sjj);
    for (std::int32_t i = j + 1; i <= n_; ++i) {
      X t;
      for (std::int32_t k = 1; k < j; ++k) t = t + s(k, j) * s(k, i);
      s(j, i) = (s(j, i) - t) / sjj;
    }
    snapS_ = nullptr;
  }

  void choleskySolve(const RecordedStep& f, ExactStep& e) {
    const std::int32_t i = f.step, r = f.rhs;
    e.computed = true;
    if (f.kind == StepKind::Forward && i == 1) {
      x_.assign(static_cast<std::size_t>(n_), X());
      for (std::int32_t q = 1; q <= n_; ++q) x_[static_cast<std::size_t>(q - 1)] = b(q, r);
    }
    X sum;
    if (f.kind == StepKind::Forward) {
      for (std::int32_t k = 1; k < i; ++k) {
        sum = sum + s(k, i) * x_[static_cast<std::size_t>(k - 1)];
        e.partialSums.push_back(sum);
      }
    } else {
      for (std::int32_t k = i + 1; k <= n_; ++k) {
        sum = sum + s(i, k) * x_[static_cast<std::size_t>(k - 1)];
        e.partialSums.push_back(sum);
      }
    }
    X& xi = x_[static_cast<std::size_t>(i - 1)];
    xi = (xi - sum) / s(i, i);
    e.value = xi;
    if (f.kind == StepKind::Backward && i == 1) storeSolution(r);
    xShown_ = &x_;
  }

  void reorder(const RecordedStep& f, ExactStep& e) {
    const std::int32_t i = f.step;
    e.computed = true;
    for (std::int32_t r = i; r <= n_; ++r) e.candidates.push_back(a(r, i));
    const std::int32_t best = firstLargest(i, n_, [&](std::int32_t r) -> const X& { return a(r, i); });
    if (best != f.pivotRow) e.remarks.push_back({ExactNote::OtherRow, best});
    const bool runFailed = std::fabs(f.pivot) < f.threshold;
    if (!runFailed && f.interchanged) swapRows(i, f.pivotRow);
    e.pivot = runFailed ? a(f.pivotRow, i) : a(i, i);
    judge(f, e, *e.pivot, runFailed);
  }

  bool iterationAllowed(ExactStep& e) {
    if (iterations_ >= kExactIterationLimit) {
      e.remarks.push_back({ExactNote::NotReplayed});
      return false;
    }
    ++iterations_;
    return true;
  }

  void sweep(const RecordedStep& f, ExactStep& e) {
    if (!iterationAllowed(e)) return;
    const bool sor = methodNeedsOmega(s_.methodIndex);
    if (!systemReady_) {
      // The system as iterated: the diagonal must be usable; SOR scales
      // every row to a unit diagonal.
      for (std::int32_t i = 1; i <= n_; ++i) {
        if (a(i, i).isZero()) {
          e.computed = true;
          e.remarks.push_back({ExactNote::PivotZero, i});
          stopped_ = true;
          return;
        }
      }
      if (sor) {
        for (std::int32_t k = 1; k <= nb_; ++k)
          for (std::int32_t i = 1; i <= n_; ++i) b(i, k) = b(i, k) / a(i, i);
        for (std::int32_t i = 1; i <= n_; ++i) {
          for (std::int32_t j = 1; j <= n_; ++j)
            if (i != j) a(i, j) = a(i, j) / a(i, i);
          a(i, i) = X::integer(1);
        }
        snapA_ = snapB_ = nullptr;
      }
      systemReady_ = true;
    }
    e.computed = true;
    const std::size_t N = static_cast<std::size_t>(n_);
    if (f.rhs != sweepRhs_) {
      sweepRhs_ = f.rhs;
      x0_.assign(N, X());
      previousChange_.reset();
    }
    V x1(N);
    const X oneMinusOmega = X::integer(1) - omega_;
    for (std::int32_t i = 1; i <= n_; ++i) {
      X s1, s2;
      for (std::int32_t j = 1; j < i; ++j) s1 = s1 + a(i, j) * x1[static_cast<std::size_t>(j - 1)];
      for (std::int32_t j = i + 1; j <= n_; ++j) s2 = s2 + a(i, j) * x0_[static_cast<std::size_t>(j - 1)];
      const X g = (b(i, f.rhs) - s1) - s2;
      X& xi = x1[static_cast<std::size_t>(i - 1)];
      if (!sor)
        xi = g / a(i, i);
      else
        xi = i == 1 ? g : omega_ * g + oneMinusOmega * x0_[static_cast<std::size_t>(i - 1)];
    }
    X change, residual;
    for (std::size_t i = 0; i < N; ++i) {
      X d = (x1[i] - x0_[i]).abs();
      if (change < d) change = std::move(d);
      X r = b(static_cast<std::int32_t>(i + 1), f.rhs);
      for (std::int32_t j = 1; j <= n_; ++j) r = r - a(static_cast<std::int32_t>(i + 1), j) * x1[static_cast<std::size_t>(j - 1)];
      r = r.abs();
      if (residual < r) residual = std::move(r);
    }
    e.measure = change;
    e.residual = residual;
    if (f.ratio && previousChange_ && !previousChange_->isZero()) e.ratio = change / *previousChange_;
    previousChange_ = change;
    x1Shown_ = std::move(x1);
    xShown_ = &x1Shown_;
    // A change that is not a number passes no test: the run sweeps again
    // from the same iterate.
    if (!std::isnan(f.measure)) x0_ = x1Shown_;
  }

  // The matrix a pass of the power method iterates on: A or A^T A for the
  // first radius, the inverse (what the elimination left in B) or its
  // M^T M for the second.
  V powerMatrix(std::int32_t pass) {
    const std::size_t N = static_cast<std::size_t>(n_);
    V M(N * N);
    for (std::int32_t j = 1; j <= n_; ++j)
      for (std::int32_t i = 1; i <= n_; ++i) M[at(i, j, n_)] = pass <= 2 ? input_.a(i, j) : b(i, j);
    if (s_.normIndex != 2) return M;
    V W(N * N);
    for (std::int32_t j = 1; j <= n_; ++j)
      for (std::int32_t i = 1; i <= n_; ++i) {
        X w;
        for (std::int32_t k = 1; k <= n_; ++k) w = w + M[at(k, i, n_)] * M[at(k, j, n_)];
        W[at(i, j, n_)] = w;
      }
    return W;
  }

  void power(const RecordedStep& f, ExactStep& e, std::size_t idx) {
    if (!iterationAllowed(e)) return;
    const std::size_t N = static_cast<std::size_t>(n_);
    if (f.pass != powerPass_) {
      if (f.pass % 2 == 1) {
        powerM_ = powerMatrix(f.pass);
        const X len = X::integer(2 * n_).sqrt();
        z0_.assign(N, Cx{X::integer(1) / len, X::integer(1) / len});
      }
      // A shifted pass starts from the iterate the last one started from,
      // which is still in z0_.
      powerPass_ = f.pass;
    }
    const bool shifted = f.pass % 2 == 0;
    std::vector<Cx> z(N);
    for (std::int32_t i = 1; i <= n_; ++i) {
      Cx& zi = z[static_cast<std::size_t>(i - 1)];
      for (std::int32_t j = 1; j <= n_; ++j) {
        const X& m = powerM_[at(i, j, n_)];
        zi.re = zi.re + m * z0_[static_cast<std::size_t>(j - 1)].re;
        zi.im = zi.im + m * z0_[static_cast<std::size_t>(j - 1)].im;
      }
      if (shifted) {  // (M - i I) z0
        zi.re = zi.re + z0_[static_cast<std::size_t>(i - 1)].im;
        zi.im = zi.im - z0_[static_cast<std::size_t>(i - 1)].re;
      }
    }
    std::size_t k = 0;
    X largest = modulusSquared(z[0]);
    for (std::size_t i = 1; i < N; ++i) {
      X m = modulusSquared(z[i]);
      if (largest < m) {
        largest = std::move(m);
        k = i;
      }
    }
    const Cx lambda = divide(z[k], z0_[k]);
    X len;
    for (const Cx& zi : z) len = len + modulusSquared(zi);
    len = len.sqrt();
    for (Cx& zi : z) zi = {zi.re / len, zi.im / len};
    e.computed = true;
    e.estimateRe = lambda.re;
    e.estimateIm = lambda.im;
    const X size = modulusSquared(lambda).sqrt();
    e.modulus = size;
    if (f.step > 1 && lambda0_) {
      const Cx d{lambda.re - lambda0_->re, lambda.im - lambda0_->im};
      const X dm = modulusSquared(d).sqrt();
      e.measure = X::of(1.0E-6f) < size ? dm / size : dm;
    }
    // The run keeps the iterate for the next iteration of the same pass.
    const bool continues = idx + 1 < run_.steps.size() && run_.steps[idx + 1].kind == StepKind::Power &&
                           run_.steps[idx + 1].pass == f.pass;
    if (continues || f.step == 1) {
      z0_ = std::move(z);
      lambda0_ = lambda;
    }
  }

  static bool anyMpfr(const ExactRun& r) {
    auto in = [](const ExactValues& v) {
      return std::any_of(v.begin(), v.end(), [](const X& x) { return !x.isRational(); });
    };
    auto opt = [](const std::optional<X>& v) { return v && !v->isRational(); };
    for (const ExactStep& e : r.steps) {
      if (in(e.candidates) || in(e.multipliers) || in(e.partialSums) || opt(e.pivot) || opt(e.value) ||
          opt(e.determinant) || opt(e.measure) || opt(e.ratio) || opt(e.residual) || opt(e.estimateRe) ||
          opt(e.estimateIm) || opt(e.modulus) || (e.S && in(*e.S)) || (e.x && in(*e.x)) || (e.A && in(*e.A)) ||
          (e.B && in(*e.B)))
        return true;
    }
    return false;
  }

  const StepRun& run_;
  const StepRunStart& s_;
  std::int32_t n_, nb_;
  V A_, B_, S_;
  const ExactInput& input_;
  SharedExactValues snapA_, snapB_, snapS_;
  bool stopped_ = false;
  std::optional<X> lastDecisive_;
  X product_ = X::integer(1);
  std::vector<std::int32_t> order_;
  V x_;
  V x1Shown_;
  const V* xShown_ = nullptr;
  X omega_;
  std::size_t iterations_ = 0;
  bool systemReady_ = false;
  std::int32_t sweepRhs_ = 0;
  V x0_;
  std::optional<X> previousChange_;
  std::int32_t powerPass_ = 0;
  V powerM_;
  std::vector<Cx> z0_;
  std::optional<Cx> lambda0_;
};

}  // namespace

std::optional<ExactRun> replayExactly(const StepRun& run, const ExactInput& input) {
  if (!run.full() || run.steps.empty() || input.n != run.start.n || input.nb != run.start.nb) return std::nullopt;
  const std::size_t N = static_cast<std::size_t>(input.n);
  if (input.A.size() != N * N || input.B.size() != N * static_cast<std::size_t>(std::max(input.nb, 0)))
    return std::nullopt;
  return Replay(run, input).run();
}

}  // namespace parvela
