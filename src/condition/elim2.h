// Gauss elimination for the inverse of the condition number.
#pragma once

#include <cstdint>

namespace parvela {

void ELIM2(std::int32_t n, std::int32_t m, float* A, float* B, float eps, std::int32_t& status);

}  // namespace parvela
