// The condition number's products on 512-bit vectors. Allowed (flags in
// CMakeLists.txt): AVX-512 F/BW/VL/DQ, no FMA: every product is rounded
// before it is added.
#include <cstddef>

#include "condition/product_kernels.h"

#if defined(__AVX512F__) && defined(__AVX512BW__) && defined(__AVX512VL__)
#define PARVELA_LANES 16
namespace parvela::kernels::product::avx512 {
namespace {
#include "condition/product_kernels.inc"
constexpr Table kTable{powerProductByTiles, gram};
}  // namespace

const Table* table() { return &kTable; }

}  // namespace parvela::kernels::product::avx512

#else

namespace parvela::kernels::product::avx512 {
const Table* table() { return nullptr; }
}  // namespace parvela::kernels::product::avx512

#endif
