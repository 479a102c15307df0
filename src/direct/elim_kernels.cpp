#include "direct/elim_kernels.h"

#include "core/kernel_runtime.h"

namespace parvela::kernels::elim {

const Table& activeTable() {
  return kernels::activeTable(scalar::table(), avx2::table(), avx512::table());
}

}  // namespace parvela::kernels::elim
