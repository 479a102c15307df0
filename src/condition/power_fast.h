// The power method and the products M^T M as the condition-number driver
// runs them: the same results, bit for bit, as POWER_COMPLEX / EIGEN_POWER
// (power.h) and the straightforward product, vectorised on the widest
// instruction-set path of the machine and split over two threads.
#pragma once

#include <cstdint>
#include <vector>

#include "condition/norms.h"

namespace parvela {

// POWER_COMPLEX on the complex copy of the real n x n matrix A (imaginary
// parts zero), without forming that copy. Reports progress as pass
// firstPart (plain) and firstPart + 1 (shifted).
void fastPowerReal(std::int32_t n, const float* A, std::int32_t nlim, float eps,
                   Complex& lambda, std::int32_t& iter, std::int32_t& status, float& test,
                   std::int32_t firstPart, std::int32_t* total = nullptr);
// EIGEN_POWER through fastPowerReal.
void fastEigenPower(std::int32_t n, const float* A, Complex& lambda, std::int32_t& status,
                    float& test, std::int32_t firstPart, std::int32_t* total = nullptr);

// W = M^T M (n x n, column-major), each element summed over k in
// increasing order, the lower half mirrored from the upper one.
void fastTransposeTimesSelf(std::size_t n, const float* M, std::vector<float>& W);

}  // namespace parvela
