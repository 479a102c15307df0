#include "direct/proba_fast.h"

#include <algorithm>
#include <cstddef>
#include <vector>

#include "core/kernel_runtime.h"
#include "core/progress.h"
#include "direct/tile_kernels.h"

namespace parvela {

void probaResiduals(std::int32_t n, std::int32_t nb, const float* A, const float* B,
                    const float* X, float* DIF) {
  if (n <= 0 || nb <= 0) return;
  const std::size_t rows = static_cast<std::size_t>(n);
  const std::size_t cols = static_cast<std::size_t>(nb);
  const kernels::tile::Table& t = kernels::tile::activeTable();
  if (cols == 1) {
    std::fill(DIF, DIF + rows, 0.0f);
    kernels::parallelRanges(0, rows, 64, 512, [&](std::size_t lo, std::size_t hi) {
      t.gemvF32(hi - lo, rows, A + lo, rows, X, DIF + lo);
      for (std::size_t i = lo; i < hi; ++i) DIF[i] = DIF[i] - B[i];
    });
    checkpoint(Stage::Verification, 1, 1);
    return;
  }

  // The summation index in steps between progress reports: a step adds
  // its terms to every element (each element still sums its terms in
  // ascending order), so each part of A is packed into tiles once for all
  // the right-hand sides; at n = 2000 a step is some 50 ms of work.
  constexpr std::size_t kStep = 512;
  std::vector<const float*> x(cols);
  for (std::size_t d0 = 0; d0 < rows; d0 += kStep) {
    const std::size_t d1 = std::min(rows, d0 + kStep);
    for (std::size_t k = 0; k < cols; ++k) x[k] = X + k * rows + d0;
    kernels::parallelRanges(0, cols, 16, 32, [&](std::size_t lo, std::size_t hi) {
      t.gemmF32(rows, hi - lo, d1 - d0, A + d0 * rows, rows, x.data() + lo, DIF + lo * rows,
                rows, d0 == 0);
      if (d1 == rows)
        for (std::size_t p = lo * rows; p < hi * rows; ++p) DIF[p] = DIF[p] - B[p];
    });
    checkpoint(Stage::Verification, static_cast<std::int64_t>(nb) * static_cast<std::int64_t>(d1) / n,
               nb);
  }
}

}  // namespace parvela
