// Gauss elimination with partial pivoting for A X = B, used to form the
// inverse of the condition number.
#include "condition/elim2.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <utility>
#include <vector>

#include "core/progress.h"
#include "core/steps.h"
#include "io/fortran_io.h"
#include "io/report.h"

namespace parvela {

void writeInversePivotLine(std::int32_t row, float pivot, float eps) {
  // " Linia k: Pivot = <value>  <eps>" after an empty line.
  ReportFile().write(fillWidths("(/, a, I<>, a, 1p, g15.7, a, 1p, g11.3)", {WIDTH(row)}),
                     {" Linia ", row, ": Pivot =", pivot, " <", eps});
}

KernelStatus ELIM2(std::int32_t n, std::int32_t m, float* A, float* B, float eps, std::int32_t& status) {
  status = 0;
  if (n <= 0) return {};  // nothing to solve
  const std::size_t nn = static_cast<std::size_t>(n);
  const std::size_t mm = m > 0 ? static_cast<std::size_t>(m) : 0;
  // 1-based element (i, j) of the n-row arrays.
  auto a = [A, nn](std::size_t i, std::size_t j) -> float& { return A[(j - 1) * nn + (i - 1)]; };
  auto b = [B, nn](std::size_t i, std::size_t j) -> float& { return B[(j - 1) * nn + (i - 1)]; };
  std::vector<float> f(nn);  // multipliers of a step, then a row of the triangle

  // What a step listener is shown; gathered only when one listens.
  StepListener* const listener = stepListener();
  StepEvent ev;
  ev.kind = StepKind::Elimination;
  ev.n = n;
  ev.threshold = eps;
  ev.A = {{A, nn * nn}, n, n};
  ev.B = {{B, nn * mm}, n, m};
  std::vector<float> candidates, multipliers;
  std::vector<std::int32_t> updated, skipped;
  std::int32_t swaps = 0;
  double largestOfA = 0.0;
  if (listener)
    for (std::size_t p = 0; p < nn * nn; ++p) largestOfA = std::max(largestOfA, double(std::fabs(A[p])));
  double largestSoFar = largestOfA;
  auto publishColumn = [&](std::size_t k, std::size_t r, float p, bool swapped) {
    ev.step = static_cast<std::int32_t>(k);
    ev.candidates = candidates;
    ev.pivotRow = static_cast<std::int32_t>(r);
    ev.pivot = p;
    ev.interchanged = swapped;
    ev.interchanges = swaps;
    ev.multipliers = multipliers;
    ev.updatedRows = updated;
    ev.skippedRows = skipped;
    float rowMax = 0.0f, block = 0.0f;
    for (std::size_t j = k; j <= nn; ++j) rowMax = std::max(rowMax, std::fabs(a(k, j)));
    for (std::size_t j = k + 1; j <= nn; ++j)
      for (std::size_t i = k + 1; i <= nn; ++i) block = std::max(block, std::fabs(a(i, j)));
    ev.rowMax = rowMax;
    largestSoFar = std::max({largestSoFar, double(rowMax), double(block)});
    ev.growth = largestSoFar / largestOfA;
    listener->step(ev);
  };

  for (std::size_t k = 1; k < nn; ++k) {
    if (listener) {
      candidates.assign(&a(k, k), &a(nn, k) + 1);
      multipliers.clear();
      updated.clear();
      skipped.clear();
    }
    std::size_t p = k;
    float piv = a(k, k);
    for (std::size_t i = k + 1; i <= nn; ++i) {
      if (std::fabs(a(i, k)) > std::fabs(piv)) {
        p = i;
        piv = a(i, k);
      }
    }
    if (eps > std::fabs(piv)) {
      status = -1;
      if (listener) publishColumn(k, p, piv, false);
      return {true, static_cast<std::int32_t>(k), piv};
    }
    if (p != k) {
      for (std::size_t j = 1; j <= nn; ++j) std::swap(a(k, j), a(p, j));
      for (std::size_t j = 1; j <= mm; ++j) std::swap(b(k, j), b(p, j));
      ++swaps;
    }
    checkpoint(Stage::Elimination, static_cast<std::int64_t>(k), n, a(k, k));
    // Row i takes away f(i) times row k; rows whose column-k entry is
    // zero are skipped. Column k itself is left as it is, so the updates
    // can run column by column in storage order with the same results.
    const float* acol = &a(1, k);
    for (std::size_t i = k + 1; i <= nn; ++i) {
      if (acol[i - 1] != 0.0f) f[i - 1] = acol[i - 1] / a(k, k);
    }
    for (std::size_t j = k + 1; j <= nn; ++j) {
      const float akj = a(k, j);
      float* col = &a(1, j);
      for (std::size_t i = k + 1; i <= nn; ++i) {
        if (acol[i - 1] != 0.0f) col[i - 1] = col[i - 1] - f[i - 1] * akj;
      }
    }
    for (std::size_t j = 1; j <= mm; ++j) {
      const float bkj = b(k, j);
      float* col = &b(1, j);
      for (std::size_t i = k + 1; i <= nn; ++i) {
        if (acol[i - 1] != 0.0f) col[i - 1] = col[i - 1] - f[i - 1] * bkj;
      }
    }
    if (listener) {
      for (std::size_t i = k + 1; i <= nn; ++i) {
        const bool used = acol[i - 1] != 0.0f;
        multipliers.push_back(used ? f[i - 1] : 0.0f);
        (used ? updated : skipped).push_back(static_cast<std::int32_t>(i));
      }
      publishColumn(k, p, a(k, k), p != k);
    }
  }

  if (listener) {
    candidates.assign(1, a(nn, nn));
    multipliers.clear();
    updated.clear();
    skipped.clear();
    publishColumn(nn, nn, a(nn, nn), false);
  }
  if (eps > std::fabs(a(nn, nn))) {
    status = -1;
    return {true, n, a(nn, nn)};
  }

  // Back substitution, row by row from the bottom; row i of the triangle
  // is gathered once and serves every column of B. Each sum still runs
  // from l = i + 1 upwards.
  std::vector<float> sums;
  BackSubstitutionSteps steps(listener, n, ev.A, ev.B);
  for (std::size_t j = 1; j <= mm; ++j) {
    b(nn, j) = b(nn, j) / a(nn, nn);
    steps.unknown(nn, j, sums, b(nn, j));
  }
  for (std::size_t i = nn - 1; i >= 1; --i) {
    checkpoint(Stage::Substitution, static_cast<std::int64_t>(nn - i), n - 1);
    for (std::size_t l = i + 1; l <= nn; ++l) f[l - 1] = a(i, l);
    for (std::size_t j = 1; j <= mm; ++j) {
      const float* col = &b(1, j);
      float s = 0.0f;
      if (listener) sums.clear();
      for (std::size_t l = i + 1; l <= nn; ++l) {
        s = s + f[l - 1] * col[l - 1];
        if (listener) sums.push_back(s);
      }
      b(i, j) = (b(i, j) - s) / a(i, i);
      steps.unknown(i, j, sums, b(i, j));
    }
  }
  return {};
}

}  // namespace parvela
