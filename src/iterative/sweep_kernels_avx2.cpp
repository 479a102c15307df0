// The sweeps on 256-bit vectors. Allowed (flags in CMakeLists.txt): AVX2,
// no FMA: every product is rounded before it is added.
#include <cstddef>
#include <cstdint>

#include "iterative/sweep_kernels.h"

#if defined(__AVX2__)
#define PARVELA_LANES 8
namespace parvela::kernels::sweep::avx2 {
namespace {
#include "iterative/sweep_kernels.inc"
constexpr Table kTable{gaussSeidel, gaussSeidelChains, gaussSeidelSums, upperSumsByColumns,
                       sorLowerByColumns};
}  // namespace

const Table* table() { return &kTable; }

}  // namespace parvela::kernels::sweep::avx2

#else

namespace parvela::kernels::sweep::avx2 {
const Table* table() { return nullptr; }
}  // namespace parvela::kernels::sweep::avx2

#endif
