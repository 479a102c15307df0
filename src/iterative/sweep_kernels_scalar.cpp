// The sweeps on the scalar path (compiler flags for this file in CMakeLists.txt).
#include <cstddef>
#include <cstdint>

#include "iterative/sweep_kernels.h"


#define PARVELA_LANES 4
namespace parvela::sweepk::scalar {
namespace {
#include "iterative/sweep_kernels.inc"
}  // namespace
extern const Table kTable = {gaussSeidel, gaussSeidelChains, gaussSeidelSums, upperSums, sorLower};
}  // namespace parvela::sweepk::scalar

