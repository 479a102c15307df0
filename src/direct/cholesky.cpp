// Cholesky factorisation A = S^T * S of a symmetric positive-definite
// matrix held as its packed upper triangle, and the Cholesky driver.
#include "direct/cholesky.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <vector>

#include "core/problem_state.h"
#include "core/progress.h"
#include "core/steps.h"
#include "direct/cholesky_fast.h"
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

void reportCholeskyBreakdown(std::int32_t n, std::int32_t j, float d) {
  reportNotPositiveDefinite(StdOut(), n, j, d);
  reportNotPositiveDefinite(ReportFile(), n, j, d);
}

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

KernelStatus SUB_CHOLESKY_S(std::int32_t n, float* S, std::int32_t& status) {
  status = 0;
  if (n <= 0) return {};
  const std::size_t N = static_cast<std::size_t>(n);

  // What a step listener is shown; gathered only when one listens.
  StepListener* const listener = stepListener();
  std::vector<float> sums;
  StepEvent ev;
  ev.kind = StepKind::Cholesky;
  ev.n = n;
  ev.S = {S, N * (N + 1) / 2};
  auto publish = [&](std::size_t j, float d) {
    ev.step = static_cast<std::int32_t>(j);
    ev.partialSums = sums;
    ev.value = d;
    ev.pivot = S[at(j, j)];
    float rowMax = 0.0f;
    for (std::size_t i = j; i <= N; ++i) rowMax = std::max(rowMax, std::fabs(S[at(j, i)]));
    ev.rowMax = rowMax;
    listener->step(ev);
  };

  float d = S[at(1, 1)];
  if (d <= 0.0f) {
    status = -1;
    if (listener) publish(1, d);
    return {true, 1, d};
  }
  S[at(1, 1)] = std::sqrt(d);
  for (std::size_t i = 2; i <= N; ++i) S[at(1, i)] = S[at(1, i)] / S[at(1, 1)];
  if (listener) publish(1, d);

  for (std::size_t j = 2; j <= N; ++j) {
    const float* colJ = S + at(1, j);  // s(1..j-1, j), contiguous
    float sum = 0.0f;
    if (listener) sums.clear();
    for (std::size_t k = 0; k + 1 < j; ++k) {
      sum = sum + colJ[k] * colJ[k];
      if (listener) sums.push_back(sum);
    }
    d = S[at(j, j)] - sum;
    if (d <= 0.0f) {
      status = -1;
      if (listener) publish(j, d);
      return {true, static_cast<std::int32_t>(j), d};
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
    if (listener) publish(j, d);
  }
  return {};
}

namespace {

// One unknown of a triangular solve, with its sum as it was formed.
void publishUnknown(StepKind kind, std::int32_t n, const float* S, const float* b, std::int32_t rhs,
                    std::size_t i, const std::vector<float>& sums) {
  const std::size_t N = static_cast<std::size_t>(n);
  StepEvent e;
  e.kind = kind;
  e.n = n;
  e.step = static_cast<std::int32_t>(i);
  e.rhs = rhs;
  e.S = {S, N * (N + 1) / 2};
  e.x = {b, N};
  e.partialSums = sums;
  e.value = b[i - 1];
  stepListener()->step(e);
}

}  // namespace

void FORWARD(std::int32_t n, const float* S, float* b, std::int32_t rhs) {
  if (n <= 0) return;
  const std::size_t N = static_cast<std::size_t>(n);
  const bool listening = stepListener() != nullptr;
  std::vector<float> sums;
  b[0] = b[0] / S[at(1, 1)];
  if (listening) publishUnknown(StepKind::Forward, n, S, b, rhs, 1, sums);
  for (std::size_t j = 2; j <= N; ++j) {
    const float* colJ = S + at(1, j);
    float sum = 0.0f;
    if (listening) sums.clear();
    for (std::size_t k = 0; k + 1 < j; ++k) {
      sum = sum + colJ[k] * b[k];
      if (listening) sums.push_back(sum);
    }
    b[j - 1] = (b[j - 1] - sum) / colJ[j - 1];
    if (listening) publishUnknown(StepKind::Forward, n, S, b, rhs, j, sums);
  }
}

void BACK(std::int32_t n, const float* S, float* b, std::int32_t rhs) {
  if (n <= 0) return;
  const std::size_t N = static_cast<std::size_t>(n);
  const bool listening = stepListener() != nullptr;
  std::vector<float> sums;
  b[N - 1] = b[N - 1] / S[at(N, N)];
  if (listening) publishUnknown(StepKind::Backward, n, S, b, rhs, N, sums);
  for (std::size_t i = N - 1; i >= 1; --i) {
    float sum = 0.0f;
    if (listening) sums.clear();
    for (std::size_t k = i + 1; k <= N; ++k) {
      sum = sum + S[at(i, k)] * b[k - 1];
      if (listening) sums.push_back(sum);
    }
    b[i - 1] = (b[i - 1] - sum) / S[at(i, i)];
    if (listening) publishUnknown(StepKind::Backward, n, S, b, rhs, i, sums);
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

MethodOutcome CHOLESKY_S() {
  MethodOutcome result;
  ProblemState& ps = problem();
  const std::int32_t n = ps.n;
  const std::int32_t nb = ps.nb;
  // Without a packed matrix (released by an earlier run) there is nothing
  // to factor.
  if (!ps.avAllocated) return result;
  // The packed matrix is consumed by every run, whatever its outcome.
  struct ReleaseAV {
    ProblemState& ps;
    ~ReleaseAV() {
      ps.AV.clear();
      ps.AV.shrink_to_fit();
      ps.avAllocated = false;
    }
  } releaseAV{ps};
  if (n <= 0 || nb < 0) return result;
  const std::size_t N = static_cast<std::size_t>(n);
  const std::size_t nnb = N * static_cast<std::size_t>(nb);
  if (ps.AV.size() < N * (N + 1) / 2 || ps.B.size() < nnb) return result;
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
  // Small systems take the straightforward factorisation, which shows every
  // step; the blocked one gives the same bits.
  const bool stepKernels = useStepKernels(n);
  const KernelStatus factored =
      stepKernels ? SUB_CHOLESKY_S(n, ps.AV.data(), status) : choleskyFactor(n, ps.AV.data(), status);
  if (factored.failed) {
    reportCholeskyBreakdown(n, factored.step, factored.value);
    result.breakdown = Breakdown{BreakdownKind::NotPositiveDefinite, factored.step, factored.value, 0.0f};
    publishBreakdown(n, factored.step, factored.value, 0.0f);
    return result;
  }

  // The determinant: the square of the product of S's diagonal.
  float p = 1.0f;
  for (std::size_t i = 1; i <= N; ++i) {
    p = p * ps.AV[at(i, i)];
    publishDeterminant(n, static_cast<std::int32_t>(i), ps.AV[at(i, i)], p, 0);
  }
  const float det = p * p;
  result.determinant = det;

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
    out.print();
    out.print({"Determinant =", det});
  }

  if (stepKernels) {
    for (std::int32_t k = 1; k <= nb; ++k) {
      float* b = ps.B.data() + static_cast<std::size_t>(k - 1) * N;
      FORWARD(n, ps.AV.data(), b, k);
      BACK(n, ps.AV.data(), b, k);
    }
  } else {
    choleskySolve(n, ps.AV.data(), nb, ps.B.data());
  }

  writeSolutions(n, nb, ps.B.data(), isSystem);

  PROBA(n, nb, A0.data(), B0.data(), ps.B.data(), isSystem,
        ps.verifyMode == VerifyMode::EachEquation);
  return result;
}

}  // namespace parvela
