// Vectorised sweeps of the iterative methods, one set per instruction-set
// path. Every path computes each component with exactly the operations of
// the straightforward sweeps in sweeps.cpp, in the same order; only the
// order in which independent work is issued differs.
#pragma once

#include <cstddef>

namespace parvela::kernels::sweep {

struct GaussSeidelPair;

struct Table {
  // One Gauss-Seidel sweep (X1 from X0).
  void (*gaussSeidel)(std::size_t n, const float* A, const float* b, const float* X0, float* X1);
  // The same sweep on two threads: gaussSeidelChains on one runs the
  // chains block after block, gaussSeidelSums on the other the first part
  // of each block's chains while the block before runs. Both get the same
  // pair; `partial` is scratch of n floats. They return when the sweep is
  // done.
  void (*gaussSeidelChains)(std::size_t n, const float* A, const float* b, const float* X0,
                            float* X1, GaussSeidelPair* pair);
  void (*gaussSeidelSums)(std::size_t n, const float* A, const float* X1, float* partial,
                          GaussSeidelPair* pair);
  // s2(i) = sum over j > i of A(i,j) X0(j), in increasing j, for rows [lo, hi).
  void (*upperSums)(std::size_t n, const float* A, const float* X0, float* s2, std::size_t lo,
                    std::size_t hi);
  // The SOR update of every component, row after row, given the upper sums.
  void (*sorLower)(std::size_t n, const float* A, const float* b, const float* X0,
                   const float* s2, float* X1, float omega, float oneMinusOmega);
};

// Rows per tile of upperSums (the split points of two threads are
// multiples of it).
constexpr std::size_t kUpperTile = 64;
// Rows of a Gauss-Seidel block (one cache line of a column).
constexpr std::size_t kGaussSeidelRows = 16;

// What the two threads of a Gauss-Seidel sweep pass each other. The
// counters are read and written with atomic operations only; a block's
// lanes are written before `ready` counts it and read after.
struct GaussSeidelPair {
  int ready = 0;    // blocks prepared
  int started = 0;  // blocks whose chains have begun: X1 is final before each one's first row
  float lanes[2][kGaussSeidelRows] = {};  // a prepared block's sums over the columns before the previous block
};

// Gives up the processor while one thread of a pair waits long for the other.
void yieldNow();

// The table of each path (nullptr where the build has no such path) and
// the one the kernels run (kernel_runtime.h).
namespace scalar { const Table* table(); }
namespace avx2 { const Table* table(); }
namespace avx512 { const Table* table(); }
const Table& activeTable();

}  // namespace parvela::kernels::sweep
