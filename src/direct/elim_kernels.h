// The inner loops of the blocked Gauss elimination, one set per instruction
// set. Each loop keeps every element's sequence of operations exactly as the
// straightforward elimination has it (a separate multiply and subtract per
// step, steps in ascending order, skipped rows left untouched), so every set
// gives the same bits; they differ only in how many elements run at once.
#pragma once

#include <cstddef>
#include <cstdint>

namespace parvela::kernels::elim {

// Skip flags: one byte per row and step, 0xFF where the row's entry in the
// step's column was non-zero (the row takes part), 0 where it was zero.
using Flag = std::uint8_t;
constexpr Flag kActive = 0xFF;

struct Table {
  // Row tile and column tile of the trailing update, lanes of a vector,
  // right-hand sides per back-substitution panel.
  std::size_t mr = 1, nr = 1, lanes = 1, panelWidth = 1;
  // Columns ahead whose interchanged rows are fetched (0: none).
  std::size_t interchangeAhead = 0;

  // col[i], i in [r0, r1): for m = 0..cnt-1 in turn, where F[m*ldF + i] is
  // set, col[i] = col[i] - L[m*ldL + i] * u[m].
  void (*columnUpdate)(float* col, std::size_t r0, std::size_t r1, const float* L,
                       std::size_t ldL, const Flag* F, std::size_t ldF, const float* u,
                       std::size_t cnt) = nullptr;

  // i in [r0, r1): F[i] = (src[i] != 0); where set, dst[i] = src[i] / pivot.
  void (*multipliers)(const float* src, float* dst, Flag* F, std::size_t r0, std::size_t r1,
                      float pivot) = nullptr;

  // The panel's rows of a chunk (U[i*ldU + j], i < pw, j < nc): row i, for
  // m < i in turn where Ft[i*pw + m] is set, U[i][j] = U[i][j] - Lt[i*pw +
  // m] * U[m][j].
  void (*panelRows)(float* U, std::size_t ldU, std::size_t nc, std::size_t pw, const float* Lt,
                    const Flag* Ft) = nullptr;

  // C (rows x cols, leading dimension ldc) takes away the product of the
  // packed multipliers (row blocks of mr, steps 0..pw-1, with their flags
  // and a per-block "every row takes part" mark) and the rows of U (U[m*ldU
  // + j], columns padded to a multiple of nr), step by step.
  void (*trailing)(float* C, std::size_t ldc, std::size_t rows, std::size_t cols,
                   const float* Lp, const Flag* Fp, const std::uint8_t* dense, const float* U,
                   std::size_t ldU, std::size_t pw) = nullptr;

  // The largest |x[i]|, i < n, NaNs passed over (0 when there is none): what
  // a step listener is told of the rows of U and of A.
  float (*maxMagnitude)(const float* x, std::size_t n) = nullptr;

  // Back substitution of one panel of right-hand sides stored by rows:
  // X[l*w + c], w = g * lanes right-hand sides (g = w / lanes, at most
  // panelWidth / lanes), rows i1-1 down to i0 (rows from i1 on are solved;
  // i1 = n starts with the last row). Row i of the upper triangle is at
  // U + (i - i0)*ldU, indexed by the column l.
  void (*backSubstitute)(float* X, std::size_t w, const float* U, std::size_t ldU,
                         std::size_t n, std::size_t i0, std::size_t i1) = nullptr;
};

// The table of each path (nullptr where the build has no such path) and
// the one the kernels run (kernel_runtime.h).
namespace scalar { const Table* table(); }
namespace avx2 { const Table* table(); }
namespace avx512 { const Table* table(); }
const Table& activeTable();

}  // namespace parvela::kernels::elim
