// The tiles on 256-bit vectors. Allowed: AVX2 (flags in CMakeLists.txt);
// FMA in the double-precision tiles alone (the target below), where every
// product of two floats is exact, so that a fused multiply-add rounds once
// exactly as the separate product and sum do.
#include <cstddef>
#include <cstdlib>
#include <cstring>

#include "direct/tile_kernels.h"

#if defined(__AVX2__)
#include <immintrin.h>

#define TILE_VBYTES 32
#define TILE_F32_MRV 2
#define TILE_F32_NR 6
#define TILE_F64_MRV 2
#define TILE_F64_NR 6
#define TILE_F32_PACKB_ROWS 256
#define TILE_F32_PREFETCH_C 1
#define TILE_F64_PACKB true
#define TILE_PACKB_EACH 1
#define tile_fma_f64(a, b, c) _mm256_fmadd_pd((a), _mm256_set1_pd(b), (c))

namespace parvela::kernels::tile::avx2 {
namespace {

namespace f32 {
#define TILE_SINGLE 1
#define TILE_DOUBLE 0
#include "direct/tile_kernels.inc"
#undef TILE_SINGLE
#undef TILE_DOUBLE
}  // namespace f32

#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("fma"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("fma")
#endif
namespace f64 {
#define TILE_SINGLE 0
#define TILE_DOUBLE 1
#include "direct/tile_kernels.inc"
}  // namespace f64
#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif

constexpr Table kTable{f32::gemmF32, f64::gemmF64, f32::gemvF32, f64::gemvF64};

}  // namespace

const Table* table() { return &kTable; }

}  // namespace parvela::kernels::tile::avx2

#else

namespace parvela::kernels::tile::avx2 {
const Table* table() { return nullptr; }
}  // namespace parvela::kernels::tile::avx2

#endif
