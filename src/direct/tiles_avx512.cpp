// Tile kernels for AVX-512 (fused only where the product is exact).
#if defined(__x86_64__)
#include <cstddef>
#include <cstdlib>
#include <cstring>

#include "direct/tiles.h"

#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx512f,avx512vl,avx512bw,avx512dq,avx2,fma"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx512f,avx512vl,avx512bw,avx512dq,avx2,fma")
#endif
#include <immintrin.h>

#define TILES_VBYTES 64
#define TILES_F32_MRV 2
#define TILES_F32_NR 8
#define TILES_F64_MRV 2
#define TILES_F64_NR 8
#define tiles_fma_f64(a, b, c) _mm512_fmadd_pd((a), _mm512_set1_pd(b), (c))

namespace parvela::tiles::avx512 {
#include "direct/tiles_body.h"
}  // namespace parvela::tiles::avx512

#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif
#endif
