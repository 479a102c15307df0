// Gauss elimination with partial pivoting for A X = B, used to form the
// inverse of the condition number.
#include "condition/elim2.h"

#include <cmath>
#include <cstddef>
#include <utility>
#include <vector>

#include "core/progress.h"
#include "io/fortran_io.h"
#include "io/report.h"

namespace parvela {

namespace {

// " Linia k: Pivot = <value>  <eps>" after an empty line.
void writePivotLine(std::int32_t row, float pivot, float eps) {
  ReportFile().write(fillWidths("(/, a, I<>, a, 1p, g15.7, a, 1p, g11.3)", {WIDTH(row)}),
                     {" Linia ", row, ": Pivot =", pivot, " <", eps});
}

}  // namespace

void ELIM2(std::int32_t n, std::int32_t m, float* A, float* B, float eps, std::int32_t& status) {
  status = 0;
  if (n <= 0) return;  // nothing to solve
  const std::size_t nn = static_cast<std::size_t>(n);
  const std::size_t mm = m > 0 ? static_cast<std::size_t>(m) : 0;
  // 1-based element (i, j) of the n-row arrays.
  auto a = [A, nn](std::size_t i, std::size_t j) -> float& { return A[(j - 1) * nn + (i - 1)]; };
  auto b = [B, nn](std::size_t i, std::size_t j) -> float& { return B[(j - 1) * nn + (i - 1)]; };
  std::vector<float> f(nn);  // multipliers of a step, then a row of the triangle

  for (std::size_t k = 1; k < nn; ++k) {
    std::size_t p = k;
    float piv = a(k, k);
    for (std::size_t i = k + 1; i <= nn; ++i) {
      if (std::fabs(a(i, k)) > std::fabs(piv)) {
        p = i;
        piv = a(i, k);
      }
    }
    if (eps > std::fabs(piv)) {
      writePivotLine(static_cast<std::int32_t>(k), piv, eps);
      status = -1;
      return;
    }
    if (p != k) {
      for (std::size_t j = 1; j <= nn; ++j) std::swap(a(k, j), a(p, j));
      for (std::size_t j = 1; j <= mm; ++j) std::swap(b(k, j), b(p, j));
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
  }

  if (eps > std::fabs(a(nn, nn))) {
    writePivotLine(n, a(nn, nn), eps);
    status = -1;
    return;
  }

  // Back substitution, row by row from the bottom; row i of the triangle
  // is gathered once and serves every column of B. Each sum still runs
  // from l = i + 1 upwards.
  for (std::size_t j = 1; j <= mm; ++j) b(nn, j) = b(nn, j) / a(nn, nn);
  for (std::size_t i = nn - 1; i >= 1; --i) {
    checkpoint(Stage::Substitution, static_cast<std::int64_t>(nn - i), n - 1);
    for (std::size_t l = i + 1; l <= nn; ++l) f[l - 1] = a(i, l);
    for (std::size_t j = 1; j <= mm; ++j) {
      const float* col = &b(1, j);
      float s = 0.0f;
      for (std::size_t l = i + 1; l <= nn; ++l) s = s + f[l - 1] * col[l - 1];
      b(i, j) = (b(i, j) - s) / a(i, i);
    }
  }
}

}  // namespace parvela
