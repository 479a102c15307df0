// Gauss elimination with partial pivoting on the matrix and all right-hand
// sides at once, then back substitution for each right-hand side.
#include "direct/gauss.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <utility>
#include <vector>

#include "core/problem_state.h"
#include "core/progress.h"
#include "core/steps.h"
#include "direct/elim_fast.h"
#include "direct/proba.h"
#include "direct/solutions.h"
#include "io/fortran_io.h"
#include "io/report.h"

namespace parvela {

namespace {

// Pivot threshold of the method; a pivot of exactly this magnitude passes.
constexpr float kGaussPrag = 1.0E-6f;

}  // namespace

float gaussPrag() { return kGaussPrag; }

namespace {

// Largest magnitude of the block rows [r0, N], columns [c0, N] (1-based) of
// an n-row column-major array; NaN entries are passed over.
float blockMax(const float* A, std::size_t N, std::size_t r0, std::size_t c0) {
  float m = 0.0f;
  for (std::size_t j = c0; j <= N; ++j)
    for (std::size_t i = r0; i <= N; ++i) m = std::max(m, std::fabs(A[(j - 1) * N + (i - 1)]));
  return m;
}

}  // namespace

KernelStatus ELIM(std::int32_t n, std::int32_t nb, float* A, float* B, float prag, std::int32_t& ierr,
                  std::int32_t& npiv) {
  const std::size_t N = static_cast<std::size_t>(n > 0 ? n : 0);
  const std::size_t NB = static_cast<std::size_t>(nb > 0 ? nb : 0);
  // 1-based element (i, j) of the n-row arrays.
  auto a = [A, N](std::size_t i, std::size_t j) -> float& { return A[(j - 1) * N + (i - 1)]; };
  auto b = [B, N](std::size_t i, std::size_t j) -> float& { return B[(j - 1) * N + (i - 1)]; };

  ierr = 0;
  if (N == 0) return {};

  // What a step listener is shown; gathered only when one listens.
  StepListener* const listener = stepListener();
  StepEvent ev;
  ev.kind = StepKind::Elimination;
  ev.n = n;
  ev.threshold = prag;
  ev.A = {{A, N * N}, n, n};
  ev.B = {{B, N * NB}, n, nb};
  std::vector<float> candidates, multipliers;
  std::vector<std::int32_t> updated, skipped;
  const double largestOfA = listener ? blockMax(A, N, 1, 1) : 0.0;
  double largestSoFar = largestOfA;
  auto publishColumn = [&](std::size_t k, std::size_t r, float p, bool swapped) {
    ev.step = static_cast<std::int32_t>(k);
    ev.candidates = candidates;
    ev.pivotRow = static_cast<std::int32_t>(r);
    ev.pivot = p;
    ev.interchanged = swapped;
    ev.interchanges = npiv;
    ev.multipliers = multipliers;
    ev.updatedRows = updated;
    ev.skippedRows = skipped;
    ev.rowMax = 0.0f;
    for (std::size_t j = k; j <= N; ++j) ev.rowMax = std::max(ev.rowMax, std::fabs(a(k, j)));
    largestSoFar = std::max(largestSoFar, static_cast<double>(blockMax(A, N, k, k)));
    ev.growth = largestSoFar / largestOfA;
    listener->step(ev);
  };

  std::vector<std::size_t> active;  // rows below the pivot with a non-zero entry
  active.reserve(N);
  for (std::size_t k = 1; k < N; ++k) {
    if (listener) {
      candidates.assign(&a(k, k), &a(N, k) + 1);
      multipliers.clear();
      updated.clear();
      skipped.clear();
    }
    float p = a(k, k);
    std::size_t r = k;
    for (std::size_t i = k + 1; i <= N; ++i) {
      if (std::fabs(a(i, k)) > std::fabs(p)) {
        p = a(i, k);
        r = i;
      }
    }
    if (std::fabs(p) < prag) {
      ierr = -1;
      if (listener) publishColumn(k, r, p, false);
      return {true, static_cast<std::int32_t>(k), p};
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
    if (!active.empty()) {
      for (std::size_t j = k + 1; j <= N; ++j) {
        const float akj = a(k, j);
        for (std::size_t i : active) a(i, j) = a(i, j) - a(i, k) * akj;
      }
      for (std::size_t j = 1; j <= NB; ++j) {
        const float bkj = b(k, j);
        for (std::size_t i : active) b(i, j) = b(i, j) - a(i, k) * bkj;
      }
    }
    if (listener) {
      std::size_t next = 0;  // active is in ascending order
      for (std::size_t i = k + 1; i <= N; ++i) {
        const bool used = next < active.size() && active[next] == i;
        if (used) ++next;
        multipliers.push_back(used ? a(i, k) : 0.0f);
        (used ? updated : skipped).push_back(static_cast<std::int32_t>(i));
      }
      publishColumn(k, r, pivot, r != k);
    }
  }
  const float last = a(N, N);
  if (listener) {
    candidates.assign(1, last);
    multipliers.clear();
    updated.clear();
    skipped.clear();
    publishColumn(N, N, last, false);
  }
  if (std::fabs(last) < prag) {
    ierr = -1;
    return {true, n, last};
  }
  // Back substitution. Row i of every solution needs only the rows below
  // it, so all right-hand sides advance together, row i of U gathered
  // once; each sum still runs over ascending l.
  std::vector<float> sums;
  BackSubstitutionSteps steps(listener, n, ev.A, ev.B);
  for (std::size_t k = 1; k <= NB; ++k) {
    b(N, k) = b(N, k) / a(N, N);
    steps.unknown(N, k, sums, b(N, k));
  }
  std::vector<float> urow(N + 1);
  for (std::size_t i = N - 1; i >= 1; --i) {
    checkpoint(Stage::Substitution, static_cast<std::int64_t>(N - i), n - 1);
    for (std::size_t l = i + 1; l <= N; ++l) urow[l] = a(i, l);
    const float uii = a(i, i);
    for (std::size_t k = 1; k <= NB; ++k) {
      const float* x = &b(1, k);
      float s = 0.0f;
      if (listener) sums.clear();
      for (std::size_t l = i + 1; l <= N; ++l) {
        s = s + urow[l] * x[l - 1];
        if (listener) sums.push_back(s);
      }
      b(i, k) = (b(i, k) - s) / uii;
      steps.unknown(i, k, sums, b(i, k));
    }
  }
  return {};
}

MethodOutcome GAUSS() {
  MethodOutcome result;
  ProblemState& ps = problem();
  const std::int32_t n = ps.n;
  const std::int32_t nb = ps.nb;
  if (n <= 0 || nb < 0) return result;
  const std::size_t nn = static_cast<std::size_t>(n) * static_cast<std::size_t>(n);
  const std::size_t nnb = static_cast<std::size_t>(n) * static_cast<std::size_t>(nb);
  if (ps.A.size() < nn || ps.B.size() < nnb) return result;
  const bool isSystem = ps.problemKind == ProblemKind::System;
  TextUnit& out = ReportFile();

  if (ps.printMatrix) PRINTA(n, nb, ps.A.data(), ps.B.data(), isSystem);

  const std::vector<float> A0(ps.A.begin(), ps.A.begin() + static_cast<std::ptrdiff_t>(nn));
  const std::vector<float> B0(ps.B.begin(), ps.B.begin() + static_cast<std::ptrdiff_t>(nnb));

  std::int32_t ierr = 0;
  std::int32_t npiv = 0;
  // Small systems take the straightforward elimination, which shows every
  // step; the blocked one gives the same bits.
  const KernelStatus status = useStepKernels(n)
                                  ? ELIM(n, nb, ps.A.data(), ps.B.data(), kGaussPrag, ierr, npiv)
                                  : elimFast(n, nb, ps.A.data(), ps.B.data(), kGaussPrag, ierr, npiv);
  result.interchanges = npiv;
  if (status.failed) {
    writePivotLine(status.step, status.value);
    static constexpr const char* kFailure = "(/, a, 1pE8.2,a, /,a)";
    out.write(kFailure, {"* Pivot <", kGaussPrag, " !", "* Sistemul nu se poate rezolva."});
    StdOut().write(kFailure, {"* Pivot <", kGaussPrag, " !", "* Sistemul nu se poate rezolva."});
    result.breakdown = Breakdown{BreakdownKind::SmallPivot, status.step, status.value, kGaussPrag};
    publishBreakdown(n, status.step, status.value, kGaussPrag);
    return result;
  }

  auto a = [&ps, n](std::int32_t i, std::int32_t j) {
    return ps.A[static_cast<std::size_t>(j - 1) * static_cast<std::size_t>(n) +
                static_cast<std::size_t>(i - 1)];
  };

  if (ps.printMatrix) out.write(fillWidths("(/,a,I<>)", {WIDTH(npiv)}), {"Nr. de pivotari: ", npiv});

  // The determinant: the product of U's diagonal in order, its sign turned
  // for an odd number of interchanges.
  float d = 1.0f;
  for (std::int32_t i = 1; i <= n; ++i) {
    d = d * a(i, i);
    publishDeterminant(n, i, a(i, i), d, npiv);
  }
  if (npiv % 2 != 0) d = 0.0f - d;
  result.determinant = d;

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
    out.write("(/,a, 1pE14.6)", {"Determinant(A) =", d});
  }

  writeSolutions(n, nb, ps.B.data(), isSystem);

  PROBA(n, nb, A0.data(), B0.data(), ps.B.data(), isSystem,
        ps.verifyMode == VerifyMode::EachEquation);
  return result;
}

}  // namespace parvela
