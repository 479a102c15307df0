// Doolittle LU in blocks of steps. Every entry of L and U is
// (a - sum_{m} l(i,m) u(m,j)) with the sum in double precision over
// ascending m, exactly as in the step-by-step factorisation; here the
// terms m < k0 of a block of steps k0..k1-1 come from one product of tiles
// (each float*float product is exact in double precision), the terms
// m = k0.. follow one step at a time. Partial sums live apart from A and
// travel with the row interchanges.
#include "direct/lu_fast.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <utility>
#include <vector>

#include "core/kernel_runtime.h"
#include "core/progress.h"
#include "core/steps.h"
#include "direct/elim_kernels.h"
#include "direct/lu.h"
#include "direct/tile_kernels.h"

namespace parvela {

namespace {

constexpr std::size_t kStepBlock = 64;

// Work arrays kept by the calling thread from one factorisation to the
// next: fresh pages for every call would cost more than the small orders'
// whole factorisation.
struct Workspace {
  std::vector<double> S, T, Tr;
  std::vector<float> U;
};
Workspace& workspace() {
  thread_local Workspace w;
  return w;
}

struct Factor {
  float* A;
  std::size_t N;
  const kernels::tile::Table& t;
  std::vector<const float*> cols;
  float& a(std::size_t i, std::size_t j) const { return A[i + j * N]; }

  // Interchanges of the current block not yet made outside its columns:
  // (k, p) in the order they happened.
  std::vector<std::pair<std::size_t, std::size_t>> pending;
  void applyPending(std::size_t j0, std::size_t j1) {
    if (pending.empty() || j1 <= j0) return;
    kernels::parallelRanges(j0, j1, 16, 64, [&](std::size_t lo, std::size_t hi) {
      for (std::size_t j = lo; j < hi; ++j) {
        float* c = A + j * N;
        for (const auto& [k, p] : pending) std::swap(c[k], c[p]);
      }
    });
  }

  // Rows r0..r1-1 of U in columns j0..N-1 (rows < r0 of U and columns
  // < r1 of L final): the terms m < r0 as tiles, then m = r0.. row by row.
  // With `rowMax` (2 x (r1 - r0), zeros), each piece of columns keeps the
  // largest |u| of every row it finished in its half, for a step listener.
  void finishURows(std::size_t r0, std::size_t r1, std::size_t j0, std::vector<float>* rowMax = nullptr) {
    if (j0 >= N || r1 <= r0) return;
    const std::size_t nr = r1 - r0;
    const std::size_t cols0 = N - j0;
    if (T.size() < nr * cols0) T.resize(nr * cols0);
    if (Tr.size() < nr * cols0) Tr.resize(nr * cols0);
    if (U.size() < nr * cols0) U.resize(nr * cols0);
    // l(r0+q, r0..r0+q-1) for every q, as doubles.
    std::vector<double> lrow(nr * nr);
    for (std::size_t q = 0; q < nr; ++q)
      for (std::size_t r = 0; r < q; ++r) lrow[q * nr + r] = a(r0 + q, r0 + r);
    kernels::parallelRanges(j0, N, 8, 64, [&](std::size_t lo, std::size_t hi) {
      const std::size_t w = hi - lo;
      double* Tc = T.data() + (lo - j0) * nr;  // column-major nr x w
      double* Tw = Tr.data() + (lo - j0) * nr;  // row-major nr x w
      float* Uw = U.data() + (lo - j0) * nr;    // row-major nr x w
      t.gemmF64(nr, w, r0, &a(r0, 0), N, cols.data() + lo, Tc, nr, true);
      for (std::size_t c = 0; c < w; ++c)
        for (std::size_t q = 0; q < nr; ++q) Tw[q * w + c] = Tc[q + c * nr];
      for (std::size_t q = 0; q < nr; ++q) {
        const std::size_t row = r0 + q;
        double* tq = Tw + q * w;
        float* uq = Uw + q * w;
        if (q > 0) t.gemvF64(w, q, Uw, w, lrow.data() + q * nr, tq);
        if (row == 0) {  // row 0 of U is row 0 of A as it stands
          for (std::size_t c = 0; c < w; ++c) uq[c] = a(0, lo + c);
        } else {
          for (std::size_t c = 0; c < w; ++c) {
            float& x = a(row, lo + c);
            x = static_cast<float>(static_cast<double>(x) - tq[c]);
            uq[c] = x;
          }
        }
        if (rowMax) {
          float& m = (*rowMax)[(lo == j0 ? 0 : nr) + q];
          m = std::max(m, kernels::elim::activeTable().maxMagnitude(uq, w));
        }
      }
    });
  }
  std::vector<double>& T;
  std::vector<double>& Tr;
  std::vector<float>& U;
};

}  // namespace

KernelStatus luFactor(float* A, std::int32_t n, std::int32_t* ORDER, std::int32_t& ierr,
                      std::int32_t& swaps) {
  ierr = 0;
  if (n <= 0) return {};
  const std::size_t N = static_cast<std::size_t>(n);
  Workspace& ws = workspace();
  Factor f{A, N, kernels::tile::activeTable(), std::vector<const float*>(N), {}, ws.T, ws.Tr, ws.U};
  for (std::size_t j = 0; j < N; ++j) f.cols[j] = A + j * N;
  for (std::int32_t i = 1; i <= n; ++i) ORDER[i - 1] = i;
  const float prag = luPrag();
  auto a = [&](std::size_t i, std::size_t j) -> float& { return A[i + j * N]; };

  // S(i, c): sum over m of l(i,m) u(m, k0+c) for the block's columns.
  std::vector<double>& S = ws.S;
  if (S.size() < N * kStepBlock) S.resize(N * kStepBlock);
  std::vector<double> um(kStepBlock);

  // Summaries for a step listener: each step's choice, published once the
  // block has finished its rows of U.
  StepListener* const listener = stepListener();
  struct Choice {
    std::size_t k, row;
    bool swapped;
    std::int32_t swaps;
  };
  std::vector<Choice> chosen;
  double largestOfA = 0.0, largestSoFar = 0.0;
  if (listener) {
    largestOfA = kernels::elim::activeTable().maxMagnitude(A, N * N);
    largestSoFar = largestOfA;
  }
  // The largest |u| of each of the block's rows in the columns right of
  // the block, kept by finishURows.
  std::vector<float> rightMax;
  auto publishBlock = [&](std::size_t rowsDone, std::size_t blockEnd) {
    if (!listener) return;
    const std::size_t r0 = chosen.empty() ? 0 : chosen.front().k;
    for (const Choice& c : chosen) {
      StepEvent e;
      e.kind = StepKind::Lu;
      e.detail = StepDetail::Summary;
      e.n = n;
      e.step = static_cast<std::int32_t>(c.k + 1);
      e.pivotRow = static_cast<std::int32_t>(c.row + 1);
      e.pivot = a(c.k, c.k);
      e.threshold = prag;
      e.interchanged = c.swapped;
      e.interchanges = c.swaps;
      float rowMax = 0.0f;
      if (c.k < rowsDone) {
        const std::size_t q = c.k - r0;
        const std::size_t nr = rightMax.size() / 2;
        if (q < nr) rowMax = std::max(rightMax[q], rightMax[nr + q]);
        for (std::size_t j = c.k; j < blockEnd; ++j) rowMax = std::max(rowMax, std::fabs(a(c.k, j)));
      } else {
        rowMax = std::fabs(a(c.k, c.k));
      }
      e.rowMax = rowMax;
      largestSoFar = std::max(largestSoFar, double(rowMax));
      e.growth = largestSoFar / largestOfA;
      listener->step(e);
    }
    chosen.clear();
  };

  for (std::size_t k0 = 0; k0 < N; k0 += kStepBlock) {
    const std::size_t k1 = std::min(N, k0 + kStepBlock);
    const std::size_t nbk = k1 - k0;
    {
      kernels::parallelRanges(k0, N, 16, 256, [&](std::size_t lo, std::size_t hi) {
        f.t.gemmF64(hi - lo, nbk, k0, &a(lo, 0), N, f.cols.data() + k0, S.data() + lo, N, true);
      });
    }

    for (std::size_t k = k0; k < k1; ++k) {
      const std::size_t c = k - k0;
      double* Sk = S.data() + c * N;
      // Terms m = k0..k-1 of column k, rows k..N-1.
      if (k > k0) {
        for (std::size_t m = k0; m < k; ++m) um[m - k0] = a(m, k);
        f.t.gemvF64(N - k, k - k0, &a(k, k0), N, um.data(), Sk + k);
      }
      // The pivot: the first row of largest |u(k,k)| it would give.
      std::size_t pivotRow = k;
      if (k == 0 || k + 1 < N) {
        float best = 0.0f;
        std::size_t p = k;
        for (std::size_t i = k; i < N; ++i) {
          const float ci = static_cast<float>(static_cast<double>(a(i, k)) - Sk[i]);
          if (std::fabs(ci) > std::fabs(best)) {
            p = i;
            best = ci;
          }
        }
        if (p > k) {
          // The block's columns now; the others at the end of the block.
          for (std::size_t j = k0; j < k1; ++j) std::swap(a(k, j), a(p, j));
          f.pending.emplace_back(k, p);
          for (std::size_t q = 0; q < nbk; ++q) std::swap(S[q * N + k], S[q * N + p]);
          std::swap(ORDER[k], ORDER[p]);
          ++swaps;
        }
        pivotRow = p;
      }
      if (listener) chosen.push_back({k, pivotRow, pivotRow != k, swaps});

      if (k == 0) {
        const float u = a(0, 0);
        if (std::fabs(u) < prag) {
          f.applyPending(k1, N);
          publishBlock(0, 0);
          ierr = -1;
          return {true, 1, u};
        }
        checkpoint(Stage::LuFactorization, 1, n, u);
        for (std::size_t i = 1; i < N; ++i) a(i, 0) = a(i, 0) / u;
        continue;
      }

      // Row k of U in the block's columns.
      a(k, k) = static_cast<float>(static_cast<double>(a(k, k)) - Sk[k]);
      for (std::size_t j = k + 1; j < k1; ++j) {
        double s = S[(j - k0) * N + k];
        for (std::size_t m = k0; m < k; ++m)
          s = s + static_cast<double>(a(k, m)) * static_cast<double>(a(m, j));
        a(k, j) = static_cast<float>(static_cast<double>(a(k, j)) - s);
      }
      const float ukk = a(k, k);
      if (std::fabs(ukk) < prag) {
        // Where the step-by-step factorisation stops: rows up to k of U
        // complete, column k of L not begun.
        f.applyPending(0, k0);
        f.applyPending(k1, N);
        if (listener) rightMax.assign(2 * (k + 1 - k0), 0.0f);
        f.finishURows(k0, k + 1, k1, listener ? &rightMax : nullptr);
        publishBlock(k + 1, k1);
        ierr = -1;
        return {true, static_cast<std::int32_t>(k + 1), ukk};
      }
      checkpoint(Stage::LuFactorization, static_cast<std::int64_t>(k + 1), n, ukk);

      // Column k of L.
      const double ud = ukk;
      for (std::size_t i = k + 1; i < N; ++i)
        a(i, k) = static_cast<float>((static_cast<double>(a(i, k)) - Sk[i]) / ud);
    }
    f.applyPending(0, k0);
    f.applyPending(k1, N);
    f.pending.clear();
    if (listener) rightMax.assign(2 * (k1 - k0), 0.0f);
    f.finishURows(k0, k1, k1, listener ? &rightMax : nullptr);
    publishBlock(k1, k1);
  }
  return {};
}

void luSolve(const float* LU, std::int32_t n, const std::int32_t* ORDER, std::int32_t nb,
             float* B) {
  if (n <= 0 || nb <= 0) return;
  const std::size_t N = static_cast<std::size_t>(n);
  const std::size_t NB = static_cast<std::size_t>(nb);
  const kernels::tile::Table& t = kernels::tile::activeTable();
  auto a = [&](std::size_t i, std::size_t j) { return LU[i + j * N]; };

  // Back substitution reads the rows of U in place: successive rows share
  // their cache lines, so the walk along a row costs little.
  // Up to G right-hand sides at a time: the forward sweeps one by one, the
  // back substitutions side by side, so that their chains of additions
  // (each still over ascending m) overlap.
  constexpr std::size_t G = 4;
  auto solveGroup = [&](float* b0, std::size_t g, std::vector<float>& Xs, std::vector<double>& s) {
    for (std::size_t r = 0; r < g; ++r) {
      float* X = Xs.data() + r * N;
      const float* b = b0 + r * N;
      for (std::size_t i = 0; i < N; ++i) X[i] = b[ORDER[i] - 1];
      // Forward with the unit lower factor, column by column.
      std::fill(s.begin(), s.end(), 0.0);
      for (std::size_t i = 1; i < N; ++i) {
        const double xm = X[i - 1];
        t.gemvF64(N - i, 1, LU + (i - 1) * N + i, N, &xm, s.data() + i);
        X[i] = static_cast<float>(static_cast<double>(X[i]) - s[i]);
      }
      X[N - 1] = X[N - 1] / a(N - 1, N - 1);
    }
    float* X0 = Xs.data();
    for (std::size_t i = N - 1; i-- > 0;) {
      const float* row = LU + i;  // row[m * N] = u(i, m); successive rows share lines
      double sum[G] = {0.0, 0.0, 0.0, 0.0};
      for (std::size_t m = i + 1; m < N; ++m) {
        const double u = row[m * N];
        for (std::size_t r = 0; r < G; ++r) sum[r] = sum[r] + u * static_cast<double>(X0[r * N + m]);
      }
      const double uii = row[i * N];
      for (std::size_t r = 0; r < g; ++r)
        X0[r * N + i] = static_cast<float>((static_cast<double>(X0[r * N + i]) - sum[r]) / uii);
    }
    for (std::size_t r = 0; r < g; ++r) std::copy(X0 + r * N, X0 + (r + 1) * N, b0 + r * N);
  };

  // Blocks of right-hand sides between progress reports.
  constexpr std::size_t kBlock = 2 * G;
  // Work arrays for each of the (at most two) pieces of a block.
  std::vector<float> Xs[2] = {std::vector<float>(G * N, 0.0f), std::vector<float>(G * N, 0.0f)};
  std::vector<double> sums[2] = {std::vector<double>(N), std::vector<double>(N)};
  for (std::size_t k0 = 0; k0 < NB; k0 += kBlock) {
    const std::size_t k1 = std::min(NB, k0 + kBlock);
    kernels::parallelRanges(k0, k1, G, G + 1, [&](std::size_t lo, std::size_t hi) {
      const int piece = lo == k0 ? 0 : 1;
      for (std::size_t k = lo; k < hi; k += G)
        solveGroup(B + k * N, std::min(G, hi - k), Xs[piece], sums[piece]);
    });
    checkpoint(Stage::Substitution, static_cast<std::int64_t>(k1), nb);
  }
}

}  // namespace parvela
