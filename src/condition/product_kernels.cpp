#include "condition/product_kernels.h"

#include "core/kernel_runtime.h"

namespace parvela::kernels::product {

const Table& activeTable() {
  return kernels::activeTable(scalar::table(), avx2::table(), avx512::table());
}

}  // namespace parvela::kernels::product
