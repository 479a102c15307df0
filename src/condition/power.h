// Power method for the spectral radius, in complex arithmetic.
#pragma once

#include <cstdint>

#include "condition/norms.h"

namespace parvela {

// Tolerance of the power method.
constexpr float kPowerTolerance = 1.0E-7f;

// Publishes every iteration (estimate and measure) to the thread's step
// listener, the plain pass as `firstPass` and the shifted one as the next
// (the condition number counts 1 / 2 for its first spectral radius, 3 / 4
// for the second); `total`, when given, receives the iterations of both
// passes.
void POWER_COMPLEX(std::int32_t n, Complex* A, std::int32_t nlim, float eps, Complex& lambda,
                   std::int32_t& iter, std::int32_t& status, float& test,
                   std::int32_t* total = nullptr, std::int32_t firstPass = 1);

void EIGEN_POWER(std::int32_t n, const float* A, Complex& lambda, std::int32_t& status, float& test,
                 std::int32_t* total = nullptr, std::int32_t firstPass = 1);
// One iteration for a step listener.
void publishPowerIteration(std::int32_t n, std::int32_t iter, std::int32_t pass, Complex estimate,
                           double measure);

}  // namespace parvela
