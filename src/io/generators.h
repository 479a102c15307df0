// The seven classic test matrices.
#pragma once

#include <cstdint>
#include <string_view>

namespace parvela {

// Least number of constants the named generator reads for order n
// (Hilbert 0, Lotkin 0, Companion n, Wilkinson 5 1, Wilkinson 20 1,
// Cauchy n + 5, Banda constanta 1); -1 for an unknown name.
std::int32_t leastConstants(std::string_view name, std::int32_t n);

// Fills A (n x n, column-major) with the generator named `name` (a
// 33-character blank-padded text or a plain name) from the constants
// C(1..nc). Writes zeros first; an unknown name leaves A all zero. Never
// reads beyond C(nc): callers check leastConstants() first.
void GEN_A(std::int32_t n, float* A, std::int32_t nc, const float* C, std::string_view name);

}  // namespace parvela
