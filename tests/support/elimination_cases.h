// Random systems for comparing the fast eliminations with the plain ones:
// dense, sparse (exact zeros of both signs), with NaN and infinities, with
// multipliers that underflow, and singular at a chosen step.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "core/kernel_runtime.h"
#include "io/fortran_io.h"
#include "support/kernel_paths.h"

namespace parvela::testing {

enum class CaseKind { Dense, Sparse, Special, Underflow, SingularAt, SmallPivots };

struct EliminationCase {
  std::int32_t n = 0, nb = 0;
  std::vector<float> A, B;
  float threshold = 0;
  std::string label;
};

// `step`: the 0-based column where a singular case fails (-1: at random).
inline EliminationCase makeEliminationCase(std::int32_t n, std::int32_t nb, CaseKind kind,
                                           unsigned seed, float threshold, int step = -1) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<float> u(-1.0f, 1.0f);
  std::uniform_int_distribution<int> pick(0, 99);
  const std::size_t N = static_cast<std::size_t>(n), NB = static_cast<std::size_t>(nb);
  EliminationCase c;
  c.n = n;
  c.nb = nb;
  c.threshold = threshold;
  c.label = "n=" + std::to_string(n) + " nb=" + std::to_string(nb) + " kind=" +
            std::to_string(static_cast<int>(kind)) + " seed=" + std::to_string(seed);
  c.A.resize(N * N);
  c.B.resize(N * NB);
  for (float& v : c.A) v = u(rng);
  for (float& v : c.B) v = u(rng);
  const float qnan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  switch (kind) {
    case CaseKind::Dense:
      break;
    case CaseKind::Sparse:
      // Exact zeros of both signs in A and B; some whole column stretches.
      for (float& v : c.A) {
        const int p = pick(rng);
        if (p < 45) v = 0.0f;
        else if (p < 60) v = -0.0f;
      }
      for (float& v : c.B) {
        const int p = pick(rng);
        if (p < 30) v = 0.0f;
        else if (p < 45) v = -0.0f;
      }
      for (std::size_t i = 0; i < N; ++i) c.A[i * N + i] = 0.5f + std::fabs(u(rng));
      break;
    case CaseKind::Special:
      for (float& v : c.A) {
        const int p = pick(rng);
        if (p == 0) v = qnan;
        else if (p == 1) v = inf;
        else if (p == 2) v = -inf;
        else if (p < 12) v = 0.0f;
        else if (p < 15) v = -0.0f;
      }
      for (float& v : c.B) {
        const int p = pick(rng);
        if (p == 0) v = -qnan;
        else if (p == 1) v = inf;
        else if (p < 8) v = -0.0f;
      }
      break;
    case CaseKind::Underflow:
      // Large pivots over tiny entries: multipliers and products underflow
      // to subnormals and to zeros of either sign.
      for (std::size_t j = 0; j < N; ++j) {
        for (std::size_t i = 0; i < N; ++i) {
          float& v = c.A[j * N + i];
          const int p = pick(rng);
          if (i == j) v = 1.0e30f * (1.0f + std::fabs(u(rng)));
          else if (p < 40) v = 1.0e-30f * u(rng);
          else if (p < 60) v = 1.0e-40f * u(rng);
          else if (p < 70) v = -0.0f;
        }
      }
      for (float& v : c.B)
        if (pick(rng) < 30) v = 1.0e-38f * u(rng);
      break;
    case CaseKind::SingularAt:
    case CaseKind::SmallPivots: {
      // Rows s.. are zero in columns 0..s, so steps before s skip them and
      // step s finds no pivot (or only tiny ones); the rows are shuffled.
      const std::size_t s = step >= 0 ? std::min(static_cast<std::size_t>(step), N - 1)
                            : static_cast<std::size_t>(rng() % N);
      for (std::size_t j = 0; j <= s; ++j)
        for (std::size_t i = s; i < N; ++i)
          c.A[j * N + i] = kind == CaseKind::SingularAt ? ((i + j) % 3 == 0 ? -0.0f : 0.0f)
                                                        : 1.0e-9f * u(rng);
      std::vector<std::size_t> perm(N);
      std::iota(perm.begin(), perm.end(), std::size_t{0});
      std::shuffle(perm.begin(), perm.end(), rng);
      std::vector<float> A2(c.A.size()), B2(c.B.size());
      for (std::size_t i = 0; i < N; ++i) {
        for (std::size_t j = 0; j < N; ++j) A2[j * N + perm[i]] = c.A[j * N + i];
        for (std::size_t j = 0; j < NB; ++j) B2[j * N + perm[i]] = c.B[j * N + i];
      }
      c.A.swap(A2);
      c.B.swap(B2);
      c.label += " s=" + std::to_string(s);
      break;
    }
  }
  return c;
}

inline bool sameBits(const std::vector<float>& a, const std::vector<float>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t p = 0; p < a.size(); ++p)
    if (!sameValue(a[p], b[p])) return false;
  return true;
}

// First differing element, as (row,column), for the failure message.
inline std::string firstDifference(const std::vector<float>& ref, const std::vector<float>& got,
                                   std::size_t n) {
  for (std::size_t p = 0; p < ref.size() && p < got.size(); ++p) {
    if (!sameValue(ref[p], got[p]))
      return "(" + std::to_string(p % (n ? n : 1) + 1) + "," + std::to_string(p / (n ? n : 1) + 1) +
             ") " + std::to_string(ref[p]) + " vs " + std::to_string(got[p]);
  }
  return "sizes differ";
}

// What an elimination leaves: A, B, its status codes and its report text.
struct EliminationRun {
  std::vector<float> A, B;
  std::vector<std::int32_t> codes;
  std::string report;
};

// Runs elim(c, A, B), which returns the status codes, on copies of the
// case's arrays.
template <class F>
EliminationRun runElimination(const EliminationCase& c, F&& elim) {
  EliminationRun r;
  r.A = c.A;
  r.B = c.B;
  ReportFile().clear();
  r.codes = elim(c, r.A.data(), r.B.empty() ? nullptr : r.B.data());
  r.report = ReportFile().text();
  ReportFile().clear();
  return r;
}

// The fast elimination leaves, on every kernel path and thread count, the
// bits, codes and report of the plain one.
template <class Plain, class Fast>
void expectSameOnEveryPath(const EliminationCase& c, Plain&& plain, Fast&& fast) {
  const EliminationRun ref = runElimination(c, plain);
  forEachKernelPath([&](const std::string& path) {
    const EliminationRun got = runElimination(c, fast);
    const std::string where = c.label + ", " + path;
    EXPECT_TRUE(sameBits(ref.A, got.A)) << where << " A " << firstDifference(ref.A, got.A, c.n);
    EXPECT_TRUE(sameBits(ref.B, got.B)) << where << " B " << firstDifference(ref.B, got.B, c.n);
    EXPECT_EQ(ref.codes, got.codes) << where;
    EXPECT_EQ(ref.report, got.report) << where;
  });
}

}  // namespace parvela::testing
