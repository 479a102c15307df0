// The tiles on 16-byte vectors (SSE2 on x86-64, or whatever the compiler
// makes of them elsewhere): the path for any CPU. Allowed: the baseline
// instruction set (no flags of its own), no fused operations at all.
#include <cstddef>
#include <cstdlib>
#include <cstring>

#include "direct/tile_kernels.h"

#define TILE_VBYTES 16
#define TILE_F32_MRV 2
#define TILE_F32_NR 4
#define TILE_F64_MRV 2
#define TILE_F64_NR 4
#define tile_fma_f64(a, b, c) ((c) + (a) * (b))
#define TILE_SINGLE 1
#define TILE_DOUBLE 1

namespace parvela::kernels::tile::scalar {
namespace {
#include "direct/tile_kernels.inc"
constexpr Table kTable{gemmF32, gemmF64, gemvF32, gemvF64};
}  // namespace

const Table* table() { return &kTable; }

}  // namespace parvela::kernels::tile::scalar
