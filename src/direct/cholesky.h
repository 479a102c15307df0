// Cholesky factorisation A = S^T S on packed symmetric storage.
#pragma once

#include <cstdint>

namespace parvela {

// Inverse of LOCA: the first (i, j), i <= j, with LOCA(i, j) = k; i = n+1
// when k is outside 1..n(n+1)/2.
void ILOC(std::int32_t n, std::int64_t k, std::int32_t& i, std::int32_t& j);
// The lines of a failed factorisation at row j (d = s(j,j)^2 <= 0), on the
// standard output and in the report.
void reportCholeskyBreakdown(std::int32_t n, std::int32_t j, float d);
void SUB_CHOLESKY_S(std::int32_t n, float* S, std::int32_t& status);
void FORWARD(std::int32_t n, const float* S, float* b);
void BACK(std::int32_t n, const float* S, float* b);
void COMPACT_MUL(std::int32_t n, const float* S, float* X);

// The Cholesky method driver; releases AV of the problem state.
void CHOLESKY_S();

}  // namespace parvela
