// Cholesky factorisation A = S^T S on packed symmetric storage.
#pragma once

#include <cstdint>

#include "core/run_result.h"

namespace parvela {

// Inverse of LOCA: the first (i, j), i <= j, with LOCA(i, j) = k; i = n+1
// when k is outside 1..n(n+1)/2.
void ILOC(std::int32_t n, std::int64_t k, std::int32_t& i, std::int32_t& j);
// The lines of a failed factorisation at row j (d = s(j,j)^2 <= 0), on the
// standard output and in the report.
void reportCholeskyBreakdown(std::int32_t n, std::int32_t j, float d);
// Factors the packed S in place; on a breakdown status is -1 and the
// returned status names the row j and d. Publishes every step in full to
// the thread's step listener.
KernelStatus SUB_CHOLESKY_S(std::int32_t n, float* S, std::int32_t& status);
// The two triangular solves for one right-hand side b, in place; published
// in full as right-hand side `rhs`.
void FORWARD(std::int32_t n, const float* S, float* b, std::int32_t rhs = 0);
void BACK(std::int32_t n, const float* S, float* b, std::int32_t rhs = 0);
void COMPACT_MUL(std::int32_t n, const float* S, float* X);

// The Cholesky method driver; releases AV of the problem state.
MethodOutcome CHOLESKY_S();

}  // namespace parvela
