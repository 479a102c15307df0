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

  std::vector<const float*> x(cols);
  for (std::size_t k = 0; k < cols; ++k) x[k] = X + k * rows;
  // Blocks of right-hand sides between progress reports: A is packed into
  // tiles once per block, so blocks are wide; at n = 2000 a block is some
  // 30 ms of work.
  constexpr std::size_t kBlock = 512;
  for (std::size_t k0 = 0; k0 < cols; k0 += kBlock) {
    const std::size_t k1 = std::min(cols, k0 + kBlock);
    kernels::parallelRanges(k0, k1, 16, 32, [&](std::size_t lo, std::size_t hi) {
      t.gemmF32(rows, hi - lo, rows, A, rows, x.data() + lo, DIF + lo * rows, rows, true);
      for (std::size_t p = lo * rows; p < hi * rows; ++p) DIF[p] = DIF[p] - B[p];
    });
    checkpoint(Stage::Verification, static_cast<std::int64_t>(k1), nb);
  }
}

}  // namespace parvela
