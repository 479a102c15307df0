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
#include "direct/proba.h"
#include "direct/solutions.h"
#include "io/fortran_io.h"
#include "io/report.h"

namespace parvela {

std::int32_t swapCount = 0;

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

void APVT(float* A, std::int32_t n, std::int32_t* ORDER, std::int32_t k) {
  if (k < 1 || k > n) return;
  const Matrix a{A, static_cast<std::size_t>(n)};
  const std::size_t kk = static_cast<std::size_t>(k);
  std::vector<double> s(a.n + 1);
  std::vector<float> c(a.n + 1);
  candidates(a, kk, s, c);
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
    ++swapCount;
  }
}

void LUDECOMP(float* A, std::int32_t n, std::int32_t* ORDER, std::int32_t& ierr) {
  ierr = 0;
  if (n <= 0) return;
  const Matrix a{A, static_cast<std::size_t>(n)};
  const std::size_t N = a.n;
  for (std::int32_t i = 1; i <= n; ++i) ORDER[i - 1] = i;

  APVT(A, n, ORDER, 1);
  if (std::fabs(a(1, 1)) < kLuPrag) {
    StdOut().print({" u(1,1) =", a(1, 1), " <", kLuPrag});
    ReportFile().print({" u(1,1) =", a(1, 1), " <", kLuPrag});
    ierr = -1;
    return;
  }
  checkpoint(Stage::LuFactorization, 1, n, a(1, 1));
  for (std::size_t j = 2; j <= N; ++j) a(j, 1) = a(j, 1) / a(1, 1);

  std::vector<double> s(N + 1);
  std::vector<double> rowK(N + 1);  // l(k,1..k-1), contiguous
  for (std::size_t k = 2; k <= N; ++k) {
    if (k < N) APVT(A, n, ORDER, static_cast<std::int32_t>(k));

    // Row k of U.
    for (std::size_t m = 1; m < k; ++m) rowK[m] = a(k, m);
    for (std::size_t j = k; j <= N; ++j) {
      const float* col = &a(1, j);
      double sum = 0.0;
      for (std::size_t m = 1; m < k; ++m) sum += rowK[m] * static_cast<double>(col[m - 1]);
      a(k, j) = static_cast<float>(static_cast<double>(a(k, j)) - sum);
    }
    if (std::fabs(a(k, k)) < kLuPrag) {
      const std::int32_t kk = static_cast<std::int32_t>(k);
      ReportFile().write(fillWidths("(/,a,I<>,a,I<>,a,1pG15.7)", {WIDTH(kk), WIDTH(kk)}),
                         {" u(", kk, ",", kk, ") = ", a(k, k)});
      ierr = -1;
      return;
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
  }
}

void LUSOLVE(const float* LU, const float* B, std::int32_t n, float* X, const std::int32_t* ORDER) {
  if (n <= 0) return;
  const Matrix a{const_cast<float*>(LU), static_cast<std::size_t>(n)};
  const std::size_t N = a.n;
  for (std::size_t i = 1; i <= N; ++i) X[i - 1] = B[ORDER[i - 1] - 1];

  // Forward substitution with the unit lower factor, column by column:
  // every sum still collects its terms in ascending m.
  std::vector<double> s(N + 1, 0.0);
  for (std::size_t i = 2; i <= N; ++i) {
    const std::size_t m = i - 1;
    const double xm = X[m - 1];
    const float* col = &a(1, m);
    for (std::size_t r = i; r <= N; ++r) s[r] += static_cast<double>(col[r - 1]) * xm;
    X[i - 1] = static_cast<float>(static_cast<double>(X[i - 1]) - s[i]);
  }

  X[N - 1] = X[N - 1] / a(N, N);
  for (std::size_t i = N - 1; i >= 1; --i) {
    double sum = 0.0;
    for (std::size_t m = i + 1; m <= N; ++m) {
      sum += static_cast<double>(a(i, m)) * static_cast<double>(X[m - 1]);
    }
    X[i - 1] = static_cast<float>((static_cast<double>(X[i - 1]) - sum) / static_cast<double>(a(i, i)));
  }
}

void LU() {
  ProblemState& ps = problem();
  const std::int32_t n = ps.n;
  const std::int32_t nb = ps.nb;
  if (n <= 0 || nb < 0) return;
  const std::size_t N = static_cast<std::size_t>(n);
  const std::size_t nn = N * N;
  const std::size_t nnb = N * static_cast<std::size_t>(nb);
  if (ps.A.size() < nn || ps.B.size() < nnb) return;
  const bool isSystem = ps.problemKind == ProblemKind::System;
  TextUnit& out = ReportFile();

  std::vector<std::int32_t> ORDER(N);
  std::vector<float> X(N);
  if (ps.printMatrix) PRINTA(n, nb, ps.A.data(), ps.B.data(), isSystem);
  const std::vector<float> A0(ps.A.begin(), ps.A.begin() + static_cast<std::ptrdiff_t>(nn));
  const std::vector<float> B0(ps.B.begin(), ps.B.begin() + static_cast<std::ptrdiff_t>(nnb));

  swapCount = 0;
  std::int32_t ierr = 0;
  LUDECOMP(ps.A.data(), n, ORDER.data(), ierr);
  if (ierr < 0) {
    // The run ends here; the program goes on.
    StdOut().print({"U-diagonal < Prag. Descompunerea LU nu e fezabila."});
    out.write("(/, a)", {" U-diagonal < Prag. Descompunerea LU nu e fezabila."});
    return;
  }

  for (std::int32_t k = 1; k <= nb; ++k) {
    float* bk = ps.B.data() + static_cast<std::size_t>(k - 1) * N;
    checkpoint(Stage::Substitution, k, nb);
    LUSOLVE(ps.A.data(), bk, n, X.data(), ORDER.data());
    std::copy(X.begin(), X.end(), bk);
    if (k == 1) {
      out.write(fillWidths("(/,a,I<>)", {WIDTH(swapCount) + 1}),
                {"Numar de schimbari de linii =", swapCount});
    }
  }

  const Matrix a{ps.A.data(), N};
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
    double d = 1.0;
    for (std::size_t i = 1; i <= N; ++i) d = d * static_cast<double>(a(i, i));
    if (swapCount % 2 != 0) d = 0.0 - d;
    out.write("(/, a, 1pE14.6)", {"Determinant(A) =", d});
  }

  out.write("(a)");
  writeSolutions(n, nb, ps.B.data(), isSystem);

  PROBA(n, nb, A0.data(), B0.data(), ps.B.data(), isSystem,
        ps.verifyMode == VerifyMode::EachEquation);
}

}  // namespace parvela
