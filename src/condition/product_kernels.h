// Vectorised products of the condition number, one set per instruction-set
// path. Each element gets exactly the operations of the straightforward
// code, in the same order; only independent elements are interleaved.
#pragma once

#include <cstddef>

namespace parvela::kernels::product {

struct Table {
  // Rows [lo, hi) of Z = C z, where C(i,j) = M(i,j) + 0i off the diagonal
  // and dre(j) + dim(j) i on it, each part of each term formed as the
  // complex product does (bd = 0 * zi, bc = 0 * zr for the real elements),
  // the terms added in increasing j starting from zero.
  void (*powerProduct)(std::size_t n, const float* M, const float* zr, const float* zi,
                       const float* bd, const float* bc, const float* dre, const float* dim,
                       float* Zre, float* Zim, std::size_t lo, std::size_t hi);
  // The terms k in [k0, k1) (k1 - k0 <= kGramDepth) of W(i,j) = sum over k
  // of M(k,i) M(k,j), in increasing k, for the columns j taken by `part`
  // of `parts` (blocks of 8 or fewer), at least for the rows i <= j; some
  // rows below the diagonal get values that are to be overwritten. The
  // terms k0 = 0 start from zero, later ones continue from W. M and W are
  // n x n, column-major. scratch: gramScratch(n) floats of this part alone.
  void (*gram)(std::size_t n, const float* M, float* W, std::size_t k0, std::size_t k1,
               std::size_t part, std::size_t parts, float* scratch);
};

// Rows per tile of powerProduct (the split points of two threads are
// multiples of it).
constexpr std::size_t kPowerTile = 64;
// Terms of W per gram call, and the scratch of one part of it.
constexpr std::size_t kGramDepth = 256;
constexpr std::size_t gramScratch(std::size_t n) { return kGramDepth * (256 + n + 16); }

// The table of each path (nullptr where the build has no such path) and
// the one the kernels run (kernel_runtime.h).
namespace scalar { const Table* table(); }
namespace avx2 { const Table* table(); }
namespace avx512 { const Table* table(); }
const Table& activeTable();

}  // namespace parvela::kernels::product
