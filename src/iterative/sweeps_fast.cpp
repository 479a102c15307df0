#include "iterative/sweeps_fast.h"

#include <cstddef>
#include <vector>

#include "core/kernel_runtime.h"
#include "iterative/sweep_kernels.h"

namespace parvela {

namespace {

// Below this order one thread does the upper sums alone.
constexpr std::size_t kParallelOrder = 384;
// Below this order a Gauss-Seidel sweep runs on one thread.
constexpr std::size_t kParallelGaussSeidel = 1500;

}  // namespace

void fastSweepGaussSeidel(std::int32_t n, const float* A, const float* b, const float* X0,
                          float* X1) {
  if (n <= 0) return;
  const std::size_t nn = static_cast<std::size_t>(n);
  const kernels::sweep::Table& k = kernels::sweep::activeTable();
  if (nn < kParallelGaussSeidel || kernels::threadCount() < 2) {
    k.gaussSeidel(nn, A, b, X0, X1);
    return;
  }
  // The chains here, the first part of the next block's chains on the
  // helper; when the helper is taken, both pieces come to this thread and
  // the one-thread sweep runs instead.
  thread_local std::vector<float> scratch;
  scratch.resize(nn);
  float* partial = scratch.data();  // this thread's: the helper has its own thread_local
  kernels::sweep::GaussSeidelPair pair;
  kernels::parallelRanges(0, 2, 1, 2, [&](std::size_t lo, std::size_t hi) {
    if (hi - lo == 2)
      k.gaussSeidel(nn, A, b, X0, X1);
    else if (lo == 0)
      k.gaussSeidelChains(nn, A, b, X0, X1, &pair);
    else
      k.gaussSeidelSums(nn, A, X1, partial, &pair);
  });
}

void fastSweepSor(std::int32_t n, const float* A, const float* b, const float* X0, float* X1,
                  float omega, float oneMinusOmega) {
  if (n <= 0) return;
  const std::size_t nn = static_cast<std::size_t>(n);
  const kernels::sweep::Table& k = kernels::sweep::activeTable();
  thread_local std::vector<float> s2;
  s2.resize(nn);
  float* upper = s2.data();
  // The sums over the later columns use only X0: rows split between threads.
  kernels::parallelRanges(0, nn, kernels::sweep::kUpperTile, kParallelOrder,
                          [&](std::size_t lo, std::size_t hi) { k.upperSums(nn, A, X0, upper, lo, hi); });
  k.sorLower(nn, A, b, X0, upper, X1, omega, oneMinusOmega);
}

}  // namespace parvela
