// The sweeps on 512-bit vectors. Allowed (flags in CMakeLists.txt):
// AVX-512 F/BW/VL/DQ, no FMA: every product is rounded before it is added.
#include <cstddef>
#include <cstdint>

#include "iterative/sweep_kernels.h"

#if defined(__AVX512F__) && defined(__AVX512BW__) && defined(__AVX512VL__)
#define PARVELA_LANES 16
namespace parvela::kernels::sweep::avx512 {
namespace {
#include "iterative/sweep_kernels.inc"
constexpr Table kTable{gaussSeidel, gaussSeidelChains, gaussSeidelSums, upperSums, sorLower};
}  // namespace

const Table* table() { return &kTable; }

}  // namespace parvela::kernels::sweep::avx512

#else

namespace parvela::kernels::sweep::avx512 {
const Table* table() { return nullptr; }
}  // namespace parvela::kernels::sweep::avx512

#endif
