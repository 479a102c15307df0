// Blocked Gauss elimination with partial pivoting.
//
// The steps are taken a panel of columns at a time. Within the panel each
// column first receives the panel's earlier steps (left-looking), then its
// pivot is searched, the rows are interchanged across the panel and the
// multipliers are formed. The columns to the right of the panel and the
// right-hand sides receive the panel's interchanges and then its steps in
// one blocked update. Every element still takes the steps in ascending
// order, each as a product rounded and then subtracted, and a row whose
// entry in the step's column was exactly zero skips the step: its flag is
// kept per row and step and moves with the row in later interchanges.
// Interchanges commute with the delayed steps because a step touches each
// row with that row's own multiplier and the pivot row, which no later
// interchange moves.
//
// The back substitution keeps each sum in ascending order and vectorises
// across right-hand sides, a panel of them at a time. It reads U by rows:
// each panel's update copies the rows it finishes into a packed triangle,
// while they are at hand.
#include "direct/elim_fast.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <utility>
#include <vector>

#include "core/kernel_runtime.h"
#include "core/progress.h"
#include "direct/elim_kernels.h"
#include "core/steps.h"

#if defined(__SSE2__)
#include <xmmintrin.h>
#endif

namespace parvela {

namespace elimfast {

namespace {

using kernels::elim::Flag;
using Kernels = kernels::elim::Table;

// Steps per panel and columns per chunk of the trailing update.
constexpr std::size_t kPanel = 64;
constexpr std::size_t kChunk = 384;

std::size_t roundUp(std::size_t v, std::size_t m) { return (v + m - 1) / m * m; }

// The first pw rows of nc columns (column j at C + j*ld) and U by rows (row
// m at U + m*ldU): copied into U (ToU) or back, four by four where there are
// four.
template <bool ToU>
void transposeRows(float* C, std::size_t ld, std::size_t nc, std::size_t pw, float* U,
                   std::size_t ldU) {
  auto move = [](float& c, float& u) {
    if constexpr (ToU)
      u = c;
    else
      c = u;
  };
  std::size_t j = 0;
#if defined(__SSE2__)
  for (; j + 4 <= nc; j += 4) {
    float* c = C + j * ld;
    std::size_t m = 0;
    for (; m + 4 <= pw; m += 4) {
      float* from[4] = {c + m, c + ld + m, c + 2 * ld + m, c + 3 * ld + m};
      float* to[4] = {U + m * ldU + j, U + (m + 1) * ldU + j, U + (m + 2) * ldU + j,
                      U + (m + 3) * ldU + j};
      if constexpr (!ToU) std::swap(from, to);
      __m128 r0 = _mm_loadu_ps(from[0]), r1 = _mm_loadu_ps(from[1]), r2 = _mm_loadu_ps(from[2]),
             r3 = _mm_loadu_ps(from[3]);
      _MM_TRANSPOSE4_PS(r0, r1, r2, r3);
      _mm_storeu_ps(to[0], r0);
      _mm_storeu_ps(to[1], r1);
      _mm_storeu_ps(to[2], r2);
      _mm_storeu_ps(to[3], r3);
    }
    for (; m < pw; ++m)
      for (std::size_t q = 0; q < 4; ++q) move(c[q * ld + m], U[m * ldU + j + q]);
  }
#endif
  for (; j < nc; ++j)
    for (std::size_t m = 0; m < pw; ++m) move(C[j * ld + m], U[m * ldU + j]);
}

class Eliminator {
 public:
  Eliminator(std::size_t n, std::size_t nb, float* A, float* B, float threshold, Multipliers store)
      : N(n), NB(nb), A(A), B(B), threshold(threshold), store(store), K(kernels::elim::activeTable()) {}

  Outcome run(std::int32_t& swaps);

 private:
  float* acol(std::size_t j) const { return A + j * N; }
  // Multiplier column of step m of the current panel.
  float* mcol(std::size_t m) const {
    return store == Multipliers::InMatrix ? A + m * N : ws.aside.data() + (m - k0) * N;
  }
  Flag* fcol(std::size_t m) { return flags.data() + (m - k0) * N; }

  void panelStep(std::size_t k);
  void packMultipliers();
  void updateColumns(std::size_t lo, std::size_t hi, std::size_t thread);
  void updateChunk(float* C, std::size_t nc, bool interchange, bool inA, std::size_t thread);
  void finishInterchanges(std::size_t stepsDone);
  // Row i of U (by rows, the upper triangle packed), indexed by the
  // column l >= i.
  float* urow(std::size_t i) const { return ws.U.data() + i * N - i * (i + 1) / 2; }
  void keepPanelRows();
  void backRows(float* x, std::size_t w) const;
  void backSubstitute();

  const std::size_t N, NB;
  float* const A;
  float* const B;
  const float threshold;
  const Multipliers store;
  const Kernels& K;

  // Work arrays kept from call to call on the calling thread: fresh large
  // blocks cost page faults, and on a busy machine every fault may lose
  // the processor for a while.
  struct Workspace {
    std::vector<std::size_t> ipiv;
    std::vector<float> aside;
    std::vector<Flag> flags;
    std::vector<float> Lp;
    std::vector<Flag> Fp;
    std::vector<float> Lt;  // the panel's multipliers of its own rows, by rows
    std::vector<Flag> Ft;
    std::vector<std::uint8_t> dense;
    std::vector<float> ubuf[2];
    std::vector<float> U;  // the rows of U, kept as each panel finishes them
    std::vector<float> X[2];
    std::vector<float> rowMax[2];  // per thread: the largest |u| of each row of the panel
  };
  static Workspace& workspace() {
    thread_local Workspace w;
    return w;
  }
  Workspace& ws = workspace();
  std::vector<std::size_t>& ipiv = ws.ipiv;
  std::vector<float>& aside = ws.aside;
  std::vector<Flag>& flags = ws.flags;
  std::vector<float>& Lp = ws.Lp;
  std::vector<Flag>& Fp = ws.Fp;
  std::vector<float>& Lt = ws.Lt;
  std::vector<Flag>& Ft = ws.Ft;
  std::vector<std::uint8_t>& dense = ws.dense;
  std::vector<float> (&ubuf)[2] = ws.ubuf;

  // The current panel: steps [k0, k1) done, columns [k0, kend).
  std::size_t k0 = 0, k1 = 0, kend = 0;
  // Columns of the trailing update: A columns (k1, kend) without the
  // interchanges (the panel has them), A columns [kend, N) and B with them.
  std::size_t nPanelRest = 0, nRight = 0;
  std::size_t failedRow = 0;  // where the failing step found its largest entry
  bool trackRows = false;     // a step listener wants the finished rows' largest elements
  bool keepRows = false;      // the back substitution will want the rows of U
};

// Step k of the panel: the column takes the panel's earlier steps, then the
// pivot search, the interchange and the multipliers.
void Eliminator::panelStep(std::size_t k) {
  float* col = acol(k);
  const std::size_t cnt = k - k0;
  // Rows of U inside the panel, each final before it serves lower rows.
  for (std::size_t m = k0; m < k; ++m) {
    const float u = col[m];
    const float* l = mcol(m);
    const Flag* f = fcol(m);
    for (std::size_t i = m + 1; i < k; ++i)
      if (f[i]) col[i] = col[i] - l[i] * u;
  }
  if (cnt > 0) K.columnUpdate(col, k, N, mcol(k0), N, flags.data(), N, col + k0, cnt);
}

// n multipliers and their flags into a block of the pack of mr rows; true
// when every flag is set. Fixed is the path's row tile where it is one of
// the known ones (0: mr as given), so that a whole block is a few vector
// moves.
template <std::size_t Fixed>
bool packBlock(const float* l, const Flag* f, std::size_t n, std::size_t mr, float* lp, Flag* fp) {
  const std::size_t MR = Fixed ? Fixed : mr;
  if (n == MR) {
    std::memcpy(lp, l, MR * sizeof(float));
    std::memcpy(fp, f, MR);
  } else {
    std::memcpy(lp, l, n * sizeof(float));
    std::memcpy(fp, f, n);
    std::fill(lp + n, lp + MR, 0.0f);
    std::fill(fp + n, fp + MR, Flag{0});
  }
  // Eight flags a word: a word has a zero byte when (w - 0x01..) & ~w has
  // a high bit set.
  std::size_t r = 0;
  for (; r + 8 <= n; r += 8) {
    std::uint64_t w;
    std::memcpy(&w, fp + r, 8);
    if ((w - 0x0101010101010101u) & ~w & 0x8080808080808080u) return false;
  }
  for (; r < n; ++r)
    if (fp[r] == 0) return false;
  return true;
}

void Eliminator::packMultipliers() {
  const std::size_t MR = K.mr;
  const std::size_t pw = k1 - k0;
  const std::size_t rows = N - k1;
  const std::size_t blocks = (rows + MR - 1) / MR;
  Lp.resize(blocks * pw * MR);
  Fp.resize(blocks * pw * MR);
  dense.assign(blocks, 1);
  // The panel's own multipliers, row by row, for its rows of each chunk.
  Lt.resize(pw * pw);
  Ft.resize(pw * pw);
  for (std::size_t i = 0; i < pw; ++i)
    for (std::size_t m = 0; m < i; ++m) {
      Lt[i * pw + m] = mcol(k0 + m)[k0 + i];
      Ft[i * pw + m] = fcol(k0 + m)[k0 + i];
    }
  auto packAll = [&](auto pack) {
    for (std::size_t m = 0; m < pw; ++m) {
      const float* l = mcol(k0 + m) + k1;
      const Flag* f = fcol(k0 + m) + k1;
      for (std::size_t b = 0; b < blocks; ++b) {
        const std::size_t r0 = b * MR;
        const std::size_t at = (b * pw + m) * MR;
        // A block whose rows all take every step runs the tile without flags.
        if (!pack(l + r0, f + r0, std::min(MR, rows - r0), MR, Lp.data() + at, Fp.data() + at)) dense[b] = 0;
      }
    }
  };
  switch (MR) {
    case 4: packAll(packBlock<4>); break;
    case 16: packAll(packBlock<16>); break;
    case 32: packAll(packBlock<32>); break;
    default: packAll(packBlock<0>);
  }
}

// One chunk of nc adjacent columns starting at C (leading dimension N).
void Eliminator::updateChunk(float* C, std::size_t nc, bool interchange, bool inA, std::size_t thread) {
  const std::size_t pw = k1 - k0;
  if (interchange) {
    // The rows a column exchanges are fetched a few columns ahead.
    const std::size_t ahead = K.interchangeAhead;
    for (std::size_t j = 0; j < nc; ++j) {
      float* c = C + j * N;
      if (ahead > 0 && j + ahead < nc)
        for (std::size_t s = k0; s < k1; ++s) __builtin_prefetch(c + ahead * N + ipiv[s], 1);
      for (std::size_t s = k0; s < k1; ++s)
        if (ipiv[s] != s) std::swap(c[s], c[ipiv[s]]);
    }
  }
  // Rows k0..k1-1 of the chunk by rows, padded to whole column tiles.
  const std::size_t ldU = roundUp(kChunk, K.nr);
  std::vector<float>& U = ubuf[thread];
  U.resize(pw * ldU);
  transposeRows<true>(C + k0, N, nc, pw, U.data(), ldU);
  const std::size_t ncPad = roundUp(nc, K.nr);
  for (std::size_t m = 0; m < pw; ++m)
    for (std::size_t j = nc; j < ncPad; ++j) U[m * ldU + j] = 0.0f;
  K.panelRows(U.data(), ldU, nc, pw, Lt.data(), Ft.data());
  transposeRows<false>(C + k0, N, nc, pw, U.data(), ldU);
  if (keepRows && interchange && inA) {
    const std::size_t l0 = static_cast<std::size_t>(C - A) / N;
    for (std::size_t m = 0; m < pw; ++m)
      std::copy_n(U.data() + m * ldU, nc, urow(k0 + m) + l0);
  }
  // The finished rows of U, while they are at hand, for a step listener.
  if (trackRows && inA) {
    float* rowMax = ws.rowMax[thread].data();
    for (std::size_t m = 0; m < pw; ++m) rowMax[m] = std::max(rowMax[m], K.maxMagnitude(U.data() + m * ldU, nc));
  }
  if (k1 < N)
    K.trailing(C + k1, N, N - k1, nc, Lp.data(), Fp.data(), dense.data(), U.data(), ldU, pw);
}

// Trailing columns [lo, hi) of the numbering: first the rest of the panel,
// then A to the right of it, then B.
void Eliminator::updateColumns(std::size_t lo, std::size_t hi, std::size_t thread) {
  const std::size_t segEnd[3] = {nPanelRest, nPanelRest + (N - kend), nPanelRest + nRight};
  std::size_t v = lo;
  while (v < hi) {
    std::size_t seg = v < segEnd[0] ? 0 : v < segEnd[1] ? 1 : 2;
    const std::size_t end = std::min(hi, segEnd[seg]);
    float* base;
    if (seg == 0)
      base = acol(k1 + 1 + v);
    else if (seg == 1)
      base = acol(kend + (v - segEnd[0]));
    else
      base = B + (v - segEnd[1]) * N;
    for (std::size_t c = 0; c < end - v; c += kChunk)
      updateChunk(base + c * N, std::min(kChunk, end - v - c), seg != 0, seg != 2, thread);
    v = end;
  }
}

// The columns left of later panels take those panels' interchanges.
void Eliminator::finishInterchanges(std::size_t stepsDone) {
  if (stepsDone == 0) return;
  kernels::parallelRanges(0, stepsDone, 16, 64, [&](std::size_t lo, std::size_t hi) {
    for (std::size_t m = lo; m < hi; ++m) {
      const std::size_t from = std::min((m / kPanel + 1) * kPanel, stepsDone);
      float* c = acol(m);
      for (std::size_t s = from; s < stepsDone; ++s)
        if (ipiv[s] != s) std::swap(c[s], c[ipiv[s]]);
    }
  });
}

// The panel's rows of U within its own columns (their parts right of the
// panel come from the update).
void Eliminator::keepPanelRows() {
  for (std::size_t l = k0; l < kend; ++l) {
    const float* c = acol(l);
    for (std::size_t i = k0; i < k1 && i <= l; ++i) urow(i)[l] = c[i];
  }
}

// Back substitution of one panel of right-hand sides (x by rows, w wide),
// row by row from the last.
void Eliminator::backRows(float* x, std::size_t w) const {
  for (std::size_t i = N; i-- > 0;) K.backSubstitute(x, w, urow(i), N, N, i, i + 1);
}

void Eliminator::backSubstitute() {
  if (NB == 0) return;
  const std::size_t W = NB < K.panelWidth ? roundUp(NB, K.lanes) : K.panelWidth;
  const std::size_t panels = (NB + W - 1) / W;
  std::vector<float> (&X)[2] = ws.X;
  auto load = [&](std::vector<float>& x, std::size_t p, std::size_t w) {
    const std::size_t c0 = p * W, cols = std::min(W, NB - c0);
    x.resize(N * w);
    for (std::size_t c = 0; c < w; ++c) {
      if (c < cols) {
        const float* b = B + (c0 + c) * N;
        for (std::size_t l = 0; l < N; ++l) x[l * w + c] = b[l];
      } else {
        for (std::size_t l = 0; l < N; ++l) x[l * w + c] = 0.0f;
      }
    }
  };
  auto store = [&](const std::vector<float>& x, std::size_t p, std::size_t w) {
    const std::size_t c0 = p * W, cols = std::min(W, NB - c0);
    for (std::size_t c = 0; c < cols; ++c) {
      float* b = B + (c0 + c) * N;
      for (std::size_t l = 0; l < N; ++l) b[l] = x[l * w + c];
    }
  };
  urow(N - 1)[N - 1] = acol(N - 1)[N - 1];
  if (panels == 1) {
    const std::size_t w = roundUp(NB, K.lanes);
    load(X[0], 0, w);
    backRows(X[0].data(), w);
    store(X[0], 0, w);
    if (NB > 1) checkpoint(Stage::Substitution, static_cast<std::int64_t>(NB),
                           static_cast<std::int64_t>(NB));
    return;
  }
  pollCancel();
  const std::size_t group = static_cast<std::size_t>(kernels::threadCount());
  for (std::size_t g = 0; g < panels; g += group) {
    const std::size_t gEnd = std::min(g + group, panels);
    kernels::parallelRanges(g, gEnd, 1, 2, [&](std::size_t lo, std::size_t hi) {
      std::vector<float>& x = X[lo == g ? 0 : 1];
      for (std::size_t p = lo; p < hi; ++p) {
        const std::size_t w = roundUp(std::min(W, NB - p * W), K.lanes);
        load(x, p, w);
        backRows(x.data(), w);
        store(x, p, w);
      }
    });
    checkpoint(Stage::Substitution, static_cast<std::int64_t>(std::min(gEnd * W, NB)),
               static_cast<std::int64_t>(NB));
  }
}

// The summary of each step for a step listener: the pivot search's choice,
// and once the panel's update is done, the largest magnitude of the
// finished row of U (gathered by the update itself) and, per panel, the
// growth of U so far: the largest element of A and of U's rows so far over
// the largest of A (the growth of the whole updated matrix is at least
// that; the straightforward elimination measures it whole).
struct StepSummaries {
  StepListener* listener = stepListener();
  std::int32_t n = 0;
  float threshold = 0.0f;
  double largestOfA = 0.0, largestOfU = 0.0;
  struct Choice {
    std::size_t k, row;
    float pivot;
    bool swapped;
    std::int32_t swaps;
  };
  std::vector<Choice> panel;

  void start(const float* A, std::size_t N, const Kernels& K) {
    if (!listener) return;
    largestOfA = K.maxMagnitude(A, N * N);
    largestOfU = largestOfA;
  }
  // The panel's steps; rowMax(q) is the largest |u| of the q-th row's
  // finished part.
  template <class RowMax>
  void publishPanel(RowMax&& rowMax) {
    if (!listener || panel.empty()) return;
    for (std::size_t q = 0; q < panel.size(); ++q) {
      const Choice& c = panel[q];
      StepEvent e;
      e.kind = StepKind::Elimination;
      e.detail = StepDetail::Summary;
      e.n = n;
      e.step = static_cast<std::int32_t>(c.k + 1);
      e.pivotRow = static_cast<std::int32_t>(c.row + 1);
      e.pivot = c.pivot;
      e.threshold = threshold;
      e.interchanged = c.swapped;
      e.interchanges = c.swaps;
      e.rowMax = rowMax(q);
      largestOfU = std::max(largestOfU, double(e.rowMax));
      e.growth = q + 1 == panel.size() ? largestOfU / largestOfA : std::numeric_limits<double>::quiet_NaN();
      listener->step(e);
    }
    panel.clear();
  }
  void publishAlone(std::size_t k, std::size_t row, float pivot, std::int32_t swaps) {
    if (!listener) return;
    panel.push_back({k, row, pivot, false, swaps});
    publishPanel([pivot](std::size_t) { return std::fabs(pivot); });
  }
};

Outcome Eliminator::run(std::int32_t& swaps) {
  Outcome out;
  const std::size_t steps = N - 1;
  StepSummaries summaries;
  summaries.n = static_cast<std::int32_t>(N);
  summaries.threshold = threshold;
  summaries.start(A, N, K);
  trackRows = summaries.listener != nullptr;
  keepRows = NB > 0;
  if (keepRows) ws.U.resize(N * (N + 1) / 2);
  if (trackRows)
    for (std::vector<float>& r : ws.rowMax) r.assign(kPanel, 0.0f);
  ipiv.assign(N, 0);
  flags.assign(kPanel * N, 0);
  if (store == Multipliers::Aside) aside.assign(kPanel * N, 0.0f);
  std::size_t stepsDone = 0;
  for (k0 = 0; k0 < steps; k0 += kPanel) {
    kend = std::min(k0 + kPanel, steps);
    k1 = kend;
    for (std::size_t k = k0; k < kend; ++k) {
      panelStep(k);
      float* col = acol(k);
      float p = col[k];
      std::size_t r = k;
      for (std::size_t i = k + 1; i < N; ++i) {
        if (std::fabs(col[i]) > std::fabs(p)) {
          p = col[i];
          r = i;
        }
      }
      if (std::fabs(p) < threshold) {
        out = {true, static_cast<std::int32_t>(k + 1), p};
        k1 = k;
        failedRow = r;
        break;
      }
      if (r != k) {
        for (std::size_t j = k0; j < kend; ++j) std::swap(acol(j)[k], acol(j)[r]);
        for (std::size_t m = k0; m < k; ++m) {
          std::swap(fcol(m)[k], fcol(m)[r]);
          if (store == Multipliers::Aside) std::swap(mcol(m)[k], mcol(m)[r]);
        }
        ++swaps;
      }
      ipiv[k] = r;
      if (summaries.listener) summaries.panel.push_back({k, r, col[k], r != k, swaps});
      checkpoint(Stage::Elimination, static_cast<std::int64_t>(k + 1),
                 static_cast<std::int64_t>(N), col[k]);
      K.multipliers(col, mcol(k), fcol(k), k + 1, N, col[k]);
    }
    stepsDone = k1;
    if (keepRows && !out.failed) keepPanelRows();
    if (k1 > k0) {
      nPanelRest = out.failed ? kend - k1 - 1 : 0;
      nRight = (N - kend) + NB;
      packMultipliers();
      const std::size_t total = nPanelRest + nRight;
      kernels::parallelRanges(0, total, K.nr, 2 * K.nr, [&](std::size_t lo, std::size_t hi) {
        updateColumns(lo, hi, lo == 0 ? 0 : 1);
      });
    }
    if (trackRows) {
      // Row k's finished part: its panel columns k..kend-1 here, the columns
      // right of the panel from the update.
      summaries.publishPanel([&](std::size_t q) {
        const std::size_t k = k0 + q;
        float r = std::max(ws.rowMax[0][q], ws.rowMax[1][q]);
        for (std::size_t j = k; j < kend; ++j) r = std::max(r, std::fabs(A[j * N + k]));
        return r;
      });
      for (std::vector<float>& r : ws.rowMax) std::fill(r.begin(), r.end(), 0.0f);
    }
    if (out.failed) {
      summaries.publishAlone(k1, failedRow, out.pivot, swaps);
      break;
    }
  }
  finishInterchanges(stepsDone);
  if (out.failed) return out;
  pollCancel();
  const float last = A[(N - 1) * N + (N - 1)];
  summaries.publishAlone(N - 1, N - 1, last, swaps);
  if (std::fabs(last) < threshold) return {true, static_cast<std::int32_t>(N), last};
  backSubstitute();
  return out;
}

}  // namespace

Outcome eliminate(std::int32_t n, std::int32_t nb, float* A, float* B, float threshold,
                  Multipliers store, std::int32_t& swaps) {
  if (n <= 0) return {};
  Eliminator e(static_cast<std::size_t>(n), static_cast<std::size_t>(nb > 0 ? nb : 0), A, B,
               threshold, store);
  return e.run(swaps);
}

}  // namespace elimfast

KernelStatus elimFast(std::int32_t n, std::int32_t nb, float* A, float* B, float prag,
                      std::int32_t& ierr, std::int32_t& npiv) {
  ierr = 0;
  const elimfast::Outcome o =
      elimfast::eliminate(n, nb, A, B, prag, elimfast::Multipliers::InMatrix, npiv);
  if (o.failed) ierr = -1;
  return {o.failed, o.step, o.pivot};
}

}  // namespace parvela
