// Gauss elimination with partial pivoting.
#pragma once

#include <cstdint>

#include "core/run_result.h"

namespace parvela {

// The pivot threshold of the Gauss method (a pivot of exactly this
// magnitude passes).
float gaussPrag();

// Eliminates in place on A (n x n) and B (n x nb), column-major, then back
// substitutes. ierr 0 on success, -1 when a pivot is below prag; the
// status names the column and the pivot found there. npiv counts row
// interchanges. Publishes every step in full to the thread's step
// listener.
KernelStatus ELIM(std::int32_t n, std::int32_t nb, float* A, float* B, float prag,
                  std::int32_t& ierr, std::int32_t& npiv);

// The Gauss method driver: works on the problem state, writes the report.
MethodOutcome GAUSS();

}  // namespace parvela
