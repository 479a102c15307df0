// The tiles on 512-bit vectors. Allowed: AVX-512 F/VL/BW/DQ (flags in
// CMakeLists.txt); its fused multiply-add is used in the double-precision
// tiles alone, where every product of two floats is exact, so that it
// rounds once exactly as the separate product and sum do.
#include <cstddef>
#include <cstdlib>
#include <cstring>

#include "direct/tile_kernels.h"

#if defined(__AVX512F__) && defined(__AVX512BW__) && defined(__AVX512VL__)
#include <immintrin.h>

#define TILE_VBYTES 64
#define TILE_F32_MRV 2
#define TILE_F32_NR 8
#define TILE_F64_MRV 2
#define TILE_F64_NR 8
#define tile_fma_f64(a, b, c) _mm512_fmadd_pd((a), _mm512_set1_pd(b), (c))
#define TILE_SINGLE 1
#define TILE_DOUBLE 1

namespace parvela::kernels::tile::avx512 {
namespace {
#include "direct/tile_kernels.inc"
constexpr Table kTable{gemmF32, gemmF64, gemvF32, gemvF64};
}  // namespace

const Table* table() { return &kTable; }

}  // namespace parvela::kernels::tile::avx512

#else

namespace parvela::kernels::tile::avx512 {
const Table* table() { return nullptr; }
}  // namespace parvela::kernels::tile::avx512

#endif
