// The condition number's products on 256-bit vectors. Allowed (flags in
// CMakeLists.txt): AVX2, no FMA: every product is rounded before it is
// added.
#include <cstddef>

#include "condition/product_kernels.h"

#if defined(__AVX2__)
#define PARVELA_LANES 8
namespace parvela::kernels::product::avx2 {
namespace {
#include "condition/product_kernels.inc"
constexpr Table kTable{powerProductByColumns, gram};
}  // namespace

const Table* table() { return &kTable; }

}  // namespace parvela::kernels::product::avx2

#else

namespace parvela::kernels::product::avx2 {
const Table* table() { return nullptr; }
}  // namespace parvela::kernels::product::avx2

#endif
