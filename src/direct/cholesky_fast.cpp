// S^T S = A row block by row block. For a block of rows J the partial sums
// t(j,i) = sum_{k<j0} s(k,j) s(k,i) of every row j in J are one product of
// tiles (each sum still over ascending k, in single precision from zero);
// the rows of the block then finish one by one as in the straightforward
// factorisation, adding the terms k = j0..j-1 in turn.
#include "direct/cholesky_fast.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <vector>

#include "core/kernel_runtime.h"
#include "core/progress.h"
#include "core/steps.h"
#include "direct/cholesky.h"
#include "direct/elim_kernels.h"
#include "direct/tile_kernels.h"

namespace parvela {

namespace {

// Start of column j (0-based) of the packed upper triangle.
inline std::size_t col0(std::size_t j) { return j * (j + 1) / 2; }

constexpr std::size_t kRowBlock = 64;

}  // namespace

KernelStatus choleskyFactor(std::int32_t n, float* S, std::int32_t& status) {
  status = 0;
  if (n <= 0) return {};
  StepListener* const listener = stepListener();
  auto publish = [&](std::size_t j, float d, const float* row, std::size_t len) {
    StepEvent e;
    e.kind = StepKind::Cholesky;
    e.detail = StepDetail::Summary;
    e.n = n;
    e.step = static_cast<std::int32_t>(j + 1);
    e.value = d;
    e.pivot = row[0];
    e.rowMax = kernels::elim::activeTable().maxMagnitude(row, len);
    listener->step(e);
  };
  const std::size_t N = static_cast<std::size_t>(n);
  const kernels::tile::Table& t = kernels::tile::activeTable();

  std::vector<const float*> cols(N);
  for (std::size_t j = 0; j < N; ++j) cols[j] = S + col0(j);
  std::vector<float> panel, tsum, trow, srow, x(kRowBlock);

  for (std::size_t j0 = 0; j0 < N; j0 += kRowBlock) {
    const std::size_t j1 = std::min(N, j0 + kRowBlock);
    const std::size_t nbk = j1 - j0;
    const std::size_t L = N - j0;  // columns j0..N-1

    // t(j, i) over k < j0, as a tile product: A(r, k) = s(k, j0+r).
    tsum.resize(nbk * L);
    {
      panel.resize(nbk * j0);
      for (std::size_t r = 0; r < nbk; ++r) {
        const float* c = cols[j0 + r];
        for (std::size_t k = 0; k < j0; ++k) panel[r + k * nbk] = c[k];
      }
      kernels::parallelRanges(0, L, 8, 64, [&](std::size_t lo, std::size_t hi) {
        t.gemmF32(nbk, hi - lo, j0, panel.data(), nbk, cols.data() + j0 + lo,
                  tsum.data() + lo * nbk, nbk, true);
      });
    }
    // The block's rows, row-major: partial sums and the entries s(j, i).
    trow.resize(nbk * L);
    srow.resize(nbk * L);
    for (std::size_t c = 0; c < L; ++c) {
      const float* col = cols[j0 + c] + j0;
      const std::size_t top = std::min(nbk, c + 1);
      for (std::size_t r = 0; r < nbk; ++r) trow[r * L + c] = tsum[r + c * nbk];
      for (std::size_t r = 0; r < top; ++r) srow[r * L + c] = col[r];
    }
    auto writeBack = [&](std::size_t rowsDone) {
      for (std::size_t c = 0; c < L; ++c) {
        float* col = S + col0(j0 + c) + j0;
        const std::size_t top = std::min(rowsDone, c + 1);
        for (std::size_t r = 0; r < top; ++r) col[r] = srow[r * L + c];
      }
    };

    for (std::size_t r = 0; r < nbk; ++r) {
      const std::size_t j = j0 + r;
      float* tr = trow.data() + r * L;
      float* sr = srow.data() + r * L;
      float d;
      if (j == 0) {
        d = sr[0];
      } else {
        float sum = tr[r];
        for (std::size_t q = 0; q < r; ++q) sum = sum + srow[q * L + r] * srow[q * L + r];
        d = sr[r] - sum;
      }
      if (d <= 0.0f) {
        writeBack(r);
        status = -1;
        if (listener) publish(j, d, &d, 1);
        return {true, static_cast<std::int32_t>(j + 1), d};
      }
      const float sjj = std::sqrt(d);
      sr[r] = sjj;
      if (j == 0) {
        for (std::size_t c = 1; c < L; ++c) sr[c] = sr[c] / sjj;
      } else {
        for (std::size_t q = 0; q < r; ++q) x[q] = srow[q * L + r];
        t.gemvF32(L - r - 1, r, srow.data() + r + 1, L, x.data(), tr + r + 1);
        for (std::size_t c = r + 1; c < L; ++c) sr[c] = (sr[c] - tr[c]) / sjj;
      }
      if (listener) publish(j, d, sr + r, L - r);
      checkpoint(Stage::Cholesky, static_cast<std::int64_t>(j + 1), n, sjj);
    }
    writeBack(nbk);
  }
  return {};
}

namespace {

// FORWARD: S^T y = b, the sums of eight rows at a time interleaved.
void forward(std::size_t N, const float* S, float* b) {
  b[0] = b[0] / S[0];
  constexpr std::size_t G = 8;
  for (std::size_t j0 = 1; j0 < N; j0 += G) {
    const std::size_t g = std::min(G, N - j0);
    const float* c[G];
    float acc[G];
    for (std::size_t r = 0; r < G; ++r) {
      c[r] = S + col0(j0 + (r < g ? r : 0));
      acc[r] = 0.0f;
    }
    for (std::size_t k = 0; k < j0; ++k) {
      const float bk = b[k];
      for (std::size_t r = 0; r < G; ++r) acc[r] = acc[r] + c[r][k] * bk;
    }
    for (std::size_t r = 0; r < g; ++r) {
      const std::size_t j = j0 + r;
      float sum = acc[r];
      for (std::size_t k = j0; k < j; ++k) sum = sum + c[r][k] * b[k];
      b[j] = (b[j] - sum) / c[r][j];
    }
  }
}

// BACK: S x = y for g <= 4 right-hand sides side by side (their chains of
// additions overlap), with the rows of S contiguous (row i holds
// s(i, i..N-1)). Each sum still runs over ascending k.
void back(std::size_t N, const float* rows, const std::size_t* rowStart, float* b0,
          std::size_t g) {
  constexpr std::size_t G = 4;
  for (std::size_t r = 0; r < g; ++r) b0[r * N + N - 1] = b0[r * N + N - 1] / rows[rowStart[N - 1]];
  for (std::size_t i = N - 1; i-- > 0;) {
    const float* row = rows + rowStart[i] - i;  // row[k] = s(i, k)
    float sum[G] = {0.0f, 0.0f, 0.0f, 0.0f};
    if (g == G) {
      for (std::size_t k = i + 1; k < N; ++k) {
        const float sk = row[k];
        for (std::size_t r = 0; r < G; ++r) sum[r] = sum[r] + sk * b0[r * N + k];
      }
    } else {
      for (std::size_t r = 0; r < g; ++r)
        for (std::size_t k = i + 1; k < N; ++k) sum[r] = sum[r] + row[k] * b0[r * N + k];
    }
    for (std::size_t r = 0; r < g; ++r) b0[r * N + i] = (b0[r * N + i] - sum[r]) / row[i];
  }
}

}  // namespace

void choleskySolve(std::int32_t n, const float* S, std::int32_t nb, float* B) {
  if (n <= 0 || nb <= 0) return;
  const std::size_t N = static_cast<std::size_t>(n);
  const std::size_t NB = static_cast<std::size_t>(nb);
  // The rows of S, copied once in blocks of columns.
  std::vector<std::size_t> rowStart(N);
  for (std::size_t i = 0, p = 0; i < N; p += N - i, ++i) rowStart[i] = p;
  std::vector<float> rows(N * (N + 1) / 2);
  constexpr std::size_t T = 64;
  for (std::size_t i0 = 0; i0 < N; i0 += T) {
    const std::size_t i1 = std::min(N, i0 + T);
    for (std::size_t k = i0; k < N; ++k) {
      const float* col = S + col0(k);
      const std::size_t top = std::min(i1, k + 1);
      for (std::size_t i = i0; i < top; ++i) rows[rowStart[i] + (k - i)] = col[i];
    }
  }
  constexpr std::size_t G = 4, kBlock = G;
  for (std::size_t k0 = 0; k0 < NB; k0 += kBlock) {
    const std::size_t k1 = std::min(NB, k0 + kBlock);
    kernels::parallelRanges(k0, k1, G, G + 1, [&](std::size_t lo, std::size_t hi) {
      for (std::size_t k = lo; k < hi; k += G) {
        const std::size_t g = std::min(G, hi - k);
        for (std::size_t r = 0; r < g; ++r) forward(N, S, B + (k + r) * N);
        back(N, rows.data(), rowStart.data(), B + k * N, g);
      }
    });
    if (NB > 1) checkpoint(Stage::Substitution, static_cast<std::int64_t>(k1), nb);
  }
}

}  // namespace parvela
