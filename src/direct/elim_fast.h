// Blocked Gauss elimination with partial pivoting: the same bits as ELIM and
// ELIM2 for every input, on one or two threads and any instruction set.
#pragma once

#include <cstdint>

#include "core/run_result.h"

namespace parvela {

namespace elimfast {

// Where the multipliers of a step go: into the matrix below the pivot (the
// Gauss method), or aside, leaving the column below the pivot as the step
// found it (the inverse for the condition number).
enum class Multipliers { InMatrix, Aside };

struct Outcome {
  bool failed = false;    // a pivot below the threshold
  std::int32_t step = 0;  // its column, 1-based
  float pivot = 0.0f;     // the largest entry found there
};

// Eliminates on A (n x n) and B (n x nb), column-major, then back
// substitutes for every column of B. Stops at the first column whose
// largest entry has a magnitude below `threshold` (A and B then hold every
// earlier step) or, after the last step, when |a(n,n)| is below it.
// `swaps` is increased by the number of row interchanges.
Outcome eliminate(std::int32_t n, std::int32_t nb, float* A, float* B, float threshold,
                  Multipliers store, std::int32_t& swaps);

}  // namespace elimfast

// ELIM, fast: same arguments, same results, same status. Publishes a
// summary of every column to the thread's step listener.
KernelStatus elimFast(std::int32_t n, std::int32_t nb, float* A, float* B, float prag,
                      std::int32_t& ierr, std::int32_t& npiv);

}  // namespace parvela
