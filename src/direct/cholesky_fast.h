// Blocked Cholesky factorisation and solves on packed storage, with the
// bits of SUB_CHOLESKY_S, FORWARD and BACK.
#pragma once

#include <cstdint>

#include "core/run_result.h"

namespace parvela {

// SUB_CHOLESKY_S: the same factor, the same status and the same partly
// factored S on a breakdown. Publishes a summary of every row to the
// thread's step listener.
KernelStatus choleskyFactor(std::int32_t n, float* S, std::int32_t& status);
// FORWARD then BACK for each of the nb right-hand sides, column-major in B.
void choleskySolve(std::int32_t n, const float* S, std::int32_t nb, float* B);

}  // namespace parvela
