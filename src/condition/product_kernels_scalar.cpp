// The condition number's products on four-float vectors: the path for any
// CPU. Allowed: the baseline instruction set (no flags of its own).
#include <cstddef>

#include "condition/product_kernels.h"

#define PARVELA_LANES 4
namespace parvela::kernels::product::scalar {
namespace {
#include "condition/product_kernels.inc"
constexpr Table kTable{powerProductByTiles, gram};
}  // namespace

const Table* table() { return &kTable; }

}  // namespace parvela::kernels::product::scalar
