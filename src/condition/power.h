// Power method for the spectral radius, in complex arithmetic.
#pragma once

#include <cstdint>

#include "condition/norms.h"

namespace parvela {

// Tolerance of the power method.
constexpr float kPowerTolerance = 1.0E-7f;

void POWER_COMPLEX(std::int32_t n, Complex* A, std::int32_t nlim, float eps, Complex& lambda,
                   std::int32_t& iter, std::int32_t& status, float& test);
// Progress only: which spectral radius of a run the next power method
// computes (0 the first, 1 the second), so that its passes are reported as
// 1 / 2 (plain / shifted) or 3 / 4.
void setPowerProgressRadius(std::int32_t radius);

void EIGEN_POWER(std::int32_t n, const float* A, Complex& lambda, std::int32_t& status, float& test);

}  // namespace parvela
