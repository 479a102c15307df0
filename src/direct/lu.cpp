// Doolittle LU factorisation P*A = L*U, one row of U and one column of L
// per step, pivoting on the would-be diagonal element; the LU driver.
//
// Inner products are accumulated in double precision from single-precision
// factors and stored once, rounded to single precision.
#include "direct/lu.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <utility>
#include <vector>

#include "core/problem_state.h"
#include "core/progress.h"
#include "core/steps.h"
#include "direct/lu_fast.h"
#include "direct/proba.h"
#include "direct/solutions.h"
#include "io/fortran_io.h"
#include "io/report.h"

namespace parvela {

namespace {

// Threshold for the diagonal of U; a value of exactly this magnitude passes.
constexpr float kLuPrag = 1.0E-8f;

struct Matrix {
  float* p;
  std::size_t n;
  float& operator()(std::size_t i, std::size_t j) const { return p[(j - 1) * n + (i - 1)]; }
};

// The would-be diagonal elements u(k,k) for every row i = k..n taken in
// turn as pivot row: c(i) = A(i,k) - sum_{m<k} A(i,m)*A(m,k), the sum in
// double precision over ascending m. Rows above k do not move when row i
// is brought into position k, so the value is the one COMPUTE_A_II gives
// after that interchange. c is indexed by i (1-based, entries k..n used).
void candidates(const Matrix& a, std::size_t k, std::vector<double>& s, std::vector<float>& c) {
  const std::size_t n = a.n;
  for (std::size_t i = k; i <= n; ++i) s[i] = 0.0;
  for (std::size_t m = 1; m < k; ++m) {
    const double amk = a(m, k);
    const float* col = &a(1, m);
    for (std::size_t i = k; i <= n; ++i) s[i] += static_cast<double>(col[i - 1]) * amk;
  }
  for (std::size_t i = k; i <= n; ++i) {
    c[i] = static_cast<float>(static_cast<double>(a(i, k)) - s[i]);
  }
}

}  // namespace

float luPrag() { return kLuPrag; }

void reportLuBreakdown(std::int32_t k, float ukk) {
  if (k == 1) {
    StdOut().print({" u(1,1) =", ukk, " <", kLuPrag});
    ReportFile().print({" u(1,1) =", ukk, " <", kLuPrag});
  } else {
    ReportFile().write(fillWidths("(/,a,I<>,a,I<>,a,1pG15.7)", {WIDTH(k), WIDTH(k)}),
                       {" u(", k, ",", k, ") = ", ukk});
  }
}

void SWAP_ROW(std::int32_t n, float* A, std::int32_t* ORDER, std::int32_t i, std::int32_t j) {
  const Matrix a{A, static_cast<std::size_t>(n)};
  const std::size_t ri = static_cast<std::size_t>(i);
  const std::size_t rj = static_cast<std::size_t>(j);
  for (std::size_t col = 1; col <= a.n; ++col) std::swap(a(ri, col), a(rj, col));
  std::swap(ORDER[i - 1], ORDER[j - 1]);
}

void COMPUTE_A_II(std::int32_t n, const float* A, std::int32_t k, float& value) {
  const Matrix a{const_cast<float*>(A), static_cast<std::size_t>(n)};
  const std::size_t kk = static_cast<std::size_t>(k);
  double s = 0.0;
  for (std::size_t m = 1; m < kk; ++m) {
    s += static_cast<double>(a(kk, m)) * static_cast<double>(a(m, kk));
  }
  value = static_cast<float>(static_cast<double>(a(kk, kk)) - s);
}

void APVT(float* A, std::int32_t n, std::int32_t* ORDER, std::int32_t k, std::int32_t& swaps,
          std::vector<float>* candidatesOut) {
  if (k < 1 || k > n) return;
  const Matrix a{A, static_cast<std::size_t>(n)};
  const std::size_t kk = static_cast<std::size_t>(k);
  std::vector<double> s(a.n + 1);
  std::vector<float> c(a.n + 1);
  candidates(a, kk, s, c);
  if (candidatesOut) candidatesOut->assign(c.begin() + static_cast<std::ptrdiff_t>(kk), c.end());
  float best = 0.0f;
  std::size_t chosen = kk;
  for (std::size_t i = kk; i <= a.n; ++i) {
    if (std::fabs(c[i]) > std::fabs(best)) {
      chosen = i;
      best = c[i];
    }
  }
  if (chosen > kk) {
    SWAP_ROW(n, A, ORDER, k, static_cast<std::int32_t>(chosen));
    ++swaps;
  }
}

KernelStatus LUDECOMP(float* A, std::int32_t n, std::int32_t* ORDER, std::int32_t& ierr,
                      std::int32_t& swaps) {
  ierr = 0;
  if (n <= 0) return {};
  const Matrix a{A, static_cast<std::size_t>(n)};
  const std::size_t N = a.n;
  for (std::int32_t i = 1; i <= n; ++i) ORDER[i - 1] = i;

  // What a step listener is shown; gathered only when one listens.
  StepListener* const listener = stepListener();
  std::vector<float> cand;
  std::vector<float>* const candOut = listener ? &cand : nullptr;
  StepEvent ev;
  ev.kind = StepKind::Lu;
  ev.n = n;
  ev.threshold = kLuPrag;
  ev.A = {{A, N * N}, n, n};
  double largestOfA = 0.0, largestSoFar = 0.0;
  if (listener) {
    for (std::size_t p = 0; p < N * N; ++p) largestOfA = std::max(largestOfA, double(std::fabs(A[p])));
    largestSoFar = largestOfA;
  }
  // Step k chose row `row` (before: ORDER told which row was there).
  auto publish = [&](std::size_t k, std::int32_t row, bool swapped) {
    if (!listener) return;
    ev.step = static_cast<std::int32_t>(k);
    ev.candidates = cand;
    ev.pivotRow = row;
    ev.pivot = a(k, k);
    ev.interchanged = swapped;
    ev.interchanges = swaps;
    float rowMax = 0.0f;
    for (std::size_t j = k; j <= N; ++j) rowMax = std::max(rowMax, std::fabs(a(k, j)));
    ev.rowMax = rowMax;
    largestSoFar = std::max(largestSoFar, double(rowMax));
    ev.growth = largestSoFar / largestOfA;
    listener->step(ev);
    cand.clear();
  };
  // APVT at step k, telling which row it brought up.
  auto pivotSearch = [&](std::size_t k) -> std::pair<std::int32_t, bool> {
    const std::int32_t before = swaps;
    const std::int32_t rowBefore = ORDER[k - 1];
    APVT(A, n, ORDER, static_cast<std::int32_t>(k), swaps, candOut);
    if (swaps == before) return {static_cast<std::int32_t>(k), false};
    for (std::size_t i = k + 1; i <= N; ++i)
      if (ORDER[k - 1] != rowBefore && ORDER[i - 1] == rowBefore) return {static_cast<std::int32_t>(i), true};
    return {static_cast<std::int32_t>(k), true};
  };

  auto [row1, swapped1] = pivotSearch(1);
  if (std::fabs(a(1, 1)) < kLuPrag) {
    ierr = -1;
    publish(1, row1, swapped1);
    return {true, 1, a(1, 1)};
  }
  checkpoint(Stage::LuFactorization, 1, n, a(1, 1));
  for (std::size_t j = 2; j <= N; ++j) a(j, 1) = a(j, 1) / a(1, 1);
  publish(1, row1, swapped1);

  std::vector<double> s(N + 1);
  std::vector<double> rowK(N + 1);  // l(k,1..k-1), contiguous
  for (std::size_t k = 2; k <= N; ++k) {
    std::pair<std::int32_t, bool> chosen{static_cast<std::int32_t>(k), false};
    if (k < N) chosen = pivotSearch(k);

    // Row k of U.
    for (std::size_t m = 1; m < k; ++m) rowK[m] = a(k, m);
    for (std::size_t j = k; j <= N; ++j) {
      const float* col = &a(1, j);
      double sum = 0.0;
      for (std::size_t m = 1; m < k; ++m) sum += rowK[m] * static_cast<double>(col[m - 1]);
      a(k, j) = static_cast<float>(static_cast<double>(a(k, j)) - sum);
    }
    if (std::fabs(a(k, k)) < kLuPrag) {
      ierr = -1;
      publish(k, chosen.first, chosen.second);
      return {true, static_cast<std::int32_t>(k), a(k, k)};
    }

    checkpoint(Stage::LuFactorization, static_cast<std::int64_t>(k), n, a(k, k));
    // Column k of L; each sum still runs over ascending m.
    for (std::size_t i = k + 1; i <= N; ++i) s[i] = 0.0;
    for (std::size_t m = 1; m < k; ++m) {
      const double amk = a(m, k);
      const float* col = &a(1, m);
      for (std::size_t i = k + 1; i <= N; ++i) s[i] += static_cast<double>(col[i - 1]) * amk;
    }
    const double ukk = a(k, k);
    for (std::size_t i = k + 1; i <= N; ++i) {
      a(i, k) = static_cast<float>((static_cast<double>(a(i, k)) - s[i]) / ukk);
    }
    publish(k, chosen.first, chosen.second);
  }
  return {};
}

void LUSOLVE(const float* LU, const float* B, std::int32_t n, float* X, const std::int32_t* ORDER,
             std::int32_t rhs) {
  if (n <= 0) return;
  const Matrix a{const_cast<float*>(LU), static_cast<std::size_t>(n)};
  const std::size_t N = a.n;
  for (std::size_t i = 1; i <= N; ++i) X[i - 1] = B[ORDER[i - 1] - 1];

  StepListener* const listener = stepListener();
  std::vector<double> sums;
  StepEvent ev;
  ev.n = n;
  ev.rhs = rhs;
  ev.A = {{LU, N * N}, n, n};
  ev.x = {X, N};
  auto publish = [&](StepKind kind, std::size_t i) {
    ev.kind = kind;
    ev.step = static_cast<std::int32_t>(i);
    ev.partialSumsDouble = sums;
    ev.value = X[i - 1];
    listener->step(ev);
  };

  // Forward substitution with the unit lower factor, column by column:
  // every sum still collects its terms in ascending m.
  std::vector<double> s(N + 1, 0.0);
  if (listener) publish(StepKind::Forward, 1);
  for (std::size_t i = 2; i <= N; ++i) {
    const std::size_t m = i - 1;
    const double xm = X[m - 1];
    const float* col = &a(1, m);
    for (std::size_t r = i; r <= N; ++r) s[r] += static_cast<double>(col[r - 1]) * xm;
    X[i - 1] = static_cast<float>(static_cast<double>(X[i - 1]) - s[i]);
    if (listener) {
      // Row i's sum as it was formed: the same terms in the same order.
      sums.clear();
      double t = 0.0;
      for (std::size_t q = 1; q < i; ++q) sums.push_back(t += static_cast<double>(a(i, q)) * X[q - 1]);
      publish(StepKind::Forward, i);
    }
  }

  sums.clear();
  X[N - 1] = X[N - 1] / a(N, N);
  if (listener) publish(StepKind::Backward, N);
  for (std::size_t i = N - 1; i >= 1; --i) {
    double sum = 0.0;
    if (listener) sums.clear();
    for (std::size_t m = i + 1; m <= N; ++m) {
      sum += static_cast<double>(a(i, m)) * static_cast<double>(X[m - 1]);
      if (listener) sums.push_back(sum);
    }
    X[i - 1] = static_cast<float>((static_cast<double>(X[i - 1]) - sum) / static_cast<double>(a(i, i)));
    if (listener) publish(StepKind::Backward, i);
  }
}

MethodOutcome LU() {
  MethodOutcome result;
  ProblemState& ps = problem();
  const std::int32_t n = ps.n;
  const std::int32_t nb = ps.nb;
  if (n <= 0 || nb < 0) return result;
  const std::size_t N = static_cast<std::size_t>(n);
  const std::size_t nn = N * N;
  const std::size_t nnb = N * static_cast<std::size_t>(nb);
  if (ps.A.size() < nn || ps.B.size() < nnb) return result;
  const bool isSystem = ps.problemKind == ProblemKind::System;
  TextUnit& out = ReportFile();

  std::vector<std::int32_t> ORDER(N);
  if (ps.printMatrix) PRINTA(n, nb, ps.A.data(), ps.B.data(), isSystem);
  const std::vector<float> A0(ps.A.begin(), ps.A.begin() + static_cast<std::ptrdiff_t>(nn));
  const std::vector<float> B0(ps.B.begin(), ps.B.begin() + static_cast<std::ptrdiff_t>(nnb));

  std::int32_t swaps = 0;
  std::int32_t ierr = 0;
  // Small systems take the straightforward factorisation, which shows every
  // step; the blocked one gives the same bits.
  const bool stepKernels = useStepKernels(n);
  const KernelStatus status = stepKernels ? LUDECOMP(ps.A.data(), n, ORDER.data(), ierr, swaps)
                                          : luFactor(ps.A.data(), n, ORDER.data(), ierr, swaps);
  result.interchanges = swaps;
  if (status.failed) {
    reportLuBreakdown(status.step, status.value);
    // The run ends here; the program goes on.
    StdOut().print({"U-diagonal < Prag. Descompunerea LU nu e fezabila."});
    out.write("(/, a)", {" U-diagonal < Prag. Descompunerea LU nu e fezabila."});
    result.breakdown = Breakdown{BreakdownKind::LuDiagonal, status.step, status.value, kLuPrag};
    publishBreakdown(n, status.step, status.value, kLuPrag);
    return result;
  }

  if (stepKernels) {
    std::vector<float> b(N);
    for (std::int32_t k = 1; k <= nb; ++k) {
      float* x = ps.B.data() + static_cast<std::size_t>(k - 1) * N;
      std::copy(x, x + N, b.begin());
      LUSOLVE(ps.A.data(), b.data(), n, x, ORDER.data(), k);
    }
  } else {
    luSolve(ps.A.data(), n, ORDER.data(), nb, ps.B.data());
  }
  if (nb >= 1) {
    out.write(fillWidths("(/,a,I<>)", {WIDTH(swaps) + 1}), {"Numar de schimbari de linii =", swaps});
  }

  const Matrix a{ps.A.data(), N};
  // The determinant: U's diagonal multiplied in double precision.
  double d = 1.0;
  for (std::size_t i = 1; i <= N; ++i) {
    d = d * static_cast<double>(a(i, i));
    publishDeterminant(n, static_cast<std::int32_t>(i), a(i, i), d, swaps);
  }
  if (swaps % 2 != 0) d = 0.0 - d;
  result.determinant = d;

  if (ps.printDeterminant) {
    std::vector<FItem> row;
    row.reserve(N);
    out.write("(/, a)", {"Matricea L"});
    for (std::size_t i = 1; i <= N; ++i) {
      row.clear();
      for (std::size_t j = 1; j < i; ++j) row.emplace_back(a(i, j));
      row.emplace_back(1.0f);
      out.write(fillWidths("(<>(G15.7))", {static_cast<std::int32_t>(i)}), row);
    }
    out.write("(/, a)", {"Matricea U"});
    for (std::size_t i = 1; i <= N; ++i) {
      row.clear();
      for (std::size_t j = i; j <= N; ++j) row.emplace_back(a(i, j));
      out.write(fillWidths("(<>(G15.7))", {static_cast<std::int32_t>(N - i + 1)}), row);
    }
    out.write("(/, a, 1pE14.6)", {"Determinant(A) =", d});
  }

  out.write("(a)");
  writeSolutions(n, nb, ps.B.data(), isSystem);

  PROBA(n, nb, A0.data(), B0.data(), ps.B.data(), isSystem,
        ps.verifyMode == VerifyMode::EachEquation);
  return result;
}

}  // namespace parvela
