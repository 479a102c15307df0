// Power method for the spectral radius, in complex arithmetic.
#pragma once

#include <cstdint>

#include "condition/norms.h"

namespace parvela {

// Tolerance of the power method.
constexpr float kPowerTolerance = 1.0E-7f;

// Publishes every iteration (estimate and measure) to the thread's step
// listener; `total`, when given, receives the iterations of both passes.
void POWER_COMPLEX(std::int32_t n, Complex* A, std::int32_t nlim, float eps, Complex& lambda,
                   std::int32_t& iter, std::int32_t& status, float& test,
                   std::int32_t* total = nullptr);
// Progress only: which spectral radius of a run the next power method
// computes (0 the first, 1 the second), so that its passes are reported as
// 1 / 2 (plain / shifted) or 3 / 4.
void setPowerProgressRadius(std::int32_t radius);

void EIGEN_POWER(std::int32_t n, const float* A, Complex& lambda, std::int32_t& status, float& test,
                 std::int32_t* total = nullptr);
// The pass a power method is in, as the condition number counts them:
// 1 / 2 (plain / shifted) for the first radius, 3 / 4 for the second.
std::int32_t powerPass(std::int32_t radius, bool shifted);
// One iteration for a step listener.
void publishPowerIteration(std::int32_t n, std::int32_t iter, std::int32_t pass, Complex estimate,
                           double measure);

}  // namespace parvela
