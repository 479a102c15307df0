// Doolittle LU factorisation with pivoting on the would-be diagonal
// element, and the LU method driver.
#pragma once

#include <cstdint>

namespace parvela {

// Row interchanges made by APVT since the LU driver last reset it.
extern std::int32_t swapCount;

// The threshold for |u(k,k)| (a value of exactly this magnitude passes)
// and the lines written when u(k,k) fails it at step k.
float luPrag();
void reportLuBreakdown(std::int32_t k, float ukk);

void LUDECOMP(float* A, std::int32_t n, std::int32_t* ORDER, std::int32_t& ierr);
void APVT(float* A, std::int32_t n, std::int32_t* ORDER, std::int32_t k);
void COMPUTE_A_II(std::int32_t n, const float* A, std::int32_t k, float& value);
void SWAP_ROW(std::int32_t n, float* A, std::int32_t* ORDER, std::int32_t i, std::int32_t j);
void LUSOLVE(const float* LU, const float* B, std::int32_t n, float* X, const std::int32_t* ORDER);

// The LU method driver. A breakdown writes its lines and returns.
void LU();

}  // namespace parvela
