// The sweeps on the avx2 path (compiler flags for this file in CMakeLists.txt).
#include <cstddef>
#include <cstdint>

#include "iterative/sweep_kernels.h"

#if defined(__x86_64__)
#define PARVELA_LANES 8
namespace parvela::sweepk::avx2 {
namespace {
#include "iterative/sweep_kernels.inc"
}  // namespace
extern const Table kTable = {gaussSeidel, gaussSeidelChains, gaussSeidelSums, upperSums, sorLower};
}  // namespace parvela::sweepk::avx2
#endif
