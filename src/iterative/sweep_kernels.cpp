#include "iterative/sweep_kernels.h"

#include <thread>

#include "core/kernel_runtime.h"

namespace parvela::kernels::sweep {

const Table& activeTable() {
  return kernels::activeTable(scalar::table(), avx2::table(), avx512::table());
}

void yieldNow() { std::this_thread::yield(); }

}  // namespace parvela::kernels::sweep
