// Tile kernels for any CPU: 16-byte vectors (SSE2 on x86-64, or whatever
// the compiler makes of them elsewhere), no fused operations at all.
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <new>

#include "direct/tiles.h"

#define TILES_VBYTES 16
#define TILES_F32_MRV 2
#define TILES_F32_NR 4
#define TILES_F64_MRV 2
#define TILES_F64_NR 4
#define tiles_fma_f64(a, b, c) ((c) + (a) * (b))

namespace parvela::tiles::generic {
#include "direct/tiles_body.h"
}  // namespace parvela::tiles::generic

namespace parvela::tiles {
void outOfMemory() { throw std::bad_alloc(); }
}  // namespace parvela::tiles
