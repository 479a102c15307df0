// The sweeps on four-float vectors: the path for any CPU. Allowed: the
// baseline instruction set (no flags of its own).
#include <cstddef>
#include <cstdint>

#include "iterative/sweep_kernels.h"

#define PARVELA_LANES 4
namespace parvela::kernels::sweep::scalar {
namespace {
#include "iterative/sweep_kernels.inc"
constexpr Table kTable{gaussSeidel, gaussSeidelChains, gaussSeidelSums, upperSums, sorLower};
}  // namespace

const Table* table() { return &kTable; }

}  // namespace parvela::kernels::sweep::scalar
