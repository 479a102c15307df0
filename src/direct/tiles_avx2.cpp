// Tile kernels for AVX2 with FMA (fused only where the product is exact).
#if defined(__x86_64__)
#include <cstddef>
#include <cstdlib>
#include <cstring>

#include "direct/tiles.h"

#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx2,fma"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx2,fma")
#endif
#include <immintrin.h>

#define TILES_VBYTES 32
#define TILES_F32_MRV 2
#define TILES_F32_NR 6
#define TILES_F64_MRV 2
#define TILES_F64_NR 6
#define tiles_fma_f64(a, b, c) _mm256_fmadd_pd((a), _mm256_set1_pd(b), (c))

namespace parvela::tiles::avx2 {
#include "direct/tiles_body.h"
}  // namespace parvela::tiles::avx2

#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif
#endif
