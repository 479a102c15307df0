// Doolittle LU factorisation with pivoting on the would-be diagonal
// element, and the LU method driver.
#pragma once

#include <cstdint>
#include <vector>

#include "core/run_result.h"

namespace parvela {

// The threshold for |u(k,k)| (a value of exactly this magnitude passes)
// and the lines the driver writes when u(k,k) fails it at step k.
float luPrag();
void reportLuBreakdown(std::int32_t k, float ukk);

// Factors A in place; `swaps` counts the row interchanges. On a breakdown
// ierr is -1 and the status names the step and u(k,k). Publishes every
// step in full to the thread's step listener.
KernelStatus LUDECOMP(float* A, std::int32_t n, std::int32_t* ORDER, std::int32_t& ierr,
                      std::int32_t& swaps);
// Brings the row of largest would-be diagonal element into row k (counted
// in `swaps`); the candidates c(k..n) it compared go into `candidates`
// when given.
void APVT(float* A, std::int32_t n, std::int32_t* ORDER, std::int32_t k, std::int32_t& swaps,
          std::vector<float>* candidates = nullptr);
void COMPUTE_A_II(std::int32_t n, const float* A, std::int32_t k, float& value);
void SWAP_ROW(std::int32_t n, float* A, std::int32_t* ORDER, std::int32_t i, std::int32_t j);
// Solves with the factors for one right-hand side B into X; publishes the
// substitutions in full, as right-hand side `rhs`, to the step listener.
void LUSOLVE(const float* LU, const float* B, std::int32_t n, float* X, const std::int32_t* ORDER,
             std::int32_t rhs = 0);

// The LU method driver. A breakdown writes its lines and returns.
MethodOutcome LU();

}  // namespace parvela
