// Register-blocked products for the fast direct-method kernels. Every
// element of a result collects its terms one at a time in ascending order
// of the summation index, exactly as a plain triple loop would; only the
// order in which different elements are computed changes. One set of
// functions per instruction-set path; all give the same bits.
#pragma once

#include <cstddef>

namespace parvela::kernels::tile {

// C(i,j) = C(i,j) + A(i,d)*B(d,j) for d = 0..K-1 in turn, each step one
// single-precision product and one single-precision sum (never fused).
// A(i,d) = A[i + d*lda]; B(d,j) = B[j][d]; C(i,j) = C[i + j*ldc]. With
// fromZero, C starts from +0 instead of being read.
using GemmF32 = void (*)(std::size_t M, std::size_t N, std::size_t K, const float* A,
                         std::size_t lda, const float* const* B, float* C, std::size_t ldc,
                         bool fromZero);
// The same with a double-precision C: the product of two floats is exact
// in double precision, so a fused multiply-add gives the bits of the
// separate product and sum.
using GemmF64 = void (*)(std::size_t M, std::size_t N, std::size_t K, const float* A,
                         std::size_t lda, const float* const* B, double* C, std::size_t ldc,
                         bool fromZero);
// y(i) = y(i) + A(i,d)*x(d) for d = 0..K-1 in turn (single precision,
// separate product and sum), i = 0..M-1.
using GemvF32 = void (*)(std::size_t M, std::size_t K, const float* A, std::size_t lda,
                         const float* x, float* y);
// s(i) = s(i) + double(A(i,d))*double(x(d)) for d = 0..K-1 in turn, i = 0..M-1.
using GemvF64 = void (*)(std::size_t M, std::size_t K, const float* A, std::size_t lda,
                         const double* x, double* s);

struct Table {
  GemmF32 gemmF32;
  GemmF64 gemmF64;
  GemvF32 gemvF32;
  GemvF64 gemvF64;
};

// The table of each path (nullptr where the build has no such path) and
// the one the kernels run (kernel_runtime.h).
namespace scalar { const Table* table(); }
namespace avx2 { const Table* table(); }
namespace avx512 { const Table* table(); }
const Table& activeTable();

// Throws std::bad_alloc (a packing buffer was refused). Kept out of the
// per-path files, which include no library code.
[[noreturn]] void outOfMemory();

}  // namespace parvela::kernels::tile
