#include "direct/tiles.h"

#include "core/kernel_runtime.h"

namespace parvela::tiles {

const Ops& ops() {
#if defined(__x86_64__)
  switch (kernels::activeIsa()) {
    case kernels::Isa::Avx512: return avx512::table;
    case kernels::Isa::Avx2: return avx2::table;
    case kernels::Isa::Scalar: break;
  }
#endif
  return generic::table;
}

}  // namespace parvela::tiles
