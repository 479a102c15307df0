// Verification of computed solutions against the data.
#pragma once

#include <cstdint>

namespace parvela {

// Position (1-based) of the first element of largest magnitude; 0 when
// n <= 0 or every element is NaN.
std::int32_t IMAXV(std::int32_t n, const float* V);

// The residuals DIF = A*X - B, straightforwardly: each element summed over
// j ascending from zero, then B subtracted (the reference of the fast
// probaResiduals, which PROBA uses).
void PROBA_RESIDUALS(std::int32_t n, std::int32_t nb, const float* A, const float* B,
                     const float* X, float* DIF);

// Writes the residuals A*x_k - b_k (or A*x_k - e_k) of the nb solutions X
// to the report: every component (eachEquation) or only the largest.
// A is n x n, B and X are n x nb, all column-major and read only.
void PROBA(std::int32_t n, std::int32_t nb, const float* A, const float* B, const float* X,
           bool isSystem, bool eachEquation);

}  // namespace parvela
