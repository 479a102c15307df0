#include "direct/tile_kernels.h"

#include <new>

#include "core/kernel_runtime.h"

namespace parvela::kernels::tile {

const Table& activeTable() {
  return kernels::activeTable(scalar::table(), avx2::table(), avx512::table());
}

void outOfMemory() { throw std::bad_alloc(); }

}  // namespace parvela::kernels::tile
