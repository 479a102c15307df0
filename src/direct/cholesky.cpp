// Cholesky factorisation A = S^T * S of a symmetric positive-definite
// matrix held as its packed upper triangle, and the Cholesky driver.
#include "direct/cholesky.h"

#include <cmath>
#include <cstddef>
#include <vector>

#include "core/problem_state.h"
#include "core/progress.h"
#include "direct/proba.h"
#include "direct/solutions.h"
#include "io/fortran_io.h"
#include "io/report.h"

namespace parvela {

namespace {

constexpr auto at = packedOffset;

void reportNotPositiveDefinite(TextUnit& unit, std::int32_t n, std::int32_t j, float d) {
  const std::int32_t w = WIDTH(n + 1);
  unit.write("(/,a)", {" * Matricea nu este pozitiv definita:"});
  unit.write(fillWidths("(a,I<>,a,I<>,a,I<>,a,1pG15.7)", {w, w, w}),
             {" Linia ", j, ": s(", j, ",", j, ") =", d});
}

}  // namespace

void ILOC(std::int32_t n, std::int64_t k, std::int32_t& i, std::int32_t& j) {
  // Every k in 1..n(n+1)/2 belongs to exactly one pair: column j is the
  // one with (j-1)j/2 < k <= j(j+1)/2.
  const std::int64_t nn = n > 0 ? n : 0;
  if (k < 1 || k > nn * (nn + 1) / 2) {
    i = n + 1;
    j = n + 1;
    return;
  }
  std::int64_t col = static_cast<std::int64_t>(std::sqrt(2.0 * static_cast<double>(k)));
  while (col > 1 && (col - 1) * col / 2 >= k) --col;
  while (col * (col + 1) / 2 < k) ++col;
  j = static_cast<std::int32_t>(col);
  i = static_cast<std::int32_t>(k - (col - 1) * col / 2);
}

void SUB_CHOLESKY_S(std::int32_t n, float* S, std::int32_t& status) {
  status = 0;
  if (n <= 0) return;
  const std::size_t N = static_cast<std::size_t>(n);

  float d = S[at(1, 1)];
  if (d <= 0.0f) {
    status = -1;
    reportNotPositiveDefinite(StdOut(), n, 1, d);
    reportNotPositiveDefinite(ReportFile(), n, 1, d);
    return;
  }
  S[at(1, 1)] = std::sqrt(d);
  for (std::size_t i = 2; i <= N; ++i) S[at(1, i)] = S[at(1, i)] / S[at(1, 1)];

  for (std::size_t j = 2; j <= N; ++j) {
    const float* colJ = S + at(1, j);  // s(1..j-1, j), contiguous
    float sum = 0.0f;
    for (std::size_t k = 0; k + 1 < j; ++k) sum = sum + colJ[k] * colJ[k];
    d = S[at(j, j)] - sum;
    if (d <= 0.0f) {
      status = -1;
      const std::int32_t row = static_cast<std::int32_t>(j);
      reportNotPositiveDefinite(StdOut(), n, row, d);
      reportNotPositiveDefinite(ReportFile(), n, row, d);
      return;
    }
    const float sjj = std::sqrt(d);
    S[at(j, j)] = sjj;
    checkpoint(Stage::Cholesky, static_cast<std::int64_t>(j), n, sjj);
    for (std::size_t i = j + 1; i <= N; ++i) {
      const float* colI = S + at(1, i);
      float t = 0.0f;
      for (std::size_t k = 0; k + 1 < j; ++k) t = t + colJ[k] * colI[k];
      S[at(j, i)] = (S[at(j, i)] - t) / sjj;
    }
  }
}

void FORWARD(std::int32_t n, const float* S, float* b) {
  if (n <= 0) return;
  const std::size_t N = static_cast<std::size_t>(n);
  b[0] = b[0] / S[at(1, 1)];
  for (std::size_t j = 2; j <= N; ++j) {
    const float* colJ = S + at(1, j);
    float sum = 0.0f;
    for (std::size_t k = 0; k + 1 < j; ++k) sum = sum + colJ[k] * b[k];
    b[j - 1] = (b[j - 1] - sum) / colJ[j - 1];
  }
}

void BACK(std::int32_t n, const float* S, float* b) {
  if (n <= 0) return;
  const std::size_t N = static_cast<std::size_t>(n);
  b[N - 1] = b[N - 1] / S[at(N, N)];
  for (std::size_t i = N - 1; i >= 1; --i) {
    float sum = 0.0f;
    for (std::size_t k = i + 1; k <= N; ++k) sum = sum + S[at(i, k)] * b[k - 1];
    b[i - 1] = (b[i - 1] - sum) / S[at(i, i)];
  }
}

void COMPACT_MUL(std::int32_t n, const float* S, float* X) {
  if (n <= 0) return;
  const std::size_t N = static_cast<std::size_t>(n);
  std::vector<float> T(N * N, 0.0f);
  for (std::size_t j = 1; j <= N; ++j) {
    for (std::size_t i = 1; i <= j; ++i) T[(j - 1) * N + i - 1] = S[at(i, j)];
  }
  std::vector<float> P(N * N, 0.0f);
  for (std::size_t k = 1; k <= N; ++k) {
    for (std::size_t j = 1; j <= N; ++j) {
      const float tkj = T[(j - 1) * N + k - 1];
      for (std::size_t i = 1; i <= N; ++i) {
        P[(j - 1) * N + i - 1] = P[(j - 1) * N + i - 1] + T[(i - 1) * N + k - 1] * tkj;
      }
    }
  }
  std::copy(P.begin(), P.end(), X);
}

void CHOLESKY_S() {
  ProblemState& ps = problem();
  const std::int32_t n = ps.n;
  const std::int32_t nb = ps.nb;
  // Without a packed matrix (released by an earlier run) there is nothing
  // to factor.
  if (!ps.avAllocated) return;
  // The packed matrix is consumed by every run, whatever its outcome.
  struct ReleaseAV {
    ProblemState& ps;
    ~ReleaseAV() {
      ps.AV.clear();
      ps.AV.shrink_to_fit();
      ps.avAllocated = false;
    }
  } releaseAV{ps};
  if (n <= 0 || nb < 0) return;
  const std::size_t N = static_cast<std::size_t>(n);
  const std::size_t nnb = N * static_cast<std::size_t>(nb);
  if (ps.AV.size() < N * (N + 1) / 2 || ps.B.size() < nnb) return;
  const bool isSystem = ps.problemKind == ProblemKind::System;
  TextUnit& out = ReportFile();

  std::vector<float> A0(N * N);
  for (std::size_t j = 1; j <= N; ++j) {
    for (std::size_t i = 1; i <= j; ++i) A0[(j - 1) * N + i - 1] = ps.AV[at(i, j)];
  }
  for (std::size_t j = 1; j <= N; ++j) {
    for (std::size_t i = j + 1; i <= N; ++i) A0[(j - 1) * N + i - 1] = A0[(i - 1) * N + j - 1];
  }
  const std::vector<float> B0(ps.B.begin(), ps.B.begin() + static_cast<std::ptrdiff_t>(nnb));

  if (ps.printMatrix) PRINTA(n, nb, A0.data(), ps.B.data(), isSystem);

  std::int32_t status = 0;
  SUB_CHOLESKY_S(n, ps.AV.data(), status);
  if (status < 0) return;

  out.print();
  if (ps.printDeterminant) {
    out.write("(a)", {" Matricea S"});
    std::vector<FItem> row;
    row.reserve(N);
    for (std::size_t i = 1; i <= N; ++i) {
      row.clear();
      for (std::size_t j = i; j <= N; ++j) row.emplace_back(ps.AV[at(i, j)]);
      out.print(row);
    }
    float p = 1.0f;
    for (std::size_t i = 1; i <= N; ++i) p = p * ps.AV[at(i, i)];
    const float det = p * p;
    out.print();
    out.print({"Determinant =", det});
  }

  for (std::size_t k = 1; k <= static_cast<std::size_t>(nb); ++k) {
    float* bk = ps.B.data() + (k - 1) * N;
    checkpoint(Stage::Substitution, static_cast<std::int64_t>(k), nb);
    FORWARD(n, ps.AV.data(), bk);
    BACK(n, ps.AV.data(), bk);
  }

  writeSolutions(n, nb, ps.B.data(), isSystem);

  PROBA(n, nb, A0.data(), B0.data(), ps.B.data(), isSystem,
        ps.verifyMode == VerifyMode::EachEquation);
}

}  // namespace parvela
