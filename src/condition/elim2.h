// Gauss elimination for the inverse of the condition number.
#pragma once

#include <cstdint>

#include "core/run_result.h"

namespace parvela {

// Solves A X = B for the m columns of B by elimination (A is left with U
// above its diagonal; the multipliers are not kept). status -1 when a pivot
// is below eps; the returned status names the column and the pivot found.
// Publishes every step in full to the thread's step listener.
KernelStatus ELIM2(std::int32_t n, std::int32_t m, float* A, float* B, float eps,
                   std::int32_t& status);
// The report line of a pivot below eps in column k.
void writeInversePivotLine(std::int32_t k, float pivot, float eps);

}  // namespace parvela
