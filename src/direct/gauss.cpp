// Gauss elimination with partial pivoting on the matrix and all right-hand
// sides at once, then back substitution for each right-hand side.
#include "direct/gauss.h"

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

namespace {

// Pivot threshold of the method; a pivot of exactly this magnitude passes.
constexpr float kGaussPrag = 1.0E-6f;

}  // namespace

void ELIM(std::int32_t n, std::int32_t nb, float* A, float* B, float prag, std::int32_t& ierr,
          std::int32_t& npiv) {
  const std::size_t N = static_cast<std::size_t>(n > 0 ? n : 0);
  const std::size_t NB = static_cast<std::size_t>(nb > 0 ? nb : 0);
  // 1-based element (i, j) of the n-row arrays.
  auto a = [A, N](std::size_t i, std::size_t j) -> float& { return A[(j - 1) * N + (i - 1)]; };
  auto b = [B, N](std::size_t i, std::size_t j) -> float& { return B[(j - 1) * N + (i - 1)]; };

  ierr = 0;
  if (N == 0) return;
  std::vector<std::size_t> active;  // rows below the pivot with a non-zero entry
  active.reserve(N);
  for (std::size_t k = 1; k < N; ++k) {
    float p = a(k, k);
    std::size_t r = k;
    for (std::size_t i = k + 1; i <= N; ++i) {
      if (std::fabs(a(i, k)) > std::fabs(p)) {
        p = a(i, k);
        r = i;
      }
    }
    if (std::fabs(p) < prag) {
      writePivotLine(static_cast<std::int32_t>(k), p);
      ierr = -1;
      return;
    }
    if (r != k) {
      for (std::size_t j = 1; j <= N; ++j) std::swap(a(k, j), a(r, j));
      for (std::size_t j = 1; j <= NB; ++j) std::swap(b(k, j), b(r, j));
      ++npiv;
    }
    // Each element below and right of the pivot changes once in this step,
    // from values the step does not change, so the updates can run column
    // by column; rows with an exact zero in column k are skipped.
    active.clear();
    const float pivot = a(k, k);
    checkpoint(Stage::Elimination, static_cast<std::int64_t>(k), n, pivot);
    for (std::size_t i = k + 1; i <= N; ++i) {
      if (a(i, k) != 0.0f) {
        a(i, k) = a(i, k) / pivot;
        active.push_back(i);
      }
    }
    if (active.empty()) continue;
    for (std::size_t j = k + 1; j <= N; ++j) {
      const float akj = a(k, j);
      for (std::size_t i : active) a(i, j) = a(i, j) - a(i, k) * akj;
    }
    for (std::size_t j = 1; j <= NB; ++j) {
      const float bkj = b(k, j);
      for (std::size_t i : active) b(i, j) = b(i, j) - a(i, k) * bkj;
    }
  }
  if (std::fabs(a(N, N)) < prag) {
    writePivotLine(n, a(N, N));
    ierr = -1;
    return;
  }
  // Back substitution. Row i of every solution needs only the rows below
  // it, so all right-hand sides advance together, row i of U gathered
  // once; each sum still runs over ascending l.
  for (std::size_t k = 1; k <= NB; ++k) b(N, k) = b(N, k) / a(N, N);
  std::vector<float> urow(N + 1);
  for (std::size_t i = N - 1; i >= 1; --i) {
    checkpoint(Stage::Substitution, static_cast<std::int64_t>(N - i), n - 1);
    for (std::size_t l = i + 1; l <= N; ++l) urow[l] = a(i, l);
    const float uii = a(i, i);
    for (std::size_t k = 1; k <= NB; ++k) {
      const float* x = &b(1, k);
      float s = 0.0f;
      for (std::size_t l = i + 1; l <= N; ++l) s = s + urow[l] * x[l - 1];
      b(i, k) = (b(i, k) - s) / uii;
    }
  }
}

void GAUSS() {
  ProblemState& ps = problem();
  const std::int32_t n = ps.n;
  const std::int32_t nb = ps.nb;
  if (n <= 0 || nb < 0) return;
  const std::size_t nn = static_cast<std::size_t>(n) * static_cast<std::size_t>(n);
  const std::size_t nnb = static_cast<std::size_t>(n) * static_cast<std::size_t>(nb);
  if (ps.A.size() < nn || ps.B.size() < nnb) return;
  const bool isSystem = ps.problemKind == ProblemKind::System;
  TextUnit& out = ReportFile();

  if (ps.printMatrix) PRINTA(n, nb, ps.A.data(), ps.B.data(), isSystem);

  const std::vector<float> A0(ps.A.begin(), ps.A.begin() + static_cast<std::ptrdiff_t>(nn));
  const std::vector<float> B0(ps.B.begin(), ps.B.begin() + static_cast<std::ptrdiff_t>(nnb));

  std::int32_t ierr = 0;
  std::int32_t npiv = 0;
  ELIM(n, nb, ps.A.data(), ps.B.data(), kGaussPrag, ierr, npiv);
  if (ierr < 0) {
    static constexpr const char* kFailure = "(/, a, 1pE8.2,a, /,a)";
    out.write(kFailure, {"* Pivot <", kGaussPrag, " !", "* Sistemul nu se poate rezolva."});
    StdOut().write(kFailure, {"* Pivot <", kGaussPrag, " !", "* Sistemul nu se poate rezolva."});
    return;
  }

  auto a = [&ps, n](std::int32_t i, std::int32_t j) {
    return ps.A[static_cast<std::size_t>(j - 1) * static_cast<std::size_t>(n) +
                static_cast<std::size_t>(i - 1)];
  };

  if (ps.printMatrix) out.write(fillWidths("(/,a,I<>)", {WIDTH(npiv)}), {"Nr. de pivotari: ", npiv});

  if (ps.printDeterminant) {
    std::vector<FItem> row;
    row.reserve(static_cast<std::size_t>(n));
    out.write("(/,a)", {"Matricea \"L\":"});
    for (std::int32_t i = 1; i <= n; ++i) {
      row.clear();
      for (std::int32_t j = 1; j < i; ++j) row.emplace_back(a(i, j));
      row.emplace_back(1.0f);
      out.print(row);
    }
    out.write("(/,a)", {"Matricea \"U\":"});
    for (std::int32_t i = 1; i <= n; ++i) {
      row.clear();
      for (std::int32_t j = i; j <= n; ++j) row.emplace_back(a(i, j));
      out.print(row);
    }
    float d = 1.0f;
    for (std::int32_t i = 1; i <= n; ++i) d = d * a(i, i);
    if (npiv % 2 != 0) d = 0.0f - d;
    out.write("(/,a, 1pE14.6)", {"Determinant(A) =", d});
  }

  writeSolutions(n, nb, ps.B.data(), isSystem);

  PROBA(n, nb, A0.data(), B0.data(), ps.B.data(), isSystem,
        ps.verifyMode == VerifyMode::EachEquation);
}

}  // namespace parvela
